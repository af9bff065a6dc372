#pragma once

// Decoding PNG pictures through Qt's image codecs; needs a running QtSession. (PNG encoding is
// one of the export formats in pictureformats.h.)

#include "picture.h"
#include "result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel::cli {

/// Decodes a whole PNG file image into a 24-bit picture of its own size; the alpha channel is
/// ignored, so every pixel keeps its colour. Fails, saying why, on data that is not a PNG or a
/// picture wider or taller than a BMP import accepts.
[[nodiscard]] Result<Picture> decodePng(std::span<const std::uint8_t> bytes);

} // namespace korvel::cli
