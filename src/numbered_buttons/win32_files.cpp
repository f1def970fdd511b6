#include "win32_files.h"

#include <windows.h>

#include "shared/error.h"
#include "shared/win32_handles.h"

namespace kalvex {

namespace {
[[noreturn]] void RaiseLastError() { throw Error(SystemErrorText(::GetLastError())); }
}  // namespace

void Win32Files::Write(const std::string& path, const std::string& bytes) {
    const QuietFileErrors quiet;
    // CREATE_ALWAYS empties an existing file, so nothing of a longer one stays.
    UniqueFile file(::CreateFileW(W(Wide(path)), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseLastError();
    // The bytes as given: CR LF stays CR LF.
    const char* data = bytes.data();
    std::string::size_type left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file.Get(), data, static_cast<DWORD>(left), &written, nullptr)) RaiseLastError();
        if (written == 0) throw Error(SystemErrorText(ERROR_WRITE_FAULT));
        data += written;
        left -= written;
    }
    // A close that fails may have lost what was written.
    if (!::CloseHandle(file.Release())) RaiseLastError();
}

}  // namespace kalvex
