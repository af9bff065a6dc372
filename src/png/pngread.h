#pragma once

// PNG pictures read with libpng from a file image in memory.

#include "core/picture.h"
#include "core/result.h"
#include "formats/pnglimits.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel {

/// A PNG may give at most this many pixels, plus kPngPixelsPerByte for each byte of the file:
/// a small file cannot make the reader allocate much.
inline constexpr std::size_t kPngBasePixels = std::size_t{1} << 20;
inline constexpr std::size_t kPngPixelsPerByte = 16;

/// The bytes at the start of a PNG file that give its picture's size: the signature and the
/// header chunk's length, type, width and height.
inline constexpr std::size_t kPngSizeHeadBytes = 24;

/// A picture's width and height as a PNG file's first bytes give them.
struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

/// The picture size of a PNG file from its first kPngSizeHeadBytes bytes (or more), without
/// reading the rest: what decodePng decodes when the file is whole. Fails with decodePng's
/// words when the bytes are no PNG signature and header chunk.
[[nodiscard]] Result<PngSize> pngSize(std::span<const std::uint8_t> head);

/// Decodes a whole PNG file image (any colour type and bit depth, interlaced or not) into a
/// 24-bit picture of its own size. A pixel whose alpha (from an alpha channel or a tRNS entry)
/// is below 128 is black; every other pixel keeps its colour, reduced to 8 bits a channel, with
/// no gamma applied. The picture size is checked from the header before any pixel is decoded:
/// each side at most kBmpMaxSide and the pixels within the allowance above. Ancillary chunks
/// are skipped unread and no chunk may claim more than the file holds. Fails with a sentence in
/// Korvel's words (nothing is printed): "it is not a PNG picture", "it is cut short", or the
/// reason the data cannot be read. The caller owns the returned picture.
[[nodiscard]] Result<Picture> decodePng(std::span<const std::uint8_t> bytes);

} // namespace korvel
