// The three questions the program asks Windows.
#pragma once

#include <string>

#include "system_api.h"

namespace kalvex {

constexpr std::uint16_t kArchitectureIntel = 0;
constexpr std::uint16_t kArchitectureIa64 = 6;
constexpr std::uint16_t kArchitectureAmd64 = 9;
constexpr std::uint16_t kArchitectureArm64 = 12;

// Length of the buffer handed to the system-directory call, in UTF-16 units.
constexpr std::uint32_t kSystemPathBufferLength = 260;

// True when the machine runs a 64-bit Windows (x64, Itanium or ARM64: each
// keeps its x86 system files in SysWOW64), also when this program runs as a
// 32-bit process on it. Errors go to the caller.
bool is64(SystemApi& system);

// The Windows system directory, without its terminating NUL; "" when the
// call fails. Errors go to the caller.
std::string GetSystemPath(SystemApi& system);

// True when the file can be opened for reading. Never raises; every failure
// counts as false.
bool IsFileThere(SystemApi& system, const std::string& path);

// The name a checked component is read and loaded by: the name as the file
// check resolved it (absolute, against the current folder), so that neither
// the version read nor the load looks for it anywhere else. The name as
// given when it cannot be made absolute.
std::string ComponentPath(SystemApi& system, const std::string& fileSpec);

// A path whose last part has no extension gets a trailing "." (which names
// the same file), so that a library loader does not add ".dll" to it.
std::string WithExplicitExtension(const std::string& path);

}  // namespace kalvex
