#include "formats/bmp.h"
#include "png/pngread.h"
#include "png/pngwrite.h"
#include "support/picturetext.h"
#include "support/pngbuild.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace korvel {
namespace {

using pngtest::Bytes;
using pngtest::PngPlan;

Picture decodedOk(const Bytes& file) {
    auto picture = decodePng(file);
    EXPECT_TRUE(picture.ok()) << (picture.ok() ? "" : picture.error().message);
    return picture.ok() ? std::move(picture).value() : Picture{};
}

/// A one-row PNG of the given pixels' sample bytes.
PngPlan oneRow(int width, int bitDepth, int colourType, Bytes samples) {
    PngPlan plan;
    plan.width = width;
    plan.height = 1;
    plan.bitDepth = bitDepth;
    plan.colourType = colourType;
    plan.rows = {std::move(samples)};
    return plan;
}

const Rgb kGrey189 = makeRgb(189, 189, 189);

TEST(PngImport, AlphaBelow128IsBlackForEveryColourType) {
    // RGBA: invisible white (as icon themes store it), the edges of the rule, a visible colour.
    Picture rgba = pictureFromText({"..W."});
    rgba.setPixel(3, 0, makeRgb(10, 200, 30));
    EXPECT_EQ(decodedOk(pngFile(oneRow(
                  4, 8, 6,
                  {255, 255, 255, 0, 255, 255, 255, 127, 255, 255, 255, 128, 10, 200, 30, 255}))),
              rgba);
    // Grey + alpha.
    EXPECT_EQ(decodedOk(pngFile(oneRow(2, 8, 4, {255, 0, 255, 200}))), pictureFromText({".W"}));
    // A palette whose first entry tRNS makes transparent.
    PngPlan palette = oneRow(2, 8, 3, {0, 1});
    palette.palette = {255, 255, 255, 255, 0, 0};
    palette.transparency = {0};
    EXPECT_EQ(decodedOk(pngFile(palette)), pictureFromText({".R"}));
    // Grey whose transparent value is 189, and the same pixel as RGBA: both black.
    PngPlan grey = oneRow(2, 8, 0, {189, 189});
    grey.transparency = {0, 189};
    grey.rows = {{189, 200}};
    Picture expected(2, 1);
    expected.setPixel(1, 0, makeRgb(200, 200, 200));
    EXPECT_EQ(decodedOk(pngFile(grey)), expected);
    EXPECT_EQ(decodedOk(pngFile(oneRow(1, 8, 6, {189, 189, 189, 0}))), Picture(1, 1));
    // RGB with a transparent colour.
    PngPlan rgb = oneRow(2, 8, 2, {255, 255, 255, 1, 2, 3});
    rgb.transparency = {0, 255, 0, 255, 0, 255};
    Picture rgbExpected(2, 1);
    rgbExpected.setPixel(1, 0, makeRgb(1, 2, 3));
    EXPECT_EQ(decodedOk(pngFile(rgb)), rgbExpected);
    // 16-bit grey with a transparent value, and 16-bit RGBA at the edge of the rule.
    PngPlan deep = oneRow(2, 16, 0, {0xBD, 0xBD, 0xBD, 0x00});
    deep.transparency = {0xBD, 0xBD};
    Picture deepExpected(2, 1);
    deepExpected.setPixel(1, 0, kGrey189);
    EXPECT_EQ(decodedOk(pngFile(deep)), deepExpected);
    EXPECT_EQ(decodedOk(pngFile(oneRow(2, 16, 6,
                                       {0xFF, 0, 0xFF, 0, 0xFF, 0, 0x7F, 0xFF, //
                                        0xFF, 0, 0xFF, 0, 0xFF, 0, 0x80, 0x00}))),
              pictureFromText({".W"}));
}

TEST(PngImport, InterlacedAndPlainFilesOfOnePictureAgree) {
    // Random colours and alphas written both ways must read as the same picture.
    PngPlan plain;
    plain.width = 11;
    plain.height = 9;
    plain.colourType = 6;
    unsigned seed = 7;
    Picture expected(plain.width, plain.height);
    for (int y = 0; y < plain.height; ++y) {
        Bytes row;
        for (int x = 0; x < plain.width; ++x) {
            seed = seed * 1103515245U + 12345U;
            const auto r = static_cast<std::uint8_t>(seed >> 8);
            const auto g = static_cast<std::uint8_t>(seed >> 16);
            const auto b = static_cast<std::uint8_t>(seed >> 24);
            const auto a = static_cast<std::uint8_t>(seed >> 4);
            row.insert(row.end(), {r, g, b, a});
            expected.setPixel(x, y, a < 128 ? kBlack : makeRgb(r, g, b));
        }
        plain.rows.push_back(row);
    }
    PngPlan interlaced = plain;
    interlaced.interlaced = true;
    EXPECT_EQ(decodedOk(pngFile(plain)), expected);
    EXPECT_EQ(decodedOk(pngFile(interlaced)), expected);
}

TEST(PngImport, RefusesDamageInItsOwnWordsAndPrintsNothing) {
    const Bytes good = pngFile(oneRow(2, 8, 2, {1, 2, 3, 4, 5, 6}));
    Bytes badSignature = good;
    badSignature[1] = 'Q';
    Bytes noHeader = pngtest::pngHead(1, 1, 8, 2);
    const Bytes end = pngtest::pngChunk("IEND", {});
    noHeader.erase(noHeader.begin() + 8, noHeader.end());
    noHeader.insert(noHeader.end(), end.begin(), end.end());
    Bytes badDepth = pngtest::pngHead(1, 1, 3, 2);
    badDepth.insert(badDepth.end(), end.begin(), end.end());
    Bytes badChecksum = good;
    badChecksum[8 + 8 + 13] ^= 0xFF; // the IHDR checksum
    PngPlan paletteWithout = oneRow(1, 8, 3, {0});
    Bytes garbage = pngtest::pngHead(1, 1, 8, 2);
    const Bytes data = pngtest::pngChunk("IDAT", {1, 2, 3, 4, 5});
    garbage.insert(garbage.end(), data.begin(), data.end());
    garbage.insert(garbage.end(), end.begin(), end.end());
    const std::vector<std::pair<Bytes, std::string>> cases{
        {badSignature, "it is not a PNG picture"},
        {{}, "it is not a PNG picture"},
        {noHeader, "does not begin with a PNG header chunk"},
        {badDepth, "its PNG header is not valid"},
        {badChecksum, "checksum"},
        {pngFile(paletteWithout), "palette"},
        {garbage, "damaged"},
        {pngtest::pngHead(0, 1, 8, 2), "cut short"},
    };
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    for (const auto& [file, reason] : cases) {
        const auto picture = decodePng(file);
        ASSERT_FALSE(picture.ok()) << reason;
        EXPECT_NE(picture.error().message.find(reason), std::string::npos)
            << picture.error().message;
        EXPECT_EQ(picture.error().message.find("libpng"), std::string::npos);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(PngImport, ChecksTheSizeFromTheHeaderAndSkipsAncillaryChunks) {
    Bytes wide = pngtest::pngHead(kBmpMaxSide + 1, 1, 8, 2);
    const Bytes end = pngtest::pngChunk("IEND", {});
    wide.insert(wide.end(), end.begin(), end.end());
    const auto refused = decodePng(wide);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("16385 x 1 pixels is outside 1 to 16384"),
              std::string::npos)
        << refused.error().message;

    // A large text chunk in a good file is passed over.
    Bytes withText = pngFile(oneRow(1, 8, 2, {255, 0, 0}));
    const Bytes text = pngtest::pngChunk("tEXt", Bytes(200000, 'x'));
    withText.insert(withText.begin() + 8 + 25, text.begin(), text.end());
    EXPECT_EQ(decodedOk(withText), pictureFromText({"R"}));
}

TEST(PngImport, TheSampleFilesDecodeAndEveryTruncationIsCutShort) {
    const std::pair<const char*, std::vector<std::string>> samples[] = {
        {"rgba-2x2.png", {".#", "G."}},
        {"grey-trns-189.png", {".?"}},
        {"palette-trns-2bit.png", {".#B", "B#."}},
        {"grey-alpha-16.png", {".", "?"}},
        {"grey-1bit-9x1.png", {"W.W..W.WW"}},
        {"rgb-interlaced-3x3.png", {"???", "???", "???"}},
    };
    for (const auto& [name, rows] : samples) {
        std::ifstream in(std::string(KORVEL_TEST_DATA) + "/png/" + name, std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(pictureToText(decodedOk(file)), rows) << name;
        for (std::size_t length = 0; length < file.size(); ++length) {
            const auto cut = decodePng(std::span(file).first(length));
            ASSERT_FALSE(cut.ok()) << name << " cut to " << length;
            EXPECT_NE(cut.error().message.find(length < 8 ? "not a PNG" : "cut short"),
                      std::string::npos)
                << name << " cut to " << length << ": " << cut.error().message;
        }
    }
}

/// A picture of width x height whose pixel (x, y) takes colour (x * 7 + y * 3) % count of
/// colours made from count distinct values.
[[nodiscard]] Picture pictureOfColours(int width, int height, int count) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int k = (x * 7 + y * 3) % count;
            picture.setPixel(x, y,
                             makeRgb(static_cast<std::uint8_t>(k * 13 % 256),
                                     static_cast<std::uint8_t>(k * 29 % 256),
                                     static_cast<std::uint8_t>(k * 53 % 256)));
        }
    }
    return picture;
}

TEST(PngExport, DecodesToExactlyThePixelsWrittenWithTheSmallestPalette) {
    // Colour count -> (bit depth, colour type) in the header: a palette of 1, 2 or 4 bits up to
    // 16 colours, RGB beyond; odd widths end their packed rows inside a byte.
    const struct {
        int colours;
        int depth;
        int colourType;
    } cases[] = {{1, 1, 3}, {2, 1, 3}, {3, 2, 3}, {4, 2, 3}, {5, 4, 3}, {16, 4, 3}, {17, 8, 2}};
    for (const auto& c : cases) {
        for (const auto& [width, height] : {std::pair{17, 1}, std::pair{13, 5}, std::pair{64, 3}}) {
            const Picture picture = pictureOfColours(width, height, c.colours);
            const auto png = encodePng(picture);
            ASSERT_TRUE(png.ok()) << png.error().message;
            ASSERT_GT(png.value().size(), 26U);
            EXPECT_EQ(png.value()[24], c.depth) << c.colours << " colours";
            EXPECT_EQ(png.value()[25], c.colourType) << c.colours << " colours";
            const auto back = decodePng(png.value());
            ASSERT_TRUE(back.ok()) << back.error().message;
            EXPECT_EQ(back.value(), picture)
                << c.colours << " colours, " << width << " x " << height;
        }
    }
    const auto empty = encodePng(Picture(0, 3));
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.error().message, "a picture of 0 x 3 has no pixels for a PNG");
}

} // namespace
} // namespace korvel
