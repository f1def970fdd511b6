// What a component's file says about itself before anything loads it: the
// processor it is built for, whether it is a library, a program or a .NET
// assembly, the libraries and functions it imports, and the names it
// exports. Read from the file's bytes as they lie on disk, every offset
// checked against them. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvex {

enum class Machine { Unknown, X86, X64, Arm64, Other };

struct ImageHeader {
    Machine machine = Machine::Unknown;
    bool isDll = false;
    // A .NET assembly: its CLR directory is there. One holding nothing but
    // IL code loads into a program of either bitness.
    bool isDotNet = false;
    bool ilOnly = false;
};

// Nothing when the bytes are not those of a PE image (text, a file cut
// short, an empty one).
std::optional<ImageHeader> ReadImageHeader(std::string_view bytes);

struct ImportedModule {
    std::string name;
    // Delay-loaded: the module is loaded when one of its functions is
    // first called, not with the importer.
    bool delayed = false;
    // The functions imported by name (those imported by number are left
    // out).
    std::vector<std::string> functions;
};

// The modules the image imports, in the order of its directories, plain
// ones first; what lies outside the bytes is left out.
std::vector<ImportedModule> ReadImports(std::string_view bytes);

// The names the image exports, sorted; nothing when it has no export
// directory.
std::optional<std::vector<std::string>> ReadExportNames(std::string_view bytes);

}  // namespace kalvex
