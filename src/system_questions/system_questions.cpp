#include "system_questions.h"

namespace kalvex {

namespace {

constexpr std::uint16_t kArchitectureIa64 = 6;
constexpr std::uint16_t kArchitectureAmd64 = 9;
constexpr std::uint16_t kArchitectureArm64 = 12;

// A path whose last part has no extension gets a trailing ".".
std::string WithExplicitExtension(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    return path + ".";
}

}  // namespace

bool Is64BitArchitecture(std::uint16_t architecture) {
    return architecture == kArchitectureAmd64 || architecture == kArchitectureIa64 ||
           architecture == kArchitectureArm64;
}

bool is64(SystemApi& system) { return Is64BitArchitecture(system.NativeProcessorArchitecture()); }

std::string GetSystemPath(SystemApi& system) { return system.SystemDirectory(); }

bool IsFileThere(SystemApi& system, const std::string& path) {
    // A name with a NUL inside would reach the system cut short and name a
    // different file; such a name cannot be opened as given.
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    return system.CanOpenForReading(path);
}

std::string ComponentPath(SystemApi& system, const std::string& fileSpec) {
    const std::string absolute = system.FullPathName(fileSpec);
    return WithExplicitExtension(absolute.empty() ? fileSpec : absolute);
}

}  // namespace kalvex
