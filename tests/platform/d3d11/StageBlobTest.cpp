#include "platform/blobs/StageBlob.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

StageBlob SampleVertexBlob()
{
    StageBlob b;
    b.stage = StageKind::Vertex;
    b.glsl = "#version 450\nlayout(location=0) in vec3 p;\nvoid main(){ gl_Position = vec4(p,1); }\n";
    b.inputs = {{"POSITION", 0, 0, StageComponentType::Float, 3},
                {"TEXCOORD", 1, 3, StageComponentType::Float, 2},
                {"BLENDINDICES", 0, 5, StageComponentType::UInt, 4}};
    b.constantBuffers = {{"cbPerObject", 0, 128}, {"cbPerFrame", 1, 256}};
    b.textures = {{"gDiffuseMap", 0, StageTextureDimension::Texture2D, 0, 0, true},
                  {"gCubeMap", 1, StageTextureDimension::TextureCube, 2, kStageNoSampler}};
    b.samplers = {{"samAnisotropic", 0}};
    return b;
}

void ExpectSame(const StageBlob& a, const StageBlob& b)
{
    EXPECT_EQ(a.stage, b.stage);
    EXPECT_EQ(a.glsl, b.glsl);
    ASSERT_EQ(a.inputs.size(), b.inputs.size());
    for (size_t i = 0; i < a.inputs.size(); ++i) {
        EXPECT_EQ(a.inputs[i].semanticName, b.inputs[i].semanticName);
        EXPECT_EQ(a.inputs[i].semanticIndex, b.inputs[i].semanticIndex);
        EXPECT_EQ(a.inputs[i].location, b.inputs[i].location);
        EXPECT_EQ(a.inputs[i].componentType, b.inputs[i].componentType);
        EXPECT_EQ(a.inputs[i].componentCount, b.inputs[i].componentCount);
    }
    ASSERT_EQ(a.constantBuffers.size(), b.constantBuffers.size());
    for (size_t i = 0; i < a.constantBuffers.size(); ++i) {
        EXPECT_EQ(a.constantBuffers[i].name, b.constantBuffers[i].name);
        EXPECT_EQ(a.constantBuffers[i].binding, b.constantBuffers[i].binding);
        EXPECT_EQ(a.constantBuffers[i].byteSize, b.constantBuffers[i].byteSize);
    }
    ASSERT_EQ(a.textures.size(), b.textures.size());
    for (size_t i = 0; i < a.textures.size(); ++i) {
        EXPECT_EQ(a.textures[i].name, b.textures[i].name);
        EXPECT_EQ(a.textures[i].unit, b.textures[i].unit);
        EXPECT_EQ(a.textures[i].dimension, b.textures[i].dimension);
        EXPECT_EQ(a.textures[i].slot, b.textures[i].slot);
        EXPECT_EQ(a.textures[i].samplerSlot, b.textures[i].samplerSlot);
        EXPECT_EQ(a.textures[i].comparison, b.textures[i].comparison);
    }
    ASSERT_EQ(a.samplers.size(), b.samplers.size());
    ASSERT_EQ(a.images.size(), b.images.size());
    for (size_t i = 0; i < a.images.size(); ++i) {
        EXPECT_EQ(a.images[i].name, b.images[i].name);
        EXPECT_EQ(a.images[i].unit, b.images[i].unit);
        EXPECT_EQ(a.images[i].format, b.images[i].format);
    }
}

TEST(StageBlob, RoundTripsEveryField)
{
    const StageBlob vs = SampleVertexBlob();
    std::vector<uint8_t> bytes = WriteStageBlob(vs);
    StageBlob back;
    ASSERT_TRUE(ParseStageBlob(bytes.data(), bytes.size(), back));
    ExpectSame(vs, back);

    StageBlob cs;
    cs.stage = StageKind::Compute;
    cs.glsl = "#version 450\nlayout(local_size_x=16) in;\nvoid main(){}\n";
    cs.images = {{"gOutput", 0, StageImageFormat::Rgba8}, {"gAccum", 3, StageImageFormat::Rgba32f}};
    bytes = WriteStageBlob(cs);
    ASSERT_TRUE(ParseStageBlob(bytes.data(), bytes.size(), back));
    ExpectSame(cs, back);
}

TEST(StageBlob, HeaderIsLittleEndianWithMagicVersionAndSize)
{
    const std::vector<uint8_t> bytes = WriteStageBlob(SampleVertexBlob());
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "SHSB", 4));
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[5] | bytes[6] | bytes[7], 0);
    const uint32_t total = bytes[12] | bytes[13] << 8 | bytes[14] << 16 | uint32_t(bytes[15]) << 24;
    EXPECT_EQ(total, bytes.size());
}

// Every proper prefix and every single-byte corruption must be handled without a crash, and no
// truncation may be accepted (the total-size field sees to that).
TEST(StageBlob, RejectsEveryTruncationAndSurvivesCorruption)
{
    const std::vector<uint8_t> good = WriteStageBlob(SampleVertexBlob());
    StageBlob out;
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ParseStageBlob(good.data(), n, out)) << n;
    for (size_t i = 0; i < good.size(); ++i) {
        for (uint8_t v : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x7F)}) {
            std::vector<uint8_t> bad = good;
            bad[i] = v;
            (void)ParseStageBlob(bad.data(), bad.size(), out);
        }
    }
    EXPECT_FALSE(ParseStageBlob(nullptr, 100, out));
}

std::vector<uint8_t> Patched(std::vector<uint8_t> b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
    return b;
}

TEST(StageBlob, RejectsMalformedFields)
{
    const StageBlob base = SampleVertexBlob();
    const std::vector<uint8_t> good = WriteStageBlob(base);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    std::vector<Case> cases = {
        {"bad magic", Patched(good, 0, 0x42534844)},
        {"future version", Patched(good, 4, 3)},
        {"unknown stage", Patched(good, 8, 6)},
        {"size field too large", Patched(good, 12, uint32_t(good.size() + 1))},
        {"source length past the end", Patched(good, 16, 0x7FFFFFFF)},
        {"trailing byte", Patched(trailing, 12, uint32_t(trailing.size()))},
    };
    auto mutate = [&](const char* what, auto change) {
        StageBlob b = base;
        change(b);
        cases.push_back({what, WriteStageBlob(b)});
    };
    mutate("empty source", [](StageBlob& b) { b.glsl.clear(); });
    mutate("NUL in source", [](StageBlob& b) { b.glsl[3] = '\0'; });
    mutate("component count 0", [](StageBlob& b) { b.inputs[0].componentCount = 0; });
    mutate("component count 5", [](StageBlob& b) { b.inputs[0].componentCount = 5; });
    mutate("bad component type", [](StageBlob& b) { b.inputs[0].componentType = StageComponentType(3); });
    mutate("duplicate semantic, other case", [](StageBlob& b) { b.inputs[1] = {"position", 0, 1, {}, 3}; });
    mutate("duplicate location", [](StageBlob& b) { b.inputs[1].location = 0; });
    mutate("location out of range", [](StageBlob& b) { b.inputs[1].location = 32; });
    mutate("empty semantic", [](StageBlob& b) { b.inputs[0].semanticName.clear(); });
    mutate("inputs on a pixel stage", [](StageBlob& b) { b.stage = StageKind::Pixel; });
    mutate("zero-size constant buffer", [](StageBlob& b) { b.constantBuffers[0].byteSize = 0; });
    mutate("huge constant buffer", [](StageBlob& b) { b.constantBuffers[0].byteSize = 65537; });
    mutate("duplicate binding", [](StageBlob& b) { b.constantBuffers[1].binding = 0; });
    mutate("binding out of range", [](StageBlob& b) { b.constantBuffers[1].binding = 128; });
    mutate("bad texture dimension", [](StageBlob& b) { b.textures[0].dimension = StageTextureDimension(4); });
    mutate("sampler slot out of range", [](StageBlob& b) { b.textures[0].samplerSlot = 16; });
    mutate("bad image format", [](StageBlob& b) { b.images = {{"img", 0, StageImageFormat(9)}}; });
    mutate("overlong name", [](StageBlob& b) { b.samplers[0].name.assign(257, 'x'); });
    for (const Case& c : cases) {
        StageBlob out;
        out.glsl = "untouched";
        EXPECT_FALSE(ParseStageBlob(c.bytes.data(), c.bytes.size(), out)) << c.what;
        EXPECT_EQ(out.glsl, "untouched") << c.what;
    }
}

TEST(StageBlob, CountLargerThanTheDataIsRejectedWithoutAllocating)
{
    StageBlob b;
    b.stage = StageKind::Pixel;
    b.glsl = "x";
    std::vector<uint8_t> bytes = WriteStageBlob(b);
    // The input count follows the 1-byte source: header 16 + length 4 + 1.
    bytes = Patched(bytes, 21, 0xFFFFFFFF);
    StageBlob out;
    EXPECT_FALSE(ParseStageBlob(bytes.data(), bytes.size(), out));
}

TEST(InputSignatureBlob, RoundTripsAndIsAcceptedWhereAVertexBlobIs)
{
    const StageBlob vs = SampleVertexBlob();
    const std::vector<uint8_t> sig = WriteInputSignatureBlob(vs.inputs);
    std::vector<StageInput> a, b;
    ASSERT_TRUE(ParseInputSignatureBlob(sig.data(), sig.size(), a));
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[2].semanticName, "BLENDINDICES");
    EXPECT_EQ(a[2].componentType, StageComponentType::UInt);

    const std::vector<uint8_t> whole = WriteStageBlob(vs);
    ASSERT_TRUE(ParseAnyInputSignature(whole.data(), whole.size(), b));
    EXPECT_EQ(b.size(), 3u);
    ASSERT_TRUE(ParseAnyInputSignature(sig.data(), sig.size(), b));

    // A pixel-stage blob carries no input signature; a stage blob is not a signature blob.
    StageBlob ps;
    ps.stage = StageKind::Pixel;
    ps.glsl = "x";
    const std::vector<uint8_t> psBytes = WriteStageBlob(ps);
    EXPECT_FALSE(ParseAnyInputSignature(psBytes.data(), psBytes.size(), b));
    EXPECT_FALSE(ParseInputSignatureBlob(whole.data(), whole.size(), b));
    for (size_t n = 0; n < sig.size(); ++n)
        EXPECT_FALSE(ParseInputSignatureBlob(sig.data(), n, b));
}

}  // namespace
