/* Uses COM while it registers, as ATL and MFC controls do: records its
   class in a component category through the standard component-categories
   manager, and removes both again on unregistration. Its class key lies
   under HKCU with InprocServer32 = this file's path. Without COM
   initialised on the calling thread both entry points fail with
   CO_E_NOTINITIALIZED. */
#include <ole2.h>

#include <comcat.h>

#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}"

/* Kept here rather than taken from the uuid library, which may lack them. */
static const CLSID kvx_class = {0x8D0C52A4, 0x3E61, 0x4B9F, {0x8C, 0x2A, 0x61, 0xF0, 0xD4, 0xE7, 0xB9, 0x35}};
static const CATID kvx_category = {0x5A71E0C3, 0x9B24, 0x4D86, {0xA1, 0x5F, 0x3C, 0x8E, 0x27, 0xD0, 0x64, 0xB9}};
static const CLSID kvx_std_categories = {0x0002E005, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID kvx_icatregister = {0x0002E012, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

static HRESULT categories(ICatRegister** manager) {
    return CoCreateInstance(&kvx_std_categories, NULL, CLSCTX_INPROC_SERVER, &kvx_icatregister, (void**)manager);
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    ICatRegister* manager = NULL;
    CATEGORYINFO info;
    CATID implemented = kvx_category;
    HRESULT hr = categories(&manager);
    if (FAILED(hr)) return hr;
    info.catid = kvx_category;
    info.lcid = 0x409;
    lstrcpyW(info.szDescription, L"Kalvex test controls");
    hr = manager->lpVtbl->RegisterCategories(manager, 1, &info);
    if (SUCCEEDED(hr)) hr = manager->lpVtbl->RegisterClassImplCategories(manager, &kvx_class, 1, &implemented);
    manager->lpVtbl->Release(manager);
    if (SUCCEEDED(hr)) hr = kvx_register_class(KVX_CLASS_KEY, NULL, NULL);
    return hr;
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    ICatRegister* manager = NULL;
    CATID implemented = kvx_category;
    HRESULT hr = categories(&manager);
    if (FAILED(hr)) return hr;
    hr = manager->lpVtbl->UnRegisterClassImplCategories(manager, &kvx_class, 1, &implemented);
    if (SUCCEEDED(hr)) hr = manager->lpVtbl->UnRegisterCategories(manager, 1, &implemented);
    manager->lpVtbl->Release(manager);
    if (SUCCEEDED(hr)) hr = kvx_unregister_class(KVX_CLASS_KEY);
    return hr;
}
