// The error that toolkit services and adapters raise when a platform call
// fails. Portable.
#pragma once

#include <stdexcept>
#include <string>

namespace kalvex {

// It carries the description text that a report to the user shows.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace kalvex
