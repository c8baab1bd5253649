#include "fxruntime/EffectParser.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "fxruntime/ArrayInitializers.h"
#include "fxruntime/Direct3DRefusals.h"
#include "fxruntime/EffectDeclarations.h"
#include "fxruntime/EffectIncludeReader.h"
#include "fxruntime/EffectStateFields.h"
#include "fxruntime/EffectTokens.h"
#include "fxruntime/ImplicitTruncation.h"
#include "fxruntime/LiteralFolding.h"
#include "fxruntime/MatrixRewrites.h"
#include "fxruntime/UnsupportedConstructs.h"
#include "platform/d3d11/Checks.h"

namespace {

class FileParser : public EffectTokens {
public:
    FileParser(EffectSource& out, const std::string& path, const std::string& text, std::vector<std::string>& chain,
               const std::map<std::string, std::string>* readFrom)
        : EffectTokens(out, path, text),
          includeChain(chain),
          readFrom(readFrom),
          declarations(*this)
    {}

    void Run()
    {
        LexedText lexed = LexEffectText(fileText);
        tokens = std::move(lexed.tokens);
        declarations.SetPragmas(std::move(lexed.packMatrix));
        if (!lexed.error.empty()) {
            Error({filePath, lexed.errorLine, lexed.errorColumn}, lexed.error);
        }
        for (const TextSpan& directive : lexed.lineDirectives) {
            BlankBytes(directive.begin, directive.end);
        }
        macros = std::move(lexed.macros);
        for (const MacroDirective& m : macros) {
            macroNames.insert(m.name);
        }
        RefuseMacrosThatWriteTechniques();
        for (const IncludeDirective& inc : lexed.includes) {
            ReadInclude(inc);
        }
        if (!WithinDepthLimits()) {
            return;
        }
        TopLevel();
        WarnImplicitTruncations(*this);
        RefuseUnsupportedConstructs(*this);
        RefuseWhatDirect3DRefuses(*this, macroNames);
        RegroupArrayInitializers(*this);
        RewriteMatrixElementProducts(*this);
        RewriteMatrixElementRuns(*this);
        declarations.RewriteOneWideMatrices();
        declarations.RewriteSamplerArrays();
        KeepLiteralsFromFolding(*this);  // last: it leaves alone what the rewrites above replaced
        effect.strippedFiles[filePath] = StrippedText();
        effect.originalFiles[filePath] = fileText;
    }

private:
    // The name token k stands for: an object-like macro defined above it (and not undefined since)
    // whose replacement is one name stands for that name, as the HLSL preprocessor would read it.
    std::string NameThroughMacros(std::size_t k) const
    {
        std::string name = tokens[k].text;
        for (int depth = 0; depth < 32; ++depth) {
            const MacroDirective* latest = nullptr;
            for (const MacroDirective& m : macros) {
                if (m.offset < tokens[k].begin && m.name == name) {
                    latest = &m;
                }
            }
            const bool oneName = latest != nullptr && !latest->undefine && !latest->functionLike &&
                                 !latest->body.empty() && IsIdentStart(latest->body[0]) &&
                                 std::all_of(latest->body.begin(), latest->body.end(), IsIdentChar);
            if (!oneName || latest->body == name) {
                return name;
            }
            name = latest->body;
        }
        return name;
    }

    // Techniques and groups are read here before the HLSL preprocessor runs, so one a macro writes
    // would be dropped without a word; such a macro is refused where it is defined.
    void RefuseMacrosThatWriteTechniques()
    {
        for (const MacroDirective& m : macros) {
            const LexedText body = LexEffectText(m.body);
            const auto writes = std::find_if(body.tokens.begin(), body.tokens.end(), [](const Token& t) {
                return t.kind == TokenKind::Identifier && (t.text == "technique11" || t.text == "technique10" ||
                                                           t.text == "technique" || t.text == "fxgroup");
            });
            if (!m.undefine && writes != body.tokens.end()) {
                Error({filePath, m.line, m.column},
                      "the macro '" + m.name + "' writes a " + (writes->text == "fxgroup" ? "group" : "technique") +
                          "; this compiler reads techniques before macros are expanded, so write it out (a "
                          "technique's or pass's name may still be a macro)");
            }
        }
    }

    void ReadInclude(const IncludeDirective& inc)
    {
        const std::string name = ResolveIncludePath(filePath, inc.name);
        std::string text, error;
        switch (
            ReadIncludedFile(name, inc, includeChain, effect.strippedFiles.count(name) != 0, text, error, readFrom)) {
        case IncludeOutcome::Refused: Error({filePath, inc.line, inc.column}, error); return;
        case IncludeOutcome::Skipped: return;
        case IncludeOutcome::Read: break;
        }
        includeChain.push_back(name);
        FileParser included(effect, name, text, includeChain, readFrom);
        included.Run();
        includeChain.pop_back();
        macroNames.insert(included.macroNames.begin(), included.macroNames.end());
    }

    // The HLSL compiler and the cross-compiler recurse once per level of nesting and per operator
    // of an expression; far past anything a shader needs they run out of stack, which ends the whole
    // program. So such input is refused here, at the first token past a limit.
    bool WithinDepthLimits()
    {
        static const std::set<std::string> kOperators = {
            "+", "-", "*",  "/",  "%",  "&",  "|", "^", "<<", ">>", "&&", "||",
            "<", ">", "<=", ">=", "==", "!=", "!", "~", "?",  "=",  "++", "--"};
        int depth = 0;
        std::size_t operators = 0;
        for (const Token& t : tokens) {
            if (t.kind != TokenKind::Punct) {
                continue;
            }
            if (t.text == "(" || t.text == "[" || t.text == "{") {
                if (++depth > kMaxNesting) {
                    Error({filePath, t.line, t.column},
                          "brackets nested deeper than " + std::to_string(kMaxNesting) + " levels");
                    return false;
                }
            } else if (t.text == ")" || t.text == "]" || t.text == "}") {
                depth = std::max(depth - 1, 0);
            }
            if (t.text == ";" || t.text == "{" || t.text == "}") {
                operators = 0;
            } else if (kOperators.count(t.text) != 0 && ++operators > kMaxOperators) {
                Error({filePath, t.line, t.column}, "more than " + std::to_string(kMaxOperators) +
                                                        " operators in one statement; split the expression");
                return false;
            }
        }
        return true;
    }
    static constexpr int kMaxNesting = 512;
    static constexpr std::size_t kMaxOperators = 8192;

    void TopLevel()
    {
        std::size_t statementStart = 0;
        std::size_t k = 0;
        while (k < tokens.size()) {
            const std::string& w = tokens[k].text;
            if (tokens[k].kind == TokenKind::Identifier && IsTechniqueKeyword(w)) {
                k = Technique(k);
                statementStart = k;
                continue;
            }
            if (tokens[k].kind == TokenKind::Identifier && w == "fxgroup") {
                k = Group(k);
                statementStart = k;
                continue;
            }
            if (w == "RasterizerState" || w == "DepthStencilState" || w == "BlendState") {
                k = StateBlock(k);
                statementStart = k;
                continue;
            }
            if (w == "SamplerState" || w == "SamplerComparisonState") {
                k = Sampler(k);
                continue;
            }
            if (w == "cbuffer" || w == "tbuffer") {
                k = ConstantBuffer(k);
                statementStart = k;
                continue;
            }
            if (tokens[k].kind == TokenKind::Identifier && DeclarationReader::IsResourceType(w)) {
                k = declarations.Resource(k);
                continue;
            }
            if (IsShaderType(w) && IsIdent(k + 1)) {
                k = ShaderVariable(k);
                statementStart = k;
                continue;
            }
            if (w == "struct" && (IsIdent(k + 1) || Is(k + 1, "{"))) {
                k = Struct(k);
                continue;
            }
            if (w == "[" && Is(k + 1, "[")) {
                k = Attribute(k);
                continue;
            }
            if (w == "(" && k >= 1 && IsIdent(k - 1) && k >= 2 && (IsIdent(k - 2) || Is(k - 2, ">"))) {
                if (const std::size_t next = FunctionDefinition(statementStart, k); next != 0) {
                    k = next;
                    statementStart = k;
                    continue;
                }
            }
            if (w == "=") {
                declarations.Members(statementStart, k + 1, "$Globals", false);
                k = Initializer(statementStart, k, ";");
                statementStart = k;
                continue;
            }
            if (w == "{") {
                const std::size_t end = Match(k);
                k = end < tokens.size() ? end + 1 : tokens.size();
                if (Is(k, ";")) {
                    ++k;
                }
                statementStart = k;
                continue;
            }
            if (w == ";") {
                declarations.Members(statementStart, k, "$Globals", false);
                statementStart = k + 1;
            }
            ++k;
        }
    }

    // A function definition whose parameter list opens at k (`type name(...) [: semantic] {`):
    // records it and returns the index after its body; 0 when none starts there.
    std::size_t FunctionDefinition(std::size_t statementStart, std::size_t k)
    {
        const std::size_t close = Match(k);
        if (close >= tokens.size()) {
            return 0;
        }
        std::size_t after = close + 1;
        std::string semantic;
        if (Is(after, ":") && IsIdent(after + 1)) {
            semantic = tokens[after + 1].text;
            after += 2;
        }
        if (!Is(after, "{")) {
            return 0;
        }
        Function(statementStart, k - 1, close, semantic);
        const std::size_t end = Match(after);
        return end < tokens.size() ? end + 1 : tokens.size();
    }

    static bool IsShaderType(const std::string& w)
    {
        return w == "VertexShader" || w == "PixelShader" || w == "ComputeShader" || w == "GeometryShader" ||
               w == "HullShader" || w == "DomainShader";
    }

    // VertexShader vs = CompileShader(vs_5_0, VS()); (or = NULL): a shader a pass may name.
    std::size_t ShaderVariable(std::size_t k)
    {
        static const std::map<std::string, StageKind> kStages = {
            {"VertexShader", StageKind::Vertex},   {"PixelShader", StageKind::Pixel},
            {"ComputeShader", StageKind::Compute}, {"HullShader", StageKind::Hull},
            {"DomainShader", StageKind::Domain},   {"GeometryShader", StageKind::Geometry}};
        std::size_t end = k;
        int depth = 0;
        while (end < tokens.size() && !(depth == 0 && Is(end, ";"))) {
            if (Is(end, "(") || Is(end, "{")) {
                ++depth;
            }
            if (Is(end, ")") || Is(end, "}")) {
                --depth;
            }
            ++end;
        }
        const std::string& name = tokens[k + 1].text;
        EffectShaderVariable var;
        var.stage = kStages.at(tokens[k].text);
        var.where = At(k + 1);
        Blank(k, std::min(end, tokens.size() - 1));
        const std::size_t next = end < tokens.size() ? end + 1 : end;
        if (!Is(k + 2, "=") || end <= k + 3) {
            Error(At(k + 2), Is(k + 2, "[")
                                 ? "arrays of shaders are not supported ('" + name + "')"
                                 : "shader variable '" + name + "' needs a value: CompileShader(...) or NULL");
            return next;
        }
        if (!IsNull(k + 3, end)) {
            if (Is(k + 3, "ConstructGSWithSO")) {
                Error(At(k + 3), "stream output (ConstructGSWithSO) is not supported");
                return next;
            }
            EffectEntryCall call;
            if (!CompileShaderCall(k + 3, end, var.stage, call)) {
                return next;
            }
            var.call = std::move(call);
        }
        if (effect.shaderVariables.count(name) != 0) {
            Error(var.where, "shader variable '" + name + "' is declared twice");
            return next;
        }
        effect.shaderVariables[name] = std::move(var);
        return next;
    }

    // struct Name { members }; records the members for the constant-buffer layout; the HLSL
    // compiler gets the struct as it is.
    std::size_t Struct(std::size_t k)
    {
        std::size_t n = k + 1;
        std::string name;
        if (IsIdent(n)) {
            name = tokens[n++].text;
        }
        if (!Is(n, "{")) {
            return n;  // "struct S" used as a type
        }
        const std::size_t close = Match(n);
        if (close >= tokens.size()) {
            return tokens.size();
        }
        std::size_t start = n + 1;
        for (std::size_t j = n + 1; j < close; ++j) {
            if (Is(j, ";")) {
                if (!name.empty()) {
                    declarations.Members(start, j, name, false);
                }
                start = j + 1;
            }
        }
        return close + 1;
    }

    // [[...]] attributes: Vulkan's are no Direct3D 11 HLSL, so a file using one would not compile
    // there; the rest go to the HLSL compiler as they are.
    std::size_t Attribute(std::size_t k)
    {
        const std::size_t close = Match(k);
        if (close >= tokens.size()) {
            Error(At(k), "unterminated attribute");
            return tokens.size();
        }
        if (Is(k + 2, "vk") && Is(k + 3, ":")) {
            Error(At(k), "'" + Source(k, close) +
                             "' is a Vulkan attribute, not Direct3D 11 HLSL; a writable "
                             "texture's format follows from its element type");
        }
        return close + 1;
    }

    std::size_t ConstantBuffer(std::size_t k)
    {
        std::size_t n = k + 1;
        EffectConstantBufferDecl buffer;
        if (IsIdent(n)) {
            buffer.name = tokens[n].text;
            buffer.where = At(n);
            ++n;
            std::size_t after = n;
            buffer.reg = declarations.Register(n, 'b', buffer.name, after);
            n = after;
            effect.constantBuffers.push_back(buffer);
        }
        while (n < tokens.size() && !Is(n, "{")) {
            ++n;
        }
        if (n >= tokens.size()) {
            return n;
        }
        const std::size_t close = Match(n);
        std::size_t start = n + 1;
        for (std::size_t j = n + 1; j < close && j < tokens.size(); ++j) {
            if (tokens[j].text == "=") {
                declarations.Members(start, j + 1, buffer.name, true);
                j = Initializer(start, j, ";") - 1;
                start = j + 1;
            } else if (tokens[j].text == ";") {
                declarations.Members(start, j, buffer.name, true);
                start = j + 1;
            }
        }
        std::size_t end = close < tokens.size() ? close + 1 : tokens.size();
        if (Is(end, ";")) {
            ++end;
        }
        return end;
    }

    // A variable's default value: recorded for the compiled buffers and taken out of the text,
    // since glslang warns about (and ignores) initializers of buffer members.
    std::size_t Initializer(std::size_t start, std::size_t eq, const char* terminator)
    {
        std::size_t end = eq + 1;
        int depth = 0;
        while (end < tokens.size() && !(depth == 0 && tokens[end].text == terminator)) {
            if (tokens[end].text == "{" || tokens[end].text == "(") {
                ++depth;
            }
            if (tokens[end].text == "}" || tokens[end].text == ")") {
                --depth;
            }
            ++end;
        }
        // static makes a constant of the shader; so does const, unless the effect can read the
        // initializer as numbers (then the variable is a uniform the shader only reads).
        bool isStatic = false, isConst = false;
        for (std::size_t j = start; j < eq; ++j) {
            isStatic = isStatic || tokens[j].text == "static";
            isConst = isConst || tokens[j].text == "const";
        }
        const std::size_t nonLiteral = NonLiteralAt(*this, eq);
        if (isStatic || (isConst && nonLiteral < end)) {
            return end < tokens.size() ? end + 1 : end;  // compile-time constants stay as they are
        }
        std::size_t nameAt = eq - 1;
        if (Is(nameAt, "]")) {
            while (nameAt > start && !Is(nameAt, "[")) {
                --nameAt;
            }
            --nameAt;
        }
        if (nameAt >= tokens.size() || !IsIdent(nameAt) || nameAt < start) {
            Error(At(eq), "cannot read this initializer");
            return end < tokens.size() ? end + 1 : end;
        }
        EffectInitializer init;
        init.where = At(nameAt);
        for (std::size_t j = eq + 1; j < end; ++j) {
            double v = 0;
            if (tokens[j].kind == TokenKind::Number || SameNoCase(tokens[j].text, "true") ||
                SameNoCase(tokens[j].text, "false")) {
                if (!ParseNumber(tokens[j].text, v)) {
                    Error(At(j), "bad number '" + tokens[j].text + "'");
                    continue;
                }
                if (j > eq + 1 && tokens[j - 1].text == "-") {
                    v = -v;
                }
                init.values.push_back(v);
            }
        }
        if (nonLiteral < end) {
            // The buffer's starting value is computed from the numbers alone, so an expression would
            // start it wrong.
            Error(At(nonLiteral), "initializer of '" + tokens[nameAt].text + "' must be made of literal numbers");
        }
        effect.initializers[tokens[nameAt].text] = init;
        Blank(eq, end - 1);
        return end < tokens.size() ? end + 1 : end;
    }

    void Function(std::size_t statementStart, std::size_t nameAt, std::size_t close, const std::string& semantic)
    {
        EffectFunction f;
        f.name = tokens[nameAt].text;
        f.semantic = semantic;
        f.where = At(nameAt);
        std::size_t typeStart = statementStart;
        while (Is(typeStart, "[")) {
            const std::size_t end = Match(typeStart);
            if (end >= nameAt) {
                break;
            }
            typeStart = end + 1;
        }
        if (typeStart > statementStart) {
            f.attributes = Source(statementStart, typeStart - 1);
        }
        if (typeStart < nameAt) {
            f.returnType = Source(typeStart, nameAt - 1);
        }
        std::size_t p = nameAt + 2;
        while (p < close) {
            std::size_t q = p;
            int depth = 0;
            while (q < close && !(depth == 0 && tokens[q].text == ",")) {
                if (tokens[q].text == "(" || tokens[q].text == "[" || tokens[q].text == "<") {
                    ++depth;
                }
                if (tokens[q].text == ")" || tokens[q].text == "]" || tokens[q].text == ">") {
                    --depth;
                }
                ++q;
            }
            EffectFunctionParameter param;
            param.text = Source(p, q - 1);
            for (std::size_t j = p; j < q; ++j) {
                if (tokens[j].text == "uniform") {
                    param.isUniform = true;
                }
                if (tokens[j].text == ":" || tokens[j].text == "=" || tokens[j].text == "[") {
                    break;
                }
                if (IsIdent(j)) {
                    param.type = param.name;
                    param.name = tokens[j].text;
                }
            }
            f.parameters.push_back(std::move(param));
            p = q + 1;
        }
        effect.functions.push_back(std::move(f));
    }

    std::size_t Sampler(std::size_t k)
    {
        const bool comparison = tokens[k].text == "SamplerComparisonState";
        if (!IsIdent(k + 1)) {
            return k + 1;  // the type used elsewhere, e.g. a parameter
        }
        EffectSamplerDesc desc;
        desc.name = tokens[k + 1].text;
        if (comparison) {
            desc.desc.Filter = D3D11_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR;
        }
        EffectResourceDecl decl;
        std::size_t n = declarations.SamplerDeclaration(k, decl);
        if (Is(n, "{") && decl.elements > 0) {
            Error(At(n), "state blocks for sampler arrays are not supported ('" + desc.name + "')");
            return n;
        }
        if (Is(n, "{")) {
            const std::size_t close = Match(n);
            if (close >= tokens.size()) {
                Error(At(n), "unterminated sampler state '" + desc.name + "'");
                return tokens.size();
            }
            Fields(n, close, [&](const std::string& field, int index, std::size_t v, std::size_t vEnd) {
                return ReadStateField(*this, desc.desc, field, index, v, vEnd) != nullptr;
            });
            CheckState(desc, d3dgl::CheckSampler, decl.where);
            std::size_t end = close;
            if (Is(close + 1, ";")) {
                end = close + 1;
            }
            Blank(n, end);
            // The declaration stays for the HLSL compiler; only the block goes.
            blankedText[tokens[n].begin] = ';';
            n = end + 1;
        }
        AddSampler(desc, decl);
        return n;
    }

    void AddSampler(const EffectSamplerDesc& desc, const EffectResourceDecl& decl)
    {
        for (const EffectSamplerDesc& s : effect.samplers) {
            if (s.name == desc.name) {
                Error(decl.where, "sampler state '" + desc.name + "' is declared twice");
                return;
            }
        }
        effect.samplers.push_back(desc);
        effect.resources.push_back(decl);
    }

    // Reads "Field[index] = value;" lines of a state block between braces open and close.
    template <typename Fn>
    void Fields(std::size_t open, std::size_t close, Fn&& apply)
    {
        std::size_t k = open + 1;
        while (k < close) {
            if (!IsIdent(k)) {
                Error(At(k), "expected a state field name but found '" + Text(k) + "'");
                return;
            }
            const std::string field = tokens[k].text;
            const std::size_t fieldAt = k;
            ++k;
            int index = 0;
            if (Is(k, "[")) {
                double v = 0;
                if (k + 2 >= close || !ParseNumber(Text(k + 1), v) || !Is(k + 2, "]") || v < 0 || v > 7) {
                    Error(At(k), "bad index for '" + field + "'");
                    return;
                }
                index = static_cast<int>(v);
                k += 3;
            }
            if (!Expect(k, "=")) {
                return;
            }
            std::size_t end = k;
            while (end < close && !Is(end, ";")) {
                ++end;
            }
            if (end == k) {
                Error(At(k), "missing value for '" + field + "'");
                return;
            }
            if (!apply(field, index, k, end)) {
                Error(At(fieldAt), BadField(field, k, end));
            }
            k = end + 1;
        }
    }

    // A rasterizer or depth-stencil state: its block's fields (when `open` is a block's brace), checked
    // as the device would check it.
    template <typename State, typename Check>
    void AddState(std::vector<State>& states, const std::string& name, const EffectSourceLocation& where,
                  std::size_t open, std::size_t close, Check check)
    {
        State d;
        d.name = name;
        if (open != 0) {
            Fields(open, close, [&](const std::string& f, int index, std::size_t v, std::size_t e) {
                return ReadStateField(*this, d.desc, f, index, v, e) != nullptr;
            });
        }
        CheckState(d, check, where);
        if (Unique(states, name, where)) {
            states.push_back(d);
        }
    }

    // A state the device would refuse is an error here, in the device's words.
    template <typename State, typename Check>
    void CheckState(const State& state, Check check, const EffectSourceLocation& where)
    {
        if (const d3dgl::Verdict broken = check(&state.desc)) {
            std::string text = "state '";
            text.append(state.name).append("' is one the device refuses: ").append(D3D11RuleMessage(broken->rule));
            if (!broken->detail.empty()) {
                text.append(" (").append(broken->detail).append(")");
            }
            Error(where, text);
        }
    }

    std::string BadField(const std::string& field, std::size_t v, std::size_t end) const
    {
        return "unknown state field or value '" + field + " = " + Source(v, end - 1) + "'";
    }

    template <typename T>
    bool Unique(const std::vector<T>& list, const std::string& name, const EffectSourceLocation& where)
    {
        for (const T& s : list) {
            if (s.name == name) {
                Error(where, "state '" + name + "' is declared twice");
                return false;
            }
        }
        return true;
    }

    std::size_t StateBlock(std::size_t k)
    {
        const std::string kind = tokens[k].text;
        if (!IsIdent(k + 1)) {
            Error(At(k + 1), "expected a name after '" + kind + "'");
            return k + 1;
        }
        const std::string name = tokens[k + 1].text;
        const EffectSourceLocation where = At(k + 1);
        std::size_t n = k + 2;
        std::size_t close = n;
        if (Is(n, "{")) {
            close = Match(n);
            if (close >= tokens.size()) {
                Error(At(n), "unterminated state block '" + name + "'");
                Blank(k, tokens.size() - 1);
                return tokens.size();
            }
        } else if (!Is(n, ";")) {
            Error(At(n), "expected '{' after state '" + name + "' but found '" + Text(n) + "'");
            return n;
        }
        const bool hasBlock = Is(n, "{");
        if (kind == "RasterizerState") {
            AddState(effect.rasterizerStates, name, where, hasBlock ? n : 0, close, d3dgl::CheckRasterizer);
        } else if (kind == "DepthStencilState") {
            AddState(effect.depthStencilStates, name, where, hasBlock ? n : 0, close, d3dgl::CheckDepthStencil);
        } else {
            EffectBlendDesc d;
            d.name = name;
            bool independentSet = false;
            bool laterTargets = false;
            if (hasBlock) {
                Fields(n, close, [&](const std::string& f, int index, std::size_t v, std::size_t e) {
                    if (index > 0) {
                        laterTargets = true;
                    }
                    const void* set = ReadStateField(*this, d.desc, f, index, v, e);
                    independentSet = independentSet || set == &d.desc.IndependentBlendEnable;
                    return set != nullptr;
                });
            }
            // Describing a target beyond the first only means something with independent blending.
            if (!independentSet) {
                d.desc.IndependentBlendEnable = laterTargets ? TRUE : FALSE;
            }
            CheckState(d, d3dgl::CheckBlend, where);
            if (Unique(effect.blendStates, name, where)) {
                effect.blendStates.push_back(d);
            }
        }
        std::size_t end = hasBlock ? close : n;
        if (hasBlock && Is(close + 1, ";")) {
            end = close + 1;
        }
        Blank(k, end);
        return end + 1;
    }

    std::size_t Technique(std::size_t k)
    {
        EffectSourceTechnique tech;
        std::size_t n = k + 1;
        if (!IsIdent(n)) {
            Error(At(n), "expected a technique name but found '" + Text(n) + "'");
            return SkipBlock(k);
        }
        tech.name = NameThroughMacros(n);
        tech.where = At(n);
        ++n;
        if (Is(n, "<")) {
            n = AfterAnnotations(n);
        }
        if (!Is(n, "{")) {
            Error(At(n), "expected '{' after technique '" + tech.name + "' but found '" + Text(n) + "'");
            return SkipBlock(k);
        }
        const std::size_t close = Match(n);
        if (close >= tokens.size()) {
            Error(At(n), "unterminated technique '" + tech.name + "'");
            Blank(k, tokens.size() - 1);
            return tokens.size();
        }
        std::size_t p = n + 1;
        while (p < close) {
            if (!Is(p, "pass")) {
                Error(At(p), "expected 'pass' in technique '" + tech.name + "' but found '" + Text(p) + "'");
                break;
            }
            EffectSourcePass pass;
            ++p;
            if (IsIdent(p)) {
                pass.name = NameThroughMacros(p++);
            }
            if (Is(p, "<")) {
                p = AfterAnnotations(p);
            }
            if (!Is(p, "{")) {
                Error(At(p), "expected '{' after pass '" + pass.name + "' but found '" + Text(p) + "'");
                break;
            }
            const std::size_t passClose = Match(p);
            if (passClose > close) {
                Error(At(p), "unterminated pass '" + pass.name + "'");
                break;
            }
            if (!PassBody(p + 1, passClose, pass)) {
                break;
            }
            tech.passes.push_back(std::move(pass));
            p = passClose + 1;
        }
        for (const EffectSourceTechnique& t : effect.techniques) {
            if (t.name == tech.name) {
                Error(tech.where, "technique '" + tech.name + "' is declared twice");
            }
        }
        effect.techniques.push_back(std::move(tech));
        std::size_t end = close;
        if (Is(close + 1, ";")) {
            end = close + 1;
        }
        Blank(k, end);
        return end + 1;
    }

    // "fxgroup Name <annotations> { techniques }": the techniques are the effect's like any other,
    // found by their own names.
    std::size_t Group(std::size_t k)
    {
        std::size_t n = k + 1;
        if (!IsIdent(n)) {
            Error(At(n), "expected a group name but found '" + Text(n) + "'");
            return SkipBlock(k);
        }
        const std::string name = tokens[n].text;
        ++n;
        if (Is(n, "<")) {
            n = AfterAnnotations(n);
        }
        if (!Is(n, "{")) {
            Error(At(n), "expected '{' after group '" + name + "' but found '" + Text(n) + "'");
            return SkipBlock(k);
        }
        const std::size_t close = Match(n);
        if (close >= tokens.size()) {
            Error(At(n), "unterminated group '" + name + "'");
            Blank(k, tokens.size() - 1);
            return tokens.size();
        }
        Blank(k, n);
        if (close == n + 1) {
            Error(At(k + 1), "group '" + name + "' holds no technique");
        }
        std::size_t t = n + 1;
        while (t < close) {
            const std::string& w = tokens[t].text;
            if (tokens[t].kind != TokenKind::Identifier || !IsTechniqueKeyword(w)) {
                Error(At(t), "expected a technique in group '" + name + "' but found '" + Text(t) + "'");
                Blank(t, close);
                return close + 1;
            }
            t = Technique(t);
        }
        std::size_t end = close;
        if (Is(close + 1, ";")) {
            end = close + 1;
        }
        Blank(close, end);
        return end + 1;
    }

    // The annotations `< type name = value; ... >` that open at k, read past (the effect keeps none):
    // each ends with ';', and no name is given twice. Returns the index after them.
    std::size_t AfterAnnotations(std::size_t k)
    {
        const std::size_t close = Match(k);
        std::set<std::string> names;
        std::size_t start = k + 1;
        for (std::size_t j = k + 1; j < close; ++j) {
            if (Is(j, "{") || Is(j, "(")) {
                j = std::min(Match(j), close);
            } else if (Is(j, "=") && IsIdent(j - 1) && j - 1 > start && !names.insert(Text(j - 1)).second) {
                Error(At(j - 1), "annotation '" + Text(j - 1) + "' is given twice");
            } else if (Is(j, ";")) {
                start = j + 1;
            }
        }
        if (start < close && close < tokens.size()) {
            Error(At(close), "an annotation ends with ';'");
        }
        return close + 1;
    }

    std::size_t SkipBlock(std::size_t k)
    {
        std::size_t n = k;
        while (n < tokens.size() && !Is(n, "{")) {
            ++n;
        }
        const std::size_t close = n < tokens.size() ? Match(n) : tokens.size();
        const std::size_t end = std::min(close, tokens.size() - 1);
        Blank(k, end);
        return end + 1;
    }

    // Token ranges [first, second) of a call's arguments.
    using ArgumentSpans = std::vector<std::pair<std::size_t, std::size_t>>;
    // Splits the arguments between parentheses open and close at top-level commas.
    ArgumentSpans Arguments(std::size_t open, std::size_t close) const
    {
        ArgumentSpans args;
        if (close == open + 1) {
            return args;
        }
        std::size_t start = open + 1;
        int depth = 0;
        for (std::size_t j = open + 1; j < close; ++j) {
            if (tokens[j].text == "(" || tokens[j].text == "{") {
                ++depth;
            }
            if (tokens[j].text == ")" || tokens[j].text == "}") {
                --depth;
            }
            if (depth == 0 && tokens[j].text == ",") {
                args.emplace_back(start, j);
                start = j + 1;
            }
        }
        args.emplace_back(start, close);
        return args;
    }

    bool IsNull(std::size_t a, std::size_t b) const
    {
        return b == a + 1 && (tokens[a].text == "NULL" || tokens[a].text == "0");
    }

    bool PassBody(std::size_t k, std::size_t close, EffectSourcePass& pass)
    {
        static const std::map<std::string, StageKind> kSetters = {
            {"SetVertexShader", StageKind::Vertex},   {"SetPixelShader", StageKind::Pixel},
            {"SetComputeShader", StageKind::Compute}, {"SetHullShader", StageKind::Hull},
            {"SetDomainShader", StageKind::Domain},   {"SetGeometryShader", StageKind::Geometry}};
        while (k < close) {
            if (!IsIdent(k) || !Is(k + 1, "(")) {
                Error(At(k), "expected a state assignment but found '" + Text(k) + "'");
                return false;
            }
            const std::string what = tokens[k].text;
            const std::size_t open = k + 1;
            const std::size_t end = Match(open);
            if (end >= close) {
                Error(At(open), "unbalanced parentheses in '" + what + "'");
                return false;
            }
            const auto args = Arguments(open, end);
            const EffectSourceLocation where = At(k);
            const auto setter = kSetters.find(what);
            if (setter != kSetters.end()) {
                if (!SetShader(what, setter->second, args, where, pass)) {
                    return false;
                }
            } else if (what == "SetRasterizerState" || what == "SetDepthStencilState" || what == "SetBlendState") {
                if (!SetState(what, args, where, pass)) {
                    return false;
                }
            } else {
                Error(where, "unknown pass state '" + what + "'");
                return false;
            }
            k = end + 1;
            if (!Expect(k, ";")) {
                return false;
            }
        }
        return true;
    }

    // SetVertexShader(...) and the other stages' setters: NULL, a shader variable of the stage, or
    // CompileShader(...).
    bool SetShader(const std::string& what, StageKind stage, const ArgumentSpans& args,
                   const EffectSourceLocation& where, EffectSourcePass& pass)
    {
        if (args.size() != 1) {
            Error(where, what + " takes one argument");
            return false;
        }
        auto& slot = pass.shaders[static_cast<std::size_t>(stage)];
        if (IsNull(args[0].first, args[0].second)) {
            slot.reset();
        } else if (args[0].second == args[0].first + 1 && IsIdent(args[0].first)) {
            // A shader variable declared earlier at file scope.
            const std::string& name = tokens[args[0].first].text;
            const auto var = effect.shaderVariables.find(name);
            if (var == effect.shaderVariables.end()) {
                Report(At(args[0].first), true, "X3004", "undeclared shader variable '" + name + "'");
                return false;
            }
            if (var->second.stage != stage) {
                Error(At(args[0].first), "'" + name + "' is not a shader of the stage " + what + " sets");
                return false;
            }
            slot = var->second.call;
        } else {
            EffectEntryCall call;
            if (!CompileShaderCall(args[0].first, args[0].second, stage, call)) {
                return false;
            }
            slot = std::move(call);
        }
        return true;
    }

    // SetRasterizerState(s), SetDepthStencilState(s, stencilRef), SetBlendState(s, factor, mask).
    bool SetState(const std::string& what, const ArgumentSpans& args, const EffectSourceLocation& where,
                  EffectSourcePass& pass)
    {
        const std::size_t wanted = what == "SetRasterizerState" ? 1 : what == "SetDepthStencilState" ? 2 : 3;
        if (args.size() != wanted) {
            Error(where, what + " takes " + std::to_string(wanted) + " argument" + (wanted == 1 ? "" : "s"));
            return false;
        }
        EffectStateRef ref;
        ref.set = true;
        ref.where = At(args[0].first);
        if (IsNull(args[0].first, args[0].second)) {
            ref.null = true;
        } else if (args[0].second == args[0].first + 1 && IsIdent(args[0].first)) {
            ref.name = tokens[args[0].first].text;
        } else {
            Error(ref.where, "expected a state name or NULL in " + what);
            return false;
        }
        if (what == "SetRasterizerState") {
            pass.rasterizer = ref;
        } else if (what == "SetDepthStencilState") {
            pass.depthStencil = ref;
            float r = 0;
            if (!FloatValue(args[1].first, args[1].second, r) || r < 0 || r > 255) {
                Error(At(args[1].first), "bad stencil reference in SetDepthStencilState");
                return false;
            }
            pass.stencilRef = static_cast<std::uint32_t>(r);
        } else {
            pass.blend = ref;
            if (!Float4Value(args[1].first, args[1].second, pass.blendFactor)) {
                Error(At(args[1].first), "expected float4(r, g, b, a) as the blend factor");
                return false;
            }
            double mask = 0;
            if (args[2].second != args[2].first + 1 || !ParseNumber(tokens[args[2].first].text, mask) || mask < 0 ||
                mask > 0xFFFFFFFFu) {
                Error(At(args[2].first), "bad sample mask in SetBlendState");
                return false;
            }
            pass.sampleMask = static_cast<std::uint32_t>(mask);
        }
        return true;
    }

    bool CompileShaderCall(std::size_t a, std::size_t b, StageKind stage, EffectEntryCall& call)
    {
        call.stage = stage;
        call.where = At(a);
        if (!Is(a, "CompileShader") || !Is(a + 1, "(")) {
            Error(At(a), "expected CompileShader(profile, Entry(...)) or NULL");
            return false;
        }
        const std::size_t close = Match(a + 1);
        if (close + 1 != b) {
            Error(At(a), "unexpected text after CompileShader(...)");
            return false;
        }
        const auto args = Arguments(a + 1, close);
        if (args.size() != 2 || args[0].second != args[0].first + 1 || !IsIdent(args[0].first)) {
            Error(At(a), "CompileShader takes a profile and an entry point call");
            return false;
        }
        call.profile = tokens[args[0].first].text;
        static const std::map<std::string, StageKind> kProfiles = {
            {"vs", StageKind::Vertex}, {"ps", StageKind::Pixel},  {"cs", StageKind::Compute},
            {"hs", StageKind::Hull},   {"ds", StageKind::Domain}, {"gs", StageKind::Geometry}};
        const auto profile = kProfiles.find(call.profile.substr(0, 2));
        const bool modelOk = call.profile.size() == 6 && call.profile[2] == '_' && call.profile[4] == '_' &&
                             (call.profile[3] == '4' || call.profile[3] == '5');
        if (profile == kProfiles.end() || !modelOk) {
            Error(At(args[0].first), "unknown shader profile '" + call.profile + "'");
            return false;
        }
        if (profile->second != stage) {
            Error(At(args[0].first), "profile '" + call.profile + "' does not fit this shader stage");
            return false;
        }
        const std::size_t fn = args[1].first;
        if (!IsIdent(fn) || !Is(fn + 1, "(") || Match(fn + 1) + 1 != args[1].second) {
            Error(At(fn), "expected an entry point call such as VS() in CompileShader");
            return false;
        }
        call.function = tokens[fn].text;
        call.where = At(fn);
        for (const auto& [x, y] : Arguments(fn + 1, Match(fn + 1))) {
            if (y == x) {
                Error(At(x), "empty argument in call of '" + call.function + "'");
                return false;
            }
            std::string arg;
            for (std::size_t j = x; j < y; ++j) {
                if (!arg.empty() && (IsIdent(j) || tokens[j].kind == TokenKind::Number) &&
                    (IsIdent(j - 1) || tokens[j - 1].kind == TokenKind::Number)) {
                    arg += ' ';
                }
                arg += tokens[j].text;
            }
            call.arguments.push_back(arg);
        }
        return true;
    }

    std::vector<std::string>& includeChain;
    const std::map<std::string, std::string>* readFrom;
    DeclarationReader declarations;
    std::vector<MacroDirective> macros;  // this file's, in its order
    std::set<std::string> macroNames;    // this file's and its includes'
};

}  // namespace

void ParseEffectFile(EffectSource& out, const std::string& path, const std::string& text,
                     std::vector<std::string>& chain, const std::map<std::string, std::string>* readFrom)
{
    // Editors on Windows start UTF-8 files with a byte order mark, which the HLSL compiler would take
    // for a bad token; it is not part of the text. Line 1's columns count from after it.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (std::string_view(text).starts_with(kByteOrderMark)) {
        const std::string unmarked = text.substr(kByteOrderMark.size());
        FileParser(out, path, unmarked, chain, readFrom).Run();
        return;
    }
    FileParser(out, path, text, chain, readFrom).Run();
}
