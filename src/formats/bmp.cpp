#include "formats/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <new>
#include <string>

namespace korvel {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kMasksOffset = kHeadersSize; // right after a 40-byte header, or inside V4/V5

constexpr std::size_t kCoreHeaderSize = 12;   // OS/2 1.x: 16-bit sides, 3-byte colour entries
constexpr std::size_t kShortestV2Header = 16; // OS/2 2.x may stop after the bit count

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;
/// Pixels a file may claim beyond what its bytes could store, for files cut short.
constexpr std::uint64_t kBmpSlackPixels = std::uint64_t{1} << 20;
/// Pixels a run-length encoded file may claim per byte: a run of two bytes gives up to 255
/// pixels. A file that leaves most of a larger picture to end-of-line and delta codes is refused,
/// so that a few bytes cannot make the decoder allocate a huge picture.
constexpr std::uint64_t kRlePixelsPerByte = 128;

// ---- little-endian access ----

[[nodiscard]] std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
           (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

[[nodiscard]] std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void appendU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    appendU16(out, value & 0xFFFF);
    appendU16(out, value >> 16);
}

/// Bytes of one stored row of width pixels at bitsPerPixel, before padding.
[[nodiscard]] std::uint64_t rowLength(std::uint64_t width, unsigned bitsPerPixel) {
    return (width * bitsPerPixel + 7) / 8;
}

/// A row length rounded up to the 4-byte stride BMP rows are stored at.
[[nodiscard]] std::uint64_t strideOf(std::uint64_t length) {
    return (length + 3) / 4 * 4;
}

// ---- headers ----

/// The header fields the decoder needs, already checked.
struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    unsigned bitCount = 0;     // as stored: 1, 4, 8, 15, 16, 24 or 32
    unsigned bitsPerPixel = 0; // storage bits per pixel (15 is stored in 16)
    std::uint32_t dataOffset = 0;
    std::uint64_t tableOffset = 0; // where a colour table would begin
    std::uint32_t coloursUsed = 0;
    unsigned tableEntrySize = 4; // blue, green, red (and a reserved byte but in OS/2 1.x files)
    bool bitFields = false;
    std::uint32_t rle = 0; // kCompressionRle8, kCompressionRle4, or 0 for stored rows
};

/// The information header's fields as stored, before they are checked. OS/2 headers lack some;
/// those read as 0.
struct InfoFields {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    unsigned bitCount = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t coloursUsed = 0;
    unsigned tableEntrySize = 4;
};

[[nodiscard]] bool isKnownBitCount(unsigned bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 ||
           bits == 32;
}

[[nodiscard]] std::string outsideRange(const char* what, std::int64_t value) {
    return std::string("its ") + what + " " + std::to_string(value) + " is outside 1 to " +
           std::to_string(kBmpMaxSide);
}

/// The information header of headerSize bytes at offset 14, in any of its three forms: the
/// OS/2 1.x core header (12 bytes), an OS/2 2.x header cut short (16 to 39 bytes) and the Windows
/// header of 40 bytes or more (whose larger versions only add fields after these).
[[nodiscard]] Result<InfoFields> readInfoFields(std::span<const std::uint8_t> bytes,
                                                std::uint32_t headerSize) {
    InfoFields info;
    if (headerSize == kCoreHeaderSize) {
        info.width = readU16(bytes, 18);
        info.height = readU16(bytes, 20);
        info.bitCount = readU16(bytes, 24);
        info.tableEntrySize = 3;
        return info;
    }
    if (headerSize < kShortestV2Header) {
        return Error{"its information header of " + std::to_string(headerSize) +
                     " bytes is too small"};
    }
    // Each field is there when the header reaches past it.
    const auto hasField = [&](std::size_t at, std::size_t size) {
        return at + size <= kFileHeaderSize + headerSize;
    };
    info.width = static_cast<std::int32_t>(readU32(bytes, 18));
    info.height = static_cast<std::int32_t>(readU32(bytes, 22));
    info.bitCount = readU16(bytes, 28);
    info.compression = hasField(30, 4) ? readU32(bytes, 30) : kCompressionNone;
    info.coloursUsed = hasField(46, 4) ? readU32(bytes, 46) : 0;
    return info;
}

/// Whether the compression is one the decoder reads for the bit count: none, run-length
/// encoding of 8- or 4-bit pixels, or bit fields of 16- and 32-bit pixels (these need the masks
/// that follow a Windows header).
[[nodiscard]] bool isReadableCompression(std::uint32_t compression, unsigned bitCount,
                                         std::uint32_t headerSize) {
    switch (compression) {
    case kCompressionNone:
        return true;
    case kCompressionRle8:
        return bitCount == 8;
    case kCompressionRle4:
        return bitCount == 4;
    case kCompressionBitFields:
        return headerSize >= kInfoHeaderSize &&
               (bitCount == 15 || bitCount == 16 || bitCount == 32);
    default:
        return false;
    }
}

/// bytes is the file's beginning, at least through its headers, colour table and masks where the
/// file has them; fileSize the whole file's length.
[[nodiscard]] Result<BmpLayout> readLayout(std::span<const std::uint8_t> bytes,
                                           std::uint64_t fileSize) {
    if (bytes.size() < kFileHeaderSize + 4) {
        return Error{"the file is shorter than the BMP headers"};
    }
    const std::uint32_t headerSize = readU32(bytes, 14);
    // The OS/2 headers are shorter than the Windows one; any other size needs the 40 bytes.
    const bool os2 = headerSize == kCoreHeaderSize ||
                     (headerSize >= kShortestV2Header && headerSize < kInfoHeaderSize);
    if (bytes.size() < kFileHeaderSize + (os2 ? headerSize : kInfoHeaderSize)) {
        return Error{"the file is shorter than the BMP headers"};
    }
    const Result<InfoFields> fields = readInfoFields(bytes, headerSize);
    if (!fields) {
        return fields.error();
    }
    const InfoFields& info = fields.value();
    const std::int64_t width = info.width;
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    if (width <= 0 || width > kBmpMaxSide) {
        return Error{outsideRange("width", width)};
    }
    if (rows == 0 || rows > kBmpMaxSide) {
        return Error{outsideRange("height", rows)};
    }
    const unsigned bitCount = info.bitCount;
    if (!isKnownBitCount(bitCount)) {
        return Error{"its bit count " + std::to_string(bitCount) + " is not supported"};
    }
    const std::uint32_t compression = info.compression;
    if (!isReadableCompression(compression, bitCount, headerSize)) {
        return Error{"its compression " + std::to_string(compression) + " with " +
                     std::to_string(bitCount) + " bits per pixel is not supported"};
    }
    const bool rle = compression == kCompressionRle8 || compression == kCompressionRle4;
    // A stored row holds at least one pixel per bit; a file cut short keeps its missing rows
    // black, but a few bytes claiming a huge picture must not make it allocated.
    const auto claimed = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows);
    if (claimed > (rle ? kRlePixelsPerByte : 8) * fileSize + kBmpSlackPixels) {
        return Error{"its picture of " + std::to_string(width) + " x " + std::to_string(rows) +
                     " pixels is more than the file's " + std::to_string(fileSize) +
                     " bytes can hold"};
    }
    if (compression == kCompressionBitFields && bytes.size() < kMasksOffset + 12) {
        return Error{"its bit field masks are missing"};
    }
    BmpLayout layout;
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(rows);
    layout.topDown = info.height < 0;
    layout.bitCount = bitCount;
    layout.bitsPerPixel = bitCount == 15 ? 16 : bitCount;
    layout.dataOffset = readU32(bytes, 10);
    layout.tableOffset = kFileHeaderSize + std::uint64_t{headerSize};
    layout.coloursUsed = info.coloursUsed;
    layout.tableEntrySize = info.tableEntrySize;
    layout.bitFields = compression == kCompressionBitFields;
    layout.rle = rle ? compression : 0;
    return layout;
}

// ---- palettes ----

using Palette = std::vector<Rgb>;

/// The 256 colours an 8-bit file without a colour table is read with: the 16 standard colours,
/// a 6 x 6 x 6 colour cube, then 24 greys.
[[nodiscard]] Palette fallback256() {
    Palette palette(kStandard16.begin(), kStandard16.end());
    constexpr std::array<std::uint8_t, 6> levels{0, 51, 102, 153, 204, 255};
    for (std::uint8_t r : levels) {
        for (std::uint8_t g : levels) {
            for (std::uint8_t b : levels) {
                palette.push_back(makeRgb(r, g, b));
            }
        }
    }
    for (int i = 0; i < 24; ++i) {
        const auto grey = static_cast<std::uint8_t>(8 + 10 * i);
        palette.push_back(makeRgb(grey, grey, grey));
    }
    return palette;
}

[[nodiscard]] Palette fallbackPalette(unsigned bitCount) {
    switch (bitCount) {
    case 1:
        return {kBlack, kWhite};
    case 4:
        return {kStandard16.begin(), kStandard16.end()};
    default:
        return fallback256();
    }
}

/// The file's own colour table (blue, green, red, reserved per entry) between the headers and
/// the pixel rows, or the fallback palette of the bit count when the file has none. Indices
/// beyond a short table read as black.
[[nodiscard]] Palette paletteOf(std::span<const std::uint8_t> bytes, const BmpLayout& layout) {
    const std::size_t capacity = std::size_t{1} << layout.bitCount;
    std::size_t declared = layout.coloursUsed;
    if (declared == 0 || declared > capacity) {
        declared = capacity;
    }
    const std::uint64_t tableEnd =
        std::min<std::uint64_t>(std::uint64_t{layout.dataOffset}, bytes.size());
    const std::uint64_t room =
        tableEnd > layout.tableOffset ? (tableEnd - layout.tableOffset) / layout.tableEntrySize : 0;
    const auto stored = static_cast<std::size_t>(std::min<std::uint64_t>(declared, room));
    if (stored == 0) {
        return fallbackPalette(layout.bitCount);
    }
    Palette palette(capacity, kBlack);
    for (std::size_t i = 0; i < stored; ++i) {
        const std::size_t at =
            static_cast<std::size_t>(layout.tableOffset) + layout.tableEntrySize * i;
        palette[i] = makeRgb(bytes[at + 2], bytes[at + 1], bytes[at]);
    }
    return palette;
}

// ---- bit fields ----

/// One colour channel of a bit-field pixel: where its bits sit and how to widen them to 8.
class ChannelMask {
public:
    explicit ChannelMask(std::uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)),
          maximum_(mask == 0 ? 0 : mask >> shift_) {}

    [[nodiscard]] std::uint8_t extract(std::uint32_t pixel) const {
        if (maximum_ == 0) {
            return 0;
        }
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<std::uint8_t>((value * 255 + maximum_ / 2) / maximum_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    std::uint64_t maximum_;
};

/// The red, green and blue masks of a 16- or 32-bit file.
struct BitFields {
    ChannelMask red;
    ChannelMask green;
    ChannelMask blue;

    [[nodiscard]] Rgb colour(std::uint32_t pixel) const {
        return makeRgb(red.extract(pixel), green.extract(pixel), blue.extract(pixel));
    }
};

[[nodiscard]] BitFields bitFieldsOf(std::span<const std::uint8_t> bytes, const BmpLayout& layout) {
    if (layout.bitFields) {
        return {ChannelMask(readU32(bytes, kMasksOffset)),
                ChannelMask(readU32(bytes, kMasksOffset + 4)),
                ChannelMask(readU32(bytes, kMasksOffset + 8))};
    }
    if (layout.bitsPerPixel == 32) {
        return {ChannelMask(0x00FF0000), ChannelMask(0x0000FF00), ChannelMask(0x000000FF)};
    }
    return {ChannelMask(0x7C00), ChannelMask(0x03E0), ChannelMask(0x001F)}; // 5-5-5
}

// ---- pixel rows ----

/// Turns the stored bytes of one row into pixels. A row cut short inside a pixel still gives
/// that pixel the bytes that are present; its missing bytes read as 0.
class RowDecoder {
public:
    RowDecoder(std::span<const std::uint8_t> bytes, const BmpLayout& layout)
        : bitsPerPixel_(layout.bitsPerPixel), fields_(bitFieldsOf(bytes, layout)) {
        if (layout.bitsPerPixel <= 8) {
            palette_ = paletteOf(bytes, layout);
        }
    }

    void decode(std::span<const std::uint8_t> stored, std::span<Rgb> row) const {
        const std::size_t present =
            std::min(row.size(), stored.size() * 8 / std::size_t{bitsPerPixel_});
        for (std::size_t x = 0; x < present; ++x) {
            row[x] = pixelAt(stored, x);
        }
        const std::size_t pixelBytes = bitsPerPixel_ / 8;
        const std::size_t used = present * pixelBytes;
        if (present < row.size() && pixelBytes > 1 && used < stored.size()) {
            std::array<std::uint8_t, 4> partial{};
            std::copy(stored.begin() + static_cast<std::ptrdiff_t>(used), stored.end(),
                      partial.begin());
            row[present] = pixelAt(std::span(partial).first(pixelBytes), 0);
        }
    }

    /// Sets row[x] to the pixel decode gives at column columns[x] of the stored row; columns
    /// decode leaves alone are left alone here too.
    void sample(std::span<const std::uint8_t> stored, std::span<const std::size_t> columns,
                std::span<Rgb> row) const {
        const std::size_t present = stored.size() * 8 / std::size_t{bitsPerPixel_};
        const std::size_t bytesPerPixel = bitsPerPixel_ / 8;
        for (std::size_t x = 0; x < row.size(); ++x) {
            if (columns[x] < present) {
                row[x] = pixelAt(stored, columns[x]);
            } else if (columns[x] == present && bytesPerPixel > 1) {
                // A pixel the row is cut inside of: whatever decode makes of its bytes.
                decode(stored.subspan(present * bytesPerPixel), row.subspan(x, 1));
            }
        }
    }

private:
    [[nodiscard]] Rgb pixelAt(std::span<const std::uint8_t> stored, std::size_t x) const {
        switch (bitsPerPixel_) {
        case 1:
            return palette_[(stored[x / 8] >> (7 - x % 8)) & 0x1];
        case 4:
            return palette_[(stored[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
        case 8:
            return palette_[stored[x]];
        case 16:
            return fields_.colour(readU16(stored, 2 * x));
        case 24:
            return makeRgb(stored[3 * x + 2], stored[3 * x + 1], stored[3 * x]);
        default:
            return fields_.colour(readU32(stored, 4 * x));
        }
    }

    unsigned bitsPerPixel_;
    BitFields fields_;
    Palette palette_;
};

/// Copies the stored rows into picture: bottom-up unless the file is top-down, each row at the
/// 4-byte stride; bytes the file does not have leave their pixels black.
void streamToBmp(std::span<const std::uint8_t> bytes, const BmpLayout& layout, Picture& picture) {
    const RowDecoder decoder(bytes, layout);
    const std::uint64_t length =
        rowLength(static_cast<std::uint64_t>(layout.width), layout.bitsPerPixel);
    const std::uint64_t stride = strideOf(length);
    for (int r = 0; r < layout.height; ++r) {
        const auto storedRow =
            static_cast<std::uint64_t>(layout.topDown ? r : layout.height - 1 - r);
        const std::uint64_t start = std::uint64_t{layout.dataOffset} + stride * storedRow;
        if (start >= bytes.size()) {
            continue;
        }
        const std::uint64_t available = std::min<std::uint64_t>(length, bytes.size() - start);
        decoder.decode(
            bytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(available)),
            picture.row(r));
    }
}

/// Expands run-length encoded pixels (8 or 4 bits per index) into picture. The codes, in pairs
/// of bytes: a count above 0 repeats its index byte (RLE4: its two nibbles in turn) that many
/// times; 0, 0 ends the line; 0, 1 ends the picture; 0, 2, dx, dy moves right and on by as many
/// pixels and lines; 0, n (n >= 3) is followed by n indices stored as they are (RLE4: n nibbles),
/// padded to an even number of bytes. Lines run bottom-up unless the file is top-down. Pixels
/// the codes skip or never reach stay black; those beyond the width are dropped; the data ends
/// at the file's end, whatever code it was in.
void expandRle(std::span<const std::uint8_t> bytes, const BmpLayout& layout, Picture& picture) {
    const Palette palette = paletteOf(bytes, layout);
    const bool nibbles = layout.rle == kCompressionRle4;
    const auto colourOf = [&](unsigned index) {
        return index < palette.size() ? palette[index] : kBlack;
    };
    std::size_t at = std::min<std::uint64_t>(layout.dataOffset, bytes.size());
    std::int64_t x = 0;
    std::int64_t line = 0; // counted in storage order
    const auto put = [&](unsigned index) {
        if (x < layout.width && line < layout.height) {
            const auto y = static_cast<int>(layout.topDown ? line : layout.height - 1 - line);
            picture.row(y)[static_cast<std::size_t>(x)] = colourOf(index);
        }
        ++x;
    };
    while (at + 2 <= bytes.size() && line < layout.height) {
        const unsigned count = bytes[at];
        const unsigned value = bytes[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < layout.width; ++i) {
                put(nibbles ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value);
            }
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++line;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // delta
            if (at + 2 > bytes.size()) {
                break;
            }
            x += bytes[at];
            line += bytes[at + 1];
            at += 2;
        } else { // absolute run of value indices
            const std::size_t stored = nibbles ? (value + 1) / 2 : value;
            for (unsigned i = 0; i < value && x < layout.width; ++i) {
                const std::size_t byte = at + (nibbles ? i / 2 : i);
                if (byte >= bytes.size()) {
                    break;
                }
                put(nibbles ? (i % 2 == 0 ? bytes[byte] >> 4 : bytes[byte] & 0xF) : bytes[byte]);
            }
            at += stored + stored % 2;
        }
    }
}

/// Decodes the pixels of a checked layout into a new picture of its size.
[[nodiscard]] Result<Picture> decodePixels(std::span<const std::uint8_t> bytes,
                                           const BmpLayout& layout) {
    try {
        Picture picture(layout.width, layout.height);
        if (layout.rle != 0) {
            expandRle(bytes, layout, picture);
        } else {
            streamToBmp(bytes, layout, picture);
        }
        return picture;
    } catch (const std::bad_alloc&) {
        return Error{"its picture of " + std::to_string(layout.width) + " x " +
                     std::to_string(layout.height) + " pixels does not fit in memory"};
    }
}

} // namespace

std::vector<std::uint8_t> encodeBmp24(const Picture& picture) {
    if (picture.isEmpty()) {
        return {};
    }
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const auto stride = static_cast<std::uint32_t>(strideOf(rowLength(width, 24)));
    const std::uint32_t pixelBytes = stride * height;

    std::vector<std::uint8_t> out;
    out.reserve(kHeadersSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    appendU32(out, static_cast<std::uint32_t>(kHeadersSize) + pixelBytes);
    appendU32(out, 0);
    appendU32(out, static_cast<std::uint32_t>(kHeadersSize));
    appendU32(out, static_cast<std::uint32_t>(kInfoHeaderSize));
    appendU32(out, width);
    appendU32(out, height);
    appendU16(out, 1);
    appendU16(out, 24);
    appendU32(out, kCompressionNone);
    appendU32(out, pixelBytes);
    for (int i = 0; i < 4; ++i) {
        appendU32(out, 0); // resolutions, colours used, important colours
    }
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (const Rgb c : picture.row(y)) {
            out.push_back(blueOf(c));
            out.push_back(greenOf(c));
            out.push_back(redOf(c));
        }
        out.resize(out.size() + (stride - 3 * width), 0);
    }
    return out;
}

Result<Picture> decodeBmp(std::span<const std::uint8_t> bytes) {
    const Result<BmpLayout> layout = readLayout(bytes, bytes.size());
    if (!layout) {
        return layout.error();
    }
    return decodePixels(bytes, layout.value());
}

namespace {
/// The source index nearest-neighbour scaling takes for each of count target positions, as
/// Picture::scaled computes it.
[[nodiscard]] std::vector<std::size_t> sourceIndices(int count, int sourceCount) {
    std::vector<std::size_t> indices(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        indices[static_cast<std::size_t>(i)] =
            static_cast<std::size_t>(static_cast<std::int64_t>(i) * sourceCount / count);
    }
    return indices;
}

/// The beginning of the file a layout is read from: headers, masks and colour table.
[[nodiscard]] Result<std::span<const std::uint8_t>> headOf(ByteSource& source) {
    if (source.size() < kHeadersSize) {
        return source.read(0, static_cast<std::size_t>(source.size()));
    }
    const auto headers = source.read(0, kHeadersSize);
    if (!headers) {
        return headers.error();
    }
    const std::uint64_t dataOffset = readU32(headers.value(), 10);
    const std::uint64_t end = std::min(source.size(), std::max(dataOffset, kMasksOffset + 12));
    return source.read(0, static_cast<std::size_t>(end));
}
} // namespace

Result<Picture> decodeBmpScaled(ByteSource& source, int width, int height) {
    const auto head = headOf(source);
    if (!head) {
        return head.error();
    }
    const Result<BmpLayout> checked = readLayout(head.value(), source.size());
    if (!checked) {
        return checked.error();
    }
    const BmpLayout& layout = checked.value();
    if (layout.rle != 0) {
        // Where a run-length encoded row lies is known only by expanding the rows before it.
        const auto whole = source.read(0, static_cast<std::size_t>(source.size()));
        if (!whole) {
            return whole.error();
        }
        auto picture = decodePixels(whole.value(), layout);
        if (!picture) {
            return picture;
        }
        return picture.value().scaled(width, height);
    }
    const RowDecoder decoder(head.value(), layout);
    Picture result(width, height);
    if (result.isEmpty()) {
        return result;
    }
    const std::vector<std::size_t> columns = sourceIndices(result.width(), layout.width);
    const std::vector<std::size_t> rows = sourceIndices(result.height(), layout.height);
    const std::uint64_t length =
        rowLength(static_cast<std::uint64_t>(layout.width), layout.bitsPerPixel);
    const std::uint64_t stride = strideOf(length);
    for (int y = 0; y < result.height(); ++y) {
        const std::uint64_t r = rows[static_cast<std::size_t>(y)];
        const std::uint64_t storedRow =
            layout.topDown ? r : static_cast<std::uint64_t>(layout.height) - 1 - r;
        const std::uint64_t start = std::uint64_t{layout.dataOffset} + stride * storedRow;
        if (start >= source.size()) {
            continue; // a row the file is too short for stays black
        }
        const auto stored = source.read(start, static_cast<std::size_t>(std::min<std::uint64_t>(
                                                   length, source.size() - start)));
        if (!stored) {
            return stored.error();
        }
        decoder.sample(stored.value(), columns, result.row(y));
    }
    return result;
}

Result<Picture> decodeBmpScaled(std::span<const std::uint8_t> bytes, int width, int height) {
    MemorySource source(bytes);
    return decodeBmpScaled(source, width, height);
}

Result<BmpSize> bmpSize(std::span<const std::uint8_t> bytes) {
    const Result<BmpLayout> layout = readLayout(bytes, bytes.size());
    if (!layout) {
        return layout.error();
    }
    return BmpSize{layout.value().width, layout.value().height};
}

} // namespace korvel
