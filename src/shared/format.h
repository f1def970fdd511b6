// Numbers as text, written out by hand: the C++ library's formatting would
// double the program's size. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

// "1234".
std::string Decimal(std::uint32_t value);

// "0x" and eight upper-case hex digits: "0x80070005".
std::string Hex8(std::uint32_t value);

}  // namespace kalvex
