#pragma once

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

} // namespace korvel
