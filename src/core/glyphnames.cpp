#include "core/glyphnames.h"

#include "core/textcodes.h"

#include <algorithm>
#include <iterator>

namespace korvel {

namespace {

struct NamedCharacter {
    char32_t character;
    std::string_view name;
};

// The printable characters of Windows-1252 with a common name; the letters A-Z and a-z are
// named by themselves and are not listed.
constexpr NamedCharacter kNames[] = {
    {0x0020, "space"},
    {0x0021, "exclam"},
    {0x0022, "quotedbl"},
    {0x0023, "numbersign"},
    {0x0024, "dollar"},
    {0x0025, "percent"},
    {0x0026, "ampersand"},
    {0x0027, "quotesingle"},
    {0x0028, "parenleft"},
    {0x0029, "parenright"},
    {0x002A, "asterisk"},
    {0x002B, "plus"},
    {0x002C, "comma"},
    {0x002D, "hyphen"},
    {0x002E, "period"},
    {0x002F, "slash"},
    {0x0030, "zero"},
    {0x0031, "one"},
    {0x0032, "two"},
    {0x0033, "three"},
    {0x0034, "four"},
    {0x0035, "five"},
    {0x0036, "six"},
    {0x0037, "seven"},
    {0x0038, "eight"},
    {0x0039, "nine"},
    {0x003A, "colon"},
    {0x003B, "semicolon"},
    {0x003C, "less"},
    {0x003D, "equal"},
    {0x003E, "greater"},
    {0x003F, "question"},
    {0x0040, "at"},
    {0x005B, "bracketleft"},
    {0x005C, "backslash"},
    {0x005D, "bracketright"},
    {0x005E, "asciicircum"},
    {0x005F, "underscore"},
    {0x0060, "grave"},
    {0x007B, "braceleft"},
    {0x007C, "bar"},
    {0x007D, "braceright"},
    {0x007E, "asciitilde"},
    {0x00A1, "exclamdown"},
    {0x00A2, "cent"},
    {0x00A3, "sterling"},
    {0x00A4, "currency"},
    {0x00A5, "yen"},
    {0x00A6, "brokenbar"},
    {0x00A7, "section"},
    {0x00A8, "dieresis"},
    {0x00A9, "copyright"},
    {0x00AA, "ordfeminine"},
    {0x00AB, "guillemotleft"},
    {0x00AC, "logicalnot"},
    {0x00AE, "registered"},
    {0x00AF, "macron"},
    {0x00B0, "degree"},
    {0x00B1, "plusminus"},
    {0x00B2, "twosuperior"},
    {0x00B3, "threesuperior"},
    {0x00B4, "acute"},
    {0x00B5, "mu"},
    {0x00B6, "paragraph"},
    {0x00B7, "periodcentered"},
    {0x00B8, "cedilla"},
    {0x00B9, "onesuperior"},
    {0x00BA, "ordmasculine"},
    {0x00BB, "guillemotright"},
    {0x00BC, "onequarter"},
    {0x00BD, "onehalf"},
    {0x00BE, "threequarters"},
    {0x00BF, "questiondown"},
    {0x00C0, "Agrave"},
    {0x00C1, "Aacute"},
    {0x00C2, "Acircumflex"},
    {0x00C3, "Atilde"},
    {0x00C4, "Adieresis"},
    {0x00C5, "Aring"},
    {0x00C6, "AE"},
    {0x00C7, "Ccedilla"},
    {0x00C8, "Egrave"},
    {0x00C9, "Eacute"},
    {0x00CA, "Ecircumflex"},
    {0x00CB, "Edieresis"},
    {0x00CC, "Igrave"},
    {0x00CD, "Iacute"},
    {0x00CE, "Icircumflex"},
    {0x00CF, "Idieresis"},
    {0x00D0, "Eth"},
    {0x00D1, "Ntilde"},
    {0x00D2, "Ograve"},
    {0x00D3, "Oacute"},
    {0x00D4, "Ocircumflex"},
    {0x00D5, "Otilde"},
    {0x00D6, "Odieresis"},
    {0x00D7, "multiply"},
    {0x00D8, "Oslash"},
    {0x00D9, "Ugrave"},
    {0x00DA, "Uacute"},
    {0x00DB, "Ucircumflex"},
    {0x00DC, "Udieresis"},
    {0x00DD, "Yacute"},
    {0x00DE, "Thorn"},
    {0x00DF, "germandbls"},
    {0x00E0, "agrave"},
    {0x00E1, "aacute"},
    {0x00E2, "acircumflex"},
    {0x00E3, "atilde"},
    {0x00E4, "adieresis"},
    {0x00E5, "aring"},
    {0x00E6, "ae"},
    {0x00E7, "ccedilla"},
    {0x00E8, "egrave"},
    {0x00E9, "eacute"},
    {0x00EA, "ecircumflex"},
    {0x00EB, "edieresis"},
    {0x00EC, "igrave"},
    {0x00ED, "iacute"},
    {0x00EE, "icircumflex"},
    {0x00EF, "idieresis"},
    {0x00F0, "eth"},
    {0x00F1, "ntilde"},
    {0x00F2, "ograve"},
    {0x00F3, "oacute"},
    {0x00F4, "ocircumflex"},
    {0x00F5, "otilde"},
    {0x00F6, "odieresis"},
    {0x00F7, "divide"},
    {0x00F8, "oslash"},
    {0x00F9, "ugrave"},
    {0x00FA, "uacute"},
    {0x00FB, "ucircumflex"},
    {0x00FC, "udieresis"},
    {0x00FD, "yacute"},
    {0x00FE, "thorn"},
    {0x00FF, "ydieresis"},
    {0x0152, "OE"},
    {0x0153, "oe"},
    {0x0160, "Scaron"},
    {0x0161, "scaron"},
    {0x0178, "Ydieresis"},
    {0x017D, "Zcaron"},
    {0x017E, "zcaron"},
    {0x0192, "florin"},
    {0x02C6, "circumflex"},
    {0x02DC, "tilde"},
    {0x2013, "endash"},
    {0x2014, "emdash"},
    {0x2018, "quoteleft"},
    {0x2019, "quoteright"},
    {0x201A, "quotesinglbase"},
    {0x201C, "quotedblleft"},
    {0x201D, "quotedblright"},
    {0x201E, "quotedblbase"},
    {0x2020, "dagger"},
    {0x2021, "daggerdbl"},
    {0x2022, "bullet"},
    {0x2026, "ellipsis"},
    {0x2030, "perthousand"},
    {0x2039, "guilsinglleft"},
    {0x203A, "guilsinglright"},
    {0x20AC, "Euro"},
    {0x2122, "trademark"},
};

[[nodiscard]] bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/// The value of a run of hexadecimal digits of the given length range, or nothing.
[[nodiscard]] std::optional<char32_t> hexValue(std::string_view digits, std::size_t fewest,
                                               std::size_t most) {
    if (digits.size() < fewest || digits.size() > most) {
        return std::nullopt;
    }
    char32_t value = 0;
    for (const char c : digits) {
        // Standard names use uppercase digits only.
        if (c >= 'a' && c <= 'f') {
            return std::nullopt;
        }
        const auto digit = hexDigitValue(c);
        if (!digit) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<char32_t>(*digit);
    }
    // Surrogates and values beyond Unicode name no character.
    if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string glyphName(char32_t character) {
    if (isAsciiLetter(character)) {
        return std::string(1, static_cast<char>(character));
    }
    const auto* named =
        std::find_if(std::begin(kNames), std::end(kNames),
                     [&](const NamedCharacter& e) { return e.character == character; });
    if (named != std::end(kNames)) {
        return std::string(named->name);
    }
    return "uni" + IntConvertHex(static_cast<std::int32_t>(character), 4);
}

std::optional<char32_t> characterOfGlyphName(std::string_view name) {
    if (name.size() == 1 && isAsciiLetter(static_cast<unsigned char>(name[0]))) {
        return static_cast<char32_t>(name[0]);
    }
    const auto* named = std::find_if(std::begin(kNames), std::end(kNames),
                                     [&](const NamedCharacter& e) { return e.name == name; });
    if (named != std::end(kNames)) {
        return named->character;
    }
    if (name.starts_with("uni")) {
        return hexValue(name.substr(3), 4, 4);
    }
    if (name.starts_with("u")) {
        return hexValue(name.substr(1), 4, 6);
    }
    return std::nullopt;
}

} // namespace korvel
