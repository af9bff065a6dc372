#pragma once

// PNG files built byte by byte for the tests, so every colour type, bit depth, transparency
// entry, interlacing and damage can be written exactly.

#include <cstdint>
#include <string_view>
#include <vector>

namespace korvel::pngtest {

using Bytes = std::vector<std::uint8_t>;

/// What goes into a PNG: the header fields, optional palette and tRNS data, and the raw sample
/// bytes of each row (without the filter byte).
struct PngPlan {
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colourType = 2; ///< 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    Bytes palette;
    Bytes transparency;
    std::vector<Bytes> rows;
};

/// One chunk: length, type, data and its checksum.
[[nodiscard]] Bytes pngChunk(std::string_view type, const Bytes& data);

/// The whole file: signature, IHDR, PLTE and tRNS when given, one IDAT, IEND.
[[nodiscard]] Bytes pngFile(const PngPlan& plan);

/// The signature and an IHDR chunk alone, for files assembled chunk by chunk.
[[nodiscard]] Bytes pngHead(int width, int height, int bitDepth, int colourType);

} // namespace korvel::pngtest
