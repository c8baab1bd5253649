/* Preloaded next to apitrace's EGL wrapper when tracing our programs. libepoxy asks the library it
 * opened as libGL for glXGetCurrentContext to learn whether a GLX context is current; apitrace hands
 * it the EGL wrapper instead, which has no such symbol, and libepoxy aborts. Answering "no GLX
 * context" lets libepoxy go on with EGL, and everything it resolves then goes through the wrapper. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>

typedef void* (*DlsymFunction)(void*, const char*);

static void* NoGlxContext(void)
{
    return NULL;
}

void* dlsym(void* handle, const char* name)
{
    static DlsymFunction next;
    if (!next) {
        next = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    }
    if (!next) {
        next = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    }
    void* found = next ? next(handle, name) : NULL;
    if (!found && strcmp(name, "glXGetCurrentContext") == 0) {
        return (void*)NoGlxContext;
    }
    return found;
}
