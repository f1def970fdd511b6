// What the program asks Windows: whether it is a 64-bit Windows, where its
// system folder is, whether a file can be opened, and the name a component
// is checked, read and loaded by. Portable: the calls are behind SystemApi.
#pragma once

#include <cstdint>
#include <string>

#include "system_api.h"

namespace kalvex {

// Whether a processor-architecture code is that of a 64-bit Windows: x64,
// Itanium or ARM64, each of which keeps its x86 system files in SysWOW64.
bool Is64BitArchitecture(std::uint16_t architecture);

// True when the machine runs a 64-bit Windows, also when this program runs
// as a 32-bit process on it.
bool is64(SystemApi& system);

// The Windows system folder as SystemDirectory gives it; "" when the call
// fails.
std::string GetSystemPath(SystemApi& system);

// True when the file can be opened for reading: a file on disk, not a folder
// or a device; every failure counts as false. Start-up asks it of the
// default component, Register and Unregister of the name they check.
bool IsFileThere(SystemApi& system, const std::string& path);

// The name a component is checked, read and loaded by: the name as given,
// made absolute against the current folder (as opening it would resolve
// it), so that nothing later looks for it anywhere else, and with a
// trailing "." where its last part has no extension (which names the same
// file), so that a library loader does not add ".dll". The name as given
// when it cannot be made absolute.
std::string ComponentPath(SystemApi& system, const std::string& fileSpec);

}  // namespace kalvex
