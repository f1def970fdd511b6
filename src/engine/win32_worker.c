/* The worker's start routine. See win32_worker.h.

   The exception frame is the one mingw-w64's <excpt.h> installs with
   __try1/__except1. It sees only what leaves the entry point: exceptions
   that the component handles itself never reach it. Whatever reaches it
   ends this thread at once with the exception's code; the component's state
   is then unknown, so nothing more runs in this thread, COM's
   uninitialisation included.

   The two toolchains call the frame's function differently: on x86 it is a
   frame handler that gets the exception record, on x86-64 the filter of a
   scope entry that gets the exception pointers. Both end the thread the
   same way. */
#include "win32_worker.h"

#include <excpt.h>

static void EndWithException(const EXCEPTION_RECORD* record) { ExitThread(record->ExceptionCode); }

/* Named only inside the frame's assembler text on x86-64: kept by "used". */
#if defined(__x86_64__)
static __attribute__((used)) LONG WorkerFault(EXCEPTION_POINTERS* pointers, void* frame) {
    (void)frame;
    EndWithException(pointers->ExceptionRecord);
    return EXCEPTION_CONTINUE_SEARCH;
}
#else
static __attribute__((used)) EXCEPTION_DISPOSITION WorkerFault(struct _EXCEPTION_RECORD* record, void* frame,
                                                               struct _CONTEXT* context, void* dispatcher) {
    (void)frame;
    (void)context;
    (void)dispatcher;
    /* Called again while an outer frame unwinds: nothing to do then. */
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    EndWithException(record);
    return ExceptionContinueSearch;
}
#endif

/* Calls the entry point inside the frame. Kept apart from the start
   routine and never inlined, so that the frame's pushes on x86 do not move
   the stack under any local of the caller. */
static __attribute__((noinline)) HRESULT CallInsideFrame(HRESULT(STDAPICALLTYPE* entry)(void)) {
    HRESULT result;
    __try1(WorkerFault) result = entry();
    __except1 return result;
}

DWORD WINAPI KalvexRunWorker(LPVOID parameter) {
    KalvexWorker* worker = (KalvexWorker*)parameter;
    /* As the platform's own registration tool does: a single-threaded
       apartment with OLE, for components that use COM while they register. */
    const HRESULT com = worker->oleInitialize != NULL ? worker->oleInitialize(NULL) : E_NOTIMPL;
    const HRESULT result = CallInsideFrame(worker->entry);
    InterlockedExchange(&worker->returned, 1);
    if (SUCCEEDED(com)) worker->oleUninitialize();
    return (DWORD)result;
}
