#include "win32_version.h"

#include <windows.h>

#include "shared/basic_types.h"
#include "shared/win32_handles.h"

namespace kalvex {

namespace {

// The version library is not one of the libraries Windows always takes from
// its system folder: imported, it would be looked for beside the program
// first. It is loaded from the system folder by its full path instead, when
// first needed, and stays for the program's life.
struct VersionCalls {
    decltype(&::GetFileVersionInfoSizeA) sizeOf =
        SystemProcAddress<decltype(&::GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
    decltype(&::GetFileVersionInfoA) read =
        SystemProcAddress<decltype(&::GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
};

const VersionCalls& Version() {
    static const VersionCalls calls;
    if (calls.sizeOf == nullptr || calls.read == nullptr) throw Error("Can't find DLL entry point in version.dll");
    return calls;
}

}  // namespace

std::uint32_t Win32Version::GetFileVersionInfoSizeA(const std::string& path) {
    DWORD handle = 0;
    return Version().sizeOf(path.c_str(), &handle);
}

std::int32_t Win32Version::GetFileVersionInfoA(const std::string& path, std::vector<std::uint8_t>& block) {
    return Version().read(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data());
}

std::string Win32Version::AnsiFromUtf16(const std::u16string& text) {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

std::string Win32Version::AnsiFromLegacyCodePage(const std::string& text) {
    // The code page the system's locale gives programs that do not choose
    // UTF-8; where this program has it too, nothing needs converting.
    DWORD legacy = 0;
    ::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&legacy), sizeof(legacy) / sizeof(WCHAR));
    if (text.empty() || legacy == 0 || legacy == ::GetACP()) return text;
    const int length = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(legacy, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return text;
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(legacy, 0, text.data(), length, reinterpret_cast<wchar_t*>(&wide[0]), units);
    return AnsiFromUtf16(wide);
}

}  // namespace kalvex
