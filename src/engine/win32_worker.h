/* The worker thread of an in-process registration: it initialises COM,
   calls the component's entry point and uninitialises COM again, all inside
   an exception frame of its own. Windows only; plain C and a little
   assembler, so that no C++ unwinding handler shares the frame. */
#ifndef KALVEX_REGISTRATION_WORKER_H
#define KALVEX_REGISTRATION_WORKER_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a worker needs and what it leaves; it lives until the worker has
   ended. */
typedef struct KalvexWorker {
    HRESULT(STDAPICALLTYPE* entry)(void);           /* DllRegisterServer or DllUnregisterServer */
    HRESULT(STDAPICALLTYPE* oleInitialize)(LPVOID); /* null: the entry point runs without COM */
    void(STDAPICALLTYPE* oleUninitialize)(void);
    /* Set once the entry point has returned, with its result. */
    volatile LONG returned;
    HRESULT result;
    /* Set when an exception ended the worker, in the entry point or in
       COM's clean-up after it, with that exception's code. */
    volatile LONG faulted;
    DWORD exceptionCode;
    /* When that exception said a delay-loaded import was missing: the
       module's name, and the function's ("#" and its number for one
       imported by number), copied from the exception's record. */
    char delayModule[MAX_PATH];
    char delayFunction[256];
    /* The guarded call's frame, while it runs: where a stack overflow
       resumes. */
    void* frame;
} KalvexWorker;

/* The start routine; its parameter is a KalvexWorker. */
DWORD WINAPI KalvexRunWorker(LPVOID worker);

#ifdef __cplusplus
}
#endif

#endif
