#pragma once

#include "core/bytesource.h"
#include "core/encodedrows.h"
#include "core/fontlibrary.h"
#include "core/result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// The largest glyph side a .lcm record can carry.
inline constexpr int kLcmMaxSide = 255;

/// The largest .lcm file: the count byte, 256 offsets and 256 records of 255 rows of 255 bytes
/// (the most a record's one-byte row byte count and height can claim), back to back.
inline constexpr std::uint64_t kLcmMaxFileBytes = 1 + 4 * 256 + 256 * (3 + 255 * 255);

/// Whether a .lcm record can hold a glyph of this size: at most 255 x 255 as stored.
[[nodiscard]] bool fitsLcmRecord(const GlyphRecord& glyph);

/// Encodes slots 0..count-1 of the glyph table as a .lcm file image.
/// Fails, naming the code and its size, when a glyph is wider or taller than 255 pixels; nothing
/// is clipped. A glyph whose picture is still its record in a file image read earlier is copied
/// from there, not decoded. The caller owns the returned bytes.
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

/// Where one glyph record of a .lcm file lies and what its 3-byte head says.
struct LcmRecord {
    int rowBytes = 0; ///< b, bytes per row
    int width = 0;
    int height = 0;
    std::uint64_t at = 0; ///< file offset of the record's head

    /// File offset of the first row.
    [[nodiscard]] std::uint64_t rowsAt() const { return at + 3; }
    /// Bytes of all rows: b x height.
    [[nodiscard]] std::size_t rowsLength() const;
};

/// Where the library that an offset table and its records describe ends: the end of the record
/// that ends last, or of the table when no record ends after it. No reader looks past it.
[[nodiscard]] std::uint64_t lcmEnd(std::span<const LcmRecord> records);

/// Reads a .lcm file's count byte, offset table and record heads, without any row, and checks
/// them as decodeLcm does (same refusals, same messages). Record i is the glyph of code i.
[[nodiscard]] Result<std::vector<LcmRecord>> readLcmTable(ByteSource& source);

/// One glyph's picture, as decodeLcm gives it, read from the source and decoded. Fails only when
/// the source cannot be read.
[[nodiscard]] Result<Picture> readLcmPicture(ByteSource& source, const LcmRecord& record);

/// The glyph records of a whole .lcm file image, checked as decodeLcm does, whose pictures stay
/// encoded in the shared image until first used.
[[nodiscard]] Result<std::vector<GlyphRecord>> openLcm(SharedFileImage file);

} // namespace korvel
