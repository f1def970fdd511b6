#include "win32_system.h"

#include <windows.h>

#include "shared/win32_handles.h"

namespace kalvex {

std::uint16_t Win32System::NativeProcessorArchitecture() {
    SYSTEM_INFO info;
    ::ZeroMemory(&info, sizeof(info));
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

std::string Win32System::SystemDirectory() {
    const std::optional<std::u16string> folder = SystemFolder();
    return folder ? Utf8(*folder) : std::string();
}

bool Win32System::CanOpenForReading(const std::string& path) {
    const QuietFileErrors quiet;
    UniqueFile file(::CreateFileW(W(Wide(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Only a file on disk counts: not a folder, not a device such as NUL.
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    // The open is what counts; the attributes only rule out a folder.
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(file.Get(), &information)) return true;
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Win32System::FullPathName(const std::string& path) {
    const std::u16string wide = Wide(path);
    const std::optional<std::u16string> full =
        GrowingText([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(W(wide), size, buffer, nullptr); });
    return full ? Utf8(*full) : std::string();
}

}  // namespace kalvex
