/* Takes 3 s to register, and meanwhile asks every top-level window of its
   process to close (a posted WM_CLOSE, as a task manager's close does). It
   leaves kvx_busy.started in its folder when it begins and notes its class
   under HKCU; unregistration removes it at once. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{3A8C5E21-D94B-4F76-B0E2-7C1D6A9F4B53}"

static BOOL CALLBACK CloseIfOurs(HWND window, LPARAM unused) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    kvx_write_marker("kvx_busy.started");
    EnumWindows(CloseIfOurs, 0);
    Sleep(3000);
    return kvx_register_class(KVX_CLASS_KEY, NULL, NULL);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
