#pragma once

// PNG pictures written with libpng into a file image in memory.

#include "core/picture.h"
#include "core/result.h"

#include <cstdint>
#include <vector>

namespace korvel {

/// Encodes picture as a PNG file image. A picture of at most 16 colours (every font and bitmap
/// library picture) is written with a palette of 1, 2 or 4 bits per pixel, any other as 8-bit
/// RGB; both decode to exactly the picture's pixels. Fails for a picture without pixels, which
/// a PNG cannot hold: "a picture of W x H has no pixels for a PNG". The caller owns the bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodePng(const Picture& picture);

} // namespace korvel
