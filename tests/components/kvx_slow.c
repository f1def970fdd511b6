/* Entry points that outlast the program's 10 s wait. In the component's
   folder they leave kvx_slow.started when called and kvx_slow.finished
   12 s later; unloading the component with FreeLibrary leaves
   kvx_slow.unloaded. */
#include "component.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    /* reserved is null for FreeLibrary and non-null at process end. */
    if (reason == DLL_PROCESS_DETACH && reserved == NULL) kvx_write_marker("kvx_slow.unloaded");
    return TRUE;
}

static HRESULT kvx_run_long(void) {
    kvx_write_marker("kvx_slow.started");
    Sleep(12000);
    kvx_write_marker("kvx_slow.finished");
    return S_OK;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_run_long(); }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_run_long(); }
