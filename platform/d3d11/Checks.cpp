#include "platform/d3d11/Checks.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

#include "platform/d3d11/GlRecords.h"
#include "platform/d3d11/StateFields.h"

namespace d3dgl {

namespace {

Refusal Broken(Rule rule)
{
    return {rule, {}};
}

Refusal Broken(Rule rule, const char* detailFormat, ...) __attribute__((format(printf, 2, 3)));
Refusal Broken(Rule rule, const char* detailFormat, ...)
{
    char detail[512];
    std::va_list args;
    va_start(args, detailFormat);
    std::vsnprintf(detail, sizeof detail, detailFormat, args);
    va_end(args);
    return {rule, detail};
}

UINT FullMipCount(std::initializer_list<UINT> sizes)
{
    UINT levels = 1;
    for (UINT size = std::max(sizes); size > 1; size >>= 1) {
        ++levels;
    }
    return levels;
}

bool PresentableFormat(DXGI_FORMAT format)
{
    return format == DXGI_FORMAT_R8G8B8A8_UNORM || format == DXGI_FORMAT_B8G8R8A8_UNORM;
}

bool FormatFits(DXGI_FORMAT requested, DXGI_FORMAT texture)
{
    return requested == DXGI_FORMAT_UNKNOWN || requested == texture;
}

bool SameSemantic(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(*a) != upper(*b)) {
            return false;
        }
    }
    return *a == *b;
}

// A view of one mip level (render target, depth stencil and unordered access views) of a plain 2D
// texture made with the view's bind flag, in the texture's format or one the request names that fits.
template <typename Desc, typename Dimension>
Verdict CheckLevelView(ViewedTexture t, const Desc* requested, UINT bindFlag, Dimension dimension, Desc& resolved)
{
    if (t.desc == nullptr || (t.desc->BindFlags & bindFlag) == 0 || t.shape != TextureShape::Plain) {
        return Broken(Rule::ViewResource);
    }
    resolved = {};
    resolved.Format = t.desc->Format;
    resolved.ViewDimension = dimension;
    if (requested != nullptr) {
        bool fits = FormatFits(requested->Format, t.desc->Format) && requested->ViewDimension == dimension &&
                    requested->Texture2D.MipSlice < t.desc->MipLevels;
        if constexpr (requires { requested->Flags; }) {
            fits = fits && requested->Flags == 0;  // read-only depth or stencil views are not supported
        }
        if (!fits) {
            return Broken(Rule::ViewDescription);
        }
        resolved.Texture2D = requested->Texture2D;
    }
    return {};
}

Verdict CheckInitialData(const D3D11_SUBRESOURCE_DATA* initialData, UINT subresources)
{
    for (UINT i = 0; initialData != nullptr && i < subresources; ++i) {
        if (initialData[i].pSysMem == nullptr) {
            return Broken(Rule::InitialDataNull, "subresource %u", i);
        }
    }
    return {};
}

// The first field of the description that the description uses and that is outside its domain,
// named in the refusal ("RenderTarget[1].SrcBlend", "BackFaceStencilPass"). `unused(field, member)`
// says which fields the description does not use.
template <typename Desc, typename Unused>
Verdict OutOfDomain(Rule rule, const Desc& desc, Unused unused)
{
    Verdict broken;
    VisitFields(desc, [&](const FieldInfo& f, const auto& member) {
        using Member = std::remove_cvref_t<decltype(member)>;
        if constexpr (std::is_integral_v<Member> || std::is_enum_v<Member>) {
            if (broken || f.domain == FieldDomain::Bool || unused(f, static_cast<const void*>(&member)) ||
                InDomain(f.domain, static_cast<std::uint32_t>(member))) {
                return;
            }
            broken = f.target >= 0 ? Broken(rule, "RenderTarget[%d].%s", f.target, f.name)
                                   : Broken(rule, "%s%s", f.group, f.name);
        }
    });
    return broken;
}

// A mip count of 0 is the full chain; every subresource (slices times levels) needs data where any
// is given, and an immutable texture needs it.
Verdict CheckMipsAndData(UINT full, UINT slices, D3D11_USAGE usage, const D3D11_SUBRESOURCE_DATA* initialData,
                         UINT& mipLevels)
{
    if (mipLevels == 0) {
        mipLevels = full;
    }
    if (mipLevels > full) {
        return Broken(Rule::TextureMipLevels, "%u of at most %u", mipLevels, full);
    }
    if (usage == D3D11_USAGE_IMMUTABLE && initialData == nullptr) {
        return Broken(Rule::TextureImmutableData);
    }
    return CheckInitialData(initialData, mipLevels * slices);
}

Verdict CheckElement(const D3D11_INPUT_ELEMENT_DESC& e, UINT index, const FormatInfo* f)
{
    if (e.SemanticName == nullptr || f == nullptr || f->components == 0 ||
        e.InputSlot >= D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT || e.InputSlotClass > D3D11_INPUT_PER_INSTANCE_DATA ||
        (e.InputSlotClass == D3D11_INPUT_PER_VERTEX_DATA && e.InstanceDataStepRate != 0)) {
        return Broken(Rule::LayoutElement, "element %u", index);
    }
    return {};
}

Verdict CheckComparedViews(const ShaderFacts* shader, const ResourceSlotSet& colourViews)
{
    if (shader == nullptr) {
        return {};
    }
    const ResourceSlotSet wrong = shader->compared & colourViews;
    if (wrong.none()) {
        return {};
    }
    UINT slot = 0;
    while (!wrong.test(slot)) {
        ++slot;
    }
    return Broken(Rule::DrawComparisonOnColour, "slot %u", slot);
}

}  // namespace

void Report(const Refusal& refusal)
{
    Report(refusal.rule, refusal.detail);
}

HRESULT Refuse(const Refusal& refusal)
{
    Report(refusal);
    return E_INVALIDARG;
}

// ---- the device ----

Verdict CheckDeviceArguments(D3D_DRIVER_TYPE driverType, const D3D_FEATURE_LEVEL* levels, UINT levelCount,
                             UINT sdkVersion)
{
    if (sdkVersion != D3D11_SDK_VERSION || (levels == nullptr && levelCount != 0) ||
        driverType > D3D_DRIVER_TYPE_WARP) {
        return Broken(Rule::DeviceArguments);
    }
    return {};
}

Verdict ChooseFeatureLevel(const D3D_FEATURE_LEVEL* levels, UINT levelCount, D3D_FEATURE_LEVEL reached,
                           D3D_FEATURE_LEVEL& achieved)
{
    static constexpr D3D_FEATURE_LEVEL kDefaults[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                                      D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_9_3,
                                                      D3D_FEATURE_LEVEL_9_2,  D3D_FEATURE_LEVEL_9_1};
    const D3D_FEATURE_LEVEL* list = levels != nullptr ? levels : kDefaults;
    const UINT count = levels != nullptr ? levelCount : static_cast<UINT>(std::size(kDefaults));
    bool found = false;
    for (UINT i = 0; i < count; ++i) {
        if (list[i] <= reached && (!found || list[i] > achieved)) {
            achieved = list[i];
            found = true;
        }
    }
    if (!found) {
        return Broken(Rule::DeviceFeatureLevel, "the context reaches level 0x%x", static_cast<unsigned>(reached));
    }
    return {};
}

Verdict CheckMultisampleQuery(DXGI_FORMAT format, UINT sampleCount, const UINT* levels)
{
    const FormatInfo* f = LookupFormat(format);
    if (levels == nullptr || f == nullptr || f->internalFormat == 0 || f->compressed || sampleCount == 0 ||
        sampleCount > 32) {
        return Broken(Rule::MultisampleQuery);
    }
    return {};
}

Verdict CheckLinkResult(bool linked, const char* stageName, std::string log)
{
    if (linked) {
        return {};
    }
    while (!log.empty() && (log.back() == '\n' || log.back() == ' ' || log.back() == '\0')) {
        log.pop_back();
    }
    std::string detail = stageName;
    detail.append(" shader: ").append(log);
    return Refusal{Rule::ShaderCompile, std::move(detail)};
}

Verdict CheckFramebufferStatus(std::uint32_t status)
{
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE: return {};
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return Broken(Rule::TargetsIncomplete, "an attachment is incomplete");
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return Broken(Rule::TargetsIncomplete, "nothing attached");
    case GL_FRAMEBUFFER_UNSUPPORTED:
        return Broken(Rule::TargetsIncomplete, "the driver does not support this combination of formats");
    default: return Broken(Rule::TargetsIncomplete, "GL status 0x%x", status);
    }
}

// ---- resources and views ----

Verdict CheckBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData)
{
    if (desc == nullptr || desc->ByteWidth == 0 || desc->Usage > D3D11_USAGE_DYNAMIC) {
        return Broken(Rule::BufferDescription);
    }
    if ((desc->BindFlags & D3D11_BIND_CONSTANT_BUFFER) != 0 && (desc->ByteWidth % 16 != 0 || desc->ByteWidth > 65536)) {
        return Broken(Rule::BufferConstantSize, "%u bytes", desc->ByteWidth);
    }
    if (desc->Usage == D3D11_USAGE_IMMUTABLE && (initialData == nullptr || initialData->pSysMem == nullptr)) {
        return Broken(Rule::BufferImmutableData);
    }
    return CheckInitialData(initialData, 1);
}

Verdict CheckTexture2D(const D3D11_TEXTURE2D_DESC* requested, const D3D11_SUBRESOURCE_DATA* initialData,
                       D3D11_TEXTURE2D_DESC& desc)
{
    if (requested == nullptr) {
        return Broken(Rule::TextureDescription);
    }
    desc = *requested;
    const FormatInfo* f = LookupFormat(desc.Format);
    const bool cube = (desc.MiscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) != 0;
    if (f == nullptr || f->internalFormat == 0 || desc.Width == 0 || desc.Height == 0 || desc.Width > kMaxTextureSize ||
        desc.Height > kMaxTextureSize || desc.SampleDesc.Count != 1 || desc.Usage > D3D11_USAGE_DYNAMIC) {
        return Broken(Rule::TextureDescription);
    }
    if (cube ? (desc.ArraySize != 6 || desc.Width != desc.Height) : (desc.ArraySize == 0 || desc.ArraySize > 2048)) {
        return Broken(Rule::TextureArraySize, "%u", desc.ArraySize);
    }
    constexpr UINT kAttached = D3D11_BIND_RENDER_TARGET | D3D11_BIND_DEPTH_STENCIL | D3D11_BIND_UNORDERED_ACCESS;
    if (!cube && desc.ArraySize > 1 && (desc.BindFlags & kAttached) != 0) {
        return Broken(Rule::TextureArrayBinding);
    }
    if (f->compressed && (desc.Width % 4 != 0 || desc.Height % 4 != 0)) {
        return Broken(Rule::TextureBlockSize, "%ux%u", desc.Width, desc.Height);
    }
    if ((f->depth && (desc.BindFlags & (D3D11_BIND_RENDER_TARGET | D3D11_BIND_UNORDERED_ACCESS)) != 0) ||
        ((desc.BindFlags & D3D11_BIND_DEPTH_STENCIL) != 0 && !f->depth) ||
        ((desc.BindFlags & D3D11_BIND_UNORDERED_ACCESS) != 0 && ImageFormatFor(desc.Format) == 0)) {
        return Broken(Rule::TextureBindFormat, "format %d, bind flags 0x%x", static_cast<int>(desc.Format),
                      desc.BindFlags);
    }
    return CheckMipsAndData(FullMipCount({desc.Width, desc.Height}), desc.ArraySize, desc.Usage, initialData,
                            desc.MipLevels);
}

Verdict CheckTexture3D(const D3D11_TEXTURE3D_DESC* requested, const D3D11_SUBRESOURCE_DATA* initialData,
                       D3D11_TEXTURE3D_DESC& desc)
{
    if (requested == nullptr) {
        return Broken(Rule::Texture3DDescription);
    }
    desc = *requested;
    const FormatInfo* f = LookupFormat(desc.Format);
    if (f == nullptr || f->internalFormat == 0 || f->compressed || f->depth || desc.Width == 0 || desc.Height == 0 ||
        desc.Depth == 0 || desc.Width > kMaxTexture3DSize || desc.Height > kMaxTexture3DSize ||
        desc.Depth > kMaxTexture3DSize || desc.Usage > D3D11_USAGE_DYNAMIC || desc.MiscFlags != 0) {
        return Broken(Rule::Texture3DDescription);
    }
    if ((desc.BindFlags & ~static_cast<UINT>(D3D11_BIND_SHADER_RESOURCE)) != 0) {
        return Broken(Rule::TextureArrayBinding);
    }
    return CheckMipsAndData(FullMipCount({desc.Width, desc.Height, desc.Depth}), 1, desc.Usage, initialData,
                            desc.MipLevels);
}

Verdict CheckShaderResourceView(ViewedTexture t, const D3D11_SHADER_RESOURCE_VIEW_DESC* requested,
                                D3D11_SHADER_RESOURCE_VIEW_DESC& desc)
{
    if (t.desc == nullptr || (t.desc->BindFlags & D3D11_BIND_SHADER_RESOURCE) == 0) {
        return Broken(Rule::ViewResource);
    }
    const bool layered = t.shape == TextureShape::Array;
    desc = {};
    desc.Format = t.desc->Format;
    switch (t.shape) {
    case TextureShape::Cube: desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE; break;
    case TextureShape::Array: desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY; break;
    case TextureShape::Volume: desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE3D; break;
    case TextureShape::Plain: desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D; break;
    }
    // The mip range first (the same place in every member of the union), then the slices of an array.
    desc.Texture2DArray = {0, t.desc->MipLevels, 0, layered ? t.desc->ArraySize : 1};
    if (requested == nullptr) {
        return {};
    }
    // A single 2D texture may also be viewed as an array of one.
    const bool asArray = t.shape == TextureShape::Plain &&
                         requested->ViewDimension == D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    if (!FormatFits(requested->Format, t.desc->Format) ||
        (requested->ViewDimension != desc.ViewDimension && !asArray)) {
        return Broken(Rule::ViewDescription, "format or dimension");
    }
    if (asArray) {
        desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    }
    const UINT first = requested->Texture2D.MostDetailedMip;  // same layout for the other members
    UINT count = requested->Texture2D.MipLevels;
    if (first < t.desc->MipLevels && count == UINT(-1)) {
        count = t.desc->MipLevels - first;
    }
    if (first >= t.desc->MipLevels || count == 0 || count > t.desc->MipLevels - first) {
        return Broken(Rule::ViewDescription, "mip levels %u to %u of %u", first, first + count, t.desc->MipLevels);
    }
    desc.Texture2DArray.MostDetailedMip = first;
    desc.Texture2DArray.MipLevels = count;
    if (desc.ViewDimension == D3D11_SRV_DIMENSION_TEXTURE2DARRAY) {
        const UINT slices = layered ? t.desc->ArraySize : 1;
        const D3D11_TEX2D_ARRAY_SRV& a = requested->Texture2DArray;
        if (a.ArraySize == 0 || a.FirstArraySlice >= slices || a.ArraySize > slices - a.FirstArraySlice) {
            return Broken(Rule::ViewDescription, "slices %u to %u of %u", a.FirstArraySlice,
                          a.FirstArraySlice + a.ArraySize, slices);
        }
        desc.Texture2DArray.FirstArraySlice = a.FirstArraySlice;
        desc.Texture2DArray.ArraySize = a.ArraySize;
    }
    return {};
}

Verdict CheckRenderTargetView(ViewedTexture texture, const D3D11_RENDER_TARGET_VIEW_DESC* requested,
                              D3D11_RENDER_TARGET_VIEW_DESC& resolved)
{
    return CheckLevelView(texture, requested, D3D11_BIND_RENDER_TARGET, D3D11_RTV_DIMENSION_TEXTURE2D, resolved);
}

Verdict CheckDepthStencilView(ViewedTexture texture, const D3D11_DEPTH_STENCIL_VIEW_DESC* requested,
                              D3D11_DEPTH_STENCIL_VIEW_DESC& resolved)
{
    return CheckLevelView(texture, requested, D3D11_BIND_DEPTH_STENCIL, D3D11_DSV_DIMENSION_TEXTURE2D, resolved);
}

Verdict CheckUnorderedAccessView(ViewedTexture texture, const D3D11_UNORDERED_ACCESS_VIEW_DESC* requested,
                                 D3D11_UNORDERED_ACCESS_VIEW_DESC& resolved)
{
    return CheckLevelView(texture, requested, D3D11_BIND_UNORDERED_ACCESS, D3D11_UAV_DIMENSION_TEXTURE2D, resolved);
}

// ---- state objects ----

Verdict CheckRasterizer(const D3D11_RASTERIZER_DESC* d)
{
    if (d == nullptr) {
        return Broken(Rule::RasterizerDescription);
    }
    return OutOfDomain(Rule::RasterizerDescription, *d, [](const FieldInfo&, const void*) { return false; });
}

Verdict CheckBlend(const D3D11_BLEND_DESC* d)
{
    if (d == nullptr) {
        return Broken(Rule::BlendDescription);
    }
    const int used = d->IndependentBlendEnable ? 8 : 1;
    return OutOfDomain(Rule::BlendDescription, *d, [&](const FieldInfo& f, const void*) {
        const bool factor = f.domain == FieldDomain::Blend || f.domain == FieldDomain::BlendOp;
        return f.target >= used || (factor && !d->RenderTarget[f.target].BlendEnable);
    });
}

Verdict CheckDepthStencil(const D3D11_DEPTH_STENCIL_DESC* d)
{
    if (d == nullptr) {
        return Broken(Rule::DepthStencilDescription);
    }
    return OutOfDomain(Rule::DepthStencilDescription, *d, [&](const FieldInfo& f, const void* member) {
        const bool face = *f.group != '\0';
        return (face && !d->StencilEnable) || (member == &d->DepthFunc && !d->DepthEnable);
    });
}

Verdict CheckSampler(const D3D11_SAMPLER_DESC* d)
{
    if (d == nullptr) {
        return Broken(Rule::SamplerDescription);
    }
    const bool comparison = (d->Filter & 0x80) != 0;
    Verdict broken = OutOfDomain(Rule::SamplerDescription, *d, [&](const FieldInfo&, const void* member) {
        return member == &d->ComparisonFunc && !comparison;
    });
    if (broken) {
        return broken;
    }
    const bool anisotropic = (d->Filter & 0x40) != 0;
    if (anisotropic && d->MaxAnisotropy < 1) {
        return Broken(Rule::SamplerDescription, "MaxAnisotropy");
    }
    if (!(d->MinLOD <= d->MaxLOD)) {
        return Broken(Rule::SamplerDescription, "MinLOD above MaxLOD");
    }
    return {};
}

// ---- shaders and input layouts ----

const char* StageName(StageKind kind)
{
    switch (kind) {
    case StageKind::Vertex: return "vertex";
    case StageKind::Pixel: return "pixel";
    case StageKind::Compute: return "compute";
    default: return "unsupported";
    }
}

Verdict CheckShader(const void* code, SIZE_T length, StageKind kind, bool computeShaders, StageBlob& blob)
{
    if (!ParseStageBlob(code, length, blob)) {
        return Broken(Rule::ShaderBlob, "a %s shader was asked for", StageName(kind));
    }
    if (blob.stage != kind) {
        return Broken(Rule::ShaderStage, "a %s-stage blob where a %s stage was expected", StageName(blob.stage),
                      StageName(kind));
    }
    if (kind == StageKind::Compute && !computeShaders) {
        return Broken(Rule::ShaderUnsupported, "the GL context has no compute shaders");
    }
    // What the stage binds must fit its range of GL units, so that no binding lands outside it.
    const bool imagesFit = std::all_of(blob.images.begin(), blob.images.end(), [](const StageImage& image) {
        return image.unit < D3D11_PS_CS_UAV_REGISTER_COUNT;
    });
    const bool texturesFit = std::all_of(blob.textures.begin(), blob.textures.end(),
                                         [](const StageTexture& t) { return t.unit < kTextureUnitsPerStage; });
    if (!texturesFit || !imagesFit) {
        return Broken(Rule::ShaderUnsupported, "%s shader: a texture unit above %zu or a writable texture above u%u",
                      StageName(kind), kTextureUnitsPerStage - 1, D3D11_PS_CS_UAV_REGISTER_COUNT - 1);
    }
    return {};
}

Verdict CheckInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature, SIZE_T length,
                         CheckedLayout& layout)
{
    std::vector<StageInput> inputs;
    if ((elements == nullptr && count != 0) || count > D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT ||
        !ParseAnyInputSignature(signature, length, inputs)) {
        return Broken(Rule::LayoutSignature);
    }
    std::vector<LayoutElement> resolved;
    UINT nextOffset[D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT] = {};
    std::fill(std::begin(layout.stepRates), std::end(layout.stepRates), -1);
    for (UINT i = 0; i < count; ++i) {
        const D3D11_INPUT_ELEMENT_DESC& e = elements[i];
        const FormatInfo* f = LookupFormat(e.Format);
        if (Verdict broken = CheckElement(e, i, f)) {
            return broken;
        }
        const auto rate = e.InputSlotClass == D3D11_INPUT_PER_INSTANCE_DATA
                              ? static_cast<std::int32_t>(e.InstanceDataStepRate)
                              : 0;
        std::int32_t& slotRate = layout.stepRates[e.InputSlot];
        if (slotRate != -1 && slotRate != rate) {
            return Broken(Rule::LayoutStepRates, "slot %u", e.InputSlot);
        }
        slotRate = rate;
        const UINT offset = e.AlignedByteOffset == D3D11_APPEND_ALIGNED_ELEMENT ? nextOffset[e.InputSlot]
                                                                                : e.AlignedByteOffset;
        nextOffset[e.InputSlot] = offset + f->blockBytes;
        for (const LayoutElement& r : resolved) {
            if (r.element->SemanticIndex == e.SemanticIndex && SameSemantic(r.element->SemanticName, e.SemanticName)) {
                return Broken(Rule::LayoutDuplicateSemantic, "%s%u", e.SemanticName, e.SemanticIndex);
            }
        }
        resolved.push_back({&e, f, offset});
    }
    // Every input the vertex shader reads must be supplied, with a matching component type.
    layout.attributes.clear();
    for (const StageInput& in : inputs) {
        const auto found = std::find_if(resolved.begin(), resolved.end(), [&](const LayoutElement& r) {
            return r.element->SemanticIndex == in.semanticIndex &&
                   SameSemantic(r.element->SemanticName, in.semanticName.c_str());
        });
        if (found == resolved.end()) {
            return Broken(Rule::LayoutMissingInput, "%s%u", in.semanticName.c_str(), in.semanticIndex);
        }
        if (found->format->integer != (in.componentType != StageComponentType::Float)) {
            return Broken(Rule::LayoutComponentType, "%s%u", in.semanticName.c_str(), in.semanticIndex);
        }
        layout.attributes.push_back({in, *found});
    }
    return {};
}

// ---- the context's calls ----

Verdict CheckGeometryShader(const void* shader)
{
    return shader != nullptr ? Verdict(Broken(Rule::GeometryShader)) : Verdict();
}

Verdict CheckMap(const D3D11_BUFFER_DESC* desc, UINT subresource, D3D11_MAP type, const void* mapped)
{
    if (desc == nullptr || subresource != 0 || mapped == nullptr || desc->Usage != D3D11_USAGE_DYNAMIC ||
        (type != D3D11_MAP_WRITE_DISCARD && type != D3D11_MAP_WRITE_NO_OVERWRITE)) {
        return Broken(Rule::MapArguments);
    }
    return {};
}

Verdict CheckBufferUpdate(const D3D11_BUFFER_DESC& desc, UINT subresource, const D3D11_BOX* box, UINT& first,
                          UINT& last)
{
    first = box != nullptr ? box->left : 0;
    last = box != nullptr ? box->right : desc.ByteWidth;
    if (desc.Usage != D3D11_USAGE_DEFAULT || subresource != 0 || first >= last || last > desc.ByteWidth) {
        return Broken(Rule::UpdateArguments, "buffer");
    }
    return {};
}

Verdict CheckTextureUpdate(const D3D11_TEXTURE2D_DESC* desc, UINT subresource, const D3D11_BOX* box, UINT rowPitch,
                           TextureUpdate& update)
{
    if (desc == nullptr || desc->Usage != D3D11_USAGE_DEFAULT || subresource >= desc->MipLevels * desc->ArraySize) {
        return Broken(Rule::UpdateArguments, "texture");
    }
    const FormatInfo* f = LookupFormat(desc->Format);
    update.level = subresource % desc->MipLevels;
    update.slice = subresource / desc->MipLevels;
    const UINT w = std::max(1u, desc->Width >> update.level), h = std::max(1u, desc->Height >> update.level);
    const D3D11_BOX& b = update.box = box != nullptr ? *box : D3D11_BOX{0, 0, 0, w, h, 1};
    if (f == nullptr || f->compressed || f->depth || b.left >= b.right || b.top >= b.bottom || b.right > w ||
        b.bottom > h || rowPitch % f->blockBytes != 0) {
        return Broken(Rule::UpdateArguments, "texture");
    }
    return {};
}

Verdict CheckBufferCopy(const D3D11_BUFFER_DESC& destination, const D3D11_BUFFER_DESC& source)
{
    if (destination.ByteWidth != source.ByteWidth) {
        return Broken(Rule::CopyMismatch, "buffers of %u and %u bytes", source.ByteWidth, destination.ByteWidth);
    }
    return {};
}

Verdict CheckTextureCopy(const D3D11_TEXTURE2D_DESC* d, const D3D11_TEXTURE2D_DESC* s)
{
    if (d == nullptr || s == nullptr || d->Width != s->Width || d->Height != s->Height ||
        d->MipLevels != s->MipLevels || d->ArraySize != s->ArraySize || d->Format != s->Format) {
        return Broken(Rule::CopyMismatch);
    }
    return {};
}

// ---- draws and dispatches ----

Verdict ValidateDraw(const PipelineFacts& p)
{
    if (p.vertex == nullptr) {
        return Broken(Rule::DrawNoShader);
    }
    if (!p.vertex->linked || (p.pixel != nullptr && !p.pixel->linked)) {
        return Broken(Rule::DrawShaderRefused);
    }
    if (!p.viewport) {
        return Broken(Rule::DrawNoViewport);
    }
    if (!DrawableTopology(p.topology)) {
        return Broken(Rule::DrawTopology, "topology %d", static_cast<int>(p.topology));
    }
    if (p.vertex->readsInputs && !p.layout) {
        return Broken(Rule::DrawNoLayout);
    }
    if (!p.framebuffer) {
        return Broken(Rule::DrawNoTargets);
    }
    if (const std::uint32_t missing = p.layoutSlots & ~p.vertexBuffers; missing != 0) {
        return Broken(Rule::DrawNoVertexBuffer, "slot %d", __builtin_ctz(missing));
    }
    if ((p.sampleMask & 1u) == 0) {
        return Broken(Rule::DrawSampleMaskZero, "mask 0x%x", p.sampleMask);
    }
    if (Verdict broken = CheckComparedViews(p.vertex, p.colourViews[static_cast<size_t>(StageKind::Vertex)])) {
        return broken;
    }
    return CheckComparedViews(p.pixel, p.colourViews[static_cast<size_t>(StageKind::Pixel)]);
}

Verdict ValidateIndexedDraw(const PipelineFacts& p, UINT count, UINT start)
{
    const bool wide = p.indexFormat == DXGI_FORMAT_R32_UINT;
    if (!p.indexBuffer || (!wide && p.indexFormat != DXGI_FORMAT_R16_UINT)) {
        return Broken(Rule::DrawIndexBuffer);
    }
    // Indices past the end of the buffer would be read from outside it; Direct3D reads them as 0,
    // GL may fault, so such a draw is dropped.
    const std::uint64_t end = std::uint64_t(p.indexOffset) + (std::uint64_t(start) + count) * (wide ? 4 : 2);
    if (end > p.indexBufferBytes) {
        return Broken(Rule::DrawIndicesPastEnd, "index %llu of a buffer of %u bytes",
                      static_cast<unsigned long long>(start) + count - 1, p.indexBufferBytes);
    }
    return ValidateDraw(p);
}

Verdict ValidateDispatch(const PipelineFacts& p)
{
    if (p.compute == nullptr) {
        return Broken(Rule::DispatchNoShader);
    }
    if (!p.compute->linked) {
        return Broken(Rule::DrawShaderRefused);
    }
    return CheckComparedViews(p.compute, p.colourViews[static_cast<size_t>(StageKind::Compute)]);
}

// ---- swap chains ----

Verdict CheckSwapChain(const DXGI_SWAP_CHAIN_DESC* desc, bool device, bool out)
{
    if (!device || desc == nullptr || !out || desc->BufferCount < 1 || desc->BufferCount > 2 ||
        desc->SampleDesc.Count != 1 || !PresentableFormat(desc->BufferDesc.Format)) {
        return Broken(Rule::SwapChainArguments);
    }
    return {};
}

Verdict CheckResize(UINT count, DXGI_FORMAT format)
{
    if (count > 1 || (format != DXGI_FORMAT_UNKNOWN && !PresentableFormat(format))) {
        return Broken(Rule::ResizeArguments);
    }
    return {};
}

Verdict CheckResizeSize(UINT width, UINT height)
{
    if (width > kMaxTextureSize || height > kMaxTextureSize) {
        return Broken(Rule::ResizeTooLarge, "%ux%u", width, height);
    }
    return {};
}

}  // namespace d3dgl
