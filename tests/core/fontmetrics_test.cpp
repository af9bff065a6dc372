// The baseline the exports stand glyphs on, and the code lists and character sets they take.
#include "core/codeselection.h"
#include "core/fontmetrics.h"

#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <memory>

namespace korvel {
namespace {

[[nodiscard]] GlyphRecord glyphOf(const std::vector<std::string>& rows) {
    Picture picture = pictureFromText(rows);
    return {0, picture.width(), picture.height(), std::move(picture)};
}

/// A 128-code library of blank 3 x 6 glyphs with the given glyphs at their codes.
[[nodiscard]] std::unique_ptr<FontLibrary>
fontWith(const std::vector<std::pair<int, std::vector<std::string>>>& glyphs) {
    auto library = std::make_unique<FontLibrary>();
    std::vector<GlyphRecord> records(128, GlyphRecord{0, 3, 6, std::nullopt});
    for (const auto& [code, rows] : glyphs) {
        records[static_cast<std::size_t>(code)] = glyphOf(rows);
    }
    library->replaceGlyphs(std::move(records));
    return library;
}

const std::vector<std::string> kLetterH{"...", "#.#", "###", "#.#", "...", "..."};
const std::vector<std::string> kLetterX{"...", "...", "#.#", ".#.", "#.#", "..."};
const std::vector<std::string> kLetterG{"...", ".##", "#.#", ".##", "..#", "##."};

TEST(Baseline, StandsUnderTheLowestInkOfTheFirstLetterThatHasInk) {
    // 'H' wins over 'x'; without 'H' (or with a blank one) 'x' gives it; a row of ink in the
    // descender of 'g' does not count.
    const auto both = fontWith({{'H', kLetterH}, {'x', kLetterX}, {'g', kLetterG}});
    EXPECT_EQ(resolveBaseline(*both, {}).row, 4);
    EXPECT_EQ(resolveBaseline(*both, {}).fromCode, 'H');
    const auto onlyX = fontWith({{'x', kLetterX}, {'g', kLetterG}});
    EXPECT_EQ(resolveBaseline(*onlyX, {}).row, 5);
    EXPECT_EQ(resolveBaseline(*onlyX, {}).fromCode, 'x');
    // The digit 1 comes before x.
    const auto digit =
        fontWith({{'1', {".#.", ".#.", ".#.", "...", "...", "..."}}, {'x', kLetterX}});
    EXPECT_EQ(resolveBaseline(*digit, {}).row, 3);

    // No letter with ink: each glyph's bottom, as "bottom" gives it.
    const auto none = fontWith({{'g', kLetterG}});
    EXPECT_FALSE(resolveBaseline(*none, {}).row);
    EXPECT_FALSE(resolveBaseline(*both, BaselineChoice::bottom()).row);
    EXPECT_EQ(resolveBaseline(*both, BaselineChoice::at(2)).row, 2);
}

TEST(Baseline, MetricsMeasureTheCellAndTheInkFromIt) {
    const auto font = fontWith({{'H', kLetterH}, {'g', kLetterG}});
    const FontMetrics metrics = measureFont(*font);
    EXPECT_EQ(metrics.ascent, 4);
    EXPECT_EQ(metrics.descent, 2);
    ASSERT_TRUE(metrics.hasInk);
    EXPECT_EQ(metrics.inkLeft, 0);
    EXPECT_EQ(metrics.inkRight, 3);
    EXPECT_EQ(metrics.inkAbove, 3); // 'H' and 'g' reach row 1
    EXPECT_EQ(metrics.inkBelow, 2); // the tail of 'g'

    const FontMetrics bottom = measureFont(*font, BaselineChoice::bottom());
    EXPECT_EQ(bottom.ascent, 6);
    EXPECT_EQ(bottom.descent, 0);
    EXPECT_EQ(bottom.inkBelow, 0);

    const auto blank = fontWith({});
    EXPECT_FALSE(measureFont(*blank).hasInk);
}

TEST(CodeLists, ListsAndRangesBecomeSortedCodes) {
    const auto codes = parseCodeList("32-34,176,30,33");
    ASSERT_TRUE(codes.ok()) << codes.error().message;
    EXPECT_EQ(codes.value(), (CodeList{30, 32, 33, 34, 176}));
    EXPECT_EQ(codeListText(codes.value()), "30,32-34,176");
    EXPECT_EQ(parseCodeList("0-255").value().size(), 256U);
    EXPECT_TRUE(isOneRun(parseCodeList("7-9").value()));
    EXPECT_FALSE(isOneRun(codes.value()));

    for (const char* bad : {"", "3-1", "1,,2", "256", "-1", "1-", "a", "32-126,", " 5", "5-6-7"}) {
        const auto refused = parseCodeList(bad);
        EXPECT_FALSE(refused.ok()) << bad;
        if (!refused.ok()) {
            EXPECT_NE(refused.error().message.find("--codes"), std::string::npos);
        }
    }
}

TEST(CodeLists, CharactersOfATextMapThroughTheCodePageWithTheSpace) {
    const auto codes = codesOfCharacters("25°C €Ab");
    ASSERT_TRUE(codes.ok()) << codes.error().message;
    EXPECT_EQ(codes.value(), (CodeList{' ', '2', '5', 'A', 'C', 'b', 0x80, 0xB0}));
    EXPECT_EQ(codesOfCharacters("").value(), CodeList{' '});

    const auto cyrillic = codesOfCharacters("OK Ж");
    ASSERT_FALSE(cyrillic.ok());
    EXPECT_NE(cyrillic.error().message.find("U+0416"), std::string::npos);
    for (const std::string bad :
         {"\xC3", "\xC3(", "\xE2\x82", "\xF8\x88\x80\x80\x80", "\xC0\xAF", "\xED\xA0\x80"}) {
        EXPECT_FALSE(codesOfCharacters(bad).ok()) << bad;
    }
    EXPECT_EQ(decodeUtf8(encodeUtf8(U'\U0001F600') + encodeUtf8(U'é')).value(),
              std::u32string(U"\U0001F600é"));
}

} // namespace
} // namespace korvel
