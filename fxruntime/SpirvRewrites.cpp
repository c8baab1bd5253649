#include "fxruntime/SpirvRewrites.h"

#include <spirv/unified1/GLSL.std.450.h>
#include <spirv/unified1/spirv.h>

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <map>
#include <set>

#include "fxruntime/SpirvModule.h"

namespace {

using Body = std::vector<SpirvInstruction>;

std::uint32_t FloatBits(float f)
{
    return std::bit_cast<std::uint32_t>(f);
}

// Whether `id` is a constant whose every component is an integer for which `keep` holds.
template <typename Keep>
bool ConstantWhere(const SpirvModule& m, std::uint32_t id, Keep keep)
{
    const SpirvInstruction* d = m.Declaration(id);
    if (d == nullptr) {
        return false;
    }
    if (d->opcode == SpvOpConstant && d->operands.size() == 3) {
        return keep(d->operands[2]);
    }
    if (d->opcode == SpvOpConstantComposite) {
        for (std::size_t i = 2; i < d->operands.size(); ++i) {
            if (!ConstantWhere(m, d->operands[i], keep)) {
                return false;
            }
        }
        return true;
    }
    return false;
}

// Passes each instruction to `rewrite`, which appends what takes its place to the new body (moving
// the instruction there when it stays). Modules without an instruction of the `opcodes` are left as
// they are, without the copy.
template <typename Rewrite>
void RewriteEach(SpirvModule& m, std::initializer_list<std::uint32_t> opcodes, Rewrite rewrite)
{
    const bool any = std::any_of(m.instructions.begin(), m.instructions.end(), [&](const SpirvInstruction& i) {
        return std::find(opcodes.begin(), opcodes.end(), i.opcode) != opcodes.end();
    });
    if (!any) {
        return;
    }
    Body out;
    out.reserve(m.instructions.size() + m.instructions.size() / 8);
    for (SpirvInstruction& instruction : m.instructions) {
        rewrite(instruction, out);
    }
    m.instructions = std::move(out);
}

void UseHlslRemainders(SpirvModule& m)
{
    for (SpirvInstruction& instruction : m.instructions) {
        if (instruction.opcode == SpvOpFMod) {
            instruction.opcode = SpvOpFRem;
        } else if (instruction.opcode == SpvOpSMod) {
            instruction.opcode = SpvOpSRem;
        }
    }
}

void MaskShiftCounts(SpirvModule& m)
{
    RewriteEach(m, {SpvOpShiftLeftLogical, SpvOpShiftRightLogical, SpvOpShiftRightArithmetic},
                [&](SpirvInstruction& instruction, Body& out) {
                    const bool shift = instruction.opcode == SpvOpShiftLeftLogical ||
                                       instruction.opcode == SpvOpShiftRightLogical ||
                                       instruction.opcode == SpvOpShiftRightArithmetic;
                    if (shift && instruction.operands.size() == 4) {
                        const std::uint32_t count = instruction.operands[3], type = m.TypeOf(count);
                        if (type != 0 && !ConstantWhere(m, count, [](std::uint32_t c) { return c < 32; })) {
                            instruction.operands[3] = m.Emit(out, SpvOpBitwiseAnd, type, {count, m.Constant(type, 31)});
                        }
                    }
                    out.push_back(std::move(instruction));
                });
}

void SaturateFloatToInteger(SpirvModule& m)
{
    RewriteEach(m, {SpvOpConvertFToU, SpvOpConvertFToS}, [&](SpirvInstruction& instruction, Body& out) {
        const bool toUint = instruction.opcode == SpvOpConvertFToU, toInt = instruction.opcode == SpvOpConvertFToS;
        const std::uint32_t x = instruction.operands.size() == 3 ? instruction.operands[2] : 0;
        const std::uint32_t floatType = x != 0 ? m.TypeOf(x) : 0;
        if ((!toUint && !toInt) || floatType == 0) {
            out.push_back(std::move(instruction));
            return;
        }
        // The largest float below the top of the range converts exactly; past it the result is the
        // top value, chosen after the conversion.
        const float low = toUint ? 0.0f : -2147483648.0f, high = toUint ? 4294967040.0f : 2147483520.0f;
        const float top = toUint ? 4294967296.0f : 2147483648.0f;
        const std::uint32_t topValue = toUint ? 0xFFFFFFFFu : 0x7FFFFFFFu;
        const std::uint32_t type = instruction.resultType, bools = m.BoolShaped(floatType);
        const std::uint32_t glsl = m.GlslStd450(), nan = m.Emit(out, SpvOpIsNan, bools, {x});
        const std::uint32_t clamped = m.Emit(
            out, SpvOpExtInst, floatType,
            {glsl, GLSLstd450FClamp, x, m.Constant(floatType, FloatBits(low)), m.Constant(floatType, FloatBits(high))});
        const std::uint32_t finite = m.Emit(out, SpvOpSelect, floatType,
                                            {nan, m.Constant(floatType, FloatBits(0.0f)), clamped});
        const std::uint32_t converted = m.Emit(out, instruction.opcode, type, {finite});
        const std::uint32_t above = m.Emit(out, SpvOpFOrdGreaterThanEqual, bools,
                                           {x, m.Constant(floatType, FloatBits(top))});
        instruction.opcode = SpvOpSelect;
        instruction.operands = {type, instruction.result, above, m.Constant(type, topValue), converted};
        out.push_back(std::move(instruction));
    });
}

void DefineIntegerDivision(SpirvModule& m)
{
    RewriteEach(m, {SpvOpUDiv, SpvOpUMod, SpvOpSDiv, SpvOpSRem}, [&](SpirvInstruction& instruction, Body& out) {
        const std::uint32_t op = instruction.opcode;
        const bool isUnsigned = op == SpvOpUDiv || op == SpvOpUMod, isSigned = op == SpvOpSDiv || op == SpvOpSRem;
        const std::uint32_t a = instruction.operands.size() == 4 ? instruction.operands[2] : 0;
        const std::uint32_t b = instruction.operands.size() == 4 ? instruction.operands[3] : 0;
        const std::uint32_t type = instruction.resultType, aType = m.TypeOf(a), bType = m.TypeOf(b);
        const bool plainDivisor = ConstantWhere(m, b,
                                                [&](std::uint32_t c) { return c != 0 && !(isSigned && c == ~0u); });
        if ((!isUnsigned && !isSigned) || aType == 0 || bType == 0 || plainDivisor) {
            out.push_back(std::move(instruction));
            return;
        }
        const std::uint32_t bools = m.BoolShaped(bType);
        const std::uint32_t zero = m.Emit(out, SpvOpIEqual, bools, {b, m.Constant(bType, 0)});
        std::uint32_t unsafe = zero, minusOne = 0;
        if (isSigned) {
            minusOne = m.Emit(out, SpvOpIEqual, bools, {b, m.Constant(bType, ~0u)});
            unsafe = m.Emit(out, SpvOpLogicalOr, bools, {zero, minusOne});
        }
        const std::uint32_t divisor = m.Emit(out, SpvOpSelect, bType, {unsafe, m.Constant(bType, 1), b});
        std::uint32_t value = m.Emit(out, op, type, {a, divisor});
        std::uint32_t byZero = m.Constant(type, 0xFFFFFFFFu);
        if (isSigned) {
            if (op == SpvOpSDiv) {
                const std::uint32_t negated = m.Emit(out, SpvOpSNegate, type, {a});
                value = m.Emit(out, SpvOpSelect, type, {minusOne, negated, value});
            }
            const std::uint32_t negative = m.Emit(out, SpvOpSLessThan, m.BoolShaped(aType), {a, m.Constant(aType, 0)});
            byZero = m.Emit(out, SpvOpSelect, type, {negative, m.Constant(type, 1), m.Constant(type, 0xFFFFFFFFu)});
        }
        instruction.opcode = SpvOpSelect;
        instruction.operands = {type, instruction.result, zero, byZero, value};
        out.push_back(std::move(instruction));
    });
}

bool IsTerminatorOrMerge(std::uint32_t op)
{
    switch (op) {
    case SpvOpBranch:
    case SpvOpBranchConditional:
    case SpvOpSwitch:
    case SpvOpReturn:
    case SpvOpReturnValue:
    case SpvOpKill:
    case SpvOpUnreachable:
    case SpvOpSelectionMerge:
    case SpvOpLoopMerge: return true;
    default: return false;
    }
}

// The phis of loop merge blocks become a Function variable each: every predecessor stores its value
// at its end, and the merge block loads it where the phi stood.
void DemoteLoopMergePhis(SpirvModule& m)
{
    std::set<std::uint32_t> merges;
    for (const SpirvInstruction& instruction : m.instructions) {
        if (instruction.opcode == SpvOpLoopMerge && !instruction.operands.empty()) {
            merges.insert(instruction.operands[0]);
        }
    }
    struct Store {
        std::uint32_t variable, value;
    };
    std::map<std::uint32_t, std::vector<Store>> storesAtEndOf;           // block label -> stores
    std::map<std::uint32_t, std::uint32_t> variableOf;                   // phi id -> its variable
    std::map<std::uint32_t, std::vector<SpirvInstruction>> variablesOf;  // function id -> variables
    std::uint32_t function = 0, block = 0;
    for (const SpirvInstruction& instruction : m.instructions) {
        if (instruction.opcode == SpvOpFunction) {
            function = instruction.result;
        } else if (instruction.opcode == SpvOpLabel) {
            block = instruction.operands[0];
        } else if (instruction.opcode == SpvOpPhi && merges.count(block) != 0 && instruction.operands.size() % 2 == 0) {
            const std::uint32_t pointer = m.TypePointer(SpvStorageClassFunction, instruction.resultType);
            SpirvInstruction variable;
            variable.opcode = SpvOpVariable;
            variable.resultType = pointer;
            variable.result = m.NewId();
            variable.operands = {pointer, variable.result, SpvStorageClassFunction};
            variablesOf[function].push_back(variable);
            variableOf[instruction.result] = variable.result;
            for (std::size_t i = 2; i + 1 < instruction.operands.size(); i += 2) {
                storesAtEndOf[instruction.operands[i + 1]].push_back({variable.result, instruction.operands[i]});
            }
        }
    }
    if (variableOf.empty()) {
        return;
    }
    bool firstBlock = false, storesDone = false;
    RewriteEach(m, {SpvOpPhi}, [&](SpirvInstruction& instruction, Body& out) {
        const std::uint32_t op = instruction.opcode;
        if (op == SpvOpFunction) {
            function = instruction.result;
            firstBlock = true;
        }
        if (op == SpvOpLabel) {
            block = instruction.operands[0];
            storesDone = false;
            out.push_back(std::move(instruction));
            if (firstBlock) {
                for (const SpirvInstruction& variable : variablesOf[function]) {
                    out.push_back(variable);
                }
                firstBlock = false;
            }
            return;
        }
        if (IsTerminatorOrMerge(op) && !storesDone) {
            for (const Store& store : storesAtEndOf[block]) {
                SpirvInstruction write;
                write.opcode = SpvOpStore;
                write.operands = {store.variable, store.value};
                out.push_back(write);
            }
            storesDone = true;
        }
        const auto demoted = op == SpvOpPhi ? variableOf.find(instruction.result) : variableOf.end();
        if (demoted != variableOf.end()) {
            instruction.opcode = SpvOpLoad;
            instruction.operands = {instruction.resultType, instruction.result, demoted->second};
        }
        out.push_back(std::move(instruction));
    });
}

}  // namespace

void ApplyHlslRules(SpirvModule& module)
{
    UseHlslRemainders(module);
    MaskShiftCounts(module);
    SaturateFloatToInteger(module);
    DefineIntegerDivision(module);
    DemoteLoopMergePhis(module);
}

bool ApplyHlslRules(std::vector<std::uint32_t>& spirv, std::string& error)
{
    SpirvModule m;
    if (!SpirvModule::Read(spirv, m, error)) {
        return false;
    }
    ApplyHlslRules(m);
    spirv = m.Words();
    return true;
}
