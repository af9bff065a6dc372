#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

/// Uppercase hexadecimal form of value, zero-padded to at least digits digits; negative gives 0.
[[nodiscard]] std::string IntConvertHex(std::int32_t value, int digits);

/// Eight "0"/"1" characters (first most significant) as two uppercase hexadecimal digits.
/// Returns an empty text when bits is not exactly eight such characters.
[[nodiscard]] std::string tohex(const std::string& bits);

/// The two uppercase hexadecimal digits of a byte ("0A").
[[nodiscard]] std::string hexDigits(std::uint8_t byte);

/// The value of one hexadecimal digit (either letter case), or nothing for any other character.
[[nodiscard]] std::optional<int> hexDigitValue(char c);

/// The text with its ASCII letters in capitals; every other byte as it is.
[[nodiscard]] std::string asciiUpperCase(std::string_view text);

/// Whether a and b are the same text but for the letter case of ASCII letters.
[[nodiscard]] bool sameIgnoringCase(std::string_view a, std::string_view b);

/// The low count bits (1..32) of value as "0"/"1" characters, most significant first.
[[nodiscard]] std::string IntConvertBin(std::int32_t value, int count);

} // namespace korvel
