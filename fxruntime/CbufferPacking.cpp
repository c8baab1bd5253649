#include "fxruntime/CbufferPacking.h"

#include <spirv_cross/spirv.h>

#include <algorithm>
#include <map>
#include <set>

#include "fxruntime/SpirvModule.h"

namespace {

constexpr std::uint32_t kRegister = 16;

std::uint32_t RoundUp(std::uint32_t v, std::uint32_t to)
{
    return (v + to - 1) / to * to;
}

enum class Kind { Other, Scalar, Vector, Matrix, Array, Struct };

// Where a layout decoration's literal is, so that it can be rewritten: an operand of one of the
// module's instructions.
struct OperandAt {
    bool known = false;
    std::size_t instruction = 0, operand = 0;
};

// The SPIR-V types a uniform block can be made of, with the places of their layout decorations.
struct Type {
    Kind kind = Kind::Other;
    EffectBaseType base = EffectBaseType::Float;
    bool supportedScalar = true;   // false for 64-bit and 16-bit numbers
    std::uint32_t components = 1;  // vectors; a matrix's column size
    std::uint32_t columns = 0;     // matrices (SPIR-V columns, which are HLSL rows)
    std::uint32_t element = 0;     // arrays: element type; matrices: column type; vectors: component type
    std::uint32_t length = 0;      // arrays
    OperandAt arrayStride;
    std::string name;  // structs
    std::vector<std::uint32_t> members;
    std::vector<std::string> memberNames;
    std::vector<OperandAt> offset, matrixStride;
    std::vector<bool> rowMajor;       // SPIR-V RowMajor, which is HLSL column_major
    std::vector<OperandAt> majority;  // the RowMajor or ColMajor decoration itself
    bool block = false;               // a uniform block's own struct, not one inside it
};

// The uniform blocks' types of a module read by SpirvModule (whose reading guarantees the operands
// indexed here), and the edits of their layout decorations.
class Module {
public:
    explicit Module(SpirvModule& spirv) : spirv(spirv) { Read(); }

    const Type* Find(std::uint32_t id) const
    {
        const auto it = types.find(id);
        return it == types.end() ? nullptr : &it->second;
    }
    // The struct types of the Uniform-storage blocks, in the order their variables are declared.
    const std::vector<std::uint32_t>& Blocks() const { return blocks; }
    void Patch(const OperandAt& at, std::uint32_t value)
    {
        if (at.known) {
            spirv.SetOperand(at.instruction, at.operand, value);
        }
    }

private:
    // What the scan gathers besides the types, for resolving them once every instruction is read.
    struct Scan {
        std::map<std::uint32_t, std::uint32_t> constants, pointee;
        std::set<std::uint32_t> blockTypes;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> variables;  // pointer type, storage class
        std::map<std::uint32_t, std::string> names;
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::string> memberNames;
        struct MemberDecoration {
            std::uint32_t type, member, decoration;
            OperandAt kind, literal;
        };
        std::vector<MemberDecoration> memberDecorations;
        std::vector<std::pair<std::uint32_t, OperandAt>> arrayStrides;
    };

    void Read()
    {
        Scan scan;
        for (std::size_t i = 0; i < spirv.instructions.size(); ++i) {
            if (!ReadType(spirv.instructions[i], scan)) {
                Gather(spirv.instructions[i], i, scan);
            }
        }
        Resolve(scan);
    }

    // A type declaration into `types`; false for any other instruction.
    bool ReadType(const SpirvInstruction& instruction, const Scan& scan)
    {
        const std::vector<std::uint32_t>& o = instruction.operands;
        switch (instruction.opcode) {
        case SpvOpTypeBool: types[o[0]] = Scalar(EffectBaseType::Bool, true); return true;
        case SpvOpTypeInt:
            types[o[0]] = Scalar(o[2] != 0 ? EffectBaseType::Int : EffectBaseType::UInt, o[1] == 32);
            return true;
        case SpvOpTypeFloat: types[o[0]] = Scalar(EffectBaseType::Float, o[1] == 32); return true;
        case SpvOpTypeVector: {
            Type t = Base(o[1]);
            t.kind = Kind::Vector;
            t.element = o[1];
            t.components = o[2];
            types[o[0]] = t;
            return true;
        }
        case SpvOpTypeMatrix: {
            Type t = Base(o[1]);
            t.kind = Kind::Matrix;
            t.element = o[1];
            const Type* column = Find(o[1]);
            t.components = column != nullptr ? column->components : 4;
            t.columns = o[2];
            types[o[0]] = t;
            return true;
        }
        case SpvOpTypeArray: {
            Type t;
            t.kind = Kind::Array;
            t.element = o[1];
            const auto length = scan.constants.find(o[2]);
            t.length = length != scan.constants.end() ? length->second : 0;
            types[o[0]] = t;
            return true;
        }
        case SpvOpTypeStruct: {
            Type t;
            t.kind = Kind::Struct;
            t.members.assign(o.begin() + 1, o.end());
            t.offset.assign(t.members.size(), {});
            t.matrixStride.assign(t.members.size(), {});
            t.rowMajor.assign(t.members.size(), false);
            t.majority.assign(t.members.size(), {});
            types[o[0]] = t;
            return true;
        }
        default: return false;
        }
    }

    // Names, decorations, pointers, constants and variables: instruction `at` of the module.
    static void Gather(const SpirvInstruction& instruction, std::size_t at, Scan& scan)
    {
        const std::vector<std::uint32_t>& o = instruction.operands;
        switch (instruction.opcode) {
        case SpvOpName: scan.names[o[0]] = SpirvModule::LiteralString(instruction, 1); break;
        case SpvOpMemberName: scan.memberNames[{o[0], o[1]}] = SpirvModule::LiteralString(instruction, 2); break;
        case SpvOpDecorate:
            if (o[1] == SpvDecorationBlock) {
                scan.blockTypes.insert(o[0]);
            }
            if (o[1] == SpvDecorationArrayStride) {
                scan.arrayStrides.emplace_back(o[0], OperandAt{true, at, 2});
            }
            break;
        case SpvOpMemberDecorate:
            scan.memberDecorations.push_back(
                {o[0], o[1], o[2], OperandAt{true, at, 2}, o.size() > 3 ? OperandAt{true, at, 3} : OperandAt{}});
            break;
        case SpvOpTypePointer: scan.pointee[o[0]] = o[2]; break;
        case SpvOpConstant: scan.constants[o[1]] = o[2]; break;
        case SpvOpVariable: scan.variables.emplace_back(o[0], o[2]); break;
        default: break;
        }
    }

    // Struct names and layout decorations onto the types; the Uniform blocks in declaration order.
    void Resolve(const Scan& scan)
    {
        for (auto& [id, t] : types) {
            if (t.kind != Kind::Struct) {
                continue;
            }
            const auto n = scan.names.find(id);
            if (n != scan.names.end()) {
                t.name = n->second;
            }
            t.block = scan.blockTypes.count(id) != 0;
            t.memberNames.resize(t.members.size());
            for (std::size_t m = 0; m < t.members.size(); ++m) {
                const auto mn = scan.memberNames.find({id, static_cast<std::uint32_t>(m)});
                if (mn != scan.memberNames.end()) {
                    t.memberNames[m] = mn->second;
                }
            }
        }
        for (const Scan::MemberDecoration& d : scan.memberDecorations) {
            const auto it = types.find(d.type);
            if (it == types.end() || it->second.kind != Kind::Struct || d.member >= it->second.members.size()) {
                continue;
            }
            Type& t = it->second;
            if (d.decoration == SpvDecorationOffset) {
                t.offset[d.member] = d.literal;
            }
            if (d.decoration == SpvDecorationMatrixStride) {
                t.matrixStride[d.member] = d.literal;
            }
            if (d.decoration == SpvDecorationRowMajor || d.decoration == SpvDecorationColMajor) {
                t.rowMajor[d.member] = d.decoration == SpvDecorationRowMajor;
                t.majority[d.member] = d.kind;
            }
        }
        for (const auto& [id, literal] : scan.arrayStrides) {
            const auto it = types.find(id);
            if (it != types.end()) {
                it->second.arrayStride = literal;
            }
        }
        for (const auto& [pointer, storage] : scan.variables) {
            const auto pointed = scan.pointee.find(pointer);
            if (storage != SpvStorageClassUniform || pointed == scan.pointee.end()) {
                continue;
            }
            const std::uint32_t block = pointed->second;
            if (scan.blockTypes.count(block) != 0 && std::find(blocks.begin(), blocks.end(), block) == blocks.end()) {
                blocks.push_back(block);
            }
        }
    }

    static Type Scalar(EffectBaseType base, bool supported)
    {
        Type t;
        t.kind = Kind::Scalar;
        t.base = base;
        t.supportedScalar = supported;
        return t;
    }
    Type Base(std::uint32_t component) const
    {
        const Type* c = Find(component);
        return c != nullptr ? *c : Type{};
    }

    SpirvModule& spirv;
    std::map<std::uint32_t, Type> types;
    std::vector<std::uint32_t> blocks;
};

// What a member is in HLSL terms. A matrix one row or one column wide reaches SPIR-V as a vector;
// its declaration supplies the rest.
struct Shape {
    std::uint32_t rows = 1, columns = 1;  // HLSL rows and columns (a vector: 1 row)
    bool matrix = false;
    bool columnMajor = false;
    bool degenerate = false;  // a matrix compiled as a vector
};

struct Placement {
    std::uint32_t size = 0;  // bytes, padding of the last register excluded
    bool newRegister = false;
};

class Packer {
public:
    Packer(Module& module, const EffectSource& source, EffectDiagnostic& error)
        : module(module),
          source(source),
          error(error)
    {}

    bool Pack(std::uint32_t blockType, PackedBuffer& out)
    {
        const Type* block = module.Find(blockType);
        if (block == nullptr || block->kind != Kind::Struct) {
            return Fail({}, "a constant buffer has an unreadable type");
        }
        out.blockType = blockType;
        out.name = block->name;
        if (out.name == "$Global" || out.name == "_Global" || out.name.empty()) {
            out.name = "$Globals";
        }
        std::uint32_t end = 0;
        if (!LayOutStruct(*block, out.name, &out, end)) {
            return false;
        }
        out.size = RoundUp(std::max(end, 1u), kRegister);
        if (out.size > kEffectMaxBufferSize) {
            return Fail(Decl(out.name, block->memberNames.empty() ? "" : block->memberNames.back()),
                        "constant buffer '" + out.name + "' is larger than 64 KiB (4096 registers)");
        }
        std::uint32_t gpuEnd = 0;
        Std140Struct(*block, gpuEnd);
        out.gpuSize = RoundUp(std::max(gpuEnd, 1u), kRegister);
        if (out.gpuSize > kEffectMaxBufferSize) {
            return Fail(Decl(out.name, block->memberNames.empty() ? "" : block->memberNames.back()),
                        "constant buffer '" + out.name +
                            "' needs more than 64 KiB once its arrays are padded for GLSL");
        }
        // Copy map: every 4-byte component from its Direct3D offset to its std140 one.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
        Components(*block, out.name, 0, 0, pairs);
        std::sort(pairs.begin(), pairs.end());
        bool same = out.size == out.gpuSize;
        for (const auto& [from, to] : pairs) {
            same = same && from == to;
            if (!out.runs.empty() && out.runs.back().from + out.runs.back().bytes == from &&
                out.runs.back().to + out.runs.back().bytes == to) {
                out.runs.back().bytes += 4;
            } else {
                out.runs.push_back({from, to, 4});
            }
        }
        if (same) {
            out.runs.clear();
        }
        return true;
    }

private:
    bool Fail(const EffectSourceLocation& where, const std::string& text)
    {
        error = {where.file.empty() ? source.mainFile : where.file,
                 where.file.empty() ? 1 : where.line,
                 where.file.empty() ? 1 : where.column,
                 true,
                 "X3000",
                 text};
        return false;
    }
    const EffectMemberDecl* Note(const std::string& scope, const std::string& member) const
    {
        const auto it = source.memberDecls.find(EffectMemberKey(scope, member));
        return it == source.memberDecls.end() ? nullptr : &it->second;
    }
    EffectSourceLocation Decl(const std::string& scope, const std::string& member) const
    {
        const EffectMemberDecl* d = Note(scope, member);
        return d != nullptr ? d->where : EffectSourceLocation{};
    }

    // The innermost non-array type of `id`, and the product of the array lengths around it (0 when
    // not an array; 0xFFFFFFFF when a length is unknown or the product too large).
    const Type* Innermost(std::uint32_t id, std::uint32_t& elements) const
    {
        elements = 0;
        std::uint64_t product = 1;
        bool array = false;
        const Type* t = module.Find(id);
        while (t != nullptr && t->kind == Kind::Array) {
            array = true;
            product = t->length == 0 ? 0x100000000ull : std::min<std::uint64_t>(product * t->length, 0x100000000ull);
            t = module.Find(t->element);
        }
        if (array) {
            elements = product >= 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(product);
        }
        return t;
    }

    Shape ShapeOf(const Type& t, const Type& parent, std::size_t member, const std::string& scope) const
    {
        Shape s;
        const EffectMemberDecl* d = Note(scope, parent.memberNames[member]);
        if (t.kind == Kind::Vector) {
            s.columns = t.components;
        }
        if (t.kind == Kind::Matrix) {
            s.matrix = true;
            s.rows = t.columns;
            s.columns = t.components;
            s.columnMajor = parent.rowMajor[member];
        }
        if (d != nullptr && d->matrixRows != 0 && (t.kind == Kind::Vector || t.kind == Kind::Scalar)) {
            s.matrix = true;
            s.degenerate = true;
            s.rows = d->matrixRows;
            s.columns = d->matrixColumns;
            s.columnMajor = !d->rowMajor;
        }
        return s;
    }

    static Placement MatrixPlacement(const Shape& s)
    {
        const std::uint32_t lines = s.columnMajor ? s.columns : s.rows;
        const std::uint32_t width = s.columnMajor ? s.rows : s.columns;
        return {(lines - 1) * kRegister + 4 * width, lines > 1};
    }

    // Direct3D's size of one element of `t` (arrays and structs start a register).
    bool ElementPlacement(const Type& t, const Shape& s, const std::string& where, Placement& p)
    {
        switch (t.kind) {
        case Kind::Scalar:
        case Kind::Vector:
            if (s.degenerate) {
                p = MatrixPlacement(s);
            } else {
                p = {4 * s.columns, false};
            }
            return true;
        case Kind::Matrix: p = MatrixPlacement(s); return true;
        case Kind::Struct: {
            std::uint32_t end = 0;
            if (!LayOutStruct(t, t.name, nullptr, end)) {
                return false;
            }
            p = {end, true};
            return true;
        }
        default: return Fail({}, where + " has a type that cannot be placed in a constant buffer");
        }
    }

    // A buffer member's variable record, but for its place (offset and size). `d` is its declaration,
    // which tells a bool from the uint it compiles to.
    static EffectVariable MemberVariable(const std::string& name, const Type& t, const Shape& s,
                                         const EffectMemberDecl* d, std::uint32_t elements, std::uint32_t stride)
    {
        EffectVariable v;
        v.name = name;
        v.kind = EffectVariableKind::Numeric;
        v.baseType = t.kind == Kind::Struct ? EffectBaseType::Struct : t.base;
        if (d != nullptr && d->declaredBool && v.baseType != EffectBaseType::Struct) {
            v.baseType = EffectBaseType::Bool;
        }
        v.rows = s.rows;
        v.columns = s.columns;
        v.columnMajor = s.matrix && s.columnMajor;
        v.matrix = s.matrix;
        v.elements = elements;
        v.elementStride = stride;
        return v;
    }

    // Lays out the members of a struct (or of a buffer, when `out` is given) by Direct3D's rules;
    // `end` receives the end of the last member.
    bool LayOutStruct(const Type& st, const std::string& scope, PackedBuffer* out, std::uint32_t& end)
    {
        std::uint32_t at = 0;
        bool anyPacked = false, anyUnpacked = false;
        struct Taken {
            std::uint32_t from, to;
            std::string name;
        };
        std::vector<Taken> taken;
        for (std::size_t m = 0; m < st.members.size(); ++m) {
            const std::string& name = st.memberNames[m];
            const EffectSourceLocation where = Decl(scope, name);
            std::uint32_t elements = 0;
            const Type* t = Innermost(st.members[m], elements);
            if (t == nullptr || t->kind == Kind::Other) {
                return Fail(where, "'" + name + "' has a type that cannot be placed in a constant buffer");
            }
            const Type* scalar = t->kind == Kind::Struct ? nullptr : t;
            if (scalar != nullptr && !scalar->supportedScalar) {
                return Fail(where, "'" + name + "': 64-bit and 16-bit numbers are not supported in constant buffers");
            }
            const Shape s = ShapeOf(*t, st, m, scope);
            Placement p;
            if (!ElementPlacement(*t, s, "'" + name + "'", p)) {
                return false;
            }
            std::uint32_t stride = 0;
            if (elements > 0) {
                if (elements == 0xFFFFFFFFu) {
                    return Fail(where, "'" + name + "' has an array size that cannot be read");
                }
                stride = RoundUp(p.size, kRegister);
                const std::uint64_t size = std::uint64_t{elements - 1} * stride + p.size;
                if (size > kEffectMaxBufferSize) {
                    return Fail(where, "'" + name + "' is larger than a constant buffer");
                }
                p = {static_cast<std::uint32_t>(size), true};
            }
            const EffectMemberDecl* d = Note(scope, name);
            std::uint32_t offset = 0;
            if (d != nullptr && d->hasPackOffset && out != nullptr) {
                anyPacked = true;
                offset = d->packOffset;
                if (p.newRegister && offset % kRegister != 0) {
                    return Fail(where, "packoffset of '" + name +
                                           "' must name component x of a register, since it starts a "
                                           "register");
                }
                if (!p.newRegister && offset % kRegister + p.size > kRegister) {
                    return Fail(where, "packoffset of '" + name + "' makes it straddle a register boundary");
                }
            } else {
                anyUnpacked = true;
                offset = at;
                if (p.newRegister || at % kRegister + p.size > kRegister) {
                    offset = RoundUp(at, kRegister);
                }
            }
            if (anyPacked && anyUnpacked) {
                return Fail(where, "'" + name + "': in a constant buffer that uses packoffset, every member needs one");
            }
            for (const Taken& other : taken) {
                if (offset < other.to && other.from < offset + p.size) {
                    return Fail(where,
                                "'" + name + "' overlaps '" + other.name + "' in constant buffer '" + scope + "'");
                }
            }
            taken.push_back({offset, offset + p.size, name});
            at = std::max(at, offset + p.size);
            if (out != nullptr) {
                EffectVariable v = MemberVariable(name, *t, s, d, elements, stride);
                v.offset = offset;
                v.size = p.size;
                out->members.push_back(v);
                out->memberDecls.push_back(where);
            }
        }
        end = at;
        return true;
    }

    // std140, rewritten into the module: what the GLSL block will declare.

    // Whether member `m` of `st` is stored row by row (in SPIR-V's terms) in the std140 copy. GLSL
    // takes a matrix's majority only as a qualifier of a member of the block itself: on a struct
    // member it covers every matrix inside, of either majority, and drivers warn that it may be
    // refused. So a matrix inside a struct is stored column by column whatever its majority in
    // Direct3D's layout, and the copy (Components) moves each element to its place.
    static bool GlRowMajor(const Type& st, std::size_t m) { return st.block && st.rowMajor[m]; }

    static std::uint32_t Std140Align(const Type& t)
    {
        if (t.kind == Kind::Scalar) {
            return 4;
        }
        return t.kind == Kind::Vector && t.components == 2 ? 8 : 16;
    }

    std::uint32_t Std140Size(std::uint32_t id, bool rowMajor)
    {
        const Type* t = module.Find(id);
        if (t == nullptr) {
            return 0;
        }
        switch (t->kind) {
        case Kind::Scalar: return 4;
        case Kind::Vector: return 4 * t->components;
        case Kind::Matrix: return kRegister * (rowMajor ? t->components : t->columns);
        case Kind::Array: {
            const std::uint32_t stride = RoundUp(Std140Size(t->element, rowMajor), kRegister);
            module.Patch(t->arrayStride, stride);
            return stride * t->length;
        }
        case Kind::Struct: {
            std::uint32_t end = 0;
            Std140Struct(*t, end);
            return RoundUp(end, kRegister);
        }
        default: return 0;
        }
    }

    void Std140Struct(const Type& st, std::uint32_t& end)
    {
        std::uint32_t at = 0;
        for (std::size_t m = 0; m < st.members.size(); ++m) {
            const Type* t = module.Find(st.members[m]);
            if (t == nullptr) {
                continue;
            }
            const std::uint32_t size = Std140Size(st.members[m], GlRowMajor(st, m));
            at = RoundUp(at, Std140Align(*t));
            module.Patch(st.offset[m], at);
            module.Patch(st.matrixStride[m], kRegister);
            module.Patch(st.majority[m], GlRowMajor(st, m) ? SpvDecorationRowMajor : SpvDecorationColMajor);
            at += size;
        }
        end = at;
    }

    // Every 4-byte component of the members of `st`: (Direct3D offset, std140 offset).
    void Components(const Type& st, const std::string& scope, std::uint32_t d3dBase, std::uint32_t glBase,
                    std::vector<std::pair<std::uint32_t, std::uint32_t>>& out)
    {
        std::uint32_t d3dEnd = 0;
        // The Direct3D offsets of this struct's members, as LayOutStruct placed them.
        PackedBuffer tmp;
        LayOutStruct(st, scope, &tmp, d3dEnd);
        std::uint32_t glAt = 0;
        for (std::size_t m = 0; m < st.members.size(); ++m) {
            const Type* mt = module.Find(st.members[m]);
            if (mt == nullptr || m >= tmp.members.size()) {
                continue;
            }
            const std::uint32_t glSize = Std140Size(st.members[m], GlRowMajor(st, m));
            glAt = RoundUp(glAt, Std140Align(*mt));
            const EffectVariable& v = tmp.members[m];
            Element(st.members[m], st, m, scope, v, d3dBase + v.offset, glBase + glAt, out);
            glAt += glSize;
        }
    }

    void Element(std::uint32_t id, const Type& parent, std::size_t member, const std::string& scope,
                 const EffectVariable& v, std::uint32_t d3d, std::uint32_t gl,
                 std::vector<std::pair<std::uint32_t, std::uint32_t>>& out)
    {
        const Type* t = module.Find(id);
        if (t == nullptr) {
            return;
        }
        if (t->kind == Kind::Array) {
            const Type* inner = module.Find(t->element);
            if (inner == nullptr) {
                return;
            }
            const std::uint32_t glStride = RoundUp(Std140Size(t->element, GlRowMajor(parent, member)), kRegister);
            // Direct3D's stride of this level: its element's span rounded to whole registers.
            std::uint32_t innerElements = 0;
            Innermost(t->element, innerElements);
            const std::uint32_t perElement = std::max(innerElements, 1u);
            const std::uint32_t d3dStride = v.elementStride * perElement;
            for (std::uint32_t e = 0; e < t->length; ++e) {
                Element(t->element, parent, member, scope, v, d3d + e * d3dStride, gl + e * glStride, out);
            }
            return;
        }
        if (t->kind == Kind::Struct) {
            Components(*t, t->name, d3d, gl, out);
            return;
        }
        const Shape s = ShapeOf(*t, parent, member, scope);
        if (t->kind == Kind::Matrix) {
            // HLSL element (r, c) is SPIR-V column r, row c.
            for (std::uint32_t r = 0; r < s.rows; ++r) {
                for (std::uint32_t c = 0; c < s.columns; ++c) {
                    const std::uint32_t d3dAt = s.columnMajor ? c * kRegister + r * 4 : r * kRegister + c * 4;
                    const std::uint32_t glAt = GlRowMajor(parent, member) ? c * kRegister + r * 4
                                                                          : r * kRegister + c * 4;
                    out.emplace_back(d3d + d3dAt, gl + glAt);
                }
            }
            return;
        }
        if (s.degenerate) {
            // The vector holds the matrix's elements in order: along its one row, or down its one column.
            for (std::uint32_t i = 0; i < t->components; ++i) {
                const std::uint32_t r = s.rows == 1 ? 0 : i, c = s.rows == 1 ? i : 0;
                const std::uint32_t d3dAt = s.columnMajor ? c * kRegister + r * 4 : r * kRegister + c * 4;
                out.emplace_back(d3d + d3dAt, gl + 4 * i);
            }
            return;
        }
        for (std::uint32_t i = 0; i < t->components; ++i) {
            out.emplace_back(d3d + 4 * i, gl + 4 * i);
        }
    }

    Module& module;
    const EffectSource& source;
    EffectDiagnostic& error;
};

}  // namespace

bool PackConstantBuffers(SpirvModule& spirv, const EffectSource& source, std::vector<PackedBuffer>& out,
                         EffectDiagnostic& error)
{
    Module module(spirv);
    Packer packer(module, source, error);
    for (std::uint32_t block : module.Blocks()) {
        PackedBuffer b;
        if (!packer.Pack(block, b)) {
            return false;
        }
        out.push_back(std::move(b));
    }
    return true;
}
