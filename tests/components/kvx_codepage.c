/* Records what its own ANSI calls make of a Western text: under HKCU\<key>,
   "Description" = "Société Générale für Müller © 1999" written as Windows-1252
   bytes, and "ACP" = the code page it runs under. Stored as text, the bytes
   come out right only where that code page is the Western one. Unregistration
   removes the key. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}"

static const char kvx_text[] = "Soci\xE9t\xE9 G\xE9n\xE9rale f\xFCr M\xFCller \xA9 1999";

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    const DWORD acp = GetACP();
    LONG status = RegSetKeyValueA(HKEY_CURRENT_USER, KVX_CLASS_KEY, "Description", REG_SZ, kvx_text, sizeof(kvx_text));
    if (status == ERROR_SUCCESS)
        status = RegSetKeyValueA(HKEY_CURRENT_USER, KVX_CLASS_KEY, "ACP", REG_DWORD, &acp, sizeof(acp));
    return HRESULT_FROM_WIN32(status);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
