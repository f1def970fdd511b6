// The three questions the program asks Windows.
#pragma once

#include <string>

#include "system_api.h"
#include "window/basic_types.h"

namespace kalvex {

constexpr std::uint16_t kArchitectureIntel = 0;
constexpr std::uint16_t kArchitectureIa64 = 6;
constexpr std::uint16_t kArchitectureAmd64 = 9;

// Length of the buffer handed to the system-directory call.
constexpr std::uint32_t kSystemPathBufferLength = 260;

// True when the machine runs a 64-bit Windows (x64 or Itanium), also when
// this program runs as a 32-bit process on it. Errors go to the caller.
VbBool Is64(SystemApi& system);

// The Windows system directory, without its terminating NUL; "" when the
// call fails. Errors go to the caller.
std::string SystemPath(SystemApi& system);

// True when the file can be opened for reading. Never raises; every failure
// counts as False.
VbBool FileIsThere(SystemApi& system, const std::string& path);

}  // namespace kalvex
