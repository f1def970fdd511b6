/* Imports kvx_absent.dll itself, which does not lie beside it. */
#include <windows.h>

__declspec(dllimport) const char* kvx_absent_word(void);

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_absent_word()[0] != '\0' ? S_OK : E_FAIL; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return S_OK; }
