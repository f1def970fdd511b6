/* Uses COM while it registers, as ATL and MFC controls do: it creates the
   standard component-categories manager before it writes or removes its
   class key under HKCU (InprocServer32 = this file's path). Without COM
   initialised on the calling thread both entry points fail with
   CO_E_NOTINITIALIZED. */
#include <ole2.h>

#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}"

/* Kept here rather than taken from the uuid library, which may lack them. */
static const CLSID kvx_std_categories = {0x0002E005, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID kvx_iunknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

static HRESULT use_com(void) {
    IUnknown* manager = NULL;
    HRESULT hr = CoCreateInstance(&kvx_std_categories, NULL, CLSCTX_INPROC_SERVER, &kvx_iunknown, (void**)&manager);
    if (SUCCEEDED(hr)) manager->lpVtbl->Release(manager);
    return hr;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    HRESULT hr = use_com();
    return SUCCEEDED(hr) ? kvx_register_class(KVX_CLASS_KEY, NULL, NULL) : hr;
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    HRESULT hr = use_com();
    return SUCCEEDED(hr) ? kvx_unregister_class(KVX_CLASS_KEY) : hr;
}
