// A value of a version block as the window's label shows it. Portable.
#pragma once

#include <cstddef>
#include <string>

namespace kalvex {

// Values longer than this many characters are cut: the label shows each
// value on one line of its own, and what it cannot hold is clipped.
constexpr std::size_t kLongestShownValue = 64;

// `value` (UTF-8) on one line, in the order it is stored and with every
// character there to see: a line break (CR LF, CR, LF, VT, FF, NEL, U+2028,
// U+2029) becomes a pilcrow "¶"; characters that set the text's direction
// (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) and format
// characters that draw nothing are removed; any run of spaces of any width,
// other control characters and blank fillers becomes one space, so that
// blanks cannot carry the rest of a value out of sight; lone surrogates
// become U+FFFD. A result longer than kLongestShownValue characters ends in
// "…" at that length.
std::string ShownVersionValue(const std::string& value);

}  // namespace kalvex
