#include "fxruntime/EffectSource.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

enum class TokenKind { Identifier, Number, String, Punct };

struct Token {
  TokenKind kind;
  std::size_t begin;
  std::size_t end;
  int line;
  int column;
  std::string text;
};

struct Include {
  std::string name;
  int line;
  int column;
};

constexpr int kMaxIncludeDepth = 32;

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool SameNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

// Splits text into tokens, skipping comments and preprocessor lines (the HLSL compiler's
// preprocessor handles those); #include lines are reported so that the included files can be read.
class Lexer {
 public:
  explicit Lexer(const std::string& text) : s_(text) {}

  void Run(std::vector<Token>& tokens, std::vector<Include>& includes, std::string& error, int& errorLine) {
    bool lineStart = true;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '\n') {
        Advance();
        lineStart = true;
        continue;
      }
      if (std::isspace(static_cast<unsigned char>(c))) {
        Advance();
        continue;
      }
      if (c == '/' && Peek(1) == '/') {
        while (i_ < s_.size() && s_[i_] != '\n') Advance();
        continue;
      }
      if (c == '/' && Peek(1) == '*') {
        const int startLine = line_;
        Advance();
        Advance();
        while (i_ < s_.size() && !(s_[i_] == '*' && Peek(1) == '/')) Advance();
        if (i_ >= s_.size()) {
          error = "unterminated comment";
          errorLine = startLine;
          return;
        }
        Advance();
        Advance();
        continue;
      }
      if (c == '#' && lineStart) {
        Directive(includes);
        continue;
      }
      lineStart = false;
      Token t{TokenKind::Punct, i_, i_, line_, column_, {}};
      if (IsIdentStart(c)) {
        t.kind = TokenKind::Identifier;
        while (i_ < s_.size() && IsIdentChar(s_[i_])) Advance();
      } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1))))) {
        t.kind = TokenKind::Number;
        const bool hex = c == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
        while (i_ < s_.size() && (IsIdentChar(s_[i_]) || s_[i_] == '.')) {
          const bool exponent = !hex && (s_[i_] == 'e' || s_[i_] == 'E') && (Peek(1) == '+' || Peek(1) == '-');
          Advance();
          if (exponent) Advance();
        }
      } else if (c == '"') {
        t.kind = TokenKind::String;
        Advance();
        while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n') Advance();
        if (i_ < s_.size() && s_[i_] == '"') Advance();
      } else {
        Advance();
      }
      t.end = i_;
      t.text = s_.substr(t.begin, t.end - t.begin);
      tokens.push_back(std::move(t));
    }
  }

 private:
  char Peek(int k) const {
    const auto at = static_cast<std::ptrdiff_t>(i_) + k;
    return at >= 0 && static_cast<std::size_t>(at) < s_.size() ? s_[static_cast<std::size_t>(at)] : '\0';
  }
  void Advance() {
    if (s_[i_] == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    ++i_;
  }
  // A directive runs to the end of the line, continued by a trailing backslash.
  void Directive(std::vector<Include>& includes) {
    const int line = line_;
    const int column = column_;
    std::string text;
    while (i_ < s_.size() && s_[i_] != '\n') {
      if (s_[i_] == '\\' && Peek(1) == '\n') {
        Advance();
        Advance();
        continue;
      }
      text += s_[i_];
      Advance();
    }
    std::size_t p = 1;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    if (text.compare(p, 7, "include") != 0) return;
    p += 7;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    if (p >= text.size() || (text[p] != '"' && text[p] != '<')) return;
    const char close = text[p] == '"' ? '"' : '>';
    const std::size_t q = text.find(close, p + 1);
    if (q == std::string::npos) return;
    includes.push_back({text.substr(p + 1, q - p - 1), line, column});
  }

  const std::string& s_;
  std::size_t i_ = 0;
  int line_ = 1;
  int column_ = 1;
};

// Reads numbers the way effect files write them: 1, 1.5f, -2, 0x0F, TRUE.
bool ParseNumber(const std::string& text, double& value) {
  std::string t = text;
  if (SameNoCase(t, "true")) {
    value = 1;
    return true;
  }
  if (SameNoCase(t, "false")) {
    value = 0;
    return true;
  }
  if (!t.empty() && (t.back() == 'f' || t.back() == 'F' || t.back() == 'h' || t.back() == 'H') &&
      !(t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')))
    t.pop_back();
  if (!t.empty() && (t.back() == 'u' || t.back() == 'U' || t.back() == 'l' || t.back() == 'L')) t.pop_back();
  if (t.empty()) return false;
  // strtod also reads "nan" and "inf", which are no HLSL literals and would reach integer casts.
  const std::size_t digit = t[0] == '-' || t[0] == '+' ? 1 : 0;
  if (digit >= t.size() || !(std::isdigit(static_cast<unsigned char>(t[digit])) || t[digit] == '.')) return false;
  char* end = nullptr;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    value = static_cast<double>(std::strtoull(t.c_str() + 2, &end, 16));
  } else {
    value = std::strtod(t.c_str(), &end);
  }
  return end != nullptr && *end == '\0';
}

struct EnumName {
  const char* name;
  std::uint32_t value;
};

constexpr EnumName kBool[] = {{"FALSE", 0}, {"TRUE", 1}};
constexpr EnumName kFill[] = {{"WIREFRAME", 2}, {"SOLID", 3}};
constexpr EnumName kCull[] = {{"NONE", 1}, {"FRONT", 2}, {"BACK", 3}};
constexpr EnumName kWriteMask[] = {{"ZERO", 0}, {"ALL", 1}};
constexpr EnumName kComparison[] = {{"NEVER", 1},   {"LESS", 2},      {"EQUAL", 3},         {"LESS_EQUAL", 4},
                                    {"GREATER", 5}, {"NOT_EQUAL", 6}, {"GREATER_EQUAL", 7}, {"ALWAYS", 8}};
constexpr EnumName kStencilOp[] = {{"KEEP", 1},     {"ZERO", 2},   {"REPLACE", 3}, {"INCR_SAT", 4},
                                   {"DECR_SAT", 5}, {"INVERT", 6}, {"INCR", 7},    {"DECR", 8}};
constexpr EnumName kBlend[] = {{"ZERO", 1},           {"ONE", 2},
                               {"SRC_COLOR", 3},      {"INV_SRC_COLOR", 4},
                               {"SRC_ALPHA", 5},      {"INV_SRC_ALPHA", 6},
                               {"DEST_ALPHA", 7},     {"INV_DEST_ALPHA", 8},
                               {"DEST_COLOR", 9},     {"INV_DEST_COLOR", 10},
                               {"SRC_ALPHA_SAT", 11}, {"BLEND_FACTOR", 14},
                               {"INV_BLEND_FACTOR", 15}, {"SRC1_COLOR", 16},
                               {"INV_SRC1_COLOR", 17},   {"SRC1_ALPHA", 18},
                               {"INV_SRC1_ALPHA", 19}};
constexpr EnumName kBlendOp[] = {{"ADD", 1}, {"SUBTRACT", 2}, {"REV_SUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}};
constexpr EnumName kAddress[] = {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {"MIRROR_ONCE", 5}};
constexpr EnumName kFilter[] = {{"MIN_MAG_MIP_POINT", 0x00},
                                {"MIN_MAG_POINT_MIP_LINEAR", 0x01},
                                {"MIN_POINT_MAG_LINEAR_MIP_POINT", 0x04},
                                {"MIN_POINT_MAG_MIP_LINEAR", 0x05},
                                {"MIN_LINEAR_MAG_MIP_POINT", 0x10},
                                {"MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x11},
                                {"MIN_MAG_LINEAR_MIP_POINT", 0x14},
                                {"MIN_MAG_MIP_LINEAR", 0x15},
                                {"ANISOTROPIC", 0x55},
                                {"COMPARISON_MIN_MAG_MIP_POINT", 0x80},
                                {"COMPARISON_MIN_MAG_POINT_MIP_LINEAR", 0x81},
                                {"COMPARISON_MIN_POINT_MAG_LINEAR_MIP_POINT", 0x84},
                                {"COMPARISON_MIN_POINT_MAG_MIP_LINEAR", 0x85},
                                {"COMPARISON_MIN_LINEAR_MAG_MIP_POINT", 0x90},
                                {"COMPARISON_MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x91},
                                {"COMPARISON_MIN_MAG_LINEAR_MIP_POINT", 0x94},
                                {"COMPARISON_MIN_MAG_MIP_LINEAR", 0x95},
                                {"COMPARISON_ANISOTROPIC", 0xD5}};

template <std::size_t N>
bool LookupEnum(const EnumName (&table)[N], const std::string& name, std::uint32_t& value) {
  for (const EnumName& e : table)
    if (SameNoCase(name, e.name)) {
      value = e.value;
      return true;
    }
  return false;
}

class FileParser {
 public:
  FileParser(EffectSource& out, const std::string& path, const std::string& text, int depth,
             std::vector<std::string>& stack)
      : out_(out), path_(path), text_(text), stripped_(text), depth_(depth), stack_(stack) {}

  void Run() {
    std::vector<Include> includes;
    std::string lexError;
    int lexLine = 0;
    Lexer(text_).Run(t_, includes, lexError, lexLine);
    if (!lexError.empty()) Error({path_, lexLine, 1}, lexError);
    for (const Include& inc : includes) ReadInclude(inc);
    TopLevel();
    out_.strippedFiles[path_] = stripped_;
    out_.originalFiles[path_] = text_;
  }

 private:
  EffectSourceLocation At(std::size_t k) const {
    if (k >= t_.size()) {
      if (t_.empty()) return {path_, 1, 1};
      return {path_, t_.back().line, t_.back().column + static_cast<int>(t_.back().text.size())};
    }
    return {path_, t_[k].line, t_[k].column};
  }
  void Error(const EffectSourceLocation& where, const std::string& text) {
    out_.diagnostics.push_back({where.file, where.line, where.column, true, "X3000", text});
  }
  bool Is(std::size_t k, const char* text) const { return k < t_.size() && t_[k].text == text; }
  bool IsIdent(std::size_t k) const { return k < t_.size() && t_[k].kind == TokenKind::Identifier; }
  const std::string& Text(std::size_t k) const {
    static const std::string kEnd = "end of file";
    return k < t_.size() ? t_[k].text : kEnd;
  }
  bool Expect(std::size_t& k, const char* text) {
    if (Is(k, text)) {
      ++k;
      return true;
    }
    Error(At(k), std::string("expected '") + text + "' but found '" + Text(k) + "'");
    return false;
  }
  // Index of the bracket that closes the one at k, or t_.size() when unbalanced.
  std::size_t Match(std::size_t k) const {
    const std::string open = t_[k].text;
    const std::string close = open == "(" ? ")" : open == "{" ? "}" : open == "[" ? "]" : ">";
    int depth = 0;
    for (std::size_t j = k; j < t_.size(); ++j) {
      if (t_[j].text == open) ++depth;
      if (t_[j].text == close && --depth == 0) return j;
    }
    return t_.size();
  }
  // Blanks the tokens [a, b] out of the text, keeping line breaks so that lines stay put.
  void Blank(std::size_t a, std::size_t b) {
    const std::size_t from = t_[a].begin;
    const std::size_t to = b < t_.size() ? t_[b].end : text_.size();
    for (std::size_t i = from; i < to; ++i)
      if (stripped_[i] != '\n') stripped_[i] = ' ';
  }
  std::string Source(std::size_t a, std::size_t b) const {  // tokens [a, b] as written
    if (a > b || b >= t_.size()) return {};
    std::string s = text_.substr(t_[a].begin, t_[b].end - t_[a].begin);
    for (char& c : s)
      if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return s;
  }

  void ReadInclude(const Include& inc) {
    namespace fs = std::filesystem;
    const fs::path resolved = fs::path(path_).parent_path() / inc.name;
    const std::string name = resolved.lexically_normal().string();
    if (std::find(stack_.begin(), stack_.end(), name) != stack_.end()) {
      Error({path_, inc.line, inc.column}, "recursive #include of '" + inc.name + "'");
      return;
    }
    if (depth_ >= kMaxIncludeDepth) {
      Error({path_, inc.line, inc.column}, "#include nested too deeply");
      return;
    }
    if (out_.strippedFiles.count(name) != 0) return;
    // A missing file is left to the preprocessor, which knows whether the line is compiled at all.
    // So is anything but a regular file: a device or a pipe could be read forever.
    std::error_code ec;
    if (!fs::is_regular_file(resolved, ec)) return;
    std::ifstream f(name, std::ios::binary);
    if (!f) return;
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string text = ss.str();
    stack_.push_back(name);
    FileParser(out_, name, text, depth_ + 1, stack_).Run();
    stack_.pop_back();
  }

  void TopLevel() {
    std::size_t statementStart = 0;
    std::size_t k = 0;
    while (k < t_.size()) {
      const std::string& w = t_[k].text;
      if (t_[k].kind == TokenKind::Identifier &&
          (w == "technique11" || w == "technique10" || w == "technique")) {
        k = Technique(k);
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
      if (w == "Texture2D" || w == "TextureCube" || w == "RWTexture2D") {
        Resource(k);
      }
      if (w == "[" && Is(k + 1, "[")) {
        k = Attribute(k);
        continue;
      }
      if (w == "(" && k >= 1 && IsIdent(k - 1) && k >= 2 && (IsIdent(k - 2) || Is(k - 2, ">"))) {
        const std::size_t close = Match(k);
        if (close < t_.size()) {
          std::size_t after = close + 1;
          std::string semantic;
          if (Is(after, ":") && IsIdent(after + 1)) {
            semantic = t_[after + 1].text;
            after += 2;
          }
          if (Is(after, "{")) {
            Function(statementStart, k - 1, close, semantic);
            const std::size_t end = Match(after);
            k = end < t_.size() ? end + 1 : t_.size();
            statementStart = k;
            continue;
          }
        }
      }
      if (w == "=") {
        k = Initializer(statementStart, k, ";");
        statementStart = k;
        continue;
      }
      if (w == "{") {
        const std::size_t end = Match(k);
        k = end < t_.size() ? end + 1 : t_.size();
        if (Is(k, ";")) ++k;
        statementStart = k;
        continue;
      }
      if (w == ";") statementStart = k + 1;
      ++k;
    }
  }

  // [[vk::image_format("rgba8")]] before a RWTexture2D: glslang 12 ignores the attribute with a
  // warning, so it is read here and applied to the compiled code instead.
  std::size_t Attribute(std::size_t k) {
    const std::size_t close = Match(k);
    if (close >= t_.size()) {
      Error(At(k), "unterminated attribute");
      return t_.size();
    }
    const std::string body = Source(k, close);
    std::string compact;
    for (char c : body)
      if (!std::isspace(static_cast<unsigned char>(c))) compact += c;
    if (compact.rfind("[[vk::image_format(", 0) == 0) {
      const std::size_t q1 = compact.find('"');
      const std::size_t q2 = compact.find('"', q1 + 1);
      const std::string format = q1 == std::string::npos || q2 == std::string::npos
                                     ? std::string()
                                     : compact.substr(q1 + 1, q2 - q1 - 1);
      static const std::map<std::string, StageImageFormat> kFormats = {
          {"rgba32f", StageImageFormat::Rgba32f}, {"rgba8", StageImageFormat::Rgba8},
          {"r32f", StageImageFormat::R32f},       {"r32ui", StageImageFormat::R32ui},
          {"rgba16f", StageImageFormat::Rgba16f}};
      const auto it = kFormats.find(format);
      if (it == kFormats.end()) {
        Error(At(k), "unsupported image format '" + format + "'");
      } else {
        pendingFormat_ = it->second;
        pendingFormatAt_ = At(k);
      }
      Blank(k, close);
    }
    return close + 1;
  }

  void Resource(std::size_t k) {
    EffectResourceDecl decl;
    std::size_t n = k + 1;
    if (Is(n, "<")) {
      const std::size_t close = Match(n);
      n = close < t_.size() ? close + 1 : t_.size();
    }
    if (!IsIdent(n)) return;  // a type used elsewhere, e.g. in a parameter list
    decl.name = t_[n].text;
    if (t_[k].text == "RWTexture2D") {
      decl.kind = EffectResourceKind::Uav;
      decl.format = pendingFormat_;
      pendingFormat_.reset();
    } else {
      decl.dimension =
          t_[k].text == "TextureCube" ? StageTextureDimension::TextureCube : StageTextureDimension::Texture2D;
    }
    if (pendingFormat_) {
      Error(pendingFormatAt_, "vk::image_format applies only to a RWTexture2D");
      pendingFormat_.reset();
    }
    out_.resources.push_back(std::move(decl));
  }

  std::size_t ConstantBuffer(std::size_t k) {
    std::size_t n = k + 1;
    if (IsIdent(n)) out_.constantBufferNames.push_back(t_[n++].text);
    if (Is(n, ":")) n += 2;  // register(b0) and the like
    while (n < t_.size() && !Is(n, "{")) ++n;
    if (n >= t_.size()) return n;
    const std::size_t close = Match(n);
    std::size_t start = n + 1;
    for (std::size_t j = n + 1; j < close && j < t_.size(); ++j) {
      if (t_[j].text == "=") {
        j = Initializer(start, j, ";") - 1;
        start = j + 1;
      } else if (t_[j].text == ";") {
        start = j + 1;
      }
    }
    std::size_t end = close < t_.size() ? close + 1 : t_.size();
    if (Is(end, ";")) ++end;
    return end;
  }

  // A variable's default value: recorded for the compiled buffers and taken out of the text,
  // since glslang warns about (and ignores) initializers of buffer members.
  std::size_t Initializer(std::size_t start, std::size_t eq, const char* terminator) {
    std::size_t end = eq + 1;
    int depth = 0;
    while (end < t_.size() && !(depth == 0 && t_[end].text == terminator)) {
      if (t_[end].text == "{" || t_[end].text == "(") ++depth;
      if (t_[end].text == "}" || t_[end].text == ")") --depth;
      ++end;
    }
    bool constant = false;
    for (std::size_t j = start; j < eq; ++j)
      if (t_[j].text == "static" || t_[j].text == "const") constant = true;
    if (constant) return end < t_.size() ? end + 1 : end;  // compile-time constants stay as they are
    std::size_t nameAt = eq - 1;
    if (Is(nameAt, "]")) {
      while (nameAt > start && !Is(nameAt, "[")) --nameAt;
      --nameAt;
    }
    if (nameAt >= t_.size() || !IsIdent(nameAt) || nameAt < start) {
      Error(At(eq), "cannot read this initializer");
      return end < t_.size() ? end + 1 : end;
    }
    EffectInitializer init;
    init.where = At(nameAt);
    for (std::size_t j = eq + 1; j < end; ++j) {
      double v = 0;
      if (t_[j].kind == TokenKind::Number || SameNoCase(t_[j].text, "true") || SameNoCase(t_[j].text, "false")) {
        if (!ParseNumber(t_[j].text, v)) {
          Error(At(j), "bad number '" + t_[j].text + "'");
          continue;
        }
        if (j > eq + 1 && t_[j - 1].text == "-") v = -v;
        init.values.push_back(v);
      } else if (t_[j].kind == TokenKind::Identifier && !Is(j + 1, "(")) {
        Error(At(j), "initializer of '" + t_[nameAt].text + "' must be made of literal numbers");
      }
    }
    out_.initializers[t_[nameAt].text] = init;
    Blank(eq, end - 1);
    return end < t_.size() ? end + 1 : end;
  }

  void Function(std::size_t statementStart, std::size_t nameAt, std::size_t close, const std::string& semantic) {
    EffectFunction f;
    f.name = t_[nameAt].text;
    f.semantic = semantic;
    f.where = At(nameAt);
    std::size_t typeStart = statementStart;
    while (Is(typeStart, "[")) {
      const std::size_t end = Match(typeStart);
      if (end >= nameAt) break;
      typeStart = end + 1;
    }
    if (typeStart > statementStart) f.attributes = Source(statementStart, typeStart - 1);
    if (typeStart < nameAt) f.returnType = Source(typeStart, nameAt - 1);
    std::size_t p = nameAt + 2;
    while (p < close) {
      std::size_t q = p;
      int depth = 0;
      while (q < close && !(depth == 0 && t_[q].text == ",")) {
        if (t_[q].text == "(" || t_[q].text == "[" || t_[q].text == "<") ++depth;
        if (t_[q].text == ")" || t_[q].text == "]" || t_[q].text == ">") --depth;
        ++q;
      }
      EffectFunctionParameter param;
      param.text = Source(p, q - 1);
      for (std::size_t j = p; j < q; ++j) {
        if (t_[j].text == "uniform") param.isUniform = true;
        if (t_[j].text == ":" || t_[j].text == "=" || t_[j].text == "[") break;
        if (IsIdent(j)) {
          param.type = param.name;
          param.name = t_[j].text;
        }
      }
      f.parameters.push_back(std::move(param));
      p = q + 1;
    }
    out_.functions.push_back(std::move(f));
  }

  std::size_t Sampler(std::size_t k) {
    const bool comparison = t_[k].text == "SamplerComparisonState";
    if (!IsIdent(k + 1)) return k + 1;  // the type used elsewhere, e.g. a parameter
    EffectSamplerDesc desc;
    desc.name = t_[k + 1].text;
    if (comparison) desc.filter = 0x95;
    std::size_t n = k + 2;
    if (Is(n, "{")) {
      const std::size_t close = Match(n);
      if (close >= t_.size()) {
        Error(At(n), "unterminated sampler state '" + desc.name + "'");
        return t_.size();
      }
      Fields(n, close, [&](const std::string& field, int, std::size_t v, std::size_t vEnd) {
        return SamplerField(desc, field, v, vEnd);
      });
      std::size_t end = close;
      if (Is(close + 1, ";")) end = close + 1;
      Blank(n, end);
      // The declaration stays for the HLSL compiler; only the block goes.
      stripped_[t_[n].begin] = ';';
      n = end + 1;
    }
    AddSampler(desc, At(k + 1));
    return n;
  }

  void AddSampler(const EffectSamplerDesc& desc, const EffectSourceLocation& where) {
    for (const EffectSamplerDesc& s : out_.samplers)
      if (s.name == desc.name) {
        Error(where, "sampler state '" + desc.name + "' is declared twice");
        return;
      }
    out_.samplers.push_back(desc);
    EffectResourceDecl decl;
    decl.name = desc.name;
    decl.kind = EffectResourceKind::Sampler;
    out_.resources.push_back(decl);
  }

  // Reads "Field[index] = value;" lines of a state block between braces open and close.
  template <typename Fn>
  void Fields(std::size_t open, std::size_t close, Fn&& apply) {
    std::size_t k = open + 1;
    while (k < close) {
      if (!IsIdent(k)) {
        Error(At(k), "expected a state field name but found '" + Text(k) + "'");
        return;
      }
      const std::string field = t_[k].text;
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
      if (!Expect(k, "=")) return;
      std::size_t end = k;
      while (end < close && !Is(end, ";")) ++end;
      if (end == k) {
        Error(At(k), "missing value for '" + field + "'");
        return;
      }
      if (!apply(field, index, k, end)) Error(At(fieldAt), BadField(field, k, end));
      k = end + 1;
    }
  }

  std::string BadField(const std::string& field, std::size_t v, std::size_t end) const {
    return "unknown state field or value '" + field + " = " + Source(v, end - 1) + "'";
  }

  // Value readers for state fields: one token (an enumeration name, TRUE/FALSE or a number), or a
  // float4(...) for colours.
  template <std::size_t N>
  bool EnumValue(const EnumName (&table)[N], std::size_t v, std::size_t end, std::uint32_t& out) const {
    if (end != v + 1) return false;
    if (LookupEnum(table, t_[v].text, out)) return true;
    double d = 0;
    if (!ParseNumber(t_[v].text, d) || d < 0 || d > 0xFFFFFFFFu) return false;
    out = static_cast<std::uint32_t>(d);
    return true;
  }
  bool BoolValue(std::size_t v, std::size_t end, bool& out) const {
    std::uint32_t u = 0;
    if (!EnumValue(kBool, v, end, u) || u > 1) return false;
    out = u == 1;
    return true;
  }
  bool FloatValue(std::size_t v, std::size_t end, float& out) const {
    double d = 0;
    bool negative = false;
    if (Is(v, "-")) {
      negative = true;
      ++v;
    }
    if (end != v + 1 || !ParseNumber(t_[v].text, d)) return false;
    out = static_cast<float>(negative ? -d : d);
    return true;
  }
  bool Float4Value(std::size_t v, std::size_t end, float (&out)[4]) const {
    std::vector<double> values;
    for (std::size_t j = v; j < end; ++j) {
      double d = 0;
      if (t_[j].kind == TokenKind::Number) {
        if (!ParseNumber(t_[j].text, d)) return false;
        values.push_back(j > v && t_[j - 1].text == "-" ? -d : d);
      }
    }
    if (values.size() != 4) return false;
    for (int i = 0; i < 4; ++i) out[i] = static_cast<float>(values[static_cast<std::size_t>(i)]);
    return true;
  }

  bool SamplerField(EffectSamplerDesc& d, const std::string& field, std::size_t v, std::size_t end) {
    const std::string f = Upper(field);
    if (f == "FILTER") return EnumValue(kFilter, v, end, d.filter);
    if (f == "ADDRESSU") return EnumValue(kAddress, v, end, d.addressU);
    if (f == "ADDRESSV") return EnumValue(kAddress, v, end, d.addressV);
    if (f == "ADDRESSW") return EnumValue(kAddress, v, end, d.addressW);
    if (f == "MIPLODBIAS") return FloatValue(v, end, d.mipLODBias);
    if (f == "MAXANISOTROPY") return EnumValue(kBool, v, end, d.maxAnisotropy) && d.maxAnisotropy <= 16;
    if (f == "COMPARISONFUNC") return EnumValue(kComparison, v, end, d.comparisonFunc);
    if (f == "BORDERCOLOR") return Float4Value(v, end, d.borderColor);
    if (f == "MINLOD") return FloatValue(v, end, d.minLOD);
    if (f == "MAXLOD") return FloatValue(v, end, d.maxLOD);
    return false;
  }

  bool RasterizerField(EffectRasterizerDesc& d, const std::string& field, std::size_t v, std::size_t end) {
    const std::string f = Upper(field);
    if (f == "FILLMODE") return EnumValue(kFill, v, end, d.fillMode);
    if (f == "CULLMODE") return EnumValue(kCull, v, end, d.cullMode);
    if (f == "FRONTCOUNTERCLOCKWISE") return BoolValue(v, end, d.frontCounterClockwise);
    if (f == "DEPTHBIAS") {
      float b = 0;
      // Out of the int range the conversion is undefined, so such a bias is refused.
      if (!FloatValue(v, end, b) || !(b >= -2147483648.0f && b < 2147483648.0f)) return false;
      d.depthBias = static_cast<std::int32_t>(b);
      return true;
    }
    if (f == "DEPTHBIASCLAMP") return FloatValue(v, end, d.depthBiasClamp);
    if (f == "SLOPESCALEDDEPTHBIAS") return FloatValue(v, end, d.slopeScaledDepthBias);
    if (f == "DEPTHCLIPENABLE") return BoolValue(v, end, d.depthClipEnable);
    if (f == "SCISSORENABLE") return BoolValue(v, end, d.scissorEnable);
    if (f == "MULTISAMPLEENABLE") return BoolValue(v, end, d.multisampleEnable);
    if (f == "ANTIALIASEDLINEENABLE") return BoolValue(v, end, d.antialiasedLineEnable);
    return false;
  }

  bool DepthStencilField(EffectDepthStencilDesc& d, const std::string& field, std::size_t v, std::size_t end) {
    const std::string f = Upper(field);
    if (f == "DEPTHENABLE") return BoolValue(v, end, d.depthEnable);
    if (f == "DEPTHWRITEMASK") return EnumValue(kWriteMask, v, end, d.depthWriteMask) && d.depthWriteMask <= 1;
    if (f == "DEPTHFUNC") return EnumValue(kComparison, v, end, d.depthFunc);
    if (f == "STENCILENABLE") return BoolValue(v, end, d.stencilEnable);
    if (f == "STENCILREADMASK") return EnumValue(kBool, v, end, d.stencilReadMask) && d.stencilReadMask <= 0xFF;
    if (f == "STENCILWRITEMASK") return EnumValue(kBool, v, end, d.stencilWriteMask) && d.stencilWriteMask <= 0xFF;
    for (int face = 0; face < 2; ++face) {
      EffectStencilOpDesc& s = face == 0 ? d.frontFace : d.backFace;
      const std::string prefix = face == 0 ? "FRONTFACESTENCIL" : "BACKFACESTENCIL";
      if (f == prefix + "FAIL") return EnumValue(kStencilOp, v, end, s.failOp);
      if (f == prefix + "DEPTHFAIL") return EnumValue(kStencilOp, v, end, s.depthFailOp);
      if (f == prefix + "PASS") return EnumValue(kStencilOp, v, end, s.passOp);
      if (f == prefix + "FUNC") return EnumValue(kComparison, v, end, s.func);
    }
    return false;
  }

  bool BlendField(EffectBlendDesc& d, bool& independentSet, const std::string& field, int index, std::size_t v,
                  std::size_t end) {
    const std::string f = Upper(field);
    if (f == "ALPHATOCOVERAGEENABLE") return BoolValue(v, end, d.alphaToCoverageEnable);
    if (f == "INDEPENDENTBLENDENABLE") {
      independentSet = true;
      return BoolValue(v, end, d.independentBlendEnable);
    }
    EffectRenderTargetBlend& t = d.renderTarget[index];
    if (f == "BLENDENABLE") return BoolValue(v, end, t.blendEnable);
    if (f == "SRCBLEND") return EnumValue(kBlend, v, end, t.srcBlend);
    if (f == "DESTBLEND") return EnumValue(kBlend, v, end, t.destBlend);
    if (f == "BLENDOP") return EnumValue(kBlendOp, v, end, t.blendOp);
    if (f == "SRCBLENDALPHA") return EnumValue(kBlend, v, end, t.srcBlendAlpha);
    if (f == "DESTBLENDALPHA") return EnumValue(kBlend, v, end, t.destBlendAlpha);
    if (f == "BLENDOPALPHA") return EnumValue(kBlendOp, v, end, t.blendOpAlpha);
    if (f == "RENDERTARGETWRITEMASK")
      return EnumValue(kBool, v, end, t.renderTargetWriteMask) && t.renderTargetWriteMask <= 0xF;
    return false;
  }

  template <typename T>
  bool Unique(const std::vector<T>& list, const std::string& name, const EffectSourceLocation& where) {
    for (const T& s : list)
      if (s.name == name) {
        Error(where, "state '" + name + "' is declared twice");
        return false;
      }
    return true;
  }

  std::size_t StateBlock(std::size_t k) {
    const std::string kind = t_[k].text;
    if (!IsIdent(k + 1)) {
      Error(At(k + 1), "expected a name after '" + kind + "'");
      return k + 1;
    }
    const std::string name = t_[k + 1].text;
    const EffectSourceLocation where = At(k + 1);
    std::size_t n = k + 2;
    std::size_t close = n;
    if (Is(n, "{")) {
      close = Match(n);
      if (close >= t_.size()) {
        Error(At(n), "unterminated state block '" + name + "'");
        Blank(k, t_.size() - 1);
        return t_.size();
      }
    } else if (!Is(n, ";")) {
      Error(At(n), "expected '{' after state '" + name + "' but found '" + Text(n) + "'");
      return n;
    }
    const bool hasBlock = Is(n, "{");
    if (kind == "RasterizerState") {
      EffectRasterizerDesc d;
      d.name = name;
      if (hasBlock)
        Fields(n, close, [&](const std::string& f, int, std::size_t v, std::size_t e) {
          return RasterizerField(d, f, v, e);
        });
      if (Unique(out_.rasterizerStates, name, where)) out_.rasterizerStates.push_back(d);
    } else if (kind == "DepthStencilState") {
      EffectDepthStencilDesc d;
      d.name = name;
      if (hasBlock)
        Fields(n, close, [&](const std::string& f, int, std::size_t v, std::size_t e) {
          return DepthStencilField(d, f, v, e);
        });
      if (Unique(out_.depthStencilStates, name, where)) out_.depthStencilStates.push_back(d);
    } else {
      EffectBlendDesc d;
      d.name = name;
      bool independentSet = false;
      bool laterTargets = false;
      if (hasBlock)
        Fields(n, close, [&](const std::string& f, int index, std::size_t v, std::size_t e) {
          if (index > 0) laterTargets = true;
          return BlendField(d, independentSet, f, index, v, e);
        });
      // Describing a target beyond the first only means something with independent blending.
      if (!independentSet) d.independentBlendEnable = laterTargets;
      if (Unique(out_.blendStates, name, where)) out_.blendStates.push_back(d);
    }
    std::size_t end = hasBlock ? close : n;
    if (hasBlock && Is(close + 1, ";")) end = close + 1;
    Blank(k, end);
    return end + 1;
  }

  std::size_t Technique(std::size_t k) {
    EffectSourceTechnique tech;
    std::size_t n = k + 1;
    if (!IsIdent(n)) {
      Error(At(n), "expected a technique name but found '" + Text(n) + "'");
      return SkipBlock(k);
    }
    tech.name = t_[n].text;
    tech.where = At(n);
    ++n;
    if (Is(n, "<")) n = Match(n) + 1;  // annotations
    if (!Is(n, "{")) {
      Error(At(n), "expected '{' after technique '" + tech.name + "' but found '" + Text(n) + "'");
      return SkipBlock(k);
    }
    const std::size_t close = Match(n);
    if (close >= t_.size()) {
      Error(At(n), "unterminated technique '" + tech.name + "'");
      Blank(k, t_.size() - 1);
      return t_.size();
    }
    std::size_t p = n + 1;
    while (p < close) {
      if (!Is(p, "pass")) {
        Error(At(p), "expected 'pass' in technique '" + tech.name + "' but found '" + Text(p) + "'");
        break;
      }
      EffectSourcePass pass;
      ++p;
      if (IsIdent(p)) pass.name = t_[p++].text;
      if (Is(p, "<")) p = Match(p) + 1;
      if (!Is(p, "{")) {
        Error(At(p), "expected '{' after pass '" + pass.name + "' but found '" + Text(p) + "'");
        break;
      }
      const std::size_t passClose = Match(p);
      if (passClose > close) {
        Error(At(p), "unterminated pass '" + pass.name + "'");
        break;
      }
      if (!PassBody(p + 1, passClose, pass)) break;
      tech.passes.push_back(std::move(pass));
      p = passClose + 1;
    }
    for (const EffectSourceTechnique& t : out_.techniques)
      if (t.name == tech.name) Error(tech.where, "technique '" + tech.name + "' is declared twice");
    out_.techniques.push_back(std::move(tech));
    std::size_t end = close;
    if (Is(close + 1, ";")) end = close + 1;
    Blank(k, end);
    return end + 1;
  }

  std::size_t SkipBlock(std::size_t k) {
    std::size_t n = k;
    while (n < t_.size() && !Is(n, "{")) ++n;
    const std::size_t close = n < t_.size() ? Match(n) : t_.size();
    const std::size_t end = std::min(close, t_.size() - 1);
    Blank(k, end);
    return end + 1;
  }

  // Splits the arguments between parentheses open and close at top-level commas.
  std::vector<std::pair<std::size_t, std::size_t>> Arguments(std::size_t open, std::size_t close) const {
    std::vector<std::pair<std::size_t, std::size_t>> args;
    if (close == open + 1) return args;
    std::size_t start = open + 1;
    int depth = 0;
    for (std::size_t j = open + 1; j < close; ++j) {
      if (t_[j].text == "(" || t_[j].text == "{") ++depth;
      if (t_[j].text == ")" || t_[j].text == "}") --depth;
      if (depth == 0 && t_[j].text == ",") {
        args.emplace_back(start, j);
        start = j + 1;
      }
    }
    args.emplace_back(start, close);
    return args;
  }

  bool IsNull(std::size_t a, std::size_t b) const {
    return b == a + 1 && (t_[a].text == "NULL" || t_[a].text == "0");
  }

  bool PassBody(std::size_t k, std::size_t close, EffectSourcePass& pass) {
    static const std::map<std::string, StageKind> kSetters = {
        {"SetVertexShader", StageKind::Vertex},     {"SetPixelShader", StageKind::Pixel},
        {"SetComputeShader", StageKind::Compute},   {"SetHullShader", StageKind::Hull},
        {"SetDomainShader", StageKind::Domain},     {"SetGeometryShader", StageKind::Geometry}};
    while (k < close) {
      if (!IsIdent(k) || !Is(k + 1, "(")) {
        Error(At(k), "expected a state assignment but found '" + Text(k) + "'");
        return false;
      }
      const std::string what = t_[k].text;
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
        if (args.size() != 1) {
          Error(where, what + " takes one argument");
          return false;
        }
        if (!IsNull(args[0].first, args[0].second)) {
          EffectEntryCall call;
          if (!CompileShaderCall(args[0].first, args[0].second, setter->second, call)) return false;
          pass.shaders[static_cast<std::size_t>(setter->second)] = std::move(call);
        } else {
          pass.shaders[static_cast<std::size_t>(setter->second)].reset();
        }
      } else if (what == "SetRasterizerState" || what == "SetDepthStencilState" || what == "SetBlendState") {
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
          ref.name = t_[args[0].first].text;
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
          if (args[2].second != args[2].first + 1 || !ParseNumber(t_[args[2].first].text, mask) || mask < 0 ||
              mask > 0xFFFFFFFFu) {
            Error(At(args[2].first), "bad sample mask in SetBlendState");
            return false;
          }
          pass.sampleMask = static_cast<std::uint32_t>(mask);
        }
      } else {
        Error(where, "unknown pass state '" + what + "'");
        return false;
      }
      k = end + 1;
      if (!Expect(k, ";")) return false;
    }
    return true;
  }

  bool CompileShaderCall(std::size_t a, std::size_t b, StageKind stage, EffectEntryCall& call) {
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
    call.profile = t_[args[0].first].text;
    static const std::map<std::string, StageKind> kProfiles = {
        {"vs", StageKind::Vertex}, {"ps", StageKind::Pixel},   {"cs", StageKind::Compute},
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
    call.function = t_[fn].text;
    call.where = At(fn);
    for (const auto& [x, y] : Arguments(fn + 1, Match(fn + 1))) {
      if (y == x) {
        Error(At(x), "empty argument in call of '" + call.function + "'");
        return false;
      }
      std::string arg;
      for (std::size_t j = x; j < y; ++j) {
        if (!arg.empty() && (IsIdent(j) || t_[j].kind == TokenKind::Number) &&
            (IsIdent(j - 1) || t_[j - 1].kind == TokenKind::Number))
          arg += ' ';
        arg += t_[j].text;
      }
      call.arguments.push_back(arg);
    }
    return true;
  }

  EffectSource& out_;
  std::string path_;
  const std::string& text_;
  std::string stripped_;
  int depth_;
  std::vector<std::string>& stack_;
  std::vector<Token> t_;
  std::optional<StageImageFormat> pendingFormat_;
  EffectSourceLocation pendingFormatAt_;
};

int CountLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

}  // namespace

std::string FormatDiagnostic(const EffectDiagnostic& d) {
  return d.file + "(" + std::to_string(d.line) + "," + std::to_string(d.column) + "): " +
         (d.error ? "error " : "warning ") + d.code + ": " + d.text;
}

std::string EffectEntryCall::Key() const {
  std::string key = function + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) key += (i ? ", " : "") + arguments[i];
  return key + ")";
}

bool EffectSource::HasErrors() const {
  return std::any_of(diagnostics.begin(), diagnostics.end(), [](const EffectDiagnostic& d) { return d.error; });
}

const EffectFunction* EffectSource::FindFunction(const std::string& name) const {
  for (const EffectFunction& f : functions)
    if (f.name == name) return &f;
  return nullptr;
}

bool ParseEffectText(const std::string& path, const std::string& text, EffectSource& out) {
  out.mainFile = path;
  out.mainFileLines = CountLines(text);
  std::vector<std::string> stack{path};
  FileParser(out, path, text, 0, stack).Run();
  return !out.HasErrors();
}

bool ReadEffectSource(const std::string& path, EffectSource& out) {
  std::ifstream f(path, std::ios::binary);
  // A directory opens as a stream and reads as empty text, which would compile to an empty effect.
  std::error_code ec;
  if (!f || !std::filesystem::is_regular_file(path, ec)) {
    out.mainFile = path;
    out.diagnostics.push_back({path, 1, 1, true, "X3501", "cannot open effect file"});
    return false;
  }
  std::stringstream ss;
  ss << f.rdbuf();
  return ParseEffectText(path, ss.str(), out);
}

bool SpecializationWord(const std::string& literal, const std::string& type, std::uint32_t& word) {
  double value = 0;
  std::string text = literal;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.erase(0, 1);
  }
  if (text.empty() || !ParseNumber(text, value)) return false;
  if (negative) value = -value;
  if (type == "bool") {
    word = value != 0 ? 1u : 0u;
    return true;
  }
  if (type == "float") {
    const float f = static_cast<float>(value);
    std::memcpy(&word, &f, 4);
    return true;
  }
  if (!(value >= -2147483648.0 && value <= 4294967295.0)) return false;  // no 32-bit integer
  if (value != static_cast<double>(static_cast<long long>(value))) return false;  // 1.5 is no int
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

bool MakeEntryPoint(const EffectSource& source, const EffectEntryCall& call, int wrapperIndex,
                    std::string& entryName, std::string& wrapperCode, EffectDiagnostic& error,
                    std::vector<std::string>* constantTypes) {
  error = {call.where.file, call.where.line, call.where.column, true, "X3000", {}};
  if (constantTypes != nullptr) constantTypes->clear();
  const EffectFunction* f = source.FindFunction(call.function);
  if (f == nullptr) {
    error.code = "X3004";
    error.text = "undeclared entry point '" + call.function + "'";
    return false;
  }
  std::vector<const EffectFunctionParameter*> uniforms;
  for (const EffectFunctionParameter& p : f->parameters)
    if (p.isUniform) uniforms.push_back(&p);
  if (call.arguments.size() != uniforms.size()) {
    error.text = "'" + call.function + "' takes " + std::to_string(uniforms.size()) + " uniform argument" +
                 (uniforms.size() == 1 ? "" : "s") + " but " + std::to_string(call.arguments.size()) + " were given";
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
                   std::to_string(i) + " = " + (type == "bool" ? "false" : type == "float" ? "0.0f" : "0") + "; ";
      constantTypes->push_back(type);
    }
  } else {
    entryName = "fx_" + call.function + "_" + std::to_string(wrapperIndex);
  }
  std::string params, args;
  std::size_t literal = 0;
  for (const EffectFunctionParameter& p : f->parameters) {
    if (!args.empty()) args += ", ";
    if (p.isUniform) {
      args += specialize ? entryName + "_" + std::to_string(literal) : "(" + call.arguments[literal] + ")";
      ++literal;
    } else {
      if (!params.empty()) params += ", ";
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
