#include "app/D3DApp.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sstream>

#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/WindowBridge.h"
#include "platform/media/Mci.h"
#include "platform/win32/Win32Platform.h"

D3DApp* activeApp = nullptr;

namespace {

// Frame statistics live for the whole process, as the title catch-up after a stall relies on.
int statsFrameCount = 0;
float statsLastUpdate = 0.0f;

volatile std::sig_atomic_t stateReportRequested = 0;
volatile std::sig_atomic_t closeSignal = 0;

}  // namespace

D3DApp::D3DApp(HINSTANCE instance) : appInstance(instance), timer(counterSource)
{
    activeApp = this;
    // The graphics layer presents into the SDL window behind our window handle; headless windows
    // have none, and their swap chains keep the frame in the back buffer.
    static const D3D11WindowBridge bridge{Win32GetSdlWindow};
    D3D11SetWindowBridge(&bridge);
    // DXGI's default window association: Alt+Enter toggles the swap chain's window between
    // windowed and fullscreen, which then resizes through the ordinary size messages.
    Win32SetSdlEventObserver([](const SDL_Event& event) { D3D11HandleSdlEvent(event); });
}

D3DApp::~D3DApp()
{
    Win32SetSdlEventObserver(nullptr);
    // Views before what they view, the device last.
    renderTargetView.Reset();
    depthStencilView.Reset();
    swapChain.Reset();
    depthStencilBuffer.Reset();
    if (context) {
        context->ClearState();
    }
    context.Reset();
    device.Reset();
    if (activeApp == this) {
        activeApp = nullptr;
    }
}

LRESULT D3DApp::MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages can arrive after the application is gone (the window outlives a failed start).
    if (!activeApp) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return activeApp->HandleMessage(window, message, wParam, lParam);
}

bool D3DApp::Initialize()
{
    if (!CreateMainWindow()) {
        return false;
    }
    return CreateDevice();
}

float D3DApp::AspectRatio() const
{
    return static_cast<float>(clientWidth) / static_cast<float>(clientHeight);
}

bool D3DApp::CreateMainWindow()
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = L"D3DWndClassName";

    if (!RegisterClassW(&windowClass)) {
        MessageBoxW(nullptr, L"RegisterClass Failed.", nullptr, MB_OK);
        return false;
    }

    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    mainWindow = CreateWindowExW(0, L"D3DWndClassName", mainWindowCaption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, width, height, nullptr, nullptr, appInstance, nullptr);
    if (!mainWindow) {
        MessageBoxW(nullptr, L"CreateWindow Failed.", nullptr, MB_OK);
        return false;
    }

    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    return true;
}

DXGI_SAMPLE_DESC D3DApp::SampleDesc() const
{
    DXGI_SAMPLE_DESC sample{};
    if (msaa4xEnabled) {
        sample.Count = 4;
        sample.Quality = msaa4xQuality - 1;
    } else {
        sample.Count = 1;
        sample.Quality = 0;
    }
    return sample;
}

bool D3DApp::CreateDevice()
{
    D3D_FEATURE_LEVEL featureLevel{};
    const HRESULT hr = D3D11CreateDevice(nullptr, driverType, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, device.Put(),
                                         &featureLevel, context.Put());
    if (FAILED(hr)) {
        MessageBoxW(nullptr, L"D3D11CreateDevice Failed.", nullptr, MB_OK);
        return false;
    }
    if (featureLevel != D3D_FEATURE_LEVEL_11_0) {
        MessageBoxW(nullptr, L"Direct3D Feature Level 11 unsupported.", nullptr, MB_OK);
        return false;
    }

    device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 4, &msaa4xQuality);

    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferDesc.Width = static_cast<UINT>(clientWidth);
    desc.BufferDesc.Height = static_cast<UINT>(clientHeight);
    desc.BufferDesc.RefreshRate.Numerator = 60;
    desc.BufferDesc.RefreshRate.Denominator = 1;
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    desc.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    desc.SampleDesc = SampleDesc();
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 1;
    desc.OutputWindow = mainWindow;
    desc.Windowed = TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    desc.Flags = 0;

    ComPtr<IDXGIDevice> dxgiDevice;
    ComPtr<IDXGIAdapter> dxgiAdapter;
    ComPtr<IDXGIFactory> dxgiFactory;
    device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(dxgiDevice.Put()));
    if (dxgiDevice) {
        dxgiDevice->GetParent(__uuidof(IDXGIAdapter), reinterpret_cast<void**>(dxgiAdapter.Put()));
    }
    if (dxgiAdapter) {
        dxgiAdapter->GetParent(__uuidof(IDXGIFactory), reinterpret_cast<void**>(dxgiFactory.Put()));
    }
    if (dxgiFactory) {
        dxgiFactory->CreateSwapChain(device.Get(), &desc, swapChain.Put());
    }

    // Without a swap chain nothing can be shown: report it like the other device failures
    // instead of carrying on into a frame loop that draws nowhere.
    if (!swapChain) {
        MessageBoxW(nullptr, L"CreateSwapChain Failed.", nullptr, MB_OK);
        return false;
    }

    HandleResize();
    return true;
}

void D3DApp::HandleResize()
{
    renderTargetView.Reset();
    depthStencilView.Reset();
    depthStencilBuffer.Reset();

    swapChain->ResizeBuffers(1, static_cast<UINT>(clientWidth), static_cast<UINT>(clientHeight),
                             DXGI_FORMAT_R8G8B8A8_UNORM, 0);
    ComPtr<ID3D11Texture2D> backBuffer;
    swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBuffer.Put()));
    if (backBuffer) {
        device->CreateRenderTargetView(backBuffer.Get(), nullptr, renderTargetView.Put());
    }

    D3D11_TEXTURE2D_DESC depthDesc{};
    depthDesc.Width = static_cast<UINT>(clientWidth);
    depthDesc.Height = static_cast<UINT>(clientHeight);
    depthDesc.MipLevels = 1;
    depthDesc.ArraySize = 1;
    depthDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    depthDesc.SampleDesc = SampleDesc();
    depthDesc.Usage = D3D11_USAGE_DEFAULT;
    depthDesc.BindFlags = D3D11_BIND_DEPTH_STENCIL;
    depthDesc.CPUAccessFlags = 0;
    depthDesc.MiscFlags = 0;
    device->CreateTexture2D(&depthDesc, nullptr, depthStencilBuffer.Put());
    if (depthStencilBuffer) {
        device->CreateDepthStencilView(depthStencilBuffer.Get(), nullptr, depthStencilView.Put());
    }

    context->OMSetRenderTargets(1, renderTargetView.GetAddressOf(), depthStencilView.Get());

    viewport.TopLeftX = 0.0f;
    viewport.TopLeftY = 0.0f;
    viewport.Width = static_cast<float>(clientWidth);
    viewport.Height = static_cast<float>(clientHeight);
    viewport.MinDepth = 0.0f;
    viewport.MaxDepth = 1.0f;
    context->RSSetViewports(1, &viewport);
}

int D3DApp::Run()
{
    MSG msg{};
    timer.Reset();
    // A window deactivated during start-up (behind a message box, say) starts the run paused, and
    // a paused run keeps its timer stopped.
    if (appPaused) {
        timer.Stop();
    }
    // A frame stuck while the driver builds a shader's program is stuck in that program: it is named.
    frameWatchdog.Start(frameTimeLimit, [this](long frame, double time) {
        const std::string program = D3D11ProgramInTheMaking();
        return DescribeFrame(frame, time) + (program.empty() ? "" : ", building the program of " + program + ",");
    });

    bool closePosted = false;
    while (msg.message != WM_QUIT) {
        if (closeSignal != 0 && !closePosted) {
            PostMessageW(mainWindow, WM_CLOSE, 0, 0);
            closePosted = true;
        }
        if (stateReportRequested) {
            stateReportRequested = 0;
            std::fprintf(stderr, "%s: state: %s\n", program_invocation_short_name, DescribeState().c_str());
        }
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        timer.Tick();
        if (appPaused) {
            Sleep(100);
        } else {
            UpdateFrameStats();
            frameWatchdog.FrameBegun(timer.TotalTime());
            UpdateFrame(timer.DeltaTime());
            RenderFrame();
            frameWatchdog.FrameEnded();
            ++framesRun;
        }
    }
    frameWatchdog.Stop();
    return static_cast<int>(msg.wParam);
}

void D3DApp::RequestStateReport() noexcept
{
    stateReportRequested = 1;
}

void D3DApp::RequestClose(int signal) noexcept
{
    closeSignal = signal;
}

int D3DApp::CloseSignal() noexcept
{
    return closeSignal;
}

std::string D3DApp::DescribeState() const
{
    std::string state = appPaused ? "paused (" : "running";
    if (appPaused) {
        const char* separator = "";
        for (const auto& [reason, name] : {std::pair{inactive, "inactive"}, std::pair{minimized, "minimized"},
                                           std::pair{resizing, "being dragged"}}) {
            if (reason) {
                state += separator;
                state += name;
                separator = ", ";
            }
        }
        state += ")";
    }
    char time[64];
    std::snprintf(time, sizeof time, "running time %.3f s", timer.TotalTime());
    // The frame drawn last, named as the watchdog names frames.
    const std::string frame = framesRun > 0 ? DescribeFrame(framesRun - 1, timer.TotalTime()) : "no frame yet";
    return state + ", last " + frame + ", " + time;
}

void D3DApp::UpdatePause()
{
    const bool paused = inactive || minimized || resizing;
    if (paused == appPaused) {
        return;
    }
    appPaused = paused;
    if (paused) {
        timer.Stop();
    } else {
        timer.Start();
    }
    if (!soundtrack.empty()) {
        // A failure (the track has gone) leaves the music as it is; the picture goes on by the timer.
        const std::wstring command = (paused ? L"pause " : L"resume ") + soundtrack;
        mciSendStringW(command.c_str(), nullptr, 0, nullptr);
    }
}

std::string D3DApp::DescribeFrame(long frame, double time) const
{
    char text[96];
    std::snprintf(text, sizeof text, "frame %ld (%.3f s into the run)", frame, time);
    return text;
}

void D3DApp::UpdateFrameStats()
{
    ++statsFrameCount;
    const float totalTime = timer.TotalTime();
    if (totalTime - statsLastUpdate < 1.0f) {
        return;
    }
    const float fps = static_cast<float>(statsFrameCount);
    const float frameTimeMs = 1000.0f / fps;

    std::wostringstream text;
    text << mainWindowCaption << L"    " << L"FPS: " << fps << L"    " << L"Frame Time: " << frameTimeMs << L" (ms)";
    SetWindowTextW(mainWindow, text.str().c_str());

    statsFrameCount = 0;
    statsLastUpdate += 1.0f;
}

LRESULT D3DApp::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        inactive = LOWORD(wParam) == WA_INACTIVE;
        UpdatePause();
        return 0;

    case WM_SIZE:
        clientWidth = LOWORD(static_cast<std::uintptr_t>(lParam));
        clientHeight = HIWORD(static_cast<std::uintptr_t>(lParam));
        if (!device) {
            return 0;
        }
        if (wParam == SIZE_MINIMIZED) {
            minimized = true;
            maximized = false;
            UpdatePause();
        } else if (wParam == SIZE_MAXIMIZED) {
            minimized = false;
            maximized = true;
            UpdatePause();
            HandleResize();
        } else if (wParam == SIZE_RESTORED) {
            if (minimized) {
                minimized = false;
                UpdatePause();
                HandleResize();
            } else if (maximized) {
                maximized = false;
                HandleResize();
            } else if (resizing) {
                // The resize happens once, at the end of the drag.
            } else {
                HandleResize();
            }
        }
        return 0;

    case WM_ENTERSIZEMOVE:
        resizing = true;
        UpdatePause();
        return 0;

    case WM_EXITSIZEMOVE:
        resizing = false;
        UpdatePause();
        HandleResize();
        return 0;

    case WM_DESTROY: PostQuitMessage(0); return 0;

    case WM_MENUCHAR: return MAKELRESULT(0, static_cast<WORD>(MNC_CLOSE));

    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = 200;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = 200;
        return 0;

    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: MouseDown(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;

    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: MouseUp(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;

    case WM_MOUSEMOVE: MouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;

    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
