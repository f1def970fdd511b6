#include "win32_version.h"

#include <windows.h>

#include <cstdint>

#include "shared/win32_handles.h"

namespace kalvex {

namespace {

// The file's bytes, mapped.
class MappedFile final : public FileBytes {
public:
    explicit MappedFile(ReadOnlyMapping mapping) : mMapping(std::move(mapping)) {}
    const std::uint8_t* Data() const override { return reinterpret_cast<const std::uint8_t*>(mMapping.Data()); }
    std::size_t Size() const override { return mMapping.Size(); }

private:
    ReadOnlyMapping mMapping;
};

}  // namespace

std::unique_ptr<FileBytes> Win32Version::OpenFile(const std::string& path) {
    std::optional<ReadOnlyMapping> mapping = ReadOnlyMapping::Open(path);
    if (!mapping || mapping->Size() == 0) return nullptr;
    return std::make_unique<MappedFile>(std::move(*mapping));
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
