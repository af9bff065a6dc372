#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

/// The character that byte code stands for in Windows-1252. The five codes that code page leaves
/// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number.
[[nodiscard]] char32_t cp1252ToUnicode(std::uint8_t code);

/// The Windows-1252 byte of a character, or nothing when the code page has none.
[[nodiscard]] std::optional<std::uint8_t> unicodeToCp1252(char32_t character);

/// The lower-case form of a Windows-1252 byte: A-Z, the accented capitals 0xC0-0xDE (except the
/// multiplication sign 0xD7), and the pairs 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E and 0x9F/0xFF. Every
/// other byte is its own lower-case form, so two names are the same name in any letter case
/// exactly when their bytes fold to the same bytes.
[[nodiscard]] std::uint8_t foldCase1252(std::uint8_t code);

/// Whether two Windows-1252 texts are equal when letter case is ignored (see foldCase1252).
[[nodiscard]] bool equalFoldingCase1252(std::string_view a, std::string_view b);

} // namespace korvel
