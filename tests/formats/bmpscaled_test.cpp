// The sampling import must give exactly the pixels of a whole decode followed by scaling.

#include "fileio/fileio.h"
#include "formats/bmp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putLittle(Bytes& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

/// How one random file is laid out.
struct Shape {
    std::uint16_t bits = 24;
    bool bitFields = false;
    bool colourTable = true;
    bool topDown = false;
};

/// A BMP file of random pixels in the given shape, sometimes with a short colour table.
Bytes randomBmp(std::mt19937& random, const Shape& shape, int width, int height) {
    Bytes extra;
    if (shape.bitFields) {
        extra.resize(12);
        const bool wide = shape.bits == 32;
        putLittle(extra, 0, wide ? 0x3FF00000U : 0xF800U, 4);
        putLittle(extra, 4, wide ? 0x000FFC00U : 0x07E0U, 4);
        putLittle(extra, 8, wide ? 0x000003FFU : 0x001FU, 4);
    }
    std::uint32_t coloursUsed = 0;
    if (shape.bits <= 8 && shape.colourTable) {
        coloursUsed = 1U + static_cast<std::uint32_t>(random() % (1U << shape.bits));
        for (std::uint32_t i = 0; i < 4 * coloursUsed; ++i) {
            extra.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    const std::size_t stride =
        (static_cast<std::size_t>(width) * (shape.bits == 15 ? 16 : shape.bits) + 31) / 32 * 4;
    const std::size_t rowsAt = 54 + extra.size();
    Bytes bytes(rowsAt + stride * static_cast<std::size_t>(height), 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLittle(bytes, 10, static_cast<std::uint32_t>(rowsAt), 4);
    putLittle(bytes, 14, 40, 4);
    putLittle(bytes, 18, static_cast<std::uint32_t>(width), 4);
    putLittle(bytes, 22, static_cast<std::uint32_t>(shape.topDown ? -height : height), 4);
    putLittle(bytes, 26, 1, 2);
    putLittle(bytes, 28, shape.bits, 2);
    putLittle(bytes, 30, shape.bitFields ? 3 : 0, 4);
    putLittle(bytes, 46, coloursUsed, 4);
    for (std::size_t i = 0; i < extra.size(); ++i) {
        bytes[54 + i] = extra[i];
    }
    for (std::size_t i = rowsAt; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::vector<Shape> everyShape() {
    std::vector<Shape> shapes;
    for (const std::uint16_t bits : {1, 4, 8}) {
        shapes.push_back({bits, false, true, false});
        shapes.push_back({bits, false, false, true});
    }
    for (const std::uint16_t bits : {15, 16, 24, 32}) {
        shapes.push_back({bits, false, false, false});
        shapes.push_back({bits, false, false, true});
    }
    shapes.push_back({16, true, false, false});
    shapes.push_back({32, true, false, true});
    return shapes;
}

TEST(BmpScaledImport, GivesThePixelsOfAWholeDecodeScaledForEveryBitCount) {
    std::mt19937 random(11);
    for (const Shape& shape : everyShape()) {
        for (int round = 0; round < 12; ++round) {
            const int width = 1 + static_cast<int>(random() % 70);
            const int height = 1 + static_cast<int>(random() % 40);
            Bytes file = randomBmp(random, shape, width, height);
            if (round % 3 == 2) {
                file.resize(file.size() - random() % (file.size() - 54)); // cut short
            }
            const int targetWidth = 1 + static_cast<int>(random() % 90);
            const int targetHeight = 1 + static_cast<int>(random() % 60);
            SCOPED_TRACE(std::to_string(shape.bits) + " bits, " + std::to_string(width) + " x " +
                         std::to_string(height) + " to " + std::to_string(targetWidth) + " x " +
                         std::to_string(targetHeight) + ", " + std::to_string(file.size()) +
                         " bytes");
            const auto whole = decodeBmp(file);
            ASSERT_TRUE(whole.ok()) << whole.error().message;
            const auto sampled = decodeBmpScaled(file, targetWidth, targetHeight);
            ASSERT_TRUE(sampled.ok()) << sampled.error().message;
            EXPECT_EQ(sampled.value(), whole.value().scaled(targetWidth, targetHeight));
        }
    }
}

TEST(BmpScaledImport, RefusesWhatTheWholeDecodeRefusesWithTheSameMessage) {
    std::mt19937 random(2);
    Bytes good = randomBmp(random, {8, false, true, false}, 9, 9);
    std::vector<Bytes> bad;
    bad.push_back(Bytes(good.begin(), good.begin() + 40)); // shorter than the headers
    // header size, width, height, bit count, compression (RLE4 of an 8-bit file)
    for (const auto& [at, value] : {std::pair<std::size_t, std::uint32_t>{14, 13},
                                    {18, 0x7FFFFFFF},
                                    {22, 0x80000000},
                                    {28, 7},
                                    {30, 2}}) {
        Bytes broken = good;
        putLittle(broken, at, value, 4);
        bad.push_back(broken);
    }
    Bytes claiming = good; // 16384 x 16384 pixels in a few hundred bytes
    putLittle(claiming, 18, 16384, 4);
    putLittle(claiming, 22, 16384, 4);
    bad.push_back(claiming);
    Bytes masksMissing(58, 0);
    std::copy(good.begin(), good.begin() + 54, masksMissing.begin());
    putLittle(masksMissing, 28, 16, 2);
    putLittle(masksMissing, 30, 3, 4);
    bad.push_back(masksMissing);
    for (const Bytes& file : bad) {
        const auto whole = decodeBmp(file);
        const auto sampled = decodeBmpScaled(file, 10, 10);
        ASSERT_FALSE(whole.ok());
        ASSERT_FALSE(sampled.ok());
        EXPECT_EQ(sampled.error().message, whole.error().message);
    }
}

TEST(BmpScaledImport, EmptyTargetGivesAnEmptyPictureAfterTheSameChecks) {
    std::mt19937 random(4);
    const Bytes file = randomBmp(random, {24, false, false, false}, 5, 5);
    EXPECT_EQ(decodeBmpScaled(file, 0, 7).value(), Picture(0, 7));
    EXPECT_FALSE(decodeBmpScaled(Bytes(file.begin(), file.begin() + 20), 0, 7).ok());
}

TEST(BmpScaledImport, ALargeFileOnDiskIsReadOnlyWhereItIsSampled) {
    std::mt19937 random(8);
    const Bytes bytes = randomBmp(random, {24, false, false, false}, 2048, 2048); // 12.6 MB
    const std::string path =
        (std::filesystem::temp_directory_path() / ("korvel-sample-" + std::to_string(::getpid())))
            .string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    auto source = FileSource::open(path);
    ASSERT_TRUE(source.ok()) << source.error().message;
    const auto sampled = decodeBmpScaled(*source.value(), 250, 250);
    const std::uint64_t read = source.value()->bytesRead();
    std::filesystem::remove(path);
    ASSERT_TRUE(sampled.ok()) << sampled.error().message;
    EXPECT_EQ(sampled.value(), decodeBmp(bytes).value().scaled(250, 250));
    EXPECT_LT(read, bytes.size() / 4) << "more than the 250 sampled rows were read";
}

} // namespace
} // namespace korvel
