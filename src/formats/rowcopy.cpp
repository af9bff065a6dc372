#include "formats/rowcopy.h"

namespace korvel {

const EncodedRows* copyableRows(const std::optional<Picture>& picture, int width, int height,
                                int rowBytes, RowEncoding encoding) {
    if (!picture || width <= 0) {
        return nullptr;
    }
    const EncodedRows* rows = picture->encodedRows();
    if (rows == nullptr || rows->encoding != encoding || rows->rowBytes != rowBytes ||
        rows->rows != height || picture->width() != width || picture->height() != height) {
        return nullptr;
    }
    return rows;
}

void darkenPadding(std::span<std::uint8_t> copied, const EncodedRows& rows, int width) {
    const int padding = rows.rowBytes * 8 - width;
    if (padding <= 0) {
        return;
    }
    const auto mask = static_cast<std::uint8_t>((1U << padding) - 1);
    const std::size_t length = rows.rowLength();
    // The padding lies in a row's last group: its last byte for ink bits, its last three (red,
    // green and blue plane bytes of the last eight pixels) for colour planes.
    const std::size_t lastGroup = length / static_cast<std::size_t>(rows.rowBytes);
    for (std::size_t rowEnd = length; rowEnd <= copied.size(); rowEnd += length) {
        for (std::size_t at = rowEnd - lastGroup; at < rowEnd; ++at) {
            copied[at] |= mask;
        }
    }
}

void appendWithDarkPadding(std::vector<std::uint8_t>& out, const EncodedRows& rows, int width) {
    const std::size_t start = out.size();
    const auto bytes = rows.bytes();
    out.insert(out.end(), bytes.begin(), bytes.end());
    darkenPadding(std::span<std::uint8_t>(out).subspan(start), rows, width);
}

} // namespace korvel
