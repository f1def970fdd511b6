#include "win32_files.h"

#include "basic_types.h"
#include "win32_handles.h"

namespace kalvex {

namespace {
[[noreturn]] void RaiseLastError() { throw Error(SystemErrorText(::GetLastError())); }
}  // namespace

Win32Files::Win32Files() {
    for (HANDLE& slot : slots_) slot = INVALID_HANDLE_VALUE;
}

Win32Files::~Win32Files() {
    for (HANDLE slot : slots_) {
        if (slot != INVALID_HANDLE_VALUE) ::CloseHandle(slot);
    }
}

HANDLE& Win32Files::Slot(int fileNumber) {
    if (fileNumber < 1 || fileNumber > kSlots) throw Error("Bad file name or number");
    return slots_[fileNumber - 1];
}

int Win32Files::FreeFile() {
    for (int number = 1; number <= kSlots; ++number) {
        if (slots_[number - 1] == INVALID_HANDLE_VALUE) return number;
    }
    throw Error("Too many files");
}

void Win32Files::OpenForOutput(int fileNumber, const std::string& path) {
    HANDLE& slot = Slot(fileNumber);
    if (slot != INVALID_HANDLE_VALUE) throw Error("File already open");
    // CREATE_ALWAYS empties an existing file, so nothing of a longer one stays.
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) RaiseLastError();
    slot = file;
}

void Win32Files::WriteText(int fileNumber, const std::string& text) {
    HANDLE file = Slot(fileNumber);
    if (file == INVALID_HANDLE_VALUE) throw Error("Bad file name or number");
    // The bytes as given: CR LF stays CR LF.
    const char* data = text.data();
    std::string::size_type left = text.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(left), &written, nullptr)) RaiseLastError();
        if (written == 0) throw Error(SystemErrorText(ERROR_WRITE_FAULT));
        data += written;
        left -= written;
    }
}

void Win32Files::Close(int fileNumber) {
    HANDLE& slot = Slot(fileNumber);
    if (slot == INVALID_HANDLE_VALUE) return;
    HANDLE file = slot;
    // The number is free again whatever CloseHandle answers.
    slot = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(file)) RaiseLastError();
}

}  // namespace kalvex
