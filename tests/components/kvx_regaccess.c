/* Both entry points fail as a component whose type library may not be
   written to the machine's registry. */
#include <windows.h>

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return TYPE_E_REGISTRYACCESS; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return TYPE_E_REGISTRYACCESS; }
