#pragma once
// A SPIR-V module split into its instructions: the one reading of the HLSL compiler's output that the
// effect compiler's back end works on (specialization, image formats, the rewrites of SpirvRewrites.h,
// constant-buffer packing) before Words() hands it to SPIRV-Cross. The types and constants a pass
// needs are found, or added where SPIR-V wants them (before the first function); fresh ids come from
// the header's bound.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct SpirvInstruction {
    std::uint32_t opcode = 0;
    std::vector<std::uint32_t> operands;  // every word after the first
    std::uint32_t resultType = 0;         // 0 for opcodes without one
    std::uint32_t result = 0;             // 0 for opcodes without one
};

class SpirvModule {
public:
    // False, with the reason (naming the instruction's word), for words that are not a whole SPIR-V
    // module: a header cut short or without the magic number, an instruction of length 0 or one that
    // runs past the end, one without the result type or result id its opcode has, one defining an id
    // not below the header's bound, or one too short for the operands MinimumOperands gives its
    // opcode (and, for OpDecorate and OpMemberDecorate, its decoration). So a module read is one a
    // walk over `instructions` may index up to those operands without checking, and NewId() never
    // gives out an id already in use.
    static bool Read(const std::vector<std::uint32_t>& words, SpirvModule& out, std::string& error);
    // The words of the module as it now is; those it was read from when nothing was changed or added.
    std::vector<std::uint32_t> Words() const;

    // The operands an instruction of `opcode` has at least, for the opcodes the effect compiler reads
    // (types, names, decorations, constants, variables, loads, image reads, loop merges); 0 for the
    // others. Decorations with a literal the compiler reads (SpecId, ArrayStride, MatrixStride,
    // Offset, Location, Binding, DescriptorSet, BuiltIn) need it too.
    static std::size_t MinimumOperands(std::uint32_t opcode);
    // The literal string that starts at operand `first` of `instruction` (OpName's name, operand 1):
    // up to its terminator, or to the instruction's end when it has none; empty past the end.
    static std::string LiteralString(const SpirvInstruction& instruction, std::size_t first);

    // Edits of instruction `index` of `instructions` in place that keep Declaration() and TypeOf() in
    // step with it. The operand must exist and must not be the result type or result id.
    void SetOperand(std::size_t index, std::size_t operand, std::uint32_t value);
    // Another opcode with a result and result type where the old one had them (OpSpecConstantTrue
    // for OpSpecConstantFalse); false, and nothing changed, for one of another shape.
    bool SetOpcode(std::size_t index, std::uint32_t opcode);

    // Found among the module's types, or added.
    std::uint32_t TypeBool();
    std::uint32_t TypeInt(bool isSigned);  // 32 bits
    std::uint32_t TypeFloat();             // 32 bits
    std::uint32_t TypeVector(std::uint32_t component, std::uint32_t count);
    std::uint32_t TypePointer(std::uint32_t storageClass, std::uint32_t type);
    // A constant of `type` with `bits` in every component (a composite for a vector type).
    std::uint32_t Constant(std::uint32_t type, std::uint32_t bits);
    // The GLSL.std.450 instruction set, imported when the module has not (Words() writes the import).
    std::uint32_t GlslStd450();

    // The declaration of a type or constant, or null.
    const SpirvInstruction* Declaration(std::uint32_t id) const;
    // A value's type (0 when not known), a vector type's component count (1 for a scalar) and
    // component type (the type itself for a scalar), and `type`'s shape with bool components.
    std::uint32_t TypeOf(std::uint32_t value) const;
    std::uint32_t ComponentCount(std::uint32_t type) const;
    std::uint32_t ComponentType(std::uint32_t type) const;
    std::uint32_t BoolShaped(std::uint32_t type);

    // Appends `opcode resultType <new id> operands...` to `body`; returns the new id.
    std::uint32_t Emit(std::vector<SpirvInstruction>& body, std::uint32_t opcode, std::uint32_t resultType,
                       std::vector<std::uint32_t> operands);
    std::uint32_t NewId() { return header[3]++; }

    // Every instruction, in order, except the globals added by the passes (Words() writes those
    // before the first function).
    std::vector<SpirvInstruction> instructions;

private:
    std::uint32_t FindOrAdd(std::uint32_t opcode, std::uint32_t resultType, const std::vector<std::uint32_t>& operands);
    void Note(const SpirvInstruction& instruction);

    std::uint32_t header[5] = {};
    std::vector<SpirvInstruction> addedGlobals;
    SpirvInstruction addedImport;  // GLSL.std.450, when a pass needed it and the module had not
    std::map<std::uint32_t, SpirvInstruction> declarations;  // types and constants by id
    std::vector<std::uint32_t> valueTypes;                   // value id -> its type (0: none known)
    std::uint32_t glslStd450Id = 0;
};
