#include "formats/rows.h"

#include "core/bits.h"

#include <algorithm>
#include <utility>

namespace korvel {

namespace {

/// Whether the channel of plane (0 red, 1 green, 2 blue) is lit in c.
[[nodiscard]] constexpr bool planeLit(Rgb c, int plane) {
    return ((c >> (8 * plane)) & 0x80U) != 0;
}

} // namespace

std::span<const Rgb> rowOf(const std::optional<Picture>& picture, int y) {
    if (!picture || y < 0 || y >= picture->height()) {
        return {};
    }
    return std::as_const(*picture).row(y);
}

std::size_t PlaneRows::rowLength(int rowBytes) const {
    return static_cast<std::size_t>(planes_) * static_cast<std::size_t>(rowBytes);
}

void PlaneRows::decodeRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) const {
    const auto planes = static_cast<std::size_t>(planes_);
    const std::size_t columns = std::min(row.size(), rowData.size() / planes * 8);
    for (std::size_t x = 0; x < columns; ++x) {
        const std::size_t group = planes * (x / 8);
        const unsigned shift = 7 - x % 8;
        Rgb pixel = 0;
        for (std::size_t plane = 0; plane < planes; ++plane) {
            if (((rowData[group + plane] >> shift) & 1U) == 0) {
                pixel |= Rgb{0xFF} << (8 * plane);
            }
        }
        row[x] = pixel;
    }
}

void PlaneRows::decodeInto(Picture& target, int columns, int rows, int rowLength,
                           std::span<const std::uint8_t> data) const {
    const auto width = static_cast<std::size_t>(std::min(columns, target.width()));
    const int height = std::min(rows, target.height());
    const auto length = static_cast<std::size_t>(std::max(rowLength, 0));
    for (int y = 0; y < height; ++y) {
        const std::size_t base = static_cast<std::size_t>(y) * length;
        if (base >= data.size()) {
            break;
        }
        decodeRow(data.subspan(base, std::min(length, data.size() - base)),
                  target.row(y).first(width));
    }
}

void PlaneRows::packRow(std::vector<std::uint8_t>& out, std::span<const Rgb> row,
                        int rowBytes) const {
    // Group by group of eight pixels, one byte of each plane.
    for (int group = 0; group < rowBytes; ++group) {
        const int first = group * 8;
        for (int plane = 0; plane < planes_; ++plane) {
            appendRowBits(out, 8, BitOrder::MsbFirst, false, [&](int bit) {
                const auto x = static_cast<std::size_t>(first + bit);
                return x < row.size() && planeLit(row[x], plane);
            });
        }
    }
}

const EncodedRows* PlaneRows::copyableRows(const std::optional<Picture>& picture, int width,
                                           int height, int rowBytes) const {
    if (!picture || width <= 0) {
        return nullptr;
    }
    const EncodedRows* rows = picture->encodedRows();
    if (rows == nullptr || rows->decoder != this || rows->rowBytes != rowBytes ||
        rows->rows != height || picture->width() != width || picture->height() != height) {
        return nullptr;
    }
    return rows;
}

void PlaneRows::darkenPadding(std::span<std::uint8_t> copied, const EncodedRows& rows,
                              int width) const {
    const int padding = rows.rowBytes * 8 - width;
    if (padding <= 0) {
        return;
    }
    const auto mask = static_cast<std::uint8_t>((1U << padding) - 1);
    const std::size_t length = rows.rowLength();
    // The padding lies in a row's last group: the last byte of each plane.
    const auto lastGroup = static_cast<std::size_t>(planes_);
    for (std::size_t rowEnd = length; rowEnd <= copied.size(); rowEnd += length) {
        for (std::size_t at = rowEnd - lastGroup; at < rowEnd; ++at) {
            copied[at] |= mask;
        }
    }
}

void PlaneRows::appendWithDarkPadding(std::vector<std::uint8_t>& out, const EncodedRows& rows,
                                      int width) const {
    const std::size_t start = out.size();
    const auto bytes = rows.bytes();
    out.insert(out.end(), bytes.begin(), bytes.end());
    darkenPadding(std::span<std::uint8_t>(out).subspan(start), rows, width);
}

const PlaneRows& inkRows() {
    static const PlaneRows kRows(1);
    return kRows;
}

const PlaneRows& colourPlaneRows() {
    static const PlaneRows kRows(3);
    return kRows;
}

} // namespace korvel
