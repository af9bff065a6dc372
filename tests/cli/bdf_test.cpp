#include "bdf.h"
#include "lcm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

/// The rows of a glyph picture as text, "#" for ink and "." for background.
std::vector<std::string> inkRows(const GlyphRecord& glyph) {
    std::vector<std::string> rows;
    for (int y = 0; y < glyph.height; ++y) {
        std::string row;
        for (int x = 0; x < glyph.width; ++x) {
            row += isInk(glyph.picture->pixel(x, y)) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

// A small font written for this test: ascent 4, descent 1, so cells are 5 rows with the
// baseline under row 3.
const std::string kHandFont = R"(STARTFONT 2.1
COMMENT written by hand for the test
FONT -test-hand-medium-r-normal--5-50-75-75-c-40-iso8859-1
SIZE 5 75 75
FONTBOUNDINGBOX 4 5 0 -1
STARTPROPERTIES 2
FONT_ASCENT 4
FONT_DESCENT 1
ENDPROPERTIES
CHARS 4
STARTCHAR A
ENCODING 65
SWIDTH 800 0
DWIDTH 4 0
BBX 3 4 0 0
BITMAP
40
A0
E0
A0
ENDCHAR
STARTCHAR comma
ENCODING 44
DWIDTH 2 0
BBX 1 2 1 -1
BITMAP
80
80
ENDCHAR
STARTCHAR wide
ENCODING 66
DWIDTH 2 0
BBX 4 1 0 3
BITMAP
F0
ENDCHAR
STARTCHAR euro
ENCODING 8364
DWIDTH 4 0
BBX 1 1 0 0
BITMAP
80
ENDCHAR
ENDFONT
)";

TEST(BdfImport, PlacesEachBitmapByItsOffsetsFromTheBaseline) {
    const auto font = decodeBdf(kHandFont);
    ASSERT_TRUE(font.ok()) << font.error().message;
    const FontLibrary& library = font.value().library;
    EXPECT_EQ(library.count, 128);
    EXPECT_EQ(inkRows(library.glyphs[65]),
              (std::vector<std::string>{".#..", "#.#.", "###.", "#.#.", "...."}));
    EXPECT_EQ(inkRows(library.glyphs[44]),
              (std::vector<std::string>{"..", "..", "..", ".#", ".#"}));
    // Code 66 is 4 pixels of ink in a 2-pixel cell: the right half is clipped, with a warning.
    EXPECT_EQ(inkRows(library.glyphs[66]),
              (std::vector<std::string>{"##", "..", "..", "..", ".."}));
    ASSERT_EQ(font.value().warnings.size(), 1U);
    EXPECT_NE(font.value().warnings[0].find("glyph 66"), std::string::npos);
    EXPECT_EQ(font.value().skipped, 1); // the euro sign's encoding 8364
    // Codes the font lacks: blank, the bounding box's width and the cell's height.
    EXPECT_EQ(library.glyphs[0].width, 4);
    EXPECT_EQ(library.glyphs[0].height, 5);
    EXPECT_EQ(inkRows(library.glyphs[0]), std::vector<std::string>(5, "...."));
}

TEST(BdfImport, AnEncodingFrom128UpMakesA256CodeLibrary) {
    std::string text = kHandFont;
    text.replace(text.find("ENCODING 66"), 11, "ENCODING 200");
    const auto font = decodeBdf(text);
    ASSERT_TRUE(font.ok()) << font.error().message;
    EXPECT_EQ(font.value().library.count, 256);
    EXPECT_EQ(font.value().library.glyphs[200].width, 2);
}

TEST(BdfImport, RefusesWhatIsNotAFontOrCannotBeStored) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "STARTFONT"},
        {"hello\n", "STARTFONT"},
        {"STARTFONT 2.1\nCHARS 1\n", "FONT_ASCENT"},
        {"STARTFONT 2.1\nFONT_ASCENT 300\nFONT_DESCENT 0\n", "cell height"},
        {"STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\nSTARTCHAR a\nENCODING 1\n", "ENDCHAR"},
        {"STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\nSTARTCHAR a\nENCODING 1\nBBX 9999999 1 0 "
         "0\nENDCHAR\n",
         "BBX"},
        {"STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\nSTARTCHAR a\nENCODING 1\nDWIDTH 300 0\n"
         "ENDCHAR\n",
         "DWIDTH"},
        {"STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\nSTARTCHAR a\nENCODING 1\nBBX 8 1 0 0\n"
         "BITMAP\nZZ\nENDCHAR\n",
         "not hex"},
    };
    for (const auto& [text, reason] : cases) {
        const auto font = decodeBdf(text);
        ASSERT_FALSE(font.ok()) << text;
        EXPECT_NE(font.error().message.find(reason), std::string::npos)
            << text << " gave: " << font.error().message;
    }
}

TEST(BdfImport, AHugeBoundingBoxWithFewDigitsCostsOnlyItsText) {
    // 4096 x 4096 claimed, one row given: the reader walks the text, not the box.
    const auto font = decodeBdf("STARTFONT 2.1\nFONT_ASCENT 8\nFONT_DESCENT 0\nSTARTCHAR a\n"
                                "ENCODING 1\nDWIDTH 8 0\nBBX 4096 4096 0 -4088\nBITMAP\nFF\n"
                                "ENDCHAR\nENDFONT\n");
    ASSERT_TRUE(font.ok()) << font.error().message;
    EXPECT_EQ(inkRows(font.value().library.glyphs[1]).front(), "########");
}

TEST(BdfExport, GlyphsOfOneHeightSurviveTheRoundTripExactly) {
    FontLibrary library;
    library.count = 128;
    for (int code = 0; code < library.count; ++code) {
        Picture picture(1 + code % 12, 9);
        picture.setPixel(code % picture.width(), code % 9, kRed);
        picture.setPixel(0, 8, kRed);
        library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, picture.width(), 9, picture};
    }
    const std::string text = encodeBdf(library.glyphs, library.count, "my font");
    EXPECT_NE(text.find("FONT my-font\n"), std::string::npos);
    EXPECT_NE(text.find("FONT_ASCENT 9\nFONT_DESCENT 0\n"), std::string::npos);
    EXPECT_NE(text.find("ENCODING 5\nSWIDTH 667 0\nDWIDTH 6 0\nBBX 6 9 0 0\n"), std::string::npos);
    const auto back = decodeBdf(text);
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_TRUE(back.value().warnings.empty());
    const auto original = encodeLcm(library.glyphs, library.count);
    const auto again = encodeLcm(back.value().library.glyphs, back.value().library.count);
    ASSERT_TRUE(original.ok() && again.ok());
    EXPECT_EQ(original.value(), again.value());
}

TEST(BdfExport, ShorterGlyphsStandOnTheBaseline) {
    FontLibrary library;
    library.count = 128;
    library.glyphs[0] = GlyphRecord{0, 2, 4, Picture(2, 4)};
    library.glyphs[1] = GlyphRecord{1, 2, 2, Picture(2, 2)};
    library.glyphs[1].picture->fill(kRed);
    const auto back = decodeBdf(encodeBdf(library.glyphs, library.count, "f"));
    ASSERT_TRUE(back.ok()) << back.error().message;
    // In a 4-row cell, the 2-row glyph fills the bottom two rows.
    EXPECT_EQ(inkRows(back.value().library.glyphs[1]),
              (std::vector<std::string>{"..", "..", "##", "##"}));
}

} // namespace
} // namespace korvel
