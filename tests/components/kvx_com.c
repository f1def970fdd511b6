/* Uses COM while it registers, as ATL and MFC controls do: marks its class
   as implementing a component category through the standard
   component-categories manager; unregistration removes the mark. Without
   COM initialised on the calling thread both entry points fail with
   CO_E_NOTINITIALIZED. */
#include <ole2.h>

#include <comcat.h>

static const CLSID kvx_class = {0x8D0C52A4, 0x3E61, 0x4B9F, {0x8C, 0x2A, 0x61, 0xF0, 0xD4, 0xE7, 0xB9, 0x35}};
static CATID kvx_category = {0x5A71E0C3, 0x9B24, 0x4D86, {0xA1, 0x5F, 0x3C, 0x8E, 0x27, 0xD0, 0x64, 0xB9}};

static HRESULT kvx_mark(BOOL mark) {
    ICatRegister* manager = NULL;
    HRESULT hr = CoCreateInstance(&CLSID_StdComponentCategoriesMgr, NULL, CLSCTX_INPROC_SERVER, &IID_ICatRegister,
                                  (void**)&manager);
    if (FAILED(hr)) return hr;
    hr = mark ? manager->lpVtbl->RegisterClassImplCategories(manager, &kvx_class, 1, &kvx_category)
              : manager->lpVtbl->UnRegisterClassImplCategories(manager, &kvx_class, 1, &kvx_category);
    manager->lpVtbl->Release(manager);
    return hr;
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_mark(TRUE); }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_mark(FALSE); }
