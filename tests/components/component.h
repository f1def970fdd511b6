/* Shared bits of the test components: marker files and class keys, written with ANSI calls. */
#ifndef KVX_COMPONENT_H
#define KVX_COMPONENT_H

#include <windows.h>

#include <string.h>

/* The component's own module, by the linker's name for it. */
extern IMAGE_DOS_HEADER __ImageBase; /* NOLINT(bugprone-reserved-identifier) */

/* Creates an empty file named `name` in the component's own folder. */
static inline void kvx_write_marker(const char* name) {
    char path[MAX_PATH + 64];
    GetModuleFileNameA((HMODULE)&__ImageBase, path, MAX_PATH);
    lstrcpyA(strrchr(path, '\\') + 1, name);
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
}

/* Creates HKCU\<key>\InprocServer32 with this file's path as its default
   value, ThreadingModel "Apartment" and, when `name` is given, `name` =
   `value`. */
static inline HRESULT kvx_register_class(const char* key, const char* name, const char* value) {
    char path[MAX_PATH], server[300];
    LONG status;
    GetModuleFileNameA((HMODULE)&__ImageBase, path, MAX_PATH);
    lstrcatA(lstrcpyA(server, key), "\\InprocServer32");
    status = RegSetKeyValueA(HKEY_CURRENT_USER, server, NULL, REG_SZ, path, lstrlenA(path) + 1);
    if (status == ERROR_SUCCESS)
        status = RegSetKeyValueA(HKEY_CURRENT_USER, server, "ThreadingModel", REG_SZ, "Apartment", sizeof("Apartment"));
    if (status == ERROR_SUCCESS && name != NULL)
        status = RegSetKeyValueA(HKEY_CURRENT_USER, server, name, REG_SZ, value, lstrlenA(value) + 1);
    return HRESULT_FROM_WIN32(status);
}

/* Sets HKCU\<key>'s number `name` to `value`. */
static inline LONG kvx_set_number(const char* key, const char* name, DWORD value) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value));
}

/* Removes HKCU\<key> with everything below it; a missing key is no error. */
static inline HRESULT kvx_unregister_class(const char* key) {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, key);
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

#endif
