// Shader objects (separable GL programs made from stage blobs) and input layouts (vertex arrays whose
// attribute formats are fixed when they are made).
#include <algorithm>
#include <mutex>
#include <string>

#include "platform/d3d11/Checks.h"
#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/Formats.h"

namespace d3dgl {

namespace {

// Each stage's range of GL units (kTextureUnitsPerStage wide) and of uniform-buffer bindings.
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
    CheckedLayout checked;
    if (Verdict broken = CheckInputLayout(elements, count, signature, length, checked)) {
        return Refuse(*broken);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    auto* layout = new InputLayoutImpl(core);
    glCreateVertexArrays(1, &layout->vertexArray);
    const GLuint vao = layout->vertexArray;
    for (const auto& [in, e] : checked.attributes) {
        const GLuint location = in.location;
        const GLuint slot = e.element->InputSlot;
        const FormatInfo& f = *e.format;
        glEnableVertexArrayAttrib(vao, location);
        if (f.integer) {
            glVertexArrayAttribIFormat(vao, location, f.components, f.attribType, e.offset);
        } else {
            glVertexArrayAttribFormat(vao, location, f.components, f.attribType, f.normalized ? GL_TRUE : GL_FALSE,
                                      e.offset);
        }
        glVertexArrayAttribBinding(vao, location, slot);
        glVertexArrayBindingDivisor(vao, slot, static_cast<GLuint>(checked.stepRates[slot]));
        if (std::find(layout->slots.begin(), layout->slots.end(), slot) == layout->slots.end()) {
            layout->slots.push_back(slot);
        }
    }
    return Hand<ID3D11InputLayout>(layout, out);
}

template <typename Interface>
ShaderImpl<Interface>::~ShaderImpl()
{
    if (program != 0 && this->Core().MakeCurrent()) {
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
    if (Verdict broken = CheckShader(code, length, kind, core->Caps().computeShaders, blob)) {
        return Refuse(*broken);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    auto* shader = new Impl(core);
    shader->kind = kind;
    shader->inputs = blob.inputs;
    shader->facts.readsInputs = !blob.inputs.empty();
    shader->blob = std::move(blob);
    // Without parallel compilation the result is known at once: the program is made now, and a
    // refused one is refused here, as Direct3D refuses bad bytecode. With it, the result waits for
    // the first draw anyway, and so does the program: an effect holds many more shaders (one per
    // technique and light count) than the frames draw with, and the driver's compile of each is most
    // of a start's cost.
    if (!core->Caps().parallelShaderCompile && !shader->Linked()) {
        shader->Release();
        return E_INVALIDARG;
    }
    return Hand<Interface>(shader, out);
}

namespace {

std::mutex gInTheMakingMutex;
std::string gInTheMaking;

// Names the program the driver builds while it lives (D3D11ProgramInTheMaking).
class InTheMaking {
public:
    explicit InTheMaking(std::string name)
    {
        const std::lock_guard<std::mutex> lock(gInTheMakingMutex);
        gInTheMaking = std::move(name);
    }
    ~InTheMaking()
    {
        const std::lock_guard<std::mutex> lock(gInTheMakingMutex);
        gInTheMaking.clear();
    }
    InTheMaking(const InTheMaking&) = delete;
    InTheMaking& operator=(const InTheMaking&) = delete;
};

}  // namespace

template <typename Interface>
void ShaderImpl<Interface>::MakeProgram()
{
    const GLenum type = kind == StageKind::Vertex  ? GL_VERTEX_SHADER
                        : kind == StageKind::Pixel ? GL_FRAGMENT_SHADER
                                                   : GL_COMPUTE_SHADER;
    const char* source = blob.glsl.c_str();
    program = glCreateShaderProgramv(type, 1, &source);
    if (const std::string label = this->DebugName(); !label.empty()) {
        this->Core().Label(GL_PROGRAM, program, label);
    }
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
    {
        // The driver builds the program in these calls: made here, or waited for here where it
        // compiles in parallel.
        const std::string name = this->DebugName();
        const InTheMaking making(!name.empty() ? name : std::string("a ") + StageName(kind) + " shader");
        if (program == 0) {
            MakeProgram();
        }
        if (program != 0) {
            glGetProgramiv(program, GL_LINK_STATUS, &linked);
        }
    }
    std::string log;
    if (linked != GL_TRUE && program != 0) {
        log.resize(4096);
        GLsizei n = 0;
        glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &n, log.data());
        log.resize(static_cast<std::size_t>(n));
    }
    if (Verdict broken = CheckLinkResult(linked == GL_TRUE, StageName(kind), std::move(log))) {
        Report(*broken);
        link = Link::Refused;
        facts.linked = false;
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
    // The compiler decided each texture's unit within the stage (CheckShader holds it to the stage's
    // range); the stage's place among the GL units is added here.
    for (const StageTexture& t : blob.textures) {
        const GLint location = glGetUniformLocation(program, t.name.c_str());
        if (location < 0) {
            continue;  // declared but optimized away
        }
        const GLuint unit = TextureUnitBase(kind) + t.unit;
        glProgramUniform1i(program, location, static_cast<GLint>(unit));
        bindings.textures.push_back({unit, t.slot, t.samplerSlot, t.comparison});
        if (t.comparison && t.slot < kShaderResourceSlots) {
            facts.compared.set(t.slot);
        }
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

std::string D3D11ProgramInTheMaking()
{
    const std::lock_guard<std::mutex> lock(d3dgl::gInTheMakingMutex);
    return d3dgl::gInTheMaking;
}
