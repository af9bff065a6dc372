#include "core/bitmaplibrary.h"
#include "core/codepage.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace korvel {
namespace {

/// A byte string from Windows-1252 codes.
std::string bytes(std::initializer_list<int> codes) {
    std::string text;
    for (const int code : codes) {
        text.push_back(static_cast<char>(code));
    }
    return text;
}

TEST(FoldCase1252, CapitalsFoldOntoTheirSmallLettersAndNothingElseMoves) {
    // Each capital and its small letter, as the code page pairs them.
    std::vector<std::pair<int, int>> pairs{{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (int capital = 'A'; capital <= 'Z'; ++capital) {
        pairs.emplace_back(capital, capital + 0x20);
    }
    for (int capital = 0xC0; capital <= 0xDE; ++capital) {
        if (capital != 0xD7) {
            pairs.emplace_back(capital, capital + 0x20);
        }
    }
    std::array<int, 256> expected{};
    for (int code = 0; code < 256; ++code) {
        expected[static_cast<std::size_t>(code)] = code;
    }
    for (const auto& [capital, small] : pairs) {
        expected[static_cast<std::size_t>(capital)] = small;
    }
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        EXPECT_EQ(foldCase1252(byte), expected[static_cast<std::size_t>(code)]) << "byte " << code;
        EXPECT_EQ(foldCase1252(foldCase1252(byte)), foldCase1252(byte)) << "byte " << code;
    }
    // The pairs are the same letter in the code page's own characters: the small letter of each
    // capital is the capital's code point in its lower-case block.
    for (const auto& [capital, small] : pairs) {
        const char32_t upper = cp1252ToUnicode(static_cast<std::uint8_t>(capital));
        const char32_t lower = cp1252ToUnicode(static_cast<std::uint8_t>(small));
        EXPECT_TRUE(lower == upper + 0x20 || lower == upper + 1 ||
                    (upper == 0x178 && lower == 0xFF))
            << std::hex << capital << " and " << small;
    }
}

TEST(FoldCase1252, NameIndexTreatsAccentedCapitalsAsTheirSmallLetters) {
    BitmapLibrary library;
    library.append({bytes({0xE9, 't', 0xE9}), 1, 1, Picture(1, 1)});        // "été"
    library.append({bytes({0x8A, 0x8C, 0x8E, 0x9F}), 1, 1, Picture(1, 1)}); // "ŠŒŽŸ"
    library.append({bytes({0xD7}), 1, 1, Picture(1, 1)});                   // "×"
    EXPECT_EQ(library.index.find(bytes({0xC9, 'T', 0xC9})), 0);             // "ÉTÉ"
    EXPECT_EQ(library.index.find(bytes({0xC9, 't', 0xE9})), 0);
    EXPECT_EQ(library.index.find(bytes({0x9A, 0x9C, 0x9E, 0xFF})), 1); // "šœžÿ"
    EXPECT_EQ(library.index.find(bytes({0xD7})), 2);
    // The multiplication and division signs, and the ASCII signs beside the letters, are no
    // letter pairs.
    EXPECT_EQ(library.index.find(bytes({0xF7})), std::nullopt);
    EXPECT_EQ(library.index.find(bytes({0xE9, 't'})), std::nullopt);
    EXPECT_FALSE(equalFoldingCase1252("@[", "`{"));
    EXPECT_FALSE(equalFoldingCase1252(bytes({0xDF}), bytes({0xFF}))); // sharp s has no capital
    EXPECT_TRUE(equalFoldingCase1252("Logo", "lOGO"));
}

} // namespace
} // namespace korvel
