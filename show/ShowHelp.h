#pragma once
// The parts of --help that vexa-rhino and vexa-rhino-capture share: the environment they read and
// the files they read and write. The manual pages are made from --help, so this is also their text;
// README.md has the same tables at more length.

// Every variable either program reads, one per line as "  NAME  what it does".
inline constexpr const char* kShowEnvironmentHelp =
    "Environment:\n"
    "  SHOW_EFFECT_CACHE_DIR=DIR  folder of the compiled-effect cache\n"
    "  SHOW_EFFECT_CACHE=0  no compiled-effect cache: every start compiles the effect files\n"
    "  XDG_CACHE_HOME, HOME  where the cache goes without SHOW_EFFECT_CACHE_DIR (XDG_CACHE_HOME only when absolute)\n"
    "  SHOW_STARTUP_TIMES=1  one line per start-up step with its time\n"
    "  SHOW_REPORT_LIVE_OBJECTS=1  the number of graphics objects still alive at exit (0 is right)\n"
    "  SHOW_GL_STATE_CACHE=0  every draw re-issues all GL state (a comparison for the state cache)\n"
    "  SHOW_GL_VERSION_CAP=NN  pretend the GL version is at most N.N\n"
    "  SHOW_EGL_PLATFORM=P  headless, the only EGL platform to try: device, surfaceless or default (without it: "
    "the device platform's GPUs, its software devices, surfaceless, default, in turn)\n"
    "  SHOW_EGL_DEVICE=N  headless, the EGL device to render on, counted as EGL enumerates them\n"
    "  SHOW_GL_INFO=1  one line at the start: GL vendor, renderer, version and where the context came from\n"
    "  SHOW_GL_DEBUG=1  a GL debug context; every driver message is printed once, GL objects carry the show's "
    "names\n"
    "  DISPLAY, WAYLAND_DISPLAY  the display; with neither, vexa-rhino plays headless\n"
    "  SDL_AUDIODRIVER, SDL_VIDEODRIVER  SDL's drivers (vexa-rhino-capture uses SDL_AUDIODRIVER=dummy unless set)\n"
    "  LP_NUM_THREADS, MESA_LOADER_DRIVER_OVERRIDE, LIBGL_ALWAYS_SOFTWARE  Mesa's threads and driver\n";

// What both programs read and write, in the same form.
inline constexpr const char* kShowFilesHelp =
    "Files:\n"
    "  Res/  the assets and effect files: in the working directory, else beside the program, else in "
    "../share/vexa-rhino/Res beside it\n"
    "  ~/.cache/vexa-rhino/effects/  the compiled-effect cache ($SHOW_EFFECT_CACHE_DIR, else "
    "$XDG_CACHE_HOME/vexa-rhino/effects), at most 64 MiB\n";
