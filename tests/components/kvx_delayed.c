/* Loads kvx_absent.dll only when its entry points first call it (linked
   against a delay-load import library): the load succeeds, the call
   raises the delay-load helper's exception. */
#include <windows.h>

const char* kvx_absent_word(void);

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_absent_word()[0] != '\0' ? S_OK : E_FAIL; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return kvx_absent_word()[0] != '\0' ? S_OK : E_FAIL; }
