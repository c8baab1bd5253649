#pragma once
// The effect front end: reads an effect file and the files it includes, takes out the effect
// constructs (techniques, passes, state blocks) that the HLSL compiler does not understand, and
// keeps what it learned from them. The remaining text is plain HLSL with every line where it was,
// so the HLSL compiler's line numbers are the file's.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fxruntime/EffectBlob.h"

struct EffectDiagnostic {
    std::string file;
    int line = 0;
    int column = 0;
    bool error = true;
    std::string code;  // "X3000" and the like
    std::string text;
};

// "file(line,col): error X3000: text"
std::string FormatDiagnostic(const EffectDiagnostic& d);

struct EffectSourceLocation {
    std::string file;
    int line = 0;
    int column = 0;
};

// CompileShader(profile, Function(literal, ...)) as written in a pass.
struct EffectEntryCall {
    StageKind stage = StageKind::Vertex;
    std::string profile;
    std::string function;
    std::vector<std::string> arguments;  // literal texts, bound to the function's uniform parameters
    EffectSourceLocation where;
    // "Function(arg, arg)": identifies the distinct entry points of an effect.
    std::string Key() const;
};

struct EffectStateRef {
    bool set = false;
    bool null = false;  // SetXState(NULL): bind the default state
    std::string name;
    EffectSourceLocation where;
};

struct EffectSourcePass {
    std::string name;
    std::optional<EffectEntryCall> shaders[kEffectStageCount];  // empty: NULL or not set
    EffectStateRef rasterizer;
    EffectStateRef depthStencil;
    std::uint32_t stencilRef = 0;
    EffectStateRef blend;
    float blendFactor[4] = {0, 0, 0, 0};
    std::uint32_t sampleMask = 0xFFFFFFFFu;
};

struct EffectSourceTechnique {
    std::string name;
    std::vector<EffectSourcePass> passes;
    EffectSourceLocation where;
};

struct EffectFunctionParameter {
    std::string text;  // the declaration as written, semantics included
    std::string type;  // the word before the name, e.g. "int"
    std::string name;
    bool isUniform = false;
};

struct EffectFunction {
    std::string name;
    std::string attributes;  // e.g. "[numthreads(256, 1, 1)]"
    std::string returnType;
    std::string semantic;  // return-value semantic, without the colon
    std::vector<EffectFunctionParameter> parameters;
    EffectSourceLocation where;
};

enum class EffectResourceKind { Texture, Uav, Sampler };

// An explicit register(xN) on a declaration.
struct EffectRegister {
    bool given = false;
    std::uint32_t slot = 0;
};

// A texture, writable texture or sampler declared at file scope.
struct EffectResourceDecl {
    std::string name;
    EffectResourceKind kind = EffectResourceKind::Texture;
    StageTextureDimension dimension = StageTextureDimension::Texture2D;
    std::string elementType;     // the template argument as written ("float4", "uint"); may be empty
    std::uint32_t elements = 0;  // array length; 0 when not an array
    EffectRegister reg;
    EffectSourceLocation where;
};

struct EffectConstantBufferDecl {
    std::string name;
    EffectRegister reg;
    EffectSourceLocation where;
};

// A sampler array's element as the HLSL compiler sees it: "fx_samplers_s_1" for s[1], since the
// GLSL translation cannot index arrays of samplers.
struct EffectSamplerElement {
    std::string sampler;
    std::uint32_t index = 0;
};

// VertexShader vs = CompileShader(...); (or = NULL) at file scope, for SetVertexShader(vs).
struct EffectShaderVariable {
    StageKind stage = StageKind::Vertex;
    std::optional<EffectEntryCall> call;  // empty for NULL
    EffectSourceLocation where;
};

// A member of a constant buffer, of the implicit $Globals buffer or of a struct, as declared: what
// the compiled code cannot tell about it, and where it is for messages.
struct EffectMemberDecl {
    EffectSourceLocation where;
    bool declaredBool = false;  // the HLSL compiler stores bools as uints
    // A matrix one row or one column wide; the HLSL compiler is handed a vector of its elements
    // instead (0 when the member is no such matrix).
    std::uint32_t matrixRows = 0, matrixColumns = 0;
    bool rowMajor = false;
    bool hasPackOffset = false;
    std::uint32_t packOffset = 0;  // bytes from the start of the buffer
};

// Key of EffectSource::memberDecls: `scope` is the cbuffer's name, "$Globals" or the struct's name.
std::string EffectMemberKey(const std::string& scope, const std::string& member);

struct EffectInitializer {
    std::vector<double> values;
    EffectSourceLocation where;
};

struct EffectSource {
    std::string mainFile;
    // Every file read, by the path it was opened with, in its stripped form and as read.
    std::map<std::string, std::string> strippedFiles;
    std::map<std::string, std::string> originalFiles;
    int mainFileLines = 0;
    std::vector<EffectSourceTechnique> techniques;
    std::vector<EffectSamplerDesc> samplers;
    std::vector<EffectRasterizerDesc> rasterizerStates;
    std::vector<EffectDepthStencilDesc> depthStencilStates;
    std::vector<EffectBlendDesc> blendStates;
    std::vector<EffectFunction> functions;
    std::vector<EffectResourceDecl> resources;              // textures, UAVs and samplers in declaration order
    std::vector<EffectConstantBufferDecl> constantBuffers;  // in declaration order
    std::map<std::string, EffectSamplerElement> samplerElements;
    std::map<std::string, EffectShaderVariable> shaderVariables;
    std::map<std::string, EffectInitializer> initializers;
    std::map<std::string, EffectMemberDecl> memberDecls;
    std::vector<EffectDiagnostic> diagnostics;

    bool HasErrors() const;
    const EffectFunction* FindFunction(const std::string& name) const;
};

// Reads `path` and its includes. Returns false (with diagnostics) when the file cannot be read
// or an effect construct is malformed.
bool ReadEffectSource(const std::string& path, EffectSource& out);

// Parses effect text already in memory; `path` names it in messages and anchors includes.
bool ParseEffectText(const std::string& path, const std::string& text, EffectSource& out);

// Parses again the files another EffectSource read (its originalFiles), without the disk: the
// same source as that one, where the files are no longer what it read.
bool ParseEffectFiles(const std::string& mainFile, const std::map<std::string, std::string>& files, EffectSource& out);

// The HLSL entry point for `call`: the function itself when it takes no literal arguments,
// otherwise a generated wrapper (returned in `wrapperCode`) that binds the literals.
//
// When `constantTypes` is given and every literal is a plain bool, int, uint or float, the wrapper
// binds specialization constants (ids 0, 1, ... in parameter order) instead of the literals, so
// one compilation serves every argument list of the function; `constantTypes` then receives their
// types and the literals are written into the compiled code with SpecializationWord.
bool MakeEntryPoint(const EffectSource& source, const EffectEntryCall& call, int wrapperIndex, std::string& entryName,
                    std::string& wrapperCode, EffectDiagnostic& error,
                    std::vector<std::string>* constantTypes = nullptr);

// The 32-bit value of `literal` as a `type` ("bool", "int", "uint" or "float"); false when the
// literal is not a plain number or boolean of that type.
bool SpecializationWord(const std::string& literal, const std::string& type, std::uint32_t& word);
