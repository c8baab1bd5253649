#pragma once
// The application frame: window, message handling, frame loop with its pause rules, frame
// statistics in the title, and the graphics device with its size-dependent views. A concrete
// application derives from it and extends it only through the virtual operations.
//
// Pausing: the show is paused while its window is inactive, minimized or being dragged, and only
// then. Entering the pause stops the timer and the soundtrack ("pause" to the multimedia device
// named in `soundtrack`); leaving it starts both again ("resume"), so the music stays where the
// picture is however often the window is deactivated, minimized or dragged.
#include <string>

#include "app/FrameTimer.h"
#include "app/FrameWatchdog.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/DXGI.h"
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32.h"

class D3DApp {
public:
    explicit D3DApp(HINSTANCE instance);
    D3DApp(const D3DApp&) = delete;
    D3DApp& operator=(const D3DApp&) = delete;
    virtual ~D3DApp();

    virtual bool Initialize();
    virtual void HandleResize();
    virtual void UpdateFrame(float deltaTime) = 0;
    virtual void RenderFrame() = 0;
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void MouseDown(WPARAM buttons, int x, int y) { (void)buttons, (void)x, (void)y; }
    virtual void MouseUp(WPARAM buttons, int x, int y) { (void)buttons, (void)x, (void)y; }
    virtual void MouseMove(WPARAM buttons, int x, int y) { (void)buttons, (void)x, (void)y; }

    int Run();
    // Asks the frame loop to write one line on standard error saying what it is doing (running or
    // paused and why, the frame and the running time). Safe to call from a signal handler.
    static void RequestStateReport() noexcept;
    // Asks the frame loop to close the window as Escape does (the show is torn down in order), for
    // SIGINT and SIGTERM; remembers the signal for the exit status. Safe to call from a signal handler.
    static void RequestClose(int signal) noexcept;
    // The signal RequestClose was given, or 0.
    static int CloseSignal() noexcept;
    // That line, without the program name: "paused (inactive), frame 12 (...), running time 3.500 s".
    std::string DescribeState() const;
    // Names a frame in the watchdog's message. Runs on the watchdog's thread while the frame thread
    // may be stuck, so an override may only compute from its arguments.
    virtual std::string DescribeFrame(long frame, double time) const;
    float AspectRatio() const;
    HWND MainWindow() const { return mainWindow; }

    // The window procedure registered with the window class; forwards to the active application.
    static LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    bool CreateMainWindow();
    bool CreateDevice();
    void UpdateFrameStats();
    // Sets appPaused from the three reasons to pause and, when that changes it, stops or starts the
    // timer and the soundtrack with it.
    void UpdatePause();

    HINSTANCE appInstance;
    HWND mainWindow = nullptr;
    bool appPaused = false;
    bool inactive = false;
    bool minimized = false;
    bool maximized = false;
    bool resizing = false;
    // The multimedia device (as named to mciSendString) paused and resumed with the timer; empty
    // while nothing plays, as when there is no audio device.
    std::wstring soundtrack;
    UINT msaa4xQuality = 0;

    // The counter the timer reads: the performance counter, or whatever clock the platform has
    // installed in its place (tests and the headless capture run on a virtual one).
    PerformanceCounterSource counterSource;
    FrameTimer timer;
    // A frame that runs this long ends the program (a driver stuck in a draw); zero turns it off.
    std::chrono::duration<double> frameTimeLimit = FrameWatchdog::kDefaultLimit;
    FrameWatchdog frameWatchdog;

    ComPtr<ID3D11Device> device;
    ComPtr<ID3D11DeviceContext> context;
    ComPtr<IDXGISwapChain> swapChain;
    ComPtr<ID3D11Texture2D> depthStencilBuffer;
    ComPtr<ID3D11RenderTargetView> renderTargetView;
    ComPtr<ID3D11DepthStencilView> depthStencilView;
    D3D11_VIEWPORT viewport{};

    std::wstring mainWindowCaption = L"D3D11 Application";
    D3D_DRIVER_TYPE driverType = D3D_DRIVER_TYPE_HARDWARE;
    int clientWidth = 1280;
    int clientHeight = 720;
    bool msaa4xEnabled = false;

private:
    DXGI_SAMPLE_DESC SampleDesc() const;

    long framesRun = 0;
};

// The one application object of the process; set by the D3DApp constructor.
extern D3DApp* activeApp;
