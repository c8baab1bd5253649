#pragma once
// Hooks for tests and tools: the live-object counter, the call trace of a context, reading a
// texture back, and the switches that help tell a layer bug from a rendering bug.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d11/D3D11.h"

// Number of device objects (devices, contexts, resources, views, states, shaders, layouts,
// swap chains and DXGI objects) alive in this process. Zero once everything has been released.
long D3D11LiveObjectCount();

// Starts recording the context's calls, one entry per call, e.g. "OMSetRenderTargets(2)" or
// "DrawIndexed(36,0,0)". Ending returns the entries and stops recording.
void D3D11BeginCallTrace(ID3D11DeviceContext* context);
std::vector<std::string> D3D11EndCallTrace(ID3D11DeviceContext* context);

// GL calls the context has issued (state translation, draws, clears, updates) since creation.
std::uint64_t D3D11GLCallCount(ID3D11DeviceContext* context);

// Reads one subresource as tightly packed rows, top row first (Direct3D's row order). Works for
// the 8-bit RGBA and the 32-bit float, uint and sint RGBA formats; false otherwise.
bool D3D11ReadTexture(ID3D11Texture2D* texture, UINT mipLevel, UINT arraySlice, std::vector<std::uint8_t>& bytes);

struct D3D11DeviceOptions {
    // Reports at most this GL version when choosing the feature level (0 = no cap), so that the
    // refusal of a lesser device can be exercised on any machine. SHOW_GL_VERSION_CAP=33 does the same.
    int glVersionCap = 0;
    // Re-issues every GL state at every draw instead of skipping unchanged state.
    // SHOW_GL_STATE_CACHE=0 does the same.
    bool bypassStateCache = false;
    // EGL extensions (names separated by spaces) treated as missing, so that the paths of an EGL
    // library without them can be tried on any machine.
    std::string hiddenEglExtensions;
    // Reads each program's link result at creation even where the driver compiles in parallel (and
    // the result would otherwise wait for the first draw), so that both paths can be tried anywhere.
    bool serialShaderCompile = false;
};
// Applies to devices created afterwards.
void D3D11SetDeviceOptions(const D3D11DeviceOptions& options);

// Where the GL context of the context's device came from ("EGL device 0 (software)", "EGL surfaceless
// platform", "SDL window system (x11)", ...).
std::string D3D11ContextPlatform(ID3D11DeviceContext* context);

// GPU time of the groups the context's ID3DUserDefinedAnnotation begins and ends, from timestamp
// queries. Beginning starts recording (and turns the annotations on); ending waits for the GPU and
// returns every group since, in the order they began.
struct D3D11PassTime {
    std::string name;
    int depth = 0;  // 0 for a group at the top, 1 inside one, ...
    double milliseconds = 0;
};
void D3D11BeginPassTiming(ID3D11DeviceContext* context);
std::vector<D3D11PassTime> D3D11EndPassTiming(ID3D11DeviceContext* context);

// GL errors, undefined behaviour and high-severity messages the GL debug output (SHOW_GL_DEBUG=1)
// has reported in this process so far.
std::uint64_t D3D11GLDebugProblemCount();
// Messages of the driver's shader compiler (warnings too, whatever their severity) the GL debug
// output has reported in this process so far: GLSL we emit should draw none.
std::uint64_t D3D11GLShaderCompilerMessageCount();

// What the driver made of a shader's program, as far as is known without waiting for it: where it
// compiles in parallel, the result is read at the first draw or dispatch with the shader, and the
// shader is Pending until then.
enum class D3D11LinkState { Pending, Linked, Refused };
D3D11LinkState D3D11ShaderLinkState(ID3D11VertexShader* shader);
D3D11LinkState D3D11ShaderLinkState(ID3D11PixelShader* shader);
D3D11LinkState D3D11ShaderLinkState(ID3D11ComputeShader* shader);

// The shader whose program the driver is building right now (its debug name, else its stage), or
// empty. Programs are built at a shader's first draw, inside a frame: a watchdog that finds a frame
// stuck names what the driver is stuck in. Safe on any thread.
std::string D3D11ProgramInTheMaking();
