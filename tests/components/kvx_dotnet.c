/* A library whose header says .NET assembly, IL only (clr_header.py points
   its CLR directory at the header below): it has no self-registration. */
#include <windows.h>

/* The marker, then the runtime header: its size, runtime 2.5, no metadata,
   flags IL only. */
__attribute__((used)) const unsigned char kvx_clr_header[8 + 72] = {
    'K', 'V', 'X', 'C', 'L', 'R', 'H', 'D', 72, 0, 0, 0, 2, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
