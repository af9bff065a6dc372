#include "core/codepage.h"
#include "core/glyphnames.h"
#include "formats/bdf.h"
#include "formats/lcm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "missing test file " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The rows of a glyph as text, "#" for ink and "." for background; no picture is blank.
std::vector<std::string> inkRows(const GlyphRecord& glyph) {
    std::vector<std::string> rows;
    for (int y = 0; y < glyph.height; ++y) {
        std::string row;
        for (int x = 0; x < glyph.width; ++x) {
            row += glyph.picture && isInk(glyph.picture->pixel(x, y)) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

Bytes lcmOf(const FontLibrary& library) {
    const auto bytes = encodeLcm(library.glyphs, library.count);
    EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message);
    return bytes.ok() ? bytes.value() : Bytes{};
}

BdfFont decodedOk(std::string_view text, BdfCell cell = BdfCell::KeepInk) {
    auto font = decodeBdf(text, cell);
    EXPECT_TRUE(font.ok()) << (font.ok() ? "" : font.error().message);
    return font.ok() ? std::move(font).value() : BdfFont{};
}

/// A library read from a .lcm golden file.
FontLibrary goldenLibrary(const std::string& name) {
    const std::string text = dataFile(name);
    auto glyphs = decodeLcm(Bytes(text.begin(), text.end()));
    EXPECT_TRUE(glyphs.ok()) << name;
    FontLibrary library;
    if (glyphs.ok()) {
        library.replaceGlyphs(std::move(glyphs).value());
    }
    return library;
}

// A small font written for this test: ascent 4, descent 1, so cells are 5 rows with the
// baseline under row 3. Glyph 66 is 4 pixels of ink in a 2-pixel advance.
const std::string kHandFont = R"(STARTFONT 2.1
COMMENT written by hand for the test
FONT -test-hand-medium-r-normal--5-50-75-75-c-40-iso10646-1
SIZE 5 75 75
FONTBOUNDINGBOX 4 5 0 -1
STARTPROPERTIES 2
FONT_ASCENT 4
FONT_DESCENT 1
ENDPROPERTIES
CHARS 5
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
STARTCHAR Euro
ENCODING 8364
DWIDTH 4 0
BBX 1 1 0 0
BITMAP
80
ENDCHAR
STARTCHAR uni4E00
ENCODING 19968
DWIDTH 4 0
BBX 1 1 0 0
BITMAP
80
ENDCHAR
ENDFONT
)";

TEST(BdfImport, PlacesEachBitmapByItsOffsetsFromTheBaseline) {
    const BdfFont font = decodedOk(kHandFont);
    const FontLibrary& library = font.library;
    EXPECT_EQ(font.charset, "ISO10646-1");
    EXPECT_FALSE(font.codesTakenAsTheyAre);
    EXPECT_EQ(library.count, 256); // the euro sign lands on 128
    EXPECT_EQ(inkRows(library.glyphs[65]),
              (std::vector<std::string>{".#..", "#.#.", "###.", "#.#.", "...."}));
    EXPECT_EQ(inkRows(library.glyphs[44]),
              (std::vector<std::string>{"..", "..", "..", ".#", ".#"}));
    EXPECT_EQ(inkRows(library.glyphs[128]),
              (std::vector<std::string>{"....", "....", "....", "#...", "...."}));
    // The whole 4-pixel box is kept: the cell is as wide as the ink.
    EXPECT_EQ(inkRows(library.glyphs[66]),
              (std::vector<std::string>{"####", "....", "....", "....", "...."}));
    EXPECT_TRUE(font.warnings.empty());
    EXPECT_EQ(font.skipped, 1); // the ideograph
    // Codes the font lacks: blank, the bounding box's width and the cell's height.
    EXPECT_EQ(library.glyphs[0].width, 4);
    EXPECT_EQ(library.glyphs[0].height, 5);
    EXPECT_EQ(inkRows(library.glyphs[0]), std::vector<std::string>(5, "...."));
}

TEST(BdfImport, ClippingKeepsTheAscentDescentCellAndWarns) {
    const BdfFont font = decodedOk(kHandFont, BdfCell::Clip);
    EXPECT_EQ(inkRows(font.library.glyphs[66]),
              (std::vector<std::string>{"##", "..", "..", "..", ".."}));
    ASSERT_EQ(font.warnings.size(), 1U);
    EXPECT_NE(font.warnings[0].find("glyph 66"), std::string::npos);
}

TEST(BdfImport, KeepsAccentsAboveTheAscentAndInkLeftOfTheOrigin) {
    const BdfFont font = decodedOk(dataFile("bdf/proportional-accents.bdf"));
    const FontLibrary& library = font.library;
    // FONT_ASCENT 7 + FONT_DESCENT 2, but É reaches 10 rows up: 12 rows, one baseline.
    EXPECT_EQ(library.glyphs[201].height, 12);
    EXPECT_EQ(inkRows(library.glyphs[201])[0], "..#..");
    EXPECT_EQ(inkRows(library.glyphs[201])[3], "####.");
    EXPECT_EQ(inkRows(library.glyphs[69])[3], "####.");
    // j starts one pixel left of its origin: its cell grows by one column on the left.
    EXPECT_EQ(library.glyphs[106].width, 3);
    EXPECT_EQ(inkRows(library.glyphs[106]).back(), "#..");
    // The clipped import cuts the accent to what fits in 9 rows.
    const BdfFont clipped = decodedOk(dataFile("bdf/proportional-accents.bdf"), BdfCell::Clip);
    EXPECT_EQ(clipped.library.glyphs[201].height, 9);
    EXPECT_EQ(inkRows(clipped.library.glyphs[201])[0], "####.");
    EXPECT_EQ(clipped.warnings.size(), 2U); // É and j
}

TEST(BdfImport, WideGlyphsAreKeptAsInkRowsThatTheLibraryWriterCopies) {
    // 19 columns: ink on both sides of each byte boundary and in the last, padded byte; mixed
    // letter case in the digits.
    const std::string font = R"(STARTFONT 2.1
FONT -test-wide-medium-r-normal--3-30-75-75-c-190-iso10646-1
SIZE 3 75 75
FONTBOUNDINGBOX 19 3 0 0
STARTPROPERTIES 2
FONT_ASCENT 3
FONT_DESCENT 0
ENDPROPERTIES
CHARS 1
STARTCHAR A
ENCODING 65
DWIDTH 19 0
BBX 19 3 0 0
BITMAP
81C0A0
01fFe0
000020
ENDCHAR
ENDFONT
)";
    const BdfFont decoded = decodedOk(font);
    const GlyphRecord& glyph = decoded.library.glyphs[65];
    ASSERT_TRUE(glyph.picture);
    EXPECT_NE(glyph.picture->encodedRows(), nullptr);
    EXPECT_FALSE(glyph.picture->isDecoded());
    EXPECT_EQ(inkRows(glyph), (std::vector<std::string>{"#......###......#.#", //
                                                        ".......############", //
                                                        "..................#"}));
    // The same pixels drawn into plain pictures give the same library file.
    FontLibrary drawn = decoded.library;
    for (GlyphRecord& record : drawn.glyphs) {
        if (record.picture) {
            Picture plain(record.picture->width(), record.picture->height());
            plain.draw(*record.picture);
            EXPECT_EQ(plain.encodedRows(), nullptr);
            EXPECT_EQ(plain, *record.picture);
            record.picture = plain;
        }
    }
    EXPECT_EQ(lcmOf(decoded.library), lcmOf(drawn));
}

TEST(BdfImport, MapsCharacterSetsOntoWindows1252) {
    const BdfFont latin = decodedOk(dataFile("bdf/latin1.bdf"));
    EXPECT_EQ(latin.charset, "ISO8859-1");
    EXPECT_FALSE(latin.codesTakenAsTheyAre);
    EXPECT_EQ(latin.skipped, 1); // 0x80 is a control character in ISO 8859-1
    EXPECT_EQ(inkRows(latin.library.glyphs[233])[0], "...#..");
    EXPECT_EQ(latin.library.glyphs[128].picture, std::nullopt);

    const BdfFont koi = decodedOk(dataFile("bdf/koi8-r.bdf"));
    EXPECT_EQ(koi.charset, "KOI8-R");
    EXPECT_TRUE(koi.codesTakenAsTheyAre);
    EXPECT_EQ(inkRows(koi.library.glyphs[225])[0], ".#..");

    // Korvel's own earlier exports say Windows-1252: their codes are right as they are.
    std::string cp1252 = dataFile("bdf/koi8-r.bdf");
    cp1252.replace(cp1252.find("\"KOI8\""), 6, "\"microsoft\"");
    cp1252.replace(cp1252.find("\"R\""), 3, "\"cp1252\"");
    EXPECT_FALSE(decodedOk(cp1252).codesTakenAsTheyAre);

    // Without properties, the XLFD name says the character set.
    std::string named = dataFile("bdf/unicode-euro.bdf");
    EXPECT_EQ(decodedOk(named).charset, "ISO10646-1");
    EXPECT_EQ(inkRows(decodedOk(named).library.glyphs[150])[3], "####.");
}

TEST(BdfImport, UnencodedGlyphsLandByTheirStandardNames) {
    std::string text = kHandFont;
    text.replace(text.find("ENCODING 8364"), 13, "ENCODING -1");
    text.replace(text.find("ENCODING 65"), 11, "ENCODING -1");
    const BdfFont font = decodedOk(text);
    EXPECT_EQ(inkRows(font.library.glyphs[128])[3], "#...");
    EXPECT_EQ(inkRows(font.library.glyphs[65])[0], ".#..");
    EXPECT_EQ(font.skipped, 1);
}

TEST(BdfImport, PropertiesAreReadAsPropertiesWhateverTheirNames) {
    const BdfFont font = decodedOk(dataFile("bdf/proportional-accents.bdf"));
    // The property named FONTBOUNDINGBOX does not replace the real one, whose width 6 the codes
    // the font lacks take.
    EXPECT_EQ(font.library.glyphs[65].width, 6);
    // Properties named like the keywords that begin a glyph or end the font are properties
    // too: they neither begin a glyph nor end the font.
    std::string text = kHandFont;
    text.replace(text.find("STARTPROPERTIES 2"), 17,
                 "STARTPROPERTIES 4\nSTARTCHAR \"x\"\nENDFONT \"y\"");
    const BdfFont named = decodedOk(text);
    EXPECT_EQ(inkRows(named.library.glyphs[65])[0], ".#..");
    EXPECT_EQ(named.library.glyphs[65].height, decodedOk(kHandFont).library.glyphs[65].height);

    // The count says whether the block is whole: a property too many or too few is refused at
    // ENDPROPERTIES; COMMENT lines may be counted or not.
    std::string tooMany = kHandFont;
    tooMany.replace(tooMany.find("STARTPROPERTIES 2"), 17, "STARTPROPERTIES 2\nSTARTCHAR x");
    const auto refused = decodeBdf(tooMany);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "line 10: the properties begun at line 6 are 3 lines, but STARTPROPERTIES says 2");
    std::string tooFew = kHandFont;
    tooFew.replace(tooFew.find("STARTPROPERTIES 2"), 17, "STARTPROPERTIES 3");
    EXPECT_FALSE(decodeBdf(tooFew).ok());
    for (const char* declared : {"STARTPROPERTIES 2", "STARTPROPERTIES 3"}) {
        std::string commented = kHandFont;
        commented.replace(commented.find("STARTPROPERTIES 2"), 17,
                          std::string(declared) + "\nCOMMENT a note among the properties");
        EXPECT_TRUE(decodeBdf(commented).ok()) << declared;
    }
}

TEST(BdfImport, UnencodedGlyphsOfFontsTakenAsTheyAreAreSkipped) {
    // In a KOI8-R font code 201 is its own letter; an unencoded glyph named Eacute does not
    // take it, wherever it stands.
    std::string koi = dataFile("bdf/koi8-r.bdf");
    const std::string own = "STARTCHAR afii10026\nENCODING 201\nDWIDTH 4 0\nBBX 1 1 0 0\n"
                            "BITMAP\n80\nENDCHAR\n";
    const std::string unencoded = "STARTCHAR Eacute\nENCODING -1\nDWIDTH 4 0\nBBX 4 1 0 0\n"
                                  "BITMAP\nF0\nENDCHAR\n";
    koi.replace(koi.find("CHARS 2\n"), 8, "CHARS 4\n" + unencoded + own);
    const BdfFont font = decodedOk(koi);
    EXPECT_TRUE(font.codesTakenAsTheyAre);
    EXPECT_EQ(font.skipped, 1);
    EXPECT_EQ(inkRows(font.library.glyphs[201])[3], "#...");
    EXPECT_EQ(inkRows(font.library.glyphs[225])[0], ".#..");

    // A font of no character set whose only glyphs are one beyond its codes and an unencoded
    // "z" has nothing to import.
    const auto nothing = decodeBdf("STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\nCHARS 2\n"
                                   "STARTCHAR big\nENCODING 300\nDWIDTH 1 0\nBBX 1 1 0 0\n"
                                   "BITMAP\n80\nENDCHAR\nSTARTCHAR z\nENCODING -1\nDWIDTH 1 0\n"
                                   "BBX 1 1 0 0\nBITMAP\n80\nENDCHAR\nENDFONT\n");
    ASSERT_FALSE(nothing.ok());
    EXPECT_NE(nothing.error().message.find("2 glyphs in no named character set, encodings 300 "
                                           "to 300"),
              std::string::npos)
        << nothing.error().message;
}

TEST(BdfImport, AFontWithoutUsableGlyphsIsRefusedNamingWhatItHas) {
    const auto cjk = decodeBdf(dataFile("bdf/cjk-only.bdf"));
    ASSERT_FALSE(cjk.ok());
    EXPECT_NE(cjk.error().message.find("2 glyphs in character set ISO10646-1, encodings 19968 to "
                                       "20108"),
              std::string::npos)
        << cjk.error().message;
    // A font of no glyphs at all is an empty library, as an empty library is exported.
    const BdfFont empty = decodedOk("STARTFONT 2.1\nFONT_ASCENT 0\nFONT_DESCENT 0\nCHARS 0\n"
                                    "ENDFONT\n");
    EXPECT_EQ(empty.library.count, 0);
}

TEST(BdfImport, RefusesWhatIsNotAWholeFontOrCannotBeStored) {
    const std::string head = "STARTFONT 2.1\nFONT_ASCENT 1\nFONT_DESCENT 0\n";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "STARTFONT"},
        {"hello\n", "STARTFONT"},
        {"STARTFONT 2.1\nCHARS 0\n", "before ENDFONT"},
        {"STARTFONT 2.1\nSTARTPROPERTIES 1\nFONT_ASCENT 1\n", "line 2: the properties"},
        {head + "STARTCHAR a\nENCODING 1\n", "ENDCHAR"},
        {head + "STARTCHAR a\nENCODING 1\nBBX 9999999 1 0 0\nENDCHAR\nENDFONT\n", "BBX"},
        {head + "STARTCHAR a\nENCODING 1\nDWIDTH 300 0\nENDCHAR\nENDFONT\n", "width"},
        {head + "STARTCHAR a\nENCODING 1\nBBX 8 1 0 0\nBITMAP\nZZ\nENDCHAR\nENDFONT\n", "not hex"},
        {head + "STARTCHAR a\nENCODING 1\nBBX 1 300 0 0\nBITMAP\n" + std::string(300 * 3, '\0'),
         "ENDCHAR"},
        {"STARTFONT 2.1\nFONT_ASCENT 300\nFONT_DESCENT 0\nSTARTCHAR a\nENCODING 1\nENDCHAR\n"
         "ENDFONT\n",
         "cell height 300"},
    };
    for (const auto& [text, reason] : cases) {
        const auto font = decodeBdf(text);
        ASSERT_FALSE(font.ok()) << text;
        EXPECT_NE(font.error().message.find(reason), std::string::npos)
            << text << " gave: " << font.error().message;
    }
}

TEST(BdfImport, RefusesABitmapOfMoreOrFewerRowsThanItsBox) {
    const std::string head = "STARTFONT 2.1\nFONT_ASCENT 8\nFONT_DESCENT 0\nSTARTCHAR a\n"
                             "ENCODING 65\nBBX 8 8 0 0\nBITMAP\n";
    for (const int rows : {1, 7, 9, 11}) {
        std::string text = head;
        for (int r = 0; r < rows; ++r) {
            text += "FF\n";
        }
        text += "ENDCHAR\nENDFONT\n";
        const auto font = decodeBdf(text);
        ASSERT_FALSE(font.ok()) << rows << " rows";
        EXPECT_EQ(font.error().message,
                  "line " + std::to_string(8 + rows) + ": the glyph begun at line 4 has " +
                      std::to_string(rows) + " BITMAP rows, but its BBX says 8");
    }
}

TEST(BdfImport, RefusesEveryTruncationOfAWholeFont) {
    for (const char* file : {"bdf/unicode-euro.bdf", "bdf/proportional-accents.bdf"}) {
        const std::string whole = dataFile(file);
        ASSERT_TRUE(decodeBdf(whole).ok()) << file;
        // Everything but the last line end: a cut inside ENDFONT or earlier.
        for (std::size_t length = 0; length + 1 < whole.size(); ++length) {
            EXPECT_FALSE(decodeBdf(std::string_view(whole).substr(0, length)).ok())
                << file << " cut to " << length << " bytes";
        }
    }
}

TEST(BdfImport, AHugeBoxWithFewDigitsCostsOnlyItsText) {
    // 4096 x 4096 claimed, one row given: refused for its row count, having walked the text.
    const auto font = decodeBdf("STARTFONT 2.1\nFONT_ASCENT 8\nFONT_DESCENT 0\nSTARTCHAR a\n"
                                "ENCODING 1\nDWIDTH 8 0\nBBX 4096 4096 0 -4088\nBITMAP\nFF\n"
                                "ENDCHAR\nENDFONT\n");
    ASSERT_FALSE(font.ok());
    EXPECT_NE(font.error().message.find("1 BITMAP rows"), std::string::npos);
}

TEST(BdfCorpus, EachFontGivesItsExpectedLibrary) {
    for (const std::string name : {"unicode-euro", "latin1", "proportional-accents", "koi8-r"}) {
        const BdfFont font = decodedOk(dataFile("bdf/" + name + ".bdf"));
        const std::string golden = dataFile("bdf/" + name + ".lcm");
        EXPECT_EQ(lcmOf(font.library), Bytes(golden.begin(), golden.end())) << name;
        // The same font with Windows line ends gives the same library.
        std::string windows;
        for (const char c : dataFile("bdf/" + name + ".bdf")) {
            windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        EXPECT_EQ(lcmOf(decodedOk(windows).library), Bytes(golden.begin(), golden.end())) << name;
    }
}

TEST(BdfExport, WritesAUnicodeFontWithStandardNames) {
    FontLibrary library;
    library.count = 256;
    for (int code = 0; code < library.count; ++code) {
        library.glyphs[static_cast<std::size_t>(code)] = GlyphRecord{code, 3, 2, Picture(3, 2)};
    }
    library.glyphs[7] = GlyphRecord{7, 5, 0, Picture(5, 0)};
    const std::string text = encodeBdf(library.glyphs, library.count, "my-font");
    for (const char* expected :
         {"FONT -Korvel-my font-Medium-R-Normal--2-20-72-72-P-30-ISO10646-1\n",
          "FAMILY_NAME \"my font\"\n", "PIXEL_SIZE 2\n", "POINT_SIZE 20\n", "RESOLUTION_X 72\n",
          "RESOLUTION_Y 72\n", "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n",
          "STARTCHAR Euro\nENCODING 8364\n", "STARTCHAR quotedblleft\nENCODING 8220\n",
          "STARTCHAR Eacute\nENCODING 201\n", "STARTCHAR A\nENCODING 65\n",
          "STARTCHAR uni0081\nENCODING -1\n", "STARTCHAR uni009D\nENCODING -1\n",
          // A glyph of height 0 keeps its advance and has an empty box.
          "STARTCHAR uni0007\nENCODING 7\nSWIDTH 2500 0\nDWIDTH 5 0\nBBX 0 0 0 "
          "0\nBITMAP\nENDCHAR\n",
          "STARTCHAR A\nENCODING 65\nSWIDTH 1500 0\nDWIDTH 3 0\nBBX 3 2 0 0\nBITMAP\n00\n00\n"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(text.find("ENCODING 129"), std::string::npos);
}

TEST(BdfExport, LibrariesOfOneHeightSurviveTheRoundTripByteForByte) {
    FontLibrary made;
    made.count = 256;
    for (int code = 0; code < made.count; ++code) {
        Picture picture(1 + code % 12, 9);
        picture.setPixel(code % picture.width(), code % 9, kRed);
        picture.setPixel(0, 8, kRed);
        made.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, picture.width(), 9, picture};
    }
    FontLibrary allZeroHigh;
    allZeroHigh.count = 128;
    for (int code = 0; code < allZeroHigh.count; ++code) {
        allZeroHigh.glyphs[static_cast<std::size_t>(code)] = GlyphRecord{code, 4, 0, Picture(4, 0)};
    }
    std::vector<std::pair<std::string, FontLibrary>> libraries;
    libraries.emplace_back("made", std::move(made));
    libraries.emplace_back("height 0", std::move(allZeroHigh));
    for (const char* golden : {"lcm/blank-5x9-128.lcm", "lcm/full-256.lcm", "lcm/empty.lcm",
                               "bdf/unicode-euro.lcm", "bdf/latin1.lcm"}) {
        libraries.emplace_back(golden, goldenLibrary(golden));
    }
    for (const auto& [name, library] : libraries) {
        const std::string text = encodeBdf(library.glyphs, library.count, name);
        const BdfFont back = decodedOk(text);
        EXPECT_TRUE(back.warnings.empty()) << name;
        EXPECT_EQ(back.skipped, 0) << name;
        EXPECT_EQ(lcmOf(back.library), lcmOf(library)) << name;
    }
}

TEST(BdfExport, AFontWhoseEncodingsWereDroppedComesBackByItsGlyphNames) {
    // Some editors write every glyph back with ENCODING -1; the names still say the codes.
    const FontLibrary library = goldenLibrary("bdf/unicode-euro.lcm");
    std::string text = encodeBdf(library.glyphs, library.count, "euro");
    for (std::size_t at = text.find("\nENCODING "); at != std::string::npos;
         at = text.find("\nENCODING ", at + 1)) {
        const std::size_t end = text.find('\n', at + 1);
        text.replace(at, end - at, "\nENCODING -1");
    }
    ASSERT_EQ(text.find("ENCODING 8364"), std::string::npos);
    const BdfFont back = decodedOk(text);
    EXPECT_EQ(back.skipped, 0);
    EXPECT_EQ(lcmOf(back.library), lcmOf(library));
}

TEST(BdfExport, ShorterGlyphsStandOnTheBaseline) {
    FontLibrary library;
    library.count = 128;
    library.glyphs[0] = GlyphRecord{0, 2, 4, Picture(2, 4)};
    library.glyphs[1] = GlyphRecord{1, 2, 2, Picture(2, 2)};
    library.glyphs[1].picture->fill(kRed);
    const BdfFont back = decodedOk(encodeBdf(library.glyphs, library.count, "f"));
    // In a 4-row cell, the 2-row glyph fills the bottom two rows.
    EXPECT_EQ(inkRows(back.library.glyphs[1]), (std::vector<std::string>{"..", "..", "##", "##"}));
}

TEST(GlyphNames, EveryWindows1252CharacterHasOneNameThatLeadsBack) {
    std::set<std::string> names;
    for (int code = 0; code < 256; ++code) {
        const char32_t character = cp1252ToUnicode(static_cast<std::uint8_t>(code));
        const std::string name = glyphName(character);
        EXPECT_TRUE(names.insert(name).second) << name << " names two codes";
        EXPECT_EQ(characterOfGlyphName(name), character) << name;
    }
    EXPECT_EQ(glyphName(0x20AC), "Euro");
    EXPECT_EQ(glyphName(0x00E9), "eacute");
    EXPECT_EQ(glyphName(0x0416), "uni0416");
    EXPECT_EQ(glyphName(0x1F600), "uni1F600");
    EXPECT_EQ(characterOfGlyphName("u1F600"), 0x1F600U);
    for (const char* notAName : {"", "uni", "uni12", "uni00e9", "uniD800", "u110000", "euro"}) {
        EXPECT_EQ(characterOfGlyphName(notAName), std::nullopt) << notAName;
    }
}

} // namespace
} // namespace korvel

namespace korvel {
namespace {

TEST(BdfCodePages, ExportWritesTheUnicodeValuesOfTheCodePage) {
    FontLibrary library;
    library.count = 256;
    for (int code = 0; code < library.count; ++code) {
        library.glyphs[static_cast<std::size_t>(code)] = GlyphRecord{code, 3, 2, Picture(3, 2)};
    }
    const std::string greek =
        encodeBdf(library.glyphs, library.count, "greek", {}, *codePageByName("windows-1253"));
    for (const char* expected :
         {"STARTCHAR uni0391\nENCODING 913\n", // 0xC1 "Α"
          "STARTCHAR Euro\nENCODING 8364\n",   // 0x80
          "STARTCHAR uni0081\nENCODING -1\n",  // undefined below 0xA0: as Windows-1252's 0x81
          "STARTCHAR code170\nENCODING -1\n",  // undefined above: no character at all
          "STARTCHAR A\nENCODING 65\n"}) {
        EXPECT_NE(greek.find(expected), std::string::npos) << expected;
    }
    // ISO 8859 pages define C1 controls at 0x80-0x9F; no font tool expects them in a font.
    const std::string iso =
        encodeBdf(library.glyphs, library.count, "iso", {}, *codePageByName("iso-8859-5"));
    EXPECT_NE(iso.find("STARTCHAR uni0080\nENCODING -1\n"), std::string::npos);
    EXPECT_NE(iso.find("STARTCHAR uni0430\nENCODING 1072\n"), std::string::npos); // 0xD0 "а"
    // Read back in the same code page, every glyph comes to its code again, also those of the
    // codes that stand for no character, where a sign maker may keep an icon.
    library.glyphs[170].picture->setPixel(1, 0, kRed);
    const std::string marked =
        encodeBdf(library.glyphs, library.count, "greek", {}, *codePageByName("windows-1253"));
    const auto back =
        decodeBdf(marked, BdfCell::KeepInk, BdfCodes{*codePageByName("cp1253"), true});
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(back.value().skipped, 0);
    EXPECT_TRUE(back.value().library.glyphs[0xC1].picture.has_value());
    EXPECT_EQ(inkRows(back.value().library.glyphs[170]), (std::vector<std::string>{".#.", "..."}));
    // A page that has a character at 170 (Windows-1252's "ª") does not take the glyph there.
    const auto western = decodeBdf(marked, BdfCell::KeepInk, BdfCodes{windows1252(), true});
    ASSERT_TRUE(western.ok());
    EXPECT_FALSE(western.value().library.glyphs[170].picture.has_value());
}

TEST(BdfCodePages, EightBitFontsAreReadThroughTheirOwnTableWhenAsked) {
    const std::string text = dataFile("bdf/koi8-r.bdf");
    const CodePage cp1251 = *codePageByName("cp1251");
    // KOI8-R 225 is "А", which Windows-1251 keeps at 192.
    const auto through = decodeBdf(text, BdfCell::KeepInk, BdfCodes{cp1251, true});
    ASSERT_TRUE(through.ok());
    EXPECT_FALSE(through.value().codesTakenAsTheyAre);
    EXPECT_TRUE(through.value().readThroughCharset);
    EXPECT_EQ(inkRows(through.value().library.glyphs[192])[0], ".#..");
    EXPECT_FALSE(through.value().library.glyphs[225].picture.has_value());
    // Not asked, the codes are taken as they are, and said to be so, in any code page.
    const auto asTheyAre = decodeBdf(text, BdfCell::KeepInk, BdfCodes{cp1251, false});
    ASSERT_TRUE(asTheyAre.ok());
    EXPECT_TRUE(asTheyAre.value().codesTakenAsTheyAre);
    EXPECT_EQ(inkRows(asTheyAre.value().library.glyphs[225])[0], ".#..");
    // A font in the library's own code page needs no table and no note.
    const auto own = decodeBdf(text, BdfCell::KeepInk, BdfCodes{*codePageByName("koi8-r"), true});
    ASSERT_TRUE(own.ok());
    EXPECT_FALSE(own.value().codesTakenAsTheyAre);
    EXPECT_FALSE(own.value().readThroughCharset);
    EXPECT_EQ(inkRows(own.value().library.glyphs[225])[0], ".#..");
    // Registries name code pages in several ways.
    for (const auto& [registry, encoding] : std::vector<std::pair<std::string, std::string>>{
             {"microsoft", "cp1251"}, {"WINDOWS", "1251"}, {"IBM", "cp866"}, {"ISO8859", "5"}}) {
        std::string named = text;
        named.replace(named.find("\"KOI8\""), 6, "\"" + registry + "\"");
        named.replace(named.find("\"R\""), 3, "\"" + encoding + "\"");
        const auto read = decodeBdf(named, BdfCell::KeepInk, BdfCodes{windows1252(), true});
        ASSERT_TRUE(read.ok()) << registry;
        EXPECT_TRUE(read.value().readThroughCharset) << registry << "-" << encoding;
    }
    // Nothing of the font in the code page: the refusal names the code page.
    const auto none =
        decodeBdf(dataFile("bdf/cjk-only.bdf"), BdfCell::KeepInk, BdfCodes{cp1251, true});
    ASSERT_FALSE(none.ok());
    EXPECT_NE(none.error().message.find("none of them is a Windows-1251 character"),
              std::string::npos)
        << none.error().message;
}

} // namespace
} // namespace korvel
