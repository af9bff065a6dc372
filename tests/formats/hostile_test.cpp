// Files that claim far more than they hold must be refused before the readers allocate for the
// claim. The global allocation functions of this test binary are replaced by ones that keep
// each block's size in front of it, so a case can show the most memory its reader held at once.
#include "formats/bcm.h"
#include "formats/bdf.h"
#include "formats/bmp.h"
#include "formats/lcm.h"
#include "png/pngread.h"
#include "support/pngbuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace {

/// Bytes held through operator new on this thread, and the most held since a count began.
thread_local std::size_t held = 0;
thread_local std::size_t peak = 0;

/// The block header keeps the size; 16 bytes keep the block aligned as malloc's is.
constexpr std::size_t kHeader = 16;

void* allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    held += size;
    peak = std::max(peak, held);
    return block + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    held -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

namespace korvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

/// Measures the most memory held through operator new on this thread, beyond what was held
/// when the count began.
class AllocationCount {
public:
    AllocationCount() : base_(held) { peak = held; }
    [[nodiscard]] std::size_t bytes() const { return peak - base_; }

private:
    std::size_t base_;
};

/// Room for the error message a refusal builds, on top of the file's own size.
constexpr std::size_t kMessageAllowance = 1024;
/// The BDF reader holds each glyph's record (about 90 bytes) for as little as 18 bytes of text.
constexpr std::size_t kBdfTextMultiple = 8;

void putBig16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

void putBig32(Bytes& out, std::size_t at, std::uint32_t value) {
    putBig16(out, at, value >> 16);
    putBig16(out, at + 2, value & 0xFFFF);
}

void putLittle32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

/// A one-entry .bcm whose block claims rowBytes x width x height.
Bytes bcmClaiming(std::uint32_t rowBytes, std::uint32_t width, std::uint32_t height) {
    Bytes file(2 + 12 + 6, 0);
    putBig16(file, 0, 1);
    file[2] = 'w';
    putBig32(file, 10, 0);
    putBig16(file, 14, rowBytes);
    putBig16(file, 16, width);
    putBig16(file, 18, height);
    return file;
}

/// A 24-bit BMP header of the given size with one row of pixel data after it.
Bytes bmpClaiming(std::int32_t width, std::int32_t height) {
    Bytes file(54 + 4, 0);
    file[0] = 'B';
    file[1] = 'M';
    putLittle32(file, 2, static_cast<std::uint32_t>(file.size()));
    putLittle32(file, 10, 54);
    putLittle32(file, 14, 40);
    putLittle32(file, 18, static_cast<std::uint32_t>(width));
    putLittle32(file, 22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    return file;
}

/// Expects a refusal naming the reason while the reader held at most multiple times the file's
/// size (plus room for the message).
template <class Decode>
void expectRefusedSmall(const Bytes& file, Decode decode, const std::string& said,
                        std::size_t multiple = 1) {
    std::size_t bytes = 0;
    bool refused = false;
    std::string message;
    {
        const AllocationCount count;
        const auto result = decode(file);
        refused = !result.ok();
        if (refused) {
            message = result.error().message;
        }
        bytes = count.bytes();
    }
    EXPECT_TRUE(refused);
    EXPECT_NE(message.find(said), std::string::npos) << message;
    EXPECT_LE(bytes, multiple * file.size() + kMessageAllowance) << "for a file of " << file.size();
}

const auto decodeBcmFile = [](const Bytes& file) { return decodeBcm(file); };
const auto decodeLcmFile = [](const Bytes& file) { return decodeLcm(file); };
const auto decodeBmpFile = [](const Bytes& file) { return decodeBmp(file); };
const auto decodePngFile = [](const Bytes& file) { return decodePng(file); };
const auto decodeBdfFile = [](const Bytes& file) {
    return decodeBdf({reinterpret_cast<const char*>(file.data()), file.size()});
};

TEST(HostileSizes, CountingSeesWhatADecodeAllocates) {
    // The measurement itself: a file that is accepted allocates its pictures, and that shows.
    Bytes file = bcmClaiming(1, 8, 4);
    file.resize(file.size() + 3 * 4, 0xFF);
    const AllocationCount count;
    const auto decoded = decodeBcm(file);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_GE(count.bytes(), 8 * 4 * sizeof(Rgb));
}

TEST(HostileSizes, BcmOfTwoBytesClaimingAllEntries) {
    expectRefusedSmall({0xFF, 0xFF}, decodeBcmFile, "65535 bitmaps");
}

TEST(HostileSizes, BcmEntryClaimingHugeRows) {
    expectRefusedSmall(bcmClaiming(65535, 65535, 1), decodeBcmFile, "65535 x 1");
    expectRefusedSmall(bcmClaiming(128, 1024, 513), decodeBcmFile, "run past the end");
}

TEST(HostileSizes, BcmDirectoryPointingPastTheEnd) {
    Bytes file = bcmClaiming(1, 8, 1);
    putBig32(file, 10, 0xFFFFFFF0);
    expectRefusedSmall(file, decodeBcmFile, "lies outside the file");
}

TEST(HostileSizes, BcmFullDirectoryWhoseFirstBlockIsOutside) {
    // 65535 directory records are there, so the count holds, but the first block is not: the
    // refusal must come before room for 65535 entries is made.
    Bytes file(2 + 12 * 65535, 0);
    putBig16(file, 0, 65535);
    putBig32(file, 2 + 8, 0xFFFFFFF0);
    expectRefusedSmall(file, decodeBcmFile, "Bitmap 0");
}

TEST(HostileSizes, BmpClaimingHugeSides) {
    expectRefusedSmall(bmpClaiming(0x7FFFFFFF, 1), decodeBmpFile, "width 2147483647");
    expectRefusedSmall(bmpClaiming(1, 0x7FFFFFFF), decodeBmpFile, "height 2147483647");
    // A top-down height of -2^31 has no positive counterpart in 32 bits.
    expectRefusedSmall(bmpClaiming(1, INT32_MIN), decodeBmpFile, "height 2147483648");
    expectRefusedSmall(bmpClaiming(kBmpMaxSide + 1, 1), decodeBmpFile, "width 16385");
}

TEST(HostileSizes, BmpOfAFewBytesClaimingTheLargestPicture) {
    // A 58-byte file within the side limits used to make the import allocate 1 GiB.
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/bmp/malformed/square-16384-in-58-bytes.bmp",
                     std::ios::binary);
    ASSERT_TRUE(in.is_open());
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(file.size(), 58U);
    expectRefusedSmall(file, decodeBmpFile, "16384 x 16384");

    // A file cut short but holding a fair part of its picture still imports.
    Bytes cut = bmpClaiming(64, 64);
    const auto decoded = decodeBmp(cut);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(decoded.value().width(), 64);
}

TEST(HostileSizes, BmpRunLengthCodesClaimingAHugePicture) {
    // An RLE8 file of end-of-bitmap alone: its codes may leave most of a picture black, but not
    // make a few bytes allocate 1 GiB. Within 128 pixels a byte it decodes.
    Bytes file = bmpClaiming(16384, 16384);
    file[28] = 8;
    file[30] = 1;
    file[54] = 0;
    file[55] = 1;
    expectRefusedSmall(file, decodeBmpFile, "16384 x 16384");
    file[28] = 4;
    file[30] = 2;
    expectRefusedSmall(file, decodeBmpFile, "16384 x 16384");
    // An OS/2 1.x header claiming its largest sides (65535) in 26 bytes.
    Bytes core(26 + 4, 0);
    core[0] = 'B';
    core[1] = 'M';
    putLittle32(core, 14, 12);
    core[18] = core[19] = core[20] = core[21] = 0xFF;
    core[22] = 1;
    core[24] = 24;
    expectRefusedSmall(core, decodeBmpFile, "width 65535");

    Bytes fits = bmpClaiming(1024, 1024); // 1 Mi pixels is within the allowance
    fits[28] = 8;
    fits[30] = 1;
    const auto decoded = decodeBmp(fits);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(decoded.value().pixel(5, 5), kBlack);
}

TEST(HostileSizes, LcmOffsetsPastTheEnd) {
    Bytes file(1 + 4, 0);
    file[0] = 1;
    putBig32(file, 1, 0xFFFFFFFF);
    expectRefusedSmall(file, decodeLcmFile, "lies outside the file");

    // A full table of 256 glyphs whose records all start after the last byte.
    Bytes table(1 + 4 * 256, 0);
    for (std::size_t code = 0; code < 256; ++code) {
        putBig32(table, 1 + 4 * code, 0x7FFFFFFF);
    }
    expectRefusedSmall(table, decodeLcmFile, "glyph 0");
}

TEST(HostileSizes, LcmRecordsSharingOneHugeGlyph) {
    // Every offset names the same 255 x 255 record: the rows are there once, but 256 pictures
    // of that size would need far more memory than the file could describe.
    Bytes file(1 + 4 * 256 + 3 + 32 * 255, 0);
    const std::size_t record = 1 + 4 * 256;
    file[record] = 32;
    file[record + 1] = 255;
    file[record + 2] = 255;
    expectRefusedSmall(file, decodeLcmFile, "more than the file's");
}

TEST(HostileSizes, PngHeaderClaimingAHugePicture) {
    // 5000 x 5000 is within the sides, but a file of a few bytes may not claim it: refused
    // from the header, before any row is made.
    Bytes file = pngtest::pngHead(5000, 5000, 8, 2);
    const Bytes end = pngtest::pngChunk("IEND", {});
    file.insert(file.end(), end.begin(), end.end());
    expectRefusedSmall(file, decodePngFile, "5000 x 5000 pixels is more than a PNG of");
}

TEST(HostileSizes, PngOf73KilobytesClaiming5000By5000) {
    // Its rows are there, compressed: 25 million pixels from 73 KB is more than the reader takes.
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/png/malformed/square-5000-small.png",
                     std::ios::binary);
    ASSERT_TRUE(in.is_open());
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    expectRefusedSmall(file, decodePngFile, "5000 x 5000 pixels");
}

TEST(HostileSizes, PngChunkClaimingMoreThanTheFileHolds) {
    // A 1.7 GB text chunk in a file of a few dozen bytes.
    Bytes file = pngtest::pngHead(1, 1, 8, 2);
    const std::size_t at = file.size();
    file.resize(at + 8 + 16, 0);
    putBig32(file, at, 1700000000);
    file[at + 4] = 't';
    file[at + 5] = 'E';
    file[at + 6] = 'X';
    file[at + 7] = 't';
    expectRefusedSmall(file, decodePngFile, "a chunk claims 1700000000 bytes");
}

TEST(HostileSizes, BdfOfAFewLinesClaimingLargeCells) {
    // 256 glyphs of 255 x 255 pixels in 12 KB of text would need 64 MB of pictures. The reader
    // keeps a record of each glyph's lines before it sizes the cells: a few times the text.
    std::string text = "STARTFONT 2.1\nFONT_ASCENT 255\nFONT_DESCENT 0\n";
    for (int code = 0; code < 256; ++code) {
        text += "STARTCHAR c\nENCODING " + std::to_string(code) + "\nDWIDTH 255 0\nENDCHAR\n";
    }
    text += "ENDFONT\n";
    expectRefusedSmall(Bytes(text.begin(), text.end()), decodeBdfFile, "256 glyph cells need",
                       kBdfTextMultiple);
}

} // namespace
} // namespace korvel
