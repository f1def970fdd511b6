#include "win32_version.h"

#include <windows.h>

#include <cstdint>

#include "shared/win32_handles.h"

namespace kalvex {

namespace {

struct ViewTraits {
    using Type = const void*;
    static Type None() { return nullptr; }
    void Close(Type view) const { ::UnmapViewOfFile(view); }
};

// A file mapped whole for reading; pages are read as the reader touches
// them, so a large file costs no more than its headers and its resources.
class MappedFile final : public FileBytes {
public:
    MappedFile(UniqueKernelObject mapping, UniqueHandle<ViewTraits> view, std::size_t size)
        : mMapping(std::move(mapping)), mView(std::move(view)), mSize(size) {}
    const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(mView.Get()); }
    std::size_t Size() const override { return mSize; }

private:
    UniqueKernelObject mMapping;
    UniqueHandle<ViewTraits> mView;
    std::size_t mSize;
};

}  // namespace

// Others may read the file meanwhile, and rename or delete it, but not
// write to it (the reader's bounds hold for the bytes as mapped).
std::unique_ptr<FileBytes> Win32Version::OpenFile(const std::string& path) {
    const QuietFileErrors quiet;
    const UniqueFile file(::CreateFileW(W(Wide(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return nullptr;
    const auto bytes = static_cast<std::size_t>(size.QuadPart);
    if (static_cast<LONGLONG>(bytes) != size.QuadPart) return nullptr;  // more than the address space
    UniqueKernelObject mapping(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return nullptr;
    UniqueHandle<ViewTraits> view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return nullptr;
    return std::make_unique<MappedFile>(std::move(mapping), std::move(view), bytes);
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
