// Shader objects (separable GL programs made from stage blobs) and input layouts (vertex arrays whose
// attribute formats are fixed when they are made).
#include <algorithm>
#include <string>

#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/Formats.h"

namespace d3dgl {

namespace {

std::string Upper(const char* text)
{
    std::string upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

const char* StageName(StageKind kind)
{
    switch (kind) {
    case StageKind::Vertex: return "vertex";
    case StageKind::Pixel: return "pixel";
    case StageKind::Compute: return "compute";
    default: return "unsupported";
    }
}

// GL texture units and uniform-buffer bindings are shared by all stages, while each Direct3D stage
// numbers its slots from 0; every stage therefore gets its own range of units, this many wide.
constexpr std::size_t kTextureUnitsPerStage = 32;
GLuint TextureUnitBase(StageKind kind)
{
    return kind == StageKind::Vertex ? 32 : 0;
}
GLuint UniformBindingBase(StageKind kind)
{
    return kind == StageKind::Pixel ? 16 : 0;
}

}  // namespace

InputLayoutImpl::~InputLayoutImpl()
{
    if (Core().MakeCurrent()) {
        Core().gl.ForgetVertexArray(vertexArray);
        glDeleteVertexArrays(1, &vertexArray);
    }
}

HRESULT DeviceImpl::CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                                      SIZE_T length, ID3D11InputLayout** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    std::vector<StageInput> inputs;
    if ((elements == nullptr && count != 0) || count > D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT ||
        !ParseAnyInputSignature(signature, length, inputs)) {
        return Refuse(Rule::LayoutSignature);
    }
    // Absolute offsets: append-aligned elements follow the previous one in their slot.
    struct Resolved {
        const D3D11_INPUT_ELEMENT_DESC* element;
        const FormatInfo* format;
        UINT offset;
    };
    std::vector<Resolved> resolved;
    std::array<UINT, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> nextOffset{};
    std::array<int, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> stepRate;
    stepRate.fill(-1);
    for (UINT i = 0; i < count; ++i) {
        const D3D11_INPUT_ELEMENT_DESC& e = elements[i];
        const FormatInfo* f = LookupFormat(e.Format);
        if (e.SemanticName == nullptr || f == nullptr || f->components == 0 ||
            e.InputSlot >= D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT ||
            e.InputSlotClass > D3D11_INPUT_PER_INSTANCE_DATA ||
            (e.InputSlotClass == D3D11_INPUT_PER_VERTEX_DATA && e.InstanceDataStepRate != 0)) {
            Report(Rule::LayoutElement, "element %u", i);
            return E_INVALIDARG;
        }
        const int rate = e.InputSlotClass == D3D11_INPUT_PER_INSTANCE_DATA ? static_cast<int>(e.InstanceDataStepRate)
                                                                           : 0;
        if (stepRate[e.InputSlot] != -1 && stepRate[e.InputSlot] != rate) {
            Report(Rule::LayoutStepRates, "slot %u", e.InputSlot);
            return E_INVALIDARG;
        }
        stepRate[e.InputSlot] = rate;
        const UINT offset = e.AlignedByteOffset == D3D11_APPEND_ALIGNED_ELEMENT ? nextOffset[e.InputSlot]
                                                                                : e.AlignedByteOffset;
        nextOffset[e.InputSlot] = offset + f->blockBytes;
        for (const Resolved& r : resolved) {
            if (r.element->SemanticIndex == e.SemanticIndex &&
                Upper(r.element->SemanticName) == Upper(e.SemanticName)) {
                Report(Rule::LayoutDuplicateSemantic, "%s%u", e.SemanticName, e.SemanticIndex);
                return E_INVALIDARG;
            }
        }
        resolved.push_back({&e, f, offset});
    }
    // Every input the vertex shader reads must be supplied, with a matching component type.
    std::vector<std::pair<const StageInput*, const Resolved*>> matches;
    for (const StageInput& in : inputs) {
        const Resolved* found = nullptr;
        for (const Resolved& r : resolved) {
            if (r.element->SemanticIndex == in.semanticIndex &&
                Upper(r.element->SemanticName) == Upper(in.semanticName.c_str())) {
                found = &r;
            }
        }
        if (found == nullptr) {
            Report(Rule::LayoutMissingInput, "%s%u", in.semanticName.c_str(), in.semanticIndex);
            return E_INVALIDARG;
        }
        if (found->format->integer != (in.componentType != StageComponentType::Float)) {
            Report(Rule::LayoutComponentType, "%s%u", in.semanticName.c_str(), in.semanticIndex);
            return E_INVALIDARG;
        }
        matches.emplace_back(&in, found);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    auto* layout = new InputLayoutImpl(core);
    glCreateVertexArrays(1, &layout->vertexArray);
    const GLuint vao = layout->vertexArray;
    for (const auto& [in, r] : matches) {
        const GLuint location = in->location;
        const GLuint slot = r->element->InputSlot;
        glEnableVertexArrayAttrib(vao, location);
        if (r->format->integer) {
            glVertexArrayAttribIFormat(vao, location, r->format->components, r->format->attribType, r->offset);
        } else {
            glVertexArrayAttribFormat(vao, location, r->format->components, r->format->attribType,
                                      r->format->normalized ? GL_TRUE : GL_FALSE, r->offset);
        }
        glVertexArrayAttribBinding(vao, location, slot);
        glVertexArrayBindingDivisor(vao, slot, static_cast<GLuint>(stepRate[slot]));
        if (std::find(layout->slots.begin(), layout->slots.end(), slot) == layout->slots.end()) {
            layout->slots.push_back(slot);
        }
    }
    return Hand<ID3D11InputLayout>(layout, out);
}

template <typename Interface>
ShaderImpl<Interface>::~ShaderImpl()
{
    if (this->Core().MakeCurrent()) {
        this->Core().gl.ForgetProgram(program);
        glDeleteProgram(program);
    }
}

template <typename Impl, typename Interface>
HRESULT DeviceImpl::CreateShader(StageKind kind, const void* code, SIZE_T length, Interface** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    StageBlob blob;
    if (!ParseStageBlob(code, length, blob)) {
        Report(Rule::ShaderBlob, "a %s shader was asked for", StageName(kind));
        return E_INVALIDARG;
    }
    if (blob.stage != kind) {
        Report(Rule::ShaderStage, "a %s-stage blob where a %s stage was expected", StageName(blob.stage),
               StageName(kind));
        return E_INVALIDARG;
    }
    if (kind == StageKind::Compute && !core->Caps().computeShaders) {
        return Refuse(Rule::ShaderUnsupported);
    }
    // What the stage binds must fit its range of GL units, so that no binding lands outside it.
    const bool imagesFit = std::all_of(blob.images.begin(), blob.images.end(), [](const StageImage& image) {
        return image.unit < D3D11_PS_CS_UAV_REGISTER_COUNT;
    });
    if (blob.textures.size() > kTextureUnitsPerStage || !imagesFit) {
        Report(Rule::ShaderUnsupported, "%s shader: %zu textures (at most %zu) or a writable texture above u%u",
               StageName(kind), blob.textures.size(), kTextureUnitsPerStage, D3D11_PS_CS_UAV_REGISTER_COUNT - 1);
        return E_INVALIDARG;
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    const GLenum type = kind == StageKind::Vertex  ? GL_VERTEX_SHADER
                        : kind == StageKind::Pixel ? GL_FRAGMENT_SHADER
                                                   : GL_COMPUTE_SHADER;
    const char* source = blob.glsl.c_str();
    const GLuint program = glCreateShaderProgramv(type, 1, &source);
    auto* shader = new Impl(core);
    shader->program = program;
    shader->kind = kind;
    shader->inputs = blob.inputs;
    shader->blob = std::move(blob);
    // Without parallel compilation there is nothing to wait for: the result is known now, and a
    // refused program is refused here, as Direct3D refuses bad bytecode.
    if (!core->Caps().parallelShaderCompile && !shader->Linked()) {
        shader->Release();
        return E_INVALIDARG;
    }
    return Hand<Interface>(shader, out);
}

template <typename Interface>
bool ShaderImpl<Interface>::Linked()
{
    if (link != Link::Pending) {
        return link == Link::Done;
    }
    if (!this->Core().MakeCurrent()) {
        return false;
    }
    GLint linked = GL_FALSE;
    if (program != 0) {
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
    }
    if (linked != GL_TRUE) {
        std::string log(4096, '\0');
        GLsizei n = 0;
        if (program != 0) {
            glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &n, log.data());
        }
        log.resize(static_cast<std::size_t>(n));
        Report(Rule::ShaderCompile, "%s shader: %s", StageName(kind), log.c_str());
        link = Link::Refused;
        return false;
    }
    for (const StageConstantBuffer& cb : blob.constantBuffers) {
        const GLuint index = glGetUniformBlockIndex(program, cb.name.c_str());
        if (index == GL_INVALID_INDEX) {
            continue;  // declared but optimized away
        }
        const GLuint binding = UniformBindingBase(kind) + cb.binding;
        glUniformBlockBinding(program, index, binding);
        bindings.buffers.push_back({binding, cb.binding});
    }
    GLuint nextUnit = TextureUnitBase(kind);
    for (const StageTexture& t : blob.textures) {
        const GLint location = glGetUniformLocation(program, t.name.c_str());
        if (location < 0) {
            continue;
        }
        const GLuint unit = nextUnit++;
        glProgramUniform1i(program, location, static_cast<GLint>(unit));
        bindings.textures.push_back({unit, t.slot, t.samplerSlot, t.comparison});
    }
    for (const StageImage& image : blob.images) {
        const GLint location = glGetUniformLocation(program, image.name.c_str());
        if (location < 0) {
            continue;  // declared but optimized away; its unit was checked at creation
        }
        glProgramUniform1i(program, location, static_cast<GLint>(image.unit));
        // The declared format; an image declared without one (written only) takes its view's at binding.
        static constexpr GLenum kFormats[] = {GL_RGBA32F, GL_RGBA8, GL_R32F, GL_R32UI, GL_RGBA16F, GL_R32I, 0};
        bindings.images.push_back({image.unit, image.unit, kFormats[static_cast<int>(image.format)]});
    }
    blob = StageBlob{};
    link = Link::Done;
    return true;
}

template class ShaderImpl<ID3D11VertexShader>;
template class ShaderImpl<ID3D11PixelShader>;
template class ShaderImpl<ID3D11ComputeShader>;

HRESULT DeviceImpl::CreateVertexShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11VertexShader** out)
{
    return CreateShader<VertexShaderImpl>(StageKind::Vertex, code, length, out);
}

HRESULT DeviceImpl::CreatePixelShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11PixelShader** out)
{
    return CreateShader<PixelShaderImpl>(StageKind::Pixel, code, length, out);
}

HRESULT DeviceImpl::CreateComputeShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11ComputeShader** out)
{
    return CreateShader<ComputeShaderImpl>(StageKind::Compute, code, length, out);
}

}  // namespace d3dgl
