/* A stand-in for a version.dll left beside the program: the version calls
   (exported under their names by planted.def) answer with nothing, and a
   marker file, "planted.loaded" in its own folder, is written as soon as
   anything loads it. Wine's own user32 imports the wide calls; Windows'
   does not. */
#include "component.h"

HMODULE kvx_self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        kvx_self = instance;
        kvx_write_marker("planted.loaded");
    }
    return TRUE;
}

DWORD WINAPI kvx_no_size(const void* name, const DWORD* handle) {
    (void)name;
    (void)handle;
    return 0;
}

BOOL WINAPI kvx_no_block(const void* name, DWORD handle, DWORD size, void* data) {
    (void)name;
    (void)handle;
    (void)size;
    (void)data;
    return FALSE;
}

BOOL WINAPI kvx_no_value(const void* block, const void* key, void** value, const UINT* length) {
    (void)block;
    (void)key;
    (void)value;
    (void)length;
    return FALSE;
}
