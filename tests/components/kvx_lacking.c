/* Built against a newer kvx_helper.dll than the one beside it: it imports
   a function that one lacks. */
#include <windows.h>

__declspec(dllimport) const char* kvx_helper_newer_word(void);

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_helper_newer_word()[0] != '\0' ? S_OK : E_FAIL; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return S_OK; }
