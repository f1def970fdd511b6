#include "win32_modules.h"

#include <windows.h>

#include <ole2.h>

#include <cstdint>
#include <memory>

#include "shared/win32_handles.h"
#include "win32_worker.h"

namespace kalvex {

namespace {

// A component's DllRegisterServer and DllUnregisterServer.
using SelfRegistration = HRESULT(STDAPICALLTYPE*)();

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

namespace {

// One worker: its thread and what its start routine reads and writes. The
// start routine is a `DWORD WINAPI (void*)` that makes the argumentless call
// itself, so both sides of both calls agree also on 32-bit x86, where an
// entry point used directly as a start routine would leave the four-byte
// thread parameter on the stack.
class Win32Worker final : public Worker {
public:
    explicit Win32Worker(SelfRegistration entry) {
        mStart.entry = entry;
        if (Ole().initialize != nullptr && Ole().uninitialize != nullptr) {
            mStart.oleInitialize = Ole().initialize;
            mStart.oleUninitialize = Ole().uninitialize;
        }
    }
    // False when no thread could be created.
    bool Start() {
        DWORD threadId = 0;
        mThread.Reset(::CreateThread(nullptr, 0, KalvexRunWorker, &mStart, 0, &threadId));
        return static_cast<bool>(mThread);
    }

    // A component may send messages to every top-level window while it
    // registers (a WM_SETTINGCHANGE broadcast, as installers do), and the
    // sender waits until each window has answered. The window's thread
    // answers them while it waits, as the platform's registration tool,
    // which has no window, never keeps a sender waiting. Input, paint and
    // posted messages stay in the queue, so the window still takes no input
    // while a component runs.
    bool WaitUntil(std::uint32_t deadline) override {
        HANDLE handle = mThread.Get();
        for (;;) {
            // The deadline may lie behind the clock already: a wait of 0.
            const auto left = static_cast<std::int32_t>(deadline - ::GetTickCount());
            const DWORD result =
                ::MsgWaitForMultipleObjects(1, &handle, FALSE, left > 0 ? static_cast<DWORD>(left) : 0, QS_SENDMESSAGE);
            if (result != WAIT_OBJECT_0 + 1) return result == WAIT_OBJECT_0;
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

    WorkerEnd End() override {
        WorkerEnd end;
        end.returned = mStart.returned != 0;
        DWORD exitCode = 0;
        if (!end.returned) ::GetExitCodeThread(mThread.Get(), &exitCode);
        end.result = end.returned ? static_cast<std::uint32_t>(mStart.result) : exitCode;
        end.faulted = mStart.faulted != 0;
        end.exceptionCode = mStart.exceptionCode;
        end.delayModule = mStart.delayModule;
        end.delayFunction = mStart.delayFunction;
        return end;
    }

private:
    UniqueKernelObject mThread;
    KalvexWorker mStart{};
};

}  // namespace

std::unique_ptr<Worker> Win32Modules::StartWorker(EntryPoint entry) {
    auto worker = std::make_unique<Win32Worker>(reinterpret_cast<SelfRegistration>(entry));
    if (!worker->Start()) return nullptr;
    return worker;
}

std::uint32_t Win32Modules::Milliseconds() { return ::GetTickCount(); }

void Win32Modules::FreeComponent(ModuleHandle module) { ::FreeLibrary(AsModule(module)); }

std::uint32_t Win32Modules::MapClassesToUser() {
    HKEY classes = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, MAXIMUM_ALLOWED, nullptr,
                                       &classes, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    status = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, classes);
    // The mapping keeps a reference of its own.
    ::RegCloseKey(classes);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    // Without this, RegisterTypeLib writes the machine's classes whatever
    // HKEY_CLASSES_ROOT stands for; the switch stays on for the process, and
    // type libraries then go where HKEY_CLASSES_ROOT leads. Not every
    // oleaut32 has it.
    static const auto enablePerUserTypeLibraries =
        SystemProcAddress<void(WINAPI*)()>("oleaut32.dll", "OaEnablePerUserTLibRegistration");
    if (enablePerUserTypeLibraries != nullptr) enablePerUserTypeLibraries();
    return ERROR_SUCCESS;
}

void Win32Modules::UnmapClasses() { ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }

}  // namespace kalvex
