// The effect blob parser never trusts its input: every truncation and every inconsistency that
// would make the runtime index outside its tables is rejected.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompiler.h"

namespace {

std::vector<std::uint8_t> CompiledInput(const char* name)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(FX_TEST_DIR);
    const EffectCompileResult result = CompileEffectFile(std::string(std::strchr(name, '/') ? "" : "inputs/") + name);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(result.succeeded) << result.Messages();
    return result.code;
}

class EffectBlobParse : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        statesBlob = new std::vector<std::uint8_t>(CompiledInput("states.fx"));
        computeBlob = new std::vector<std::uint8_t>(CompiledInput("compute_uav.fx"));
    }
    static void TearDownTestSuite()
    {
        delete statesBlob;
        delete computeBlob;
    }
    static EffectBlob Parsed(const std::vector<std::uint8_t>& bytes)
    {
        EffectBlob blob;
        EXPECT_TRUE(ParseEffectBlob(bytes.data(), bytes.size(), blob));
        return blob;
    }
    static std::vector<std::uint8_t>* statesBlob;
    static std::vector<std::uint8_t>* computeBlob;
};

std::vector<std::uint8_t>* EffectBlobParse::statesBlob = nullptr;
std::vector<std::uint8_t>* EffectBlobParse::computeBlob = nullptr;

TEST_F(EffectBlobParse, WriteOfParseGivesTheSameBytes)
{
    for (const auto* bytes : {statesBlob, computeBlob}) {
        const EffectBlob blob = Parsed(*bytes);
        EXPECT_EQ(*bytes, WriteEffectBlob(blob));
    }
}

TEST_F(EffectBlobParse, RejectsEveryTruncation)
{
    for (const auto* bytes : {statesBlob, computeBlob}) {
        EffectBlob out;
        out.techniques.resize(7);  // must stay untouched on failure
        for (std::size_t n = 0; n < bytes->size(); ++n) {
            ASSERT_FALSE(ParseEffectBlob(bytes->data(), n, out)) << "accepted the first " << n << " bytes";
            ASSERT_EQ(7u, out.techniques.size());
        }
        // The header's size field alone must not decide: a cut blob with a patched size fails too.
        for (std::size_t n = 12; n < bytes->size(); n += 7) {
            std::vector<std::uint8_t> cut(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(n));
            for (int i = 0; i < 4; ++i)
                cut[8 + i] = static_cast<std::uint8_t>(n >> (8 * i));
            ASSERT_FALSE(ParseEffectBlob(cut.data(), cut.size(), out)) << "accepted a re-sized cut at " << n;
        }
    }
    EffectBlob out;
    EXPECT_FALSE(ParseEffectBlob(nullptr, 100, out));
}

TEST_F(EffectBlobParse, RejectsBadHeaderAndTrailingBytes)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> corrupt;
    };
    const Case cases[] = {
        {"magic", [](auto& b) { b[0] = 'X'; }},
        {"version", [](auto& b) { b[4] = static_cast<std::uint8_t>(kEffectBlobVersion + 1); }},
        {"size field", [](auto& b) { b[8] ^= 1; }},
        {"trailing byte",
         [](auto& b) {
             b.push_back(0);
             const auto n = static_cast<std::uint32_t>(b.size());
             for (int i = 0; i < 4; ++i)
                 b[8 + i] = static_cast<std::uint8_t>(n >> (8 * i));
         }},
        {"huge shader count", [](auto& b) { b[12] = 0xFF, b[13] = 0xFF, b[14] = 0xFF, b[15] = 0x7F; }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = *statesBlob;
        c.corrupt(bytes);
        EffectBlob out;
        EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << c.what;
    }
}

TEST_F(EffectBlobParse, RejectsInconsistentContent)
{
    struct Case {
        const char* what;
        std::function<void(EffectBlob&)> corrupt;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"shader index past the list", [](EffectBlob& b) { b.techniques[0].passes[0].shaders[0] = 99; }},
        {"pixel slot holds a vertex shader",
         [](EffectBlob& b) { b.techniques[0].passes[0].shaders[1] = b.techniques[0].passes[0].shaders[0]; }},
        {"rasterizer index past the list", [](EffectBlob& b) { b.techniques[0].passes[0].rasterizerState = 5; }},
        {"state index below the markers", [](EffectBlob& b) { b.techniques[0].passes[0].blendState = -3; }},
        {"NaN blend factor", [nan](EffectBlob& b) { b.techniques[0].passes[0].blendFactor[2] = nan; }},
        {"duplicate technique", [](EffectBlob& b) { b.techniques.push_back(b.techniques[0]); }},
        {"empty technique name", [](EffectBlob& b) { b.techniques[0].name.clear(); }},
        {"name with NUL", [](EffectBlob& b) { b.techniques[0].name = std::string("a\0b", 3); }},
        {"texture slot reused",
         [](EffectBlob& b) {
             EffectVariable v;
             v.name = "gOther";
             v.kind = EffectVariableKind::Texture;
             b.variables.push_back(v);
         }},
        {"sampler variable past the samplers",
         [](EffectBlob& b) {
             for (EffectVariable& v : b.variables)
                 if (v.kind == EffectVariableKind::Sampler)
                     v.slot = 9;
         }},
        {"unknown variable kind", [](EffectBlob& b) { b.variables[0].kind = static_cast<EffectVariableKind>(7); }},
        {"unknown blend operation",
         [](EffectBlob& b) { b.blendStates[0].desc.RenderTarget[0].BlendOp = static_cast<D3D11_BLEND_OP>(6); }},
        {"enabled blend with zero factor",
         [](EffectBlob& b) { b.blendStates[0].desc.RenderTarget[0].SrcBlend = static_cast<D3D11_BLEND>(0); }},
        {"write mask above 0xF",
         [](EffectBlob& b) { b.blendStates[0].desc.RenderTarget[3].RenderTargetWriteMask = 0x1F; }},
        {"unknown filter", [](EffectBlob& b) { b.samplers[0].desc.Filter = static_cast<D3D11_FILTER>(0x56); }},
        {"cull mode 0", [](EffectBlob& b) { b.rasterizerStates[0].desc.CullMode = static_cast<D3D11_CULL_MODE>(0); }},
        {"depth write mask 2",
         [](EffectBlob& b) { b.depthStencilStates[0].desc.DepthWriteMask = static_cast<D3D11_DEPTH_WRITE_MASK>(2); }},
        {"stencil function 9 with the stencil on",
         [](EffectBlob& b) {
             b.depthStencilStates[0].desc.BackFace.StencilFunc = static_cast<D3D11_COMPARISON_FUNC>(9);
         }},
        {"stage blob garbage", [](EffectBlob& b) { b.shaders[0].code.assign(40, 0xAB); }},
        {"stage kind disagrees", [](EffectBlob& b) { b.shaders[0].stage = StageKind::Compute; }},
    };
    const EffectBlob good = Parsed(*statesBlob);
    for (const Case& c : cases) {
        EffectBlob blob = good;
        c.corrupt(blob);
        const std::vector<std::uint8_t> bytes = WriteEffectBlob(blob);
        EffectBlob out;
        EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << c.what;
    }
}

// A buffer whose shaders read a std140 copy: the copy runs must stay inside both layouts, and the
// slots of buffers and texture arrays must not collide.
TEST_F(EffectBlobParse, RejectsCopyRunsAndSlotsOutsideTheirTables)
{
    const std::vector<std::uint8_t> packed = CompiledInput("dialect/pack_vectors.fx");
    const std::vector<std::uint8_t> arrays = CompiledInput("dialect/texture_arrays.fx");
    const EffectBlob good = Parsed(packed);
    ASSERT_FALSE(good.constantBuffers[0].runs.empty());
    struct Case {
        const char* what;
        std::function<void(EffectBlob&)> corrupt;
    };
    const Case cases[] = {
        {"run past the shaders' copy",
         [](EffectBlob& b) { b.constantBuffers[0].runs[0].to = b.constantBuffers[0].gpuSize; }},
        {"run past the buffer",
         [](EffectBlob& b) {
             b.constantBuffers[0].runs.back().from = static_cast<std::uint32_t>(
                 b.constantBuffers[0].initialData.size());
         }},
        {"empty run", [](EffectBlob& b) { b.constantBuffers[0].runs[0].bytes = 0; }},
        {"no runs for a copy of another size", [](EffectBlob& b) { b.constantBuffers[0].runs.clear(); }},
        {"copy size not whole registers", [](EffectBlob& b) { b.constantBuffers[0].gpuSize += 4; }},
        {"buffer slot reused",
         [](EffectBlob& b) {
             b.constantBuffers.push_back(b.constantBuffers[0]);
             b.constantBuffers.back().name = "cbOther";
         }},
        {"buffer slot past 13", [](EffectBlob& b) { b.constantBuffers[0].slot = 14; }},
    };
    for (const Case& c : cases) {
        EffectBlob blob = good;
        c.corrupt(blob);
        const std::vector<std::uint8_t> bytes = WriteEffectBlob(blob);
        EffectBlob out;
        EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << c.what;
    }
    EffectBlob overlapping = Parsed(arrays);
    for (EffectVariable& v : overlapping.variables)
        if (v.name == "gOther")
            v.slot = 4;  // inside gMaps, t3..t4
    const std::vector<std::uint8_t> bytes = WriteEffectBlob(overlapping);
    EffectBlob out;
    EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << "texture inside an array's slots";
}

TEST_F(EffectBlobParse, RejectsVariablesOutsideTheirBuffers)
{
    const EffectBlob good = Parsed(*computeBlob);
    const std::function<void(EffectVariable&, std::size_t)> cases[] = {
        [](EffectVariable& v, std::size_t size) { v.offset = static_cast<std::uint32_t>(size); },
        [](EffectVariable& v, std::size_t size) { v.size = static_cast<std::uint32_t>(size) + 1; },
        [](EffectVariable& v, std::size_t) { v.offset = 0xFFFFFFF0u; },  // offset + size wraps in 32 bits
        [](EffectVariable& v, std::size_t) { v.buffer = 3; },
        [](EffectVariable& v, std::size_t) { v.size = 0; },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EffectBlob blob = good;
        EffectVariable& weights = blob.variables[0];
        ASSERT_EQ("gWeights", weights.name);
        cases[i](weights, blob.constantBuffers[0].initialData.size());
        const auto bytes = WriteEffectBlob(blob);
        EffectBlob out;
        EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << "case " << i;
    }
}

TEST_F(EffectBlobParse, RejectsStageBindingsTheEffectDoesNotOwn)
{
    const EffectBlob good = Parsed(*computeBlob);
    const std::function<void(StageBlob&)> cases[] = {
        [](StageBlob& s) { s.constantBuffers[0].binding = 4; },
        [](StageBlob& s) { s.textures[0].slot = 6; },
        [](StageBlob& s) { s.textures[0].samplerSlot = 0; },  // the effect has no samplers
        [](StageBlob& s) { s.images[0].unit = 5; },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EffectBlob blob = good;
        StageBlob stage;
        ASSERT_TRUE(ParseStageBlob(blob.shaders[0].code.data(), blob.shaders[0].code.size(), stage));
        cases[i](stage);
        blob.shaders[0].code = WriteStageBlob(stage);
        const auto bytes = WriteEffectBlob(blob);
        EffectBlob out;
        EXPECT_FALSE(ParseEffectBlob(bytes.data(), bytes.size(), out)) << "case " << i;
    }
}

}  // namespace
