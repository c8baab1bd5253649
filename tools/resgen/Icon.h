#pragma once
// The program's icon: the show's sheep on a night-blue tile, drawn from the same mesh the show
// loads, by a small rasterizer of its own (the build has no GL context to render with).
#include "tools/resgen/ImageWriter.h"

namespace resgen {

// A size x size RGBA icon (size from 16 to 1024); the corners outside the rounded tile are clear.
Image RenderIcon(int size);

// The sizes installed under share/icons/hicolor/<size>x<size>/apps/.
inline constexpr int kIconSizes[] = {48, 128, 256};

}  // namespace resgen
