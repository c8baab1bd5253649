#pragma once
// One diagnostic in the byte form both the compiled-effect cache and the compile child use.
#include <cstdint>

#include "fxruntime/EffectSource.h"
#include "platform/blobs/ByteStream.h"

inline void WriteDiagnostic(ByteWriter& w, const EffectDiagnostic& d)
{
    w.Str(d.file);
    w.I32(d.line);
    w.I32(d.column);
    w.Bool(d.error);
    w.Str(d.code);
    w.Str(d.text);
}

// False when the bytes do not hold one, or a text is longer than maxText.
inline bool ReadDiagnostic(ByteReader& r, EffectDiagnostic& d, std::uint32_t maxText)
{
    return r.Str(d.file, maxText, true) && r.I32(d.line) && r.I32(d.column) && r.Bool(d.error) &&
           r.Str(d.code, maxText, true) && r.Str(d.text, maxText, true);
}
