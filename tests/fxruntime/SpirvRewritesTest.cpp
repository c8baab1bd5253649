// The SPIR-V reader and the rewrites that give the HLSL compiler's output Direct3D's meaning: what
// they add, what they leave alone, and that the rewritten module is still valid SPIR-V (checked by
// SPIRV-Tools' validator, the same rules the GL drivers' front ends assume).
#include <gtest/gtest.h>
#include <spirv-tools/libspirv.h>
#include <spirv/unified1/spirv.h>

#include <algorithm>

#include "fxruntime/HlslToSpirv.h"
#include "fxruntime/SpirvModule.h"
#include "fxruntime/SpirvRewrites.h"

namespace {

std::vector<std::uint32_t> Compile(const std::string& body)
{
    HlslCompileInput in;
    in.fileName = "rewrite.hlsl";
    in.source = "float4 gF; int4 gI; uint4 gU;\nRWTexture2D<float4> gOut;\n[numthreads(1, 1, 1)]\nvoid CS()\n{\n" +
                body + "\n}\n";
    in.entryPoint = "CS";
    in.stage = StageKind::Compute;
    HlslCompileOutput out = CompileHlslToSpirv(in);
    EXPECT_TRUE(out.succeeded) << (out.diagnostics.empty() ? "" : out.diagnostics[0].text);
    return out.words;
}

std::size_t Count(const std::vector<std::uint32_t>& words, std::uint32_t opcode)
{
    SpirvModule m;
    std::string error;
    EXPECT_TRUE(SpirvModule::Read(words, m, error)) << error;
    return static_cast<std::size_t>(std::count_if(m.instructions.begin(), m.instructions.end(),
                                                  [&](const SpirvInstruction& i) { return i.opcode == opcode; }));
}

::testing::AssertionResult Valid(const std::vector<std::uint32_t>& words)
{
    spv_context context = spvContextCreate(SPV_ENV_OPENGL_4_5);
    spv_diagnostic diagnostic = nullptr;
    const spv_result_t result = spvValidateBinary(context, words.data(), words.size(), &diagnostic);
    std::string text = diagnostic != nullptr && diagnostic->error != nullptr ? diagnostic->error : "";
    spvDiagnosticDestroy(diagnostic);
    spvContextDestroy(context);
    if (result == SPV_SUCCESS)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not valid SPIR-V: " << text;
}

std::vector<std::uint32_t> Rewritten(std::vector<std::uint32_t> words)
{
    std::string error;
    EXPECT_TRUE(ApplyHlslRules(words, error)) << error;
    return words;
}

TEST(SpirvModule, ReadsWholeModulesAndRefusesCutOnes)
{
    const std::vector<std::uint32_t> words = Compile("gOut[int2(0, 0)] = gF;");
    SpirvModule m;
    std::string error;
    ASSERT_TRUE(SpirvModule::Read(words, m, error)) << error;
    EXPECT_EQ(words, m.Words());

    std::vector<std::uint32_t> cut = words;
    cut.back() = 2u << 16 | (cut.back() & 0xFFFF);  // the last instruction (OpFunctionEnd) runs past the end
    EXPECT_FALSE(SpirvModule::Read(cut, m, error));
    EXPECT_NE(std::string::npos, error.find("does not fit the module")) << error;

    std::vector<std::uint32_t> zero = words;
    zero[5] = 0;  // the first instruction claims no words at all
    EXPECT_FALSE(SpirvModule::Read(zero, m, error));

    EXPECT_FALSE(SpirvModule::Read({0x07230203, 0x10000}, m, error));  // a header cut short
    EXPECT_FALSE(SpirvModule::Read({1, 2, 3, 4, 5}, m, error));        // no SPIR-V magic
    std::vector<std::uint32_t> refused = cut;
    EXPECT_FALSE(ApplyHlslRules(refused, error));
    EXPECT_EQ(cut, refused) << "a module that cannot be read is left as it is";
}

TEST(SpirvRewrites, VariableShiftCountsAreMaskedConstantOnesLeftAlone)
{
    const std::vector<std::uint32_t> variable = Rewritten(Compile("gOut[int2(0, 0)] = float4(gU << gU.yzwx);"));
    EXPECT_EQ(1u, Count(variable, SpvOpBitwiseAnd));
    EXPECT_TRUE(Valid(variable));

    const std::vector<std::uint32_t> constant = Rewritten(
        Compile("gOut[int2(0, 0)] = float4(gU << 4) + float4(gU.x >> 31, 0, 0, 0);"));
    EXPECT_EQ(0u, Count(constant, SpvOpBitwiseAnd));
}

TEST(SpirvRewrites, FloatToIntegerConversionsSaturate)
{
    const std::vector<std::uint32_t> before = Compile("gOut[int2(0, 0)] = float4(uint4(gF)) + float4(int4(gF));");
    EXPECT_EQ(0u, Count(before, SpvOpIsNan));
    const std::vector<std::uint32_t> after = Rewritten(before);
    EXPECT_EQ(2u, Count(after, SpvOpIsNan));                 // NaN gives 0
    EXPECT_EQ(2u, Count(after, SpvOpFOrdGreaterThanEqual));  // past the range, the top value
    EXPECT_EQ(1u, Count(after, SpvOpExtInstImport));         // the clamp's instruction set, imported once
    EXPECT_TRUE(Valid(after));
}

TEST(SpirvRewrites, IntegerDivisionIsDefinedForEveryDivisor)
{
    const std::vector<std::uint32_t> after = Rewritten(
        Compile("gOut[int2(0, 0)] = float4(gU / gU.w) + float4(gU % gU.w) + float4(gI / gI.w) + float4(gI % gI.w);"));
    // Every division or remainder by a value that may be 0 (or -1) is chosen around.
    EXPECT_GE(Count(after, SpvOpSelect), 8u);
    EXPECT_TRUE(Valid(after));

    const std::vector<std::uint32_t> plain = Rewritten(Compile("gOut[int2(0, 0)] = float4(gU / 3) + float4(gI % 7);"));
    EXPECT_EQ(0u, Count(plain, SpvOpSelect)) << "a divisor that is a constant other than 0 and -1 needs nothing";
}

TEST(SpirvRewrites, RemaindersTakeTheDividendsSign)
{
    const std::vector<std::uint32_t> before = Compile("gOut[int2(0, 0)] = float4(gF % gF.w) + float4(gI % gI.w);");
    const std::vector<std::uint32_t> after = Rewritten(before);
    EXPECT_EQ(0u, Count(after, SpvOpFMod));
    EXPECT_EQ(0u, Count(after, SpvOpSMod));
    EXPECT_EQ(Count(before, SpvOpFMod) + Count(before, SpvOpFRem), Count(after, SpvOpFRem));
}

TEST(SpirvRewrites, ALoopsResultGoesThroughAVariable)
{
    const std::vector<std::uint32_t> before = Compile(R"(
    float x = 0;
    for (int i = 0; i < 10; i++) {
        x += i;
        if (gF.x > 0.5 && i == 5)
            break;
        x -= 1;
    }
    gOut[int2(0, 0)] = x;)");
    const std::vector<std::uint32_t> after = Rewritten(before);
    EXPECT_EQ(Count(before, SpvOpVariable) + 1, Count(after, SpvOpVariable));
    EXPECT_EQ(Count(before, SpvOpPhi) - 1, Count(after, SpvOpPhi)) << "only the phi where the loop ends goes";
    EXPECT_TRUE(Valid(after));
}

}  // namespace
