#pragma once

#include "core/bytesource.h"
#include "core/picture.h"
#include "core/result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// The largest width or height a BMP file is imported with.
inline constexpr int kBmpMaxSide = 16384;

/// The largest BMP file imported: both headers at their largest (a 124-byte information header),
/// a full colour table and a picture of the largest sides at 32 bits per pixel.
inline constexpr std::uint64_t kBmpMaxFileBytes =
    14 + 124 + 256 * 4 + std::uint64_t{kBmpMaxSide} * kBmpMaxSide * 4;

/// The width and height a BMP file's headers give, read from the headers alone.
struct BmpSize {
    int width = 0;
    int height = 0;
};

/// The picture size of a BMP file image, checked as decodeBmp checks it, before any pixel is
/// decoded. Fails, saying why, where decodeBmp would fail on the headers.
[[nodiscard]] Result<BmpSize> bmpSize(std::span<const std::uint8_t> bytes);

/// The picture as an uncompressed 24-bit Windows BMP file image (54-byte header, bottom row
/// first, rows padded to 4 bytes, no colour table). A picture of width or height 0 gives no
/// bytes at all. The caller owns the returned bytes.
[[nodiscard]] std::vector<std::uint8_t> encodeBmp24(const Picture& picture);

/// Decodes a whole Windows BMP file image (1, 4, 8, 15, 16, 24 or 32 bits per pixel, uncompressed
/// or with bit fields, bottom-up or top-down) into a 24-bit picture of the file's own size.
/// Rows the file is too short for stay black. Fails, saying why, when the headers are missing or
/// unusable; nothing is read past the data and nothing is allocated from an unchecked size.
[[nodiscard]] Result<Picture> decodeBmp(std::span<const std::uint8_t> bytes);

/// The picture decodeBmp gives, scaled to width x height by nearest neighbour as Picture::scaled
/// scales it, made by reading only the source pixels the scaled picture takes (the headers,
/// colour table and sampled rows), so its cost follows the target size rather than the file's.
/// Refuses what decodeBmp refuses, with the same messages; a read failure gives the system's text.
[[nodiscard]] Result<Picture> decodeBmpScaled(ByteSource& source, int width, int height);
[[nodiscard]] Result<Picture> decodeBmpScaled(std::span<const std::uint8_t> bytes, int width,
                                              int height);

} // namespace korvel
