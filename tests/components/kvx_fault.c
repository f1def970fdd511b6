/* Entry points that fault: registration writes through a null pointer (an
   access violation, 0xC0000005), unregistration raises an exception of its
   own (0xE0564B58). Neither handles it. */
#include <windows.h>

/* Volatile, so that the compiler cannot see the null and put a trap of its
   own in place of the write. */
static int* volatile kvx_nowhere;

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    *kvx_nowhere = 1;
    return S_OK;
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    RaiseException(0xE0564B58, 0, 0, NULL);
    return S_OK;
}
