#pragma once
// The reader of the effect constructs in one effect file (and, through its includes, the files it
// names): techniques and passes, state blocks, resource and constant-buffer declarations, entry
// point functions and initializers. What it learns goes into `out`; its text with the constructs
// blanked out goes into out.strippedFiles.
#include <map>
#include <string>
#include <vector>

#include "fxruntime/EffectSource.h"

// `chain` lists the files being read, outermost first, `path` last. With `readFrom`, includes are
// taken from there instead of the disk (ReadIncludedFile).
void ParseEffectFile(EffectSource& out, const std::string& path, const std::string& text,
                     std::vector<std::string>& chain, const std::map<std::string, std::string>* readFrom = nullptr);
