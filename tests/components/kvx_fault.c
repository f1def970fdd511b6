/* Entry points that fault: registration reads through a null pointer (an
   access violation, 0xC0000005), unregistration raises an exception of its
   own (0xE0564B58). Neither handles it. */
#include <windows.h>

/* Volatile, so that the compiler cannot see the null and put a trap of its
   own in place of the read. */
static int* volatile kvx_nowhere;

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return *kvx_nowhere; }

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    RaiseException(0xE0564B58, 0, 0, NULL);
    return S_OK;
}
