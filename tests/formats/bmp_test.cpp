#include "formats/bmp.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putU16(Bytes& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    putU16(bytes, at, value & 0xFFFF);
    putU16(bytes, at + 2, value >> 16);
}

/// A hand-made BMP file: the two headers, then extra (colour table or masks), then the rows as
/// given (already padded, in stored order).
struct BmpFile {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t coloursUsed = 0;
    Bytes extra;
    Bytes rows;

    [[nodiscard]] Bytes build() const {
        Bytes bytes(54, 0);
        bytes[0] = 'B';
        bytes[1] = 'M';
        putU32(bytes, 10, static_cast<std::uint32_t>(54 + extra.size()));
        putU32(bytes, 14, headerSize);
        putU32(bytes, 18, static_cast<std::uint32_t>(width));
        putU32(bytes, 22, static_cast<std::uint32_t>(height));
        putU16(bytes, 26, 1);
        putU16(bytes, 28, bits);
        putU32(bytes, 30, compression);
        putU32(bytes, 46, coloursUsed);
        bytes.insert(bytes.end(), extra.begin(), extra.end());
        bytes.insert(bytes.end(), rows.begin(), rows.end());
        return bytes;
    }
};

Picture decoded(const BmpFile& file) {
    const Bytes bytes = file.build();
    auto result = decodeBmp(bytes);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? std::move(result).value() : Picture();
}

std::string refusal(const Bytes& bytes) {
    const auto result = decodeBmp(bytes);
    return result.ok() ? std::string("accepted") : result.error().message;
}

TEST(BmpExport, SmallPictureMatchesHandComputedBytes) {
    // 2 x 2: top row red, blue; bottom row green, white. Stride 3 * 2 = 6 -> 8.
    Picture picture = pictureFromText({"RB", "GW"});
    const Bytes expected = {'B', 'M', 70, 0, 0, 0, // file size 54 + 8 * 2
                            0, 0, 0, 0,            // reserved
                            54, 0, 0, 0,           // pixel offset
                            40, 0, 0, 0,           // information header size
                            2, 0, 0, 0,            // width
                            2, 0, 0, 0,            // height, bottom-up
                            1, 0,                  // planes
                            24, 0,                 // bits per pixel
                            0, 0, 0, 0,            // no compression
                            16, 0, 0, 0,           // pixel bytes
                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // resolutions, colours
                            // bottom row first: green, white, padding
                            0, 255, 0, 255, 255, 255, 0, 0,
                            // top row: red, blue, padding
                            0, 0, 255, 255, 0, 0, 0, 0};
    EXPECT_EQ(encodeBmp24(picture), expected);
}

TEST(BmpExport, EmptyPictureGivesNoBytes) {
    EXPECT_TRUE(encodeBmp24(Picture(0, 5)).empty());
    EXPECT_TRUE(encodeBmp24(Picture(5, 0)).empty());
}

TEST(BmpExport, RoundTripKeepsFullColours) {
    Picture picture(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            picture.setPixel(x, y,
                             makeRgb(static_cast<std::uint8_t>(40 * x + 7),
                                     static_cast<std::uint8_t>(90 * y + 3),
                                     static_cast<std::uint8_t>(x * y * 11 + 1)));
        }
    }
    const Bytes bytes = encodeBmp24(picture);
    ASSERT_EQ(bytes.size(), 54U + 16U * 3U);
    const auto back = decodeBmp(bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value(), picture);
}

TEST(BmpImport, TwentyFourBitRowsAtStrideTwelveLastStoredRowOnTop) {
    BmpFile file;
    file.width = 3;
    file.height = 2;
    // Stored row 0 (bottom): red, green, blue + 3 padding bytes that must not be read as pixels.
    // Stored row 1 (top): white, black, aqua.
    file.rows = {0,   0,   255, 0, 255, 0, 255, 0,   0, 9, 9, 9,
                 255, 255, 255, 0, 0,   0, 255, 255, 0, 9, 9, 9};
    EXPECT_EQ(decoded(file), pictureFromText({"W.A", "RGB"}));
}

TEST(BmpImport, TopDownFileReadsTopRowFirst) {
    BmpFile file;
    file.width = 1;
    file.height = -2;
    file.rows = {0, 0, 255, 0, 0, 255, 0, 0}; // red then green, each padded to 4
    EXPECT_EQ(decoded(file), pictureFromText({"R", "G"}));
}

TEST(BmpImport, TruncatedPixelAreaLeavesOnlyTheMissingBytesBlack) {
    BmpFile file;
    file.width = 2;
    file.height = 2;
    // The bottom row, then the top row's first pixel and the blue and green bytes of its second:
    // that pixel keeps its green, only its missing red byte stays 0.
    file.rows = {0, 0, 255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 255};
    EXPECT_EQ(decoded(file), pictureFromText({"WG", "RR"}));
    file.rows.pop_back(); // only the blue byte of the second pixel, which is 0
    EXPECT_EQ(decoded(file), pictureFromText({"W.", "RR"}));

    file.rows.clear(); // no pixel bytes at all
    EXPECT_EQ(decoded(file), Picture(2, 2));
}

TEST(BmpImport, PixelCutShortKeepsItsPresentBytesAtEveryDepth) {
    BmpFile wide;
    wide.width = 2;
    wide.height = 1;
    wide.bits = 32;
    wide.rows = {1, 2, 3, 0, 40, 50}; // second pixel: blue 40 and green 50 present, red missing
    const Picture thirtyTwo = decoded(wide);
    EXPECT_EQ(thirtyTwo.pixel(0, 0), makeRgb(3, 2, 1));
    EXPECT_EQ(thirtyTwo.pixel(1, 0), makeRgb(0, 50, 40));
    wide.rows.push_back(60); // the red byte, without the reserved one
    EXPECT_EQ(decoded(wide).pixel(1, 0), makeRgb(60, 50, 40));

    BmpFile sixteen;
    sixteen.width = 2;
    sixteen.height = 1;
    sixteen.bits = 16;
    sixteen.rows = {0x00, 0x7C, 0x1F}; // red, then only the low byte of 0x001F: full blue
    EXPECT_EQ(decoded(sixteen), pictureFromText({"RB"}));
}

TEST(BmpImport, PaletteFilesUseTheirOwnTable) {
    BmpFile one;
    one.width = 9;
    one.height = 1;
    one.bits = 1;
    one.extra = {0, 255, 0, 0, 255, 0, 0, 0}; // 0 = green, 1 = blue
    one.rows = {0b10100000, 0b10000000, 0, 0};
    EXPECT_EQ(decoded(one), pictureFromText({"BGBGGGGGB"}));

    BmpFile four;
    four.width = 3;
    four.height = 1;
    four.bits = 4;
    four.coloursUsed = 3;
    four.extra = {0, 0, 0, 0, 0, 0, 255, 0, 255, 255, 0, 0}; // black, red, aqua
    four.rows = {0x21, 0x00, 0, 0};
    EXPECT_EQ(decoded(four), pictureFromText({"AR."}));

    BmpFile eight;
    eight.width = 2;
    eight.height = 1;
    eight.bits = 8;
    eight.coloursUsed = 2;
    eight.extra = {10, 20, 30, 0, 200, 150, 100, 0};
    eight.rows = {1, 0, 0, 0};
    const Picture picture = decoded(eight);
    EXPECT_EQ(picture.pixel(0, 0), makeRgb(100, 150, 200));
    EXPECT_EQ(picture.pixel(1, 0), makeRgb(30, 20, 10));
}

TEST(BmpImport, IndexBeyondAShortTableIsBlack) {
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bits = 8;
    file.extra = {0, 0, 255, 0}; // one entry: red
    file.rows = {0, 7, 0, 0};
    EXPECT_EQ(decoded(file), pictureFromText({"R."}));
}

TEST(BmpImport, PaletteFilesWithoutTableUseFallbacks) {
    BmpFile one;
    one.width = 2;
    one.height = 1;
    one.bits = 1;
    one.rows = {0b01000000, 0, 0, 0};
    EXPECT_EQ(decoded(one), pictureFromText({".W"}));

    BmpFile four;
    four.width = 2;
    four.height = 1;
    four.bits = 4;
    four.rows = {0x9C, 0, 0, 0};
    EXPECT_EQ(decoded(four), pictureFromText({"RB"}));

    BmpFile eight;
    eight.width = 3;
    eight.height = 1;
    eight.bits = 8;
    eight.rows = {10, 231, 255, 0};
    const Picture picture = decoded(eight);
    EXPECT_EQ(picture.pixel(0, 0), kStandard16[10]);
    EXPECT_EQ(picture.pixel(1, 0), kWhite); // last entry of the colour cube
    EXPECT_EQ(picture.pixel(2, 0), makeRgb(238, 238, 238));
}

TEST(BmpImport, SixteenBitWithoutMasksIsFiveFiveFive) {
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bits = 16;
    file.rows = {0x00, 0x7C, 0xE0, 0x03}; // 0x7C00 red, 0x03E0 green
    EXPECT_EQ(decoded(file), pictureFromText({"RG"}));

    file.bits = 15;
    EXPECT_EQ(decoded(file), pictureFromText({"RG"}));

    file.rows = {0x10, 0x42, 0, 0}; // 0x4210: 16 of 31 in each channel
    const Picture grey = decoded(file);
    EXPECT_EQ(grey.pixel(0, 0), makeRgb(132, 132, 132));
}

TEST(BmpImport, BitFieldMasksAreUsed) {
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bits = 16;
    file.compression = 3;
    file.extra = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0x00, 0, 0}; // 5-6-5
    file.rows = {0x00, 0xF8, 0xE0, 0x07};
    EXPECT_EQ(decoded(file), pictureFromText({"RG"}));

    BmpFile wide;
    wide.width = 1;
    wide.height = 1;
    wide.bits = 32;
    wide.compression = 3;
    // Red in the top byte, green next, blue next: reversed from the default order.
    wide.extra = {0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
    wide.rows = {0x00, 0x30, 0x20, 0x10};
    EXPECT_EQ(decoded(wide).pixel(0, 0), makeRgb(0x10, 0x20, 0x30));
}

TEST(BmpImport, ThirtyTwoBitIgnoresReservedByte) {
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bits = 32;
    file.rows = {1, 2, 3, 99, 0, 0, 255, 7};
    const Picture picture = decoded(file);
    EXPECT_EQ(picture.pixel(0, 0), makeRgb(3, 2, 1));
    EXPECT_EQ(picture.pixel(1, 0), kRed);
}

TEST(BmpImport, LargerInformationHeaderIsAccepted) {
    BmpFile file;
    file.headerSize = 124;     // a V5 header: the pixel offset still says where rows begin
    file.extra = Bytes(84, 0); // rest of the V5 header
    file.rows = {0, 255, 0, 0};
    EXPECT_EQ(decoded(file), pictureFromText({"G"}));
}

TEST(BmpImport, UnusableFilesAreRefusedWithTheReason) {
    BmpFile good;
    good.rows = {0, 0, 0, 0};
    ASSERT_EQ(refusal(good.build()), "accepted");

    const Bytes valid = good.build();
    EXPECT_NE(refusal(Bytes(valid.begin(), valid.begin() + 53)).find("shorter"), std::string::npos);
    EXPECT_NE(refusal({}).find("shorter"), std::string::npos);

    const auto refusedWith = [](BmpFile file) { return refusal(file.build()); };
    BmpFile file = good;
    // 12 is the OS/2 1.x header and 16 to 39 the shortened OS/2 2.x ones; between them and
    // below, no header is that small.
    for (const std::uint32_t size : {0U, 11U, 13U, 15U}) {
        file.headerSize = size;
        EXPECT_NE(refusedWith(file).find("header"), std::string::npos) << size;
    }

    for (const std::int32_t width : {0, -1, 16385}) {
        file = good;
        file.width = width;
        EXPECT_NE(refusedWith(file).find("width"), std::string::npos) << width;
    }
    for (const std::int32_t height : {0, 16385, -16385, INT32_MIN}) {
        file = good;
        file.height = height;
        EXPECT_NE(refusedWith(file).find("height"), std::string::npos) << height;
    }
    for (const std::uint32_t compression : {1U, 2U, 4U, 5U, 6U}) {
        file = good;
        file.compression = compression;
        EXPECT_NE(refusedWith(file).find("compression"), std::string::npos) << compression;
    }
    file = good;
    file.compression = 3; // bit fields make no sense for 24 bits
    EXPECT_NE(refusedWith(file).find("compression"), std::string::npos);

    for (const std::uint16_t bits : {0, 2, 7, 12, 48, 64}) {
        file = good;
        file.bits = bits;
        EXPECT_NE(refusedWith(file).find("bit count"), std::string::npos) << bits;
    }
}

TEST(BmpImport, LargestSideIsAcceptedAndReadsNothingPastTheData) {
    BmpFile file;
    file.width = kBmpMaxSide;
    file.height = -1;
    file.bits = 1;
    file.rows = {0xFF}; // one byte of a 2048-byte row
    const Picture picture = decoded(file);
    ASSERT_EQ(picture.width(), kBmpMaxSide);
    EXPECT_EQ(picture.pixel(7, 0), kWhite);
    EXPECT_EQ(picture.pixel(8, 0), kBlack);
}

TEST(BmpImport, PixelOffsetBeyondTheFileGivesBlack) {
    BmpFile file;
    file.width = 2;
    file.height = 2;
    Bytes bytes = file.build();
    bytes.resize(70, 0xFF);
    putU32(bytes, 10, 0xFFFFFFF0U);
    const auto result = decodeBmp(bytes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value(), Picture(2, 2));
}

} // namespace
} // namespace korvel
