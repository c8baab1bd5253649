// The eleven shipped effect files: each compiles without a message, declares every technique and
// variable the program looks up (with the kind it uses it as), and has the vertex input signatures
// the input layouts are created against.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompiler.h"

namespace {

const std::vector<std::string> kLit = {"Light1",
                                       "Light2",
                                       "Light3",
                                       "Light0Tex",
                                       "Light1Tex",
                                       "Light2Tex",
                                       "Light3Tex",
                                       "Light0TexAlphaClip",
                                       "Light1TexAlphaClip",
                                       "Light2TexAlphaClip",
                                       "Light3TexAlphaClip",
                                       "Light1Fog",
                                       "Light2Fog",
                                       "Light3Fog",
                                       "Light0TexFog",
                                       "Light1TexFog",
                                       "Light2TexFog",
                                       "Light3TexFog",
                                       "Light0TexAlphaClipFog",
                                       "Light1TexAlphaClipFog",
                                       "Light2TexAlphaClipFog",
                                       "Light3TexAlphaClipFog"};

std::vector<std::string> Reflecting()
{
    std::vector<std::string> all = kLit;
    for (const std::string& n : kLit)
        all.push_back(n + "Reflect");
    return all;
}

// m matrix, v vector, s scalar, t texture, u writable texture, r<bytes> raw.
struct EffectFile {
    const char* file;
    std::vector<std::string> techniques;
    std::vector<std::pair<std::string, std::string>> variables;
};

const std::vector<std::pair<std::string, std::string>> kLitVariables = {
    {"gWorldViewProj", "m"}, {"gWorld", "m"},      {"gWorldInvTranspose", "m"}, {"gTexTransform", "m"},
    {"gEyePosW", "v"},       {"gFogColor", "v"},   {"gFogStart", "s"},          {"gFogRange", "s"},
    {"gDirLights", "r192"},  {"gMaterial", "r64"}, {"gDiffuseMap", "t"}};

std::vector<EffectFile> Files()
{
    auto instanced = kLitVariables;
    instanced[0].first = "gViewProj";
    auto normalMap = kLitVariables;
    normalMap.insert(normalMap.end(), {{"gSpotLight", "r96"}, {"gCubeMap", "t"}, {"gNormalMap", "t"}});
    auto displacement = kLitVariables;
    displacement.insert(displacement.end(), {{"gViewProj", "m"},
                                             {"gHeightScale", "s"},
                                             {"gMaxTessDistance", "s"},
                                             {"gMinTessDistance", "s"},
                                             {"gMinTessFactor", "s"},
                                             {"gMaxTessFactor", "s"},
                                             {"gCubeMap", "t"},
                                             {"gNormalMap", "t"}});
    return {
        {"color.fx", {"ColorTech"}, {{"gWorldViewProj", "m"}}},
        {"Basic.fx",
         {"Light1", "Light2", "Light3"},
         {{"gWorldViewProj", "m"},
          {"gWorld", "m"},
          {"gWorldInvTranspose", "m"},
          {"gEyePosW", "v"},
          {"gDirLights", "r192"},
          {"gSpotLight", "r96"},
          {"gMaterial", "r64"}}},
        {"Basic32.fx",
         {"Light1", "Light2", "Light3", "Light0Tex", "Light1Tex", "Light2Tex", "Light3Tex"},
         {{"gWorldViewProj", "m"},
          {"gWorld", "m"},
          {"gWorldInvTranspose", "m"},
          {"gTexTransform", "m"},
          {"gEyePosW", "v"},
          {"gDirLights", "r192"},
          {"gMaterial", "r64"},
          {"gDiffuseMap", "t"}}},
        {"Basic32BF.fx", kLit, kLitVariables},
        {"Blur.fx", {"HorzBlur", "VertBlur"}, {{"gWeights", "s"}, {"gInput", "t"}, {"gOutput", "u"}}},
        {"InstancedBasic32BF.fx", kLit, instanced},
        {"Post.fx",
         {"Tech1"},
         {{"gWorldViewProj", "m"},
          {"gWorld", "m"},
          {"gWorldInvTranspose", "m"},
          {"gTexTransform", "m"},
          {"gDiffuseMap", "t"},
          {"gDiffuseMap2", "t"}}},
        {"Sky.fx", {"SkyTech"}, {{"gWorldViewProj", "m"}, {"gCubeMap", "t"}}},
        {"InstancedBasicMTR.fx",
         {"Tech1"},
         {{"gViewProj", "m"},
          {"gWorld", "m"},
          {"gWorldInvTranspose", "m"},
          {"gEyePosW", "v"},
          {"gFogColor", "v"},
          {"gFogStart", "s"},
          {"gFogRange", "s"}}},
        {"NormalMap.fx", Reflecting(), normalMap},
        {"DisplacementMap.fx", Reflecting(), displacement},
    };
}

class ShippedEffects : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        blobs = new std::map<std::string, EffectBlob>;
        for (const EffectFile& f : Files()) {
            const EffectCompileResult result = CompileEffectFile(std::string(EFFECT_FILES_DIR) + "/" + f.file);
            messages[f.file] = result.Messages();
            EffectBlob blob;
            if (result.succeeded && ParseEffectBlob(result.code.data(), result.code.size(), blob))
                (*blobs)[f.file] = blob;
        }
    }
    static void TearDownTestSuite() { delete blobs; }

    static const EffectBlob& Blob(const std::string& file)
    {
        static const EffectBlob empty;
        const auto it = blobs->find(file);
        return it == blobs->end() ? empty : it->second;
    }
    static const EffectTechnique* Technique(const std::string& file, const std::string& name)
    {
        for (const EffectTechnique& t : Blob(file).techniques)
            if (t.name == name)
                return &t;
        return nullptr;
    }
    static StageBlob Stage(const std::string& file, const std::string& technique, StageKind kind)
    {
        StageBlob stage;
        const EffectTechnique* t = Technique(file, technique);
        if (t == nullptr || t->passes.empty())
            return stage;
        const std::int32_t index = t->passes[0].shaders[static_cast<std::size_t>(kind)];
        if (index < 0)
            return stage;
        const auto& code = Blob(file).shaders[static_cast<std::size_t>(index)].code;
        EXPECT_TRUE(ParseStageBlob(code.data(), code.size(), stage));
        return stage;
    }

    static std::map<std::string, EffectBlob>* blobs;
    static std::map<std::string, std::string> messages;
};

std::map<std::string, EffectBlob>* ShippedEffects::blobs = nullptr;
std::map<std::string, std::string> ShippedEffects::messages;

TEST_F(ShippedEffects, CompileWithoutAnyMessage)
{
    for (const EffectFile& f : Files()) {
        EXPECT_EQ(1u, blobs->count(f.file)) << f.file << " did not compile:\n" << messages[f.file];
        EXPECT_EQ("", messages[f.file]) << f.file;
    }
}

TEST_F(ShippedEffects, DeclareEveryNameTheProgramLooksUp)
{
    for (const EffectFile& f : Files()) {
        const EffectBlob& blob = Blob(f.file);
        for (const std::string& t : f.techniques) {
            const EffectTechnique* tech = Technique(f.file, t);
            ASSERT_NE(nullptr, tech) << f.file << " lacks technique " << t;
            EXPECT_FALSE(tech->passes.empty()) << f.file << " " << t;
        }
        for (const auto& [name, kind] : f.variables) {
            const EffectVariable* v = nullptr;
            for (const EffectVariable& x : blob.variables)
                if (x.name == name)
                    v = &x;
            ASSERT_NE(nullptr, v) << f.file << " lacks variable " << name;
            const std::string where = std::string(f.file) + " " + name;
            switch (kind[0]) {
            case 'm':
                EXPECT_TRUE(v->kind == EffectVariableKind::Numeric && v->rows == 4 && v->columns == 4 && v->columnMajor)
                    << where;
                break;
            case 'v':
                EXPECT_TRUE(v->kind == EffectVariableKind::Numeric && v->rows == 1 && v->columns >= 3) << where;
                break;
            case 's':
                EXPECT_TRUE(v->kind == EffectVariableKind::Numeric && v->rows == 1 && v->columns == 1 &&
                            v->baseType == EffectBaseType::Float)
                    << where;
                break;
            case 't': EXPECT_EQ(EffectVariableKind::Texture, v->kind) << where; break;
            case 'u': EXPECT_EQ(EffectVariableKind::Uav, v->kind) << where; break;
            case 'r':
                EXPECT_EQ(EffectVariableKind::Numeric, v->kind) << where;
                EXPECT_EQ(static_cast<std::uint32_t>(std::stoul(kind.substr(1))), v->size) << where;
                break;
            }
        }
    }
}

struct Element {
    const char* semantic;
    std::uint32_t index;
    std::uint32_t components;
};

TEST_F(ShippedEffects, VertexInputsMatchTheInputLayouts)
{
    const std::vector<Element> pos = {{"POSITION", 0, 3}};
    const std::vector<Element> world = {
        {"WORLD", 0, 4}, {"WORLD", 1, 4}, {"WORLD", 2, 4}, {"WORLD", 3, 4}, {"COLOR", 0, 4}};
    std::vector<Element> basic32 = {{"POSITION", 0, 3}, {"NORMAL", 0, 3}, {"TEXCOORD", 0, 2}};
    std::vector<Element> instancedBasic32 = basic32;
    instancedBasic32.insert(instancedBasic32.end(), world.begin(), world.end());
    std::vector<Element> instancedPos = pos;
    instancedPos.insert(instancedPos.end(), world.begin(), world.end());
    const struct {
        const char* file;
        const char* technique;
        std::vector<Element> layout;
    } layouts[] = {
        {"color.fx", "ColorTech", {{"POSITION", 0, 3}, {"COLOR", 0, 4}}},
        {"Basic.fx", "Light1", {{"POSITION", 0, 3}, {"NORMAL", 0, 3}}},
        {"Basic32.fx", "Light1", basic32},
        {"InstancedBasic32BF.fx", "Light1", instancedBasic32},
        {"Post.fx", "Tech1", {{"POSITION", 0, 3}, {"TEXCOORD", 0, 2}}},
        {"Sky.fx", "SkyTech", pos},
        {"InstancedBasicMTR.fx", "Tech1", instancedPos},
        {"NormalMap.fx", "Light1", {{"POSITION", 0, 3}, {"NORMAL", 0, 3}, {"TEXCOORD", 0, 2}, {"TANGENT", 0, 3}}},
    };
    for (const auto& l : layouts) {
        const StageBlob vs = Stage(l.file, l.technique, StageKind::Vertex);
        const std::string where = std::string(l.file) + " " + l.technique;
        // The layout must supply every input the shader reads, and the shader should read them all.
        EXPECT_EQ(l.layout.size(), vs.inputs.size()) << where;
        for (const StageInput& in : vs.inputs) {
            bool supplied = false;
            for (const Element& e : l.layout)
                supplied = supplied ||
                           (in.semanticName == e.semantic && in.semanticIndex == e.index &&
                            in.componentCount <= e.components && in.componentType == StageComponentType::Float);
            EXPECT_TRUE(supplied) << where << " reads " << in.semanticName << in.semanticIndex;
        }
    }
}

TEST_F(ShippedEffects, BlurKernelsCover256TexelsAlongTheirDirection)
{
    const StageBlob horz = Stage("Blur.fx", "HorzBlur", StageKind::Compute);
    const StageBlob vert = Stage("Blur.fx", "VertBlur", StageKind::Compute);
    // Both groups lie along x (the vertical kernel maps x onto its column): a software rasteriser
    // vectorises along x only, and a 1-wide group would run one lane at a time. That each group
    // covers 256 texels is checked by the blur test, against images of 257 and 513 texels.
    for (const StageBlob* s : {&horz, &vert})
        EXPECT_NE(std::string::npos, s->glsl.find("local_size_y = 1, local_size_z = 1"));
    // The output is only written: its GLSL declares no format, so the RGBA8 view bound to it applies.
    for (const StageBlob* s : {&horz, &vert}) {
        ASSERT_EQ(1u, s->images.size());
        EXPECT_EQ(StageImageFormat::Unspecified, s->images[0].format);
        EXPECT_NE(std::string::npos, s->glsl.find("uniform writeonly image2D gOutput;")) << s->glsl;
    }
    // The weights stand as the file writes them: they must sum to one, or the blur darkens or
    // brightens the image on each of its eight rounds.
    const EffectBlob& blob = Blob("Blur.fx");
    for (const EffectVariable& v : blob.variables) {
        if (v.name != "gWeights")
            continue;
        ASSERT_EQ(11u, v.elements);
        float sum = 0;
        for (std::uint32_t i = 0; i < v.elements; ++i) {
            float w = 0;
            std::memcpy(&w, &blob.constantBuffers[v.buffer].initialData[v.offset + i * v.elementStride], 4);
            sum += w;
        }
        EXPECT_NEAR(1.0f, sum, 1e-3f);
    }
}

TEST_F(ShippedEffects, FirstSceneTechniquesWriteTheGlowTarget)
{
    for (const auto& [file, technique] : {std::pair{"Basic.fx", "Light1"}, std::pair{"InstancedBasicMTR.fx", "Tech1"},
                                          std::pair{"Sky.fx", "SkyTech"}}) {
        const StageBlob ps = Stage(file, technique, StageKind::Pixel);
        EXPECT_NE(std::string::npos, ps.glsl.find("layout(location = 1) out vec4")) << file;
    }
}

}  // namespace
