#pragma once
// A SPIR-V module split into its instructions, for the passes that rewrite the HLSL compiler's
// output before it is translated to GLSL (SpirvRewrites.h). Reading checks every instruction's
// length; the types and constants a pass needs are found, or added where SPIR-V wants them (before
// the first function); fresh ids come from the header's bound.
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
    // False, with the reason, for words that are not a whole SPIR-V module: a short or foreign
    // header, an instruction of length 0 or one that runs past the end.
    static bool Read(const std::vector<std::uint32_t>& words, SpirvModule& out, std::string& error);
    std::vector<std::uint32_t> Words() const;

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
