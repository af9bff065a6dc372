#include "firmware/ctext.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace korvel {

namespace {

[[nodiscard]] bool isNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

[[nodiscard]] bool isNameChar(char c) {
    return isNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

/// The bytes of a string literal starting at text[at] (the opening quote); at ends past it.
[[nodiscard]] Result<std::string> stringLiteral(std::string_view text, std::size_t& at) {
    std::string bytes;
    ++at;
    while (at < text.size() && text[at] != '"') {
        char c = text[at++];
        if (c == '\\' && at < text.size()) {
            c = text[at++];
            if (c >= '0' && c <= '7') {
                int value = c - '0';
                for (int k = 0; k < 2 && at < text.size() && text[at] >= '0' && text[at] <= '7';
                     ++k) {
                    value = value * 8 + (text[at++] - '0');
                }
                c = static_cast<char>(value);
            }
        }
        bytes.push_back(c);
    }
    if (at >= text.size()) {
        return Error{"a string literal in the header does not end"};
    }
    ++at;
    return bytes;
}

/// Which lines of conditional text are read: the first branch of each "#if", "#ifdef" and
/// "#ifndef", never what follows its "#else" or "#elif".
class Conditionals {
public:
    void directive(std::string_view line) {
        const std::size_t start = line.find_first_not_of(" \t");
        const std::string_view rest = start == std::string_view::npos ? "" : line.substr(start);
        const auto is = [&](std::string_view word) {
            return rest.substr(0, word.size()) == word &&
                   (rest.size() == word.size() || !isNameChar(rest[word.size()]));
        };
        if (is("if") || is("ifdef") || is("ifndef")) {
            open_.push_back(false);
        } else if ((is("else") || is("elif")) && !open_.empty()) {
            open_.back() = true;
        } else if (is("endif") && !open_.empty()) {
            open_.pop_back();
        }
    }

    /// Whether the lines now read lie in a branch after the first.
    [[nodiscard]] bool skipping() const {
        return std::find(open_.begin(), open_.end(), true) != open_.end();
    }

private:
    std::vector<bool> open_; ///< per open conditional: past its first branch
};

} // namespace

Result<Tokens> tokenize(std::string_view text) {
    Tokens tokens;
    std::size_t at = 0;
    bool lineStart = true;
    Conditionals conditionals;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\n') {
            lineStart = true;
            ++at;
        } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            ++at;
        } else if (lineStart && c == '#') {
            const std::size_t end = std::min(text.size(), text.find('\n', at));
            conditionals.directive(text.substr(at + 1, end - at - 1));
            at = end;
        } else if (conditionals.skipping()) {
            at = std::min(text.size(), text.find('\n', at));
        } else if (text.substr(at, 2) == "/*") {
            const std::size_t end = text.find("*/", at + 2);
            if (end == std::string_view::npos) {
                return Error{"a comment in the header does not end"};
            }
            at = end + 2;
        } else if (text.substr(at, 2) == "//") {
            at = std::min(text.size(), text.find('\n', at));
        } else if (c == '"') {
            auto bytes = stringLiteral(text, at);
            if (!bytes) {
                return bytes.error();
            }
            tokens.push_back({Token::Kind::String, std::move(bytes).value(), 0});
            lineStart = false;
        } else if (isNameStart(c)) {
            const std::size_t start = at;
            while (at < text.size() && isNameChar(text[at])) {
                ++at;
            }
            tokens.push_back({Token::Kind::Name, std::string(text.substr(start, at - start)), 0});
            lineStart = false;
        } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
                   (c == '-' && at + 1 < text.size() &&
                    std::isdigit(static_cast<unsigned char>(text[at + 1])) != 0)) {
            const std::size_t start = at;
            ++at;
            while (at < text.size() && isNameChar(text[at])) {
                ++at;
            }
            const std::string digits(text.substr(start, at - start));
            try {
                tokens.push_back({Token::Kind::Number, digits, std::stoll(digits, nullptr, 0)});
            } catch (const std::exception&) {
                return Error{"the header holds a number that is none: " + digits};
            }
            lineStart = false;
        } else {
            tokens.push_back({Token::Kind::Punct, std::string(1, c), 0});
            ++at;
            lineStart = false;
        }
    }
    return tokens;
}

bool isPunct(const Token& token, char c) {
    return token.kind == Token::Kind::Punct && token.text.size() == 1 && token.text[0] == c;
}

Result<Tokens> initializer(const Tokens& tokens, const std::string& name) {
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != Token::Kind::Name || tokens[k].text != name) {
            continue;
        }
        std::size_t at = k + 1;
        // An array's size and the storage macro may stand between the name and the "=".
        while (at < tokens.size() && !isPunct(tokens[at], '=') && !isPunct(tokens[at], ';') &&
               !isPunct(tokens[at], '{') && !isPunct(tokens[at], ',')) {
            ++at;
        }
        if (at + 1 >= tokens.size() || !isPunct(tokens[at], '=') || !isPunct(tokens[at + 1], '{')) {
            continue;
        }
        Tokens inside;
        int depth = 1;
        for (at += 2; at < tokens.size(); ++at) {
            depth += isPunct(tokens[at], '{') ? 1 : isPunct(tokens[at], '}') ? -1 : 0;
            if (depth == 0) {
                return inside;
            }
            inside.push_back(tokens[at]);
        }
        return Error{"the initializer of " + name + " does not end"};
    }
    return Error{"the header defines no " + name};
}

std::vector<long long> numbersOf(const Tokens& tokens) {
    std::vector<long long> numbers;
    for (const Token& token : tokens) {
        if (token.kind == Token::Kind::Number) {
            numbers.push_back(token.number);
        }
    }
    return numbers;
}

Result<long long> enumValue(const Tokens& tokens, const std::string& name) {
    for (std::size_t k = 0; k + 2 < tokens.size(); ++k) {
        if (tokens[k].kind == Token::Kind::Name && tokens[k].text == name &&
            isPunct(tokens[k + 1], '=') && tokens[k + 2].kind == Token::Kind::Number) {
            return tokens[k + 2].number;
        }
    }
    return Error{"the header gives no value for " + name};
}

Result<std::vector<long long>> arrayNumbers(const Tokens& tokens, const std::string& name) {
    auto inside = initializer(tokens, name);
    if (!inside) {
        return inside.error();
    }
    return numbersOf(inside.value());
}

std::vector<Tokens> bracedRecords(const Tokens& inside) {
    std::vector<Tokens> records;
    int depth = 0;
    for (const Token& token : inside) {
        if (isPunct(token, '{') && depth++ == 0) {
            records.emplace_back();
            continue;
        }
        if (isPunct(token, '}') && --depth == 0) {
            continue;
        }
        if (depth > 0) {
            records.back().push_back(token);
        }
    }
    return records;
}

Tokens fieldOf(const Tokens& record, std::string_view name,
               const std::vector<std::string_view>& fieldNames) {
    // The record's values, split at its top-level commas, each with its designator if any.
    std::vector<std::pair<std::string, Tokens>> values(1);
    int depth = 0;
    for (std::size_t k = 0; k < record.size(); ++k) {
        const Token& token = record[k];
        depth += isPunct(token, '{') || isPunct(token, '(')   ? 1
                 : isPunct(token, '}') || isPunct(token, ')') ? -1
                                                              : 0;
        if (depth == 0 && isPunct(token, ',')) {
            values.emplace_back();
        } else if (depth == 0 && isPunct(token, '.') && values.back().second.empty() &&
                   values.back().first.empty() && k + 2 < record.size() &&
                   record[k + 1].kind == Token::Kind::Name && isPunct(record[k + 2], '=')) {
            values.back().first = record[k + 1].text;
            k += 2;
        } else {
            values.back().second.push_back(token);
        }
    }
    for (std::size_t k = 0; k < values.size(); ++k) {
        const bool named = !values[k].first.empty();
        if ((named && values[k].first == name) ||
            (!named && k < fieldNames.size() && fieldNames[k] == name)) {
            return values[k].second;
        }
    }
    return {};
}

} // namespace korvel
