// Fuzzes the PNG import: every accepted file must give a picture within the limits that, written
// again as an 8-bit RGB PNG, imports to the same pixels.
#include "formats/bmp.h"
#include "png/pngread.h"
#include "roundtrip.h"

#include <png.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using korvel::fuzz::require;

/// The picture as an RGB PNG through libpng's own writer.
std::vector<std::uint8_t> rgbPng(const korvel::Picture& picture) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(picture.width()) * picture.height() * 3);
    for (int y = 0; y < picture.height(); ++y) {
        for (const korvel::Rgb pixel : picture.row(y)) {
            rgb.insert(rgb.end(),
                       {korvel::redOf(pixel), korvel::greenOf(pixel), korvel::blueOf(pixel)});
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width());
    image.height = static_cast<png_uint_32>(picture.height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    require(png_image_write_get_memory_size(image, size, 0, rgb.data(), 0, nullptr) != 0,
            "libpng cannot size the PNG");
    std::vector<std::uint8_t> file(size);
    require(png_image_write_to_memory(&image, file.data(), &size, 0, rgb.data(), 0, nullptr) != 0,
            "libpng cannot write the PNG");
    file.resize(size);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto decoded = korvel::decodePng({data, size});
    if (!decoded) {
        return 0;
    }
    const korvel::Picture& picture = decoded.value();
    require(picture.width() >= 1 && picture.width() <= korvel::kBmpMaxSide, "width out of range");
    require(picture.height() >= 1 && picture.height() <= korvel::kBmpMaxSide,
            "height out of range");
    const std::size_t pixels = static_cast<std::size_t>(picture.width()) * picture.height();
    require(pixels <= korvel::kPngBasePixels + korvel::kPngPixelsPerByte * size,
            "more pixels than the file's size allows");
    const std::vector<std::uint8_t> written = rgbPng(picture);
    // A file padded with chunks the reader skips may allow more pixels than the rewritten one.
    if (pixels > korvel::kPngBasePixels + korvel::kPngPixelsPerByte * written.size()) {
        return 0;
    }
    const auto again = korvel::decodePng(written);
    require(again.ok(), "the import refuses libpng's own writing of its picture");
    require(again.value() == picture, "the picture changed");
    return 0;
}
