#include "pe_version.h"

#include <fstream>

#include "shared/text.h"

namespace kalvex {

std::unique_ptr<FileBytes> FileVersionApi::OpenFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return nullptr;
    const std::streamoff size = in.tellg();
    if (size <= 0 || !in.seekg(0)) return nullptr;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return nullptr;
    return std::make_unique<HeldBytes>(std::move(bytes));
}

std::string FileVersionApi::Utf8FromSystemCodePage(const std::string& text) {
    std::u16string units;
    for (const char c : text) units.push_back(static_cast<unsigned char>(c));
    return Utf8FromUtf16(units);
}

}  // namespace kalvex
