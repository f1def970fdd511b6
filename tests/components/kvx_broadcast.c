/* Tells every top-level window that the environment changed, as installers'
   controls do, before it registers its class under HKCU and before it removes
   it again. Registration sends with a 5 s limit per window that has stopped
   answering; unregistration sends without a limit, so it waits until every
   window's thread has taken the message. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{D65F9F14-D522-4067-97AD-D42885DCF3AD}"

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, (LPARAM) "Environment", SMTO_ABORTIFHUNG, 5000, &result);
    return kvx_register_class(KVX_CLASS_KEY, NULL, NULL);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, (LPARAM) "Environment");
    return kvx_unregister_class(KVX_CLASS_KEY);
}
