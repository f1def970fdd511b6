/* Refuses to be loaded: its DllMain returns FALSE when it is attached. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) { return reason != DLL_PROCESS_ATTACH; }

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return S_OK; }
HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return S_OK; }
