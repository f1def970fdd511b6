// The shell calls behind the numbered buttons. The Win32 adapter makes the
// real calls; the unit tests fake them. Any of them may raise kalvex::Error.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

class ShellApi {
public:
    virtual ~ShellApi() = default;

    // The shell's user-is-administrator test (Shell32, ordinal 680), its
    // answer as returned: the caller looks at the low 16 bits only.
    virtual std::uint32_t IsUserAnAdmin() = 0;

    // Hands `file` with `parameters` to the shell to run with the verb
    // `operation`, with no owner window and no directory. The result is not
    // examined.
    virtual void Launch(const std::string& operation, const std::string& file, const std::string& parameters,
                        int showCommand) = 0;
};

}  // namespace kalvex
