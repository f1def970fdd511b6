/* Shared bits of the test components: their own path and marker files. */
#ifndef KVX_COMPONENT_H
#define KVX_COMPONENT_H

#include <windows.h>

/* Full path of the component file, the module this function lies in; 0
   when it does not fit. */
static inline DWORD kvx_own_path(char* path, DWORD size) {
    HMODULE self = NULL;
    DWORD length;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)&kvx_own_path, &self);
    length = GetModuleFileNameA(self, path, size);
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

/* Creates HKCU\<key>\InprocServer32 with this file's path as its default
   value, ThreadingModel "Apartment" and, when `name` is given, `name` =
   `value`. */
static inline HRESULT kvx_register_class(const char* key, const char* name, const char* value) {
    char path[MAX_PATH];
    char server[300];
    DWORD length = kvx_own_path(path, MAX_PATH);
    HKEY handle;
    LONG status;
    if (length == 0) return E_FAIL;
    lstrcpyA(server, key);
    lstrcatA(server, "\\InprocServer32");
    status = RegCreateKeyExA(HKEY_CURRENT_USER, server, 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExA(handle, NULL, 0, REG_SZ, (const BYTE*)path, length + 1);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(handle, "ThreadingModel", 0, REG_SZ, (const BYTE*)"Apartment", sizeof("Apartment"));
    if (status == ERROR_SUCCESS && name != NULL)
        status = RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE*)value, (DWORD)lstrlenA(value) + 1);
    RegCloseKey(handle);
    return HRESULT_FROM_WIN32(status);
}

/* Removes HKCU\<key> with everything below it; a missing key is no error. */
static inline HRESULT kvx_unregister_class(const char* key) {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, key);
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

#endif
