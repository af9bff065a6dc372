#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace korvel {

/// text read as a Number when the whole of it is one, in decimal (a leading '-' for a signed
/// type; a point and an exponent for a floating type); nothing for empty text, any other
/// character, or a value beyond Number's range.
template <typename Number> [[nodiscard]] std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace korvel
