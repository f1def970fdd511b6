/* Needs kvx_link.dll, which needs kvx_absent.dll. Registers a class under
   HKCU whose Helper value is the word it got through both. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{7C3A1E95-2B64-4D08-A9F1-5E6D2C8B4A17}"

__declspec(dllimport) const char* kvx_link_word(void);

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_register_class(KVX_CLASS_KEY, "Helper", kvx_link_word()); }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
