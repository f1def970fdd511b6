/* Outlasts the program's 10 s wait by far on its first registration (19.5 s),
   takes 1.5 s on each later one, and counts the threads inside its
   DllRegisterServer. In the component's folder the first call leaves
   kvx_slow.started when it begins and kvx_slow.finished when it ends; unloading the component with FreeLibrary leaves
   kvx_slow.unloaded. Each call then notes under HKCU\<key> "Calls" (the calls since it was loaded) and "MostInside"
   (the most threads that were inside at once). Unregistration removes the key. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{9C3E5A71-2B84-4F0D-A6E9-51D7C08B3F26}"

static volatile LONG kvx_inside, kvx_calls, kvx_most;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    /* reserved is null for FreeLibrary and non-null at process end. */
    if (reason == DLL_PROCESS_DETACH && reserved == NULL) kvx_write_marker("kvx_slow.unloaded");
    return TRUE;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    const LONG inside = InterlockedIncrement(&kvx_inside);
    LONG status;
    if (inside > kvx_most) kvx_most = inside;
    if (InterlockedIncrement(&kvx_calls) == 1) {
        kvx_write_marker("kvx_slow.started");
        Sleep(19500);
        kvx_write_marker("kvx_slow.finished");
    } else {
        Sleep(1500);
    }
    status = kvx_set_number(KVX_CLASS_KEY, "Calls", (DWORD)kvx_calls);
    if (status == ERROR_SUCCESS) status = kvx_set_number(KVX_CLASS_KEY, "MostInside", (DWORD)kvx_most);
    InterlockedDecrement(&kvx_inside);
    return HRESULT_FROM_WIN32(status);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
