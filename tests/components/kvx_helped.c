/* Imports kvx_helper.dll, which lies beside it: it loads only when its own
   folder is searched for its dependencies. Registers a class under HKCU with
   InprocServer32 = this file's path and Helper = the helper's word. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{2F6B8E17-C4D0-4A53-9E71-B8A3D2C5F064}"

__declspec(dllimport) const char* kvx_helper_word(void);

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    return kvx_register_class(KVX_CLASS_KEY, "Helper", kvx_helper_word());
}
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
