#pragma once

// Animated GIF files built byte by byte for the tests (Qt reads GIF but cannot write it): a
// global colour table of 256 entries and one full-size frame per picture, its pixels stored
// with the LZW code width held at 9 bits by a clear code before the table would grow.

#include <cstdint>
#include <vector>

namespace korvel::giftest {

using Bytes = std::vector<std::uint8_t>;

/// One frame: width x height palette indices, row by row.
using Frame = std::vector<std::uint8_t>;

/// The file of frames over a palette of up to 256 colours given as red, green, blue bytes.
[[nodiscard]] Bytes gifFile(int width, int height, const Bytes& palette,
                            const std::vector<Frame>& frames);

} // namespace korvel::giftest
