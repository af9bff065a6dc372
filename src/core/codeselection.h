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

/// U+FFFD, which stands for bytes that are no UTF-8 and for codes that stand for no character.
inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

/// The characters of a text taken as UTF-8, each byte that begins no valid sequence read as
/// U+FFFD, as Qt reads such bytes: a command-line argument becomes the same name in korvel-cli
/// as in the editor.
[[nodiscard]] std::u32string decodeUtf8Replacing(std::string_view utf8);

/// A character as UTF-8.
[[nodiscard]] std::string encodeUtf8(char32_t character);

/// A text as a library holds it, one byte of the page a character: '?' for a character the page
/// has no code for.
[[nodiscard]] std::string libraryTextOf(std::u32string_view characters, const CodePage& page);

/// A text as a library holds it, one byte of the page a character, or nothing when the page has
/// no code for one of its characters.
[[nodiscard]] std::optional<std::string> libraryTextExactly(std::u32string_view characters,
                                                            const CodePage& page);

/// A library's text as UTF-8: U+FFFD for a byte that stands for no character in the page.
[[nodiscard]] std::string utf8OfLibraryText(std::string_view bytes, const CodePage& page);

} // namespace korvel
