#include "win32_modules.h"

#include <windows.h>

#include <ole2.h>

#include "shared/win32_handles.h"
#include "win32_worker.h"

namespace kalvex {

namespace {

// A component's DllRegisterServer and DllUnregisterServer.
using SelfRegistration = HRESULT(STDAPICALLTYPE*)();

// One worker: its thread and what its start routine reads. The engine's
// thread handle points here. The start routine is a `DWORD WINAPI (void*)`
// that makes the argumentless call itself, so both sides of both calls agree
// also on 32-bit x86, where an entry point used directly as a start routine
// would leave the four-byte thread parameter on the stack.
struct Worker {
    UniqueKernelObject thread;
    KalvexWorker start{};
};

Worker* AsWorker(ThreadHandle thread) { return reinterpret_cast<Worker*>(thread); }
HMODULE AsModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }

// OLE's set-up calls, from the system folder's ole32.dll, loaded when the
// first worker starts. The library stays for the program's life: a worker
// that outlived its wait still uninitialises with it. Without them workers
// run without COM.
struct OleCalls {
    decltype(&::OleInitialize) initialize = SystemProcAddress<decltype(&::OleInitialize)>("ole32.dll", "OleInitialize");
    decltype(&::OleUninitialize) uninitialize =
        SystemProcAddress<decltype(&::OleUninitialize)>("ole32.dll", "OleUninitialize");

    // The window's thread (the one that starts workers) keeps an apartment
    // of its own from then on, for the program's life. The system's input
    // method support sets COM up and tears it down on that thread as its
    // windows come and go, and tearing an apartment down waits for COM's
    // own lock, which a component that faulted under COM's clean-up may
    // hold for good: the window could then never close.
    OleCalls() {
        const auto coInitializeEx = SystemProcAddress<decltype(&::CoInitializeEx)>("ole32.dll", "CoInitializeEx");
        if (coInitializeEx != nullptr) coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
};

const OleCalls& Ole() {
    static const OleCalls calls;
    return calls;
}

}  // namespace

ModuleHandle Win32Modules::LoadComponent(const std::string& path) {
    HMODULE module = ::LoadLibraryExW(W(Wide(path)), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    mLastLoadError = module == nullptr ? ::GetLastError() : 0;
    return reinterpret_cast<ModuleHandle>(module);
}

EntryPoint Win32Modules::FindEntryPoint(ModuleHandle module, const std::string& name) {
    return reinterpret_cast<EntryPoint>(ProcAddress<SelfRegistration>(AsModule(module), name.c_str()));
}

ThreadHandle Win32Modules::StartWorker(EntryPoint entry) {
    auto* worker = new Worker;
    worker->start.entry = reinterpret_cast<SelfRegistration>(entry);
    if (Ole().initialize != nullptr && Ole().uninitialize != nullptr) {
        worker->start.oleInitialize = Ole().initialize;
        worker->start.oleUninitialize = Ole().uninitialize;
    }
    DWORD threadId = 0;
    worker->thread.Reset(::CreateThread(nullptr, 0, KalvexRunWorker, &worker->start, 0, &threadId));
    if (!worker->thread) {
        delete worker;
        return 0;
    }
    return reinterpret_cast<ThreadHandle>(worker);
}

// A component may send messages to every top-level window while it
// registers (a WM_SETTINGCHANGE broadcast, as installers do), and the sender
// waits until each window has answered. The window's thread answers them
// while it waits, as the platform's registration tool, which has no window,
// never keeps a sender waiting. Input, paint and posted messages stay in the
// queue, so the window still takes no input while a component runs.
bool Win32Modules::WaitForWorker(ThreadHandle thread, std::uint32_t milliseconds) {
    HANDLE handle = AsWorker(thread)->thread.Get();
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD result = ::MsgWaitForMultipleObjects(
            1, &handle, FALSE, elapsed < milliseconds ? milliseconds - elapsed : 0, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) return result == WAIT_OBJECT_0;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool Win32Modules::WorkerHasEnded(ThreadHandle thread) {
    return ::WaitForSingleObject(AsWorker(thread)->thread.Get(), 0) == WAIT_OBJECT_0;
}

WorkerEnd Win32Modules::HowWorkerEnded(ThreadHandle thread) {
    // Asked only after a wait saw the thread end, so all of it is there.
    const Worker& worker = *AsWorker(thread);
    const KalvexWorker& start = worker.start;
    WorkerEnd end;
    end.returned = start.returned != 0;
    DWORD exitCode = 0;
    if (!end.returned) ::GetExitCodeThread(worker.thread.Get(), &exitCode);
    end.result = end.returned ? static_cast<std::uint32_t>(start.result) : exitCode;
    end.faulted = start.faulted != 0;
    end.exceptionCode = start.exceptionCode;
    end.delayModule = start.delayModule;
    end.delayFunction = start.delayFunction;
    return end;
}

std::uint32_t Win32Modules::Milliseconds() { return ::GetTickCount(); }

void Win32Modules::CloseWorker(ThreadHandle thread) { delete AsWorker(thread); }

void Win32Modules::FreeComponent(ModuleHandle module) { ::FreeLibrary(AsModule(module)); }

}  // namespace kalvex
