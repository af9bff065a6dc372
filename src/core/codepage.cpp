#include "core/codepage.h"

#include <algorithm>
#include <array>

namespace korvel {

namespace {
// Codes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHigh{{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
}};
} // namespace

char32_t cp1252ToUnicode(std::uint8_t code) {
    if (code >= 0x80 && code <= 0x9F) {
        return kHigh[code - 0x80U];
    }
    return code;
}

std::optional<std::uint8_t> unicodeToCp1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<std::uint8_t>(character);
    }
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == character) {
            return static_cast<std::uint8_t>(0x80 + k);
        }
    }
    return std::nullopt;
}

std::uint8_t foldCase1252(std::uint8_t code) {
    const bool asciiCapital = code >= 'A' && code <= 'Z';
    const bool latinCapital = code >= 0xC0 && code <= 0xDE && code != 0xD7;
    if (asciiCapital || latinCapital) {
        return static_cast<std::uint8_t>(code + 0x20);
    }
    switch (code) {
    case 0x8A: // S with caron
    case 0x8C: // ligature OE
    case 0x8E: // Z with caron
        return static_cast<std::uint8_t>(code + 0x10);
    case 0x9F: // Y with diaeresis; its small form sits at 0xFF
        return 0xFF;
    default:
        return code;
    }
}

bool equalFoldingCase1252(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase1252(static_cast<std::uint8_t>(x)) ==
                      foldCase1252(static_cast<std::uint8_t>(y));
           });
}

} // namespace korvel
