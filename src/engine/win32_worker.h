/* The worker thread of an in-process registration: it initialises COM,
   calls the component's entry point and uninitialises COM again, inside an
   exception frame of its own. Windows only; plain C, so that no C++
   unwinding handler shares the frame. */
#ifndef KALVEX_REGISTRATION_WORKER_H
#define KALVEX_REGISTRATION_WORKER_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a worker needs; it lives until the worker has ended. */
typedef struct KalvexWorker {
    HRESULT(STDAPICALLTYPE* entry)(void);           /* DllRegisterServer or DllUnregisterServer */
    HRESULT(STDAPICALLTYPE* oleInitialize)(LPVOID); /* null: the entry point runs without COM */
    void(STDAPICALLTYPE* oleUninitialize)(void);
    /* Set once the entry point has returned. A worker that ended without
       it was ended by an exception that left the entry point; its exit
       code is that exception's code. */
    volatile LONG returned;
} KalvexWorker;

/* The start routine; its parameter is a KalvexWorker. Ends with the entry
   point's result, or with the code of an exception that left it. */
DWORD WINAPI KalvexRunWorker(LPVOID worker);

#ifdef __cplusplus
}
#endif

#endif
