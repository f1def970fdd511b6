/* Counts the threads inside its DllRegisterServer. The first call after the
   component is loaded takes 12 s; each call then notes under HKCU\<key>
   "Calls" (the calls so far) and "MostInside" (the most threads that were
   inside at once). Unregistration removes the key. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{9C3E5A71-2B84-4F0D-A6E9-51D7C08B3F26}"

static volatile LONG kvx_inside, kvx_calls, kvx_most;

static LONG kvx_set_number(const char* name, DWORD value) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, KVX_CLASS_KEY, name, REG_DWORD, &value, sizeof(value));
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    const LONG inside = InterlockedIncrement(&kvx_inside);
    const LONG call = InterlockedIncrement(&kvx_calls);
    LONG status;
    if (inside > kvx_most) kvx_most = inside;
    if (call == 1) Sleep(12000);
    status = kvx_set_number("Calls", (DWORD)kvx_calls);
    if (status == ERROR_SUCCESS) status = kvx_set_number("MostInside", (DWORD)kvx_most);
    InterlockedDecrement(&kvx_inside);
    return HRESULT_FROM_WIN32(status);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
