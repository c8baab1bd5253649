#pragma once
#include <string>

#include "tools/resgen/Mesh.h"

namespace resgen {

Mesh BuildSheepMesh();
// which: 1 title, 2 credit, 3 farewell. Throws std::runtime_error when the font cannot be read.
Mesh BuildTextMesh(int which, const std::string& fontPath);
Mesh BuildPodMesh();
Mesh BuildRoomMesh();

// The words of each text model, one string per line.
const char* const* TextLines(int which, int* lineCount);

}  // namespace resgen
