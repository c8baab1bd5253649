// The windowed path on a private Xvfb: a swap chain presents into an SDL window with the picture
// the right way up, resizes to the window, and Alt+Enter toggles fullscreen.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/WindowBridge.h"
#include "tests/platform/win32/XServer.h"

// SDL's video subsystem connects to D-Bus, and libdbus keeps a buffer it never frees.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

// Defined at the end: the X headers' macros clash with the code above.
unsigned long XPixelAt(unsigned long xwindow, int x, int y);

namespace {

SDL_Window* g_window = nullptr;
HWND FakeHwnd()
{
    return reinterpret_cast<HWND>(std::uintptr_t{0x1234});
}
SDL_Window* WindowFromHwnd(HWND hwnd)
{
    return hwnd == FakeHwnd() ? g_window : nullptr;
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        started_ = server_.Start(error);
        if (!started_)
            std::fprintf(stderr, "no Xvfb: %s\n", error.c_str());
        // SDL video stays up for the whole process: SDL_Quit would unload the GL driver, and the
        // driver's process-wide allocations would then look like leaks to the leak checker.
        if (started_ && SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "no SDL video: %s\n", SDL_GetError());
            started_ = false;
        }
    }
    static void TearDownTestSuite() { server_.Stop(); }

    void SetUp() override
    {
        if (!started_)
            GTEST_SKIP() << "Xvfb could not start";
        g_window = SDL_CreateWindow("d3d11", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
        ASSERT_NE(g_window, nullptr) << SDL_GetError();
        static const D3D11WindowBridge bridge{WindowFromHwnd};
        D3D11SetWindowBridge(&bridge);
        D3D_FEATURE_LEVEL level{};
        ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                    &device, &level, &context),
                  S_OK);
        EXPECT_EQ(level, D3D_FEATURE_LEVEL_11_0);
        IDXGIDevice* dxgi = nullptr;
        IDXGIAdapter* adapter = nullptr;
        IDXGIFactory* factory = nullptr;
        device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgi));
        dxgi->GetParent(__uuidof(IDXGIAdapter), reinterpret_cast<void**>(&adapter));
        adapter->GetParent(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory));
        DXGI_SWAP_CHAIN_DESC sd{};
        sd.BufferDesc = {64,
                         48,
                         {60, 1},
                         DXGI_FORMAT_R8G8B8A8_UNORM,
                         DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                         DXGI_MODE_SCALING_UNSPECIFIED};
        sd.SampleDesc = {1, 0};
        sd.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
        sd.BufferCount = 1;
        sd.OutputWindow = FakeHwnd();
        sd.Windowed = TRUE;
        ASSERT_EQ(factory->CreateSwapChain(device, &sd, &swapChain), S_OK);
        factory->Release();
        adapter->Release();
        dxgi->Release();
    }

    void TearDown() override
    {
        if (swapChain)
            swapChain->Release();
        if (context) {
            context->ClearState();
            context->Release();
        }
        if (device)
            device->Release();
        D3D11SetWindowBridge(nullptr);
        if (g_window)
            SDL_DestroyWindow(g_window);
        g_window = nullptr;
        EXPECT_EQ(D3D11LiveObjectCount(), 0);
    }

    // Clears the top half of the back buffer red and the bottom half green (a viewport-limited draw).
    void DrawHalves(UINT w, UINT h)
    {
        ID3D11Texture2D* back = nullptr;
        ASSERT_EQ(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
        ID3D11RenderTargetView* rtv = nullptr;
        ASSERT_EQ(device->CreateRenderTargetView(back, nullptr, &rtv), S_OK);
        const float green[4] = {0, 1, 0, 1};
        context->ClearRenderTargetView(rtv, green);
        StageBlob vs{StageKind::Vertex,
                     "#version 450\nout gl_PerVertex { vec4 gl_Position; };\nvoid main() {\n"
                     "  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? -3.0 : 1.0);\n"
                     "  gl_Position = vec4(p, 0.5, 1.0);\n}\n",
                     {},
                     {},
                     {},
                     {},
                     {}};
        StageBlob ps{StageKind::Pixel,
                     "#version 450\nlayout(location=0) out vec4 c;\nvoid main() { c = vec4(1,0,0,1); }\n",
                     {},
                     {},
                     {},
                     {},
                     {}};
        const auto vb = WriteStageBlob(vs), pb = WriteStageBlob(ps);
        ID3D11VertexShader* v = nullptr;
        ID3D11PixelShader* p = nullptr;
        device->CreateVertexShader(vb.data(), vb.size(), nullptr, &v);
        device->CreatePixelShader(pb.data(), pb.size(), nullptr, &p);
        context->VSSetShader(v, nullptr, 0);
        context->PSSetShader(p, nullptr, 0);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        context->OMSetRenderTargets(1, &rtv, nullptr);
        const D3D11_VIEWPORT top{0, 0, float(w), float(h) / 2, 0, 1};
        context->RSSetViewports(1, &top);
        context->Draw(3, 0);
        context->ClearState();
        v->Release();
        p->Release();
        rtv->Release();
        back->Release();
    }

    // The window's pixel at (x, y) from its top-left, as the X server shows it, as {r, g, b}.
    static std::array<std::uint8_t, 3> WindowPixel(int x, int y)
    {
        const unsigned long rgb = XPixelAt(X11WindowOf(g_window), x, y);
        return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)};
    }

    static inline XServer server_;
    static inline bool started_ = false;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swapChain = nullptr;
};

TEST_F(WindowTest, PresentShowsTheTopOfTheBackBufferAtTheTopOfTheWindow)
{
    DrawHalves(64, 48);
    ASSERT_EQ(swapChain->Present(0, 0), S_OK);
    EXPECT_EQ(WindowPixel(10, 5)[0], 255);   // red at the top
    EXPECT_EQ(WindowPixel(10, 42)[1], 255);  // green at the bottom
}

TEST_F(WindowTest, ResizeBuffersWithZeroTakesTheWindowSize)
{
    SDL_SetWindowSize(g_window, 80, 60);
    const unsigned long xid = X11WindowOf(g_window);
    int w = 0, h = 0;
    const auto end = std::chrono::steady_clock::now() + kXEventDeadline;
    do {  // until the X server has carried out the resize
        SDL_PumpEvents();
        XWindowSize(xid, w, h);
        if (w == 80 && h == 60)
            break;
        SDL_Delay(10);
    } while (std::chrono::steady_clock::now() < end);
    ASSERT_EQ(w, 80) << "the X server did not resize the window within " << kXEventDeadline.count() << " s";
    ASSERT_EQ(h, 60);
    SDL_GL_GetDrawableSize(g_window, &w, &h);
    ASSERT_EQ(swapChain->ResizeBuffers(1, 0, 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0), S_OK);
    DXGI_SWAP_CHAIN_DESC d{};
    swapChain->GetDesc(&d);
    EXPECT_EQ(int(d.BufferDesc.Width), w);
    EXPECT_EQ(int(d.BufferDesc.Height), h);
    DrawHalves(d.BufferDesc.Width, d.BufferDesc.Height);
    ASSERT_EQ(swapChain->Present(0, 0), S_OK);
    // Mesa's software window system takes up a new drawable size at a swap, so the frame after
    // the first one fills the resized window.
    ASSERT_EQ(swapChain->Present(0, 0), S_OK);
    const auto px = WindowPixel(w - 2, h - 2);
    EXPECT_EQ(px[1], 255) << w << "x" << h << " " << int(px[0]) << "," << int(px[1]) << "," << int(px[2]);
}

TEST_F(WindowTest, AltEnterTogglesFullscreenUnlessTheWindowOptedOut)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(g_window);
    e.key.keysym.sym = SDLK_RETURN;
    e.key.keysym.mod = KMOD_LALT;
    DXGI_SWAP_CHAIN_DESC d{};
    EXPECT_TRUE(D3D11HandleSdlEvent(e));
    swapChain->GetDesc(&d);
    EXPECT_EQ(d.Windowed, FALSE);
    EXPECT_TRUE(D3D11HandleSdlEvent(e));
    swapChain->GetDesc(&d);
    EXPECT_EQ(d.Windowed, TRUE);
    e.key.keysym.mod = KMOD_NONE;  // plain Enter is not ours
    EXPECT_FALSE(D3D11HandleSdlEvent(e));

    IDXGIFactory* factory = nullptr;
    ASSERT_EQ(swapChain->GetParent(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)), S_OK);
    factory->MakeWindowAssociation(FakeHwnd(), DXGI_MWA_NO_ALT_ENTER);
    e.key.keysym.mod = KMOD_RALT;
    EXPECT_FALSE(D3D11HandleSdlEvent(e));
    factory->MakeWindowAssociation(FakeHwnd(), 0);
    factory->Release();
}

// The program's window is destroyed before its device objects are released.
TEST_F(WindowTest, ObjectsOutliveTheirWindowSafely)
{
    DrawHalves(64, 48);
    ASSERT_EQ(swapChain->Present(0, 0), S_OK);
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
    EXPECT_EQ(swapChain->Present(0, 0), DXGI_ERROR_INVALID_CALL);
    // Rendering offscreen still works, and every release (in TearDown) finds a context.
    const D3D11_TEXTURE2D_DESC d{
        8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, nullptr, &texture), S_OK);
    ID3D11RenderTargetView* rtv = nullptr;
    ASSERT_EQ(device->CreateRenderTargetView(texture, nullptr, &rtv), S_OK);
    const float red[4] = {1, 0, 0, 1};
    context->ClearRenderTargetView(rtv, red);
    std::vector<std::uint8_t> px;
    ASSERT_TRUE(D3D11ReadTexture(texture, 0, 0, px));
    EXPECT_EQ(px[0], 255);
    rtv->Release();
    texture->Release();
}

}  // namespace

#include <X11/Xlib.h>
#include <X11/Xutil.h>

unsigned long XPixelAt(unsigned long xwindow, int x, int y)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 0;
    XSync(display, False);
    unsigned long pixel = 0;
    if (XImage* image = XGetImage(display, xwindow, x, y, 1, 1, AllPlanes, ZPixmap)) {
        pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixel;
}
