#include "win32_files.h"

#include "shared/basic_types.h"

namespace kalvex {

namespace {
[[noreturn]] void RaiseLastError() { throw Error(SystemErrorText(::GetLastError())); }
}  // namespace

UniqueFile& Win32Files::Slot(int fileNumber) {
    if (fileNumber < 1 || fileNumber > static_cast<int>(slots_.size())) throw Error("Bad file name or number");
    return slots_[static_cast<std::size_t>(fileNumber - 1)];
}

int Win32Files::FreeFile() {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i]) return static_cast<int>(i + 1);
    }
    throw Error("Too many files");
}

void Win32Files::OpenForOutput(int fileNumber, const std::string& path) {
    UniqueFile& slot = Slot(fileNumber);
    if (slot) throw Error("File already open");
    // CREATE_ALWAYS empties an existing file, so nothing of a longer one stays.
    slot.reset(::CreateFileW(W(Wide(path)), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!slot) RaiseLastError();
}

void Win32Files::WriteText(int fileNumber, const std::string& text) {
    const UniqueFile& file = Slot(fileNumber);
    if (!file) throw Error("Bad file name or number");
    // The bytes as given: CR LF stays CR LF.
    const char* data = text.data();
    std::string::size_type left = text.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), data, static_cast<DWORD>(left), &written, nullptr)) RaiseLastError();
        if (written == 0) throw Error(SystemErrorText(ERROR_WRITE_FAULT));
        data += written;
        left -= written;
    }
}

void Win32Files::Close(int fileNumber) {
    UniqueFile& slot = Slot(fileNumber);
    if (!slot) return;
    // The number is free again whatever CloseHandle answers.
    if (!::CloseHandle(slot.release())) RaiseLastError();
}

}  // namespace kalvex
