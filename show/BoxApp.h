#pragma once
// The show: a timed scene application on the application frame. It owns every device object it
// creates (model, instance and quad buffers, the 27 scene textures, the two offscreen targets, the
// blur and the sky) and empties the process-wide effect, layout and state registries when it goes.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/D3DApp.h"
#include "assets/ModelAssembly.h"
#include "assets/SceneContent.h"
#include "math/Camera.h"
#include "math/LightingRecords.h"
#include "math/MathHelper.h"
#include "passes/BlurPass.h"
#include "passes/ScenePasses.h"
#include "passes/Sky.h"
#include "show/ShowScript.h"
#include "show/SphereInstances.h"

// The show's meshes, read and built on the CPU, before they become device buffers.
struct AssembledModels;

class BoxApp : public D3DApp {
public:
    explicit BoxApp(HINSTANCE instance);
    ~BoxApp() override;

    // False when the window or the device cannot be made, or a model file is malformed; the
    // reason has been shown (and written to standard error) by then.
    bool Initialize() override;
    void HandleResize() override;
    void UpdateFrame(float deltaTime) override;
    void RenderFrame() override;
    void MouseDown(WPARAM buttons, int x, int y) override;
    void MouseUp(WPARAM buttons, int x, int y) override;
    void MouseMove(WPARAM buttons, int x, int y) override;
    // "frame N (beat B)": the beat is what a viewer and the script name a moment of the show by.
    std::string DescribeFrame(long frame, double time) const override;

    // The update of one frame at a running time in seconds, without the keyboard; UpdateFrame uses
    // the timer's running time. Tests and the capture tool drive it directly.
    void UpdateAt(float totalTime);

    // The single passes, as the frame composition calls them.
    void DrawSheep();
    void DrawText1();
    void DrawText2();
    void DrawText3();
    void DrawSpheres();
    void DrawCombine();
    void DrawPods();
    void DrawRoom();

    // Read-only views for tests and tools.
    const ShowState& State() const { return show; }
    ID3D11Device* Device() const { return device; }
    ID3D11DeviceContext* Context() const { return context; }
    IDXGISwapChain* SwapChain() const { return swapChain; }
    int ClientWidth() const { return clientWidth; }
    int ClientHeight() const { return clientHeight; }
    const BlurPass& Blur() const { return blur; }
    const Sky* SkyObject() const { return sky.get(); }
    ID3D11ShaderResourceView* BlurTargetSrv() const { return blurTargetSrv; }
    ID3D11ShaderResourceView* ColorTargetSrv() const { return colorTargetSrv; }
    ID3D11ShaderResourceView* SceneTexture(size_t slot) const { return sceneTextures.at(slot); }
    const std::array<MeshRange, kPodPartCount>& PodRanges() const { return podRanges; }
    const std::array<MeshRange, kRoomPartCount>& RoomRanges() const { return roomRanges; }
    UINT SheepIndexCount() const { return sheepIndexCount; }
    UINT Text1IndexCount() const { return text1IndexCount; }
    UINT Text2IndexCount() const { return text2IndexCount; }
    UINT Text3IndexCount() const { return text3IndexCount; }
    UINT SphereIndexCount() const { return sphereIndexCount; }
    UINT BigSphereIndexCount() const { return bigSphereIndexCount; }
    // Set when start-up stopped at a malformed model file: "<file>:<line>: <problem>".
    const std::string& StartupError() const { return startupError; }

private:
    void BuildOffscreenTargets();
    void LoadTextures();
    void BuildModels(AssembledModels&& models);
    void BuildSphereInstanceBuffers();
    void BuildScreenQuadBuffers();
    void StartMusic();
    void RenderFirstScene();
    void RenderSecondScene();

    ID3D11Buffer* sphereInstanceBuffer = nullptr;
    ID3D11Buffer* bigSphereInstanceBuffer = nullptr;
    std::vector<InstanceRecord> sphereInstances;
    std::vector<InstanceRecord> bigSphereInstances;
    ID3D11Buffer* podVertexBuffer = nullptr;
    ID3D11Buffer* podIndexBuffer = nullptr;
    std::array<ID3D11ShaderResourceView*, kSceneTextureCount> sceneTextures{};
    UINT podIndexCount = 0;
    ID3D11Buffer* roomVertexBuffer = nullptr;
    ID3D11Buffer* roomIndexBuffer = nullptr;
    UINT roomIndexCount = 0;
    std::array<MeshRange, kPodPartCount> podRanges{};
    std::array<MeshRange, kRoomPartCount> roomRanges{};
    ID3D11Buffer* sheepVertexBuffer = nullptr;
    ID3D11Buffer* sheepIndexBuffer = nullptr;
    UINT sheepIndexCount = 0;
    ID3D11Buffer* text1VertexBuffer = nullptr;
    ID3D11Buffer* text1IndexBuffer = nullptr;
    UINT text1IndexCount = 0;
    ID3D11Buffer* text2VertexBuffer = nullptr;
    ID3D11Buffer* text2IndexBuffer = nullptr;
    UINT text2IndexCount = 0;
    ID3D11Buffer* text3VertexBuffer = nullptr;
    ID3D11Buffer* text3IndexBuffer = nullptr;
    UINT text3IndexCount = 0;
    ID3D11Buffer* sphereVertexBuffer = nullptr;
    ID3D11Buffer* sphereIndexBuffer = nullptr;
    UINT sphereIndexCount = 0;
    ID3D11Buffer* bigSphereVertexBuffer = nullptr;
    ID3D11Buffer* bigSphereIndexBuffer = nullptr;
    UINT bigSphereIndexCount = 0;
    ID3D11Buffer* screenQuadVertexBuffer = nullptr;
    ID3D11Buffer* screenQuadIndexBuffer = nullptr;
    ID3D11ShaderResourceView* blurTargetSrv = nullptr;
    ID3D11UnorderedAccessView* blurTargetUav = nullptr;
    ID3D11RenderTargetView* blurTargetRtv = nullptr;
    ID3D11ShaderResourceView* colorTargetSrv = nullptr;
    ID3D11UnorderedAccessView* colorTargetUav = nullptr;
    ID3D11RenderTargetView* colorTargetRtv = nullptr;
    BlurPass blur;
    std::unique_ptr<Sky> sky;

    std::array<DirectionalLight, 3> firstSceneLights;
    std::array<DirectionalLight, 3> secondSceneLights;
    SpotLight darkSpot;
    Material sheepMaterial;
    Material textMaterial;
    Material podMaterial;
    Material roomMaterial;
    Float4x4 text2World;
    Float4x4 text3World;
    Float4x4 podWorld;
    Float4x4 roomWorld;
    // The timeline's state: beat, scene and text modes, moving worlds, both cameras and the two
    // camera-bound spot lights.
    ShowState show;
    POINT lastMousePos{0, 0};

    std::string startupError;
};
