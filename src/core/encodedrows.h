#pragma once

#include "core/colour.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace korvel {

/// A whole library file image shared, read-only, by every picture still encoded in it.
using SharedFileImage = std::shared_ptr<const std::vector<std::uint8_t>>;

/// How the rows of a library file store their pixels.
enum class RowEncoding : std::uint8_t {
    InkBits,      ///< .lcm: one bit per pixel, 0 ink (pure red), 1 background (black)
    ColourPlanes, ///< .bcm: groups of red, green and blue plane bytes, 0 lit (255), 1 dark (0)
};

/// The pixel rows of one glyph record or bitmap block, left encoded in the file image they were
/// read from. The reader has checked that the rows lie inside the image.
struct EncodedRows {
    SharedFileImage file;
    std::size_t offset = 0; ///< where the first row begins in the file image
    int rowBytes = 0;       ///< bytes per row in one plane (the record's or block's byte count)
    int rows = 0;
    RowEncoding encoding = RowEncoding::InkBits;

    /// Bytes one row occupies: rowBytes, three times that for colour planes.
    [[nodiscard]] std::size_t rowLength() const;
    /// All rows, top row first.
    [[nodiscard]] std::span<const std::uint8_t> bytes() const;
};

/// Decodes one .lcm row into row: bit 0 gives pure red, bit 1 black. Pixels beyond the bits the
/// row carries are left as they are.
void decodeInkRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row);

/// Decodes one .bcm row of plane-byte groups into row: a plane bit 0 gives 255, a 1 gives 0.
/// Pixels beyond the whole groups the row carries are left as they are.
void decodeColourPlaneRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row);

/// Decodes encoded rows into pixels of width x height (row-major, black beforehand): columns and
/// rows the encoding does not carry stay black.
void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels);

} // namespace korvel
