#include "png/pngwrite.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <optional>
#include <string>

namespace korvel {

namespace {

/// The colours of a picture that has at most 16, in order of first appearance.
using Palette = std::vector<Rgb>;
constexpr std::size_t kMaxPaletteColours = 16;

[[nodiscard]] std::optional<Palette> smallPalette(const Picture& picture) {
    Palette colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (const Rgb colour : picture.row(y)) {
            if (std::find(colours.begin(), colours.end(), colour) != colours.end()) {
                continue;
            }
            if (colours.size() == kMaxPaletteColours) {
                return std::nullopt;
            }
            colours.push_back(colour);
        }
    }
    return colours;
}

[[nodiscard]] int bitsForColours(std::size_t count) {
    return count <= 2 ? 1 : count <= 4 ? 2 : 4;
}

/// Packs one row as palette indices of bits bits each, the leftmost pixel in the high bits.
void packIndexRow(std::span<const Rgb> row, const Palette& palette, int bits,
                  std::vector<png_byte>& out) {
    std::fill(out.begin(), out.end(), png_byte{0});
    const int perByte = 8 / bits;
    Rgb last = palette.front();
    int lastIndex = 0;
    for (std::size_t x = 0; x < row.size(); ++x) {
        if (row[x] != last) {
            last = row[x];
            lastIndex =
                static_cast<int>(std::find(palette.begin(), palette.end(), last) - palette.begin());
        }
        const int shift = 8 - bits * (1 + static_cast<int>(x % static_cast<std::size_t>(perByte)));
        out[x / static_cast<std::size_t>(perByte)] |= static_cast<png_byte>(lastIndex << shift);
    }
}

void appendToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void flushNothing(png_structp /*png*/) {}

[[noreturn]] void failEncoding(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp /*png*/, png_const_charp /*message*/) {}

/// Owns the libpng write structures.
class Writer {
public:
    explicit Writer(std::string& error)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, failEncoding, ignoreWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() { png_destroy_write_struct(&png_, &info_); }
    [[nodiscard]] bool ready() const { return png_ != nullptr && info_ != nullptr; }
    [[nodiscard]] png_structp png() const { return png_; }
    [[nodiscard]] png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

/// Writes the header, the rows and the end; runs under the caller's setjmp.
void writeImage(const Writer& writer, const Picture& picture, const std::optional<Palette>& palette,
                std::vector<png_byte>& row, std::vector<std::uint8_t>& bytes) {
    png_structp png = writer.png();
    png_infop info = writer.info();
    png_set_write_fn(png, &bytes, appendToBytes, flushNothing);
    // Pictures of a few colours in large flat areas compress well without filters, and quickly.
    png_set_compression_level(png, 6);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, palette ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
    const auto width = static_cast<png_uint_32>(picture.width());
    const auto height = static_cast<png_uint_32>(picture.height());
    if (palette) {
        const int bits = bitsForColours(palette->size());
        png_set_IHDR(png, info, width, height, bits, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        std::array<png_color, kMaxPaletteColours> entries{};
        for (std::size_t k = 0; k < palette->size(); ++k) {
            const Rgb colour = (*palette)[k];
            entries[k] = {static_cast<png_byte>(redOf(colour)),
                          static_cast<png_byte>(greenOf(colour)),
                          static_cast<png_byte>(blueOf(colour))};
        }
        png_set_PLTE(png, info, entries.data(), static_cast<int>(palette->size()));
        png_write_info(png, info);
        row.resize((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8);
        for (int y = 0; y < picture.height(); ++y) {
            packIndexRow(picture.row(y), *palette, bits, row);
            png_write_row(png, row.data());
        }
    } else {
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        row.resize(static_cast<std::size_t>(width) * 3);
        for (int y = 0; y < picture.height(); ++y) {
            std::size_t at = 0;
            for (const Rgb colour : picture.row(y)) {
                row[at++] = static_cast<png_byte>(redOf(colour));
                row[at++] = static_cast<png_byte>(greenOf(colour));
                row[at++] = static_cast<png_byte>(blueOf(colour));
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
}

} // namespace

Result<std::vector<std::uint8_t>> encodePng(const Picture& picture) {
    if (picture.isEmpty()) {
        return Error{"a picture of " + std::to_string(picture.width()) + " x " +
                     std::to_string(picture.height()) + " has no pixels for a PNG"};
    }
    // Reading every pixel here also decodes a picture still encoded in its library, so nothing
    // below can throw through libpng's frames.
    const std::optional<Palette> palette = smallPalette(picture);
    std::string error;
    std::vector<std::uint8_t> bytes;
    // Made before the jump point, so a long jump from libpng skips no destructor.
    std::vector<png_byte> row;
    const Writer writer(error);
    if (!writer.ready()) {
        return Error{"the PNG cannot be made (out of memory)"};
    }
    // libpng reports a failure by a long jump back here; nothing with a destructor is made
    // between this point and the jump's origin but inside libpng.
    if (setjmp(png_jmpbuf(writer.png())) != 0) {
        return Error{"the PNG cannot be made (" + error + ")"};
    }
    writeImage(writer, picture, palette, row, bytes);
    return bytes;
}

} // namespace korvel
