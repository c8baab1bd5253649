// D3D11CreateDevice and the device object. What the device creates lives in Resources.cpp,
// Shaders.cpp and States.cpp; the swap chain and the DXGI chain in SwapChain.cpp.
#include "platform/d3d11/Checks.h"
#include "platform/d3d11/DXGI.h"
#include "platform/d3d11/DeviceObjects.h"

namespace d3dgl {

DeviceImpl::DeviceImpl(std::shared_ptr<DeviceCore> shared) : core(std::move(shared))
{
    core->device = this;
    context = CreateImmediateContext(core);
}

DeviceImpl::~DeviceImpl()
{
    context->ClearState();
    context.Reset();
    core->device = nullptr;
}

IUnknown* DeviceImpl::Cast(REFIID riid)
{
    return riid == IID_ID3D11Device ? this : nullptr;
}

HRESULT DeviceImpl::QueryInterface(REFIID riid, void** out)
{
    if (riid == IID_IDXGIDevice || riid == IID_IDXGIObject) {
        if (out == nullptr) {
            return E_POINTER;
        }
        // A new wrapper per query, handed out with its one reference; it keeps the device alive.
        *out = MakeDxgiDevice(this).Detach();
        return S_OK;
    }
    return ComObject::QueryInterface(riid, out);
}

HRESULT DeviceImpl::CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT count, UINT* levels)
{
    if (levels != nullptr) {
        *levels = 0;
    }
    if (Verdict broken = CheckMultisampleQuery(format, count, levels)) {
        return Refuse(*broken);
    }
    // Multisampled resources are not supported, so only single sampling has a quality level.
    *levels = count == 1 ? 1 : 0;
    return S_OK;
}

void DeviceImpl::GetImmediateContext(ID3D11DeviceContext** out)
{
    if (out == nullptr) {
        return;
    }
    context->AddRef();
    *out = context.Get();
}

}  // namespace d3dgl

using namespace d3dgl;

HRESULT D3D11CreateDevice(IDXGIAdapter*, D3D_DRIVER_TYPE driverType, HMODULE, UINT, const D3D_FEATURE_LEVEL* levels,
                          UINT levelCount, UINT sdkVersion, ID3D11Device** ppDevice, D3D_FEATURE_LEVEL* pFeatureLevel,
                          ID3D11DeviceContext** ppContext)
{
    if (ppDevice != nullptr) {
        *ppDevice = nullptr;
    }
    if (ppContext != nullptr) {
        *ppContext = nullptr;
    }
    if (Verdict broken = CheckDeviceArguments(driverType, levels, levelCount, sdkVersion)) {
        return Refuse(*broken);
    }
    std::shared_ptr<DeviceCore> core = CreateCore();
    if (!core) {
        Report(Rule::DeviceNoContext);
        return DXGI_ERROR_UNSUPPORTED;
    }
    D3D_FEATURE_LEVEL achieved = D3D_FEATURE_LEVEL_9_1;
    if (Verdict broken = ChooseFeatureLevel(levels, levelCount, core->Caps().featureLevel, achieved)) {
        Report(*broken);
        return DXGI_ERROR_UNSUPPORTED;
    }
    core->context.LowerFeatureLevel(achieved);
    if (pFeatureLevel != nullptr) {
        *pFeatureLevel = achieved;
    }
    auto device = ComPtr<DeviceImpl>::Adopt(new DeviceImpl(core));
    if (ppContext != nullptr) {
        device->GetImmediateContext(ppContext);
    }
    if (ppDevice != nullptr) {
        *ppDevice = device.Detach();
    }
    return S_OK;
}
