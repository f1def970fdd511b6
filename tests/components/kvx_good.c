/* Registers a class under HKCU (no elevation needed) with InprocServer32 =
   this file's path, and removes it again on unregistration. */
#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}"

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_register_class(KVX_CLASS_KEY, NULL, NULL); }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
