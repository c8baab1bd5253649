// The effect runtime: an effect object built from a validated effect blob. Variables write into
// CPU copies of the constant buffers; Apply uploads the copies that changed and binds everything a
// pass names to the context.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fxruntime/D3DX11Effect.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCache.h"
#include "platform/d3d11/ComObject.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/Diagnostics.h"

namespace {

// What GPU tools call a shader: its entry point, and the first pass that runs it.
std::string ShaderLabel(const EffectBlob& blob, std::size_t index, const std::string& sourceName)
{
    const std::string label = (sourceName.empty() ? "" : sourceName + ": ") + blob.shaders[index].entry;
    for (const EffectTechnique& technique : blob.techniques) {
        for (const EffectPass& pass : technique.passes) {
            for (const std::int32_t shader : pass.shaders) {
                if (shader == static_cast<std::int32_t>(index)) {
                    return label + " (first run by technique \"" + technique.name + "\", pass \"" + pass.name + "\")";
                }
            }
        }
    }
    return label;
}

void Label(ID3D11DeviceChild* object, const std::string& label)
{
    if (object != nullptr) {
        object->SetPrivateData(WKPDID_D3DDebugObjectName, static_cast<UINT>(label.size()), label.data());
    }
}

class EffectObject;
struct VariableCore;

// The handle interfaces share one implementation of the untyped operations. A view with no core
// is an inert handle.
template <class Interface>
class ViewBase : public Interface {
public:
    explicit ViewBase(VariableCore* core) : core(core) {}
    virtual ~ViewBase() = default;
    ViewBase(const ViewBase&) = delete;
    ViewBase& operator=(const ViewBase&) = delete;

    BOOL IsValid() override { return core != nullptr ? TRUE : FALSE; }
    ID3DX11EffectScalarVariable* AsScalar() override;
    ID3DX11EffectVectorVariable* AsVector() override;
    ID3DX11EffectMatrixVariable* AsMatrix() override;
    ID3DX11EffectShaderResourceVariable* AsShaderResource() override;
    ID3DX11EffectUnorderedAccessViewVariable* AsUnorderedAccessView() override;
    HRESULT SetRawValue(const void* pData, UINT ByteOffset, UINT ByteCount) override;
    HRESULT GetRawValue(void* pData, UINT ByteOffset, UINT ByteCount) override;

protected:
    VariableCore* core;
};

class RawView final : public ViewBase<ID3DX11EffectVariable> {
public:
    using ViewBase::ViewBase;
};

class ScalarView final : public ViewBase<ID3DX11EffectScalarVariable> {
public:
    using ViewBase::ViewBase;
    HRESULT SetFloat(float Value) override;
    HRESULT GetFloat(float* pValue) override;
    HRESULT SetInt(int Value) override;
};

class VectorView final : public ViewBase<ID3DX11EffectVectorVariable> {
public:
    using ViewBase::ViewBase;
    HRESULT SetFloatVector(const float* pData) override;
    HRESULT GetFloatVector(float* pData) override;
};

class MatrixView final : public ViewBase<ID3DX11EffectMatrixVariable> {
public:
    using ViewBase::ViewBase;
    HRESULT SetMatrix(const float* pData) override;
    HRESULT GetMatrix(float* pData) override;
};

class ShaderResourceView final : public ViewBase<ID3DX11EffectShaderResourceVariable> {
public:
    using ViewBase::ViewBase;
    HRESULT SetResource(ID3D11ShaderResourceView* pResource) override;
    HRESULT GetResource(ID3D11ShaderResourceView** ppResource) override;
    HRESULT SetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count) override;
    HRESULT GetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count) override;
};

class UnorderedAccessView final : public ViewBase<ID3DX11EffectUnorderedAccessViewVariable> {
public:
    using ViewBase::ViewBase;
    HRESULT SetUnorderedAccessView(ID3D11UnorderedAccessView* pResource) override;
    HRESULT GetUnorderedAccessView(ID3D11UnorderedAccessView** ppResource) override;
};

RawView inertRaw{nullptr};
ScalarView inertScalar{nullptr};
VectorView inertVector{nullptr};
MatrixView inertMatrix{nullptr};
ShaderResourceView inertSrv{nullptr};
UnorderedAccessView inertUav{nullptr};

struct ConstantBuffer {
    ComPtr<ID3D11Buffer> buffer;
    std::vector<std::uint8_t> data;  // Direct3D's layout, as the variables write it
    // The std140 copy the shaders read when Direct3D's offsets cannot be declared in GLSL.
    std::vector<std::uint8_t> gpu;
    const std::vector<EffectCopyRun>* runs = nullptr;
    bool dirty = false;

    const std::uint8_t* Upload()
    {
        if (runs == nullptr || runs->empty()) {
            return data.data();
        }
        for (const EffectCopyRun& r : *runs) {
            std::memcpy(gpu.data() + r.to, data.data() + r.from, r.bytes);
        }
        return gpu.data();
    }
};

// One variable of the effect with its typed views; the views that do not fit its kind are never
// handed out.
struct VariableCore {
    VariableCore(EffectObject* owner, const EffectVariable* variable)
        : effect(owner),
          info(variable),
          raw(this),
          scalar(this),
          vector(this),
          matrix(this),
          srv(this),
          uav(this)
    {
        if (variable->kind == EffectVariableKind::Texture) {
            views.resize(std::max(variable->elements, 1u));
        }
    }

    bool IsNumeric() const
    {
        return info->kind == EffectVariableKind::Numeric && info->baseType != EffectBaseType::Struct;
    }
    bool IsScalar() const { return IsNumeric() && !info->matrix && info->columns == 1; }
    bool IsVector() const { return IsNumeric() && !info->matrix && info->columns > 1; }
    bool IsMatrix() const { return IsNumeric() && info->matrix; }

    // Bytes within the variable, bounds-checked against its size.
    HRESULT Write(UINT offset, const void* bytes, UINT count);
    // The variable's bytes [offset, offset + count) to write in place, checked once and marked changed;
    // null when the range is not inside the variable.
    std::uint8_t* Place(UINT offset, UINT count);
    HRESULT Read(UINT offset, void* bytes, UINT count) const;
    // One 32-bit component, converted to the variable's base type.
    HRESULT WriteComponent(UINT offset, float value);
    HRESULT ReadComponent(UINT offset, float& value) const;

    EffectObject* effect;
    const EffectVariable* info;
    RawView raw;
    ScalarView scalar;
    VectorView vector;
    MatrixView matrix;
    ShaderResourceView srv;
    UnorderedAccessView uav;
    // Held, as the pipeline will read them at Apply: one per element (one for a texture that is no array).
    std::vector<ComPtr<ID3D11ShaderResourceView>> views;
    ComPtr<ID3D11UnorderedAccessView> uavView;  // held likewise
    bool dimensionWarned = false;               // a view of the wrong dimension was refused and said
    bool elementsWarned = false;                // a view of integers for floats, or the reverse, likewise
};

// A created shader with the bindings its stage blob declares.
struct StageShader {
    StageKind stage = StageKind::Vertex;
    ComPtr<ID3D11VertexShader> vs;
    ComPtr<ID3D11PixelShader> ps;
    ComPtr<ID3D11ComputeShader> cs;
    std::vector<std::uint32_t> constantBuffers;
    std::vector<std::uint32_t> textureSlots;
    std::vector<std::uint32_t> samplerSlots;
    std::vector<std::uint32_t> imageUnits;
    const std::vector<std::uint8_t>* inputSignature = nullptr;  // vertex stage only: its stage blob
    bool linkKnown = false;                                     // the driver's verdict on the program has been read
};

class PassImpl final : public ID3DX11EffectPass {
public:
    PassImpl(EffectObject* owner, const EffectTechnique* technique, const EffectPass* pass)
        : effect(owner),
          technique(technique),
          info(pass)
    {}
    virtual ~PassImpl() = default;
    BOOL IsValid() override { return effect != nullptr ? TRUE : FALSE; }
    HRESULT GetDesc(D3DX11_PASS_DESC* pDesc) override;
    HRESULT Apply(UINT Flags, ID3D11DeviceContext* pContext) override;

private:
    EffectObject* effect;
    const EffectTechnique* technique;
    const EffectPass* info;
    bool shaderlessWarned = false;  // a draw pass without a vertex shader was said once
};

class TechniqueImpl final : public ID3DX11EffectTechnique {
public:
    TechniqueImpl(EffectObject* owner, const EffectTechnique* technique) : effect(owner), info(technique)
    {
        if (technique != nullptr) {
            for (const EffectPass& p : technique->passes) {
                passes.push_back(std::make_unique<PassImpl>(owner, technique, &p));
            }
        }
    }
    virtual ~TechniqueImpl() = default;
    BOOL IsValid() override { return effect != nullptr ? TRUE : FALSE; }
    HRESULT GetDesc(D3DX11_TECHNIQUE_DESC* pDesc) override;
    ID3DX11EffectPass* GetPassByIndex(UINT Index) override;
    ID3DX11EffectPass* GetPassByName(LPCSTR Name) override;

private:
    EffectObject* effect;
    const EffectTechnique* info;
    std::vector<std::unique_ptr<PassImpl>> passes;
};

PassImpl inertPass{nullptr, nullptr, nullptr};
TechniqueImpl inertTechnique{nullptr, nullptr};

class EffectObject final : public ComObject<ID3DX11Effect> {
public:
    EffectObject(EffectBlob blob, std::string sourceName) : blob(std::move(blob)), sourceName(std::move(sourceName)) {}

    // Creates every device object; on failure returns the device's code and leaves the rest to
    // the destructor.
    HRESULT Build(ID3D11Device* pDevice);

    IUnknown* Cast(REFIID riid) override { return riid == IID_ID3DX11Effect ? this : nullptr; }

    BOOL IsValid() override { return TRUE; }
    const std::string& SourceName() const { return sourceName; }
    HRESULT GetDevice(ID3D11Device** ppDevice) override
    {
        if (ppDevice == nullptr) {
            return E_INVALIDARG;
        }
        *ppDevice = ComPtr(device).Detach();
        return S_OK;
    }
    HRESULT GetDesc(D3DX11_EFFECT_DESC* pDesc) override
    {
        if (pDesc == nullptr) {
            return E_INVALIDARG;
        }
        pDesc->ConstantBuffers = static_cast<UINT>(buffers.size());
        pDesc->GlobalVariables = static_cast<UINT>(variables.size());
        pDesc->InterfaceVariables = 0;
        pDesc->Techniques = static_cast<UINT>(techniques.size());
        pDesc->Groups = 0;
        return S_OK;
    }
    ID3DX11EffectVariable* GetVariableByIndex(UINT Index) override
    {
        if (Index >= variables.size()) {
            return &inertRaw;
        }
        return &variables[Index]->raw;
    }
    ID3DX11EffectVariable* GetVariableByName(LPCSTR Name) override
    {
        if (Name == nullptr) {
            return &inertRaw;
        }
        for (const auto& v : variables) {
            if (v->info->name == Name) {
                return &v->raw;
            }
        }
        return &inertRaw;
    }
    ID3DX11EffectTechnique* GetTechniqueByIndex(UINT Index) override
    {
        if (Index >= techniques.size()) {
            return &inertTechnique;
        }
        return techniques[Index].get();
    }
    ID3DX11EffectTechnique* GetTechniqueByName(LPCSTR Name) override
    {
        if (Name == nullptr) {
            return &inertTechnique;
        }
        for (std::size_t i = 0; i < techniques.size(); ++i) {
            if (blob.techniques[i].name == Name) {
                return techniques[i].get();
            }
        }
        return &inertTechnique;
    }

    void MarkDirty(std::uint32_t buffer) { buffers[buffer].dirty = true; }
    std::vector<std::uint8_t>& BufferData(std::uint32_t buffer) { return buffers[buffer].data; }
    const StageShader* Shader(std::int32_t index) const
    {
        return index < 0 ? nullptr : &shaders[static_cast<std::size_t>(index)];
    }
    HRESULT ApplyPass(const EffectPass& pass, ID3D11DeviceContext* context);
    // Where the driver compiles in parallel, a program it refuses is known only after the first draw
    // with it, long after the effect was built. A compiled effect kept in the cache would fail so at
    // every start, so the first refusal seen drops the file's entry (once per effect).
    void NoteRefusedShaders(const EffectPass& pass);

private:
    // The variables first (they hold views bound into the effect), the device last (its members
    // are declared first).
    ~EffectObject() override { variables.clear(); }

    void BindStage(const StageShader& shader, ID3D11DeviceContext* context);
    // Build's steps, in its order: the buffers with their first contents, the variables and the
    // slots they take, each shader with the bindings its stage makes, the state objects.
    HRESULT BuildBuffers();
    void BuildVariables();
    HRESULT BuildShader(const EffectShader& s);
    // Whether every binding a stage makes names a slot the effect fills.
    bool BindingsKnown(const StageShader& stored) const;
    HRESULT BuildStates();

    EffectBlob blob;
    bool refusalNoted = false;
    const std::string sourceName;  // the effect's file, for the shaders' debug names; may be empty
    ComPtr<ID3D11Device> device;
    std::vector<ConstantBuffer> buffers;
    std::vector<StageShader> shaders;
    std::vector<ComPtr<ID3D11SamplerState>> samplerStates;
    std::vector<ComPtr<ID3D11RasterizerState>> rasterizerStates;
    std::vector<ComPtr<ID3D11DepthStencilState>> depthStencilStates;
    std::vector<ComPtr<ID3D11BlendState>> blendStates;
    std::vector<std::unique_ptr<VariableCore>> variables;
    struct TextureSlot {
        VariableCore* core = nullptr;
        std::size_t element = 0;
    };
    std::vector<TextureSlot> textureAtSlot;  // by shader-resource slot
    std::vector<int> bufferAtSlot;           // index into buffers by constant-buffer slot, -1 when none
    std::vector<VariableCore*> uavAtSlot;    // by unordered-access slot
    std::vector<std::unique_ptr<TechniqueImpl>> techniques;
};

// ---------------------------------------------------------------------------------------------
// Variables

template <class Interface>
ID3DX11EffectScalarVariable* ViewBase<Interface>::AsScalar()
{
    return core != nullptr && core->IsScalar() ? &core->scalar : &inertScalar;
}
template <class Interface>
ID3DX11EffectVectorVariable* ViewBase<Interface>::AsVector()
{
    return core != nullptr && core->IsVector() ? &core->vector : &inertVector;
}
template <class Interface>
ID3DX11EffectMatrixVariable* ViewBase<Interface>::AsMatrix()
{
    return core != nullptr && core->IsMatrix() ? &core->matrix : &inertMatrix;
}
template <class Interface>
ID3DX11EffectShaderResourceVariable* ViewBase<Interface>::AsShaderResource()
{
    return core != nullptr && core->info->kind == EffectVariableKind::Texture ? &core->srv : &inertSrv;
}
template <class Interface>
ID3DX11EffectUnorderedAccessViewVariable* ViewBase<Interface>::AsUnorderedAccessView()
{
    return core != nullptr && core->info->kind == EffectVariableKind::Uav ? &core->uav : &inertUav;
}
template <class Interface>
HRESULT ViewBase<Interface>::SetRawValue(const void* pData, UINT ByteOffset, UINT ByteCount)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    return core->Write(ByteOffset, pData, ByteCount);
}
template <class Interface>
HRESULT ViewBase<Interface>::GetRawValue(void* pData, UINT ByteOffset, UINT ByteCount)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    return core->Read(ByteOffset, pData, ByteCount);
}

HRESULT VariableCore::Write(UINT offset, const void* bytes, UINT count)
{
    if (info->kind != EffectVariableKind::Numeric) {
        return E_FAIL;
    }
    if (bytes == nullptr && count != 0) {
        return E_INVALIDARG;
    }
    if (std::uint64_t{offset} + count > info->size) {
        return E_INVALIDARG;
    }
    if (count == 0) {
        return S_OK;
    }
    std::memcpy(effect->BufferData(info->buffer).data() + info->offset + offset, bytes, count);
    effect->MarkDirty(info->buffer);
    return S_OK;
}

std::uint8_t* VariableCore::Place(UINT offset, UINT count)
{
    if (info->kind != EffectVariableKind::Numeric || std::uint64_t{offset} + count > info->size) {
        return nullptr;
    }
    effect->MarkDirty(info->buffer);
    return effect->BufferData(info->buffer).data() + info->offset + offset;
}

HRESULT VariableCore::Read(UINT offset, void* bytes, UINT count) const
{
    if (info->kind != EffectVariableKind::Numeric) {
        return E_FAIL;
    }
    if (bytes == nullptr && count != 0) {
        return E_INVALIDARG;
    }
    if (std::uint64_t{offset} + count > info->size) {
        return E_INVALIDARG;
    }
    if (count != 0) {
        std::memcpy(bytes, effect->BufferData(info->buffer).data() + info->offset + offset, count);
    }
    return S_OK;
}

HRESULT VariableCore::WriteComponent(UINT offset, float value)
{
    std::uint8_t bytes[4] = {};
    switch (info->baseType) {
    case EffectBaseType::Float: std::memcpy(bytes, &value, 4); break;
    case EffectBaseType::Int: {
        const auto v = static_cast<std::int32_t>(value);
        std::memcpy(bytes, &v, 4);
        break;
    }
    case EffectBaseType::UInt: {
        const auto v = value <= 0.0f ? 0u : static_cast<std::uint32_t>(value);
        std::memcpy(bytes, &v, 4);
        break;
    }
    case EffectBaseType::Bool:
    case EffectBaseType::Struct: {
        const std::uint32_t v = value != 0.0f ? 1u : 0u;
        std::memcpy(bytes, &v, 4);
        break;
    }
    }
    return Write(offset, bytes, 4);
}

HRESULT VariableCore::ReadComponent(UINT offset, float& value) const
{
    std::uint8_t bytes[4] = {};
    const HRESULT hr = Read(offset, bytes, 4);
    if (FAILED(hr)) {
        return hr;
    }
    switch (info->baseType) {
    case EffectBaseType::Float: std::memcpy(&value, bytes, 4); break;
    case EffectBaseType::Int: {
        std::int32_t v;
        std::memcpy(&v, bytes, 4);
        value = static_cast<float>(v);
        break;
    }
    default: {
        std::uint32_t v;
        std::memcpy(&v, bytes, 4);
        value = static_cast<float>(v);
        break;
    }
    }
    return S_OK;
}

HRESULT ScalarView::SetFloat(float Value)
{
    return core == nullptr ? E_FAIL : core->WriteComponent(0, Value);
}
HRESULT ScalarView::GetFloat(float* pValue)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pValue == nullptr) {
        return E_INVALIDARG;
    }
    return core->ReadComponent(0, *pValue);
}
HRESULT ScalarView::SetInt(int Value)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (core->info->baseType == EffectBaseType::Int) {
        return core->Write(0, &Value, 4);
    }
    return core->WriteComponent(0, static_cast<float>(Value));
}

HRESULT VectorView::SetFloatVector(const float* pData)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pData == nullptr) {
        return E_INVALIDARG;
    }
    if (core->info->baseType == EffectBaseType::Float) {
        return core->Write(0, pData, core->info->columns * 4);  // the floats as they are, in one copy
    }
    for (UINT c = 0; c < core->info->columns; ++c) {
        const HRESULT hr = core->WriteComponent(c * 4, pData[c]);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}
HRESULT VectorView::GetFloatVector(float* pData)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pData == nullptr) {
        return E_INVALIDARG;
    }
    for (UINT c = 0; c < core->info->columns; ++c) {
        const HRESULT hr = core->ReadComponent(c * 4, pData[c]);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

// Constant-buffer registers are 16 bytes. A row-major matrix keeps one row per register, a
// column-major one one column per register: the shader sees the same matrix either way.
UINT MatrixComponentOffset(const EffectVariable& v, UINT row, UINT column)
{
    return v.columnMajor ? column * 16 + row * 4 : row * 16 + column * 4;
}

HRESULT MatrixView::SetMatrix(const float* pData)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pData == nullptr) {
        return E_INVALIDARG;
    }
    const EffectVariable& v = *core->info;
    // The range is checked once, so that a refused matrix leaves nothing half written, then each
    // element goes to its place, the row-major data transposed where the variable is column-major.
    const UINT end = MatrixComponentOffset(v, v.rows - 1, v.columns - 1) + 4;
    if (std::uint64_t{end} > v.size) {
        return E_INVALIDARG;
    }
    if (v.baseType == EffectBaseType::Float) {  // every matrix the compiler makes: copied as it is
        std::uint8_t* bytes = core->Place(0, end);
        for (UINT r = 0; r < v.rows; ++r) {
            for (UINT c = 0; c < v.columns; ++c) {
                std::memcpy(bytes + MatrixComponentOffset(v, r, c), &pData[r * 4 + c], 4);
            }
        }
        return S_OK;
    }
    for (UINT r = 0; r < v.rows; ++r) {
        for (UINT c = 0; c < v.columns; ++c) {
            core->WriteComponent(MatrixComponentOffset(v, r, c), pData[r * 4 + c]);
        }
    }
    return S_OK;
}
HRESULT MatrixView::GetMatrix(float* pData)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pData == nullptr) {
        return E_INVALIDARG;
    }
    const EffectVariable& v = *core->info;
    for (UINT i = 0; i < 16; ++i) {
        pData[i] = 0.0f;
    }
    for (UINT r = 0; r < v.rows; ++r) {
        for (UINT c = 0; c < v.columns; ++c) {
            const HRESULT hr = core->ReadComponent(MatrixComponentOffset(v, r, c), pData[r * 4 + c]);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT ShaderResourceView::SetResource(ID3D11ShaderResourceView* pResource)
{
    return SetResourceArray(&pResource, 0, 1);
}
HRESULT ShaderResourceView::GetResource(ID3D11ShaderResourceView** ppResource)
{
    return GetResourceArray(ppResource, 0, 1);
}
namespace {

D3D11_SRV_DIMENSION ViewDimensionOf(StageTextureDimension dimension)
{
    switch (dimension) {
    case StageTextureDimension::Texture2D: return D3D11_SRV_DIMENSION_TEXTURE2D;
    case StageTextureDimension::TextureCube: return D3D11_SRV_DIMENSION_TEXTURECUBE;
    case StageTextureDimension::Texture2DArray: return D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    case StageTextureDimension::Texture3D: return D3D11_SRV_DIMENSION_TEXTURE3D;
    }
    return D3D11_SRV_DIMENSION_UNKNOWN;
}

const char* DimensionName(D3D11_SRV_DIMENSION dimension)
{
    switch (dimension) {
    case D3D11_SRV_DIMENSION_TEXTURE2D: return "a 2D texture";
    case D3D11_SRV_DIMENSION_TEXTURECUBE: return "a cube map";
    case D3D11_SRV_DIMENSION_TEXTURE2DARRAY: return "a 2D texture array";
    case D3D11_SRV_DIMENSION_TEXTURE3D: return "a 3D texture";
    default: return "a buffer or another kind of view";
    }
}

// What the view shows: the texture's debug name (its file, for loaded textures), or "a view".
std::string ViewName(ID3D11View* view)
{
    ComPtr<ID3D11Resource> resource;
    view->GetResource(resource.Put());
    char name[512];
    UINT size = sizeof name;
    if (resource && SUCCEEDED(resource->GetPrivateData(WKPDID_D3DDebugObjectName, &size, name)) && size > 0) {
        return std::string(name, size);
    }
    return "a view";
}

// Whether a view's format reads as signed or unsigned integers, or as floats (normalized included).
EffectBaseType ElementsOf(DXGI_FORMAT format)
{
    switch (format) {
    case DXGI_FORMAT_R32G32B32A32_UINT:
    case DXGI_FORMAT_R32G32B32_UINT:
    case DXGI_FORMAT_R32G32_UINT:
    case DXGI_FORMAT_R8G8B8A8_UINT:
    case DXGI_FORMAT_R32_UINT:
    case DXGI_FORMAT_R16_UINT: return EffectBaseType::UInt;
    case DXGI_FORMAT_R32G32B32A32_SINT:
    case DXGI_FORMAT_R32G32B32_SINT:
    case DXGI_FORMAT_R32G32_SINT:
    case DXGI_FORMAT_R32_SINT: return EffectBaseType::Int;
    default: return EffectBaseType::Float;
    }
}

const char* ElementsName(EffectBaseType elements)
{
    switch (elements) {
    case EffectBaseType::UInt: return "unsigned integers";
    case EffectBaseType::Int: return "signed integers";
    default: return "floats";
    }
}

// A view whose format reads as integers given to a variable of floats, or the reverse: Direct3D
// leaves what the shader reads undefined (GL reads garbage), so it is not bound, and said once,
// naming the effect, since its declaration is the likelier mistake.
bool ElementsFit(VariableCore& core, DXGI_FORMAT viewFormat, ID3D11View* view)
{
    const EffectBaseType given = ElementsOf(viewFormat);
    if (given == core.info->baseType) {
        return true;
    }
    if (!core.elementsWarned) {
        core.elementsWarned = true;
        const std::string& effect = core.effect->SourceName();
        std::fprintf(stderr, "warning: %s%s%s holds %s, but the view given to it (%s) reads as %s; it is not bound\n",
                     effect.c_str(), effect.empty() ? "" : ": ", core.info->name.c_str(),
                     ElementsName(core.info->baseType), ViewName(view).c_str(), ElementsName(given));
    }
    return false;
}

}  // namespace

HRESULT ShaderResourceView::SetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if ((ppResources == nullptr && Count != 0) || std::uint64_t{Offset} + Count > core->views.size()) {
        return E_INVALIDARG;
    }
    // A view of another dimension than the shader declares samples nothing on GL (an incomplete
    // texture), so it is refused as the Direct3D debug layer refuses it, and said once.
    const D3D11_SRV_DIMENSION wanted = ViewDimensionOf(core->info->dimension);
    for (UINT i = 0; i < Count; ++i) {
        if (ppResources[i] == nullptr) {
            continue;
        }
        D3D11_SHADER_RESOURCE_VIEW_DESC desc{};
        ppResources[i]->GetDesc(&desc);
        if (desc.ViewDimension != wanted) {
            if (!core->dimensionWarned) {
                core->dimensionWarned = true;
                std::fprintf(stderr, "warning: %s: %s given to the effect's %s, which takes %s; it is not bound\n",
                             ViewName(ppResources[i]).c_str(), DimensionName(desc.ViewDimension),
                             core->info->name.c_str(), DimensionName(wanted));
            }
            return E_INVALIDARG;
        }
        if (!ElementsFit(*core, desc.Format, ppResources[i])) {
            return E_INVALIDARG;
        }
    }
    for (UINT i = 0; i < Count; ++i) {
        core->views[Offset + i] = ppResources[i];
    }
    return S_OK;
}
HRESULT ShaderResourceView::GetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if ((ppResources == nullptr && Count != 0) || std::uint64_t{Offset} + Count > core->views.size()) {
        return E_INVALIDARG;
    }
    for (UINT i = 0; i < Count; ++i) {
        ppResources[i] = ComPtr(core->views[Offset + i]).Detach();
    }
    return S_OK;
}

HRESULT UnorderedAccessView::SetUnorderedAccessView(ID3D11UnorderedAccessView* pResource)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (pResource != nullptr) {
        D3D11_UNORDERED_ACCESS_VIEW_DESC desc{};
        pResource->GetDesc(&desc);
        if (!ElementsFit(*core, desc.Format, pResource)) {
            return E_INVALIDARG;
        }
    }
    core->uavView = pResource;
    return S_OK;
}
HRESULT UnorderedAccessView::GetUnorderedAccessView(ID3D11UnorderedAccessView** ppResource)
{
    if (core == nullptr) {
        return E_FAIL;
    }
    if (ppResource == nullptr) {
        return E_INVALIDARG;
    }
    *ppResource = ComPtr(core->uavView).Detach();
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Techniques and passes

HRESULT TechniqueImpl::GetDesc(D3DX11_TECHNIQUE_DESC* pDesc)
{
    if (pDesc == nullptr) {
        return E_INVALIDARG;
    }
    // Inert techniques report no passes, so a drawing loop over them draws nothing.
    pDesc->Name = info != nullptr ? info->name.c_str() : "";
    pDesc->Passes = static_cast<UINT>(passes.size());
    pDesc->Annotations = 0;
    return effect != nullptr ? S_OK : E_FAIL;
}

ID3DX11EffectPass* TechniqueImpl::GetPassByIndex(UINT Index)
{
    if (Index >= passes.size()) {
        return &inertPass;
    }
    return passes[Index].get();
}

ID3DX11EffectPass* TechniqueImpl::GetPassByName(LPCSTR Name)
{
    if (Name == nullptr || info == nullptr) {
        return &inertPass;
    }
    for (std::size_t i = 0; i < passes.size(); ++i) {
        if (info->passes[i].name == Name) {
            return passes[i].get();
        }
    }
    return &inertPass;
}

HRESULT PassImpl::GetDesc(D3DX11_PASS_DESC* pDesc)
{
    if (pDesc == nullptr) {
        return E_INVALIDARG;
    }
    *pDesc = D3DX11_PASS_DESC{};
    if (effect == nullptr) {
        pDesc->Name = "";
        return E_FAIL;
    }
    pDesc->Name = info->name.c_str();
    pDesc->StencilRef = info->stencilRef;
    pDesc->SampleMask = info->sampleMask;
    std::memcpy(pDesc->BlendFactor, info->blendFactor, sizeof(pDesc->BlendFactor));
    const StageShader* vs = effect->Shader(info->shaders[static_cast<std::size_t>(StageKind::Vertex)]);
    if (vs != nullptr && vs->inputSignature != nullptr) {
        // The caller only reads the signature; the interface hands it out as non-const.
        pDesc->pIAInputSignature = const_cast<BYTE*>(vs->inputSignature->data());
        pDesc->IAInputSignatureSize = vs->inputSignature->size();
    }
    return S_OK;
}

HRESULT PassImpl::Apply(UINT /*Flags*/, ID3D11DeviceContext* pContext)
{
    if (effect == nullptr) {
        return E_FAIL;
    }
    if (pContext == nullptr) {
        return E_INVALIDARG;
    }
    // Such a pass unbinds the vertex shader, so the device drops what is drawn with it and can name
    // no shader; the pass is named here instead.
    const auto set = [this](StageKind stage) { return info->shaders[static_cast<std::size_t>(stage)] >= 0; };
    if (!set(StageKind::Vertex) && !set(StageKind::Compute) && !shaderlessWarned) {
        shaderlessWarned = true;
        const std::string& file = effect->SourceName();
        std::fprintf(stderr,
                     "warning: %s%stechnique \"%s\", pass \"%s\" sets no vertex or compute shader; what is drawn "
                     "with it is dropped\n",
                     file.c_str(), file.empty() ? "" : ": ", technique->name.c_str(), info->name.c_str());
    }
    return effect->ApplyPass(*info, pContext);
}

// ---------------------------------------------------------------------------------------------
// The effect

namespace {

// The context's calls that bind one stage's slots.
struct StageCalls {
    void (ID3D11DeviceContext::*constantBuffers)(UINT, UINT, ID3D11Buffer* const*);
    void (ID3D11DeviceContext::*resources)(UINT, UINT, ID3D11ShaderResourceView* const*);
    void (ID3D11DeviceContext::*samplers)(UINT, UINT, ID3D11SamplerState* const*);
};

const StageCalls* CallsOf(StageKind stage)
{
    using C = ID3D11DeviceContext;
    static constexpr StageCalls kVertex{&C::VSSetConstantBuffers, &C::VSSetShaderResources, &C::VSSetSamplers};
    static constexpr StageCalls kPixel{&C::PSSetConstantBuffers, &C::PSSetShaderResources, &C::PSSetSamplers};
    static constexpr StageCalls kCompute{&C::CSSetConstantBuffers, &C::CSSetShaderResources, &C::CSSetSamplers};
    switch (stage) {
    case StageKind::Vertex: return &kVertex;
    case StageKind::Pixel: return &kPixel;
    case StageKind::Compute: return &kCompute;
    default: return nullptr;
    }
}

// Binds the items of the slots, one call for each run of consecutive slots.
template <typename Item, typename ItemAt>
void SetInRuns(ID3D11DeviceContext* context, void (ID3D11DeviceContext::*set)(UINT, UINT, Item* const*),
               const std::vector<std::uint32_t>& slots, ItemAt itemAt)
{
    constexpr std::size_t kLongestRun = 32;
    Item* run[kLongestRun];
    for (std::size_t i = 0; i < slots.size();) {
        const std::uint32_t first = slots[i];
        UINT count = 0;
        while (i < slots.size() && slots[i] == first + count && count < kLongestRun) {
            run[count++] = itemAt(slots[i++]);
        }
        (context->*set)(first, count, run);
    }
}

}  // namespace

void EffectObject::BindStage(const StageShader& shader, ID3D11DeviceContext* context)
{
    const StageCalls* calls = CallsOf(shader.stage);
    if (calls == nullptr) {
        return;
    }
    SetInRuns(context, calls->constantBuffers, shader.constantBuffers,
              [&](std::uint32_t slot) { return buffers[static_cast<std::size_t>(bufferAtSlot[slot])].buffer.Get(); });
    SetInRuns(context, calls->resources, shader.textureSlots, [&](std::uint32_t slot) {
        const TextureSlot& t = textureAtSlot[slot];
        return t.core->views[t.element].Get();
    });
    SetInRuns(context, calls->samplers, shader.samplerSlots,
              [&](std::uint32_t slot) { return samplerStates[slot].Get(); });
    if (shader.stage == StageKind::Compute) {
        for (std::uint32_t unit : shader.imageUnits) {
            ID3D11UnorderedAccessView* view = uavAtSlot[unit]->uavView.Get();
            context->CSSetUnorderedAccessViews(unit, 1, &view, nullptr);
        }
    }
}

void EffectObject::NoteRefusedShaders(const EffectPass& pass)
{
    if (refusalNoted) {
        return;
    }
    for (const std::int32_t index : pass.shaders) {
        if (index < 0 || static_cast<std::size_t>(index) >= shaders.size()) {
            continue;
        }
        StageShader& shader = shaders[static_cast<std::size_t>(index)];
        if (shader.linkKnown) {
            continue;
        }
        const D3D11LinkState state = shader.vs   ? D3D11ShaderLinkState(shader.vs.Get())
                                     : shader.ps ? D3D11ShaderLinkState(shader.ps.Get())
                                     : shader.cs ? D3D11ShaderLinkState(shader.cs.Get())
                                                 : D3D11LinkState::Linked;
        shader.linkKnown = state != D3D11LinkState::Pending;
        if (state != D3D11LinkState::Refused) {
            continue;
        }
        refusalNoted = true;
        if (const std::string entry = ForgetEffectCacheEntry(sourceName); !entry.empty()) {
            std::fprintf(stderr,
                         "warning: %s: the graphics driver refused a shader of %s compiled in this entry; the entry "
                         "is removed, so the next start compiles the file again\n",
                         entry.c_str(), sourceName.c_str());
        }
        return;
    }
}

HRESULT EffectObject::ApplyPass(const EffectPass& pass, ID3D11DeviceContext* context)
{
    NoteRefusedShaders(pass);
    for (ConstantBuffer& b : buffers) {
        if (!b.dirty) {
            continue;
        }
        if (b.buffer) {
            context->UpdateSubresource(b.buffer.Get(), 0, nullptr, b.Upload(), 0, 0);
        }
        b.dirty = false;
    }

    auto stage = [&pass, this](StageKind kind) { return Shader(pass.shaders[static_cast<std::size_t>(kind)]); };
    // A compute pass leaves the graphics stages alone and a graphics pass the compute stage, as
    // Direct3D effects do; within its own stages a pass binds null where it sets no shader.
    if (const StageShader* cs = stage(StageKind::Compute)) {
        context->CSSetShader(cs->cs.Get(), nullptr, 0);
        BindStage(*cs, context);
    } else {
        const StageShader* vs = stage(StageKind::Vertex);
        const StageShader* ps = stage(StageKind::Pixel);
        context->VSSetShader(vs != nullptr ? vs->vs.Get() : nullptr, nullptr, 0);
        context->GSSetShader(nullptr, nullptr, 0);
        context->PSSetShader(ps != nullptr ? ps->ps.Get() : nullptr, nullptr, 0);
        if (vs != nullptr) {
            BindStage(*vs, context);
        }
        if (ps != nullptr) {
            BindStage(*ps, context);
        }
    }

    auto state = [](std::int32_t ref, const auto& list) { return list[static_cast<std::size_t>(ref)].Get(); };
    if (pass.rasterizerState == kEffectStateDefault) {
        context->RSSetState(nullptr);
    } else if (pass.rasterizerState >= 0) {
        context->RSSetState(state(pass.rasterizerState, rasterizerStates));
    }
    if (pass.depthStencilState == kEffectStateDefault) {
        context->OMSetDepthStencilState(nullptr, pass.stencilRef);
    } else if (pass.depthStencilState >= 0) {
        context->OMSetDepthStencilState(state(pass.depthStencilState, depthStencilStates), pass.stencilRef);
    }
    if (pass.blendState == kEffectStateDefault) {
        context->OMSetBlendState(nullptr, pass.blendFactor, pass.sampleMask);
    } else if (pass.blendState >= 0) {
        context->OMSetBlendState(state(pass.blendState, blendStates), pass.blendFactor, pass.sampleMask);
    }
    return S_OK;
}

// One state object per stored description, made by the device's creating call for its kind; the
// first failure ends the loop.
template <typename Stored, typename Desc, typename Object>
HRESULT CreateStates(ID3D11Device* device, HRESULT (ID3D11Device::*create)(const Desc*, Object**),
                     const std::vector<Stored>& stored, std::vector<ComPtr<Object>>& created)
{
    for (const Stored& s : stored) {
        const HRESULT hr = (device->*create)(&s.desc, created.emplace_back().Put());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT EffectObject::Build(ID3D11Device* pDevice)
{
    device = pDevice;
    if (const HRESULT hr = BuildBuffers(); FAILED(hr)) {
        return hr;
    }
    BuildVariables();
    for (const EffectShader& s : blob.shaders) {
        if (const HRESULT hr = BuildShader(s); FAILED(hr)) {
            return hr;
        }
    }
    if (const HRESULT hr = BuildStates(); FAILED(hr)) {
        return hr;
    }
    for (const EffectTechnique& t : blob.techniques) {
        techniques.push_back(std::make_unique<TechniqueImpl>(this, &t));
    }
    return S_OK;
}

HRESULT EffectObject::BuildBuffers()
{
    bufferAtSlot.assign(kEffectMaxBuffers, -1);
    for (const EffectConstantBuffer& b : blob.constantBuffers) {
        ConstantBuffer cb;
        cb.data = b.initialData;
        cb.runs = &b.runs;
        if (!b.runs.empty()) {
            cb.gpu.assign(b.gpuSize, 0);
        }
        if (!cb.data.empty()) {
            const D3D11_BUFFER_DESC desc{b.gpuSize, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
            const D3D11_SUBRESOURCE_DATA init{cb.Upload(), 0, 0};
            const HRESULT hr = device->CreateBuffer(&desc, &init, cb.buffer.Put());
            if (FAILED(hr)) {
                return hr;
            }
            Label(cb.buffer.Get(), "cbuffer " + b.name);
        }
        bufferAtSlot[b.slot] = static_cast<int>(buffers.size());
        buffers.push_back(std::move(cb));
    }
    return S_OK;
}

void EffectObject::BuildVariables()
{
    for (const EffectVariable& v : blob.variables) {
        variables.push_back(std::make_unique<VariableCore>(this, &v));
        VariableCore* core = variables.back().get();
        if (v.kind == EffectVariableKind::Texture) {
            for (std::uint32_t e = 0; e < std::max(v.elements, 1u); ++e) {
                if (textureAtSlot.size() <= v.slot + e) {
                    textureAtSlot.resize(v.slot + e + 1);
                }
                textureAtSlot[v.slot + e] = {core, e};
            }
        }
        if (v.kind == EffectVariableKind::Uav) {
            if (uavAtSlot.size() <= v.slot) {
                uavAtSlot.resize(v.slot + 1, nullptr);
            }
            uavAtSlot[v.slot] = core;
        }
    }
}

HRESULT EffectObject::BuildShader(const EffectShader& s)
{
    // Parsed with the effect, which checked every slot it names.
    const StageBlob& stage = s.parsed;
    StageShader shader;
    shader.stage = s.stage;
    HRESULT hr = S_OK;
    switch (s.stage) {
    case StageKind::Vertex:
        hr = device->CreateVertexShader(s.code.data(), s.code.size(), nullptr, shader.vs.Put());
        // As in Direct3D, the vertex shader's own bytecode carries the signature input layouts
        // are made against.
        shader.inputSignature = &s.code;
        break;
    case StageKind::Pixel:
        hr = device->CreatePixelShader(s.code.data(), s.code.size(), nullptr, shader.ps.Put());
        break;
    case StageKind::Compute:
        hr = device->CreateComputeShader(s.code.data(), s.code.size(), nullptr, shader.cs.Put());
        break;
    default: hr = E_NOTIMPL; break;  // the device has no hull, domain or geometry stage
    }
    shaders.push_back(shader);
    if (FAILED(hr)) {
        return hr;
    }
    const std::string label = ShaderLabel(blob, shaders.size() - 1, sourceName);
    Label(shader.vs.Get(), label);
    Label(shader.ps.Get(), label);
    Label(shader.cs.Get(), label);
    std::set<std::uint32_t> cbs, textures, samplers, images;
    for (const StageConstantBuffer& b : stage.constantBuffers) {
        cbs.insert(b.binding);
    }
    for (const StageTexture& t : stage.textures) {
        textures.insert(t.slot);
        if (t.samplerSlot != kStageNoSampler) {
            samplers.insert(t.samplerSlot);
        }
    }
    for (const StageImage& i : stage.images) {
        images.insert(i.unit);
    }
    StageShader& stored = shaders.back();
    stored.constantBuffers.assign(cbs.begin(), cbs.end());
    stored.textureSlots.assign(textures.begin(), textures.end());
    stored.samplerSlots.assign(samplers.begin(), samplers.end());
    stored.imageUnits.assign(images.begin(), images.end());
    return BindingsKnown(stored) ? S_OK : D3DXERR_INVALIDDATA;
}

bool EffectObject::BindingsKnown(const StageShader& stored) const
{
    for (std::uint32_t slot : stored.textureSlots) {
        if (slot >= textureAtSlot.size() || textureAtSlot[slot].core == nullptr) {
            return false;
        }
    }
    for (std::uint32_t unit : stored.imageUnits) {
        if (unit >= uavAtSlot.size() || uavAtSlot[unit] == nullptr) {
            return false;
        }
    }
    for (std::uint32_t slot : stored.constantBuffers) {
        if (slot >= bufferAtSlot.size() || bufferAtSlot[slot] < 0) {
            return false;
        }
    }
    for (std::uint32_t slot : stored.samplerSlots) {
        if (slot >= blob.samplers.size()) {
            return false;
        }
    }
    return true;
}

HRESULT EffectObject::BuildStates()
{
    HRESULT states = CreateStates(device.Get(), &ID3D11Device::CreateSamplerState, blob.samplers, samplerStates);
    if (SUCCEEDED(states)) {
        states = CreateStates(device.Get(), &ID3D11Device::CreateRasterizerState, blob.rasterizerStates,
                              rasterizerStates);
    }
    if (SUCCEEDED(states)) {
        states = CreateStates(device.Get(), &ID3D11Device::CreateDepthStencilState, blob.depthStencilStates,
                              depthStencilStates);
    }
    if (SUCCEEDED(states)) {
        states = CreateStates(device.Get(), &ID3D11Device::CreateBlendState, blob.blendStates, blendStates);
    }
    return states;
}

}  // namespace

HRESULT D3DX11CreateEffectFromMemory(const void* pData, SIZE_T DataLength, UINT /*FXFlags*/, ID3D11Device* pDevice,
                                     ID3DX11Effect** ppEffect, LPCSTR srcName)
{
    if (ppEffect == nullptr) {
        return E_INVALIDARG;
    }
    *ppEffect = nullptr;
    if (pData == nullptr || pDevice == nullptr) {
        return E_INVALIDARG;
    }
    EffectBlob blob;
    if (!ParseEffectBlob(pData, DataLength, blob)) {
        return D3DXERR_INVALIDDATA;
    }
    auto* effect = new EffectObject(std::move(blob), srcName != nullptr ? srcName : "");
    const HRESULT hr = effect->Build(pDevice);
    if (FAILED(hr)) {
        effect->Release();
        return hr;
    }
    *ppEffect = effect;
    return S_OK;
}

ID3DX11EffectTechnique* D3DX11InertTechnique()
{
    return &inertTechnique;
}
ID3DX11EffectVariable* D3DX11InertVariable()
{
    return &inertRaw;
}
