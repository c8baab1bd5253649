// The front end's entry points: reading an effect file (EffectIncludeReader), parsing its effect
// constructs (EffectParser), and the entry-point wrappers the compiler hands to the HLSL compiler.
#include "fxruntime/EffectSource.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "fxruntime/EffectDeclarations.h"
#include "fxruntime/EffectIncludeReader.h"
#include "fxruntime/EffectLexer.h"
#include "fxruntime/EffectParser.h"

std::string FormatDiagnostic(const EffectDiagnostic& d)
{
    return d.file + "(" + std::to_string(d.line) + "," + std::to_string(d.column) +
           "): " + (d.error ? "error " : "warning ") + d.code + ": " + d.text;
}

std::string EffectMemberKey(const std::string& scope, const std::string& member)
{
    return scope + "::" + member;
}

std::string EffectEntryCall::Key() const
{
    std::string key = function + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        key += (i ? ", " : "") + arguments[i];
    }
    return key + ")";
}

bool EffectSource::HasErrors() const
{
    return std::any_of(diagnostics.begin(), diagnostics.end(), [](const EffectDiagnostic& d) { return d.error; });
}

const EffectFunction* EffectSource::FindFunction(const std::string& name) const
{
    for (const EffectFunction& f : functions) {
        if (f.name == name) {
            return &f;
        }
    }
    return nullptr;
}

namespace {

bool Parse(const std::string& path, const std::string& text, const std::map<std::string, std::string>* readFrom,
           EffectSource& out)
{
    out.mainFile = path;
    out.mainFileLines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::vector<std::string> chain{path};
    ParseEffectFile(out, path, text, chain, readFrom);
    CheckRegisters(out);
    return !out.HasErrors();
}

}  // namespace

bool ParseEffectText(const std::string& path, const std::string& text, EffectSource& out)
{
    return Parse(path, text, nullptr, out);
}

bool ParseEffectFiles(const std::string& mainFile, const std::map<std::string, std::string>& files, EffectSource& out)
{
    const auto main = files.find(mainFile);
    if (main == files.end()) {
        out.mainFile = mainFile;
        out.diagnostics.push_back(
            {mainFile, 1, 1, true, "X3501", "cannot open effect file (not among the files read)"});
        return false;
    }
    return Parse(mainFile, main->second, &files, out);
}

bool ReadEffectSource(const std::string& path, EffectSource& out)
{
    std::string text, reason;
    if (!ReadEffectFileText(path, text, &reason)) {
        out.mainFile = path;
        out.diagnostics.push_back({path, 1, 1, true, "X3501", "cannot open effect file (" + reason + ")"});
        return false;
    }
    return ParseEffectText(path, text, out);
}

bool SpecializationWord(const std::string& literal, const std::string& type, std::uint32_t& word)
{
    double value = 0;
    std::string text = literal;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.erase(0, 1);
    }
    if (text.empty() || !ParseNumber(text, value)) {
        return false;
    }
    if (negative) {
        value = -value;
    }
    if (type == "bool") {
        word = value != 0 ? 1u : 0u;
        return true;
    }
    if (type == "float") {
        const float f = static_cast<float>(value);
        std::memcpy(&word, &f, 4);
        return true;
    }
    if (!(value >= -2147483648.0 && value <= 4294967295.0)) {
        return false;  // no 32-bit integer
    }
    if (value != static_cast<double>(static_cast<long long>(value))) {
        return false;  // 1.5 is no int
    }
    if (type == "int" && value <= 2147483647.0) {
        word = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
        return true;
    }
    if (type == "uint" && value >= 0 && value <= 4294967295.0) {
        word = static_cast<std::uint32_t>(value);
        return true;
    }
    return false;
}

namespace {

// Whether a function surely lacks [numthreads]: each of its attributes is in brackets and none is
// it, and its return type is one word. A word outside brackets, or before the return type, may be
// a macro that gives it, so that is not taken as lacking.
bool LacksThreadGroupSize(const EffectFunction& f)
{
    std::istringstream returnType(f.returnType);
    std::string first, second;
    if (returnType >> first >> second) {
        return false;
    }
    int depth = 0;
    for (std::size_t i = 0; i < f.attributes.size(); ++i) {
        const char c = f.attributes[i];
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (depth == 0 && !std::isspace(static_cast<unsigned char>(c))) {
            return false;
        } else if (f.attributes.compare(i, 10, "numthreads") == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MakeEntryPoint(const EffectSource& source, const EffectEntryCall& call, int wrapperIndex, std::string& entryName,
                    std::string& wrapperCode, EffectDiagnostic& error, std::vector<std::string>* constantTypes)
{
    error = {call.where.file, call.where.line, call.where.column, true, "X3000", {}};
    if (constantTypes != nullptr) {
        constantTypes->clear();
    }
    const EffectFunction* f = source.FindFunction(call.function);
    if (f == nullptr) {
        error.code = "X3004";
        error.text = "undeclared entry point '" + call.function + "'";
        return false;
    }
    // The HLSL compiler would take one thread per group; Direct3D's refuses the shader.
    if (call.stage == StageKind::Compute && LacksThreadGroupSize(*f)) {
        error.code = "X3661";
        error.text = "'" + call.function + "': a compute shader needs a [numthreads(X, Y, Z)] attribute";
        return false;
    }
    std::vector<const EffectFunctionParameter*> uniforms;
    for (const EffectFunctionParameter& p : f->parameters) {
        if (p.isUniform) {
            uniforms.push_back(&p);
        }
    }
    if (call.arguments.size() != uniforms.size()) {
        error.text = "'" + call.function + "' takes " + std::to_string(uniforms.size()) + " uniform argument" +
                     (uniforms.size() == 1 ? "" : "s") + " but " + std::to_string(call.arguments.size()) +
                     " were given";
        return false;
    }
    wrapperCode.clear();
    if (uniforms.empty()) {
        entryName = call.function;
        return true;
    }
    bool specialize = constantTypes != nullptr;
    for (std::size_t i = 0; specialize && i < uniforms.size(); ++i) {
        std::uint32_t word = 0;
        specialize = SpecializationWord(call.arguments[i], uniforms[i]->type, word);
    }
    std::string constants;
    if (specialize) {
        entryName = "fx_" + call.function + "_specialized";
        for (std::size_t i = 0; i < uniforms.size(); ++i) {
            const std::string& type = uniforms[i]->type;
            constants += "[[vk::constant_id(" + std::to_string(i) + ")]] const " + type + " " + entryName + "_" +
                         std::to_string(i) + " = " +
                         (type == "bool"    ? "false"
                          : type == "float" ? "0.0f"
                                            : "0") +
                         "; ";
            constantTypes->push_back(type);
        }
    } else {
        entryName = "fx_" + call.function + "_" + std::to_string(wrapperIndex);
    }
    std::string params, args;
    std::size_t literal = 0;
    for (const EffectFunctionParameter& p : f->parameters) {
        if (!args.empty()) {
            args += ", ";
        }
        if (p.isUniform) {
            args += specialize ? entryName + "_" + std::to_string(literal) : "(" + call.arguments[literal] + ")";
            ++literal;
        } else {
            if (!params.empty()) {
                params += ", ";
            }
            params += p.text;
            args += p.name;
        }
    }
    // One line, so that the wrapper adds nothing to the file's line count before it.
    wrapperCode = constants + f->attributes + " " + f->returnType + " " + entryName + "(" + params + ")" +
                  (f->semantic.empty() ? "" : " : " + f->semantic) + " { " +
                  (f->returnType == "void" ? "" : "return ") + call.function + "(" + args + "); }\n";
    return true;
}
