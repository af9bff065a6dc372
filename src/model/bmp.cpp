#include "bmp.h"

namespace korvel {

// Filled in by the modify dialog's work.
std::vector<std::uint8_t> encodeBmp24(const Picture&) {
    return {};
}

Result<Picture> decodeBmp(std::span<const std::uint8_t>) {
    return Error{"BMP import is not available yet"};
}

} // namespace korvel
