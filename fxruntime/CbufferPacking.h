#pragma once
// Constant buffers in two layouts. Variables, SetRawValue and the listing use Direct3D 11's
// packing (16-byte registers, no member straddling a register, arrays, structs and multi-line
// matrices starting a register, array elements one register apart with the last one unpadded).
// GLSL cannot declare most of those offsets, so the generated code reads a std140 copy of the
// buffer, and the runtime copies the bytes over (EffectConstantBuffer::runs) when they differ.
//
// Both layouts are computed from the compiled SPIR-V, with what only the source knows (packoffset,
// matrices one row or one column wide, which the HLSL compiler is handed as vectors) taken from the
// front end's member declarations. The SPIR-V's offsets and strides are rewritten to std140 here.
#include <cstdint>
#include <string>
#include <vector>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectSource.h"

struct PackedBuffer {
    std::uint32_t blockType = 0;                    // SPIR-V id of the block's struct type
    std::string name;                               // "$Globals" for the implicit buffer
    std::uint32_t size = 0;                         // bytes in Direct3D's layout, a multiple of 16
    std::uint32_t gpuSize = 0;                      // bytes in the std140 copy
    std::vector<EffectVariable> members;            // kind Numeric, Direct3D offsets; `buffer` is left 0
    std::vector<EffectCopyRun> runs;                // Direct3D offsets to std140 ones; empty when equal
    std::vector<EffectSourceLocation> memberDecls;  // where each member is declared (may be empty)
};

class SpirvModule;

// Lays out every uniform block of `spirv`, in the order their variables are declared, and rewrites
// the blocks' offsets and strides to std140. The blocks are found among the instructions it was read
// with (the types a rewrite added are nobody's block). False with `error` set (at the member's
// declaration where one is known) when a buffer cannot be laid out.
bool PackConstantBuffers(SpirvModule& spirv, const EffectSource& source, std::vector<PackedBuffer>& out,
                         EffectDiagnostic& error);
