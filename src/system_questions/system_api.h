// The system calls behind the system questions. The Win32 adapter makes the
// real calls and answers a failure in its result, raising nothing; the unit
// tests fake them.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

class SystemApi {
public:
    virtual ~SystemApi() = default;

    // Processor-architecture code of the machine as it really is, read from
    // a system-information record zeroed before the call.
    virtual std::uint16_t NativeProcessorArchitecture() = 0;

    // The system directory, as long as the call reports it (no NUL after
    // it); "" when the call fails.
    virtual std::string SystemDirectory() = 0;

    // Opens the file for reading only and closes it again. True when the
    // open succeeded and the file is one on disk, not a folder or a device;
    // false otherwise. Never leaves the file open.
    virtual bool CanOpenForReading(const std::string& path) = 0;

    // The path made absolute against the current folder, as opening it
    // would resolve it. "" when it cannot be.
    virtual std::string FullPathName(const std::string& path) = 0;
};

}  // namespace kalvex
