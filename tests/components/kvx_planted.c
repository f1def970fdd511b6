/* A stand-in for a version.dll left beside the program: the version calls
   as stubs, and a marker file, "planted.loaded" in its own folder, written
   as soon as anything loads it. */
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

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR name, LPDWORD handle) {
    (void)name;
    (void)handle;
    return 0;
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR name, DWORD handle, DWORD size, LPVOID data) {
    (void)name;
    (void)handle;
    (void)size;
    (void)data;
    return FALSE;
}

/* Wine's own user32 imports these; Windows' does not. */
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR name, LPDWORD handle) {
    (void)name;
    (void)handle;
    return 0;
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR name, DWORD handle, DWORD size, LPVOID data) {
    (void)name;
    (void)handle;
    (void)size;
    (void)data;
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR key, LPVOID* value, PUINT length) {
    (void)block;
    (void)key;
    (void)value;
    (void)length;
    return FALSE;
}
