#include "firmware/utf8code.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace korvel {

namespace {

constexpr int kFirstHigh = 0x80;
constexpr int kPerLine = 8;

[[nodiscard]] std::string hex16(std::uint32_t value) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "0x%04X", static_cast<unsigned>(value));
    return text.data();
}

/// The characters of codes 128..255 as initialiser lines; 0 where a code has none.
[[nodiscard]] std::vector<std::string> highCharacterLines(const CodePage& page) {
    std::vector<std::string> lines;
    std::string line;
    for (int code = kFirstHigh; code < 256; ++code) {
        const auto character = page.toUnicode(static_cast<std::uint8_t>(code));
        line += (line.empty() ? "        " : " ") + hex16(character.value_or(0)) + ",";
        if ((code - kFirstHigh) % kPerLine == kPerLine - 1) {
            lines.push_back(line + " /* " + std::to_string(code - kPerLine + 1) + "-" +
                            std::to_string(code) + " */");
            line.clear();
        }
    }
    return lines;
}

} // namespace

std::vector<std::string> utf8CodeFunction(std::string_view name, const CodePage& page) {
    const std::string n(name);
    std::vector<std::string> lines{
        "/* The code in this font (code page " + std::string(page.name()) +
            ") of the UTF-8 character at *utf8,",
        "   which moves *utf8 past it; '?' for a character the code page lacks or a malformed",
        "   sequence. To print a UTF-8 string s:",
        "       const char *p = s;",
        "       while (*p != '\\0') {",
        "           uint8_t code = " + n + "_code(&p);",
        "           ... draw the glyph of code ...",
        "       }",
        "*/",
        "static inline uint8_t " + n + "_code(const char **utf8) {",
        "    /* The character of each code from 128 on; 0 where the code page has none. */",
        "    static const uint16_t high[128] = {",
    };
    for (std::string& line : highCharacterLines(page)) {
        lines.push_back(std::move(line));
    }
    const std::vector<std::string> body{
        "    };",
        "    const unsigned char *s = (const unsigned char *)*utf8;",
        "    uint32_t c = s[0];",
        "    uint32_t least = 0;",
        "    int more = 0;",
        "    int k;",
        "    if (c < 0x80) {",
        "        *utf8 += 1;",
        "        return (uint8_t)c;",
        "    }",
        "    if (c >= 0xC2 && c <= 0xDF) {",
        "        more = 1;",
        "        least = 0x80;",
        "        c &= 0x1F;",
        "    } else if (c >= 0xE0 && c <= 0xEF) {",
        "        more = 2;",
        "        least = 0x800;",
        "        c &= 0x0F;",
        "    } else if (c >= 0xF0 && c <= 0xF4) {",
        "        more = 3;",
        "        least = 0x10000;",
        "        c &= 0x07;",
        "    } else {",
        "        *utf8 += 1; /* a continuation byte or one no UTF-8 text holds */",
        "        return '?';",
        "    }",
        "    for (k = 1; k <= more; ++k) {",
        "        if ((s[k] & 0xC0) != 0x80) {",
        "            *utf8 += k; /* cut short: the next character starts at s[k] */",
        "            return '?';",
        "        }",
        "        c = (c << 6) | (uint32_t)(s[k] & 0x3F);",
        "    }",
        "    *utf8 += more + 1;",
        "    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {",
        "        return '?';",
        "    }",
        "    for (k = 0; k < 128; ++k) {",
        "        if (high[k] == c) {",
        "            return (uint8_t)(128 + k);",
        "        }",
        "    }",
        "    return '?';",
        "}",
        "",
    };
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
}

} // namespace korvel
