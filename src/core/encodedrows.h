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

/// How a library format stores the pixels of one row. The formats implement it (one object per
/// format, living as long as the program); a picture left encoded keeps a pointer to its own.
class EncodedRowDecoder {
public:
    EncodedRowDecoder() = default;
    EncodedRowDecoder(const EncodedRowDecoder&) = delete;
    EncodedRowDecoder& operator=(const EncodedRowDecoder&) = delete;
    virtual ~EncodedRowDecoder() = default;

    /// Bytes one row occupies, for rows of rowBytes bytes per plane.
    [[nodiscard]] virtual std::size_t rowLength(int rowBytes) const = 0;
    /// Decodes one row into row. Pixels beyond what the row carries are left as they are.
    virtual void decodeRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) const = 0;
};

/// The pixel rows of one glyph record or bitmap block, left encoded in the file image they were
/// read from. The reader has checked that the rows lie inside the image.
struct EncodedRows {
    SharedFileImage file;
    std::size_t offset = 0; ///< where the first row begins in the file image
    int rowBytes = 0;       ///< bytes per row in one plane (the record's or block's byte count)
    int rows = 0;
    const EncodedRowDecoder* decoder = nullptr; ///< the format's, never null once read

    /// Bytes one row occupies.
    [[nodiscard]] std::size_t rowLength() const { return decoder->rowLength(rowBytes); }
    /// All rows, top row first.
    [[nodiscard]] std::span<const std::uint8_t> bytes() const;
};

/// Decodes encoded rows into pixels of width x height (row-major, black beforehand): columns and
/// rows the encoding does not carry stay black.
void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels);

} // namespace korvel
