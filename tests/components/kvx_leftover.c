/* Leaves a class object in its thread's apartment whose Release faults: its
   DllRegisterServer registers its class with CoRegisterClassObject
   (REGCLS_MULTIPLEUSE), notes the class under HKCU and returns S_OK; COM's
   clean-up on that thread then releases the object. Unregistration removes
   the key. */
#include <objbase.h>

#include "component.h"

#define KVX_CLASS_KEY "Software\\Classes\\CLSID\\{6D2E9B48-15C7-4A3F-8E60-B94F1C2D7A35}"

static const CLSID kvx_clsid = {0x6d2e9b48, 0x15c7, 0x4a3f, {0x8e, 0x60, 0xb9, 0x4f, 0x1c, 0x2d, 0x7a, 0x35}};

/* Volatile, so that the compiler cannot see the null and put a trap of its
   own in place of the write. */
static int* volatile kvx_nowhere;

static HRESULT STDMETHODCALLTYPE QueryInterface(IClassFactory* self, REFIID iid, void** out) {
    if (IsEqualIID(iid, &IID_IUnknown) || IsEqualIID(iid, &IID_IClassFactory)) {
        *out = self;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}
static ULONG STDMETHODCALLTYPE AddRef(IClassFactory* self) { return 2; }
static ULONG STDMETHODCALLTYPE Release(IClassFactory* self) {
    *kvx_nowhere = 1;
    return 1;
}
static HRESULT STDMETHODCALLTYPE CreateInstance(IClassFactory* self, IUnknown* outer, REFIID iid, void** out) {
    *out = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}
static HRESULT STDMETHODCALLTYPE LockServer(IClassFactory* self, BOOL lock) { return S_OK; }

static IClassFactoryVtbl kvx_vtbl = {QueryInterface, AddRef, Release, CreateInstance, LockServer};
static IClassFactory kvx_factory = {&kvx_vtbl};

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    DWORD cookie = 0;
    const HRESULT hr =
        CoRegisterClassObject(&kvx_clsid, (IUnknown*)&kvx_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(hr)) return hr;
    return kvx_register_class(KVX_CLASS_KEY, NULL, NULL);
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_unregister_class(KVX_CLASS_KEY); }
