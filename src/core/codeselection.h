#pragma once

// Which codes of a font library an export takes: lists of codes and ranges typed by the user
// ("32-126,176,192-255"), or the characters of a text mapped through the code page, so that a
// firmware font carries only the glyphs a display shows.

#include "core/codepage.h"
#include "core/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Codes in ascending order, each once.
using CodeList = std::vector<int>;

/// The highest code a font library holds.
inline constexpr int kHighestCode = 255;

/// Reads "32-126,176,192-255": codes and FIRST-LAST ranges (FIRST not above LAST) separated by
/// commas, each from 0 to 255. Fails with a sentence naming the part that is not one.
[[nodiscard]] Result<CodeList> parseCodeList(std::string_view text);

/// The codes of the characters of a UTF-8 text in the code page, and the space. Fails naming the
/// first character the code page lacks, or a byte sequence that is no UTF-8.
[[nodiscard]] Result<CodeList> codesOfCharacters(std::string_view utf8,
                                                 const CodePage& codePage = windows1252());

/// Both lists in one, ascending.
[[nodiscard]] CodeList mergedCodes(const CodeList& a, const CodeList& b);

/// The list as parseCodeList reads it, runs written as ranges: "32-126,176".
[[nodiscard]] std::string codeListText(const CodeList& codes);

/// Whether the codes follow one another without a gap.
[[nodiscard]] bool isOneRun(const CodeList& codes);

/// The characters of a UTF-8 text, or nothing when it is no UTF-8.
[[nodiscard]] Result<std::u32string> decodeUtf8(std::string_view utf8);

/// A character as UTF-8.
[[nodiscard]] std::string encodeUtf8(char32_t character);

} // namespace korvel
