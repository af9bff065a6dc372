#pragma once

// The pictures and libraries the benchmarks work on, made the same way for every benchmark.

#include "core/fontlibrary.h"
#include "core/picture.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::bench {

/// A picture in the eight colours (or, twoColour, red and black glyph ink in a checkerboard).
[[nodiscard]] Picture patterned(int width, int height, bool twoColour);

/// A .bcm file of n entries named prefix + k, each a copy of one patterned picture. The picture
/// is encoded once and its copies stay encoded, so a library of 197 MB is made without 2 GB of
/// pixels.
[[nodiscard]] std::vector<std::uint8_t> repeatedBitmaps(int n, int width, int height,
                                                        const std::string& prefix);

/// 256 glyphs of 255 x 255, each a patterned two-colour picture.
[[nodiscard]] std::array<GlyphRecord, kGlyphSlots> bigFont();

} // namespace korvel::bench
