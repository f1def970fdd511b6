#include "version_label.h"

#include "shared/text.h"

namespace kalvex {

namespace {

constexpr char32_t kLineMark = u'\u00B6';
constexpr char32_t kEllipsis = u'\u2026';

bool IsLineBreak(char32_t c) {
    return c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool SetsDirection(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Format characters that draw nothing and join nothing: soft hyphen,
// grapheme joiner, Mongolian free variation selectors and vowel separator,
// zero width space, word joiner and invisible operators, the deprecated
// shaping controls, the byte-order mark, interlinear annotation, musical
// formatting and tag characters.
bool DrawsNothing(char32_t c) {
    return c == 0x00AD || c == 0x034F || (c >= 0x180B && c <= 0x180F) || c == 0x200B || (c >= 0x2060 && c <= 0x2064) ||
           (c >= 0x206A && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) ||
           (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE007F);
}

// Letters of no shape that take room: the Hangul fillers and Khmer's
// inherent vowels.
bool IsBlankFiller(char32_t c) {
    return c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 || c == 0x3164 || c == 0xFFA0;
}

bool IsSpace(char32_t c) {
    return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

void Append(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
}

// The code point at `text[i]`, moving `i` past it; U+FFFD for a lone
// surrogate.
char32_t Next(const std::u16string& text, std::size_t& i) {
    const char32_t unit = text[i++];
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i++] - 0xDC00);
    }
    return 0xFFFD;
}

}  // namespace

std::string ShownVersionValue(const std::string& value) {
    const std::u16string text = Utf16FromUtf8(value);
    std::u32string shown;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = Next(text, i);
        if (SetsDirection(c) || DrawsNothing(c)) continue;
        if (c == u'\r' && i < text.size() && text[i] == u'\n') ++i;  // CR LF is one break
        if (IsLineBreak(c)) {
            shown.push_back(kLineMark);
        } else if (IsControl(c) || IsBlankFiller(c) || IsSpace(c)) {
            if (shown.empty() || shown.back() != u' ') shown.push_back(u' ');
        } else {
            shown.push_back(c);
        }
    }
    if (shown.size() > kLongestShownValue) {
        shown.resize(kLongestShownValue - 1);
        shown.push_back(kEllipsis);
    }
    std::u16string units;
    for (const char32_t c : shown) Append(units, c);
    return Utf8FromUtf16(units);
}

}  // namespace kalvex
