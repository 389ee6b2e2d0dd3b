/*
 * Linked into every program of a sanitizer build, and only there. Mesa's GL driver is
 * unloaded when the display closes, before LeakSanitizer looks at the heap:
 * the memory its globals held then looks leaked, and its allocations have no
 * module name left to tell whose they are. Loading the driver once more, never
 * to be unloaded, keeps its globals in view, so that no suppression is needed
 * for it and any leak reported is a real one.
 */
#include <dlfcn.h>

__attribute__((constructor)) static void KeepGlDriverLoaded(void) {
    dlopen("libGLX_mesa.so.0", RTLD_LAZY | RTLD_NODELETE);
    dlopen(MORVANE_DRI_DIR "/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
}
