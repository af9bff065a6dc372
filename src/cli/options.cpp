#include "cli/options.h"

#include "core/numbertext.h"

#include <algorithm>

namespace korvel::cli {

namespace {

[[nodiscard]] bool contains(std::span<const std::string_view> list, std::string_view word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

[[nodiscard]] bool looksLikeOption(std::string_view word) {
    return word.size() > 1 && word.front() == '-';
}

} // namespace

const std::string* ParsedOptions::value(std::string_view option) const {
    const auto found = values.find(option);
    return found == values.end() ? nullptr : &found->second;
}

Result<ParsedOptions> parseOptions(std::span<const std::string> arguments,
                                   std::span<const std::string_view> valueOptions,
                                   std::span<const std::string_view> flagOptions) {
    ParsedOptions parsed;
    bool positionalOnly = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (positionalOnly || !looksLikeOption(word)) {
            parsed.positional.push_back(word);
        } else if (word == "--") {
            positionalOnly = true;
        } else if (word == "--help" || word == "-h") {
            parsed.help = true;
        } else if (contains(flagOptions, word)) {
            parsed.flags.insert(word);
        } else if (contains(valueOptions, word)) {
            if (i + 1 >= arguments.size()) {
                return Error{"option " + word + " needs a value", ErrorKind::Usage};
            }
            if (!parsed.values.emplace(word, arguments[++i]).second) {
                return Error{"option " + word + " is given twice", ErrorKind::Usage};
            }
        } else {
            return Error{"unknown option " + word, ErrorKind::Usage};
        }
    }
    return parsed;
}

std::optional<int> parseInteger(std::string_view word) {
    return parseNumber<int>(word);
}

std::optional<std::pair<int, int>> parseSize(std::string_view word, int maxWidth, int maxHeight) {
    const std::size_t cross = word.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = parseInteger(word.substr(0, cross));
    const auto height = parseInteger(word.substr(cross + 1));
    if (!width || !height || *width < 1 || *width > maxWidth || *height < 1 ||
        *height > maxHeight) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

} // namespace korvel::cli
