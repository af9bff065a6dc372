// Headers read back: the golden headers of export-c decode to the library they were made from,
// and text that is no such header is refused with a reason.

#include "firmware/headerdecode.h"

#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(outside.error().message, "Glyph 3 reads past its array.");
    // Cut in the middle of the data (the UTF-8 helper after it would leave the data whole).
    EXPECT_FALSE(decodeFontHeader(text.substr(0, text.find("static inline") / 2), rows));
    EXPECT_FALSE(decodeFontHeader("/* never closed", rows));
}

} // namespace
} // namespace korvel
