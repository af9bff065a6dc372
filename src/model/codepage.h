#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

/// The character that byte code stands for in Windows-1252. The five codes that code page leaves
/// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number.
[[nodiscard]] char32_t cp1252ToUnicode(std::uint8_t code);

/// The Windows-1252 byte of a character, or nothing when the code page has none.
[[nodiscard]] std::optional<std::uint8_t> unicodeToCp1252(char32_t character);

} // namespace korvel
