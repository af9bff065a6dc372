#include "firmware/cexport.h"
#include "firmware/csource.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace korvel {
namespace {

// ---- Names, literals and comments ----

TEST(ArrayName, AcceptsIdentifiersAndRefusesKeywordsAndReservedForms) {
    for (const char* good : {"a", "x_9", "sans9", "Font_7x13", "integer", "uint8", "INT8",
                             "UINT8_MIN", "INT8_MAXIMUM", "SIZE_MAX2", "cmaps", "linux2"}) {
        EXPECT_TRUE(isArrayName(good)) << good;
    }
    // "_stdint" would make the guard _STDINT_H, which is glibc's own: <stdint.h> would vanish.
    for (const char* bad :
         {"", "9x", "a-b", "a b", "int", "class", "_Bool", "and", "nullptr", "caf\xC3\xA9", "x.h",
          "_stdint", "a__b", "font_", "uint8_t", "GFXfont", "KORVEL_FLASH",
          // <stdint.h>'s limit macros (C23's widths too) and what GNU modes predefine would
          // expand where the font is named.
          "INT8_MAX", "UINT_LEAST16_MAX", "INT_FAST64_MIN", "SIZE_MAX", "WCHAR_MIN", "PTRDIFF_MAX",
          "INT8_WIDTH", "UINTMAX_WIDTH", "linux", "unix"}) {
        EXPECT_FALSE(isArrayName(bad)) << bad;
    }
}

TEST(ArrayName, AnLvglFontNamesNoneOfItsFilesArraysAndSwitchesOnNoMacro) {
    for (const char* good : {"sans9", "cmaps2", "unicode_list", "unicode_list_x", "int8_max2"}) {
        EXPECT_TRUE(checkLvglFontName(good).ok()) << good;
    }
    // The file's own arrays would be defined twice; the capitals are its #if NAME switch, which
    // NULL would break and WINT_MIN (0) would turn off.
    for (const char* bad :
         {"cmaps", "glyph_dsc", "glyph_bitmap", "font_dsc", "cache", "unicode_list_0",
          "unicode_list_12", "null", "korvel_flash", "wint_min", "int8_c", "int", "linux"}) {
        EXPECT_FALSE(checkLvglFontName(bad).ok()) << bad;
    }
    EXPECT_EQ(lvglDefaultName("cmaps"), "font_cmaps");
    EXPECT_EQ(lvglDefaultName("null"), "font_null");
    EXPECT_EQ(lvglDefaultName("sans9"), "sans9");
}

TEST(ArrayName, FileNamesBecomeArrayNames) {
    EXPECT_EQ(arrayNameFromFileName("sans9", "font_"), "sans9");
    EXPECT_EQ(arrayNameFromFileName("my font--7", "font_"), "my_font_7");
    EXPECT_EQ(arrayNameFromFileName("_x_", "font_"), "x");
    EXPECT_EQ(arrayNameFromFileName("9x15", "font_"), "font_9x15");
    EXPECT_EQ(arrayNameFromFileName("int", "bitmaps_"), "bitmaps_int");
    EXPECT_EQ(arrayNameFromFileName("", "font_"), "font");
    EXPECT_EQ(arrayNameFromFileName("\xC3\xA9", "font_"), "font");
    for (const char* stem :
         {"caf\xC3\xA9", "a.b.c", "(1)", "for", "__", "uint8_t", "-9-", "INT8_MAX", "linux"}) {
        EXPECT_TRUE(isArrayName(arrayNameFromFileName(stem, "font_"))) << stem;
    }
}

TEST(CStringLiteral, EscapesWhatCWouldReadOtherwise) {
    EXPECT_EQ(cStringLiteral("LOGO"), "\"LOGO\"");
    EXPECT_EQ(cStringLiteral("a\"b\\c"), "\"a\\\"b\\\\c\"");
    // "??=" is a trigraph in C99; escaped question marks keep it two characters and "=".
    EXPECT_EQ(cStringLiteral("?\?="), "\"\\?\\?=\"");
    // An octal escape always has three digits, so a following digit stays a character.
    EXPECT_EQ(cStringLiteral("\xE9"
                             "1"),
              "\"\\3511\"");
    EXPECT_EQ(cStringLiteral(std::string("\0\n", 2)), "\"\\000\\012\"");
}

TEST(CSource, CommentTextCannotCloseOrOpenAComment) {
    EXPECT_EQ(commentSafe("a*/b"), "a* /b");
    EXPECT_EQ(commentSafe("/*x*/"), "/ *x* /");
    EXPECT_EQ(commentSafe("*//*"), "* // *");
    EXPECT_EQ(commentSafe("a/b*c"), "a/b*c");
}

TEST(CSource, ParagraphsWrapAtSpacesWithinTheWidth) {
    const std::vector<std::string> paragraphs{"one two three four five six", "",
                                              "a-very-long-word x"};
    const auto lines = wrapParagraphs(paragraphs, 9);
    EXPECT_EQ(lines, (std::vector<std::string>{"one two", "three", "four five", "six", "",
                                               "a-very-long-word", "x"}));
}

TEST(CSource, BitsPackMostSignificantFirstAndTheLastByteIsFilledWithZeros) {
    BitPacker packer;
    for (const bool bit : {true, false, true, true, false, false, false, true, true, true}) {
        packer.push(bit);
    }
    EXPECT_EQ(packer.take(), (std::vector<std::uint8_t>{0xB1, 0xC0}));
    EXPECT_TRUE(packer.take().empty());
    packer.push(true);
    EXPECT_EQ(packer.take(), (std::vector<std::uint8_t>{0x80}));
}

// ---- Fonts ----

GlyphRecord glyphOf(const std::vector<std::string>& rows) {
    Picture picture = pictureFromText(rows);
    return {0, picture.width(), picture.height(), std::move(picture)};
}

/// A library of the given glyphs as codes 0, 1, ...; on the heap, as 256 records are large.
std::unique_ptr<FontLibrary> fontOf(std::vector<GlyphRecord> glyphs) {
    auto library = std::make_unique<FontLibrary>();
    library->replaceGlyphs(std::move(glyphs));
    return library;
}

FontExportOptions named(FontLayout layout) {
    FontExportOptions options;
    options.layout = layout;
    options.name = "f";
    options.source = "f.lcm";
    return options;
}

std::string errorOf(const Result<std::string>& result) {
    return result.ok() ? "(no error)" : result.error().message;
}

TEST(FontExport, RefusesAnEmptyLibraryCodesOutsideItAndABadName) {
    const auto empty = fontOf({});
    EXPECT_NE(errorOf(exportFontC(*empty, named(FontLayout::Rows))).find("no glyphs"),
              std::string::npos);

    const auto two = fontOf({glyphOf({"#"}), glyphOf({"."})});
    FontExportOptions options = named(FontLayout::Pages);
    for (const CodeList& codes : {CodeList{0, 1, 2}, CodeList{-1, 0}, CodeList{}}) {
        options.codes = codes;
        EXPECT_NE(errorOf(exportFontC(*two, options)).find("codes 0 to 1"), std::string::npos);
    }
    options.codes = CodeList{1};
    EXPECT_TRUE(exportFontC(*two, options).ok());
    options.name = "switch";
    EXPECT_FALSE(exportFontC(*two, options).ok());
}

TEST(FontExport, GlyphsTheTablesCannotDescribeAreRefused) {
    std::vector<GlyphRecord> wide{{0, 256, 1, std::nullopt}};
    EXPECT_NE(errorOf(exportFontC(*fontOf(std::move(wide)), named(FontLayout::Rows)))
                  .find("at most 255 x 255"),
              std::string::npos);

    // Ink 150 pixels right of the origin does not fit GFXglyph's signed byte.
    Picture farInk(200, 1);
    farInk.setPixel(150, 0, kRed);
    std::vector<GlyphRecord> far{{0, 200, 1, farInk}};
    EXPECT_NE(errorOf(exportFontC(*fontOf(std::move(far)), named(FontLayout::Gfx))).find("127"),
              std::string::npos);

    // Ink 200 rows above the bottom edge does not either, but fits from a baseline of row 100.
    Picture tall(1, 200);
    tall.setPixel(0, 0, kRed);
    const auto tallFont = fontOf({{0, 1, 200, tall}});
    EXPECT_NE(errorOf(exportFontC(*tallFont, named(FontLayout::Gfx))).find("--baseline"),
              std::string::npos);
    FontExportOptions baseline = named(FontLayout::Gfx);
    baseline.baseline = BaselineChoice::at(100);
    const auto header = exportFontC(*tallFont, baseline);
    ASSERT_TRUE(header.ok()) << errorOf(header);
    EXPECT_NE(header.value().find("{0, 1, 1, 1, 0, -100}"), std::string::npos);
}

TEST(FontExport, GfxBitmapOffsetsStopAtTheirSixteenBits) {
    // Each full 255 x 255 glyph takes 8129 bytes: glyph 8 begins at 65032, glyph 9 at 73161.
    Picture full(255, 255);
    full.fill(kRed);
    std::vector<GlyphRecord> glyphs(10, GlyphRecord{0, 255, 255, full});
    const auto library = fontOf(std::move(glyphs));
    FontExportOptions options = named(FontLayout::Gfx);
    options.baseline = BaselineChoice::at(128); // the highest baseline whose ink offsets fit
    options.codes = CodeList{0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_TRUE(exportFontC(*library, options).ok());
    // drawChar's 16-bit count would run on from byte 0 of the first glyph in the middle of it.
    options.codes = CodeList{0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_NE(
        errorOf(exportFontC(*library, options)).find("Glyph 8's bits run from byte 65032 to 73160"),
        std::string::npos);
}

TEST(FontExport, U8g2RefusesGlyphsItWouldDrawOutOfPlace) {
    const auto errorFor = [](const Picture& picture, std::optional<int> baselineRow) {
        const auto library = fontOf({{0, picture.width(), picture.height(), picture}});
        FontExportOptions options = named(FontLayout::U8g2);
        if (baselineRow) {
            options.baseline = BaselineChoice::at(*baselineRow);
        }
        return errorOf(exportFontC(*library, options));
    };
    // u8g2 draws a glyph of signed-byte width and height, moved to its top by a signed byte.
    Picture tall(1, 150);
    tall.fill(kRed);
    EXPECT_NE(errorFor(tall, 75).find("1 x 150 pixels, more than the 127 x 127"),
              std::string::npos);
    Picture high(1, 200);
    for (int y = 0; y < 100; ++y) {
        high.setPixel(0, y, kRed);
    }
    EXPECT_NE(errorFor(high, 170).find("reaches 170 rows above the baseline"), std::string::npos);
    EXPECT_EQ(errorFor(high, 128), "(no error)");

    // Two glyphs that fit alone, one above the baseline and one below it, whose common box
    // (u8g2's max char height) does not.
    Picture above(1, 200);
    Picture below(1, 200);
    for (int y = 0; y < 100; ++y) {
        above.setPixel(0, y, kRed);
    }
    for (int y = 100; y < 160; ++y) {
        below.setPixel(0, y, kRed);
    }
    const auto pair = fontOf({{0, 1, 200, above}, {1, 1, 200, below}});
    FontExportOptions options = named(FontLayout::U8g2);
    options.baseline = BaselineChoice::at(100);
    EXPECT_NE(errorOf(exportFontC(*pair, options)).find("common box is 1 x 160"),
              std::string::npos);
}

TEST(FontExport, AGlyphWithoutAPictureIsDarkLikeABlackOne) {
    for (const FontLayout layout : {FontLayout::Rows, FontLayout::Pages, FontLayout::Gfx}) {
        const auto withPicture = fontOf({glyphOf({"...", "..."})});
        const auto without = fontOf({GlyphRecord{0, 3, 2, std::nullopt}});
        const auto a = exportFontC(*withPicture, named(layout));
        const auto b = exportFontC(*without, named(layout));
        ASSERT_TRUE(a.ok() && b.ok());
        EXPECT_EQ(a.value(), b.value());
    }
}

TEST(FontExport, GfxLineHeightIsTheTallestGlyphAndEachStandsOnItsOwnBottomEdge) {
    const auto library = fontOf({glyphOf({"#", ".", "."}), glyphOf({".", ".", ".", "#", "."})});
    const auto header = exportFontC(*library, named(FontLayout::Gfx));
    ASSERT_TRUE(header.ok()) << errorOf(header);
    EXPECT_NE(header.value().find("{0, 1, 1, 1, 0, -3}, /* 0 */"), std::string::npos);
    EXPECT_NE(header.value().find("{1, 1, 1, 1, 0, -2}, /* 1 */"), std::string::npos);
    EXPECT_NE(header.value().find("5, /* yAdvance */"), std::string::npos);
}

// ---- Bitmaps ----

TEST(BitmapExport, RefusesAnEmptyLibraryAndABadName) {
    BitmapLibrary library;
    BitmapExportOptions options;
    options.name = "b";
    EXPECT_NE(errorOf(exportBitmapsC(library, options)).find("no bitmaps"), std::string::npos);
    library.append({"A", 1, 1, pictureFromText({"R"})});
    EXPECT_TRUE(exportBitmapsC(library, options).ok());
    options.name = "b c";
    EXPECT_FALSE(exportBitmapsC(library, options).ok());
}

TEST(BitmapExport, ColoursOutsideThePaletteAreClassifiedAsTheBcmWriterDoes) {
    // (200, 100, 128) has red and blue lit: it is Fuchia, 0xF81F in rgb565.
    Picture odd(1, 1);
    odd.setPixel(0, 0, makeRgb(200, 100, 128));
    BitmapLibrary library;
    library.append({"ODD", 1, 1, odd});
    library.append({"FUCHIA", 1, 1, pictureFromText({"F"})});
    BitmapExportOptions options;
    options.name = "b";
    const auto header = exportBitmapsC(library, options);
    ASSERT_TRUE(header.ok()) << errorOf(header);
    EXPECT_NE(header.value().find("b_pixels_0[2] KORVEL_FLASH = {\n    0xF8, 0x1F,"),
              std::string::npos)
        << header.value();
    EXPECT_NE(header.value().find("b_pixels_1[2] KORVEL_FLASH = {\n    0xF8, 0x1F,"),
              std::string::npos);
}

} // namespace
} // namespace korvel
