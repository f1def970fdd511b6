// Where the numbered buttons' batch files are written. The Win32 adapter
// writes real files; the unit tests fake it.
#pragma once

#include <string>

namespace kalvex {

class FileApi {
public:
    virtual ~FileApi() = default;

    // Writes `bytes` as the whole content of the file at `path`, creating it
    // or emptying an existing one. Raises kalvex::Error with the platform's
    // description of a failure.
    virtual void Write(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kalvex
