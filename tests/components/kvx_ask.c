/* Asks the user before it registers, in a Yes/No box owned by the foreground
   window, as setup-minded controls do; Yes registers its class under HKCU,
   No registers nothing and reports the cancellation. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{E1A4C8D2-6F35-4B97-8D02-7C5B3E9A4F18}"

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    if (MessageBoxA(GetForegroundWindow(), "Register the Kalvex test class?", "kvx_ask", MB_YESNO) != IDYES)
        return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    return kvx_register_class(KVX_CLASS_KEY, NULL, NULL);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
