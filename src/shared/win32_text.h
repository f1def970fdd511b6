// UTF-8 text of the program to and from the UTF-16 of Windows' wide calls.
// The UTF-16 is held as std::u16string: Windows reads its units as wchar_t,
// and std::wstring would bring a large part of the C++ library along.
// Windows only.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "text.h"

namespace kalvex {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline std::u16string Wide(const std::string& text) { return Utf16FromUtf8(text); }

// The text as a wide call takes it.
inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* W(std::u16string& text) { return reinterpret_cast<wchar_t*>(&text[0]); }

inline std::string Utf8(const std::u16string& text) { return Utf8FromUtf16(text); }

inline std::string Utf8(const wchar_t* text, std::size_t length) {
    const auto* units = reinterpret_cast<const char16_t*>(text);
    return Utf8FromUtf16(std::u16string(units, units + length));
}

// The text that `call(buffer, size)` writes, for the calls that answer the
// length they wrote when it fits, and otherwise a length not below the size
// they were given (the size they need, or that size itself when they cut
// the text short): GetModuleFileNameW, GetFullPathNameW,
// GetSystemDirectoryW. The buffer grows until the text fits. Nothing when
// the call answers 0, or the text would be longer than any path.
template <typename Call>
std::optional<std::u16string> GrowingText(Call&& call) {
    constexpr std::size_t kLongestPath = 32768;
    std::u16string buffer(MAX_PATH, u'\0');
    while (buffer.size() <= 2 * kLongestPath) {
        const std::size_t length = call(W(buffer), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(std::max(length, 2 * buffer.size()));
    }
    return std::nullopt;
}

}  // namespace kalvex
