#include "probes.h"

#include <exception>

namespace kalvex {

VbBool Is64(SystemApi& system) {
    const std::uint16_t architecture = system.NativeProcessorArchitecture();
    return ToVb(architecture == kArchitectureAmd64 || architecture == kArchitectureIa64);
}

std::string SystemPath(SystemApi& system) {
    std::string buffer(kSystemPathBufferLength, '\0');
    if (system.SystemDirectory(&buffer[0], kSystemPathBufferLength) == 0) return std::string();
    // The text ends at the first NUL, whatever count the call returned.
    return buffer.substr(0, buffer.find('\0'));
}

VbBool FileIsThere(SystemApi& system, const std::string& path) {
    // A name with a NUL inside would reach the system cut short and name a
    // different file; such a name cannot be opened as given.
    if (path.empty() || path.find('\0') != std::string::npos) return kFalse;
    try {
        return ToVb(system.CanOpenForReading(path));
    } catch (const std::exception&) {
        return kFalse;
    }
}

}  // namespace kalvex
