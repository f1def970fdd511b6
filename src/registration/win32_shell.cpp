#include "win32_shell.h"

namespace kalvex {

std::uint32_t Win32Shell::IsUserAnAdmin() { return 0; }
void Win32Shell::ShellExecute(const std::string&, const std::string&, const std::string&, int) {}

}  // namespace kalvex
