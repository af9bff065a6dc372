#include "core/encodedrows.h"

#include <algorithm>

namespace korvel {

std::span<const std::uint8_t> EncodedRows::bytes() const {
    return std::span<const std::uint8_t>(*file).subspan(offset, rowLength() *
                                                                    static_cast<std::size_t>(rows));
}

void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels) {
    const auto data = encoded.bytes();
    const std::size_t length = encoded.rowLength();
    const auto columns = static_cast<std::size_t>(width);
    const int rows = std::min(height, encoded.rows);
    for (int y = 0; y < rows; ++y) {
        encoded.decoder->decodeRow(data.subspan(static_cast<std::size_t>(y) * length, length),
                                   pixels.subspan(static_cast<std::size_t>(y) * columns, columns));
    }
}

} // namespace korvel
