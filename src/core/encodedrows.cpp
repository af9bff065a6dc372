#include "core/encodedrows.h"

#include <algorithm>

namespace korvel {

std::size_t EncodedRows::rowLength() const {
    const auto length = static_cast<std::size_t>(rowBytes);
    return encoding == RowEncoding::ColourPlanes ? 3 * length : length;
}

std::span<const std::uint8_t> EncodedRows::bytes() const {
    return std::span<const std::uint8_t>(*file).subspan(offset, rowLength() *
                                                                    static_cast<std::size_t>(rows));
}

void decodeInkRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) {
    const std::size_t columns = std::min(row.size(), rowData.size() * 8);
    for (std::size_t x = 0; x < columns; ++x) {
        const bool dark = (rowData[x / 8] >> (7 - x % 8)) & 1U;
        row[x] = dark ? kBlack : kRed;
    }
}

void decodeColourPlaneRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) {
    const std::size_t columns = std::min(row.size(), rowData.size() / 3 * 8);
    for (std::size_t x = 0; x < columns; ++x) {
        const std::size_t group = 3 * (x / 8);
        const unsigned shift = 7 - x % 8;
        const auto lit = [&](std::size_t plane) -> Rgb {
            return ((rowData[group + plane] >> shift) & 1U) ? 0U : 0xFFU;
        };
        row[x] = lit(0) | (lit(1) << 8) | (lit(2) << 16);
    }
}

void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels) {
    const auto data = encoded.bytes();
    const std::size_t length = encoded.rowLength();
    const auto columns = static_cast<std::size_t>(width);
    const int rows = std::min(height, encoded.rows);
    for (int y = 0; y < rows; ++y) {
        const auto rowData = data.subspan(static_cast<std::size_t>(y) * length, length);
        const auto row = pixels.subspan(static_cast<std::size_t>(y) * columns, columns);
        if (encoded.encoding == RowEncoding::ColourPlanes) {
            decodeColourPlaneRow(rowData, row);
        } else {
            decodeInkRow(rowData, row);
        }
    }
}

} // namespace korvel
