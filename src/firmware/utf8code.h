#pragma once

// The C99 function a font header carries so that firmware can print UTF-8 text with the font's
// 8-bit codes.

#include "core/codepage.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// The lines of `static inline uint8_t NAME_code(const char **utf8)`: it decodes one UTF-8
/// character at *utf8, moves *utf8 past it and returns the character's code in page, or the code
/// of '?' for a character page lacks and for a malformed sequence (which it passes over one byte
/// at a time, never past a terminating 0). A comment above it shows the loop that prints a string.
[[nodiscard]] std::vector<std::string> utf8CodeFunction(std::string_view name,
                                                        const CodePage& page);

} // namespace korvel
