// Fuzzes the BMP import: every accepted file must export as a 24-bit BMP that imports again to
// the same picture, and the sampling import must give the whole picture scaled.
#include "formats/bmp.h"
#include "roundtrip.h"

#include <cstddef>
#include <cstdint>

using korvel::fuzz::require;

namespace {
// Pictures the fuzzer decodes: the decoder lets a file cut short claim 2^20 pixels more than its
// bytes hold, and decoding, encoding and decoding again that many pixels for every input would
// slow the run to a few dozen inputs a second. The headers of larger claims are still checked.
constexpr std::int64_t kFuzzMaxPixels = 4096;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto header = korvel::bmpSize({data, size});
    if (!header) {
        require(!korvel::decodeBmp({data, size}).ok(),
                "the import takes what its header check refuses");
        return 0;
    }
    if (std::int64_t{header.value().width} * header.value().height > kFuzzMaxPixels) {
        return 0;
    }
    const auto decoded = korvel::decodeBmp({data, size});
    // A size of its own for every input, smaller and larger than most pictures.
    const int width = 1 + static_cast<int>(size % 61);
    const int height = 1 + static_cast<int>(size % 37);
    const auto sampled = korvel::decodeBmpScaled({data, size}, width, height);
    require(sampled.ok() == decoded.ok(), "the sampling import and the import disagree");
    if (!decoded) {
        require(sampled.error().message == decoded.error().message,
                "the sampling import refuses for another reason");
        return 0;
    }
    require(sampled.value() == decoded.value().scaled(width, height),
            "the sampling import gives other pixels");
    const korvel::Picture& picture = decoded.value();
    require(picture.width() == header.value().width && picture.height() == header.value().height,
            "the picture is not the size its header gave");
    require(picture.width() >= 1 && picture.width() <= korvel::kBmpMaxSide, "width out of range");
    require(picture.height() >= 1 && picture.height() <= korvel::kBmpMaxSide,
            "height out of range");
    const std::vector<std::uint8_t> encoded = korvel::encodeBmp24(picture);
    const auto again = korvel::decodeBmp(encoded);
    require(again.ok(), "the import refuses what the export wrote");
    require(again.value() == picture, "the picture changed");
    return 0;
}
