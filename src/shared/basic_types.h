// Small shared vocabulary of the portable core: 16-bit booleans and the
// error type that adapters raise when a platform call fails.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kalvex {

// Booleans are 16-bit with True = -1, as the window's callers expect.
using VbBool = std::int16_t;
constexpr VbBool kTrue = -1;
constexpr VbBool kFalse = 0;

constexpr VbBool ToVb(bool value) { return value ? kTrue : kFalse; }

// An error raised by a toolkit service or a system call. It carries the
// description text that a report to the user shows.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace kalvex
