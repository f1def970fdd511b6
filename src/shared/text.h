// Text inside the program is UTF-8; Windows' wide calls take UTF-16. These
// convert between the two without losing anything a file name may hold: a
// lone surrogate (which Windows allows in names) travels as its own three
// bytes and comes back as it was. Portable.
#pragma once

#include <string>

namespace kalvex {

// The line separator of every text the program shows or writes.
constexpr const char* kNewLine = "\r\n";

std::string Utf8FromUtf16(const std::u16string& text);

// Bytes that are not UTF-8 become U+FFFD, one for each byte.
std::u16string Utf16FromUtf8(const std::string& text);

}  // namespace kalvex
