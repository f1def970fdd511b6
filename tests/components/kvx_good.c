/* Registers a class under HKCU (no elevation needed) with InprocServer32 =
   this file's path, and removes it again on unregistration. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}"

HMODULE kvx_self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) kvx_self = instance;
    return TRUE;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    char path[MAX_PATH];
    DWORD length = kvx_own_path(path, MAX_PATH);
    HKEY key;
    LONG status;
    if (length == 0) return E_FAIL;
    status = RegCreateKeyExA(HKEY_CURRENT_USER, KVX_CLASS_KEY "\\InprocServer32", 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                             NULL);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)path, length + 1);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, (const BYTE*)"Apartment", sizeof("Apartment"));
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(status);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, KVX_CLASS_KEY);
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}
