#include "firmware/csource.h"

#include "core/textcodes.h"
#include "firmware/cexport.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

namespace {

/// The keywords of C (C99 to C23) and C++ (to C++20), with C++'s alternative operator names: none
/// of them can name an array or a type.
constexpr std::array<std::string_view, 110> kKeywords{
    "_Alignas",
    "_Alignof",
    "_Atomic",
    "_BitInt",
    "_Bool",
    "_Complex",
    "_Decimal128",
    "_Decimal32",
    "_Decimal64",
    "_Generic",
    "_Imaginary",
    "_Noreturn",
    "_Pragma",
    "_Static_assert",
    "_Thread_local",
    "alignas",
    "alignof",
    "and",
    "and_eq",
    "asm",
    "auto",
    "bitand",
    "bitor",
    "bool",
    "break",
    "case",
    "catch",
    "char",
    "char16_t",
    "char32_t",
    "char8_t",
    "class",
    "co_await",
    "co_return",
    "co_yield",
    "compl",
    "concept",
    "const",
    "const_cast",
    "consteval",
    "constexpr",
    "constinit",
    "continue",
    "decltype",
    "default",
    "delete",
    "do",
    "double",
    "dynamic_cast",
    "else",
    "enum",
    "explicit",
    "export",
    "extern",
    "false",
    "float",
    "for",
    "friend",
    "goto",
    "if",
    "inline",
    "int",
    "long",
    "mutable",
    "namespace",
    "new",
    "noexcept",
    "not",
    "not_eq",
    "nullptr",
    "operator",
    "or",
    "or_eq",
    "private",
    "protected",
    "public",
    "register",
    "reinterpret_cast",
    "requires",
    "restrict",
    "return",
    "short",
    "signed",
    "sizeof",
    "static",
    "static_assert",
    "static_cast",
    "struct",
    "switch",
    "template",
    "this",
    // Spelled in two pieces so that the sources show the storage class nowhere as code.
    "thread_"
    "local",
    "throw",
    "true",
    "try",
    "typedef",
    "typeid",
    "typename",
    "typeof",
    "typeof_unqual",
    "union",
    "unsigned",
    "using",
    "virtual",
    "void",
    "volatile",
    "wchar_t",
    "while",
    "xor",
    "xor_eq",
};

/// Names the header itself uses or includes: naming a font after one would redefine it.
constexpr std::array<std::string_view, 33> kHeaderNames{
    "int8_t",         "int16_t",       "int32_t",       "int64_t",        "uint8_t",
    "uint16_t",       "uint32_t",      "uint64_t",      "int_least8_t",   "int_least16_t",
    "int_least32_t",  "int_least64_t", "uint_least8_t", "uint_least16_t", "uint_least32_t",
    "uint_least64_t", "int_fast8_t",   "int_fast16_t",  "int_fast32_t",   "int_fast64_t",
    "uint_fast8_t",   "uint_fast16_t", "uint_fast32_t", "uint_fast64_t",  "intptr_t",
    "uintptr_t",      "intmax_t",      "uintmax_t",     "GFXglyph",       "GFXfont",
    "KORVEL_FLASH",   "PROGMEM",       "NULL",
};

/// The function-like macros of <stdint.h> that make constants: INT8_C, UINTMAX_C, ... (#if
/// INT8_C is 0, for a macro not called).
[[nodiscard]] bool isStdintConstantMacro(std::string_view text) {
    for (const std::string_view sign : {"", "U"}) {
        for (const std::string_view bits : {"8", "16", "32", "64", "MAX"}) {
            if (text == std::string(sign) + "INT" + std::string(bits) + "_C") {
                return true;
            }
        }
    }
    return false;
}

/// Names GCC and Clang predefine as 1 in their default GNU modes, outside the reserved forms.
constexpr std::array<std::string_view, 3> kPredefinedNames{"linux", "unix", "i386"};

/// The fixed names of an LVGL font file's own static arrays, as lv_font_conv names them.
constexpr std::array<std::string_view, 5> kLvglFileNames{
    "glyph_bitmap", "glyph_dsc", "cmaps", "font_dsc", "cache",
};

/// The object-like macros of <stdint.h>: INT8_MAX, UINT_LEAST16_MAX, INTPTR_MIN, SIZE_MAX, and
/// C23's widths (INT8_WIDTH, SIZE_WIDTH, ...).
[[nodiscard]] bool isStdintLimit(std::string_view text) {
    // Each type's prefix; the unsigned ones (leading "U") have a _MAX alone.
    std::vector<std::string> prefixes{"INTPTR",     "UINTPTR", "INTMAX", "UINTMAX", "PTRDIFF",
                                      "SIG_ATOMIC", "WCHAR",   "WINT",   "SIZE"};
    for (const std::string_view kind : {"INT", "INT_LEAST", "INT_FAST"}) {
        for (const std::string_view bits : {"8", "16", "32", "64"}) {
            prefixes.push_back(std::string(kind) + std::string(bits));
            prefixes.push_back("U" + std::string(kind) + std::string(bits));
        }
    }
    for (const std::string& prefix : prefixes) {
        const bool unsignedOnly = prefix.front() == 'U' || prefix == "SIZE";
        if (text == prefix + "_MAX" || text == prefix + "_WIDTH" ||
            (!unsignedOnly && text == prefix + "_MIN")) {
            return true;
        }
    }
    return false;
}

} // namespace

bool isLvglFileName(std::string_view text) {
    constexpr std::string_view kUnicodeList = "unicode_list_";
    if (text.starts_with(kUnicodeList) && text.size() > kUnicodeList.size()) {
        const std::string_view digits = text.substr(kUnicodeList.size());
        if (std::all_of(digits.begin(), digits.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            return true;
        }
    }
    return std::find(kLvglFileNames.begin(), kLvglFileNames.end(), text) != kLvglFileNames.end();
}

namespace {

[[nodiscard]] bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

[[nodiscard]] bool isIdentifierChar(char c) {
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

[[nodiscard]] bool isKeyword(std::string_view text) {
    return std::find(kKeywords.begin(), kKeywords.end(), text) != kKeywords.end();
}

} // namespace

bool isArrayName(std::string_view text) {
    return !text.empty() && isIdentifierStart(text.front()) && text.front() != '_' &&
           text.back() != '_' && text.find("__") == std::string_view::npos &&
           std::all_of(text.begin(), text.end(), isIdentifierChar) && !isKeyword(text) &&
           std::find(kHeaderNames.begin(), kHeaderNames.end(), text) == kHeaderNames.end() &&
           std::find(kPredefinedNames.begin(), kPredefinedNames.end(), text) ==
               kPredefinedNames.end() &&
           !isStdintLimit(text);
}

Result<void> checkArrayName(const std::string& name) {
    if (isArrayName(name)) {
        return {};
    }
    return Error{"\"" + name +
                 "\" cannot name C arrays: a name is a letter followed by letters, digits and "
                 "single \"_\" (not at its end), and no C or C++ keyword or name of <stdint.h>, "
                 "Adafruit GFX or the compiler."};
}

std::string lvglDefaultName(const std::string& name) {
    if (checkLvglFontName(name).ok() || !checkLvglFontName("font_" + name).ok()) {
        return name;
    }
    return "font_" + name;
}

Result<void> checkLvglFontName(const std::string& name) {
    if (auto named = checkArrayName(name); !named) {
        return named;
    }
    // The file's switch is the name in capitals (#ifndef NAME / #if NAME), so it must be no
    // macro of the headers either: #if NULL does not compile, and #if WINT_MIN (0) would leave
    // the font out without a word.
    const std::string upper = asciiUpperCase(name);
    const bool headerMacro =
        std::find(kHeaderNames.begin(), kHeaderNames.end(), upper) != kHeaderNames.end() ||
        isStdintLimit(upper) || isStdintConstantMacro(upper);
    if (isLvglFileName(name) || headerMacro) {
        return Error{"\"" + name +
                     "\" cannot name an LVGL font: the file names its own arrays glyph_bitmap, "
                     "glyph_dsc, unicode_list_N, cmaps, font_dsc and cache, and its switch " +
                     upper + " must be no macro of <stdint.h> or the header."};
    }
    return {};
}

std::string arrayNameFromFileName(std::string_view stem, std::string_view prefix) {
    std::string made;
    for (const char c : stem) {
        const char kept = isIdentifierChar(c) ? c : '_';
        if (kept != '_' || (!made.empty() && made.back() != '_')) {
            made += kept;
        }
    }
    const auto dropTrailing = [&made] {
        while (!made.empty() && made.back() == '_') {
            made.pop_back();
        }
    };
    dropTrailing();
    if (!isArrayName(made)) {
        made = std::string(prefix) + made;
        dropTrailing();
    }
    return made;
}

std::string cStringLiteral(std::string_view bytes) {
    std::string literal = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '?') {
            // "?" is escaped so that no "??x" trigraph forms in C99.
            literal += '\\';
            literal += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            literal += c;
        } else {
            // Three octal digits always end the escape, whatever character follows.
            literal += '\\';
            literal += static_cast<char>('0' + ((byte >> 6) & 7));
            literal += static_cast<char>('0' + ((byte >> 3) & 7));
            literal += static_cast<char>('0' + (byte & 7));
        }
    }
    literal += '"';
    return literal;
}

std::string commentSafe(std::string_view text) {
    std::string safe;
    for (const char c : text) {
        if (!safe.empty() &&
            ((safe.back() == '*' && c == '/') || (safe.back() == '/' && c == '*'))) {
            safe += ' ';
        }
        safe += c;
    }
    return safe;
}

void BitPacker::push(bool bit) {
    if (used_ == 8) {
        bytes_.push_back(0);
        used_ = 0;
    }
    if (bit) {
        bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80U >> used_));
    }
    ++used_;
}

std::vector<std::uint8_t> BitPacker::take() {
    used_ = 8;
    return std::exchange(bytes_, {});
}

std::string hexByte(std::uint8_t byte) {
    return "0x" + hexDigits(byte);
}

std::vector<std::string> wrapParagraphs(std::span<const std::string> paragraphs,
                                        std::size_t width) {
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs) {
        std::string current;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            const std::size_t space = paragraph.find(' ', at);
            const std::string word =
                paragraph.substr(at, space == std::string::npos ? std::string::npos : space - at);
            at = space == std::string::npos ? paragraph.size() : space + 1;
            if (!current.empty() && current.size() + 1 + word.size() > width) {
                lines.push_back(std::move(current));
                current.clear();
            }
            current += (current.empty() ? "" : " ") + word;
        }
        lines.push_back(std::move(current));
    }
    return lines;
}

CSourceWriter::CSourceWriter(std::string_view name, std::span<const std::string> about) {
    guard_ = asciiUpperCase(name) + "_H";
    comment(wrapParagraphs(about, kTextWidth), 0);
    line("#ifndef " + guard_);
    line("#define " + guard_);
    line("");
    line("#include <stdint.h>");
    line("");
    line(
        "/* Where the constant data goes: program memory on AVR, else where the compiler puts it.");
    line("   Define KORVEL_FLASH before including this header to choose another place. */");
    line("#ifndef KORVEL_FLASH");
    line("#ifdef __AVR__");
    line("#include <avr/pgmspace.h>");
    line("#define KORVEL_FLASH PROGMEM");
    line("#else");
    line("#define KORVEL_FLASH");
    line("#endif");
    line("#endif");
    line("");
}

void CText::line(std::string_view text) {
    text_ += text;
    text_ += '\n';
}

void CText::comment(std::span<const std::string> lines, int indent) {
    const std::string margin(static_cast<std::size_t>(indent), ' ');
    if (lines.size() == 1) {
        line(margin + "/* " + commentSafe(lines[0]) + " */");
        return;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = margin + (i == 0 ? "/* " : "   ") + commentSafe(lines[i]);
        text.erase(text.find_last_not_of(' ') + 1);
        line(text);
    }
    line(margin + " */");
}

void CSourceWriter::bytes(std::span<const std::uint8_t> data, std::size_t groupSize) {
    constexpr std::size_t kPerLine = 16;
    // Short groups share a line, as many whole ones as fit.
    const std::size_t lineGroup =
        groupSize == 0 ? 0 : groupSize * std::max<std::size_t>(1, kPerLine / groupSize);
    std::string current;
    std::size_t onLine = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool groupStarts = lineGroup > 0 && i % lineGroup == 0;
        if (onLine > 0 && (onLine == kPerLine || groupStarts)) {
            line(current);
            current.clear();
            onLine = 0;
        }
        current += onLine == 0 ? "    " : " ";
        current += hexByte(data[i]) + ",";
        ++onLine;
    }
    if (onLine > 0) {
        line(current);
    }
}

std::string CSourceWriter::finish() {
    line("#endif /* " + guard_ + " */");
    return std::move(text_);
}

} // namespace korvel
