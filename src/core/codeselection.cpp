#include "core/codeselection.h"

#include "core/codepage.h"
#include "core/numbertext.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace korvel {

namespace {

[[nodiscard]] std::optional<int> codeNumber(std::string_view text) {
    const auto value = parseNumber<int>(text);
    if (!value || *value < 0 || *value > kHighestCode) {
        return std::nullopt;
    }
    return value;
}

[[nodiscard]] Error badPart(std::string_view part) {
    return Error{"\"" + std::string(part) +
                 "\" in the --codes list is neither a code nor a FIRST-LAST range of codes from "
                 "0 to " +
                 std::to_string(kHighestCode) + " with FIRST not above LAST."};
}

void sortUnique(CodeList& codes) {
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
}

/// "U+00E9 'é'" for a message.
[[nodiscard]] std::string characterLabel(char32_t character) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(character));
    std::string label = hex;
    if (character >= 0x20 && character != 0x7F) {
        label += " \"" + encodeUtf8(character) + "\"";
    }
    return label;
}

} // namespace

Result<CodeList> parseCodeList(std::string_view text) {
    CodeList codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view part = text.substr(start, comma - start);
        const std::size_t dash = part.find('-');
        const auto first = codeNumber(part.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : codeNumber(part.substr(dash + 1));
        if (!first || !last || *first > *last) {
            return badPart(part);
        }
        for (int code = *first; code <= *last; ++code) {
            codes.push_back(code);
        }
        start = comma + 1;
    }
    sortUnique(codes);
    return codes;
}

Result<CodeList> codesOfCharacters(std::string_view utf8, const CodePage& codePage) {
    const auto characters = decodeUtf8(utf8);
    if (!characters) {
        return characters.error();
    }
    CodeList codes{' '};
    for (const char32_t character : characters.value()) {
        const auto code = codePage.fromUnicode(character);
        if (!code) {
            return Error{"The character " + characterLabel(character) +
                         " of --chars has no code in " + std::string(codePage.caption()) +
                         ", the library's code page."};
        }
        codes.push_back(*code);
    }
    sortUnique(codes);
    return codes;
}

CodeList mergedCodes(const CodeList& a, const CodeList& b) {
    CodeList merged = a;
    merged.insert(merged.end(), b.begin(), b.end());
    sortUnique(merged);
    return merged;
}

std::string codeListText(const CodeList& codes) {
    std::string text;
    for (std::size_t k = 0; k < codes.size();) {
        std::size_t end = k;
        while (end + 1 < codes.size() && codes[end + 1] == codes[end] + 1) {
            ++end;
        }
        text += (text.empty() ? "" : ",") + std::to_string(codes[k]);
        if (end > k) {
            text += "-" + std::to_string(codes[end]);
        }
        k = end + 1;
    }
    return text;
}

bool isOneRun(const CodeList& codes) {
    return codes.empty() || codes.back() - codes.front() + 1 == static_cast<int>(codes.size());
}

namespace {

/// The character of the UTF-8 sequence at utf8[k] and its length in bytes, or nothing when the
/// bytes there are no whole, shortest, valid sequence.
[[nodiscard]] std::optional<std::pair<char32_t, std::size_t>> utf8SequenceAt(std::string_view utf8,
                                                                             std::size_t k) {
    const auto lead = static_cast<unsigned char>(utf8[k]);
    const std::size_t length = lead < 0x80    ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 0;
    if (length == 0 || lead > 0xF4 || k + length > utf8.size()) {
        return std::nullopt;
    }
    char32_t character = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t n = 1; n < length; ++n) {
        const auto next = static_cast<unsigned char>(utf8[k + n]);
        if ((next & 0xC0U) != 0x80U) {
            return std::nullopt;
        }
        character = (character << 6) | (next & 0x3FU);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < kSmallest[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{character, length};
}

} // namespace

Result<std::u32string> decodeUtf8(std::string_view utf8) {
    std::u32string characters;
    for (std::size_t k = 0; k < utf8.size();) {
        const auto sequence = utf8SequenceAt(utf8, k);
        if (!sequence) {
            return Error{"The text is not UTF-8 (byte " + std::to_string(k + 1) + ")."};
        }
        characters.push_back(sequence->first);
        k += sequence->second;
    }
    return characters;
}

std::u32string decodeUtf8Replacing(std::string_view utf8) {
    std::u32string characters;
    for (std::size_t k = 0; k < utf8.size();) {
        const auto sequence = utf8SequenceAt(utf8, k);
        characters.push_back(sequence ? sequence->first : kReplacementCharacter);
        k += sequence ? sequence->second : 1;
    }
    return characters;
}

std::string encodeUtf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string libraryTextOf(std::u32string_view characters, const CodePage& page) {
    std::string bytes;
    bytes.reserve(characters.size());
    for (const char32_t character : characters) {
        const auto byte = page.fromUnicode(character);
        bytes.push_back(static_cast<char>(byte ? *byte : '?'));
    }
    return bytes;
}

std::optional<std::string> libraryTextExactly(std::u32string_view characters,
                                              const CodePage& page) {
    std::string bytes;
    bytes.reserve(characters.size());
    for (const char32_t character : characters) {
        const auto byte = page.fromUnicode(character);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

std::string utf8OfLibraryText(std::string_view bytes, const CodePage& page) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto character = page.toUnicode(static_cast<std::uint8_t>(byte));
        text += encodeUtf8(character ? *character : kReplacementCharacter);
    }
    return text;
}

} // namespace korvel
