#pragma once

// The C text of a header export-c wrote, read as tokens: numbers, names, string literals and
// punctuation, with the objects' initializers found by name. Enough of C for the headers this
// program writes, not a C parser.

#include "core/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// A piece of C text: a number, a name, a string literal's bytes or one punctuation character.
struct Token {
    enum class Kind : std::uint8_t { Number, Name, String, Punct };
    Kind kind = Kind::Punct;
    std::string text;
    long long number = 0;
};

using Tokens = std::vector<Token>;

/// The tokens of C text, comments and preprocessor lines left out. Of a conditional only the
/// first branch is read: the headers give what current compilers and library versions take
/// first, and older ones after "#else".
[[nodiscard]] Result<Tokens> tokenize(std::string_view text);

[[nodiscard]] bool isPunct(const Token& token, char c);

/// The tokens between the braces of the initializer of the object called name.
[[nodiscard]] Result<Tokens> initializer(const Tokens& tokens, const std::string& name);

/// The numbers among tokens, in their order.
[[nodiscard]] std::vector<long long> numbersOf(const Tokens& tokens);

/// The value given to name in an enumeration ("name = value").
[[nodiscard]] Result<long long> enumValue(const Tokens& tokens, const std::string& name);

/// The numbers of the initializer of the array called name.
[[nodiscard]] Result<std::vector<long long>> arrayNumbers(const Tokens& tokens,
                                                          const std::string& name);

/// The braced records of an initializer, each the tokens inside its braces ("{a, b}, {c, d}").
[[nodiscard]] std::vector<Tokens> bracedRecords(const Tokens& inside);

/// The value tokens of a record's field: given by designator (".name = value") or, without
/// designators, by its place among fieldNames. Empty when the record does not give it.
[[nodiscard]] Tokens fieldOf(const Tokens& record, std::string_view name,
                             const std::vector<std::string_view>& fieldNames);

} // namespace korvel
