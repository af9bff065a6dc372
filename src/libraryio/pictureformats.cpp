#include "libraryio/pictureformats.h"

#include "core/textcodes.h"
#include "formats/bmp.h"
#include "png/pngwrite.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace korvel {

namespace {

/// The modify dialog's BMP: 24 bits, and no bytes at all for a picture without pixels.
Result<std::vector<std::uint8_t>> encodeBmp(const Picture& picture) {
    return encodeBmp24(picture);
}

constexpr std::array<PictureFormat, 2> kFormats{{
    {"BMP", "bmp", encodeBmp},
    {"PNG", "png", encodePng},
}};

} // namespace

std::span<const PictureFormat> pictureFormats() {
    return kFormats;
}

const PictureFormat* pictureFormatOfExtension(std::string_view extension) {
    const auto found = std::find_if(kFormats.begin(), kFormats.end(), [&](const PictureFormat& f) {
        return sameIgnoringCase(f.extension, extension);
    });
    return found == kFormats.end() ? nullptr : &*found;
}

} // namespace korvel
