#include "core/textcodes.h"

#include <algorithm>
#include <cctype>

namespace korvel {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
} // namespace

std::string asciiUpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string hexDigits(std::uint8_t byte) {
    return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

std::string IntConvertHex(std::int32_t value, int digits) {
    auto rest = static_cast<std::uint32_t>(value < 0 ? 0 : value);
    std::string text;
    do {
        text.insert(text.begin(), kDigits[rest & 0xF]);
        rest >>= 4;
    } while (rest != 0);
    if (static_cast<int>(text.size()) < digits) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return text;
}

std::string tohex(const std::string& bits) {
    if (bits.size() != 8) {
        return {};
    }
    int high = 0;
    int low = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        if (bits[k] != '0' && bits[k] != '1') {
            return {};
        }
        int& digit = k < 4 ? high : low;
        digit = digit * 2 + (bits[k] - '0');
    }
    return IntConvertHex(high, 1) + IntConvertHex(low, 1);
}

std::optional<int> hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

std::string IntConvertBin(std::int32_t value, int count) {
    if (count < 1) {
        return {};
    }
    if (count > 32) {
        count = 32;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    std::string text(static_cast<std::size_t>(count), '0');
    for (int k = 0; k < count; ++k) {
        if ((bits >> (count - 1 - k)) & 1U) {
            text[static_cast<std::size_t>(k)] = '1';
        }
    }
    return text;
}

} // namespace korvel
