/* A library that the failure components need and that is not where they
   look for it: the tests install it elsewhere, and put it beside a
   component only to show that the component then loads. */
#include <windows.h>

__declspec(dllexport) const char* kvx_absent_word(void) { return "found"; }
