#include "format.h"

namespace kalvex {

std::string Decimal(std::uint32_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::string Hex8(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x00000000";
    for (std::size_t i = text.size() - 1; value != 0; --i, value >>= 4) text[i] = kDigits[value & 0xF];
    return text;
}

}  // namespace kalvex
