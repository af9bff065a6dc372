#pragma once

// PNG pictures written through Qt's image codecs; needs a running QtSession. Reading goes
// through decodePng of pngread.h.

#include "picture.h"
#include "result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel::cli {

/// The picture as a PNG file image. Fails on a picture without pixels, which PNG cannot hold.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodePng(const Picture& picture);

} // namespace korvel::cli
