#pragma once

#include "core/codepage.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel {

/// A code as messages and comments name it: "65 'A'" for printable ASCII, else "200".
[[nodiscard]] inline std::string glyphLabel(int code) {
    std::string label = std::to_string(code);
    if (code > 0x20 && code < 0x7F && code != '\'' && code != '\\') {
        label += std::string(" '") + static_cast<char>(code) + "'";
    }
    return label;
}

/// A code as the comments of a font in a code page name it: as above, and a character above ASCII
/// by its Unicode value ("192 U+0410"), so the header stays plain ASCII. Undefined codes and C1
/// control characters are named by the code alone.
[[nodiscard]] inline std::string glyphLabel(int code, const CodePage& page) {
    std::string label = glyphLabel(code);
    const auto byte = static_cast<std::uint8_t>(code);
    const auto character = page.toUnicode(byte);
    const bool control = character && *character >= 0x80 && *character <= 0x9F;
    if (code >= 0x80 && code < 0x100 && character && page.defines(byte) && !control) {
        std::array<char, 16> text{};
        std::snprintf(text.data(), text.size(), " U+%04X", static_cast<unsigned>(*character));
        label += text.data();
    }
    return label;
}

} // namespace korvel
