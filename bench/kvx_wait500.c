/* Entry points that take half a second and succeed: SleepEx answers 0,
   S_OK, once the time is up. */
#include <windows.h>

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return (HRESULT)SleepEx(500, FALSE); }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return (HRESULT)SleepEx(500, FALSE); }
