#include "formats/lcm.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using GlyphTable = std::array<GlyphRecord, kGlyphSlots>;

Bytes golden(const std::string& name) {
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/lcm/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "missing golden file " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

GlyphRecord glyphOf(int code, const std::vector<std::string>& rows) {
    Picture picture = pictureFromText(rows);
    return {code, picture.width(), picture.height(), std::move(picture)};
}

/// The glyph table lives on the heap: 256 records are too many for a comfortable stack frame.
std::unique_ptr<GlyphTable> tableOf(std::vector<GlyphRecord> glyphs) {
    auto table = std::make_unique<GlyphTable>();
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        (*table)[code] = std::move(glyphs[code]);
    }
    return table;
}

Bytes encoded(const GlyphTable& table, int count) {
    auto result = encodeLcm(table, count);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? result.value() : Bytes{};
}

std::vector<GlyphRecord> decoded(const Bytes& bytes) {
    auto result = decodeLcm(bytes);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? std::move(result).value() : std::vector<GlyphRecord>{};
}

/// Glyph code as an 8 x 1 picture whose ink pixels are the set bits of the code, leftmost the
/// most significant.
std::vector<std::string> bitsOfCode(int code) {
    std::string row;
    for (int bit = 7; bit >= 0; --bit) {
        row.push_back(((code >> bit) & 1) != 0 ? '#' : '.');
    }
    return {row};
}

std::vector<GlyphRecord> inkWidthGlyphs() {
    return {
        glyphOf(0, {"#...#"}),
        glyphOf(1, {".......#"}),
        glyphOf(2, {"........#"}),
        glyphOf(3, {"............", "...........#"}),
    };
}

} // namespace

TEST(LcmWriter, BlankLibraryIsTheWorkedExampleWithOrWithoutPictures) {
    const Bytes expected = golden("blank-5x9-128.lcm");
    ASSERT_EQ(expected.size(), 2049U);
    EXPECT_EQ(expected[1 + 4 * 127 + 2], 0x05); // the last offset is 00 00 05 F4
    EXPECT_EQ(expected[1 + 4 * 127 + 3], 0xF4);

    auto withPictures = std::make_unique<GlyphTable>();
    auto withoutPictures = std::make_unique<GlyphTable>();
    for (int code = 0; code < 128; ++code) {
        // The setup dialog makes 16-colour pictures; the writer must not care.
        (*withPictures)[static_cast<std::size_t>(code)] = {code, 5, 9,
                                                           Picture(5, 9, PixelFormat::Indexed4)};
        (*withoutPictures)[static_cast<std::size_t>(code)] = {code, 5, 9, std::nullopt};
    }
    // Slots above the count belong to an earlier library and are not written.
    (*withPictures)[200] = glyphOf(200, {"###"});
    EXPECT_EQ(encoded(*withPictures, 128), expected);
    EXPECT_EQ(encoded(*withoutPictures, 128), expected);
}

TEST(LcmWriter, EmptyLibraryIsOneZeroByte) {
    const auto table = tableOf({glyphOf(0, {"#"})});
    EXPECT_EQ(encoded(*table, 0), golden("empty.lcm"));
    EXPECT_EQ(golden("empty.lcm"), Bytes{0x00});
}

TEST(LcmWriter, PacksInkAcrossWidthsWithBackgroundPadding) {
    EXPECT_EQ(encoded(*tableOf(inkWidthGlyphs()), 4), golden("ink-widths.lcm"));
}

TEST(LcmWriter, WidthZeroIsStoredAsEightAndHeightZeroAsHeaderOnly) {
    const auto widthZero = tableOf({{0, 0, 9, Picture(0, 9)}});
    EXPECT_EQ(encoded(*widthZero, 1), golden("width0-height9.lcm"));
    const auto heightZero = tableOf({{0, 5, 0, Picture(5, 0)}});
    EXPECT_EQ(encoded(*heightZero, 1), golden("height0.lcm"));
}

TEST(LcmWriter, OnlyTheRedComponentDecidesInk) {
    // Palette order Red Green Yellow Black Blue Aqua White Fuchia: ink bits 0 1 0 1 1 1 0 0.
    const auto palette = tableOf({glyphOf(0, {"RGY.BAWF"})});
    EXPECT_EQ(encoded(*palette, 1), (Bytes{1, 0, 0, 0, 0, 0x01, 0x08, 0x01, 0x5C}));

    Picture edge(2, 1);
    edge.setPixel(0, 0, makeRgb(128, 0, 0));
    edge.setPixel(1, 0, makeRgb(127, 255, 255));
    const auto threshold = tableOf({{0, 2, 1, edge}});
    EXPECT_EQ(encoded(*threshold, 1), (Bytes{1, 0, 0, 0, 0, 0x01, 0x02, 0x01, 0x7F}));
}

TEST(LcmWriter, GlyphOfTheLargestSizeIsWrittenWhole) {
    Picture ink(255, 255);
    ink.fill(kRed);
    const auto table = tableOf({{0, 255, 255, ink}});
    EXPECT_EQ(encoded(*table, 1), golden("ink-255x255.lcm"));
}

TEST(LcmWriter, RefusesGlyphLargerThanTheFormatNamingCodeAndSize) {
    auto table = std::make_unique<GlyphTable>();
    for (int code = 0; code < 128; ++code) {
        (*table)[static_cast<std::size_t>(code)] = {code, 8, 8, Picture(8, 8)};
    }
    (*table)[65] = {65, 256, 9, Picture(256, 9)};
    const auto wide = encodeLcm(*table, 128);
    ASSERT_FALSE(wide.ok());
    EXPECT_NE(wide.error().message.find("65"), std::string::npos) << wide.error().message;
    EXPECT_NE(wide.error().message.find("256 x 9"), std::string::npos) << wide.error().message;

    (*table)[65] = {65, 12, 300, Picture(12, 300)};
    const auto tall = encodeLcm(*table, 128);
    ASSERT_FALSE(tall.ok());
    EXPECT_NE(tall.error().message.find("12 x 300"), std::string::npos) << tall.error().message;
}

TEST(LcmWriter, FullLibraryHasCountByteZeroAnd256Records) {
    std::vector<GlyphRecord> glyphs;
    for (int code = 0; code < 256; ++code) {
        glyphs.push_back(glyphOf(code, bitsOfCode(code)));
    }
    EXPECT_EQ(encoded(*tableOf(std::move(glyphs)), 256), golden("full-256.lcm"));
}

TEST(LcmReader, ReadsTheWorkedExample) {
    const auto glyphs = decoded(golden("blank-5x9-128.lcm"));
    ASSERT_EQ(glyphs.size(), 128U);
    for (int code = 0; code < 128; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        EXPECT_EQ(glyph.code, code);
        EXPECT_EQ(glyph.width, 5);
        EXPECT_EQ(glyph.height, 9);
        ASSERT_TRUE(glyph.picture.has_value());
        EXPECT_EQ(*glyph.picture, Picture(5, 9)) << "glyph " << code;
    }
}

TEST(LcmReader, CountByteZeroMeansEmptyOnlyInAOneByteFile) {
    EXPECT_TRUE(decoded(golden("empty.lcm")).empty());

    const auto glyphs = decoded(golden("full-256.lcm"));
    ASSERT_EQ(glyphs.size(), 256U);
    for (int code = 0; code < 256; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        EXPECT_EQ(glyph.code, code);
        ASSERT_TRUE(glyph.picture.has_value());
        EXPECT_EQ(*glyph.picture, pictureFromText(bitsOfCode(code))) << "glyph " << code;
    }
}

TEST(LcmReader, ReadsInkWidthZeroWidthAndHeightZero) {
    const auto inks = decoded(golden("ink-widths.lcm"));
    const auto expected = inkWidthGlyphs();
    ASSERT_EQ(inks.size(), expected.size());
    for (std::size_t code = 0; code < inks.size(); ++code) {
        EXPECT_EQ(inks[code].width, expected[code].width);
        EXPECT_EQ(inks[code].height, expected[code].height);
        EXPECT_EQ(inks[code].picture, expected[code].picture) << "glyph " << code;
    }

    const auto widthZero = decoded(golden("width0-height9.lcm"));
    ASSERT_EQ(widthZero.size(), 1U);
    EXPECT_EQ(widthZero[0].picture, Picture(8, 9));

    const auto heightZero = decoded(golden("height0.lcm"));
    ASSERT_EQ(heightZero.size(), 1U);
    EXPECT_EQ(heightZero[0].width, 5);
    EXPECT_EQ(heightZero[0].height, 0);
    EXPECT_EQ(heightZero[0].picture, Picture(5, 0));
}

TEST(LcmReader, PictureTakesTheRecordSizeWhateverTheRowByteCount) {
    // Record 0: one row byte for 12 pixels; record 1: two row bytes for 5 pixels.
    const Bytes bytes{2,    0,    0,    0,    0,    0,    0,    0,    4,
                      0x01, 0x0C, 0x01, 0x00, 0x02, 0x05, 0x01, 0x00, 0x00};
    const auto glyphs = decoded(bytes);
    ASSERT_EQ(glyphs.size(), 2U);
    EXPECT_EQ(glyphs[0].picture, pictureFromText({"########...."}));
    EXPECT_EQ(glyphs[1].picture, pictureFromText({"#####"}));
}

TEST(LcmReader, RefusesEveryClassOfMalformedFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"zero-bytes.lcm", "empty"},
        {"short-table.lcm", "offset table"},
        {"short-table-256.lcm", "offset table of 256"},
        {"offset-outside.lcm", "outside"},
        {"offset-huge.lcm", "outside"},
        {"header-cut.lcm", "outside"},
        {"rows-past-end.lcm", "past the end"},
        {"shared-record.lcm", "pixels"},
    };
    for (const auto& [file, reason] : cases) {
        const auto result = decodeLcm(golden(std::string("malformed/") + file));
        ASSERT_FALSE(result.ok()) << file;
        EXPECT_NE(result.error().message.find(reason), std::string::npos)
            << file << ": " << result.error().message;
    }
}

TEST(LcmReader, RefusesEveryTruncationOfAValidFile) {
    for (const char* file : {"blank-5x9-128.lcm", "ink-widths.lcm", "ink-255x255.lcm"}) {
        const Bytes whole = golden(file);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            EXPECT_FALSE(decodeLcm(std::span(whole).first(length)).ok())
                << file << " cut to " << length << " bytes";
        }
    }
}

TEST(LcmRoundTrip, GlyphsOfEverySupportedSizeSurviveUnchanged) {
    auto table = std::make_unique<GlyphTable>();
    unsigned seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245U + 12345U; };
    for (int code = 0; code < 256; ++code) {
        const int width = code == 0 ? 255 : 1 + static_cast<int>((next() >> 8) % 40);
        const int height = code == 0 ? 255 : code == 1 ? 0 : static_cast<int>((next() >> 8) % 20);
        Picture picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture.setPixel(x, y, ((next() >> 16) & 1U) != 0 ? kRed : kBlack);
            }
        }
        (*table)[static_cast<std::size_t>(code)] = {code, width, height, picture};
    }
    const auto glyphs = decoded(encoded(*table, 256));
    ASSERT_EQ(glyphs.size(), 256U);
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        EXPECT_EQ(glyphs[code].width, (*table)[code].width);
        EXPECT_EQ(glyphs[code].height, (*table)[code].height);
        EXPECT_EQ(glyphs[code].picture, (*table)[code].picture) << "glyph " << code;
    }
}

} // namespace korvel
