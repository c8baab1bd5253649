// Preloaded into every process of the sanitizer test runs (LD_PRELOAD, CMakePresets.json): no
// module is ever unloaded.
//
// Libraries loaded at run time keep blocks that only their own globals point to: Mesa's GL driver
// (its one-time allocations, once EGL or GLX unloads it when the last display closes), and the
// libraries SDL and SDL_mixer load and unload at exit. Once the module is gone, LeakSanitizer
// reports those blocks against an "unknown module", and no suppression can name it. Kept loaded,
// the blocks stay reachable, as they would be had the library been linked, while leaks of our own
// code (never unloaded) are still found.
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
