// Every code page table against the C library's iconv, code by code both ways, and the names,
// letter case and locale rule of the code pages.

#include "core/bitmaplibrary.h"
#include "core/codepage.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace korvel {
namespace {

/// The name glibc's iconv knows a code page by.
std::string iconvName(const CodePage& page) {
    const std::string name(page.name());
    if (name.starts_with("windows-")) {
        return "CP" + name.substr(8);
    }
    if (name.starts_with("cp")) {
        return "IBM" + name.substr(2);
    }
    return name; // iso-8859-N, koi8-r and koi8-u as they are
}

/// One iconv conversion, opened once for many calls.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    [[nodiscard]] bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    /// The bytes iconv makes of input, or nothing when it refuses them.
    [[nodiscard]] std::optional<std::string> convert(std::string input) const {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        std::array<char, 32> output{};
        char* in = input.data();
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        // A converter that holds back a character to combine it with the next one gives it now.
        if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        return std::string(output.data(), static_cast<std::size_t>(out - output.data()));
    }

private:
    iconv_t handle_;
};

std::string utf32(char32_t character) {
    std::string bytes(4, '\0');
    for (int k = 0; k < 4; ++k) {
        bytes[static_cast<std::size_t>(k)] = static_cast<char>((character >> (8 * k)) & 0xFF);
    }
    return bytes;
}

std::optional<char32_t> decodedByIconv(const Converter& decoder, int code) {
    const auto out = decoder.convert(std::string(1, static_cast<char>(code)));
    if (!out || out->size() != 4) {
        return std::nullopt;
    }
    char32_t character = 0;
    for (int k = 3; k >= 0; --k) {
        character =
            (character << 8) | static_cast<std::uint8_t>((*out)[static_cast<std::size_t>(k)]);
    }
    return character;
}

TEST(CodePageTables, EveryCodeDecodesAsIconvDecodesIt) {
    for (const CodePage& page : allCodePages()) {
        const Converter decoder("UTF-32LE", iconvName(page));
        ASSERT_TRUE(decoder.ok()) << iconvName(page);
        for (int code = 0; code < 256; ++code) {
            const auto byte = static_cast<std::uint8_t>(code);
            const auto expected = decodedByIconv(decoder, code);
            EXPECT_EQ(page.defines(byte), expected.has_value()) << page.name() << " " << code;
            if (expected) {
                EXPECT_EQ(page.toUnicode(byte), expected) << page.name() << " " << code;
            } else {
                // An undefined code stands for the control character of its number below 0xA0.
                const auto standIn = code < 0xA0 ? std::optional<char32_t>(code) : std::nullopt;
                EXPECT_EQ(page.toUnicode(byte), standIn) << page.name() << " " << code;
            }
        }
    }
}

TEST(CodePageTables, EveryCharacterEncodesAsIconvEncodesIt) {
    for (const CodePage& page : allCodePages()) {
        const Converter encoder(iconvName(page), "UTF-32LE");
        ASSERT_TRUE(encoder.ok()) << iconvName(page);
        int equivalents = 0;
        for (int code = 0; code < 256; ++code) {
            const auto character = page.toUnicode(static_cast<std::uint8_t>(code));
            if (character && page.defines(static_cast<std::uint8_t>(code))) {
                EXPECT_EQ(encoder.convert(utf32(*character)),
                          std::string(1, static_cast<char>(code)))
                    << page.name() << " " << code;
            }
        }
        // Every character of the Basic Multilingual Plane except the surrogates, and one beyond.
        for (char32_t character = 0; character <= 0x10000; ++character) {
            if (character >= 0xD800 && character <= 0xDFFF) {
                continue;
            }
            const auto out = encoder.convert(utf32(character));
            std::optional<std::uint8_t> expected;
            if (out && out->size() == 1) {
                const auto byte = static_cast<std::uint8_t>((*out)[0]);
                // iconv also takes a few canonically equivalent characters (U+0340 for the
                // combining grave accent U+0300 of Windows-1258); only a code's own character
                // is that code's character here.
                if (page.toUnicode(byte) == character) {
                    expected = byte;
                } else {
                    ++equivalents;
                }
            } else if (character >= 0x80 && character < 0xA0 &&
                       !page.defines(static_cast<std::uint8_t>(character))) {
                expected = static_cast<std::uint8_t>(character); // the stand-in control character
            }
            ASSERT_EQ(page.fromUnicode(character), expected)
                << page.name() << " U+" << std::hex << static_cast<std::uint32_t>(character);
        }
        EXPECT_LT(equivalents, 8) << page.name();
    }
}

TEST(CodePageNames, EveryNameResolvesInAnyLetterCaseAndNamesOnlyOnePage) {
    std::set<std::string> seen;
    for (const CodePage& page : allCodePages()) {
        for (const std::string_view name : page.names()) {
            EXPECT_TRUE(seen.insert(std::string(name)).second) << name;
            EXPECT_EQ(codePageByName(name), page) << name;
            std::string upper(name);
            for (char& c : upper) {
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            }
            EXPECT_EQ(codePageByName(upper), page) << upper;
        }
        EXPECT_EQ(page.names().front(), page.name());
        EXPECT_FALSE(page.caption().empty());
        EXPECT_FALSE(page.script().empty());
    }
    EXPECT_EQ(allCodePages().size(), 30U);
    EXPECT_EQ(allCodePages().front(), windows1252());
    EXPECT_EQ(CodePage(), windows1252());
    const std::array<std::pair<std::string_view, std::string_view>, 9> usual{{
        {"cp1251", "windows-1251"},
        {"Windows-1251", "windows-1251"},
        {"iso-8859-5", "iso-8859-5"},
        {"ISO8859-5", "iso-8859-5"},
        {"koi8-r", "koi8-r"},
        {"cp437", "cp437"},
        {"IBM866", "cp866"},
        {"latin2", "iso-8859-2"},
        {"iso_8859-16", "iso-8859-16"},
    }};
    for (const auto& [name, canonical] : usual) {
        const auto page = codePageByName(name);
        ASSERT_TRUE(page.has_value()) << name;
        EXPECT_EQ(page->name(), canonical);
    }
    for (const std::string_view unknown :
         {"", "utf-8", "cp1259", "iso-8859-12", "koi8", " cp1251"}) {
        EXPECT_FALSE(codePageByName(unknown).has_value()) << unknown;
    }
}

TEST(CodePageCase, Windows1252IsTheSameAsTheOldFunctionsByteForByte) {
    const CodePage page = windows1252();
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        EXPECT_EQ(page.toUnicode(byte), cp1252ToUnicode(byte)) << code;
        EXPECT_EQ(page.foldCase(byte), foldCase1252(byte)) << code;
    }
    for (char32_t character = 0; character < 0x10000; ++character) {
        ASSERT_EQ(page.fromUnicode(character), unicodeToCp1252(character))
            << static_cast<std::uint32_t>(character);
    }
}

/// The C library's lower case of a character, through its built-in UTF-8 locale.
class LowerCase {
public:
    LowerCase() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {}
    ~LowerCase() {
        if (locale_ != nullptr) {
            freelocale(locale_);
        }
    }
    LowerCase(const LowerCase&) = delete;
    LowerCase& operator=(const LowerCase&) = delete;
    [[nodiscard]] bool ok() const { return locale_ != nullptr; }
    [[nodiscard]] char32_t of(char32_t character) const {
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(character), locale_));
    }

private:
    locale_t locale_;
};

TEST(CodePageCase, EveryCapitalFoldsOntoItsSmallLetterInItsOwnPage) {
    const LowerCase lower;
    ASSERT_TRUE(lower.ok());
    for (const CodePage& page : allCodePages()) {
        for (int code = 0; code < 256; ++code) {
            const auto byte = static_cast<std::uint8_t>(code);
            const auto character = page.toUnicode(byte);
            const auto small = character ? page.fromUnicode(lower.of(*character)) : std::nullopt;
            EXPECT_EQ(page.foldCase(byte), small.value_or(byte)) << page.name() << " " << code;
        }
    }
    const CodePage cp1251 = *codePageByName("cp1251");
    EXPECT_TRUE(cp1251.equalFoldingCase("\xC0\xC1\xA8Z", "\xE0\xE1\xB8z")); // "АБЁZ", "абёz"
    EXPECT_FALSE(cp1251.equalFoldingCase("\xC0", "\xE1"));
    EXPECT_FALSE(windows1252().equalFoldingCase("\xC0", "\xE0\xE0"));
    // The same bytes pair up in one page and not in another: "ё" and "Ё" in KOI8-R, "ј" and "і"
    // in Windows-1251.
    EXPECT_TRUE(codePageByName("koi8-r")->equalFoldingCase("\xA3", "\xB3"));
    EXPECT_FALSE(cp1251.equalFoldingCase("\xA3", "\xB3"));
    EXPECT_EQ(cp1251.foldedCase("\xCB\xCE\xC3\xCE"), "\xEB\xEE\xE3\xEE"); // "ЛОГО"
}

TEST(CodePageLocale, TheLanguageChoosesTheWindowsCodePage) {
    const std::array<std::pair<std::string_view, std::string_view>, 22> cases{{
        {"C", "windows-1252"},
        {"POSIX", "windows-1252"},
        {"", "windows-1252"},
        {"C.UTF-8", "windows-1252"},
        {"en_US.UTF-8", "windows-1252"},
        {"de-DE", "windows-1252"},
        {"ru_RU.UTF-8", "windows-1251"},
        {"uk_UA", "windows-1251"},
        {"sr_RS", "windows-1251"},
        {"sr_RS@latin", "windows-1250"},
        {"pl_PL.ISO-8859-2", "windows-1250"},
        {"SQ_AL", "windows-1250"},
        {"el_GR.UTF-8", "windows-1253"},
        {"az_AZ", "windows-1254"},
        {"tr", "windows-1254"},
        {"he_IL", "windows-1255"},
        {"ur_PK", "windows-1256"},
        {"fa_IR", "windows-1256"},
        {"lt_LT", "windows-1257"},
        {"vi_VN", "windows-1258"},
        {"kk_KZ", "windows-1252"},
        {"ja_JP.eucJP", "windows-1252"},
    }};
    for (const auto& [locale, page] : cases) {
        EXPECT_EQ(defaultCodePageForLocale(locale).name(), page) << locale;
    }
}

} // namespace
} // namespace korvel

namespace korvel {
namespace {

TEST(CodePageNameIndex, NamesAreComparedInTheIndexsCodePage) {
    BitmapLibrary library;
    library.append({"\xCB\xEE\xE3\xEE", 1, 1, Picture(1, 1)}); // "Лого" in Windows-1251
    library.append({"\xA8", 1, 1, Picture(1, 1)});             // "Ё"; in Windows-1252 "¨"
    EXPECT_EQ(library.index.find("\xB8"), std::nullopt);       // "¸" is no letter there
    EXPECT_EQ(library.index.find("\xEB\xEE\xE3\xEE"), 0);      // "ëîãî", as "Ëîãî"
    library.index.setCodePage(*codePageByName("cp1251"));
    EXPECT_EQ(library.index.find("\xB8"), 1);             // "ё"
    EXPECT_EQ(library.index.find("\xEB\xEE\xE3\xEE"), 0); // "лого"
    // The lines keep their bytes; appending and removing keep the code page.
    library.append({"\xC0", 1, 1, Picture(1, 1)}); // "А"
    library.remove(0);
    EXPECT_EQ(library.index.find("\xB8"), 0);
    EXPECT_EQ(library.index.find("\xE0"), 1);
    EXPECT_EQ(library.index.lines().front(), "\xA8=0");
    library.index.setCodePage(*codePageByName("koi8-r"));
    EXPECT_EQ(library.index.find("\xB8"), std::nullopt); // 0xA8 and 0xB8 are box drawing there
}

} // namespace
} // namespace korvel
