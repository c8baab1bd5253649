// Preloaded into the sanitizer test runs (LD_PRELOAD, see CMakePresets.json): a GL driver module
// ("*_dri.so") is never unloaded, whatever EGL, GLX or SDL ask.
//
// Mesa's driver makes one-time allocations (behind pthread_once) that only its own globals point
// to. When the last display closes, libEGL_mesa or libGLX_mesa unloads the driver, the globals go
// with it, and LeakSanitizer reports those allocations as leaks at exit. It cannot be told to
// ignore them either: the frames lie in a module that is gone, so a suppression has no name to
// match. Kept loaded, the allocations stay reachable and only leaks of our own are reported.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <link.h>
#include <string.h>

int dlclose(void* handle)
{
    static int (*next)(void*);
    if (next == NULL) {
        next = (int (*)(void*))dlsym(RTLD_NEXT, "dlclose");
    }
    struct link_map* module = NULL;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &module) == 0 && module != NULL && module->l_name != NULL) {
        static const char suffix[] = "_dri.so";
        const size_t length = strlen(module->l_name);
        if (length >= sizeof suffix - 1 && strcmp(module->l_name + length - (sizeof suffix - 1), suffix) == 0) {
            return 0;
        }
    }
    return next(handle);
}
