#include "fxruntime/HlslToSpirv.h"

#include <shaderc/shaderc.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>

#include "fxruntime/CompileStep.h"
#include "fxruntime/EffectIncludeReader.h"

namespace {

// glslang writes each file's name into the `#line "name"` directives it puts around an include,
// then parses them again: a name with a newline, a quote or a backslash breaks the directive, and
// one past its token limit (1,024 bytes) is cut. Such names reach glslang as stand-ins and come back
// in the messages as they were.
bool NameFitsLineDirective(const std::string& name)
{
    constexpr std::size_t kMaxName = 512;
    if (name.size() > kMaxName || name.starts_with('<')) {  // '<': the stand-ins' own mark
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

struct IncludeContext {
    const std::map<std::string, std::string>* files;
    std::atomic<bool> readOtherFiles{false};
    std::map<std::string, std::string> realNames;  // by stand-in
    std::map<std::string, std::string> standIns;   // by real name

    // The name glslang gets for the file `real`.
    std::string NameForCompiler(const std::string& real)
    {
        if (NameFitsLineDirective(real)) {
            return real;
        }
        auto [it, added] = standIns.try_emplace(real);
        if (added) {
            it->second = "<file " + std::to_string(standIns.size()) + ">";
            realNames[it->second] = real;
        }
        return it->second;
    }
    std::string RealName(const std::string& name) const
    {
        const auto it = realNames.find(name);
        return it != realNames.end() ? it->second : name;
    }
};

struct IncludeResult {
    shaderc_include_result result{};
    std::string name;
    std::string content;
};

shaderc_include_result* ResolveInclude(void* userData, const char* requested, int, const char* requesting, std::size_t)
{
    auto* ctx = static_cast<IncludeContext*>(userData);
    auto* r = new IncludeResult;
    namespace fs = std::filesystem;
    const std::string path =
        (fs::path(ctx->RealName(requesting)).parent_path() / requested).lexically_normal().string();
    r->name = ctx->NameForCompiler(path);
    const auto* known = ctx->files != nullptr && ctx->files->count(path) != 0 ? &ctx->files->at(path) : nullptr;
    if (known != nullptr) {
        r->content = *known;
    } else {
        // Read as the effect files are: regular files of a bounded size only.
        if (ReadEffectFileText(path, r->content)) {
            ctx->readOtherFiles = true;
        } else {
            // An empty name tells the compiler the include failed; the content is its message.
            r->content = "cannot open include file '" + std::string(requested) + "'";
            r->name.clear();
        }
    }
    r->result.source_name = r->name.c_str();
    r->result.source_name_length = r->name.size();
    r->result.content = r->content.c_str();
    r->result.content_length = r->content.size();
    r->result.user_data = r;
    return &r->result;
}

void ReleaseInclude(void*, shaderc_include_result* result)
{
    delete static_cast<IncludeResult*>(result->user_data);
}

// One compiler object for the process: creating it is not free, and it is safe to share.
shaderc_compiler_t Compiler()
{
    static const std::unique_ptr<std::remove_pointer_t<shaderc_compiler_t>, void (*)(shaderc_compiler_t)> compiler(
        shaderc_compiler_initialize(), shaderc_compiler_release);
    return compiler.get();
}

int ColumnOf(const std::map<std::string, std::string>& files, const std::string& file, int line,
             const std::string& token)
{
    if (token.empty()) {
        return 1;
    }
    const auto it = files.find(file);
    if (it == files.end()) {
        return 1;
    }
    std::istringstream in(it->second);
    std::string text;
    for (int i = 0; i < line && std::getline(in, text); ++i) {
    }
    const std::size_t at = text.find(token);
    return at == std::string::npos ? 1 : static_cast<int>(at) + 1;
}

// What in the HLSL the compiler could not carry past its front end, from the words its optimizer
// stopped with (they speak of SPIR-V): the construct where it is known, the optimizer's own first
// line otherwise, so no refusal is nameless.
std::string UntranslatedConstruct(const char* messages, StageKind stage)
{
    std::string text = messages != nullptr ? messages : "";
    const std::string prefix = "failed to optimize: ";
    if (const std::size_t at = text.find(prefix); at != std::string::npos) {
        text.erase(0, at + prefix.size());
    }
    text = text.substr(0, text.find('\n'));
    if (text.find("Control Flow nesting depth") != std::string::npos) {
        // Each `else if` of a chain, and each `switch`, `if` or loop inside another, is one level.
        return "control flow nested more than 1023 levels deep (a long `else if` chain nests one level per "
               "`else`; a `switch` does not)";
    }
    if (stage == StageKind::Compute && text.find("OpExecutionMode") != std::string::npos) {
        return "a thread group size ([numthreads]) that is not three positive integers";
    }
    if (text.empty()) {
        return "a construct this compiler cannot translate";
    }
    return "a construct this compiler cannot translate (its optimizer stopped with: " + text + ")";
}

}  // namespace

std::vector<EffectDiagnostic> ParseHlslMessages(const std::string& text,
                                                const std::map<std::string, std::string>& files)
{
    static const std::regex withLine(R"(^(.*):(\d+): (error|warning): (.*)$)");
    static const std::regex noLine(R"(^(.*): (error|warning): (.*)$)");
    static const std::regex quoted(R"(^'([^']*)' :)");
    std::vector<EffectDiagnostic> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::smatch m;
        EffectDiagnostic d;
        if (std::regex_match(line, m, withLine)) {
            d.file = m[1];
            d.line = std::stoi(m[2]);
            d.error = m[3] == "error";
            d.text = m[4];
        } else if (std::regex_match(line, m, noLine)) {
            d.file = m[1];
            d.line = 1;
            d.error = m[2] == "error";
            d.text = m[3];
        } else {
            continue;  // summaries such as "1 error generated."
        }
        // glslang prefixes the offending token: "'foo' : undeclared identifier".
        std::smatch q;
        std::string token;
        if (std::regex_search(d.text, q, quoted)) {
            token = q[1];
        }
        d.column = ColumnOf(files, d.file, d.line, token);
        d.code = !d.error ? "X3206"
                 : (d.text.find("undeclared identifier") != std::string::npos ||
                    d.text.find("unknown variable") != std::string::npos)
                     ? "X3004"
                     : "X3000";
        out.push_back(std::move(d));
    }
    return out;
}

// Intrinsics glslang translates otherwise than HLSL defines them, given the HLSL definition as
// function-like macros of the preamble (which leaves the file's line numbers alone). glslang folds
// fmod of constants, and translates it, with GLSL's modulo (the divisor's sign); lit's specular term
// comes out n_dot_h * m instead of n_dot_h to the power m; sign returns a float where HLSL's is an
// int; ldexp takes only an integer exponent; mad is not translated for integers. An argument of
// fmod, lit or sign is evaluated twice, so a side effect inside one (lit(i++, ...)) happens twice.
constexpr const char* kIntrinsicMacros[][2] = {
    {"fmod(x, y)", "((x) - (y) * trunc((x) / (y)))"},
    {"lit(n_dot_l, n_dot_h, m)",
     "float4(1, max((n_dot_l), 0), ((n_dot_l) < 0 || (n_dot_h) < 0) ? 0 : pow((n_dot_h), (m)), 1)"},
    {"sign(x)", "(((x) > 0) - ((x) < 0))"},
    {"ldexp(x, e)", "((x) * exp2(e))"},
    {"mad(a, b, c)", "((a) * (b) + (c))"},
};

// What every shader is compiled after; `#line 1` then gives the file its own line numbers back.
// - The identity functions LiteralFolding.h wraps literals in, so that glslang does not fold the
//   expressions around them (SPIRV-Tools folds them afterwards, rightly).
// - any() and all() of one value: HLSL takes scalars as well as vectors and matrices, but glslang
//   emits the vector instruction for a scalar too, which SPIR-V refuses. Overloads by signature take
//   the scalars; vectors and matrices still reach the intrinsic.
constexpr char kPrelude[] =
    "float fx_literal(float v) { return v; } int fx_literal(int v) { return v; } "
    "uint fx_literal(uint v) { return v; } bool fx_literal(bool v) { return v; }\n"
    "bool any(float v) { return v != 0; } bool any(int v) { return v != 0; } bool any(uint v) { return v != 0; } "
    "bool any(bool v) { return v; }\n"
    "bool all(float v) { return v != 0; } bool all(int v) { return v != 0; } bool all(uint v) { return v != 0; } "
    "bool all(bool v) { return v; }\n"
    "#line 1\n";

HlslCompileOutput CompileHlslToSpirv(const HlslCompileInput& input)
{
    HlslCompileOutput out;
    shaderc_compile_options_t options = shaderc_compile_options_initialize();
    shaderc_compile_options_set_source_language(options, shaderc_source_language_hlsl);
    shaderc_compile_options_set_hlsl_functionality1(options, true);  // keeps semantics as UserSemantic
    shaderc_compile_options_set_auto_bind_uniforms(options, true);
    shaderc_compile_options_set_hlsl_io_mapping(options, true);
    shaderc_compile_options_set_target_env(options, shaderc_target_env_opengl, 0);
    shaderc_compile_options_set_optimization_level(options, shaderc_optimization_level_zero);
    for (const auto& [name, body] : kIntrinsicMacros) {
        shaderc_compile_options_add_macro_definition(options, name, std::strlen(name), body, std::strlen(body));
    }
    IncludeContext ctx;
    ctx.files = input.files;
    shaderc_compile_options_set_include_callbacks(options, ResolveInclude, ReleaseInclude, &ctx);

    shaderc_shader_kind kind = shaderc_vertex_shader;
    if (input.stage == StageKind::Pixel) {
        kind = shaderc_fragment_shader;
    }
    if (input.stage == StageKind::Compute) {
        kind = shaderc_compute_shader;
    }
    const std::string source = kPrelude + input.source;
    shaderc_compilation_result_t result = nullptr;
    {
        const CompileStep step("glslang's HLSL front end or SPIRV-Tools' legalization (shaderc)");
        const std::string name = ctx.NameForCompiler(input.fileName);
        result = shaderc_compile_into_spv(Compiler(), source.data(), source.size(), kind, name.c_str(),
                                          input.entryPoint.c_str(), options);
    }
    const char* messages = shaderc_result_get_error_message(result);
    if (messages != nullptr && *messages != '\0') {
        std::map<std::string, std::string> files;
        if (input.files != nullptr) {
            for (const auto& [path, text] : *input.files) {
                files[ctx.NameForCompiler(path)] = text;
            }
        }
        files[ctx.NameForCompiler(input.fileName)] = input.source;
        out.diagnostics = ParseHlslMessages(messages, files);
        for (EffectDiagnostic& d : out.diagnostics) {
            d.file = ctx.RealName(d.file);
        }
    }
    if (shaderc_result_get_compilation_status(result) == shaderc_compilation_status_success) {
        const std::size_t bytes = shaderc_result_get_length(result);
        out.words.resize(bytes / 4);
        std::memcpy(out.words.data(), shaderc_result_get_bytes(result), out.words.size() * 4);
        out.succeeded = true;
    } else if (out.diagnostics.empty() || !out.diagnostics.back().error) {
        // No message with a line: the compiler failed after the HLSL was read (its optimizer's
        // "internal error" texts speak of SPIR-V, which means nothing in an effect file). An internal
        // error with no text at all is what shaderc reports for an exception it caught, which in
        // practice is an allocation that failed.
        const bool silent = messages == nullptr || *messages == '\0';
        const bool internal = shaderc_result_get_compilation_status(result) ==
                              shaderc_compilation_status_internal_error;
        out.diagnostics.push_back(
            {input.fileName, 1, 1, true, "X3000",
             "compilation of '" + input.entryPoint +
                 (silent && internal
                      ? "' failed inside the HLSL compiler without a message (out of memory?)"
                      : "' failed after the HLSL was read; it uses " + UntranslatedConstruct(messages, input.stage))});
    }
    shaderc_result_release(result);
    shaderc_compile_options_release(options);
    out.readOtherFiles = ctx.readOtherFiles;
    return out;
}
