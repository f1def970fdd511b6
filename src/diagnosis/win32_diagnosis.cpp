#include "win32_diagnosis.h"

#include <windows.h>

#include "shared/win32_handles.h"

namespace kalvex {

namespace {

// The file's bytes, mapped.
class MappedFile final : public FileView {
public:
    explicit MappedFile(ReadOnlyMapping mapping) : mMapping(std::move(mapping)) {}
    std::string_view Bytes() const override { return std::string_view(mMapping.Data(), mMapping.Size()); }

private:
    ReadOnlyMapping mMapping;
};

std::string ModulePath(HMODULE module) {
    const std::optional<std::u16string> path =
        GrowingText([&](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(module, buffer, size); });
    return path ? Utf8(*path) : std::string();
}

std::string FolderOf(const std::string& path) {
    const std::size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

bool SameText(const std::string& a, const std::string& b) {
    return ::CompareStringOrdinal(W(Wide(a)), -1, W(Wide(b)), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::unique_ptr<FileView> Win32Diagnosis::OpenFile(const std::string& path) {
    std::optional<ReadOnlyMapping> mapping = ReadOnlyMapping::Open(path);
    if (!mapping) return nullptr;
    return std::make_unique<MappedFile>(std::move(*mapping));
}

bool Win32Diagnosis::FileExists(const std::string& path) {
    const QuietFileErrors quiet;
    const DWORD attributes = ::GetFileAttributesW(W(Wide(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The loader is asked first: it knows the modules already loaded, the known
// libraries, the names that stand for sets of system functions, and the
// system folder. It maps the module without resolving its imports or
// running it, and the module is freed at once: one left mapped that way
// would be handed as it is to a later load of the same file. Past the
// system folder, a component's load searches the Windows folder, the
// current folder and the PATH; never the program's own folder.
LoaderAnswer Win32Diagnosis::AskLoader(const std::string& name) {
    const QuietFileErrors quiet;
    const std::u16string wide = Wide(name);
    HMODULE module = ::LoadLibraryExW(W(wide), nullptr, DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_SEARCH_SYSTEM32);
    DWORD error = module == nullptr ? ::GetLastError() : ERROR_SUCCESS;
    if (error == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: the loader's whole search.
        module = ::LoadLibraryExW(W(wide), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        error = module == nullptr ? ::GetLastError() : ERROR_SUCCESS;
    }
    if (module != nullptr) {
        const std::string path = ModulePath(module);
        ::FreeLibrary(module);
        if (!path.empty() && !SameText(FolderOf(path), FolderOf(ModulePath(nullptr)))) return {path, 0};
    }
    std::string folders = WindowsFolder() + "\\System;" + WindowsFolder() + ";";
    if (const auto current =
            GrowingText([](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); })) {
        folders += Utf8(*current) + ";";
    }
    if (const auto path =
            GrowingText([](wchar_t* buffer, DWORD size) { return ::GetEnvironmentVariableW(L"PATH", buffer, size); })) {
        folders += Utf8(*path);
    }
    for (std::size_t start = 0, end = 0; start < folders.size(); start = end + 1) {
        end = folders.find(';', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (folder.empty()) continue;
        std::string candidate = folder;
        candidate += '\\';
        candidate += name;
        if (FileExists(candidate)) return {candidate, 0};
    }
    return {std::string(), error == ERROR_SUCCESS ? ERROR_MOD_NOT_FOUND : error};
}

Machine Win32Diagnosis::ProgramMachine() {
#if defined(__x86_64__) || defined(_M_X64)
    return Machine::X64;
#elif defined(__aarch64__) || defined(_M_ARM64)
    return Machine::Arm64;
#else
    return Machine::X86;
#endif
}

bool Win32Diagnosis::Windows64() {
#if defined(_WIN64)
    return true;
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::string Win32Diagnosis::WindowsFolder() {
    const std::optional<std::u16string> folder =
        GrowingText([](wchar_t* buffer, DWORD size) { return ::GetSystemWindowsDirectoryW(buffer, size); });
    return folder ? Utf8(*folder) : std::string("C:\\Windows");
}

// A process that cannot tell counts as elevated: no remedy is offered then.
bool Win32Diagnosis::Elevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    const UniqueKernelObject owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) return true;
    return elevation.TokenIsElevated != 0;
}

std::string Win32Diagnosis::SystemText(std::uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (length != 0 && text != nullptr) result = Utf8(text, length);
    if (text != nullptr) ::LocalFree(text);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

}  // namespace kalvex
