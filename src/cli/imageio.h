#pragma once

// PNG pictures through Qt's image codecs; needs a running QtSession.

#include "picture.h"
#include "result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel::cli {

/// The largest PNG file read: the rows of a picture of 16384 x 16384 pixels at 64 bits per pixel
/// with their filter bytes, stored uncompressed, plus a quarter for block and chunk framing and
/// 1 MiB of other chunks.
inline constexpr std::uint64_t kPngMaxFileBytes =
    std::uint64_t{16384} * (1 + std::uint64_t{16384} * 8) / 4 * 5 + (std::uint64_t{1} << 20);

/// Decodes a whole PNG file image into a 24-bit picture of its own size; the alpha channel is
/// ignored, so every pixel keeps its colour. Fails, saying why, on data that is not a PNG or a
/// picture wider or taller than a BMP import accepts.
[[nodiscard]] Result<Picture> decodePng(std::span<const std::uint8_t> bytes);

/// The picture as a PNG file image. Fails on a picture without pixels, which PNG cannot hold.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodePng(const Picture& picture);

} // namespace korvel::cli
