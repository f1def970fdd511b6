/* A stand-in for a version.dll left beside the program: the version calls
   (exported under their names by planted.def) answer with nothing, and a
   marker file, "planted.loaded" in its own folder, is written as soon as
   anything loads it. Wine's own user32 imports the wide calls; Windows'
   does not. */
#include "component.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) kvx_write_marker("planted.loaded");
    return TRUE;
}

DWORD WINAPI kvx_no_size(const void* name, const DWORD* handle) { return 0; }

/* GetFileVersionInfo and VerQueryValue: four arguments of a word each. */
BOOL WINAPI kvx_no_block(const void* first, const void* second, const void* third, const void* fourth) { return FALSE; }
