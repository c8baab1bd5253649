// The effect front end on arbitrary text, up to the HLSL compiler: preprocessing, parsing of the
// effect constructs, stripping, and the entry points the passes call. The input's text up to its
// first NUL byte is the effect file; whatever follows is "LightHelper.fxh" beside it, the one
// include the shipped effects share.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzFiles.h"
#include "fxruntime/EffectSource.h"

namespace {

int CountLines(const std::string& text)
{
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzFiles files;
    const auto [fx, include] = SplitAtNul(data, size);
    files.Write("LightHelper.fxh", reinterpret_cast<const std::uint8_t*>(include.data()), include.size());
    const std::string path = files.Path("fuzz.fx");
    const std::string text(fx);

    EffectSource source;
    const bool ok = ParseEffectText(path, text, source);
    if (ok == source.HasErrors())
        std::abort();  // success must mean no error was reported
    for (const EffectDiagnostic& d : source.diagnostics)
        (void)FormatDiagnostic(d);

    // The stripped text keeps every line where it was, so the HLSL compiler's line numbers hold.
    const auto stripped = source.strippedFiles.find(path);
    if (stripped != source.strippedFiles.end() && CountLines(stripped->second) != CountLines(text))
        std::abort();
    if (!ok)
        return 0;

    int wrapperIndex = 0;
    for (const EffectSourceTechnique& technique : source.techniques)
        for (const EffectSourcePass& pass : technique.passes)
            for (const auto& call : pass.shaders) {
                if (!call)
                    continue;
                std::string entry, wrapper;
                EffectDiagnostic error;
                std::vector<std::string> types;
                if (MakeEntryPoint(source, *call, wrapperIndex, entry, wrapper, error, &types)) {
                    if (entry.empty() || std::count(wrapper.begin(), wrapper.end(), '\n') > 1)
                        std::abort();
                    for (std::size_t i = 0; i < types.size(); ++i) {
                        std::uint32_t word = 0;
                        if (!SpecializationWord(call->arguments[i], types[i], word))
                            std::abort();
                    }
                } else if (error.text.empty()) {
                    std::abort();
                }
                (void)MakeEntryPoint(source, *call, wrapperIndex, entry, wrapper, error, nullptr);
                ++wrapperIndex;
            }
    return 0;
}
