#include "formats/bcm.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes golden(const std::string& name) {
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/bcm/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "missing golden file " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bitmapInfoList entryOf(const std::string& name, const std::vector<std::string>& rows,
                       PixelFormat format = PixelFormat::Rgb24) {
    Picture picture = pictureFromText(rows, format);
    return {name, picture.width(), picture.height(), std::move(picture)};
}

/// An all-black entry of any size, as the setup dialog makes them.
bitmapInfoList blackEntry(const std::string& name, int width, int height) {
    return {name, width, height, Picture(width, height, PixelFormat::Indexed4)};
}

Bytes encoded(const std::vector<bitmapInfoList>& entries) {
    auto result = encodeBcm(entries, static_cast<int>(entries.size()));
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? result.value() : Bytes{};
}

std::vector<bitmapInfoList> decoded(const Bytes& bytes) {
    auto result = decodeBcm(bytes);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? std::move(result).value() : std::vector<bitmapInfoList>{};
}

std::vector<bitmapInfoList> redAndLogo() {
    return {entryOf("A", {"RRRR", "RRRR", "RRRR", "RRRR"}),
            entryOf("LOGO", {"BBBBBBBBB", "BBBBBBBBB"})};
}

/// 256 entries "E000".."E255" of one pixel each, in the palette colours in turn.
std::vector<bitmapInfoList> manyEntries() {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < 256; ++k) {
        char name[8];
        std::snprintf(name, sizeof name, "E%03d", k);
        Picture picture(1, 1);
        picture.setPixel(0, 0, kPalette[static_cast<std::size_t>(k % 8)].value);
        entries.push_back({name, 1, 1, picture});
    }
    return entries;
}

void expectSameEntries(const std::vector<bitmapInfoList>& actual,
                       const std::vector<bitmapInfoList>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k) {
        EXPECT_EQ(actual[k].name, expected[k].name) << "entry " << k;
        EXPECT_EQ(actual[k].width, expected[k].width) << "entry " << k;
        EXPECT_EQ(actual[k].height, expected[k].height) << "entry " << k;
        EXPECT_EQ(actual[k].picture, expected[k].picture) << "entry " << k;
    }
}

} // namespace

TEST(BcmWriter, WritesTheOneAndTwoEntryExamples) {
    const Bytes one = golden("one-red-4x4.bcm");
    ASSERT_EQ(one.size(), 32U);
    EXPECT_EQ(encoded({redAndLogo()[0]}), one);
    // A 16-colour picture from the setup dialog gives the same bytes.
    EXPECT_EQ(encoded({entryOf("A", {"RRRR", "RRRR", "RRRR", "RRRR"}, PixelFormat::Indexed4)}),
              one);

    const Bytes two = golden("red-and-logo.bcm");
    ASSERT_EQ(two.size(), 62U);
    EXPECT_EQ(encoded(redAndLogo()), two);
}

TEST(BcmWriter, WritesAllWhiteAndAllBlackRows) {
    EXPECT_EQ(encoded({entryOf("WHITE", {"WWWWWWWW", "WWWWWWWW"}), blackEntry("BLACK", 8, 2)}),
              golden("white-and-black-8x2.bcm"));
}

TEST(BcmWriter, PadsWidthsAndNamesAndWritesEntriesWithoutPictureBlack) {
    EXPECT_EQ(encoded({
                  blackEntry("W9", 9, 1),
                  {"W16", 16, 1, std::nullopt},
                  blackEntry("W0", 0, 1),
                  blackEntry("H0", 5, 0),
                  blackEntry("ABCDEFGH", 4, 1),
              }),
              golden("sizes-and-names.bcm"));
}

TEST(BcmWriter, StoresAnyColourAsThePaletteColourWithTheSameLitChannels) {
    Picture picture(1, 1);
    picture.setPixel(0, 0, makeRgb(200, 100, 128));
    EXPECT_EQ(encoded({{"F", 1, 1, picture}}), golden("fuchia-1x1.bcm"));

    // (127, 127, 127) is Black and (128, 128, 128) White: the plane bytes of two pixels.
    Picture grey(2, 1);
    grey.setPixel(0, 0, makeRgb(127, 127, 127));
    grey.setPixel(1, 0, makeRgb(128, 128, 128));
    const Bytes bytes = encoded({{"G", 2, 1, grey}});
    ASSERT_EQ(bytes.size(), 23U);
    EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), (Bytes{0xBF, 0xBF, 0xBF}));
}

TEST(BcmWriter, WritesEmptyAndLargeCountsBigEndian) {
    EXPECT_EQ(encoded({}), golden("empty.bcm"));
    EXPECT_EQ(encoded(manyEntries()), golden("many-256.bcm"));
}

TEST(BcmWriter, RefusesEntriesLargerThanTheFormatIsWrittenWith) {
    const auto largest = encodeBcm(std::vector{blackEntry("BIG", 1024, 513)}, 1);
    ASSERT_TRUE(largest.ok());
    EXPECT_EQ(largest.value().size(), 2U + 12 + 6 + 3 * 128 * 513);

    for (const auto& [width, height] : {std::pair{1025, 4}, std::pair{4, 514}}) {
        const std::vector entries{blackEntry("OK", 4, 4), blackEntry("HUGE", width, height)};
        const auto result = encodeBcm(entries, 2);
        ASSERT_FALSE(result.ok()) << width << " x " << height;
        EXPECT_NE(result.error().message.find("HUGE"), std::string::npos) << result.error().message;
        EXPECT_NE(
            result.error().message.find(std::to_string(width) + " x " + std::to_string(height)),
            std::string::npos)
            << result.error().message;
    }
}

/// Entries of 1024 x 512 without pictures: shapes alone, no pixels in memory.
std::vector<bitmapInfoList> shapesOnly(int count) {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < count; ++k) {
        entries.push_back({"E" + std::to_string(k), 1024, 512, std::nullopt});
    }
    return entries;
}

TEST(BcmWriter, RefusesBlocksBeyondWhatItsOffsetsAddressBeforeWritingAByte) {
    // 21845 blocks of 1024 x 512 (196614 bytes each): the last begins at 4294836216, below
    // 2^32. One more would begin at 4295032830, which 32 bits cannot hold.
    EXPECT_EQ(bcmBlockBytes(1024, 512), 196614U);
    std::vector<bitmapInfoList> entries = shapesOnly(21846);
    std::vector<BcmShape> shapes;
    for (const bitmapInfoList& entry : entries) {
        shapes.push_back({entry.name, entry.width, entry.height});
    }
    EXPECT_TRUE(checkBcmShapes(std::span(shapes).first(21845)).ok());
    const Result<void> refused = checkBcmShapes(shapes);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "Bitmap 21845 (\"E21845\") would begin 4295032830 bytes into the bitmaps' blocks, "
              "but the 32-bit block offsets of a bitmap library file reach only 4294967295 "
              "(4 GiB); the library is too large to be saved.");

    Bytes out;
    VectorSink sink(out);
    const Result<void> written = writeBcm(entries, 21846, sink);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().message, refused.error().message);
    EXPECT_TRUE(out.empty()) << "nothing is written of a library that cannot be addressed";
    EXPECT_FALSE(encodeBcm(entries, 21846).ok());

    // A small last entry fits where a large one would not: only where blocks begin counts.
    shapes.back() = {"TINY", 4, 4};
    EXPECT_FALSE(checkBcmShapes(shapes).ok()) << "it begins past 2^32 whatever its size";
    shapes.pop_back();
    shapes.back() = {"LAST", 1024, 513};
    EXPECT_TRUE(checkBcmShapes(shapes).ok()) << "the last block may end past 2^32";
}

TEST(BcmReader, ReadsTheExamplesBack) {
    expectSameEntries(decoded(golden("one-red-4x4.bcm")), {redAndLogo()[0]});
    expectSameEntries(decoded(golden("red-and-logo.bcm")), redAndLogo());
    expectSameEntries(
        decoded(golden("white-and-black-8x2.bcm")),
        {entryOf("WHITE", {"WWWWWWWW", "WWWWWWWW"}), entryOf("BLACK", {"........", "........"})});
    expectSameEntries(decoded(golden("many-256.bcm")), manyEntries());
    EXPECT_TRUE(decoded(golden("empty.bcm")).empty());
}

TEST(BcmReader, ReadsStoredWidthsAndWholeNames) {
    const auto entries = decoded(golden("sizes-and-names.bcm"));
    expectSameEntries(entries, {
                                   {"W9", 9, 1, Picture(9, 1)},
                                   {"W16", 16, 1, Picture(16, 1)},
                                   {"W0", 8, 1, Picture(8, 1)},
                                   {"H0", 5, 0, Picture(5, 0)},
                                   {"ABCDEFGH", 4, 1, Picture(4, 1)},
                               });
}

TEST(BcmReader, OpensEveryPixelAsAPaletteColour) {
    const auto entries = decoded(golden("fuchia-1x1.bcm"));
    ASSERT_EQ(entries.size(), 1U);
    ASSERT_TRUE(entries[0].picture.has_value());
    EXPECT_EQ(entries[0].picture->pixel(0, 0), makeRgb(255, 0, 255));
}

TEST(BcmReader, PictureTakesTheBlockWidthWhateverTheRowByteCount) {
    // One row byte per plane for a width of 12: columns 8 to 11 stay black.
    const Bytes bytes{0, 1, 'N', 0, 0, 0,  0, 0, 0,    0,    0,   0,
                      0, 0, 0,   1, 0, 12, 0, 1, 0x00, 0xFF, 0xFF};
    expectSameEntries(decoded(bytes), {entryOf("N", {"RRRRRRRR...."})});
}

TEST(BcmReader, RefusesEveryClassOfMalformedFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"zero-bytes.bcm", "entry count"},
        {"one-byte.bcm", "entry count"},
        {"short-directory.bcm", "directory"},
        {"offset-outside.bcm", "outside"},
        {"offset-huge.bcm", "outside"},
        {"block-head-cut.bcm", "outside"},
        {"rows-past-end.bcm", "past the end"},
        {"too-wide.bcm", "WIDE"},
        {"too-tall.bcm", "TALL"},
        {"shared-block.bcm", "pixels"},
    };
    for (const auto& [file, reason] : cases) {
        const auto result = decodeBcm(golden(std::string("malformed/") + file));
        ASSERT_FALSE(result.ok()) << file;
        EXPECT_NE(result.error().message.find(reason), std::string::npos)
            << file << ": " << result.error().message;
    }
}

TEST(BcmReader, RefusesEveryTruncationOfAValidFile) {
    for (const char* file : {"red-and-logo.bcm", "sizes-and-names.bcm", "many-256.bcm"}) {
        const Bytes whole = golden(file);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            EXPECT_FALSE(decodeBcm(std::span(whole).first(length)).ok())
                << file << " cut to " << length << " bytes";
        }
    }
}

TEST(BcmRoundTrip, EntriesOfManySizesAndAllColoursSurviveUnchanged) {
    std::vector<bitmapInfoList> entries;
    unsigned seed = 2024;
    const auto next = [&seed] { return (seed = seed * 1103515245U + 12345U) >> 8; };
    for (int k = 0; k < 40; ++k) {
        const int width = k == 0 ? 1024 : 1 + static_cast<int>(next() % 70);
        const int height = k == 0 ? 513 : static_cast<int>(next() % 30);
        Picture picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture.setPixel(x, y, kPalette[next() % 8].value);
            }
        }
        entries.push_back({"N" + std::to_string(k), width, height, picture});
    }
    expectSameEntries(decoded(encoded(entries)), entries);
}

} // namespace korvel
