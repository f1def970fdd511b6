/* Entry points that take half a second and succeed. */
#include <windows.h>

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    Sleep(500);
    return S_OK;
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    Sleep(500);
    return S_OK;
}
