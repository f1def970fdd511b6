/* Records what it sees, with ANSI calls, under HKCU\<key>:
   "Description" = "Société Générale für Müller © 1999" written as Windows-1252
   bytes (stored as text, they come out right only where the code page is the
   Western one), "ACP" = the code page it runs under, "ErrorMode" and
   "ThreadErrorMode" = the process's and the registering thread's error modes,
   and "LoadThreadErrorMode" = the error mode of the thread that loaded it.
   Unregistration removes the key. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}"

static const char kvx_text[] = "Soci\xE9t\xE9 G\xE9n\xE9rale f\xFCr M\xFCller \xA9 1999";
static DWORD kvx_load_thread_mode;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) kvx_load_thread_mode = GetThreadErrorMode();
    return TRUE;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    LONG status = RegSetKeyValueA(HKEY_CURRENT_USER, KVX_CLASS_KEY, "Description", REG_SZ, kvx_text, sizeof(kvx_text));
    if (status == ERROR_SUCCESS) status = kvx_set_number(KVX_CLASS_KEY, "ACP", GetACP());
    if (status == ERROR_SUCCESS) status = kvx_set_number(KVX_CLASS_KEY, "ErrorMode", GetErrorMode());
    if (status == ERROR_SUCCESS) status = kvx_set_number(KVX_CLASS_KEY, "ThreadErrorMode", GetThreadErrorMode());
    if (status == ERROR_SUCCESS) status = kvx_set_number(KVX_CLASS_KEY, "LoadThreadErrorMode", kvx_load_thread_mode);
    return HRESULT_FROM_WIN32(status);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
