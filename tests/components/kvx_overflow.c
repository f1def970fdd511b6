/* Overflows its stack in both entry points: an unbounded recursion with
   512-byte frames (an exception 0xC00000FD, which it does not handle). */
#include <windows.h>

/* Volatile, so that the compiler keeps every frame and every call. */
static volatile LONG kvx_depth;

static __attribute__((noinline)) LONG Deeper(LONG n) {
    volatile char frame[512];
    frame[n & 511] = (char)n;
    kvx_depth = n;
    return Deeper(n + 1) + frame[(n * 7) & 511];
}

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return (HRESULT)Deeper(0); }

HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return (HRESULT)Deeper(0); }
