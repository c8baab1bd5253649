#pragma once
// Runs the show in a test process: from the build's bin folder (assets relative to the working
// directory, effect files beside the "executable"), with headless windows and no sound card.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "effects/EffectPaths.h"
#include "platform/win32/Win32Platform.h"

#ifndef SHOW_BIN_DIR
#error "SHOW_BIN_DIR must name the build's bin folder"
#endif

inline std::wstring ShowExecutablePathForTests()
{
    return WideFromNarrow(SHOW_BIN_DIR "/vexa-rhino");
}

// False when the folder is missing (the assets were not generated).
inline bool EnterShowFolder()
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("LP_NUM_THREADS", "2", 0);
    SetExecutablePathSource(&ShowExecutablePathForTests);
    return chdir(SHOW_BIN_DIR) == 0;
}
