/* A loadable library without the self-registration entry points. */
#include <windows.h>

__declspec(dllexport) int kvx_nothing(void) { return 0; }
