// The checked reading of SPIR-V that the effect compiler's back end walks: what it refuses (so that a
// walk may index the operands it names without checking), the strings it reads, and the edits that
// keep its declarations in step with the instructions.
#include <gtest/gtest.h>
#include <spirv/unified1/spirv.h>

#include <cstring>
#include <initializer_list>

#include "fxruntime/SpirvModule.h"

namespace {

// A module of the given instructions, each given as its opcode and operands.
std::vector<std::uint32_t> Module(std::uint32_t bound, std::initializer_list<std::vector<std::uint32_t>> instructions)
{
    std::vector<std::uint32_t> words = {SpvMagicNumber, 0x00010000, 0, bound, 0};
    for (const std::vector<std::uint32_t>& i : instructions) {
        words.push_back(static_cast<std::uint32_t>(i.size()) << 16 | i[0]);
        words.insert(words.end(), i.begin() + 1, i.end());
    }
    return words;
}

std::uint32_t Chars(const char (&four)[5])
{
    std::uint32_t word = 0;
    std::memcpy(&word, four, 4);
    return word;
}

// The error of reading `words`, or "read" when it reads.
std::string ReadError(const std::vector<std::uint32_t>& words)
{
    SpirvModule m;
    std::string error;
    return SpirvModule::Read(words, m, error) ? "read" : error;
}

TEST(SpirvModule, RefusesInstructionsShorterThanTheOperandsReadFromThem)
{
    const std::vector<std::uint32_t> voidType = {SpvOpTypeVoid, 1};
    EXPECT_EQ("read", ReadError(Module(10, {voidType, {SpvOpName, 1, 0}})));
    // The second instruction starts at word 7: the header's five and the first's two.
    const std::string name = ReadError(Module(10, {voidType, {SpvOpName, 1}}));
    EXPECT_NE(std::string::npos, name.find("at word 7 is too short")) << name;

    // An image type without its format, a load without its pointer, a texel pointer without its sample.
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpTypeFloat, 1, 32}, {SpvOpTypeImage, 2, 1, SpvDim2D, 0, 0, 0, 2}})));
    EXPECT_EQ("read",
              ReadError(Module(10, {{SpvOpTypeFloat, 1, 32}, {SpvOpTypeImage, 2, 1, SpvDim2D, 0, 0, 0, 2, 0}})));
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpLoad, 1, 2}})));
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpImageTexelPointer, 1, 2, 3, 4}})));

    // A decoration that carries a literal needs it; one without a literal does not.
    EXPECT_EQ("read", ReadError(Module(10, {{SpvOpDecorate, 1, SpvDecorationBlock}})));
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpDecorate, 1, SpvDecorationArrayStride}})));
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpDecorate, 1, SpvDecorationSpecId}})));
    EXPECT_EQ("read", ReadError(Module(10, {{SpvOpMemberDecorate, 1, 0, SpvDecorationRowMajor}})));
    EXPECT_NE("read", ReadError(Module(10, {{SpvOpMemberDecorate, 1, 0, SpvDecorationOffset}})));
    EXPECT_EQ("read", ReadError(Module(10, {{SpvOpMemberDecorate, 1, 0, SpvDecorationOffset, 16}})));

    // Opcodes nothing reads are taken at any length that holds their result.
    EXPECT_EQ("read", ReadError(Module(10, {{SpvOpSource}, {SpvOpNop}})));
}

TEST(SpirvModule, RefusesIdsTheHeadersBoundDoesNotCover)
{
    const std::string error = ReadError(Module(3, {{SpvOpTypeVoid, 1}, {SpvOpTypeBool, 3}}));
    EXPECT_NE(std::string::npos, error.find("at word 7 defines id 3")) << error;

    SpirvModule m;
    std::string readError;
    ASSERT_TRUE(SpirvModule::Read(Module(4, {{SpvOpTypeVoid, 1}, {SpvOpTypeBool, 3}}), m, readError)) << readError;
    EXPECT_EQ(4u, m.NewId()) << "a fresh id is the bound, which no instruction defines";
    EXPECT_EQ(5u, m.NewId());
}

TEST(SpirvModule, LiteralStringsEndAtTheirTerminatorOrTheirInstruction)
{
    SpirvModule m;
    std::string error;
    ASSERT_TRUE(SpirvModule::Read(Module(10, {{SpvOpName, 1, Chars("gTex"), Chars("ture")},  // unterminated
                                              {SpvOpName, 2, Chars("ab\0\0"), Chars("cd\0\0")},
                                              {SpvOpExtInstImport, 3, Chars("GLSL"), Chars(".std"), Chars(".450"), 0}}),
                                  m, error))
        << error;
    ASSERT_EQ(3u, m.instructions.size());
    EXPECT_EQ("gTexture", SpirvModule::LiteralString(m.instructions[0], 1));
    EXPECT_EQ("ab", SpirvModule::LiteralString(m.instructions[1], 1)) << "the terminator ends it";
    EXPECT_EQ("", SpirvModule::LiteralString(m.instructions[1], 3)) << "past the instruction's end";
    EXPECT_EQ(3u, m.GlslStd450()) << "the import is found by its name, not added again";
}

TEST(SpirvModule, EditsReachTheWordsAndTheDeclarations)
{
    const std::vector<std::uint32_t> words = Module(
        10, {{SpvOpTypeFloat, 1, 32},
             {SpvOpTypeImage, 2, 1, SpvDim2D, 0, 0, 0, 2, SpvImageFormatUnknown},
             {SpvOpTypeBool, 3},
             {SpvOpSpecConstantTrue, 3, 4}});
    SpirvModule m;
    std::string error;
    ASSERT_TRUE(SpirvModule::Read(words, m, error)) << error;

    m.SetOperand(1, 7, SpvImageFormatR32f);
    ASSERT_NE(nullptr, m.Declaration(2));
    EXPECT_EQ(static_cast<std::uint32_t>(SpvImageFormatR32f), m.Declaration(2)->operands[7])
        << "the declaration a pass looks up is the edited one";

    EXPECT_TRUE(m.SetOpcode(3, SpvOpSpecConstantFalse));
    EXPECT_FALSE(m.SetOpcode(3, SpvOpTypeBool)) << "a type has no result type; the constant has one";
    EXPECT_EQ(static_cast<std::uint32_t>(SpvOpSpecConstantFalse), m.instructions[3].opcode);
    EXPECT_EQ(3u, m.TypeOf(4));

    std::vector<std::uint32_t> expected = words;
    expected[5 + 3 + 8] = SpvImageFormatR32f;                     // the image type's format word
    expected[5 + 3 + 9 + 2] = 3u << 16 | SpvOpSpecConstantFalse;  // the constant's first word
    EXPECT_EQ(expected, m.Words());
}

}  // namespace
