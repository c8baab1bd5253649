#pragma once
// The process-wide switches set through Diagnostics.h and the window bridge of WindowBridge.h, as the
// layer reads them.
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/WindowBridge.h"

namespace d3dgl {

const D3D11DeviceOptions& DeviceOptions();
const D3D11WindowBridge& WindowBridge();

}  // namespace d3dgl
