#pragma once

// 8-bit code pages: which character each code 0..255 of a font library or each byte of a bitmap
// name stands for. Codes 0 to 127 are ASCII in every code page (codes below 32 stand for the
// control characters of the same number); codes 128 to 255 follow the page's table.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

namespace codepages {
struct CodePageTable;
}

/// One supported 8-bit code page. A small value: copies refer to the same static table, and two
/// values are equal exactly when they are the same code page. The default value is Windows-1252.
///
/// A code the page leaves undefined behaves as the five undefined Windows-1252 codes (0x81,
/// 0x8D, 0x8F, 0x90, 0x9D) always have: below 0xA0 it stands for the control character of the
/// same number, as Windows itself maps such codes. An undefined code at 0xA0 or above (there are
/// some in Greek, Hebrew, Arabic, Baltic and Thai pages) has no such control character and stands
/// for no character at all.
class CodePage {
public:
    CodePage();

    /// The canonical lower-case name: "windows-1251", "iso-8859-5", "koi8-r", "cp866".
    [[nodiscard]] std::string_view name() const;
    /// The name as the editor's menu shows it: "Windows-1251", "ISO-8859-5", "KOI8-R", "DOS 866".
    [[nodiscard]] std::string_view caption() const;
    /// The script or region the code page serves, for grouping: "Cyrillic", "Central European".
    [[nodiscard]] std::string_view script() const;
    /// Every name codePageByName accepts for it, in lower case, the canonical name first.
    [[nodiscard]] std::span<const std::string_view> names() const;

    /// The character code stands for; nothing for an undefined code at 0xA0 or above.
    [[nodiscard]] std::optional<char32_t> toUnicode(std::uint8_t code) const;
    /// Whether the code page itself assigns a character to code (ASCII and C1 controls included
    /// where the page has them); false for the undefined codes described above.
    [[nodiscard]] bool defines(std::uint8_t code) const;
    /// The code that stands for character, or nothing when the code page has none. The inverse of
    /// toUnicode: fromUnicode(*toUnicode(c)) == c for every code with a character.
    [[nodiscard]] std::optional<std::uint8_t> fromUnicode(char32_t character) const;

    /// The code of code's lower-case letter in this code page (Unicode's simple lower-case
    /// mapping, where the small letter is in the page), else code itself. Two names are the same
    /// name in any letter case exactly when their bytes fold to the same bytes.
    [[nodiscard]] std::uint8_t foldCase(std::uint8_t code) const;
    /// Whether two texts of this code page are equal when letter case is ignored.
    [[nodiscard]] bool equalFoldingCase(std::string_view a, std::string_view b) const;
    /// The text with every byte folded (see foldCase), for keys that ignore letter case.
    [[nodiscard]] std::string foldedCase(std::string_view text) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.table_ == b.table_; }

private:
    friend std::span<const CodePage> allCodePages();
    explicit CodePage(const codepages::CodePageTable& table) : table_(&table) {}

    const codepages::CodePageTable* table_;
};

/// Every supported code page, grouped by script, Windows-1252 first.
[[nodiscard]] std::span<const CodePage> allCodePages();

/// Windows-1252, the code page of the C and POSIX locales.
[[nodiscard]] CodePage windows1252();

/// The code page called name, in any letter case: "cp1251", "Windows-1251", "1251",
/// "ISO-8859-5", "iso8859-5", "iso_8859-5", "latin2", "KOI8-R", "cp437", "IBM866", ...
[[nodiscard]] std::optional<CodePage> codePageByName(std::string_view name);

/// The Windows code page of a locale's language ("ru_RU.UTF-8", "pl", "sr_RS@latin", "de-DE"),
/// as Windows chooses it: 1251 for ru, uk, be, bg, sr, mk; 1250 for pl, cs, sk, hu, sl, hr, bs,
/// ro, sq and Serbian in Latin letters; 1253 for el; 1254 for tr, az; 1255 for he; 1256 for ar,
/// fa, ur; 1257 for et, lv, lt; 1258 for vi; Windows-1252 for every other language and for the
/// C and POSIX locales.
[[nodiscard]] CodePage defaultCodePageForLocale(std::string_view localeName);

/// The locale that decides character handling in this process's environment: LC_ALL, else
/// LC_CTYPE, else LANG, the first one set and not empty; "C" when none is.
[[nodiscard]] std::string localeNameOfEnvironment();

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
