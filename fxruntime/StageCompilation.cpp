// CompileStages (CompilerPhases.h): the entries through the HLSL compiler, read and specialized.
#include <spirv_cross/spirv.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "fxruntime/CompilerPhases.h"
#include "fxruntime/Direct3DRefusals.h"
#include "fxruntime/HlslToSpirv.h"
#include "fxruntime/LargeStack.h"

namespace {

// Compiles the entries `compiled` names into `outputs` (by entry), spread over the cores: distinct
// compilations are independent.
void CompileInParallel(const EffectSource& source, const std::vector<StageEntry>& entries,
                       const std::vector<std::size_t>& compiled, std::vector<HlslCompileOutput>& outputs)
{
    const std::string& main = source.strippedFiles.at(source.mainFile);
    auto compileOne = [&](std::size_t i) {
        HlslCompileInput in;
        in.fileName = source.mainFile;
        in.source = main;
        if (!entries[i].wrapper.empty()) {
            in.source += "\n" + entries[i].wrapper;
        }
        in.entryPoint = entries[i].entryName;
        in.stage = entries[i].call.stage;
        in.files = &source.strippedFiles;
        outputs[i] = CompileHlslToSpirv(in);
    };
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    for (std::size_t next = 0; next < compiled.size();) {
        std::vector<std::function<void()>> batch;
        for (unsigned i = 0; i < threads && next < compiled.size(); ++i, ++next) {
            batch.push_back([&compileOne, i = compiled[next]] { compileOne(i); });
        }
        RunOnLargeStacks(batch);
    }
}

// The HLSL compiler's messages for `entry`, each once however many entries share the compilation.
void NoteMessages(const EffectSource& source, const StageEntry& entry, const HlslCompileOutput& output,
                  std::set<std::string>& seen, Diagnostics& diagnostics)
{
    for (EffectDiagnostic d : output.diagnostics) {
        // Lines past the end of the file belong to the generated wrapper, and a failure with no line
        // to the entry point as a whole: point at the call.
        if (d.file == source.mainFile &&
            (d.line > source.mainFileLines || d.text.find("failed after the HLSL") != std::string::npos)) {
            d.file = entry.call.where.file;
            d.line = entry.call.where.line;
            d.column = entry.call.where.column;
        }
        const std::string text = FormatDiagnostic(d);
        if (seen.insert(text).second) {
            diagnostics.push_back(d);
        }
    }
}

// The entry's SPIR-V as a checked module; an error at the entry point when it is no whole module.
bool ReadModule(const StageEntry& entry, const std::vector<std::uint32_t>& words, SpirvModule& module,
                Diagnostics& diagnostics)
{
    std::string error;
    if (!SpirvModule::Read(words, module, error)) {
        ReportError(diagnostics, entry.call.where,
                    "the HLSL compiler's output for '" + entry.call.Key() + "' cannot be read: " + error);
        return false;
    }
    return true;
}

// A compute entry's thread group as compiled, where macros and constants have given its counts.
bool ThreadGroupFitsAsCompiled(const StageEntry& entry, const SpirvModule& m, Diagnostics& diagnostics)
{
    for (const SpirvInstruction& instruction : m.instructions) {
        if (instruction.opcode != SpvOpExecutionMode || instruction.operands.size() < 5 ||
            instruction.operands[1] != SpvExecutionModeLocalSize) {
            continue;
        }
        std::string error;
        const auto count = [&](std::size_t k) {
            return std::int64_t{static_cast<std::int32_t>(instruction.operands[k])};
        };
        if (!ThreadGroupFits(count(2), count(3), count(4), error)) {
            ReportError(diagnostics, entry.call.where, error);
            return false;
        }
    }
    return true;
}

// Writes the entry's literal arguments into its specialization constants.
bool Specialize(const StageEntry& entry, SpirvModule& m, Diagnostics& diagnostics)
{
    if (entry.constantTypes.empty()) {
        return true;
    }
    std::map<std::uint32_t, std::uint32_t> specIdOf;  // result id -> constant id
    for (const SpirvInstruction& instruction : m.instructions) {
        if (instruction.opcode == SpvOpDecorate && instruction.operands[1] == SpvDecorationSpecId) {
            specIdOf[instruction.operands[0]] = instruction.operands[2];
        }
    }
    // Constants the entry never reads are dropped by the compiler; that is fine.
    for (std::size_t i = 0; i < m.instructions.size(); ++i) {
        const std::uint32_t op = m.instructions[i].opcode;
        const bool isSpec = op == SpvOpSpecConstantTrue || op == SpvOpSpecConstantFalse || op == SpvOpSpecConstant;
        const auto id = isSpec ? specIdOf.find(m.instructions[i].result) : specIdOf.end();
        if (id == specIdOf.end() || id->second >= entry.constantTypes.size()) {
            continue;
        }
        const std::string& argument = entry.call.arguments[id->second];
        std::uint32_t word = 0;
        if (!SpecializationWord(argument, entry.constantTypes[id->second], word)) {
            ReportError(diagnostics, entry.call.where,
                        "cannot use '" + argument + "' as a " + entry.constantTypes[id->second]);
            return false;
        }
        if (op == SpvOpSpecConstant && m.instructions[i].operands.size() == 3) {
            m.SetOperand(i, 2, word);
        } else if (op != SpvOpSpecConstant) {
            m.SetOpcode(i, word != 0 ? SpvOpSpecConstantTrue : SpvOpSpecConstantFalse);
        }
    }
    return true;
}

}  // namespace

// Entries that differ only in literal arguments share one compilation: the literals are
// specialization constants, written into each entry's own module.
bool CompileStages(const EffectSource& source, const std::vector<StageEntry>& entries,
                   std::vector<SpirvModule>& modules, bool& selfContained, Diagnostics& diagnostics)
{
    std::map<std::string, std::size_t> firstOfKey;  // compile key -> the entry compiled for it
    std::vector<std::size_t> compiled;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (firstOfKey.emplace(entries[i].compileKey, i).second) {
            compiled.push_back(i);
        }
    }
    std::vector<HlslCompileOutput> outputs(entries.size());
    CompileInParallel(source, entries, compiled, outputs);

    bool ok = true;
    std::set<std::string> seen;
    modules.assign(entries.size(), SpirvModule{});
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HlslCompileOutput& output = outputs[firstOfKey.at(entries[i].compileKey)];
        NoteMessages(source, entries[i], output, seen, diagnostics);
        if (output.readOtherFiles) {
            selfContained = false;
        }
        ok = ok && output.succeeded && ReadModule(entries[i], output.words, modules[i], diagnostics) &&
             ThreadGroupFitsAsCompiled(entries[i], modules[i], diagnostics) &&
             Specialize(entries[i], modules[i], diagnostics);
    }
    return ok;
}
