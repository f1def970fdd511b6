#include "win32_version.h"

#include <windows.h>

#include "shared/error.h"
#include "shared/win32_handles.h"

namespace kalvex {

namespace {

// The version library is not one of the libraries Windows always takes from
// its system folder: imported, it would be looked for beside the program
// first. It is loaded from the system folder by its full path instead, when
// first needed, and stays for the program's life.
struct VersionCalls {
    decltype(&::GetFileVersionInfoSizeW) sizeOf =
        SystemProcAddress<decltype(&::GetFileVersionInfoSizeW)>("version.dll", "GetFileVersionInfoSizeW");
    decltype(&::GetFileVersionInfoW) read =
        SystemProcAddress<decltype(&::GetFileVersionInfoW)>("version.dll", "GetFileVersionInfoW");
};

const VersionCalls& Version() {
    static const VersionCalls calls;
    if (calls.sizeOf == nullptr || calls.read == nullptr) throw Error("Can't find DLL entry point in version.dll");
    return calls;
}

}  // namespace

std::uint32_t Win32Version::VersionBlockSize(const std::string& path) {
    const QuietFileErrors quiet;
    DWORD handle = 0;
    return Version().sizeOf(W(Wide(path)), &handle);
}

bool Win32Version::ReadVersionBlock(const std::string& path, std::vector<std::uint8_t>& block) {
    const QuietFileErrors quiet;
    return Version().read(W(Wide(path)), 0, static_cast<DWORD>(block.size()), block.data()) != FALSE;
}

std::string Win32Version::Utf8FromSystemCodePage(const std::string& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return std::string();
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, W(wide), units);
    return Utf8(wide);
}

}  // namespace kalvex
