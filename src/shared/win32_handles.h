// Owning wrappers for Win32 handles and a typed GetProcAddress. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "win32_text.h"

namespace kalvex {

// Holds one handle and releases it when it goes out of scope. The traits say
// what the handle's type is, which value means "none" and how to release it.
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : mHandle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : mHandle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const { return mHandle; }
    explicit operator bool() const { return mHandle != Traits::None(); }

    Type Release() {
        Type handle = mHandle;
        mHandle = Traits::None();
        return handle;
    }

    void Reset(Type handle = Traits::None()) {
        if (mHandle != Traits::None()) Traits::Close(mHandle);
        mHandle = handle;
    }

private:
    Type mHandle = Traits::None();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};

// Kernel objects whose "none" is null, as CreateThread answers.
struct KernelObjectTraits {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

// While it lives, the calling thread's file calls fail instead of asking the
// user (the system's box for a drive without a medium, for one). The mode
// belongs to this thread alone: the process's mode, which a component's
// worker runs under, stays the system's.
class QuietFileErrors {
public:
    QuietFileErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &mPrevious); }
    ~QuietFileErrors() { ::SetThreadErrorMode(mPrevious, nullptr); }
    QuietFileErrors(const QuietFileErrors&) = delete;
    QuietFileErrors& operator=(const QuietFileErrors&) = delete;

private:
    DWORD mPrevious = 0;
};

// Calls `visit` with every entry FindFirstFileW/FindNextFileW find for
// `pattern` (its name in UTF-8 and its attributes), until it returns false.
// Returns ERROR_SUCCESS when it stopped there, ERROR_NO_MORE_FILES after the
// last entry, and the search's error otherwise (ERROR_FILE_NOT_FOUND when
// nothing matched).
template <typename Visit>
DWORD ForEachFile(const std::string& pattern, Visit&& visit) {
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW(W(Wide(pattern)), &found));
    if (!find) return ::GetLastError();
    do {
        if (!visit(Utf8(found.cFileName, ::lstrlenW(found.cFileName)), found.dwFileAttributes)) return ERROR_SUCCESS;
    } while (::FindNextFileW(find.Get(), &found));
    return ::GetLastError();
}

// GetProcAddress with the entry point's type, e.g.
//   auto fn = ProcAddress<decltype(&::GetNativeSystemInfo)>(kernel32, "GetNativeSystemInfo");
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loads a library that comes with Windows by its full path in the system
// folder, never from the program's folder or the current one. Null when it
// cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// The function `name` (or an ordinal, MAKEINTRESOURCEA) of a library that
// comes with Windows, loaded from the system folder; null when either is
// not there. The library stays loaded: keep the result, e.g. in a static.
template <typename Function>
Function SystemProcAddress(const char* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module != nullptr ? ProcAddress<Function>(module, name) : nullptr;
}

// The system's description of a Win32 error code, without the trailing
// line break.
std::string SystemErrorText(DWORD code);

}  // namespace kalvex
