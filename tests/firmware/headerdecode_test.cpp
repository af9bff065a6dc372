// Headers read back: the golden headers of export-c decode to the library they were made from,
// u8g2 and LVGL fonts drawn as those libraries draw them, and text that is no such header is
// refused with a reason.

#include "firmware/headerdecode.h"

#include "firmware/u8g2decode.h"
#include "firmware/u8g2font.h"

#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace korvel {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/" + path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string golden(const std::string& name) {
    return fileText("c/" + name);
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

FontLibrary inkWidths() {
    const std::string bytes = fileText("lcm/ink-widths.lcm");
    auto glyphs = decodeLcm(bytesOf(bytes));
    EXPECT_TRUE(glyphs.ok());
    FontLibrary font;
    if (glyphs.ok()) {
        font.replaceGlyphs(std::move(glyphs).value());
    }
    return font;
}

/// The glyph's ink as text, "#" ink and "." background.
std::vector<std::string> inkOf(const Picture& picture) {
    std::vector<std::string> rows;
    for (int y = 0; y < picture.height(); ++y) {
        std::string row;
        for (int x = 0; x < picture.width(); ++x) {
            row += isInk(picture.pixel(x, y)) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(HeaderDecode, GoldenFontHeadersDecodeToTheLibrary) {
    const FontLibrary font = inkWidths();
    struct Case {
        const char* file;
        FontExportOptions options;
    };
    FontExportOptions rows;
    rows.name = "ink_widths";
    FontExportOptions lsb = rows;
    lsb.bitOrder = BitOrder::LsbFirst;
    lsb.inkIsOne = false;
    FontExportOptions pages = rows;
    pages.layout = FontLayout::Pages;
    FontExportOptions pagesInk0 = pages;
    pagesInk0.inkIsOne = false;
    pagesInk0.name = "pages0";
    for (const auto& [file, options] : std::vector<Case>{{"ink-widths-rows.h", rows},
                                                         {"ink-widths-rows-lsb-ink0.h", lsb},
                                                         {"ink-widths-pages.h", pages},
                                                         {"ink-widths-pages-ink0.h", pagesInk0}}) {
        SCOPED_TRACE(file);
        const auto decoded = decodeFontHeader(golden(file), options);
        ASSERT_TRUE(decoded) << decoded.error().message;
        ASSERT_FALSE(decoded.value().empty());
        for (const DecodedGlyph& glyph : decoded.value()) {
            const GlyphRecord& record = font.glyphs[static_cast<std::size_t>(glyph.code)];
            Picture cell(record.width, record.height);
            if (record.picture) {
                cell.draw(*record.picture);
            }
            // Decoded ink is white, the library's red: both are ink.
            EXPECT_EQ(inkOf(glyph.picture), inkOf(cell)) << glyph.code;
        }
    }
}

TEST(HeaderDecode, GfxGlyphsStandOnTheBaseline) {
    FontExportOptions gfx;
    gfx.layout = FontLayout::Gfx;
    gfx.name = "ink_widths";
    const auto decoded = decodeFontHeader(golden("ink-widths-gfx.h"), gfx);
    ASSERT_TRUE(decoded) << decoded.error().message;
    const FontLibrary font = inkWidths();
    for (const DecodedGlyph& glyph : decoded.value()) {
        const GlyphRecord& record = font.glyphs[static_cast<std::size_t>(glyph.code)];
        EXPECT_EQ(glyph.picture.width(), record.width);
        Picture cell(record.width, glyph.picture.height());
        if (record.picture) {
            cell.draw(*record.picture, 0, glyph.picture.height() - record.height);
        }
        EXPECT_EQ(inkOf(glyph.picture), inkOf(cell)) << glyph.code;
    }
}

TEST(HeaderDecode, GoldenBitmapHeadersDecodeToTheirPalette) {
    const std::string bytes = fileText("bcm/palette-and-names.bcm");
    auto loaded = decodeBcm(bytesOf(bytes));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message;
    const auto& entries = loaded.value();
    BitmapExportOptions big;
    big.name = "palette_and_names";
    BitmapExportOptions little = big;
    little.byteOrder = ByteOrder::Little;
    BitmapExportOptions rgb111 = big;
    rgb111.pixel = BitmapPixel::Rgb111;
    BitmapExportOptions planes = big;
    planes.pixel = BitmapPixel::Planes;
    BitmapExportOptions planesLsb = planes;
    planesLsb.bitOrder = BitOrder::LsbFirst;
    planesLsb.litIsOne = false;
    for (const auto& [file, options] : std::vector<std::pair<const char*, BitmapExportOptions>>{
             {"palette-and-names-rgb565.h", big},
             {"palette-and-names-rgb565-little.h", little},
             {"palette-and-names-rgb111.h", rgb111},
             {"palette-and-names-planes.h", planes},
             {"palette-and-names-planes-lsb-ink0.h", planesLsb}}) {
        SCOPED_TRACE(file);
        const auto decoded = decodeBitmapHeader(golden(file), options);
        ASSERT_TRUE(decoded) << decoded.error().message;
        ASSERT_EQ(decoded.value().size(), entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            EXPECT_EQ(decoded.value()[k].name, entries[k].name);
            Picture expected(entries[k].width, entries[k].height);
            if (entries[k].picture) {
                expected.draw(*entries[k].picture);
            }
            EXPECT_EQ(pictureToText(decoded.value()[k].picture), pictureToText(expected));
        }
    }
}

TEST(HeaderDecode, TextThatIsNoSuchHeaderIsRefused) {
    FontExportOptions rows;
    rows.name = "ink_widths";
    std::string text = golden("ink-widths-rows.h");
    FontExportOptions otherName = rows;
    otherName.name = "other_name";
    EXPECT_FALSE(decodeFontHeader(text, otherName));
    // A glyph table pointing past the bytes.
    const std::size_t row = text.find("{4, 12, 2}");
    ASSERT_NE(row, std::string::npos);
    std::string past = text;
    past.replace(row, 10, "{7, 12, 2}");
    const auto outside = decodeFontHeader(past, rows);
    ASSERT_FALSE(outside);
    EXPECT_EQ(outside.error().message, "glyph 3 reads past its array");
    // Cut in the middle of the data (the UTF-8 helper after it would leave the data whole).
    EXPECT_FALSE(decodeFontHeader(text.substr(0, text.find("static inline") / 2), rows));
    EXPECT_FALSE(decodeFontHeader("/* never closed", rows));
}

FontLibrary terminus12() {
    const std::string bytes = fileText("lcm/terminus12.lcm");
    auto glyphs = decodeLcm(bytesOf(bytes));
    EXPECT_TRUE(glyphs.ok());
    FontLibrary font;
    if (glyphs.ok()) {
        font.replaceGlyphs(std::move(glyphs).value());
    }
    return font;
}

/// Each decoded glyph is the library's glyph of its code: as wide, with the same ink at the same
/// places measured from the baseline, and no ink of the library's left out of the cell.
void expectDrawsTheLibrary(const std::vector<DecodedGlyph>& decoded, const FontLibrary& font,
                           const Baseline& baseline) {
    for (const DecodedGlyph& glyph : decoded) {
        SCOPED_TRACE("code " + std::to_string(glyph.code));
        ASSERT_LT(glyph.code, font.count);
        const GlyphRecord& record = font.glyphs[static_cast<std::size_t>(glyph.code)];
        EXPECT_EQ(glyph.picture.width(), record.width);
        const int shift = baseline.rowIn(record) - glyph.baseline;
        int shown = 0;
        for (int y = 0; y < glyph.picture.height(); ++y) {
            for (int x = 0; x < glyph.picture.width(); ++x) {
                const bool ink = glyph.picture.pixel(x, y) != kBlack;
                EXPECT_EQ(ink, inkAt(record, x, y + shift)) << x << "," << y;
                shown += ink ? 1 : 0;
            }
        }
        int inRecord = 0;
        for (int y = 0; y < record.height; ++y) {
            for (int x = 0; x < record.width; ++x) {
                inRecord += inkAt(record, x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(shown, inRecord);
    }
}

std::vector<int> codesOf(const std::vector<DecodedGlyph>& decoded) {
    std::vector<int> codes;
    for (const DecodedGlyph& glyph : decoded) {
        codes.push_back(glyph.code);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::vector<int> codeRange(int first, int last) {
    std::vector<int> codes;
    for (int code = first; code <= last; ++code) {
        codes.push_back(code);
    }
    return codes;
}

TEST(HeaderDecode, U8g2AndLvglGoldensDrawTheLibraryOnItsBaseline) {
    const FontLibrary font = terminus12();
    struct Case {
        const char* file;
        FontLayout layout;
        U8g2Encoding encoding;
        BaselineChoice baseline;
        std::vector<int> codes;
    };
    // 128 is the euro sign, U+20AC: in the Unicode section of a u8g2 font.
    const std::vector<int> unicodeCodes{48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 128, 176, 196};
    const std::vector<int> grusse{32, 71, 101, 114, 128, 223, 252}; // " Grüße€"
    for (const Case& c : std::vector<Case>{
             {"terminus12-u8g2.h", FontLayout::U8g2, U8g2Encoding::Code, {}, codeRange(32, 126)},
             {"terminus12-u8g2-unicode.h",
              FontLayout::U8g2,
              U8g2Encoding::Unicode,
              {},
              unicodeCodes},
             {"terminus12-u8g2-chars-bottom.h", FontLayout::U8g2, U8g2Encoding::Code,
              BaselineChoice::bottom(), std::vector<int>{32, 50, 53, 67, 176}},
             {"terminus12-lvgl.h", FontLayout::Lvgl, U8g2Encoding::Code, {}, codeRange(32, 126)},
             {"terminus12-lvgl-chars-row11.h", FontLayout::Lvgl, U8g2Encoding::Code,
              BaselineChoice::at(11), grusse},
         }) {
        SCOPED_TRACE(c.file);
        FontExportOptions options;
        options.layout = c.layout;
        options.encoding = c.encoding;
        options.name = "terminus12";
        const auto decoded = decodeFontHeader(golden(c.file), options);
        ASSERT_TRUE(decoded) << decoded.error().message;
        EXPECT_EQ(codesOf(decoded.value()), c.codes);
        expectDrawsTheLibrary(decoded.value(), font, resolveBaseline(font, c.baseline));
    }
}

TEST(HeaderDecode, U8g2GlyphsAreFoundOnlyWhereU8g2LooksForThem) {
    const FontLibrary font = terminus12();
    const Baseline baseline = resolveBaseline(font, {});
    auto encoded = encodeU8g2Font(font, codeRange(32, 126), baseline, U8g2Encoding::Code);
    ASSERT_TRUE(encoded) << encoded.error().message;
    const std::vector<std::uint8_t> bytes = encoded.value().bytes;
    const auto drawn = drawU8g2Font(bytes);
    ASSERT_TRUE(drawn) << drawn.error().message;
    ASSERT_EQ(drawn.value().size(), 95U);
    // The font's box: every glyph's cell is as tall, its baseline as far down.
    const U8g2Header& header = encoded.value().header;
    for (const U8g2Drawn& glyph : drawn.value()) {
        EXPECT_EQ(glyph.picture.height(), header.boxHeight);
        EXPECT_EQ(glyph.baseline, header.boxHeight + header.boxY);
    }

    // u8g2 searches for 'A' to '`' from the offset the header gives for 'A': moved past 'A''s
    // record, the glyph is still in the font but u8g2 would never draw it.
    std::vector<std::uint8_t> hidden = bytes;
    const unsigned upperA = (unsigned{hidden[17]} << 8) | hidden[18];
    const unsigned next = upperA + hidden[23 + upperA + 1];
    hidden[17] = static_cast<std::uint8_t>(next >> 8);
    hidden[18] = static_cast<std::uint8_t>(next & 0xFF);
    const auto missing = drawU8g2Font(hidden);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message, "u8g2 would not find the glyph stored under 65");

    // A font cut inside a record, and one that gives a field wider than u8g2 reads.
    EXPECT_FALSE(drawU8g2Font(std::span(bytes).first(bytes.size() / 2)));
    EXPECT_FALSE(drawU8g2Font(std::span(bytes).first(20)));
    std::vector<std::uint8_t> wide = bytes;
    wide[2] = 9;
    EXPECT_FALSE(drawU8g2Font(wide));
}

TEST(HeaderDecode, LvglFontsAreReadAsLvglReadsThem) {
    const std::string text = golden("terminus12-lvgl-chars-row11.h");
    FontExportOptions lvgl;
    lvgl.layout = FontLayout::Lvgl;
    lvgl.name = "terminus12";
    const auto decoded = decodeFontHeader(text, lvgl);
    ASSERT_TRUE(decoded) << decoded.error().message;
    for (const DecodedGlyph& glyph : decoded.value()) {
        EXPECT_EQ(glyph.baseline, 11); // line_height 12 less base_line 1
        EXPECT_EQ(glyph.picture.height(), 12);
    }
    const auto edited = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        const std::size_t at = changed.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) {
            changed.replace(at, from.size(), to);
        }
        return decodeFontHeader(changed, lvgl);
    };
    // The sparse list names the characters; one left out is no longer drawn.
    const auto shorter = edited(".list_length = 7", ".list_length = 6");
    ASSERT_TRUE(shorter) << shorter.error().message;
    EXPECT_EQ(shorter.value().size(), decoded.value().size() - 1);
    // Glyph ids past glyph_dsc, other bit depths, a glyph whose ink leaves the line.
    EXPECT_FALSE(edited(".glyph_id_start = 1", ".glyph_id_start = 3"));
    const auto deeper = edited(".bpp = 1", ".bpp = 4");
    ASSERT_FALSE(deeper);
    EXPECT_EQ(deeper.error().message,
              "only LVGL fonts of 1 bit per pixel, uncompressed and unpadded, are drawn back "
              "here");
    EXPECT_FALSE(edited(".ofs_x = 0, .ofs_y = 1}", ".ofs_x = 0, .ofs_y = 9}"));
    EXPECT_FALSE(edited(".box_w = 5", ".box_w = 256"));
    EXPECT_FALSE(edited(".line_height = 12", ".line_height = 40000")); // past LVGL 8's lv_coord_t
    // A tab is drawn as the space at twice its advance, never as the font's own glyph of U+0009;
    // U+0000 ends a text and is not drawn at all.
    const FontLibrary font = terminus12();
    FontExportOptions tabs = lvgl;
    tabs.codes = CodeList{0, 9, 32};
    const auto header = exportFontC(font, tabs);
    ASSERT_TRUE(header) << header.error().message;
    const auto tabbed = decodeFontHeader(header.value(), tabs);
    ASSERT_TRUE(tabbed) << tabbed.error().message;
    ASSERT_EQ(codesOf(tabbed.value()), (std::vector<int>{9, 32}));
    const DecodedGlyph& tab = tabbed.value().front();
    EXPECT_EQ(tab.picture.width(), 2 * font.glyphs[' '].width);
    EXPECT_EQ(pictureToText(tab.picture),
              pictureToText(Picture(tab.picture.width(), tab.picture.height())));
    // Under another name there is no such font.
    FontExportOptions other = lvgl;
    other.name = "other";
    EXPECT_FALSE(decodeFontHeader(text, other));
}

} // namespace
} // namespace korvel
