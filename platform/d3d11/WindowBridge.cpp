#include "platform/d3d11/WindowBridge.h"

#include "platform/d3d11/DeviceOptions.h"

namespace {

D3D11WindowBridge windowBridge;

}  // namespace

const D3D11WindowBridge& d3dgl::WindowBridge()
{
    return windowBridge;
}

void D3D11SetWindowBridge(const D3D11WindowBridge* bridge)
{
    windowBridge = bridge != nullptr ? *bridge : D3D11WindowBridge{};
}
