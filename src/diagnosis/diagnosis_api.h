// What the diagnosis of a failed registration asks the system: a file's
// bytes, whether a file is there, which module the loader maps for a name,
// and about the program itself. The Win32 adapter makes the real calls; the
// unit tests fake them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pe_image.h"

namespace kalvex {

// A file's bytes, for as long as this lives.
class FileView {
public:
    virtual ~FileView() = default;
    virtual std::string_view Bytes() const = 0;
};

// Where the loader finds a module, or why it does not.
struct LoaderAnswer {
    std::string path;         // its full path; "" when not found
    std::uint32_t error = 0;  // the system's error code when not found
};

class DiagnosisApi {
public:
    virtual ~DiagnosisApi() = default;

    // The file's bytes, read-only; null when it cannot be opened. An empty
    // file gives an empty view.
    virtual std::unique_ptr<FileView> OpenFile(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // The module that the loader maps for `name` (a file name, or a name it
    // resolves itself), searched the way a component's own dependencies are
    // searched past its folder, without running anything in it.
    virtual LoaderAnswer AskLoader(const std::string& name) = 0;
    // The processor this program is built for.
    virtual Machine ProgramMachine() = 0;
    // Whether Windows is 64-bit (it runs programs of both bitnesses).
    virtual bool Windows64() = 0;
    // The Windows folder, e.g. "C:\Windows".
    virtual std::string WindowsFolder() = 0;
    // Whether the process runs with administrator rights in full.
    virtual bool Elevated() = 0;
    // The system's text for an error code or result, "" when it has none.
    virtual std::string SystemText(std::uint32_t code) = 0;
};

}  // namespace kalvex
