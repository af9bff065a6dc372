#pragma once

// The rows of both library formats, packed and decoded in one place: eight pixels a byte, the
// leftmost in the most significant bit, a lit pixel a 0 bit and a dark one a 1 bit. A .lcm row
// is one plane, the ink (red lit); a .bcm row holds its red, green and blue planes, one byte
// each for every group of eight pixels.

#include "core/encodedrows.h"
#include "core/picture.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvel {

/// The width a library file stores for an entry of width: a width of 0 is stored as 8, so that
/// an entry without columns still has rows of one byte.
[[nodiscard]] constexpr int storedWidth(int width) {
    return width == 0 ? 8 : width;
}

/// Row y of a picture that may be missing; empty (all dark when packed) outside it.
[[nodiscard]] std::span<const Rgb> rowOf(const std::optional<Picture>& picture, int y);

/// A library format's row layout, by the planes it stores: red alone, or red, green and blue.
class PlaneRows final : public EncodedRowDecoder {
public:
    /// planes: 1 (red, that is ink) or 3 (red, green, blue).
    explicit PlaneRows(int planes) : planes_(planes) {}

    [[nodiscard]] std::size_t rowLength(int rowBytes) const override;
    /// A 0 bit gives 255 in its plane's channel, a 1 bit 0; channels without a plane are 0.
    void decodeRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) const override;
    [[nodiscard]] int bitPlanes() const override { return planes_; }

    /// Decodes rows of rowLength bytes from data into the top-left columns x rows pixels of
    /// target, stopping where data ends; what is not decoded keeps its pixels.
    void decodeInto(Picture& target, int columns, int rows, int rowLength,
                    std::span<const std::uint8_t> data) const;

    /// Appends one row of rowBytes byte groups: the pixels of row (a plane bit is 0 where its
    /// channel is lit), dark wherever row does not reach.
    void packRow(std::vector<std::uint8_t>& out, std::span<const Rgb> row, int rowBytes) const;

    /// The encoded rows a writer may copy for a picture instead of packing its pixels: those the
    /// picture still equals, when they are of this layout, with the row byte count and size the
    /// writer uses for a width x height entry. Otherwise nullptr.
    [[nodiscard]] const EncodedRows* copyableRows(const std::optional<Picture>& picture, int width,
                                                  int height, int rowBytes) const;

    /// Sets the bits right of width to 1 (dark) in every plane of copied, which holds whole rows
    /// of the encoding of rows.
    void darkenPadding(std::span<std::uint8_t> copied, const EncodedRows& rows, int width) const;

    /// Appends the rows with the bits right of width set to 1 (dark) in every plane, as packRow
    /// leaves what a picture does not cover.
    void appendWithDarkPadding(std::vector<std::uint8_t>& out, const EncodedRows& rows,
                               int width) const;

private:
    int planes_;
};

/// The rows of a .lcm glyph record: one plane, the ink.
[[nodiscard]] const PlaneRows& inkRows();
/// The rows of a .bcm bitmap block: red, green and blue planes.
[[nodiscard]] const PlaneRows& colourPlaneRows();

} // namespace korvel
