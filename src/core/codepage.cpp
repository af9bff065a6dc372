#include "core/codepage.h"

#include "core/codepagetables.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace korvel {

namespace {

using codepages::CodePageTable;
using codepages::kHighCodes;
using codepages::kTables;

constexpr std::uint8_t kFirstHigh = 0x80;
/// Undefined codes below this stand for the C1 control character of the same number.
constexpr std::uint8_t kFirstWithoutControl = 0xA0;

[[nodiscard]] char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return lowerAscii(c); });
    return lower;
}

/// Each code page's characters 128..255 sorted by character, for fromUnicode.
struct ReverseTable {
    std::array<std::pair<char32_t, std::uint8_t>, kHighCodes> entries{};
    std::size_t size = 0;
};

[[nodiscard]] ReverseTable reverseOf(const CodePage& page) {
    ReverseTable reverse;
    for (std::size_t k = 0; k < kHighCodes; ++k) {
        const auto code = static_cast<std::uint8_t>(kFirstHigh + k);
        if (const auto character = page.toUnicode(code)) {
            reverse.entries[reverse.size++] = {*character, code};
        }
    }
    std::sort(reverse.entries.begin(),
              reverse.entries.begin() + static_cast<std::ptrdiff_t>(reverse.size));
    return reverse;
}

[[nodiscard]] const ReverseTable& reverseTableOf(const CodePageTable& table) {
    static const auto reverses = [] {
        std::array<ReverseTable, codepages::kCodePageCount> all{};
        for (std::size_t k = 0; k < all.size(); ++k) {
            all[k] = reverseOf(allCodePages()[k]);
        }
        return all;
    }();
    return reverses[static_cast<std::size_t>(&table - kTables.data())];
}

/// The language of a locale name in lower case: "ru" of "ru_RU.UTF-8", "de" of "de-DE".
[[nodiscard]] std::string languageOf(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_-.@");
    return lowerAscii(locale.substr(0, end));
}

[[nodiscard]] bool isLatinModifier(std::string_view locale) {
    const std::size_t at = locale.find('@');
    return at != std::string_view::npos && lowerAscii(locale.substr(at + 1)) == "latin";
}

} // namespace

std::span<const CodePage> allCodePages() {
    static const auto pages = [] {
        std::array<CodePage, codepages::kCodePageCount> all;
        for (std::size_t k = 0; k < all.size(); ++k) {
            all[k] = CodePage(kTables[k]);
        }
        return all;
    }();
    return pages;
}

CodePage::CodePage() : table_(&kTables.front()) {}

std::string_view CodePage::name() const {
    return table_->names.front();
}

std::string_view CodePage::caption() const {
    return table_->caption;
}

std::string_view CodePage::script() const {
    return table_->script;
}

std::span<const std::string_view> CodePage::names() const {
    return table_->names;
}

std::optional<char32_t> CodePage::toUnicode(std::uint8_t code) const {
    if (code < kFirstHigh) {
        return code;
    }
    const char16_t character = table_->high[code - kFirstHigh];
    if (character != 0) {
        return character;
    }
    if (code < kFirstWithoutControl) {
        return code;
    }
    return std::nullopt;
}

bool CodePage::defines(std::uint8_t code) const {
    return code < kFirstHigh || table_->high[code - kFirstHigh] != 0;
}

std::optional<std::uint8_t> CodePage::fromUnicode(char32_t character) const {
    if (character < kFirstHigh) {
        return static_cast<std::uint8_t>(character);
    }
    const ReverseTable& reverse = reverseTableOf(*table_);
    const auto* const end = reverse.entries.begin() + static_cast<std::ptrdiff_t>(reverse.size);
    const auto* const found =
        std::lower_bound(reverse.entries.begin(), end, character,
                         [](const auto& entry, char32_t wanted) { return entry.first < wanted; });
    if (found == end || found->first != character) {
        return std::nullopt;
    }
    return found->second;
}

std::uint8_t CodePage::foldCase(std::uint8_t code) const {
    if (code < kFirstHigh) {
        return static_cast<std::uint8_t>(lowerAscii(static_cast<char>(code)));
    }
    return table_->lowerHigh[code - kFirstHigh];
}

bool CodePage::equalFoldingCase(std::string_view a, std::string_view b) const {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [this](char x, char y) {
               return foldCase(static_cast<std::uint8_t>(x)) ==
                      foldCase(static_cast<std::uint8_t>(y));
           });
}

std::string CodePage::foldedCase(std::string_view text) const {
    std::string folded(text);
    for (char& c : folded) {
        c = static_cast<char>(foldCase(static_cast<std::uint8_t>(c)));
    }
    return folded;
}

CodePage windows1252() {
    return CodePage();
}

std::optional<CodePage> codePageByName(std::string_view name) {
    const std::string wanted = lowerAscii(name);
    for (const CodePage& page : allCodePages()) {
        const auto names = page.names();
        if (std::find(names.begin(), names.end(), wanted) != names.end()) {
            return page;
        }
    }
    return std::nullopt;
}

CodePage defaultCodePageForLocale(std::string_view localeName) {
    struct LanguagePage {
        std::string_view languages;
        std::string_view page;
    };
    // Windows' code page for the languages it writes in a script other than Western Latin.
    static constexpr std::array<LanguagePage, 8> kLanguagePages{{
        {" ru uk be bg sr mk ", "1251"},
        {" pl cs sk hu sl hr bs ro sq ", "1250"},
        {" el ", "1253"},
        {" tr az ", "1254"},
        {" he ", "1255"},
        {" ar fa ur ", "1256"},
        {" et lv lt ", "1257"},
        {" vi ", "1258"},
    }};
    const std::string language = languageOf(localeName);
    if (language.empty()) {
        return windows1252();
    }
    if (language == "sr" && isLatinModifier(localeName)) {
        return *codePageByName("1250"); // Windows writes Serbian in Latin letters in 1250
    }
    const std::string word = " " + language + " ";
    for (const LanguagePage& entry : kLanguagePages) {
        if (entry.languages.find(word) != std::string_view::npos) {
            return *codePageByName(entry.page);
        }
    }
    return windows1252();
}

std::string localeNameOfEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

// ---- Windows-1252 on its own ----

namespace {
// Codes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHigh1252{{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
}};
} // namespace

char32_t cp1252ToUnicode(std::uint8_t code) {
    if (code >= 0x80 && code <= 0x9F) {
        return kHigh1252[code - 0x80U];
    }
    return code;
}

std::optional<std::uint8_t> unicodeToCp1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<std::uint8_t>(character);
    }
    for (std::size_t k = 0; k < kHigh1252.size(); ++k) {
        if (kHigh1252[k] == character) {
            return static_cast<std::uint8_t>(0x80 + k);
        }
    }
    return std::nullopt;
}

std::uint8_t foldCase1252(std::uint8_t code) {
    const bool asciiCapital = code >= 'A' && code <= 'Z';
    const bool latinCapital = code >= 0xC0 && code <= 0xDE && code != 0xD7;
    if (asciiCapital || latinCapital) {
        return static_cast<std::uint8_t>(code + 0x20);
    }
    switch (code) {
    case 0x8A: // S with caron
    case 0x8C: // ligature OE
    case 0x8E: // Z with caron
        return static_cast<std::uint8_t>(code + 0x10);
    case 0x9F: // Y with diaeresis; its small form sits at 0xFF
        return 0xFF;
    default:
        return code;
    }
}

bool equalFoldingCase1252(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase1252(static_cast<std::uint8_t>(x)) ==
                      foldCase1252(static_cast<std::uint8_t>(y));
           });
}

} // namespace korvel
