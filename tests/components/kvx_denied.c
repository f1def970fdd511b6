/* Both entry points fail as a component that needs administrator rights. */
#include <windows.h>

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return E_ACCESSDENIED; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return E_ACCESSDENIED; }
