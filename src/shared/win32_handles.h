// Thin wrappers of Win32 calls that every subsystem uses: owning handles,
// the file search loop, quiet file errors, a typed GetProcAddress, libraries
// from the system folder and the system's error texts. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "unique_handle.h"
#include "win32_text.h"

namespace kalvex {

struct FileHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    void Close(Type h) const { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    void Close(Type h) const { ::FindClose(h); }
};

// Kernel objects whose "none" is null, as CreateThread answers.
struct KernelObjectTraits {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    void Close(Type h) const { ::CloseHandle(h); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type None() { return nullptr; }
    void Close(Type h) const { ::DeleteObject(h); }
};

struct MappedViewTraits {
    using Type = const void*;
    static Type None() { return nullptr; }
    void Close(Type view) const { ::UnmapViewOfFile(view); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

// A file mapped whole for reading: pages are read as they are touched, so a
// large file costs no more than what is read of it. Others may read the file
// meanwhile, and rename or delete it, but not write to it. An empty file
// maps to no bytes.
class ReadOnlyMapping {
public:
    // Nothing when the file cannot be opened or mapped. File errors never
    // ask the user.
    static std::optional<ReadOnlyMapping> Open(const std::string& path);
    const char* Data() const { return static_cast<const char*>(mView.Get()); }
    std::size_t Size() const { return mSize; }

private:
    UniqueKernelObject mMapping;
    UniqueHandle<MappedViewTraits> mView;
    std::size_t mSize = 0;
};

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

// The system folder (GetSystemDirectoryW); nothing when it cannot be told.
std::optional<std::u16string> SystemFolder();

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
