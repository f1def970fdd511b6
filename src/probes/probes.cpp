#include "probes.h"

#include <exception>

#include "shared/text.h"

namespace kalvex {

bool is64(SystemApi& system) {
    const std::uint16_t architecture = system.NativeProcessorArchitecture();
    return architecture == kArchitectureAmd64 || architecture == kArchitectureIa64 ||
           architecture == kArchitectureArm64;
}

std::string GetSystemPath(SystemApi& system) {
    std::u16string buffer(kSystemPathBufferLength, u'\0');
    if (system.SystemDirectory(&buffer[0], kSystemPathBufferLength) == 0) return std::string();
    // The text ends at the first NUL, whatever count the call returned.
    return Utf8FromUtf16(buffer.substr(0, buffer.find(u'\0')));
}

bool IsFileThere(SystemApi& system, const std::string& path) {
    // A name with a NUL inside would reach the system cut short and name a
    // different file; such a name cannot be opened as given.
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    try {
        return system.CanOpenForReading(path);
    } catch (const std::exception&) {
        return false;
    }
}

std::string ComponentPath(SystemApi& system, const std::string& fileSpec) {
    const std::string absolute = system.FullPathName(fileSpec);
    return WithExplicitExtension(absolute.empty() ? fileSpec : absolute);
}

std::string WithExplicitExtension(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    return path + ".";
}

}  // namespace kalvex
