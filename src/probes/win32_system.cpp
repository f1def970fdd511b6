#include "win32_system.h"

#include <windows.h>

#include "shared/error.h"
#include "shared/win32_handles.h"

namespace kalvex {

std::uint16_t Win32System::NativeProcessorArchitecture() {
    // Looked up at run time: Windows versions before XP lack the call.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto getNativeSystemInfo = ProcAddress<decltype(&::GetNativeSystemInfo)>(kernel, "GetNativeSystemInfo");
    if (getNativeSystemInfo == nullptr) {
        throw Error("Can't find DLL entry point GetNativeSystemInfo in kernel32");
    }
    SYSTEM_INFO info;
    ::ZeroMemory(&info, sizeof(info));
    getNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

std::uint32_t Win32System::SystemDirectory(char16_t* buffer, std::uint32_t size) {
    return ::GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), size);
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
    std::u16string full(MAX_PATH, u'\0');
    DWORD length = ::GetFullPathNameW(W(wide), static_cast<DWORD>(full.size()), W(full), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = ::GetFullPathNameW(W(wide), static_cast<DWORD>(full.size()), W(full), nullptr);
    }
    if (length == 0 || length >= full.size()) return std::string();
    full.resize(length);
    return Utf8(full);
}

}  // namespace kalvex
