// Run-length encoded and OS/2 BMP files, made here as the bmpsuite corpus makes its g/pal8rle,
// g/pal4rle, q/pal8rletrns, q/pal8rlecut, g/pal8os2, q/pal8os2sp and q/pal8os2v2 files: the
// corpus's standard 127 x 64 picture, encoded by the documented rules. Each must decode to the
// pixels of the same picture stored uncompressed, the corpus's reference, with the pixels the
// codes skip left black.
#include "formats/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 127; // the corpus's standard picture
constexpr int kHeight = 64;

void putU16(Bytes& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    putU16(bytes, at, value & 0xFFFF);
    putU16(bytes, at + 2, value >> 16);
}

/// A picture of palette indices, row 0 at the top.
struct Indexed {
    int width = 0;
    int height = 0;
    std::vector<std::vector<int>> rows;
    [[nodiscard]] int at(int x, int y) const { return rows[y][x]; }
};

/// Bands of colour with long runs, a noisy corner that needs literal runs, and single pixels,
/// in colours below count (index 0 where skip holes are wanted).
Indexed standardPicture(int colours, bool holes) {
    Indexed picture{kWidth, kHeight, {}};
    std::uint32_t seed = 7;
    for (int y = 0; y < kHeight; ++y) {
        std::vector<int> row;
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525U + 1013904223U;
            int index = 1 + (x / 9 + y / 5) % (colours - 1);
            if (x > 90 && y < 20) {
                index =
                    1 + static_cast<int>((seed >> 20) % static_cast<std::uint32_t>(colours - 1));
            }
            if (holes && (x + 2 * y) % 23 < 4) {
                index = 0; // a hole the encoder skips with a delta
            }
            row.push_back(index);
        }
        picture.rows.push_back(row);
    }
    return picture;
}

/// A palette of count colours, index 0 purple (as the corpus's, to show it is not used for
/// skipped pixels).
std::vector<Rgb> paletteOf(int count) {
    std::vector<Rgb> palette{makeRgb(255, 0, 255)};
    for (int i = 1; i < count; ++i) {
        palette.push_back(makeRgb(static_cast<std::uint8_t>(i * 37),
                                  static_cast<std::uint8_t>(i * 11),
                                  static_cast<std::uint8_t>(255 - i)));
    }
    return palette;
}

/// Which header a file is made with.
enum class Header { Windows40, Os2Core12, Os2Short16, Os2Full64 };

struct FileParts {
    Header header = Header::Windows40;
    int width = kWidth;
    int height = kHeight; // negative: top-down
    int bits = 8;
    std::uint32_t compression = 0;
    std::vector<Rgb> palette;
    Bytes pixels;
};

Bytes buildFile(const FileParts& parts) {
    const std::size_t headerSize = parts.header == Header::Os2Core12    ? 12
                                   : parts.header == Header::Os2Short16 ? 16
                                   : parts.header == Header::Os2Full64  ? 64
                                                                        : 40;
    const std::size_t entrySize = parts.header == Header::Os2Core12 ? 3 : 4;
    Bytes bytes(14 + headerSize, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    if (parts.header == Header::Os2Core12) {
        putU32(bytes, 14, 12);
        putU16(bytes, 18, static_cast<std::uint32_t>(parts.width));
        putU16(bytes, 20, static_cast<std::uint32_t>(parts.height));
        putU16(bytes, 22, 1);
        putU16(bytes, 24, static_cast<std::uint32_t>(parts.bits));
    } else {
        putU32(bytes, 14, static_cast<std::uint32_t>(headerSize));
        putU32(bytes, 18, static_cast<std::uint32_t>(parts.width));
        putU32(bytes, 22, static_cast<std::uint32_t>(parts.height));
        putU16(bytes, 26, 1);
        putU16(bytes, 28, static_cast<std::uint32_t>(parts.bits));
        if (headerSize >= 40) {
            putU32(bytes, 30, parts.compression);
            putU32(bytes, 34, static_cast<std::uint32_t>(parts.pixels.size()));
            putU32(bytes, 46, static_cast<std::uint32_t>(parts.palette.size()));
        }
    }
    for (const Rgb colour : parts.palette) {
        bytes.push_back(blueOf(colour));
        bytes.push_back(greenOf(colour));
        bytes.push_back(redOf(colour));
        if (entrySize == 4) {
            bytes.push_back(0);
        }
    }
    putU32(bytes, 10, static_cast<std::uint32_t>(bytes.size()));
    bytes.insert(bytes.end(), parts.pixels.begin(), parts.pixels.end());
    putU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

/// The rows stored as they are, bottom row first, padded to 4 bytes.
Bytes storedRows(const Indexed& picture, int bits) {
    Bytes out;
    for (int y = picture.height - 1; y >= 0; --y) {
        Bytes row;
        for (int x = 0; x < picture.width; ++x) {
            if (bits == 8) {
                row.push_back(static_cast<std::uint8_t>(picture.at(x, y)));
            } else if (x % 2 == 0) {
                row.push_back(static_cast<std::uint8_t>(picture.at(x, y) << 4));
            } else {
                row.back() = static_cast<std::uint8_t>(row.back() | picture.at(x, y));
            }
        }
        row.resize((row.size() + 3) / 4 * 4, 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

/// How the run-length encoder treats the picture.
struct RleStyle {
    bool skipZero = false; ///< index 0 is skipped with delta codes, as q/pal8rletrns does
    bool cutShort = false; ///< every fourth row ends early and the last 5 rows are left out
};

/// Encodes by the documented rules: runs of 3 or more equal pixels (RLE4: of one alternating
/// pair) as counted runs, stretches of 3 or more others as literal runs padded to 16 bits,
/// anything shorter as short runs; an end-of-line after each row, end-of-bitmap at the end.
/// Where written is given, it is set to which pixels the codes give a value (row 0 at the top).
Bytes encodeRle(const Indexed& picture, int bits, const RleStyle& style,
                std::vector<std::vector<bool>>* written = nullptr) {
    if (written != nullptr) {
        written->assign(static_cast<std::size_t>(picture.height),
                        std::vector<bool>(static_cast<std::size_t>(picture.width), false));
    }
    const auto mark = [&](int y, int from, int count) {
        for (int i = 0; written != nullptr && i < count; ++i) {
            (*written)[y][from + i] = true;
        }
    };
    Bytes out;
    const int rows = style.cutShort ? picture.height - 5 : picture.height;
    for (int line = 0; line < rows; ++line) {
        const int y = picture.height - 1 - line;
        const auto& row = picture.rows[y];
        const auto runAt = [&](int x) {
            int n = 1;
            while (x + n < picture.width && n < 255 && (!style.skipZero || row[x + n] != 0) &&
                   (bits == 8 ? row[x + n] == row[x] : row[x + n] == row[x + (n % 2)])) {
                ++n;
            }
            return n;
        };
        int x = 0;
        while (x < picture.width) {
            if (style.cutShort && line % 4 == 0 && x > picture.width / 2) {
                break; // the rest of the row stays undefined
            }
            if (style.skipZero && row[x] == 0) {
                int n = 0;
                while (x + n < picture.width && row[x + n] == 0 && n < 255) {
                    ++n;
                }
                out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(n), 0});
                x += n;
                continue;
            }
            const int run = runAt(x);
            if (run >= 3) {
                const int second = bits == 8 ? row[x] : (run > 1 ? row[x + 1] : 0);
                out.push_back(static_cast<std::uint8_t>(run));
                out.push_back(static_cast<std::uint8_t>(bits == 8 ? row[x] : row[x] << 4 | second));
                mark(y, x, run);
                x += run;
                continue;
            }
            int literal = 0;
            while (x + literal < picture.width && literal < 255 && runAt(x + literal) < 3 &&
                   (!style.skipZero || row[x + literal] != 0)) {
                ++literal;
            }
            if (literal >= 3) {
                out.push_back(0);
                out.push_back(static_cast<std::uint8_t>(literal));
                Bytes stored;
                for (int i = 0; i < literal; ++i) {
                    if (bits == 8) {
                        stored.push_back(static_cast<std::uint8_t>(row[x + i]));
                    } else if (i % 2 == 0) {
                        stored.push_back(static_cast<std::uint8_t>(row[x + i] << 4));
                    } else {
                        stored.back() = static_cast<std::uint8_t>(stored.back() | row[x + i]);
                    }
                }
                stored.resize(stored.size() + stored.size() % 2, 0);
                out.insert(out.end(), stored.begin(), stored.end());
                mark(y, x, literal);
                x += literal;
                continue;
            }
            out.push_back(static_cast<std::uint8_t>(run)); // a short run of one or two
            out.push_back(static_cast<std::uint8_t>(
                bits == 8 ? row[x] : row[x] << 4 | (run > 1 ? row[x + 1] : 0)));
            mark(y, x, run);
            x += run;
        }
        out.push_back(0);
        out.push_back(line == picture.height - 1 ? 1 : 0);
    }
    if (style.cutShort) {
        out.insert(out.end(), {0, 1});
    }
    return out;
}

Picture decodedOrEmpty(const Bytes& bytes) {
    auto result = decodeBmp(bytes);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? std::move(result).value() : Picture();
}

/// The reference: the picture stored uncompressed in a Windows file, decoded by the plain rows.
Picture reference(const Indexed& picture, int bits, const std::vector<Rgb>& palette) {
    FileParts plain;
    plain.bits = bits;
    plain.palette = palette;
    plain.pixels = storedRows(picture, bits);
    return decodedOrEmpty(buildFile(plain));
}

TEST(BmpRle, StandardPictureDecodesToTheUncompressedPixels) {
    for (const int bits : {8, 4}) {
        const int colours = bits == 8 ? 252 : 12;
        const Indexed picture = standardPicture(colours, false);
        FileParts rle;
        rle.bits = bits;
        rle.compression = bits == 8 ? 1 : 2;
        rle.palette = paletteOf(colours);
        rle.pixels = encodeRle(picture, bits, {});
        const Bytes file = buildFile(rle);
        const Picture expected = reference(picture, bits, rle.palette);
        ASSERT_EQ(expected.width(), kWidth);
        EXPECT_EQ(decodedOrEmpty(file), expected) << bits << " bits";
        // The sampling import gives the same picture, scaled.
        const auto scaled = decodeBmpScaled(file, 50, 90);
        ASSERT_TRUE(scaled.ok()) << scaled.error().message;
        EXPECT_EQ(scaled.value(), expected.scaled(50, 90));
    }
}

TEST(BmpRle, SkippedAndCutPixelsStayBlack) {
    for (const int bits : {8, 4}) {
        for (const bool cut : {false, true}) {
            const int colours = bits == 8 ? 252 : 12;
            const Indexed picture = standardPicture(colours, true);
            FileParts rle;
            rle.bits = bits;
            rle.compression = bits == 8 ? 1 : 2;
            rle.palette = paletteOf(colours);
            std::vector<std::vector<bool>> written;
            rle.pixels = encodeRle(picture, bits, {true, cut}, &written);
            const Picture decoded = decodedOrEmpty(buildFile(rle));
            const Picture full = reference(picture, bits, rle.palette);
            ASSERT_EQ(decoded.width(), kWidth);
            int skipped = 0;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const Rgb expected = written[y][x] ? full.pixel(x, y) : kBlack;
                    ASSERT_EQ(decoded.pixel(x, y), expected) << x << "," << y;
                    skipped += written[y][x] ? 0 : 1;
                }
            }
            // Both kinds of hole are there: deltas over index 0, and cut rows when cut.
            EXPECT_GT(skipped, cut ? 5 * kWidth : kWidth);
        }
    }
}

/// A tiny 8-bit RLE file of width x height with a palette where index i is (i, i, i).
Bytes rleFile(int width, int height, int bits, const Bytes& codes) {
    FileParts parts;
    parts.width = width;
    parts.height = height;
    parts.bits = bits;
    parts.compression = bits == 8 ? 1 : 2;
    for (int i = 0; i < (1 << bits); ++i) {
        parts.palette.push_back(makeRgb(static_cast<std::uint8_t>(i * (bits == 8 ? 1 : 17)),
                                        static_cast<std::uint8_t>(i * (bits == 8 ? 1 : 17)),
                                        static_cast<std::uint8_t>(i * (bits == 8 ? 1 : 17))));
    }
    parts.pixels = codes;
    return buildFile(parts);
}

Rgb grey(int v) {
    return makeRgb(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v),
                   static_cast<std::uint8_t>(v));
}

TEST(BmpRle, CodesWorkedByHand) {
    // Bottom line: a run of 2 of index 5, a delta of (1, 1) to the line above, a literal run
    // of 3 (padded) of which two fall past the width of 4, end of line, a delta of (2, 0), a run
    // of 4 past the width, end of picture; the codes after it are not read.
    const Picture picture = decodedOrEmpty(rleFile(
        4, 3, 8, {2, 5, 0, 2, 1, 1, 0, 3, 10, 20, 30, 0, 0, 0, 0, 2, 2, 0, 4, 9, 0, 1, 7, 7}));
    const std::vector<std::vector<int>> expected{{-1, -1, 9, 9}, {-1, -1, -1, 10}, {5, 5, -1, -1}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int index = expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            EXPECT_EQ(picture.pixel(x, y), index < 0 ? kBlack : grey(index)) << x << "," << y;
        }
    }
    // RLE4: a run of 5 alternates the two nibbles; a literal run of 3 nibbles is 2 bytes.
    const Picture nibbles = decodedOrEmpty(rleFile(8, 1, 4, {5, 0x1F, 0, 3, 0x23, 0x40, 0, 1}));
    const std::vector<int> pairs{1, 15, 1, 15, 1, 2, 3, 4};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(nibbles.pixel(x, 0), grey(pairs[static_cast<std::size_t>(x)] * 17)) << x;
    }
    // Top-down files count their lines from the top.
    FileParts topDown;
    topDown.width = 2;
    topDown.height = -2;
    topDown.compression = 1;
    topDown.palette = {kBlack, kWhite};
    topDown.pixels = {2, 1, 0, 1};
    const Picture flipped = decodedOrEmpty(buildFile(topDown));
    EXPECT_EQ(flipped.pixel(0, 0), kWhite);
    EXPECT_EQ(flipped.pixel(0, 1), kBlack);
}

TEST(BmpRle, HostileCodesEndQuietly) {
    // Deltas far past the edges, runs past the width, a literal run past the file's end, a file
    // ending inside a code: each leaves the rest black and reads nothing outside the bytes.
    const std::vector<Bytes> codes{
        {0, 2, 255, 255, 3, 7},       // delta past the last line: nothing more is drawn
        {255, 7, 255, 7, 0, 0, 1, 8}, // runs beyond the width, then the next line
        {0, 200, 1, 2, 3},            // literal run of 200 with 3 bytes left
        {0, 2, 1},                    // delta cut short
        {3},                          // half a code
        {0, 3},                       // literal run of nothing
        {},
    };
    for (const Bytes& code : codes) {
        for (const int bits : {8, 4}) {
            const auto result = decodeBmp(rleFile(3, 2, bits, code));
            ASSERT_TRUE(result.ok()) << result.error().message;
            EXPECT_EQ(result.value().width(), 3);
        }
    }
    const Picture wide = decodedOrEmpty(rleFile(3, 2, 8, codes[1]));
    EXPECT_EQ(wide.pixel(2, 1), grey(7));
    EXPECT_EQ(wide.pixel(0, 0), grey(8));
    const Picture literal = decodedOrEmpty(rleFile(3, 2, 8, codes[2]));
    EXPECT_EQ(literal.pixel(0, 1), grey(1));
    EXPECT_EQ(literal.pixel(2, 1), grey(3));
    EXPECT_EQ(literal.pixel(0, 0), kBlack);
}

TEST(BmpRle, CompressionMustMatchTheBitCount) {
    for (const auto& [bits, compression] : {std::pair{8, 2U}, {4, 1U}, {24, 1U}, {1, 2U}}) {
        FileParts parts;
        parts.width = 2;
        parts.height = 2;
        parts.bits = bits;
        parts.compression = compression;
        parts.pixels = {0, 1};
        const auto result = decodeBmp(buildFile(parts));
        ASSERT_FALSE(result.ok()) << bits << " bits, compression " << compression;
        EXPECT_NE(result.error().message.find("compression"), std::string::npos);
    }
    // A few bytes of codes cannot claim a picture many times larger than runs could fill.
    const auto huge = decodeBmp(rleFile(16384, 16384, 8, {0, 1}));
    ASSERT_FALSE(huge.ok());
    EXPECT_NE(huge.error().message.find("16384 x 16384"), std::string::npos);
}

TEST(BmpOs2, CoreHeaderFilesDecodeAsTheirWindowsTwins) {
    const Indexed picture = standardPicture(252, false);
    for (const int bits : {8, 4}) {
        const int colours = bits == 8 ? 252 : 12;
        Indexed used = picture;
        for (auto& row : used.rows) {
            for (int& index : row) {
                index %= colours;
            }
        }
        const std::vector<Rgb> palette = paletteOf(colours);
        const Picture expected = reference(used, bits, palette);
        // A full table (g/pal8os2), a short one (q/pal8os2sp), and OS/2 2.x headers of 16 and
        // 64 bytes (q/pal8os2v2-16, q/pal8os2v2).
        for (const Header header : {Header::Os2Core12, Header::Os2Short16, Header::Os2Full64}) {
            for (const bool fullTable : {true, false}) {
                FileParts os2;
                os2.header = header;
                os2.bits = bits;
                os2.palette = palette;
                if (fullTable) {
                    os2.palette.resize(std::size_t{1} << bits, kBlack);
                }
                os2.pixels = storedRows(used, bits);
                EXPECT_EQ(decodedOrEmpty(buildFile(os2)), expected)
                    << bits << " bits, header " << static_cast<int>(header);
            }
        }
    }
    // 1 and 24 bits, sides past 255 (the core header's sides are 16-bit).
    FileParts mono;
    mono.header = Header::Os2Core12;
    mono.width = 300;
    mono.height = 2;
    mono.bits = 1;
    mono.palette = {makeRgb(10, 20, 30), makeRgb(200, 100, 50)};
    mono.pixels = Bytes(2 * 40, 0);
    mono.pixels[40] = 0x80; // the top row's first pixel
    const Picture decoded = decodedOrEmpty(buildFile(mono));
    ASSERT_EQ(decoded.width(), 300);
    EXPECT_EQ(decoded.pixel(0, 0), makeRgb(200, 100, 50));
    EXPECT_EQ(decoded.pixel(1, 0), makeRgb(10, 20, 30));
    FileParts colour;
    colour.header = Header::Os2Core12;
    colour.width = 1;
    colour.height = 1;
    colour.bits = 24;
    colour.pixels = {1, 2, 3, 0};
    EXPECT_EQ(decodedOrEmpty(buildFile(colour)).pixel(0, 0), makeRgb(3, 2, 1));

    // Headers of other small sizes, and a core header the file is too short for.
    for (const std::uint32_t size : {0U, 8U, 11U, 13U, 15U}) {
        Bytes bytes = buildFile(colour);
        putU32(bytes, 14, size);
        const auto refused = decodeBmp(bytes);
        ASSERT_FALSE(refused.ok()) << size;
        EXPECT_NE(refused.error().message.find("header"), std::string::npos);
    }
    Bytes cut = buildFile(colour);
    cut.resize(20);
    EXPECT_FALSE(decodeBmp(cut).ok());
}

} // namespace
} // namespace korvel
