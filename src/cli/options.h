#pragma once

#include "core/result.h"

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::cli {

/// The arguments of one command, sorted into positional words, options with values and flags.
struct ParsedOptions {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
    bool help = false;

    [[nodiscard]] const std::string* value(std::string_view option) const;
    [[nodiscard]] bool has(std::string_view flag) const { return flags.contains(flag); }
};

/// Sorts arguments by the options a command knows. "--help" anywhere asks for help; after "--"
/// every word is positional. Fails, saying which, on an unknown option, a missing value or an
/// option given twice.
[[nodiscard]] Result<ParsedOptions> parseOptions(std::span<const std::string> arguments,
                                                 std::span<const std::string_view> valueOptions,
                                                 std::span<const std::string_view> flagOptions);

/// A decimal integer, the whole word and nothing else.
[[nodiscard]] std::optional<int> parseInteger(std::string_view word);

/// A size written WIDTHxHEIGHT ("5x9"), both within 1 to the given maxima.
[[nodiscard]] std::optional<std::pair<int, int>> parseSize(std::string_view word, int maxWidth,
                                                           int maxHeight);

} // namespace korvel::cli
