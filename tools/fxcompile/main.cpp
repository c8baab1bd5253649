// fxcompile: compiles one effect file and prints its diagnostics and what the compiled effect
// holds (techniques, passes, shaders with their input signatures, variables with their offsets,
// states). --out writes the compiled effect to a file (the blob fuzzer's seeds are made so).
// Exits 1 when compilation fails (or, with --werror, when it warns), 2 on bad usage.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompiler.h"
#include "fxruntime/EffectPrint.h"

int main(int argc, char** argv) {
  EffectPrintOptions options;
  bool werror = false;
  bool quiet = false;
  const char* path = nullptr;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--glsl") == 0) options.glsl = true;
    else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) out = argv[++i];
    else if (std::strcmp(argv[i], "--werror") == 0) werror = true;
    else if (std::strcmp(argv[i], "--quiet") == 0) quiet = true;
    else if (argv[i][0] == '-' || path != nullptr) {
      std::fprintf(stderr, "usage: fxcompile [--glsl] [--werror] [--quiet] [--out blob] file.fx\n");
      return 2;
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) {
    std::fprintf(stderr, "usage: fxcompile [--glsl] [--werror] [--quiet] [--out blob] file.fx\n");
    return 2;
  }
  const EffectCompileResult result = CompileEffectFile(path);
  const std::string messages = result.Messages();
  std::fputs(messages.c_str(), stdout);
  if (!result.succeeded) {
    std::printf("%s: compilation failed\n", path);
    return 1;
  }
  EffectBlob blob;
  if (!ParseEffectBlob(result.code.data(), result.code.size(), blob)) {
    std::printf("%s: the compiled effect does not read back\n", path);
    return 1;
  }
  if (!quiet) std::fputs(PrintEffect(blob, options).c_str(), stdout);
  if (out != nullptr &&
      !std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(result.code.data()),
                                                  static_cast<std::streamsize>(result.code.size()))) {
    std::printf("%s: cannot write\n", out);
    return 1;
  }
  if (werror && !result.diagnostics.empty()) {
    std::printf("%s: warnings treated as errors\n", path);
    return 1;
  }
  return 0;
}
