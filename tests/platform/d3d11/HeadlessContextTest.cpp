// Headless contexts on the machine's real EGL library: which display a device gets, and the path an
// EGL library without each extension takes (the extensions are hidden through the device options).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/Diagnostics.h"

namespace {

struct Made {
    HRESULT hr = E_FAIL;
    std::string platform;
    std::string stderrText;
    bool draws = false;  // a clear reached a texture and read back
};

// Makes a device with the extensions hidden, clears a texture with it and reads it back.
Made MakeDevice(const std::string& hidden)
{
    D3D11DeviceOptions options;
    options.hiddenEglExtensions = hidden;
    D3D11SetDeviceOptions(options);
    Made made;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    testing::internal::CaptureStderr();
    made.hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                                nullptr, &context);
    made.stderrText = testing::internal::GetCapturedStderr();
    D3D11SetDeviceOptions({});
    if (FAILED(made.hr)) {
        return made;
    }
    made.platform = D3D11ContextPlatform(context);
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = desc.Height = 4;
    desc.MipLevels = desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.BindFlags = D3D11_BIND_RENDER_TARGET;
    ID3D11Texture2D* texture = nullptr;
    ID3D11RenderTargetView* view = nullptr;
    if (SUCCEEDED(device->CreateTexture2D(&desc, nullptr, &texture)) &&
        SUCCEEDED(device->CreateRenderTargetView(texture, nullptr, &view))) {
        const float green[4] = {0, 1, 0, 1};
        context->ClearRenderTargetView(view, green);
        std::vector<std::uint8_t> pixels;
        made.draws = D3D11ReadTexture(texture, 0, 0, pixels) && pixels.size() == 64 && pixels[1] == 255 &&
                     pixels[0] == 0;
    }
    if (view != nullptr) {
        view->Release();
    }
    if (texture != nullptr) {
        texture->Release();
    }
    context->Release();
    device->Release();
    return made;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

TEST(HeadlessContext, TheDevicePlatformComesFirstAndEachMissingExtensionHasItsWayRound)
{
    struct Case {
        const char* hidden;
        const char* platform;  // the label the context must come from
    };
    for (const Case& c :
         {Case{"", "EGL device "},
          // A device display has no window configs: the config must be asked for pbuffers.
          Case{"EGL_KHR_no_config_context", "EGL device "}, Case{"EGL_KHR_surfaceless_context", "EGL device "},
          Case{"EGL_KHR_no_config_context EGL_KHR_surfaceless_context", "EGL device "},
          Case{"EGL_EXT_platform_device", "EGL surfaceless platform"},
          Case{"EGL_EXT_device_enumeration EGL_EXT_device_base", "EGL surfaceless platform"}}) {
        const Made made = MakeDevice(c.hidden);
        ASSERT_EQ(made.hr, S_OK) << "hidden: " << c.hidden << "\n" << made.stderrText;
        EXPECT_TRUE(StartsWith(made.platform, c.platform)) << "hidden: " << c.hidden << ": " << made.platform;
        EXPECT_TRUE(made.draws) << "hidden: " << c.hidden;
    }
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST(HeadlessContext, WithoutBothPlatformsTheDefaultDisplayIsTriedAndAFailureNamesEveryPlatform)
{
    const Made made = MakeDevice("EGL_EXT_platform_device EGL_MESA_platform_surfaceless");
    if (SUCCEEDED(made.hr)) {
        EXPECT_EQ(made.platform, "EGL default display");
        EXPECT_TRUE(made.draws);
    } else {
        for (const char* line : {"no headless OpenGL context; tried:", "EGL device platform: the EGL library lacks",
                                 "EGL surfaceless platform: the EGL library lacks", "EGL default display: "}) {
            EXPECT_NE(made.stderrText.find(line), std::string::npos) << line << "\n" << made.stderrText;
        }
    }
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST(HeadlessContext, TheEnvironmentChoosesAPlatformOrADeviceAndABadChoiceIsRefused)
{
    setenv("SHOW_EGL_PLATFORM", "surfaceless", 1);
    Made made = MakeDevice("");
    EXPECT_EQ(made.platform, "EGL surfaceless platform");
    setenv("SHOW_EGL_PLATFORM", "device", 1);
    setenv("SHOW_EGL_DEVICE", "0", 1);
    made = MakeDevice("");
    EXPECT_TRUE(StartsWith(made.platform, "EGL device 0")) << made.platform;
    unsetenv("SHOW_EGL_DEVICE");

    setenv("SHOW_EGL_PLATFORM", "wayland", 1);
    made = MakeDevice("");
    EXPECT_TRUE(FAILED(made.hr));
    EXPECT_NE(made.stderrText.find("SHOW_EGL_PLATFORM=wayland is none of device, surfaceless, default"),
              std::string::npos)
        << made.stderrText;
    // Asked for the device platform on an EGL without it: nothing else is tried behind the user's back.
    setenv("SHOW_EGL_PLATFORM", "device", 1);
    made = MakeDevice("EGL_EXT_platform_device");
    EXPECT_TRUE(FAILED(made.hr));
    EXPECT_NE(made.stderrText.find("EGL device platform: the EGL library lacks"), std::string::npos) << made.stderrText;
    unsetenv("SHOW_EGL_PLATFORM");
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

}  // namespace
