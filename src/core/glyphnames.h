#pragma once

// Standard glyph names (the Adobe Glyph List names that font tools share, such as "Euro",
// "quotedblleft" or "Eacute") of the characters a Windows-1252 font library can hold.

#include <optional>
#include <string>
#include <string_view>

namespace korvel {

/// The standard name of a character: its common glyph name where it has one, else "uniXXXX"
/// (four or more uppercase hexadecimal digits).
[[nodiscard]] std::string glyphName(char32_t character);

/// The character a glyph name stands for: a common name this table knows, or "uniXXXX" and
/// "uXXXX" to "uXXXXXX" forms. Nothing for any other name.
[[nodiscard]] std::optional<char32_t> characterOfGlyphName(std::string_view name);

} // namespace korvel
