/* Shared bits of the test components: their own path and marker files. */
#ifndef KVX_COMPONENT_H
#define KVX_COMPONENT_H

#include <windows.h>

/* The component's module handle, kept by its DllMain. */
extern HMODULE kvx_self;

/* Full path of the component file; 0 when it does not fit. */
static inline DWORD kvx_own_path(char* path, DWORD size) {
    DWORD length = GetModuleFileNameA(kvx_self, path, size);
    return length < size ? length : 0;
}

/* Creates an empty file named `name` in the component's own folder. */
static inline void kvx_write_marker(const char* name) {
    char path[MAX_PATH + 64];
    DWORD length = kvx_own_path(path, MAX_PATH);
    char* slash = path + length;
    while (slash > path && slash[-1] != '\\') --slash;
    if (slash == path) return;
    lstrcpyA(slash, name);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

#endif
