// The show's frames through the graphics layer's call trace: targets, clears, passes, blend state
// and unbinding in their order, the draws per frame, and which camera each pass reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effects/Effects.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32Inject.h"
#include "show/BoxApp.h"
#include "show/MouseLook.h"
#include "tests/show/ShowTestSupport.h"
#include "tools/capture/ShowCapture.h"

namespace {

using Trace = std::vector<std::string>;

class BoxAppFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnterShowFolder());
        Win32SetHeadless(true);
        InstallVirtualClock(&clock);
        app = std::make_unique<BoxApp>(nullptr);
        ASSERT_TRUE(app->Initialize());
    }

    void TearDown() override
    {
        app.reset();
        InstallVirtualClock(nullptr);
        MciShutdown();
        Win32Shutdown();
        EXPECT_EQ(D3D11LiveObjectCount(), 0);
    }

    Trace RenderAtBeat(double beat)
    {
        app->UpdateAt(static_cast<float>(BeatTime(beat)));
        D3D11BeginCallTrace(app->Context());
        app->RenderFrame();
        return D3D11EndCallTrace(app->Context());
    }

    VirtualClock clock;
    std::unique_ptr<BoxApp> app;
};

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The calls that make the composition: targets, clears, draws, dispatches, blend and compute unbinds.
Trace Composition(const Trace& trace)
{
    static const char* const kept[] = {
        "OMSetRenderTargets", "ClearRenderTargetView", "ClearDepthStencilView", "DrawIndexed",
        "Dispatch",           "CSSetShader("};
    Trace result;
    for (const std::string& call : trace) {
        for (const char* prefix : kept) {
            if (StartsWith(call, prefix)) {
                result.push_back(call);
                break;
            }
        }
    }
    return result;
}

std::string Joined(const Trace& trace)
{
    std::string text;
    for (const std::string& call : trace) {
        text += call + "\n";
    }
    return text;
}

std::string Call(const char* name, std::initializer_list<long long> args)
{
    std::ostringstream text;
    text << name << "(";
    const char* separator = "";
    for (long long arg : args) {
        text << separator << arg;
        separator = ",";
    }
    text << ")";
    return text.str();
}

// Index of the n-th (0-based) call starting with prefix, or trace.size().
size_t FindCall(const Trace& trace, const std::string& prefix, size_t from = 0)
{
    for (size_t i = from; i < trace.size(); ++i) {
        if (StartsWith(trace[i], prefix.c_str())) {
            return i;
        }
    }
    return trace.size();
}

Trace FirstSceneComposition(const BoxApp& app, UINT textIndexCount, UINT width, UINT height)
{
    Trace expected = {"OMSetRenderTargets(2)", "ClearRenderTargetView()", "ClearRenderTargetView()",
                      "ClearRenderTargetView()", "ClearDepthStencilView(3,0)"};
    expected.push_back(Call("DrawIndexed", {app.SheepIndexCount(), 0, 0}));
    expected.push_back(Call("DrawIndexed", {textIndexCount, 0, 0}));
    for (UINT first = 0; first < 8000; first += 1000) {  // the cloud, in slices
        expected.push_back(Call("DrawIndexedInstanced", {app.SphereIndexCount(), 1000, 0, 0, first}));
    }
    expected.push_back(Call("DrawIndexedInstanced", {app.BigSphereIndexCount(), 1, 0, 0, 0}));
    expected.push_back(Call("DrawIndexed", {5220, 0, 0}));  // the sky
    expected.push_back("OMSetRenderTargets(1)");
    for (int round = 0; round < 8; ++round) {
        expected.push_back(Call("Dispatch", {(width + 255) / 256, height, 1}));
        expected.push_back(Call("Dispatch", {width, (height + 255) / 256, 1}));
    }
    expected.push_back("CSSetShader()");  // the compute stage is left empty
    expected.insert(expected.end(), {"ClearRenderTargetView()", "ClearDepthStencilView(3,0)", "DrawIndexed(6,0,0)"});
    return expected;
}

// Keeps only the last CSSetShader before the second back-buffer clear: the blur's final unbind.
Trace WithoutEffectComputeBinds(const Trace& composition)
{
    Trace result;
    const size_t backBufferBound = FindCall(composition, "OMSetRenderTargets(1)");
    const size_t combineClear = FindCall(composition, "ClearRenderTargetView", backBufferBound);
    for (size_t i = 0; i < composition.size(); ++i) {
        if (composition[i] == "CSSetShader()" && i + 1 != combineClear) {
            continue;
        }
        result.push_back(composition[i]);
    }
    return result;
}

TEST_F(BoxAppFrameTest, FirstSceneFrameDrawsOffscreenBlursAndCombines)
{
    for (const double beat : {8.0, 24.0}) {
        SCOPED_TRACE("beat " + std::to_string(beat));
        const Trace trace = RenderAtBeat(beat);
        const UINT textCount = beat < 16 ? app->Text1IndexCount() : app->Text2IndexCount();
        EXPECT_EQ(Joined(WithoutEffectComputeBinds(Composition(trace))),
                  Joined(FirstSceneComposition(*app, textCount, 1280, 720)));

        // Every dispatch is followed by the unbinding of compute slot 0, reading and writing side.
        size_t dispatches = 0;
        for (size_t i = 0; i < trace.size(); ++i) {
            if (StartsWith(trace[i], "Dispatch(")) {
                ++dispatches;
                ASSERT_LT(i + 2, trace.size());
                EXPECT_EQ(trace[i + 1], "CSSetShaderResources(0,1)") << "after dispatch " << dispatches;
                EXPECT_EQ(trace[i + 2], "CSSetUnorderedAccessViews(0,1)") << "after dispatch " << dispatches;
            }
        }
        EXPECT_EQ(dispatches, 16u);

        // The spheres bind the two-target blend state before each group and restore the defaults
        // (blend and rasterizer) right after the big sphere. The cloud's slices are flushed one by
        // one, so a binning rasterizer holds one slice's triangles at a time.
        const size_t big = FindCall(trace, Call("DrawIndexedInstanced", {app->BigSphereIndexCount(), 1, 0, 0, 0}));
        ASSERT_LT(big, trace.size());
        size_t flushedSlices = 0;
        for (size_t i = FindCall(trace, "DrawIndexedInstanced"); i < big;
             i = FindCall(trace, "DrawIndexedInstanced", i + 1)) {
            flushedSlices += trace[i + 1] == "Flush()" ? 1 : 0;
        }
        EXPECT_EQ(flushedSlices, 7u);
        EXPECT_NE(FindCall(trace, "OMSetBlendState(4294967295)", FindCall(trace, "DrawIndexed(", 0) + 1), trace.size());
        EXPECT_EQ(trace[big + 1], "OMSetBlendState(4294967295)");
        EXPECT_EQ(trace[big + 2], "RSSetState()");
    }
}

TEST_F(BoxAppFrameTest, FirstSceneFrameLeavesNoOffscreenTargetBoundForReading)
{
    RenderAtBeat(40);
    // The blur and the combine set their inputs and outputs back to null, so the next frame can
    // bind the two targets as render targets and the blur can write the blur target.
    ID3D11ShaderResourceView* srv = reinterpret_cast<ID3D11ShaderResourceView*>(1);
    ID3D11UnorderedAccessView* uav = reinterpret_cast<ID3D11UnorderedAccessView*>(1);
    EffectLibrary::BlurFx->Input->GetResource(&srv);
    EffectLibrary::BlurFx->Output->GetUnorderedAccessView(&uav);
    EXPECT_EQ(srv, nullptr);
    EXPECT_EQ(uav, nullptr);
    PostEffect* post = EffectLibrary::PostFx.get();
    for (ID3DX11EffectShaderResourceVariable* input : {post->DiffuseMap, post->DiffuseMap2}) {
        srv = reinterpret_cast<ID3D11ShaderResourceView*>(1);
        input->GetResource(&srv);
        EXPECT_EQ(srv, nullptr);
    }

    // The sky is centred on the camera: its matrix is the camera's translation times its view-projection.
    const Camera& camera = app->State().camera;
    Float4x4 skyMatrix;
    EffectLibrary::SkyFx->WorldViewProj->GetMatrix(skyMatrix.Data());
    const Float3 eye = camera.Position;
    const Float4x4 expected = Translation(eye.x, eye.y, eye.z) * camera.ViewProjection();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(skyMatrix[row][column], expected[row][column], 1e-4f) << row << "," << column;
        }
    }
}

TEST_F(BoxAppFrameTest, SecondSceneDrawsEveryPodAndRoomRangeStraightToTheBackBuffer)
{
    for (const double beat : {56.0, 100.0}) {
        SCOPED_TRACE("beat " + std::to_string(beat));
        const Trace trace = RenderAtBeat(beat);
        const Trace composition = Composition(trace);
        Trace expected = {"OMSetRenderTargets(1)", "ClearRenderTargetView()", "ClearDepthStencilView(3,0)"};
        for (int copy = 0; copy < 6; ++copy) {
            for (const MeshRange& range : app->PodRanges()) {
                expected.push_back(Call("DrawIndexed", {range.indexCount, range.startIndex, 0}));
            }
        }
        for (const size_t slots : {size_t{33}, size_t{29}}) {  // the second room copy has no drawings
            for (size_t slot = 0; slot < slots; ++slot) {
                const MeshRange& range = app->RoomRanges()[slot];
                expected.push_back(Call("DrawIndexed", {range.indexCount, range.startIndex, 0}));
            }
        }
        if (beat >= 96) {
            expected.push_back(Call("DrawIndexed", {app->Text3IndexCount(), 0, 0}));
        }
        EXPECT_EQ(Joined(composition), Joined(expected));
        // Each copy of a pod or the room is flushed as it is drawn, so a binning rasterizer holds
        // one copy's triangles at a time.
        const size_t text = beat >= 96 ? FindCall(trace, Call("DrawIndexed", {app->Text3IndexCount(), 0, 0}))
                                       : trace.size();
        EXPECT_EQ(std::count(trace.begin(), trace.begin() + static_cast<std::ptrdiff_t>(text), "Flush()"), 8);
        // Neither the blur nor the combining pass runs in the corridor.
        EXPECT_EQ(FindCall(composition, "Dispatch"), composition.size());
        EXPECT_EQ(FindCall(composition, "DrawIndexed(6,0,0)"), composition.size());
    }
}

Float3 EyeOf(BasicEffect* fx)
{
    Float3 eye;
    fx->EyePosW->GetRawValue(&eye, 0, sizeof eye);
    return eye;
}

TEST_F(BoxAppFrameTest, ThirdTextReadsTheSecondCameraAndTheOthersTheFirst)
{
    app->UpdateAt(static_cast<float>(BeatTime(100)));
    BasicEffect* fx = EffectLibrary::BasicFx.get();
    ASSERT_NE(fx, nullptr);
    const ShowState& state = app->State();
    ASSERT_FALSE(state.camera.Position == state.secondCamera.Position);

    app->DrawText3();
    EXPECT_EQ(EyeOf(fx), state.secondCamera.Position);
    app->DrawSheep();
    EXPECT_EQ(EyeOf(fx), state.camera.Position);
    app->DrawText3();
    app->DrawText1();
    EXPECT_EQ(EyeOf(fx), state.camera.Position);
    app->DrawText3();
    app->DrawText2();
    EXPECT_EQ(EyeOf(fx), state.camera.Position);
}

TEST_F(BoxAppFrameTest, ResizeRebuildsTargetsBlurAndProjectionsBeforeTheNextFrame)
{
    SendMessageW(app->MainWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600));
    EXPECT_EQ(app->ClientWidth(), 800);
    EXPECT_EQ(app->Blur().Width(), 800u);
    EXPECT_EQ(app->Blur().Height(), 600u);
    EXPECT_FLOAT_EQ(app->State().camera.Aspect, 800.0f / 600.0f);
    EXPECT_FLOAT_EQ(app->State().secondCamera.Aspect, 800.0f / 600.0f);

    for (ID3D11ShaderResourceView* view : {app->BlurTargetSrv(), app->ColorTargetSrv()}) {
        ASSERT_NE(view, nullptr);
        ID3D11Resource* resource = nullptr;
        view->GetResource(&resource);
        ASSERT_NE(resource, nullptr);
        D3D11_TEXTURE2D_DESC desc{};
        static_cast<ID3D11Texture2D*>(resource)->GetDesc(&desc);
        resource->Release();
        EXPECT_EQ(desc.Width, 800u);
        EXPECT_EQ(desc.Height, 600u);
        EXPECT_EQ(desc.MipLevels, view == app->BlurTargetSrv() ? 1u : 10u);  // the colour target has a full chain
    }

    const Trace trace = RenderAtBeat(8);
    EXPECT_EQ(Joined(WithoutEffectComputeBinds(Composition(trace))),
              Joined(FirstSceneComposition(*app, app->Text1IndexCount(), 800, 600)));
}

// Delivers whatever the window has queued, as the frame loop would.
void DispatchPending()
{
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST_F(BoxAppFrameTest, LeftDragTurnsBothCamerasWhileTheCaptureIsHeld)
{
    const HWND window = app->MainWindow();
    const Float3 lookBefore = app->State().camera.Look;
    const Float3 secondLookBefore = app->State().secondCamera.Look;

    ASSERT_TRUE(Win32InjectMouseButton(window, 0, true, 100, 100));
    DispatchPending();
    EXPECT_EQ(GetCapture(), window);

    // Out of the client area to the left: still delivered, with a negative x.
    ASSERT_TRUE(Win32InjectMouseMove(window, -60, 100));
    DispatchPending();
    EXPECT_FALSE(app->State().camera.Look == lookBefore);
    EXPECT_FALSE(app->State().secondCamera.Look == secondLookBefore);
    // 160 pixels at a quarter degree each: a 40 degree turn to the left about the vertical axis.
    const float turned = std::atan2(lookBefore.x, lookBefore.z) -
                         std::atan2(app->State().camera.Look.x, app->State().camera.Look.z);
    EXPECT_NEAR(std::remainder(turned, 2.0f * kPi), 40.0f * kDegreesToRadians, 1e-3f);

    ASSERT_TRUE(Win32InjectMouseButton(window, 0, false, -60, 100));
    DispatchPending();
    EXPECT_EQ(GetCapture(), nullptr);

    // Without a button nothing turns.
    const Float3 lookAfter = app->State().camera.Look;
    ASSERT_TRUE(Win32InjectMouseMove(window, 300, 200));
    DispatchPending();
    EXPECT_TRUE(app->State().camera.Look == lookAfter);
    Win32ResetInput();
}

TEST_F(BoxAppFrameTest, EscapeAndTheEndOfTheScriptAskTheWindowToClose)
{
    MSG msg{};
    bool closeAsked = false;
    app->UpdateFrame(0.0f);  // running time 0, no key: nothing to close
    while (PeekMessageW(&msg, app->MainWindow(), 0, 0, PM_REMOVE)) {
        closeAsked = closeAsked || msg.message == WM_CLOSE;
    }
    ASSERT_FALSE(closeAsked);

    Win32InjectKey(VK_ESCAPE, true);
    app->UpdateFrame(0.0f);
    Win32InjectKey(VK_ESCAPE, false);
    while (PeekMessageW(&msg, app->MainWindow(), 0, 0, PM_REMOVE)) {
        closeAsked = closeAsked || msg.message == WM_CLOSE;
    }
    EXPECT_TRUE(closeAsked);

    app->UpdateAt(static_cast<float>(BeatTime(112.5)));
    closeAsked = false;
    while (PeekMessageW(&msg, app->MainWindow(), 0, 0, PM_REMOVE)) {
        closeAsked = closeAsked || msg.message == WM_CLOSE;
    }
    EXPECT_TRUE(closeAsked);
    Win32ResetInput();
}

}  // namespace
