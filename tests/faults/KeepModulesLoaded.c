/* Preloaded into the windowed runs of the sanitizer build. SDL and SDL_mixer load some libraries
 * at run time and unload them at exit; blocks those libraries still held then lose the globals
 * that pointed at them and LeakSanitizer reports them against an "unknown module", where no
 * suppression can name the library. Keeping every module loaded leaves such blocks reachable
 * (as they would be had the library been linked), while leaks of our own code are still found. */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
