// Three hundred random constant buffers, all valid HLSL, all compile, and every variable has the
// offset, size and stride Direct3D 11's packing rules give it (RandomConstantBuffers.h works them
// out on its own).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompiler.h"
#include "tests/fxruntime/RandomConstantBuffers.h"

namespace {

// A vertex shader that reads one component of every member, so that none is left out.
std::string EffectFor(const fxtest::RandomBuffer& b)
{
    std::string reads;
    for (const fxtest::RandomMember& m : b.members) {
        std::string e = m.name + (m.elements > 0 ? "[0]" : "");
        if (m.matrix)
            e += "[0][0]";
        else if (m.columns > 1)
            e += ".x";
        reads += "    s += float(" + e + ");\n";
    }
    return b.Declaration("cbRandom") + "float4 VS(float3 p : POSITION) : SV_POSITION\n{\n    float s = 0.0f;\n" +
           reads +
           "    return float4(p * s, 1.0f);\n}\n"
           "technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }\n";
}

TEST(RandomConstantBuffers, CompileWithDirect3DOffsets)
{
    fxtest::Random random(20240611);
    int checked = 0;
    for (int i = 0; i < 300; ++i) {
        const fxtest::RandomBuffer expected = fxtest::MakeRandomBuffer(random, false);
        const std::string text = EffectFor(expected);
        if (std::getenv("FX_RANDOM_ECHO"))
            std::fprintf(stderr, "----\n%s", text.c_str());
        const EffectCompileResult result = CompileEffectText("random.fx", text);
        ASSERT_TRUE(result.succeeded) << result.Messages() << text;
        EffectBlob blob;
        ASSERT_TRUE(ParseEffectBlob(result.code.data(), result.code.size(), blob));
        ASSERT_EQ(1u, blob.constantBuffers.size()) << text;
        EXPECT_EQ(expected.size, blob.constantBuffers[0].initialData.size()) << text;
        ASSERT_EQ(expected.members.size(), blob.variables.size()) << text;
        for (std::size_t m = 0; m < expected.members.size(); ++m) {
            const fxtest::RandomMember& e = expected.members[m];
            const EffectVariable& v = blob.variables[m];
            EXPECT_EQ(e.name, v.name);
            EXPECT_EQ(e.offset, v.offset) << e.name << " " << e.Type() << "\n" << text;
            EXPECT_EQ(e.size, v.size) << e.name << " " << e.Type() << "\n" << text;
            EXPECT_EQ(e.elements, v.elements) << e.name;
            EXPECT_EQ(e.stride, v.elementStride) << e.name;
            EXPECT_EQ(e.matrix, v.matrix) << e.name;
            EXPECT_EQ(e.rows, v.rows) << e.name;
            EXPECT_EQ(e.columns, v.columns) << e.name;
            if (e.matrix) {
                EXPECT_EQ(!e.rowMajor, v.columnMajor) << e.name;
            }
        }
        ++checked;
        if (HasFailure())
            break;
    }
    EXPECT_EQ(300, checked);
}

}  // namespace
