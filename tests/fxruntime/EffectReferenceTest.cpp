// Reference tests: every inputs/*.fx is compiled and its diagnostics and listing compared with
// expected/<name>.txt, and every dialect/*.fx (one file per row of the dialect table in
// fxruntime/README.md) with dialect/expected/<name>.txt. Run with FX_UPDATE_REFERENCE=1 to rewrite
// the expected files after an intended change, then review the diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "fxruntime/CompileIsolation.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompiler.h"
#include "fxruntime/EffectPrint.h"
#include "fxruntime/EffectSource.h"

namespace fs = std::filesystem;

namespace {

// "inputs/x.fx" and "dialect/y.fx", relative to the test folder.
std::vector<std::string> InputFiles(const char* folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(FX_TEST_DIR) / folder))
        if (entry.path().extension() == ".fx")
            names.push_back(std::string(folder) + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Compiles with paths relative to the test folder, so messages read "inputs/x.fx(...)".
std::string CompileListing(const std::string& name)
{
    const fs::path previous = fs::current_path();
    fs::current_path(FX_TEST_DIR);
    const EffectCompileResult result = CompileEffectFile(name);
    fs::current_path(previous);
    std::string text = result.Messages();
    if (!result.succeeded)
        return text + "compilation failed\n";
    EffectBlob blob;
    if (!ParseEffectBlob(result.code.data(), result.code.size(), blob))
        return text + "blob does not parse\n";
    return text + PrintEffect(blob);
}

class EffectReference : public testing::TestWithParam<std::string> {};

TEST_P(EffectReference, MatchesExpectedListing)
{
    const std::string name = GetParam();
    const std::string actual = CompileListing(name);
    const fs::path input(name);
    const fs::path expectedDir = input.parent_path() == "inputs" ? fs::path("expected")
                                                                 : input.parent_path() / "expected";
    const fs::path expectedPath = fs::path(FX_TEST_DIR) / expectedDir / (input.stem().string() + ".txt");
    const char* update = std::getenv("FX_UPDATE_REFERENCE");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(expectedPath, std::ios::binary) << actual;
        GTEST_SKIP() << "rewrote " << expectedPath;
    }
    ASSERT_TRUE(fs::exists(expectedPath)) << "no reference " << expectedPath << "; run with FX_UPDATE_REFERENCE=1";
    EXPECT_EQ(ReadFile(expectedPath), actual) << "listing of " << name << " changed";
}

std::string CaseName(const testing::TestParamInfo<std::string>& info)
{
    std::string n = fs::path(info.param).stem().string();
    std::replace_if(
        n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return n;
}

INSTANTIATE_TEST_SUITE_P(Inputs, EffectReference, testing::ValuesIn(InputFiles("inputs")), CaseName);
INSTANTIATE_TEST_SUITE_P(Dialect, EffectReference, testing::ValuesIn(InputFiles("dialect")), CaseName);

TEST(EffectSourceStrip, KeepsEveryLineAndOffset)
{
    const std::string text =
        "float4 gColor;\n"
        "SamplerState samLinear\n{\n    Filter = MIN_MAG_MIP_LINEAR;\n};\n"
        "BlendState B { BlendEnable[0] = TRUE; };\n"
        "technique11 T\n{\n    pass P0\n    {\n        SetPixelShader( CompileShader( ps_5_0, PS() ) );\n    }\n}\n"
        "float4 PS() : SV_Target { return gColor; }\n";
    EffectSource source;
    ASSERT_TRUE(ParseEffectText("mem.fx", text, source));
    const std::string& stripped = source.strippedFiles.at("mem.fx");
    ASSERT_EQ(text.size(), stripped.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_EQ('\n', stripped[i]) << "line break moved at " << i;
        }
    EXPECT_NE(std::string::npos, stripped.find("SamplerState samLinear"));
    EXPECT_EQ(std::string::npos, stripped.find("technique11"));
    EXPECT_EQ(std::string::npos, stripped.find("BlendEnable"));
    EXPECT_EQ(std::string::npos, stripped.find("Filter"));
    EXPECT_NE(std::string::npos, stripped.find("float4 PS() : SV_Target { return gColor; }"));
}

// One-wide matrices and sampler arrays are rewritten for the HLSL compiler; the rewrites may
// change a line's length but never the line a token is on.
TEST(EffectSourceStrip, RewritesKeepEveryLine)
{
    const std::string text = "float1x4 gRow;\n"
                             "float3x1 gColumn[2];\n"
                             "SamplerState samplers[2];\n"
                             "Texture2D gTex;\n"
                             "float4 PS(float2 uv : TEXCOORD) : SV_Target\n"
                             "{\n"
                             "    return gRow[\n"
                             "        0] * gColumn[1][2][0] + gColumn[0]._m10 + gTex.Sample(samplers[1], uv);\n"
                             "}\n";
    EffectSource source;
    ASSERT_TRUE(ParseEffectText("mem.fx", text, source));
    const std::string& stripped = source.strippedFiles.at("mem.fx");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(stripped.begin(), stripped.end(), '\n'));
    std::istringstream lines(stripped);
    std::vector<std::string> l;
    for (std::string line; std::getline(lines, line);)
        l.push_back(line);
    ASSERT_EQ(9u, l.size());
    EXPECT_EQ("float4 gRow;", l[0]);
    EXPECT_EQ("float3 gColumn[2];", l[1]);
    EXPECT_EQ("SamplerState fx_samplers_samplers_0, fx_samplers_samplers_1;", l[2]);
    EXPECT_EQ("    return gRow", l[6]);
    EXPECT_EQ(" * gColumn[1][2] + gColumn[0].y + gTex.Sample(fx_samplers_samplers_1, uv);", l[7]);
    const EffectMemberDecl& row = source.memberDecls.at(EffectMemberKey("$Globals", "gRow"));
    EXPECT_EQ(1u, row.matrixRows);
    EXPECT_EQ(4u, row.matrixColumns);
    EXPECT_FALSE(row.rowMajor);
}

TEST(EffectSourceStrip, UnterminatedBlocksAreErrorsNotCrashes)
{
    for (const char* text :
         {"technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) );", "technique11",
          "RasterizerState R { FillMode = ", "BlendState B { BlendEnable[9] = TRUE; };",
          "SamplerState s { Filter = ; };", "/* never closed", "technique11 T { pass { Foo(); } }",
          "technique11 T { pass { SetPixelShader( CompileShader( ps_5_0, PS() ) ) } }"}) {
        EffectSource source;
        EXPECT_FALSE(ParseEffectText("mem.fx", text, source)) << text;
        EXPECT_TRUE(source.HasErrors()) << text;
    }
}

// A directory in place of an effect file opens as a stream and reads as nothing; it must fail like
// a missing file instead of compiling to an empty effect, and each says why.
TEST(EffectSourceRead, MissingFileAndDirectoryCannotBeOpened)
{
    const fs::path dir = fs::temp_directory_path() / ("fx-read-" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.fx");
    const struct {
        fs::path path;
        const char* text;
    } cases[] = {
        {dir / "absent.fx", "cannot open effect file (No such file or directory)"},
        {dir / "folder.fx", "cannot open effect file (not a regular file)"},
    };
    for (const auto& c : cases) {
        EffectSource source;
        EXPECT_FALSE(ReadEffectSource(c.path.string(), source)) << c.path;
        ASSERT_EQ(source.diagnostics.size(), 1u) << c.path;
        EXPECT_EQ(source.diagnostics[0].code, "X3501");
        EXPECT_EQ(source.diagnostics[0].file, c.path.string());
        EXPECT_EQ(source.diagnostics[0].text, c.text);
    }
    fs::remove_all(dir);
}

// An include naming a device, a pipe or a folder is not read (a device like /dev/zero never ends):
// the compile fails naming the include instead of hanging.
TEST(EffectSourceRead, IncludesOfNonRegularFilesFailInsteadOfReading)
{
    const fs::path dir = fs::temp_directory_path() / ("fx-include-" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.fxh");
    for (const std::string target : {"/dev/zero", "folder.fxh"}) {
        const fs::path file = dir / "Main.fx";
        std::ofstream(file) << "#include \"" << target << "\"\n"
                            << "float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1); }\n"
                            << "technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }\n";
        const EffectCompileResult result = CompileEffectFile(file.string());
        EXPECT_FALSE(result.succeeded) << target;
        EXPECT_NE(result.Messages().find(target), std::string::npos) << result.Messages();
    }
    fs::remove_all(dir);
}

// Folder names glslang's `#line "name"` cannot carry (a newline, a quote, a backslash, 4,000
// characters, one named like our stand-ins): the effect and its include compile as anywhere else,
// and a message in the include names it as it is, at its line and column.
TEST(EffectSourceRead, AnyFolderNameCompilesAndIsNamedAsItIs)
{
    const fs::path base = fs::temp_directory_path() / ("fx-names-" + std::to_string(::getpid()));
    fs::path deep = base;
    for (int i = 0; i < 20; ++i) {
        deep /= std::string(200, 'd');
    }
    for (const fs::path& dir : {base / "new\nline", base / "quote\"s", base / "back\\slash", deep, base / "<file 1>"}) {
        fs::create_directories(dir);
        std::ofstream(dir / "Light.fxh") << "float4 Tint() { return float4(1, 0, 0, 1); }\n";
        const fs::path file = dir / "Main.fx";
        std::ofstream(file) << "#include \"Light.fxh\"\n"
                            << "float4 PS() : SV_Target { return Tint(); }\n"
                            << "technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n";
        const EffectCompileResult good = CompileEffectFile(file.string());
        EXPECT_TRUE(good.succeeded) << dir.string().size() << ": " << good.Messages();

        std::ofstream(dir / "Light.fxh", std::ios::app) << "float4 Broken() { return undefinedName; }\n";
        const EffectCompileResult bad = CompileEffectFile(file.string());
        EXPECT_FALSE(bad.succeeded);
        EXPECT_NE(bad.Messages().find((dir / "Light.fxh").string() + "(2,26): error X3004: 'undefinedName'"),
                  std::string::npos)
            << bad.Messages();
    }
    fs::remove_all(base);
}

// Names up to the compiled effect's limit compile and read back; a longer one is refused, naming its
// kind and length, at the technique for a technique's or a pass's, rather than making an effect
// that does not read back.
TEST(EffectCompile, NamesPastTheLimitAreRefusedByKind)
{
    const fs::path dir = fs::temp_directory_path() / ("fx-long-names-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string fits(256, 'n'), past(257, 'n');
    const struct {
        std::string technique, pass, variable;
        const char* refusal;  // null: compiles
    } cases[] = {
        {fits, fits, fits, nullptr},
        {past, "P0", "v", "(3,13): error X3000: the technique name 'nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn...' is 257"},
        {"T", past, "v", "(3,13): error X3000: the pass name 'nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn...' is 257"},
        {"T", "P0", past, "(1,1): error X3000: the variable name 'nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn...' is 257"},
    };
    for (const auto& c : cases) {
        const fs::path file = dir / "Names.fx";
        std::ofstream(file) << "float " << c.variable << ";\n"
                            << "float4 PS() : SV_Target { return " << c.variable << "; }\n"
                            << "technique11 " << c.technique << " { pass " << c.pass
                            << " { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n";
        const EffectCompileResult result = CompileEffectFile(file.string());
        if (c.refusal == nullptr) {
            ASSERT_TRUE(result.succeeded) << result.Messages();
            EffectBlob blob;
            EXPECT_TRUE(ParseEffectBlob(result.code.data(), result.code.size(), blob));
            continue;
        }
        EXPECT_FALSE(result.succeeded);
        EXPECT_NE(result.Messages().find(file.string() + c.refusal + " bytes long; a name may be at most 256 bytes"),
                  std::string::npos)
            << result.Messages();
    }
    fs::remove_all(dir);
}

// An effect text and what compiling it gives: a refusal the messages hold after the file's name
// ("(line,column): error ..."), or null when it compiles.
struct EffectCase {
    std::string text;
    const char* refusal;
};

// Compiles each case as the file `name` in a folder of its own and checks what it gives.
void ExpectEachCompilesOrIsRefusedAsGiven(const std::string& name, const std::vector<EffectCase>& cases)
{
    const fs::path dir = fs::temp_directory_path() / ("fx-cases-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / name;
    for (const EffectCase& e : cases) {
        std::ofstream(file) << e.text;
        const EffectCompileResult result = CompileEffectFile(file.string());
        if (e.refusal == nullptr) {
            EXPECT_TRUE(result.succeeded) << e.text << result.Messages();
            continue;
        }
        EXPECT_FALSE(result.succeeded) << e.text;
        EXPECT_NE(result.Messages().find(file.string() + e.refusal), std::string::npos) << e.text << result.Messages();
    }
    fs::remove_all(dir);
}

// HLSL the front end reads but the compiler cannot carry further is refused naming what it is, never
// as a nameless construct: control flow nested past SPIR-V's validator (a long `else if` chain; the
// same branches as a `switch` compile), and a thread group a macro makes negative.
TEST(EffectCompile, WhatCannotBeTranslatedIsNamed)
{
    std::string chain = "if (x == 0) r = 0.5;", cases;
    for (int i = 1; i < 1100; ++i) {
        chain += " else if (x == " + std::to_string(i) + ") r = " + std::to_string(i) + ".5;";
        cases += " case " + std::to_string(i) + ": r = " + std::to_string(i) + ".5; break;";
    }
    const auto pixelEffect = [](const std::string& body) {
        return "float4 PS(float4 p : SV_Position) : SV_Target { int x = (int)p.x; float r = 0; " + body +
               " return r; }\ntechnique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n";
    };
    const std::vector<EffectCase> effects = {
        {pixelEffect(chain), "(2,66): error X3000: compilation of 'PS' failed after the HLSL was read; it uses "
                             "control flow nested more than 1023 levels deep"},
        {pixelEffect("switch (x) {" + cases + " }"), nullptr},
        {"#define GROUP_WIDTH -2\nRWTexture2D<float4> o;\n[numthreads(GROUP_WIDTH, 1, 1)] void CS() { o[int2(0, 0)] "
         "= 1; }\ntechnique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }\n",
         "(4,68): error X3000: compilation of 'CS' failed after the HLSL was read; it uses a thread group size "
         "([numthreads]) that is not three positive integers"},
    };
    ExpectEachCompilesOrIsRefusedAsGiven("Untranslated.fx", effects);
}

// packoffset is checked in every constant buffer, used or not, as Direct3D checks it: a scalar or
// vector stays within its register, an array, matrix or struct starts one; nothing but a constant
// buffer's own members takes one; and a buffer packed by hand in part is packed by hand throughout
// (register(cN) on a number is ignored and packs nothing).
TEST(EffectCompile, PackOffsetsAreCheckedInEveryConstantBuffer)
{
    const auto unusedBuffer = [](const std::string& members) {
        return "cbuffer cbUnused\n{\n" + members +
               "\n}\nfloat4 PS() : SV_Target { return 0; }\ntechnique11 T { pass P0 { SetPixelShader( "
               "CompileShader( ps_5_0, PS() ) ); } }\n";
    };
    const std::vector<EffectCase> effects = {
        {unusedBuffer("float3 a : packoffset(c0.z);"),
         "(3,8): error X3000: packoffset of 'a' makes it straddle a register boundary"},
        {unusedBuffer("float a : packoffset(c0.w); float3 b : packoffset(c1.y); int2 c : packoffset(c2.z);"), nullptr},
        {unusedBuffer("float1x1 m : packoffset(c0.y);"),
         "(3,10): error X3000: packoffset of 'm' must name component x of a register, since it starts a register"},
        {unusedBuffer("float a[2] : packoffset(c1.w);"),
         "(3,7): error X3000: packoffset of 'a' must name component x of a register"},
        {"struct S { float f; };\n" + unusedBuffer("struct S s : packoffset(c2.z);"),
         "(4,10): error X3000: packoffset of 's' must name component x of a register"},
        {"float4 F(float4 a : packoffset(c0)) { return a; }\n" + unusedBuffer("float4 b;"),
         "(1,21): error X3000: packoffset applies only to members of a cbuffer"},
        {unusedBuffer("struct { float4 a : packoffset(c0); } s;"),
         "(3,21): error X3000: packoffset applies only to members of a cbuffer"},
        {unusedBuffer("float4 a : packoffset(c0);\nTexture2D t;"),
         "(4,11): error X3000: 't': in a constant buffer that uses packoffset, a texture or sampler needs a "
         "register (or a packoffset)"},
        {unusedBuffer("float4 a : packoffset(c0);\nTexture2D t : register(t1);\nSamplerState s : register(s0);"),
         nullptr},
        {unusedBuffer("float4 a;\nTexture2D t : register(t1);"),
         "(3,8): error X3000: 'a': in a constant buffer whose members have registers, every number needs a "
         "packoffset"},
        {unusedBuffer("float4 a : register(c1);\nTexture2D t;"), nullptr},
    };
    ExpectEachCompilesOrIsRefusedAsGiven("PackOffset.fx", effects);
}

// Declarations Direct3D's compiler refuses are refused at their place, and their lawful neighbours
// still compile: effect keywords as names, defaults of out parameters, attributes twice or on a
// variable, a const local with no value, `struct T` naming another type, a struct that declares
// nothing, an array with no size and no list (or a list that does not fill whole elements), a group
// with no technique, an annotation without its ';' or given twice.
TEST(EffectCompile, DeclarationsDirect3DRefusesAreRefusedAtTheirPlace)
{
    const auto pixelEffect = [](const std::string& before, const std::string& body) {
        return before + "\nfloat4 PS() : SV_Target\n{\n" + body +
               "\n    return 0;\n}\ntechnique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n";
    };
    const std::vector<EffectCase> effects = {
        {pixelEffect("", "float4 teChnique = 1;"),
         "(4,8): error X3000: 'teChnique' is a keyword of effect files; it cannot name a variable"},
        {pixelEffect("float F(float fxgroup) { return fxgroup; }", ""), "(1,15): error X3000: 'fxgroup' is a keyword"},
        {pixelEffect("float4 technique10x; float4 teChnique10;", "float technique11s = 1;"), nullptr},
        {pixelEffect("void F(float a, out float b = 1) { b = a; }", ""),
         "(1,29): error X3000: 'b': an out parameter cannot have a default value"},
        {pixelEffect("void F(out float b, float a = 2) { b = a; }", ""), nullptr},
        {pixelEffect("", "float x = 0;\n[unroll] [unroll] for (int i = 0; i < 2; i++) x += i;"),
         "(5,11): error X3000: the attribute 'unroll' is given twice"},
        {pixelEffect("[maxvertexcount(3)]\nfloat4 gColour;", ""),
         "(1,1): error X3000: attributes belong to functions and statements, not to the variable 'gColour'"},
        {pixelEffect("[numthreads(1, 1, 1)] void CS() {}",
                     "float x = 0;\n[unroll(2)] for (int i = 0; i < 2; i++) x += i;"),
         nullptr},
        {pixelEffect("", "const float3 k;"), "(4,14): error X3000: 'k': a const local needs an initial value"},
        {pixelEffect("static const float g = 1;", "const float k = g;"), nullptr},
        {pixelEffect("typedef float4 Colour;\nstruct Colour c;", ""), "(2,8): error X3000: 'Colour' is not a struct"},
        {pixelEffect("struct S { float f; };\ntypedef struct { float g; } U;\nstruct S s;\nU u;", ""), nullptr},
        {pixelEffect("struct { float4 a; };", ""),
         "(1,1): error X3000: a struct with no name and no variable of it declares nothing"},
        {pixelEffect("struct L { float4 colours[]; };", ""),
         "(1,19): error X3000: 'colours': an array with no size needs an initializer to give it one"},
        {pixelEffect("", "float4 a[] = {1, 2, 3, 4, 5, 6};"),
         "(4,8): error X3000: 'a': 6 numbers do not fill whole float4 elements"},
        {pixelEffect("typedef float2 Pair[];", "float2 a[][3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};\nfloat4 b[] = "
                                               "{1, 2, 3, 4, 5, 6, 7, 8};"),
         nullptr},
        {pixelEffect("fxgroup G { }", ""), "(1,9): error X3000: group 'G' holds no technique"},
        {"float4 PS() : SV_Target { return 0; }\ntechnique11 T < int a = 1 > { pass P0 < string s = \"x\"; int n = 2; "
         "> "
         "{ SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n",
         "(2,27): error X3000: an annotation ends with ';'"},
        {"float4 PS() : SV_Target { return 0; }\ntechnique11 T < int a = 0; float a = 1; > { pass P0 { "
         "SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n",
         "(2,34): error X3000: annotation 'a' is given twice"},
        {"float4 PS() : SV_Target { return 0; }\ntechnique11 T < int a = 0; > { pass P0 < string s = \"x\"; int n = "
         "2; > { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n",
         nullptr},
    };
    ExpectEachCompilesOrIsRefusedAsGiven("Declarations.fx", effects);
}

// A swizzle that names a component twice cannot be written: not by an assignment, not through an out
// or inout parameter (when every overload of that many arguments writes it). Read, it is fine.
TEST(EffectCompile, SwizzlesThatRepeatAComponentAreNeverWritten)
{
    const auto pixelEffect = [](const std::string& functions, const std::string& body) {
        return functions + "\nfloat4 PS() : SV_Target\n{\nfloat2 v = 0;\n" + body +
               "\n    return v.xyxy;\n}\ntechnique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); "
               "} }\n";
    };
    const std::string inout = "void Add(inout float2 o) { o += 0.5; }";
    ExpectEachCompilesOrIsRefusedAsGiven(
        "Swizzles.fx",
        {
            {pixelEffect(inout, "Add(v.yy);"),
             "(5,5): error X3000: 'v.yy' names a component twice, so it cannot be handed to an out or inout "
             "parameter"},
            {pixelEffect("void Set(float a, out float2 o) { o = a; }", "Set(1, v.xx);"), "(5,8): error X3000: 'v.xx'"},
            {pixelEffect("", "v.xx = 1;"), "(5,3): error X3000: the swizzle 'xx' names a component twice"},
            {pixelEffect(inout + "\nfloat2 Twice(float2 o) { return o * 2; }", "Add(v.yx);\nv = Twice(v.yy);"),
             nullptr},
            {pixelEffect(inout + "\nvoid Add(float2 o, float s) { }\nvoid Add(float2 o) ;", "Add(v.yy);"), nullptr},
        });
}

// A pixel shader's outputs are render targets of 32-bit numbers, and its writable textures take the
// output slots after them: one whose register a target takes is refused; one without a register
// is placed by the effect.
TEST(EffectCompile, PixelShaderOutputsAreWhatRenderTargetsTake)
{
    const auto pixelEffect = [](const std::string& uav, const std::string& output) {
        return "RWTexture2D<float4> gOut" + uav + ";\n" + output +
               " PS() : SV_Target1\n{\n    gOut[uint2(0, 0)] = 1;\n    return 0;\n}\ntechnique11 T { pass P0 { "
               "SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n";
    };
    ExpectEachCompilesOrIsRefusedAsGiven(
        "Outputs.fx",
        {
            {pixelEffect(" : register(u1)", "float4"),
             "(1,21): error X3000: 'gOut': register(u1) is one of the output slots pixel shader 'PS()' gives its "
             "render targets (SV_Target0 to SV_Target1); give it u2 or above"},
            {pixelEffect(" : register(u2)", "float4"), nullptr},
            {pixelEffect("", "float4"), nullptr},
            {pixelEffect("", "double2"), "(7,66): error X3000: pixel shader output 'SV_Target1' is a 64-bit number"},
        });
}

// A global's initializer is the buffer's starting value, computed from its numbers alone: an
// expression is refused rather than started wrong (1.0 / 255.0 would start at 1). A const global whose
// initializer is an expression stays a constant of the shader, with the expression's value.
TEST(EffectCompile, InitializersTheEffectCannotComputeAreRefusedNotStartedWrong)
{
    const auto pixelEffect = [](const std::string& global) {
        return global + "\nfloat4 PS() : SV_Target { return k; }\ntechnique11 T { pass P0 { SetPixelShader( "
                        "CompileShader( ps_5_0, PS() ) ); } }\n";
    };
    ExpectEachCompilesOrIsRefusedAsGiven(
        "Initializers.fx", {
                               {pixelEffect("float k = 1.0 / 255.0;"),
                                "(1,15): error X3000: initializer of 'k' must be made of literal numbers"},
                               {pixelEffect("const float k = 1.0 / 255.0;"), nullptr},
                               {pixelEffect("const float4 k = float4(-1, +2, 3.5, true);"), nullptr},
                           });
}

TEST(EffectSourceStrip, MangledFilesAreRejectedOrParsedNeverCrash)
{
    // Deterministic mutations of real inputs: cut, duplicate and swap spans, drop brackets. The
    // front end must either parse or report errors, and the full compile must come back.
    std::vector<std::string> texts;
    for (const char* name : {"states.fx", "uniform_args.fx", "compute_uav.fx"})
        texts.push_back(ReadFile(fs::path(FX_TEST_DIR) / "inputs" / name));
    std::uint32_t seed = 12345;
    auto next = [&seed](std::size_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return bound == 0 ? 0 : static_cast<std::size_t>(seed >> 8) % bound;
    };
    for (int round = 0; round < 400; ++round) {
        std::string text = texts[static_cast<std::size_t>(round) % texts.size()];
        for (int edit = 0; edit < 3; ++edit) {
            const std::size_t at = next(text.size()), len = next(40);
            switch (next(4)) {
            case 0: text.erase(at, len); break;
            case 1: text.insert(at, text.substr(next(text.size()), len)); break;
            case 2: text.insert(at, 1, "{}()<>[];=,\"\n"[next(14)]); break;
            default:
                for (char& c : text)
                    if ((c == '}' || c == ')') && next(8) == 0)
                        c = ' ';
            }
        }
        EffectSource source;
        const bool parsed = ParseEffectText("mangled.fx", text, source);
        EXPECT_EQ(parsed, !source.HasErrors());
        if (round % 20 == 0) {
            const EffectCompileResult result = CompileEffectText("mangled.fx", text);
            EXPECT_EQ(result.succeeded, !result.code.empty());
            if (!result.succeeded) {
                EXPECT_FALSE(result.Messages().empty()) << "a failure must say why";
            }
        }
    }
}

TEST(EffectCompile, VertexOutputsMeetPixelInputsBySemantic)
{
    // The pixel stage declares its inputs in another order than the vertex stage writes them.
    const std::string text =
        "struct VOut { float4 PosH : SV_POSITION; float3 A : TEXCOORD0; float2 B : COLOR1; float C : NORMAL; };\n"
        "struct PIn { float4 PosH : SV_POSITION; float C : NORMAL; float2 B : COLOR1; float3 A : TEXCOORD0; };\n"
        "VOut VS(float3 p : POSITION) { VOut o; o.PosH = float4(p, 1); o.A = p; o.B = p.xy; o.C = p.z; return o; }\n"
        "float4 PS(PIn i) : SV_Target { return float4(i.A + float3(i.B, i.C), 1); }\n"
        "technique11 T { pass P { SetVertexShader(CompileShader(vs_5_0, VS())); "
        "SetPixelShader(CompileShader(ps_5_0, PS())); } }\n";
    const EffectCompileResult result = CompileEffectText("mem.fx", text);
    ASSERT_TRUE(result.succeeded) << result.Messages();
    EffectBlob blob;
    ASSERT_TRUE(ParseEffectBlob(result.code.data(), result.code.size(), blob));
    StageBlob vs, ps;
    ASSERT_TRUE(ParseStageBlob(blob.shaders[0].code.data(), blob.shaders[0].code.size(), vs));
    ASSERT_TRUE(ParseStageBlob(blob.shaders[1].code.data(), blob.shaders[1].code.size(), ps));
    auto location = [](const std::string& glsl, const std::string& direction, const std::string& member) {
        // e.g. "layout(location = 2) out vec2 _entryPointOutput_B;"
        std::istringstream in(glsl);
        std::string line;
        while (std::getline(in, line)) {
            const std::string suffix = "_" + member + ";";
            if (line.find(") " + direction + " ") != std::string::npos && line.size() > suffix.size() &&
                line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
                const std::size_t eq = line.find("location = ");
                if (eq != std::string::npos)
                    return std::stoi(line.substr(eq + 11));
            }
        }
        return -1;
    };
    for (const char* member : {"A", "B", "C"}) {
        const int out = location(vs.glsl, "out", member);
        const int in = location(ps.glsl, "in", member);
        EXPECT_GE(out, 0) << member << "\n" << vs.glsl;
        EXPECT_EQ(out, in) << member << "\n" << vs.glsl << ps.glsl;
    }
}

TEST(EffectCompile, EachPassGetsItsOwnLiteralArguments)
{
    // One compilation serves PS(1, false) and PS(2, true); each variant must carry its own values.
    const fs::path previous = fs::current_path();
    fs::current_path(FX_TEST_DIR);
    const EffectCompileResult result = CompileEffectFile("inputs/uniform_args.fx");
    fs::current_path(previous);
    ASSERT_TRUE(result.succeeded) << result.Messages();
    EffectBlob blob;
    ASSERT_TRUE(ParseEffectBlob(result.code.data(), result.code.size(), blob));
    ASSERT_EQ(4u, blob.shaders.size());
    auto glsl = [&](std::size_t i) {
        StageBlob stage;
        EXPECT_TRUE(ParseStageBlob(blob.shaders[i].code.data(), blob.shaders[i].code.size(), stage));
        return stage.glsl;
    };
    const std::string one = glsl(1), two = glsl(2), solid = glsl(3);
    EXPECT_NE(std::string::npos, one.find("CONSTANT_ID_0 1\n")) << one;
    EXPECT_NE(std::string::npos, one.find("CONSTANT_ID_1 false\n")) << one;
    EXPECT_NE(std::string::npos, two.find("CONSTANT_ID_0 2\n")) << two;
    EXPECT_NE(std::string::npos, two.find("CONSTANT_ID_1 true\n")) << two;
    EXPECT_NE(std::string::npos, solid.find("vec4(1.0, 0.5, 0.0, 1.0)")) << solid;
}

TEST(EffectCompile, InitializersLandAtReflectedOffsets)
{
    const fs::path previous = fs::current_path();
    fs::current_path(FX_TEST_DIR);
    const EffectCompileResult result = CompileEffectFile("inputs/compute_uav.fx");
    fs::current_path(previous);
    ASSERT_TRUE(result.succeeded) << result.Messages();
    EffectBlob blob;
    ASSERT_TRUE(ParseEffectBlob(result.code.data(), result.code.size(), blob));
    auto find = [&](const std::string& name) {
        for (const EffectVariable& v : blob.variables)
            if (v.name == name)
                return v;
        ADD_FAILURE() << name;
        return EffectVariable{};
    };
    auto floatAt = [&](const EffectVariable& v, std::size_t at) {
        float f = 0;
        std::memcpy(&f, &blob.constantBuffers[v.buffer].initialData[v.offset + at], 4);
        return f;
    };
    const EffectVariable weights = find("gWeights");
    ASSERT_EQ(3u, weights.elements);
    ASSERT_EQ(16u, weights.elementStride);  // one row per element, as Direct3D packs arrays
    EXPECT_FLOAT_EQ(0.25f, floatAt(weights, 0));
    EXPECT_FLOAT_EQ(0.5f, floatAt(weights, 16));
    EXPECT_FLOAT_EQ(0.25f, floatAt(weights, 32));
    const EffectVariable bias = find("gBias");
    EXPECT_FLOAT_EQ(0.1f, floatAt(bias, 4));
    EXPECT_FLOAT_EQ(-0.2f, floatAt(bias, 8));
    const EffectVariable steps = find("gSteps");
    std::int32_t n = 0;
    std::memcpy(&n, &blob.constantBuffers[steps.buffer].initialData[steps.offset], 4);
    EXPECT_EQ(4, n);
}

}  // namespace

TEST(EffectSourceNumbers, ValuesNoIntegerHoldsAreRefusedNotConverted)
{
    // Converting these to the integer fields would be undefined; each must be reported instead.
    const char* const texts[] = {
        "RasterizerState R { DepthBias = 1e20; };\n",
        "RasterizerState R { DepthBias = -3e9; };\n",
        "SamplerState S { MaxAnisotropy = nan; };\n",
        "SamplerState S { Filter = inf; };\n",
        "technique11 T { pass P { SetDepthStencilState(NULL, nan); } }\n",
    };
    for (const char* text : texts) {
        EffectSource source;
        EXPECT_FALSE(ParseEffectText("numbers.fx", text, source)) << text;
        EXPECT_TRUE(source.HasErrors()) << text;
    }
    EffectSource source;
    EXPECT_TRUE(ParseEffectText("numbers.fx", "RasterizerState R { DepthBias = -100000; };\n", source));
    ASSERT_EQ(source.rasterizerStates.size(), 1u);
    EXPECT_EQ(source.rasterizerStates[0].desc.DepthBias, -100000);

    std::uint32_t word = 7;
    for (const char* literal : {"1e300", "-1e300", "inf", "nan", "4294967296", "-2147483649"})
        for (const char* type : {"int", "uint"})
            EXPECT_FALSE(SpecializationWord(literal, type, word)) << literal << type;
    EXPECT_FALSE(SpecializationWord("nan", "float", word));
    EXPECT_TRUE(SpecializationWord("-2147483648", "int", word));
    EXPECT_EQ(word, 0x80000000u);
    EXPECT_TRUE(SpecializationWord("4294967295", "uint", word));
    EXPECT_EQ(word, 0xFFFFFFFFu);
}

// A state block is held to the same table and checks as the device: a value outside its field's
// domain, or a description the device would refuse, is an error where the state is declared.
TEST(EffectSourceStates, StatesTheDeviceRefusesAreErrorsAtTheirDeclaration)
{
    const char* const refused[] = {
        "BlendState B { BlendEnable[0] = TRUE; SrcBlend[0] = 12; };\n",    // the gap in the factors
        "SamplerState S { Filter = 0x40; };\n",                            // not one of Direct3D's filters
        "SamplerState S { Filter = ANISOTROPIC; MaxAnisotropy = 0; };\n",  // anisotropic needs at least 1
        "SamplerState S { MinLOD = 2; MaxLOD = 1; };\n",                   // an empty LOD range
        "DepthStencilState D { FrontFaceStencilFunc = 0; };\n",            // no comparison 0
        "BlendState B { RenderTargetWriteMask[2] = 16; };\n",
    };
    for (const char* text : refused) {
        EffectSource source;
        EXPECT_FALSE(ParseEffectText("states.fx", text, source)) << text;
        EXPECT_TRUE(source.HasErrors()) << text;
    }
    EffectSource source;
    ASSERT_TRUE(ParseEffectText("states.fx",
                                "BlendState B { RenderTargetWriteMask[2] = 3; };\n"
                                "DepthStencilState D { FrontFaceStencilFunc = NEVER; BackFaceStencilPass = incr; };\n",
                                source));
    // Describing a later target makes the blending independent.
    ASSERT_EQ(source.blendStates.size(), 1u);
    EXPECT_EQ(source.blendStates[0].desc.RenderTarget[2].RenderTargetWriteMask, 3u);
    EXPECT_EQ(source.blendStates[0].desc.IndependentBlendEnable, TRUE);
    ASSERT_EQ(source.depthStencilStates.size(), 1u);
    EXPECT_EQ(source.depthStencilStates[0].desc.FrontFace.StencilFunc, D3D11_COMPARISON_NEVER);
    EXPECT_EQ(source.depthStencilStates[0].desc.BackFace.StencilPassOp, D3D11_STENCIL_OP_INCR);
}

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string PixelShaderReturning(const std::string& expression)
{
    return "float4 PS(float4 p : SV_POSITION) : SV_Target { return " + expression +
           "; }\n"
           "technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }\n";
}

// Input nested or chained far past what shaders need ran glslang or SPIRV-Cross out of stack, which
// ended the process; now it is refused at the first token past the limit, and what is within the
// limits compiles whatever `ulimit -s` says, on the compiler's own large stacks.
TEST(EffectCompile, DeepInputIsRefusedNotACrash)
{
    const struct {
        const char* what;
        std::string expression;
        std::string error;
    } refused[] = {
        {"100,000 nested brackets", Repeat("(", 100000) + "p" + Repeat(")", 100000),
         "error X3000: brackets nested deeper than 512 levels"},
        {"a 100,000-term sum", Repeat("p+", 100000) + "p",
         "error X3000: more than 8192 operators in one statement; split the expression"},
        {"100,000 unary minuses", Repeat("- ", 100000) + "p",
         "error X3000: more than 8192 operators in one statement; split the expression"},
    };
    for (const auto& c : refused) {
        const EffectCompileResult result = CompileEffectText("deep.fx", PixelShaderReturning(c.expression));
        EXPECT_FALSE(result.succeeded) << c.what;
        EXPECT_NE(result.Messages().find(c.error), std::string::npos) << c.what << ": " << result.Messages();
    }
    for (const std::string& within : {Repeat("(", 500) + "p" + Repeat(")", 500), Repeat("p+", 4000) + "p"}) {
        const EffectCompileResult result = CompileEffectText("deep.fx", PixelShaderReturning(within));
        EXPECT_TRUE(result.succeeded) << result.Messages();
    }

    // Forty macros, each twice the one before: 2^40 tokens, which the preprocessor expanded for minutes.
    // An #undef forgets a macro's size, so the same name may be defined again.
    std::string doubling = "#define A0 p\n";
    for (int i = 1; i <= 40; ++i) {
        doubling += "#define A" + std::to_string(i) + " (A" + std::to_string(i - 1) + "+A" + std::to_string(i - 1) +
                    ")\n";
    }
    const EffectCompileResult bomb = CompileEffectText("deep.fx", doubling + PixelShaderReturning("A40"));
    EXPECT_EQ(bomb.Messages().substr(0, bomb.Messages().find('\n')),
              "deep.fx(19,1): error X3000: the macro 'A18' expands to more than 1000000 tokens; no shader needs that "
              "many");
    const EffectCompileResult redefined = CompileEffectText(
        "deep.fx", "#define B p+p\n#undef B\n#define B p\n#define C B+B\n" + PixelShaderReturning("C"));
    EXPECT_TRUE(redefined.succeeded) << redefined.Messages();
}

// Inputs on which glslang, SPIRV-Tools or SPIRV-Cross end the process (a segmentation fault, a
// floating-point trap): the compilation runs in a child process, so each costs only its effect,
// reported as an error at the file, and the next compilation works as before.
TEST(EffectCompile, ACompilerThatDiesFailsTheEffectNotTheProgram)
{
    if (!CompilesInChildProcesses())
        GTEST_SKIP() << "this build compiles in the program itself (CompileIsolation.h)";
    const std::string technique = "technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }\n";
    const struct {
        const char* what;
        std::string text;
    } fatal[] = {
        {"[numthreads] without arguments",
         "[numthreads]\nvoid CS() {}\ntechnique11 T { pass P { SetComputeShader(CompileShader(cs_5_0, CS())); } }\n"},
        {"INT_MIN / -1 folded",
         "float4 PS() : SV_Target { int x = -2147483648; int y = -1; return x / y; }\n" + technique},
        {"a name declared twice at file scope",
         "float a = 1;\nint a = 2;\nfloat4 PS() : SV_Target { return a; }\n" + technique},
        {"GetRenderTargetSampleCount",
         "float4 PS() : SV_Target { return GetRenderTargetSampleCount(); }\n" + technique},
        {"a case label that is not a constant",
         "int a;\nfloat4 PS() : SV_Target { switch (a) { case 1 + a: return 1; default: return 0; } }\n" + technique},
    };
    for (const auto& c : fatal) {
        const EffectCompileResult result = CompileEffectText("fatal.fx", c.text);
        EXPECT_FALSE(result.succeeded) << c.what;
        const std::string messages = result.Messages();
        EXPECT_NE(messages.find("fatal.fx("), std::string::npos) << c.what << ": " << messages;
        EXPECT_NE(messages.find("error X"), std::string::npos) << c.what << ": " << messages;
    }
    const EffectCompileResult after = CompileEffectText("fine.fx", PixelShaderReturning("p"));
    EXPECT_TRUE(after.succeeded) << after.Messages();
    EXPECT_FALSE(after.code.empty());
}

// The compile server is another process, started once: it compiles the texts the caller read, not
// what the disk holds by then, finds relative paths in the caller's working folder of the moment,
// and a new one starts after it is ended.
TEST(EffectCompile, TheCompileServerCompilesWhatTheCallerReadWhereTheCallerIs)
{
    const fs::path dir = fs::temp_directory_path() / ("fx-server-" + std::to_string(::getpid()));
    fs::create_directories(dir / "other");
    const std::string main = "#include \"Common.fxh\"\n" + PixelShaderReturning("VALUE");
    std::ofstream(dir / "Main.fx") << main;
    std::ofstream(dir / "Common.fxh") << "#define VALUE 0.25\n";
    std::ofstream(dir / "other" / "Main.fx") << PixelShaderReturning("p");

    const EffectCompileResult before = CompileEffectFile((dir / "Main.fx").string());
    ASSERT_TRUE(before.succeeded) << before.Messages();
    EffectSource source;
    ASSERT_TRUE(ReadEffectSource((dir / "Main.fx").string(), source));
    std::ofstream(dir / "Common.fxh") << "this is no HLSL\n";
    const EffectCompileResult read = CompileEffectSource(source);
    ASSERT_TRUE(read.succeeded) << read.Messages();
    EXPECT_EQ(read.code, before.code);

    const fs::path home = fs::current_path();
    fs::current_path(dir);
    const EffectCompileResult here = CompileEffectFile("Main.fx");
    EXPECT_FALSE(here.succeeded);
    EXPECT_NE(here.Messages().find("Common.fxh"), std::string::npos) << here.Messages();
    fs::current_path(dir / "other");
    const EffectCompileResult there = CompileEffectFile("Main.fx");
    EXPECT_TRUE(there.succeeded) << there.Messages();
    fs::current_path(home);

    // Any byte a file holds reaches the server as it is, a NUL too: the messages are the compiler's.
    std::ofstream(dir / "Nul.fx") << std::string("float4 a;\0\n", 11) << PixelShaderReturning("a");
    const EffectCompileResult nul = CompileEffectFile((dir / "Nul.fx").string());
    EXPECT_EQ(nul.Messages(), CompileEffectFileInThisProcess((dir / "Nul.fx").string()).Messages());
    EXPECT_EQ(nul.Messages().find("it ended without a result"), std::string::npos) << nul.Messages();

    EndCompileServer();
    const EffectCompileResult again = CompileEffectText("again.fx", PixelShaderReturning("p"));
    EXPECT_TRUE(again.succeeded) << again.Messages();
    fs::remove_all(dir);
}

// Text that editors and generators write: a byte order mark is not part of the text, a non-ASCII
// character is named where it stands (not as a "<bad token>" at the start of its line), a #line
// number that cannot be one is refused, and a valid #line leaves the messages at the file's own lines.
TEST(EffectCompile, MessagesStayAtTheirPlaceWhateverTheTextHolds)
{
    const std::string undeclared = "float4 PS() : SV_Target { return q; }\n"
                                   "technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }\n";
    const struct {
        const char* what;
        std::string text;
        std::string message;  // the first line of the messages
    } cases[] = {
        {"byte order mark", "\xEF\xBB\xBF" + undeclared, "quirk.fx(1,34): error X3004: 'q' : unknown variable"},
        {"non-ASCII name", "float4 u;\nfloat \xC3\xA9 = 1;\n" + undeclared,
         "quirk.fx(2,7): error X3000: a non-ASCII character (byte 0xC3) outside a comment or string; HLSL names and "
         "symbols are ASCII"},
        {"negative #line", "#line -5\n" + undeclared,
         "quirk.fx(1,1): error X3000: #line takes a line number from 1 to 2147483647, not \"-5\""},
        {"#line 0", "// x\n#line 0\n" + undeclared,
         "quirk.fx(2,1): error X3000: #line takes a line number from 1 to 2147483647, not \"0\""},
        {"#line with a file", "#line 100 \"other.fx\"\n" + undeclared,
         "quirk.fx(2,34): error X3004: 'q' : unknown variable"},
    };
    for (const auto& c : cases) {
        const EffectCompileResult result = CompileEffectText("quirk.fx", c.text);
        EXPECT_FALSE(result.succeeded) << c.what;
        const std::string messages = result.Messages();
        EXPECT_EQ(messages.substr(0, messages.find('\n')), c.message) << c.what;
    }
    const EffectCompileResult accented = CompileEffectText("quirk.fx", "// caf\xC3\xA9\n" + PixelShaderReturning("p") +
                                                                           "// \xC3\xA9\n");
    EXPECT_TRUE(accented.succeeded) << "non-ASCII text in comments is fine: " << accented.Messages();
}

}  // namespace
