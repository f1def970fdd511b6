// Where the version-information block of a file comes from: the file's own
// bytes, which the program looks through itself (pe_resources.h), and the
// system's code page for the text of old blocks. The read needs only these
// calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kalvex {

// A file's bytes, read-only, for as long as the object lives.
class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual const std::uint8_t* Data() const = 0;
    virtual std::size_t Size() const = 0;
};

// Bytes held in memory.
class HeldBytes final : public FileBytes {
public:
    explicit HeldBytes(std::vector<std::uint8_t> bytes) : mBytes(std::move(bytes)) {}
    const std::uint8_t* Data() const override { return mBytes.data(); }
    std::size_t Size() const override { return mBytes.size(); }

private:
    std::vector<std::uint8_t> mBytes;
};

class VersionApi {
public:
    virtual ~VersionApi() = default;

    // The whole file at `path`; null when it cannot be opened or read, or
    // is empty.
    virtual std::unique_ptr<FileBytes> OpenFile(const std::string& path) = 0;
    // Single-byte text of an old (16-bit) block, which is in the system's
    // ANSI code page, as UTF-8.
    virtual std::string Utf8FromSystemCodePage(const std::string& text) = 0;
};

}  // namespace kalvex
