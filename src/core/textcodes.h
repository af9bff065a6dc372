#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

/// Uppercase hexadecimal form of value, zero-padded to at least digits digits; negative gives 0.
[[nodiscard]] std::string IntConvertHex(std::int32_t value, int digits);

/// Eight "0"/"1" characters (first most significant) as two uppercase hexadecimal digits.
/// Returns an empty text when bits is not exactly eight such characters.
[[nodiscard]] std::string tohex(const std::string& bits);

/// The value of one hexadecimal digit (either letter case), or nothing for any other character.
[[nodiscard]] std::optional<int> hexDigitValue(char c);

/// The low count bits (1..32) of value as "0"/"1" characters, most significant first.
[[nodiscard]] std::string IntConvertBin(std::int32_t value, int count);

} // namespace korvel
