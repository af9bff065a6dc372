#pragma once

#include "fontlibrary.h"
#include "result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// The largest glyph side a .lcm record can carry.
inline constexpr int kLcmMaxSide = 255;

/// The largest .lcm file: the count byte, 256 offsets and 256 records of 255 rows of 255 bytes
/// (the most a record's one-byte row byte count and height can claim), back to back.
inline constexpr std::uint64_t kLcmMaxFileBytes = 1 + 4 * 256 + 256 * (3 + 255 * 255);

/// Encodes slots 0..count-1 of the glyph table as a .lcm file image.
/// Fails, naming the code and its size, when a glyph is wider or taller than 255 pixels; nothing
/// is clipped. The caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>>
encodeLcm(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count);

/// Decodes a whole .lcm file image into its glyph records (code, size, 24-bit picture), in code
/// order. A count byte of 0 in a file longer than one byte means 256 glyphs. Fails, saying what
/// does not add up, on any file that is empty or shorter than its table and records claim;
/// nothing is read past the data.
[[nodiscard]] Result<std::vector<GlyphRecord>> decodeLcm(std::span<const std::uint8_t> bytes);

/// Decodes one record's rows (height x rowByteCount bytes) into target, which keeps its size:
/// bit 0 is ink (pure red), bit 1 background (black); columns beyond decodeWidth stay black.
void AnylizeProtol(Picture& target, int decodeWidth, int height, int rowByteCount,
                   std::span<const std::uint8_t> rowBytes);

} // namespace korvel
