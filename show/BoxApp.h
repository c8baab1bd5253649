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
#include "platform/d3d11/ComPtr.h"
#include "show/ShowScript.h"
#include "show/SphereInstances.h"

// The show's meshes, read and built on the CPU, before they become device buffers.
struct AssembledModels;

// A model on the device: its two buffers and how many indices a draw of all of it takes.
struct DeviceMesh {
    ComPtr<ID3D11Buffer> vertices;
    ComPtr<ID3D11Buffer> indices;
    UINT indexCount = 0;

    MeshBuffers Buffers() const { return {vertices.Get(), indices.Get(), indexCount}; }
    void Reset()
    {
        vertices.Reset();
        indices.Reset();
    }
};

// An offscreen colour target as the frame uses it: drawn into, blurred in place, read.
struct OffscreenTarget {
    ComPtr<ID3D11ShaderResourceView> srv;
    ComPtr<ID3D11UnorderedAccessView> uav;
    ComPtr<ID3D11RenderTargetView> rtv;

    void Reset()
    {
        srv.Reset();
        uav.Reset();
        rtv.Reset();
    }
};

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
    ID3D11Device* Device() const { return device.Get(); }
    ID3D11DeviceContext* Context() const { return context.Get(); }
    IDXGISwapChain* SwapChain() const { return swapChain.Get(); }
    int ClientWidth() const { return clientWidth; }
    int ClientHeight() const { return clientHeight; }
    const BlurPass& Blur() const { return blur; }
    const Sky* SkyObject() const { return sky.get(); }
    ID3D11ShaderResourceView* BlurTargetSrv() const { return blurTarget.srv.Get(); }
    ID3D11ShaderResourceView* ColorTargetSrv() const { return colorTarget.srv.Get(); }
    ID3D11ShaderResourceView* SceneTexture(size_t slot) const { return sceneTextures.at(slot).Get(); }
    const std::array<MeshRange, kPodPartCount>& PodRanges() const { return podRanges; }
    const std::array<MeshRange, kRoomPartCount>& RoomRanges() const { return roomRanges; }
    UINT SheepIndexCount() const { return sheep.indexCount; }
    UINT Text1IndexCount() const { return text1.indexCount; }
    UINT Text2IndexCount() const { return text2.indexCount; }
    UINT Text3IndexCount() const { return text3.indexCount; }
    UINT SphereIndexCount() const { return sphere.indexCount; }
    UINT BigSphereIndexCount() const { return bigSphere.indexCount; }
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

    DeviceMesh sphere;
    DeviceMesh bigSphere;
    DeviceMesh room;
    DeviceMesh pod;
    DeviceMesh sheep;
    DeviceMesh text1;
    DeviceMesh text2;
    DeviceMesh text3;
    DeviceMesh screenQuad;
    std::array<ComPtr<ID3D11ShaderResourceView>, kSceneTextureCount> sceneTextures;
    ComPtr<ID3DUserDefinedAnnotation> annotation;  // the frame's pass groups
    OffscreenTarget blurTarget;
    OffscreenTarget colorTarget;
    ComPtr<ID3D11Buffer> sphereInstanceBuffer;
    ComPtr<ID3D11Buffer> bigSphereInstanceBuffer;
    std::vector<InstanceRecord> sphereInstances;
    std::vector<InstanceRecord> bigSphereInstances;
    std::array<MeshRange, kPodPartCount> podRanges{};
    std::array<MeshRange, kRoomPartCount> roomRanges{};
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
