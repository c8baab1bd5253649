#include "fxruntime/SpirvModule.h"

#define SPV_ENABLE_UTILITY_CODE
#include <spirv/unified1/GLSL.std.450.h>
#include <spirv/unified1/spirv.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderWords = 5;

bool IsTypeOrConstant(std::uint32_t opcode)
{
    switch (opcode) {
    case SpvOpTypeVoid:
    case SpvOpTypeBool:
    case SpvOpTypeInt:
    case SpvOpTypeFloat:
    case SpvOpTypeVector:
    case SpvOpTypeMatrix:
    case SpvOpTypePointer:
    case SpvOpTypeArray:
    case SpvOpTypeStruct:
    case SpvOpTypeFunction:
    case SpvOpTypeImage:
    case SpvOpTypeSampler:
    case SpvOpTypeSampledImage:
    case SpvOpTypeRuntimeArray:
    case SpvOpConstant:
    case SpvOpConstantTrue:
    case SpvOpConstantFalse:
    case SpvOpConstantComposite:
    case SpvOpConstantNull: return true;
    default: return false;
    }
}

}  // namespace

std::size_t SpirvModule::MinimumOperands(std::uint32_t opcode)
{
    switch (opcode) {
    case SpvOpTypeFloat:
    case SpvOpName:
    case SpvOpDecorate:
    case SpvOpExtInstImport: return 2;
    case SpvOpTypeInt:
    case SpvOpTypeVector:
    case SpvOpTypeMatrix:
    case SpvOpTypeArray:
    case SpvOpTypePointer:
    case SpvOpMemberName:
    case SpvOpMemberDecorate:
    case SpvOpConstant:
    case SpvOpSpecConstant:
    case SpvOpVariable:
    case SpvOpLoad:
    case SpvOpLoopMerge: return 3;
    case SpvOpImageRead:
    case SpvOpImageSparseRead: return 4;
    case SpvOpImageTexelPointer: return 5;
    case SpvOpTypeImage: return 8;
    default: return 0;
    }
}

namespace {

// The literal words a decoration the compiler reads has after it.
std::size_t DecorationLiterals(std::uint32_t decoration)
{
    switch (decoration) {
    case SpvDecorationSpecId:
    case SpvDecorationArrayStride:
    case SpvDecorationMatrixStride:
    case SpvDecorationBuiltIn:
    case SpvDecorationLocation:
    case SpvDecorationBinding:
    case SpvDecorationDescriptorSet:
    case SpvDecorationOffset: return 1;
    default: return 0;
    }
}

// The operands `instruction` needs at least: its opcode's, and its decoration's literal after them.
std::size_t OperandsNeeded(const SpirvInstruction& instruction, bool hasType, bool hasResult)
{
    std::size_t need = std::max(SpirvModule::MinimumOperands(instruction.opcode),
                                std::size_t{hasType} + std::size_t{hasResult});
    const std::size_t decorationAt = instruction.opcode == SpvOpDecorate         ? 1
                                     : instruction.opcode == SpvOpMemberDecorate ? 2
                                                                                 : 0;
    if (decorationAt != 0 && instruction.operands.size() > decorationAt) {
        need = std::max(need, decorationAt + 1 + DecorationLiterals(instruction.operands[decorationAt]));
    }
    return need;
}

std::string At(std::size_t word)
{
    return "the SPIR-V instruction at word " + std::to_string(word);
}

}  // namespace

bool SpirvModule::Read(const std::vector<std::uint32_t>& words, SpirvModule& out, std::string& error)
{
    out = SpirvModule{};
    if (words.size() < kHeaderWords || words[0] != SpvMagicNumber) {
        error = "not a SPIR-V module (no header)";
        return false;
    }
    std::memcpy(out.header, words.data(), sizeof out.header);
    out.instructions.reserve(words.size() / 4);
    for (std::size_t i = kHeaderWords; i < words.size();) {
        const std::uint32_t count = words[i] >> 16;
        if (count == 0 || i + count > words.size()) {
            error = At(i) + " has a length of " + std::to_string(count) + ", which does not fit the module";
            return false;
        }
        SpirvInstruction instruction;
        instruction.opcode = words[i] & 0xFFFF;
        instruction.operands.assign(words.begin() + static_cast<long>(i) + 1,
                                    words.begin() + static_cast<long>(i + count));
        bool hasResult = false, hasType = false;
        SpvHasResultAndType(static_cast<SpvOp>(instruction.opcode), &hasResult, &hasType);
        const std::size_t need = OperandsNeeded(instruction, hasType, hasResult);
        if (instruction.operands.size() < need) {
            error = At(i) + " is too short for its opcode (" + std::to_string(instruction.opcode) +
                    "): " + std::to_string(instruction.operands.size()) + " operands, not the " + std::to_string(need) +
                    " it needs";
            return false;
        }
        if (hasType) {
            instruction.resultType = instruction.operands[0];
        }
        if (hasResult) {
            instruction.result = instruction.operands[hasType ? 1 : 0];
            if (instruction.result >= out.header[3]) {
                error = At(i) + " defines id " + std::to_string(instruction.result) +
                        ", which is not below the header's bound of " + std::to_string(out.header[3]);
                return false;
            }
        }
        if (instruction.opcode == SpvOpExtInstImport && LiteralString(instruction, 1) == "GLSL.std.450") {
            out.glslStd450Id = instruction.result;
        }
        out.Note(instruction);
        out.instructions.push_back(std::move(instruction));
        i += count;
    }
    return true;
}

std::string SpirvModule::LiteralString(const SpirvInstruction& instruction, std::size_t first)
{
    if (first >= instruction.operands.size()) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(&instruction.operands[first]);
    return {text, strnlen(text, (instruction.operands.size() - first) * 4)};
}

void SpirvModule::SetOperand(std::size_t index, std::size_t operand, std::uint32_t value)
{
    SpirvInstruction& instruction = instructions.at(index);
    instruction.operands.at(operand) = value;
    Note(instruction);  // a type's or constant's declaration is a copy, made again
}

bool SpirvModule::SetOpcode(std::size_t index, std::uint32_t opcode)
{
    SpirvInstruction& instruction = instructions.at(index);
    bool hasResult = false, hasType = false, hadResult = false, hadType = false;
    SpvHasResultAndType(static_cast<SpvOp>(opcode), &hasResult, &hasType);
    SpvHasResultAndType(static_cast<SpvOp>(instruction.opcode), &hadResult, &hadType);
    if (hasResult != hadResult || hasType != hadType) {
        return false;
    }
    if (IsTypeOrConstant(instruction.opcode) && !IsTypeOrConstant(opcode)) {
        declarations.erase(instruction.result);
    }
    instruction.opcode = opcode;
    Note(instruction);
    return true;
}

std::vector<std::uint32_t> SpirvModule::Words() const
{
    std::vector<std::uint32_t> words(header, header + kHeaderWords);
    std::size_t size = kHeaderWords;
    for (const SpirvInstruction& instruction : instructions) {
        size += instruction.operands.size() + 1;
    }
    words.reserve(size + 8 * addedGlobals.size());
    auto write = [&](const SpirvInstruction& instruction) {
        words.push_back(static_cast<std::uint32_t>(instruction.operands.size() + 1) << 16 | instruction.opcode);
        words.insert(words.end(), instruction.operands.begin(), instruction.operands.end());
    };
    bool globalsWritten = addedGlobals.empty(), importWritten = addedImport.opcode == 0;
    for (const SpirvInstruction& instruction : instructions) {
        // Imports come right after the capabilities and extensions, before the memory model.
        const bool preamble = instruction.opcode == SpvOpCapability || instruction.opcode == SpvOpExtension ||
                              instruction.opcode == SpvOpExtInstImport;
        if (!importWritten && !preamble) {
            write(addedImport);
            importWritten = true;
        }
        if (!globalsWritten && instruction.opcode == SpvOpFunction) {
            for (const SpirvInstruction& global : addedGlobals) {
                write(global);
            }
            globalsWritten = true;
        }
        write(instruction);
    }
    if (!globalsWritten) {
        for (const SpirvInstruction& global : addedGlobals) {
            write(global);
        }
    }
    return words;
}

void SpirvModule::Note(const SpirvInstruction& instruction)
{
    if (instruction.result == 0) {
        return;
    }
    if (IsTypeOrConstant(instruction.opcode)) {
        declarations[instruction.result] = instruction;
    }
    if (instruction.resultType != 0) {
        if (instruction.result >= valueTypes.size()) {
            valueTypes.resize(std::max<std::size_t>(instruction.result + 1, header[3]), 0);
        }
        valueTypes[instruction.result] = instruction.resultType;
    }
}

std::uint32_t SpirvModule::FindOrAdd(std::uint32_t opcode, std::uint32_t resultType,
                                     const std::vector<std::uint32_t>& operands)
{
    // Operands after the result id; a type's own id is its result, a constant's comes after its type.
    const std::size_t skip = resultType != 0 ? 2 : 1;
    for (const auto& [id, d] : declarations) {
        if (d.opcode == opcode && d.resultType == resultType && d.operands.size() == operands.size() + skip &&
            std::equal(operands.begin(), operands.end(), d.operands.begin() + static_cast<long>(skip))) {
            return id;
        }
    }
    SpirvInstruction instruction;
    instruction.opcode = opcode;
    instruction.resultType = resultType;
    instruction.result = NewId();
    if (resultType != 0) {
        instruction.operands.push_back(resultType);
    }
    instruction.operands.push_back(instruction.result);
    instruction.operands.insert(instruction.operands.end(), operands.begin(), operands.end());
    Note(instruction);
    addedGlobals.push_back(instruction);
    return instruction.result;
}

std::uint32_t SpirvModule::TypeBool()
{
    return FindOrAdd(SpvOpTypeBool, 0, {});
}
std::uint32_t SpirvModule::TypeInt(bool isSigned)
{
    return FindOrAdd(SpvOpTypeInt, 0, {32, isSigned ? 1u : 0u});
}
std::uint32_t SpirvModule::TypeFloat()
{
    return FindOrAdd(SpvOpTypeFloat, 0, {32});
}

std::uint32_t SpirvModule::TypeVector(std::uint32_t component, std::uint32_t count)
{
    return count == 1 ? component : FindOrAdd(SpvOpTypeVector, 0, {component, count});
}

std::uint32_t SpirvModule::TypePointer(std::uint32_t storageClass, std::uint32_t type)
{
    return FindOrAdd(SpvOpTypePointer, 0, {storageClass, type});
}

std::uint32_t SpirvModule::Constant(std::uint32_t type, std::uint32_t bits)
{
    const std::uint32_t component = ComponentType(type);
    const SpirvInstruction* d = Declaration(component);
    std::uint32_t scalar = 0;
    if (d != nullptr && d->opcode == SpvOpTypeBool) {
        scalar = FindOrAdd(bits != 0 ? SpvOpConstantTrue : SpvOpConstantFalse, component, {});
    } else {
        scalar = FindOrAdd(SpvOpConstant, component, {bits});
    }
    const std::uint32_t count = ComponentCount(type);
    if (count == 1) {
        return scalar;
    }
    return FindOrAdd(SpvOpConstantComposite, type, std::vector<std::uint32_t>(count, scalar));
}

std::uint32_t SpirvModule::GlslStd450()
{
    if (glslStd450Id != 0) {
        return glslStd450Id;
    }
    SpirvInstruction import;
    import.opcode = SpvOpExtInstImport;
    import.result = NewId();
    import.operands = {import.result};
    const char name[16] = "GLSL.std.450";  // with its terminator, padded to whole words
    for (std::size_t i = 0; i < sizeof name; i += 4) {
        std::uint32_t word = 0;
        std::memcpy(&word, name + i, 4);
        import.operands.push_back(word);
    }
    addedImport = import;  // Words() writes it where imports go; the instructions stay as they are
    glslStd450Id = import.result;
    return glslStd450Id;
}

const SpirvInstruction* SpirvModule::Declaration(std::uint32_t id) const
{
    const auto it = declarations.find(id);
    return it == declarations.end() ? nullptr : &it->second;
}

std::uint32_t SpirvModule::TypeOf(std::uint32_t value) const
{
    return value < valueTypes.size() ? valueTypes[value] : 0;
}

std::uint32_t SpirvModule::ComponentCount(std::uint32_t type) const
{
    const SpirvInstruction* d = Declaration(type);
    return d != nullptr && d->opcode == SpvOpTypeVector && d->operands.size() >= 3 ? d->operands[2] : 1;
}

std::uint32_t SpirvModule::ComponentType(std::uint32_t type) const
{
    const SpirvInstruction* d = Declaration(type);
    return d != nullptr && d->opcode == SpvOpTypeVector && d->operands.size() >= 3 ? d->operands[1] : type;
}

std::uint32_t SpirvModule::BoolShaped(std::uint32_t type)
{
    return TypeVector(TypeBool(), ComponentCount(type));
}

std::uint32_t SpirvModule::Emit(std::vector<SpirvInstruction>& body, std::uint32_t opcode, std::uint32_t resultType,
                                std::vector<std::uint32_t> operands)
{
    SpirvInstruction instruction;
    instruction.opcode = opcode;
    instruction.resultType = resultType;
    instruction.result = NewId();
    instruction.operands = {resultType, instruction.result};
    instruction.operands.insert(instruction.operands.end(), operands.begin(), operands.end());
    Note(instruction);
    body.push_back(std::move(instruction));
    return body.back().result;
}
