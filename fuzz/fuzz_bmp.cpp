// Fuzzes the BMP import: every accepted file must export as a 24-bit BMP that imports again to
// the same picture.
#include "bmp.h"
#include "roundtrip.h"

#include <cstddef>
#include <cstdint>

using korvel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto decoded = korvel::decodeBmp({data, size});
    if (!decoded) {
        return 0;
    }
    const korvel::Picture& picture = decoded.value();
    require(picture.width() >= 1 && picture.width() <= korvel::kBmpMaxSide, "width out of range");
    require(picture.height() >= 1 && picture.height() <= korvel::kBmpMaxSide,
            "height out of range");
    const std::vector<std::uint8_t> encoded = korvel::encodeBmp24(picture);
    const auto again = korvel::decodeBmp(encoded);
    require(again.ok(), "the import refuses what the export wrote");
    require(again.value() == picture, "the picture changed");
    return 0;
}
