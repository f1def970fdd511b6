/* A helper that itself needs kvx_absent.dll: the middle of a chain. */
#include <windows.h>

__declspec(dllimport) const char* kvx_absent_word(void);

__declspec(dllexport) const char* kvx_link_word(void) { return kvx_absent_word(); }
