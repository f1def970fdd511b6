/* The worker's start routine. See win32_worker.h.

   A guarded call runs the whole of the worker's work: COM's set-up, the
   entry point and COM's clean-up. Its exception frame sees only what leaves
   that work: exceptions that the component handles itself never reach it.
   Whatever reaches it is unwound the way the platform's own exception
   handling unwinds (every frame in between is told, then removed) back to
   the guarded call's own frame, on a whole stack again even after a stack
   overflow, and the call returns from there with the exception's code.

   The frame is built by hand in assembler, one form for each processor: on
   x86 a record on the stack's chain of handlers, whose handler unwinds with
   RtlUnwind and then resumes in the call's frame; on x86-64 a language
   handler named in the function's unwind data, which unwinds with
   RtlUnwindEx straight to the resume point.

   A stack overflow cannot wait for that: with the stack all but used up,
   the system may have too little of it left to dispatch the exception to
   any frame (64-bit Wine has under two kilobytes there, and ends the thread
   when it runs out). A vectored handler, which the system calls first and
   on the least stack, takes a worker's stack overflow straight back to the
   guarded call's frame with the exception's code; the frames in between
   are abandoned, not unwound.

   The thread then ends as any thread ends, from that whole stack: the
   thread-detach work of every library runs there. After an exception the
   component's state is unknown. When the exception came from the
   component's code under COM's clean-up (a class object's Release, called
   while COM holds its own lock), COM may hold that lock for good, and any
   later set-up or tear-down of an apartment would wait for it: from then on
   workers run their entry points without COM. */
#include "win32_worker.h"

#include <delayimp.h>
#include <excpt.h>

/* Runs fn(arg); 1 when it returned, 0 when an exception ended it, whose code
   then is in *code. *frame holds the call's frame while fn runs. */
int GuardedCall(void (*fn)(void*), void* arg, DWORD* code, void** frame) __asm__("kalvex_guarded_call");

/* Copies what a missing delay-loaded import's record names into the worker,
   before the unwind gives up the stack the record lies on. */
static void NoteDelayLoad(const EXCEPTION_RECORD* record);

#if defined(__x86_64__)

static __attribute__((used)) EXCEPTION_DISPOSITION GuardHandler(
    EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
    DISPATCHER_CONTEXT* dispatch) __asm__("kalvex_guard_handler");
extern char GuardResume[] __asm__("kalvex_guard_resume");
/* The resume point gets the exception's code in eax, and rbx back from the
   unwind. *frame gets the stack pointer after the prologue. */
__asm__(
    "    .text\n"
    "    .p2align 4\n"
    "    .def kalvex_guarded_call; .scl 3; .type 32; .endef\n"
    "    .seh_proc kalvex_guarded_call\n"
    "kalvex_guarded_call:\n"
    "    pushq %rbx\n"
    "    .seh_pushreg %rbx\n"
    "    subq $32, %rsp\n"
    "    .seh_stackalloc 32\n"
    "    .seh_endprologue\n"
    "    movq %r8, %rbx\n"
    "    movq %rsp, (%r9)\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    "    nop\n"
    "    movl $1, %eax\n"
    "kalvex_guard_leave:\n"
    "    addq $32, %rsp\n"
    "    popq %rbx\n"
    "    ret\n"
    "kalvex_guard_resume:\n"
    "    movl %eax, (%rbx)\n"
    "    xorl %eax, %eax\n"
    "    jmp kalvex_guard_leave\n"
    "    .seh_handler kalvex_guard_handler, @except\n"
    "    .seh_endproc\n");

static EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                          DISPATCHER_CONTEXT* dispatch) {
    (void)context;
    /* Called again while the unwind passes this frame: nothing to do then. */
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    NoteDelayLoad(record);
    RtlUnwindEx(frame, GuardResume, record, (PVOID)(ULONG_PTR)record->ExceptionCode, dispatch->ContextRecord,
                dispatch->HistoryTable);
    return ExceptionContinueSearch; /* not reached */
}

#else

static __attribute__((used)) EXCEPTION_DISPOSITION GuardHandler(struct _EXCEPTION_RECORD* record, void* frame,
                                                                struct _CONTEXT* context,
                                                                void* dispatcher) __asm__("kalvex_guard_handler");
void __attribute__((noreturn)) GuardResume(void* frame, DWORD code) __asm__("kalvex_guard_resume");

/* The record on the stack: the next record, the handler, and the guarded
   call's frame pointer, to resume in. The resume point puts the stack back
   at the record and leaves through the same exit as a call that returned. */
__asm__(
    "    .text\n"
    "    .p2align 4\n"
    "kalvex_guarded_call:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl %ebp\n"
    "    pushl $kalvex_guard_handler\n"
    "    pushl %fs:0\n"
    "    movl %esp, %fs:0\n"
    "    movl 20(%ebp), %eax\n"
    "    movl %esp, (%eax)\n"
    "    pushl 12(%ebp)\n"
    "    call *8(%ebp)\n"
    "    addl $4, %esp\n"
    "    movl $1, %eax\n"
    "kalvex_guard_leave:\n"
    "    popl %fs:0\n"
    "    addl $8, %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    "kalvex_guard_resume:\n"
    "    movl 4(%esp), %ecx\n"
    "    movl 8(%esp), %edx\n"
    "    movl %ecx, %esp\n"
    "    movl 8(%esp), %ebp\n"
    "    movl 16(%ebp), %eax\n"
    "    movl %edx, (%eax)\n"
    "    xorl %eax, %eax\n"
    "    jmp kalvex_guard_leave\n");

static EXCEPTION_DISPOSITION GuardHandler(struct _EXCEPTION_RECORD* record, void* frame, struct _CONTEXT* context,
                                          void* dispatcher) {
    DWORD code;
    (void)context;
    (void)dispatcher;
    /* Called again while the unwind passes this frame: nothing to do then. */
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    code = record->ExceptionCode;
    NoteDelayLoad(record);
    /* Every record above this one is told and removed; this one is then the
       first on the chain. */
    RtlUnwind(frame, NULL, record, NULL);
    GuardResume(frame, code);
}

#endif

/* Set for good once an exception ended a worker in COM's clean-up: see
   above. */
static volatile LONG comAbandoned;

/* Each worker's KalvexWorker, in its thread's slot. */
static DWORD workerSlot = TLS_OUT_OF_INDEXES;

static void NoteDelayLoad(const EXCEPTION_RECORD* record) {
    const DelayLoadInfo* info;
    KalvexWorker* worker;
    const DWORD code = record->ExceptionCode;
    if (code != VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND) &&
        code != VcppException(ERROR_SEVERITY_ERROR, ERROR_PROC_NOT_FOUND)) {
        return;
    }
    if (record->NumberParameters < 1 || workerSlot == TLS_OUT_OF_INDEXES) return;
    worker = (KalvexWorker*)TlsGetValue(workerSlot);
    info = (const DelayLoadInfo*)record->ExceptionInformation[0];
    if (worker == NULL || info == NULL || info->cb != sizeof(DelayLoadInfo) || info->szDll == NULL) return;
    /* lstrcpynA reads no further than a string that ends. */
    lstrcpynA(worker->delayModule, info->szDll, sizeof(worker->delayModule));
    if (code != VcppException(ERROR_SEVERITY_ERROR, ERROR_PROC_NOT_FOUND)) return;
    if (info->dlp.fImportByName && info->dlp.szProcName != NULL) {
        lstrcpynA(worker->delayFunction, info->dlp.szProcName, sizeof(worker->delayFunction));
    } else {
        char digits[12];
        int count = 0, i = 0;
        DWORD number = info->dlp.dwOrdinal;
        do {
            digits[count++] = (char)('0' + number % 10);
            number /= 10;
        } while (number != 0);
        worker->delayFunction[i++] = '#';
        while (count > 0) worker->delayFunction[i++] = digits[--count];
        worker->delayFunction[i] = '\0';
    }
}

/* Notes how the worker ended; after its entry point returned, the exception
   came from COM's clean-up. */
static void NoteException(KalvexWorker* worker, DWORD code) {
    worker->exceptionCode = code;
    if (worker->returned) InterlockedExchange(&comAbandoned, 1);
    InterlockedExchange(&worker->faulted, 1);
}

/* Where a worker's stack overflow goes on, on the stack below the guarded
   call's frame: every frame below that is abandoned. */
static void __attribute__((noreturn)) EndAfterOverflow(void) {
    KalvexWorker* worker = (KalvexWorker*)TlsGetValue(workerSlot);
#if !defined(__x86_64__)
    /* The chain of handlers as it was before the guarded call: its record
       lies at the frame, the next one first. */
    __writefsdword(0, *(DWORD*)worker->frame);
#endif
    NoteException(worker, EXCEPTION_STACK_OVERFLOW);
    ExitThread(EXCEPTION_STACK_OVERFLOW);
}

static LONG CALLBACK CatchOverflow(EXCEPTION_POINTERS* pointers) {
    KalvexWorker* worker;
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
    worker = (KalvexWorker*)TlsGetValue(workerSlot);
    if (worker == NULL || worker->frame == NULL) return EXCEPTION_CONTINUE_SEARCH;
        /* As if called from the guarded call: a return address's room below
           its frame. */
#if defined(__x86_64__)
    pointers->ContextRecord->Rsp = (DWORD64)worker->frame - 8;
    pointers->ContextRecord->Rip = (DWORD64)EndAfterOverflow;
#else
    pointers->ContextRecord->Esp = (DWORD)worker->frame - 4;
    pointers->ContextRecord->Eip = (DWORD)EndAfterOverflow;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

static BOOL CALLBACK SetUpOnce(PINIT_ONCE once, PVOID parameter, PVOID* context) {
    (void)once;
    (void)parameter;
    (void)context;
    workerSlot = TlsAlloc();
    if (workerSlot != TLS_OUT_OF_INDEXES) AddVectoredExceptionHandler(1, CatchOverflow);
    return TRUE;
}

static void Work(void* parameter) {
    KalvexWorker* worker = (KalvexWorker*)parameter;
    /* As the platform's own registration tool does: a single-threaded
       apartment with OLE, for components that use COM while they register. */
    const HRESULT com =
        worker->oleInitialize != NULL && !comAbandoned ? worker->oleInitialize(NULL) : CO_E_NOTINITIALIZED;
    worker->result = worker->entry();
    InterlockedExchange(&worker->returned, 1);
    if (SUCCEEDED(com)) worker->oleUninitialize();
}

DWORD WINAPI KalvexRunWorker(LPVOID parameter) {
    KalvexWorker* worker = (KalvexWorker*)parameter;
    static INIT_ONCE setUp = INIT_ONCE_STATIC_INIT;
    DWORD code = 0;
    InitOnceExecuteOnce(&setUp, SetUpOnce, NULL, NULL);
    if (workerSlot != TLS_OUT_OF_INDEXES) TlsSetValue(workerSlot, worker);
    if (!GuardedCall(Work, worker, &code, &worker->frame)) {
        worker->frame = NULL;
        NoteException(worker, code);
        return code;
    }
    worker->frame = NULL;
    return (DWORD)worker->result;
}
