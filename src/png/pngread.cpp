#include "png/pngread.h"

#include "formats/bmp.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

namespace {

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::size_t kSignatureSize = sizeof kSignature;
/// Length, type and checksum around each chunk's data.
constexpr std::size_t kChunkFrame = 12;
constexpr std::uint32_t kHeaderLength = 13;
constexpr std::uint32_t kLargestChunk = 0x7FFFFFFF;
/// The most libpng may allocate for one chunk; the chunks it keeps (the palette and tRNS) are
/// below 1 KiB.
constexpr png_alloc_size_t kChunkMallocMax = 1 << 20;
constexpr png_uint_32 kChunkCacheMax = 32;
constexpr int kBytesPerPixel = 4;

[[nodiscard]] std::uint32_t big32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

/// The picture size the header gives, known before libpng reads anything.
struct HeaderSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

/// Walks the chunks without reading their data: the file must begin with the signature and a
/// header chunk, every chunk must fit in the file and IEND must come.
[[nodiscard]] Result<HeaderSize> scanChunks(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSignatureSize ||
        !std::equal(kSignature, kSignature + kSignatureSize, bytes.begin())) {
        return Error{"it is not a PNG picture"};
    }
    HeaderSize size;
    std::size_t at = kSignatureSize;
    bool first = true;
    while (true) {
        const std::size_t left = bytes.size() - at;
        if (left < kChunkFrame) {
            return Error{"it is cut short (it ends before its IEND chunk)"};
        }
        const std::uint32_t length = big32(bytes.data() + at);
        const std::string_view type(reinterpret_cast<const char*>(bytes.data() + at + 4), 4);
        if (length > kLargestChunk || length > left - kChunkFrame) {
            return Error{"it is cut short (a chunk claims " + std::to_string(length) +
                         " bytes where " + std::to_string(left - kChunkFrame) + " remain)"};
        }
        if (first) {
            if (type != "IHDR" || length != kHeaderLength) {
                return Error{"it does not begin with a PNG header chunk (IHDR)"};
            }
            size.width = big32(bytes.data() + at + 8);
            size.height = big32(bytes.data() + at + 12);
            first = false;
        }
        if (type == "IEND") {
            return size;
        }
        at += kChunkFrame + length;
    }
}

} // namespace

Result<PngSize> pngSize(std::span<const std::uint8_t> head) {
    if (head.size() < kSignatureSize ||
        !std::equal(kSignature, kSignature + kSignatureSize, head.begin())) {
        return Error{"it is not a PNG picture"};
    }
    if (head.size() < kPngSizeHeadBytes) {
        return Error{"it is cut short (it ends before its IEND chunk)"};
    }
    const std::string_view type(reinterpret_cast<const char*>(head.data() + kSignatureSize + 4), 4);
    if (type != "IHDR" || big32(head.data() + kSignatureSize) != kHeaderLength) {
        return Error{"it does not begin with a PNG header chunk (IHDR)"};
    }
    return PngSize{big32(head.data() + kSignatureSize + 8),
                   big32(head.data() + kSignatureSize + 12)};
}

namespace {

/// Refuses a picture of more pixels than the sides allow or the file's size may claim.
[[nodiscard]] Result<void> checkSize(const HeaderSize& size, std::size_t fileSize) {
    const auto side = [](std::uint32_t value) {
        return value >= 1 && value <= static_cast<std::uint32_t>(kBmpMaxSide);
    };
    if (!side(size.width) || !side(size.height)) {
        return Error{"its picture of " + std::to_string(size.width) + " x " +
                     std::to_string(size.height) + " pixels is outside 1 to " +
                     std::to_string(kBmpMaxSide) + " a side"};
    }
    const std::size_t pixels = std::size_t{size.width} * size.height;
    const std::size_t allowed = kPngBasePixels + kPngPixelsPerByte * fileSize;
    if (pixels > allowed) {
        return Error{"its picture of " + std::to_string(size.width) + " x " +
                     std::to_string(size.height) + " pixels is more than a PNG of " +
                     std::to_string(fileSize) + " bytes is read with (" + std::to_string(allowed) +
                     " pixels)"};
    }
    return {};
}

/// What libpng reads from and what it said when it stopped.
struct Reader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
    bool cutShort = false;
    char message[128] = {};
};

void readData(png_structp png, png_bytep out, std::size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > reader->bytes.size() - reader->offset) {
        reader->cutShort = true;
        png_error(png, "cut short");
    }
    std::memcpy(out, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
}

// libpng stays silent: its errors are kept for Korvel's own message and its warnings dropped.
void keepError(png_structp png, png_const_charp text) {
    auto* reader = static_cast<Reader*>(png_get_error_ptr(png));
    std::snprintf(reader->message, sizeof reader->message, "%s", text);
    png_longjmp(png, 1);
}
void dropWarning(png_structp /*png*/, png_const_charp /*text*/) {}

/// The chunks that do not change the pixels as Korvel reads them; they are skipped unread.
constexpr char kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0pHYs\0sBIT\0"
                                  "hIST\0bKGD\0gAMA\0cHRM\0sRGB\0oFFs\0pCAL\0sCAL\0";
constexpr int kSkippedChunkCount = 17;

/// Asks libpng for 8-bit red, green, blue and alpha, whatever the file holds.
void requestRgba(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparentEntry = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (transparentEntry) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
        png_set_gray_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !transparentEntry) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

/// Runs libpng over the reader's bytes into the rows. Returns false when libpng stopped with
/// an error, which the reader then holds. Nothing with a destructor lives in this frame, so
/// libpng's jump back here skips no clean-up.
[[nodiscard]] bool readPixels(Reader& reader, png_structp png, png_infop info, png_bytepp rows,
                              png_uint_32 width) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_read_fn(png, &reader, readData);
    png_set_user_limits(png, static_cast<png_uint_32>(kBmpMaxSide),
                        static_cast<png_uint_32>(kBmpMaxSide));
    png_set_chunk_cache_max(png, kChunkCacheMax);
    png_set_chunk_malloc_max(png, kChunkMallocMax);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER,
                                reinterpret_cast<png_const_bytep>(kSkippedChunks),
                                kSkippedChunkCount);
    png_read_info(png, info);
    requestRgba(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * kBytesPerPixel) {
        png_error(png, "unexpected row size");
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

/// libpng's reason in Korvel's words.
[[nodiscard]] Error failureOf(const Reader& reader) {
    const std::string_view said = reader.message;
    if (reader.cutShort || said.find("Not enough image data") != std::string_view::npos) {
        return Error{"it is cut short (its picture data ends before the picture does)"};
    }
    if (said.find("CRC") != std::string_view::npos) {
        return Error{"a chunk of it is damaged (its checksum does not match)"};
    }
    if (said.find("IHDR") != std::string_view::npos) {
        return Error{"its PNG header is not valid"};
    }
    if (said.find("PLTE") != std::string_view::npos ||
        said.find("palette") != std::string_view::npos) {
        return Error{"its palette is missing or not valid"};
    }
    return Error{"its PNG picture data is damaged and cannot be read"};
}

/// Owns libpng's read structures.
class PngReadHandle {
public:
    explicit PngReadHandle(Reader& reader)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, keepError, dropWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
    ~PngReadHandle() {
        png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
    }
    PngReadHandle(const PngReadHandle&) = delete;
    PngReadHandle& operator=(const PngReadHandle&) = delete;

    [[nodiscard]] bool ready() const { return png_ != nullptr && info_ != nullptr; }
    [[nodiscard]] png_structp png() const { return png_; }
    [[nodiscard]] png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

/// Turns the RGBA bytes libpng wrote into the picture's pixels: transparent ones black.
void settleAlpha(Picture& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (Rgb& pixel : picture.row(y)) {
            std::uint8_t rgba[kBytesPerPixel];
            std::memcpy(rgba, &pixel, sizeof rgba);
            pixel = rgba[3] < 128 ? kBlack : makeRgb(rgba[0], rgba[1], rgba[2]);
        }
    }
}

} // namespace

Result<Picture> decodePng(std::span<const std::uint8_t> bytes) {
    const auto size = scanChunks(bytes);
    if (!size) {
        return size.error();
    }
    if (const Result<void> fits = checkSize(size.value(), bytes.size()); !fits) {
        return fits.error();
    }
    Picture picture(static_cast<int>(size.value().width), static_cast<int>(size.value().height));
    std::vector<png_bytep> rows;
    rows.reserve(static_cast<std::size_t>(picture.height()));
    for (int y = 0; y < picture.height(); ++y) {
        rows.push_back(reinterpret_cast<png_bytep>(picture.row(y).data()));
    }
    Reader reader{bytes};
    PngReadHandle handle(reader);
    if (!handle.ready()) {
        return Error{"the PNG reader cannot be set up (out of memory)"};
    }
    if (!readPixels(reader, handle.png(), handle.info(), rows.data(), size.value().width)) {
        return failureOf(reader);
    }
    settleAlpha(picture);
    return picture;
}

} // namespace korvel
