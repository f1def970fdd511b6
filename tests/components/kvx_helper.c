/* A helper library that kvx_helped.ocx imports. It lies beside the
   component and nowhere else. */
#include <windows.h>

__declspec(dllexport) const char* kvx_helper_word(void) { return "helped"; }
