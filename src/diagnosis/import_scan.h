// What a component's file and the modules it needs say about a failure to
// load or to call it: the file's own header, then its imports, searched as
// the loader searched them. Portable: the system is asked through
// DiagnosisApi.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnosis_api.h"
#include "pe_image.h"

namespace kalvex {

// The loader's error for a module built for another processor
// (ERROR_BAD_EXE_FORMAT).
constexpr std::uint32_t kBadImageError = 193;

// What examining the component found.
struct Finding {
    enum class Kind {
        Nothing,             // nothing specific: the system's text says the rest
        FileMissing,         // the component itself is not there
        EmptyFile,           // it holds no bytes
        NotAnImage,          // it is no Windows library (text, cut short, another kind)
        DotNet,              // it is a .NET assembly of IL code alone
        OtherMachine,        // it is built for another processor than the program
        ModuleMissing,       // a module it needs (or one of theirs) is not found
        ModuleOtherMachine,  // a module it needs is built for another processor
        FunctionMissing,     // a module it needs lacks a function it imports
    };
    Kind kind = Kind::Nothing;
    // The component's machine, or that of the module at fault.
    Machine machine = Machine::Unknown;
    // File names from the component to the module at fault, both included.
    std::vector<std::string> chain{};
    std::string function{};
    // The folder of the module at fault, where one was found.
    std::string folder{};
};

// Looks for a cause of a failed load in the file's header and the modules
// it imports, searched as the load searched them: first in the component's
// own folder, then as the loader finds them. Bounded in depth and count.
Finding FindLoadProblem(DiagnosisApi& api, const std::string& path);
// The same over the modules a component that loaded needs only when it
// calls them (delay-loaded) or whose functions it found lacking.
Finding FindCallProblem(DiagnosisApi& api, const std::string& path);

// The name a file is shown by: its path's last part.
std::string FileNameOf(const std::string& path);
// The folder a path names its file in; "" for a bare name.
std::string FolderOf(const std::string& path);

}  // namespace kalvex
