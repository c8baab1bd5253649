#include "show/BoxApp.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <future>
#include <iostream>

#include "assets/ObjLoader.h"
#include "effects/Effects.h"
#include "effects/RenderStates.h"
#include "effects/VertexLayouts.h"
#include "platform/d3dx11/D3DX11Texture.h"
#include "platform/media/Mci.h"
#include "platform/win32/Win32Platform.h"
#include "show/ModelBuffers.h"
#include "show/MouseLook.h"
#include "show/SceneConstants.h"
#include "show/ScreenQuad.h"

namespace {

// A texture of the description and its three views; null views where the device refused. The
// name is what GPU tools call the texture.
OffscreenTarget CreateOffscreenTarget(ID3D11Device* device, const D3D11_TEXTURE2D_DESC& desc, std::string_view name)
{
    OffscreenTarget target;
    ComPtr<ID3D11Texture2D> texture;
    device->CreateTexture2D(&desc, nullptr, texture.Put());
    if (texture) {
        texture->SetPrivateData(WKPDID_D3DDebugObjectName, static_cast<UINT>(name.size()), name.data());
        device->CreateShaderResourceView(texture.Get(), nullptr, target.srv.Put());
        device->CreateRenderTargetView(texture.Get(), nullptr, target.rtv.Put());
        device->CreateUnorderedAccessView(texture.Get(), nullptr, target.uav.Put());
    }
    return target;
}

// A named group of the frame's calls, for GPU tools and the pass timer; nothing when none listens.
class PassEvent {
public:
    PassEvent(ID3DUserDefinedAnnotation* annotation, const wchar_t* name) : annotation(annotation)
    {
        if (annotation != nullptr) {
            annotation->BeginEvent(name);
        }
    }
    ~PassEvent()
    {
        if (annotation != nullptr) {
            annotation->EndEvent();
        }
    }
    PassEvent(const PassEvent&) = delete;
    PassEvent& operator=(const PassEvent&) = delete;

private:
    ID3DUserDefinedAnnotation* annotation;
};

constexpr float kOffscreenClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr float kCombineClear[4] = {0.065f, 0.075f, 0.1f, 0.0f};
constexpr float kCorridorClear[4] = {0.13f, 0.15f, 0.2f, 1.0f};

constexpr float kSkyRadius = 5000.0f;
constexpr float kFieldOfView = 0.7853982f;
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 1000.0f;

template <typename Vertex>
DeviceMesh CreateDeviceMesh(ID3D11Device* device, const ModelData<Vertex>& model)
{
    DeviceMesh mesh;
    CreateModelBuffers(device, model, mesh.vertices.Put(), mesh.indices.Put());
    mesh.indexCount = model.indexCount;
    return mesh;
}

// "<file>:<line>: <problem>" for the reader's errors, the message alone for others.
std::string DescribeModelError(const std::exception& error)
{
    if (const auto* format = dynamic_cast<const ObjFormatError*>(&error)) {
        return format->what();  // already carries the file and line
    }
    if (const auto* location = dynamic_cast<const ObjErrorLocation*>(&error)) {
        return location->path() + ":" + std::to_string(location->line()) + ": " + error.what();
    }
    return error.what();
}

// With SHOW_STARTUP_TIMES=1, prints how long each step of the start took, so a slow start can be
// traced to the effects, the textures or the models without a profiler.
class StartupTimes {
public:
    StartupTimes()
    {
        const char* flag = std::getenv("SHOW_STARTUP_TIMES");
        enabled = flag && *flag && *flag != '0';
    }

    void Step(const char* name)
    {
        if (!enabled) {
            return;
        }
        const auto now = Clock::now();
        std::fprintf(stderr, "vexa-rhino: start-up %-9s %7.1f ms\n", name, Milliseconds(now - last));
        last = now;
    }

    void Total() const
    {
        if (enabled) {
            std::fprintf(stderr, "vexa-rhino: start-up %-9s %7.1f ms\n", "total", Milliseconds(Clock::now() - first));
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

    bool enabled = false;
    Clock::time_point first = Clock::now();
    Clock::time_point last = first;
};

}  // namespace

struct AssembledModels {
    SphereMeshData sphere, bigSphere;
    LitModelData sheep, text1, text2, text3;
    PartModelData pod, room;
};

static AssembledModels AssembleModels()
{
    AssembledModels m;
    // Small spheres of the cloud, then the big dark sphere.
    m.sphere = AssembleSphereMesh(0.3f, 1);
    m.bigSphere = AssembleSphereMesh(1.0f, 16);
    m.sheep = AssembleSheepModel();
    m.text1 = AssembleTextModel(1);
    m.text2 = AssembleTextModel(2);
    m.text3 = AssembleTextModel(3);
    m.pod = AssemblePodModel();
    m.room = AssembleRoomModel();
    return m;
}

BoxApp::BoxApp(HINSTANCE instance)
    : D3DApp(instance),
      firstSceneLights(FirstSceneLights()),
      secondSceneLights(SecondSceneLights()),
      darkSpot(DarkSpot()),
      sheepMaterial(SheepMaterial()),
      textMaterial(TextMaterial()),
      podMaterial(PodMaterial()),
      roomMaterial(RoomMaterial()),
      text2World(Text2World()),
      text3World(Text3World()),
      podWorld(PodWorld()),
      roomWorld(RoomWorld())
{
    mainWindowCaption = std::wstring(kMainWindowCaption);
    msaa4xEnabled = false;
}

BoxApp::~BoxApp()
{
    if (context) {
        context->ClearState();
    }
    sky.reset();

    // The scene's objects go in a fixed order, before the registries and (with D3DApp) the device.
    sphere.Reset();
    bigSphere.Reset();
    room.Reset();
    pod.Reset();
    sheep.Reset();
    text1.Reset();
    text2.Reset();
    text3.Reset();
    screenQuad.Reset();
    for (ComPtr<ID3D11ShaderResourceView>& texture : sceneTextures) {
        texture.Reset();
    }
    blurTarget.Reset();
    colorTarget.Reset();
    sphereInstanceBuffer.Reset();
    bigSphereInstanceBuffer.Reset();

    EffectLibrary::ReleaseAll();
    VertexLayouts::ReleaseAll();
    RenderStates::ReleaseAll();

    sphereInstances.clear();
    sphereInstances.shrink_to_fit();
    bigSphereInstances.clear();
    bigSphereInstances.shrink_to_fit();
    // The blur's views go with the member; the D3DApp destructor then releases the device.
}

bool BoxApp::Initialize()
{
    StartupTimes times;
    // The texture files decode on worker threads while the window, the device and the effects are
    // made; LoadTextures then only hands the pictures to the device.
    std::vector<std::wstring> imageFiles{WideFromNarrow(kSkyCubeMapFile)};
    for (std::string_view file : kSceneTextureFiles) {
        imageFiles.push_back(WideFromNarrow(file));
    }
    auto imagePrefetch = std::make_unique<D3DX11ImagePrefetch>(imageFiles);
    // The model files are read and assembled on a thread of their own meanwhile, too.
    std::future<AssembledModels> models = std::async(std::launch::async, AssembleModels);
    if (!CreateMainWindow()) {
        return false;
    }
    if (!CreateDevice()) {
        return false;
    }
    context->QueryInterface(__uuidof(ID3DUserDefinedAnnotation), reinterpret_cast<void**>(annotation.Put()));
    times.Step("device");

    EffectLibrary::CreateAll(device.Get());
    VertexLayouts::CreateAll(device.Get());
    RenderStates::CreateAll(device.Get());
    times.Step("effects");
    sky = Sky::Create(device.Get(), WideFromNarrow(kSkyCubeMapFile), kSkyRadius);
    LoadTextures();
    imagePrefetch.reset();
    times.Step("textures");

    // A model file that cannot be read is drawn as nothing (with a warning); one that is malformed
    // stops the start: drawing it would index past its lists.
    try {
        BuildModels(models.get());
    } catch (const std::exception& error) {
        startupError = DescribeModelError(error);
        std::cerr << "vexa-rhino: cannot load a model: " << startupError << "\n";
        const std::wstring text = L"Cannot load a model:\n" + WideFromNarrow(startupError);
        MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK);
        return false;
    }
    times.Step("models");

    BuildSphereInstanceBuffers();
    BuildScreenQuadBuffers();
    StartMusic();
    times.Step("music");
    times.Total();
    return true;
}

void BoxApp::LoadTextures()
{
    for (size_t slot = 0; slot < kSceneTextureCount; ++slot) {
        const std::wstring path = WideFromNarrow(kSceneTextureFiles[slot]);
        D3DX11CreateShaderResourceViewFromFileW(device.Get(), path.c_str(), nullptr, nullptr, sceneTextures[slot].Put(),
                                                nullptr);
    }
}

void BoxApp::BuildModels(AssembledModels&& m)
{
    sphere = CreateDeviceMesh(device.Get(), m.sphere);
    bigSphere = CreateDeviceMesh(device.Get(), m.bigSphere);
    sheep = CreateDeviceMesh(device.Get(), m.sheep);
    text1 = CreateDeviceMesh(device.Get(), m.text1);
    text2 = CreateDeviceMesh(device.Get(), m.text2);
    text3 = CreateDeviceMesh(device.Get(), m.text3);
    pod = CreateDeviceMesh(device.Get(), m.pod);
    for (size_t slot = 0; slot < podRanges.size() && slot < m.pod.ranges.size(); ++slot) {
        podRanges[slot] = m.pod.ranges[slot];
    }
    room = CreateDeviceMesh(device.Get(), m.room);
    for (size_t slot = 0; slot < roomRanges.size() && slot < m.room.ranges.size(); ++slot) {
        roomRanges[slot] = m.room.ranges[slot];
    }
}

void BoxApp::BuildSphereInstanceBuffers()
{
    sphereInstances = BuildSphereInstances();
    CreateInstanceBuffer(device.Get(), sphereInstances, sphereInstanceBuffer.Put());
    bigSphereInstances = BuildBigSphereInstances();
    CreateInstanceBuffer(device.Get(), bigSphereInstances, bigSphereInstanceBuffer.Put());
}

void BoxApp::BuildScreenQuadBuffers()
{
    CreateScreenQuadBuffers(device.Get(), BuildScreenQuad(), screenQuad.vertices.Put(), screenQuad.indices.Put());
}

void BoxApp::StartMusic()
{
    // Failures leave the show silent; the timeline runs by the clock alone.
    const std::wstring music = WideFromNarrow(kMusicFile);
    mciSendStringW((L"open " + music + L" type mpegvideo").c_str(), nullptr, 0, nullptr);
    if (mciSendStringW((L"play " + music).c_str(), nullptr, 0, nullptr) != 0) {
        return;
    }
    // From here the music pauses and resumes with the timer.
    soundtrack = music;
    if (appPaused) {
        mciSendStringW((L"pause " + music).c_str(), nullptr, 0, nullptr);
    }
}

void BoxApp::HandleResize()
{
    D3DApp::HandleResize();
    BuildOffscreenTargets();
    blur.Resize(device.Get(), static_cast<UINT>(clientWidth), static_cast<UINT>(clientHeight));
    show.camera.SetProjection(kFieldOfView, AspectRatio(), kNearPlane, kFarPlane);
    show.secondCamera.SetProjection(kFieldOfView, AspectRatio(), kNearPlane, kFarPlane);
}

void BoxApp::BuildOffscreenTargets()
{
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = static_cast<UINT>(clientWidth);
    desc.Height = static_cast<UINT>(clientHeight);
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET | D3D11_BIND_UNORDERED_ACCESS;
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = 0;

    // The old targets go first, so that a resize never holds two sets.
    blurTarget.Reset();
    colorTarget.Reset();
    desc.MipLevels = 1;
    blurTarget = CreateOffscreenTarget(device.Get(), desc, "blur target");
    desc.MipLevels = 0;  // a full chain; only the top level is written
    colorTarget = CreateOffscreenTarget(device.Get(), desc, "colour target");
}

std::string BoxApp::DescribeFrame(long frame, double time) const
{
    char text[96];
    std::snprintf(text, sizeof text, "frame %ld (beat %.3f)", frame, BeatAt(static_cast<float>(time)));
    return text;
}

void BoxApp::UpdateFrame(float deltaTime)
{
    (void)deltaTime;  // the show is a function of the running time alone
    if (GetAsyncKeyState(VK_ESCAPE) & 0x8000) {
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    }
    UpdateAt(timer.TotalTime());
}

void BoxApp::UpdateAt(float totalTime)
{
    if (UpdateShow(totalTime, sphereInstances.size(), bigSphereInstances.size(), show)) {
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    }
}

void BoxApp::RenderFrame()
{
    if (!context || !swapChain) {
        return;
    }
    if (show.sceneMode == 0) {
        RenderFirstScene();
    } else {
        RenderSecondScene();
    }
    swapChain->Present(0, 0);
}

void BoxApp::RenderFirstScene()
{
    ID3D11RenderTargetView* const targets[2] = {colorTarget.rtv.Get(), blurTarget.rtv.Get()};
    context->OMSetRenderTargets(2, targets, depthStencilView.Get());
    context->ClearRenderTargetView(renderTargetView.Get(), kOffscreenClear);
    context->ClearRenderTargetView(blurTarget.rtv.Get(), kOffscreenClear);
    context->ClearRenderTargetView(colorTarget.rtv.Get(), kOffscreenClear);
    context->ClearDepthStencilView(depthStencilView.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);

    {
        const PassEvent event(annotation.Get(), L"sheep");
        DrawSheep();
    }
    if (show.textMode == 0 || show.textMode == 1) {
        const PassEvent event(annotation.Get(), L"text");
        if (show.textMode == 0) {
            DrawText1();
        } else {
            DrawText2();
        }
    }
    {
        const PassEvent event(annotation.Get(), L"spheres");
        DrawSpheres();
    }
    if (sky) {
        const PassEvent event(annotation.Get(), L"sky");
        sky->Draw(context.Get(), show.camera);
    }

    context->OMSetRenderTargets(1, renderTargetView.GetAddressOf(), depthStencilView.Get());
    {
        const PassEvent event(annotation.Get(), L"blur");
        blur.BlurInPlace(context.Get(), blurTarget.srv.Get(), blurTarget.uav.Get());
    }

    const PassEvent event(annotation.Get(), L"combine");
    context->ClearRenderTargetView(renderTargetView.Get(), kCombineClear);
    context->ClearDepthStencilView(depthStencilView.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
    DrawCombine();
}

void BoxApp::RenderSecondScene()
{
    context->OMSetRenderTargets(1, renderTargetView.GetAddressOf(), depthStencilView.Get());
    context->ClearRenderTargetView(renderTargetView.Get(), kCorridorClear);
    context->ClearDepthStencilView(depthStencilView.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
    {
        const PassEvent event(annotation.Get(), L"pods");
        DrawPods();
    }
    {
        const PassEvent event(annotation.Get(), L"room");
        DrawRoom();
    }
    if (show.textMode == 2) {
        const PassEvent event(annotation.Get(), L"text");
        DrawText3();
    }
}

void BoxApp::DrawSheep()
{
    DrawLitMesh(context.Get(), sheep.Buffers(), show.sheepWorld, sheepMaterial, darkSpot, firstSceneLights,
                show.camera);
}

void BoxApp::DrawText1()
{
    DrawLitMesh(context.Get(), text1.Buffers(), show.text1World, textMaterial, show.activeCameraSpot, firstSceneLights,
                show.camera);
}

void BoxApp::DrawText2()
{
    DrawLitMesh(context.Get(), text2.Buffers(), text2World, textMaterial, show.activeCameraSpot, firstSceneLights,
                show.camera);
}

void BoxApp::DrawText3()
{
    DrawLitMesh(context.Get(), text3.Buffers(), text3World, textMaterial, show.activeCameraSpot, firstSceneLights,
                show.secondCamera);
}

void BoxApp::DrawSpheres()
{
    const SphereGroup cloud{sphere.Buffers(), sphereInstanceBuffer.Get(), static_cast<UINT>(show.visibleSphereCount),
                            show.sphereCloudWorld};
    const SphereGroup big{bigSphere.Buffers(), bigSphereInstanceBuffer.Get(), static_cast<UINT>(show.bigSphereCount),
                          show.bigSphereWorld};
    ::DrawSpheres(context.Get(), cloud, big, show.camera);
}

void BoxApp::DrawCombine()
{
    ::DrawCombine(context.Get(), screenQuad.vertices.Get(), screenQuad.indices.Get(), blurTarget.srv.Get(),
                  colorTarget.srv.Get());
}

void BoxApp::DrawPods()
{
    const PartModelDraw pods{pod.Buffers(), podRanges, kPodDrawSteps, kPodCopies, podWorld, podMaterial};
    DrawPartModel(context.Get(), pods, {secondSceneLights, show.secondCameraSpot}, show.secondCamera, sceneTextures);
}

void BoxApp::DrawRoom()
{
    const PartModelDraw roomDraw{room.Buffers(), roomRanges, kRoomDrawSteps, kRoomCopies, roomWorld, roomMaterial};
    DrawPartModel(context.Get(), roomDraw, {secondSceneLights, show.secondCameraSpot}, show.secondCamera,
                  sceneTextures);
}

void BoxApp::MouseDown(WPARAM buttons, int x, int y)
{
    (void)buttons;
    MouseLookDown(lastMousePos, x, y);
    SetCapture(mainWindow);
}

void BoxApp::MouseUp(WPARAM buttons, int x, int y)
{
    (void)buttons, (void)x, (void)y;
    ReleaseCapture();
}

void BoxApp::MouseMove(WPARAM buttons, int x, int y)
{
    MouseLookMove(buttons, x, y, lastMousePos, show.camera, show.secondCamera);
}
