#include "core/encodedtransform.h"

#include "core/bits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace korvel {

namespace {

using Byte = std::uint8_t;
using Size = std::size_t;

constexpr Byte kDark = 0xFF;

[[nodiscard]] Size sizeOf(int value) {
    return static_cast<Size>(value);
}

/// The shape of a picture's bit planes laid out as the library files lay them: each row is
/// `stride` groups of one byte from every plane (one plane of ink bits, or red, green and blue),
/// a byte holding eight pixels, the leftmost in its most significant bit, 1 dark and 0 lit.
struct Planes {
    int width = 0;
    int height = 0;
    Size stride = 0; ///< groups a row: paddedBytes(width)
    Size count = 1;  ///< planes

    [[nodiscard]] Size rowLength() const { return stride * count; }
    [[nodiscard]] unsigned padding() const {
        return static_cast<unsigned>(stride * 8 - sizeOf(width));
    }
};

[[nodiscard]] Planes planesOf(int width, int height, const EncodedRows& rows) {
    return {width, height, sizeOf(paddedBytes(width)), sizeOf(rows.decoder->bitPlanes())};
}

/// Rows of planes in memory, `rowLength` bytes apart.
template <class B> struct RowsAt {
    B* data;
    Size rowLength;
    [[nodiscard]] B* row(int y) const { return data + sizeOf(y) * rowLength; }
};
using Source = RowsAt<const Byte>;
using Target = RowsAt<Byte>;

/// The bits of a row's last byte that lie right of the width.
[[nodiscard]] Byte paddingMask(const Planes& planes) {
    return static_cast<Byte>((1U << planes.padding()) - 1);
}

/// Sets the bits right of the width to 1 in every plane of every row.
void darkenPaddingBits(Target rows, const Planes& planes) {
    const Byte mask = paddingMask(planes);
    if (mask == 0) {
        return;
    }
    const Size last = (planes.stride - 1) * planes.count;
    for (int y = 0; y < planes.height; ++y) {
        for (Size p = 0; p < planes.count; ++p) {
            rows.row(y)[last + p] |= mask;
        }
    }
}

constexpr std::array<Byte, 256> kReversedBits = [] {
    std::array<Byte, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            reversed |= ((value >> bit) & 1U) << (7 - bit);
        }
        table[value] = static_cast<Byte>(reversed);
    }
    return table;
}();

/// Whole rows moved: row y of the result is row `from(y)` of the source, or dark where that is
/// outside the picture. Flips top to bottom and shifts up and down.
template <class RowOf> void moveRows(Source in, Target out, const Planes& planes, RowOf from) {
    for (int y = 0; y < planes.height; ++y) {
        const int source = from(y);
        if (source >= 0 && source < planes.height) {
            std::memcpy(out.row(y), in.row(source), planes.rowLength());
        } else {
            std::memset(out.row(y), kDark, planes.rowLength());
        }
    }
}

/// Every row mirrored left to right, each plane by itself. Reversing the bytes and the bits in
/// each puts the padding on the left; the row is then moved left by the padding's width, and
/// dark bits come in on the right as the new padding.
void mirrorRows(Source in, Target out, const Planes& planes, bool alsoVertically) {
    const Size stride = planes.stride;
    const Size step = planes.count;
    const unsigned padding = planes.padding();
    for (int y = 0; y < planes.height; ++y) {
        const Byte* row = in.row(alsoVertically ? planes.height - 1 - y : y);
        Byte* to = out.row(y);
        for (Size p = 0; p < step; ++p) {
            for (Size i = 0; i < stride; ++i) {
                const Byte high = kReversedBits[row[(stride - 1 - i) * step + p]];
                if (padding == 0) {
                    to[i * step + p] = high;
                    continue;
                }
                const Byte low =
                    i + 1 < stride ? kReversedBits[row[(stride - 2 - i) * step + p]] : kDark;
                to[i * step + p] = static_cast<Byte>((high << padding) | (low >> (8 - padding)));
            }
        }
    }
}

/// Every pixel one place left (dx -1) or right (dx 1), each plane by itself; background comes
/// in at the other side.
void shiftColumns(Source in, Target out, const Planes& planes, int dx) {
    const Size stride = planes.stride;
    const Size step = planes.count;
    const Byte mask = paddingMask(planes);
    for (int y = 0; y < planes.height; ++y) {
        const Byte* row = in.row(y);
        Byte* to = out.row(y);
        for (Size p = 0; p < step; ++p) {
            for (Size i = 0; i < stride; ++i) {
                const Byte here = row[i * step + p];
                if (dx < 0) {
                    // What lies right of the last pixel enters as background.
                    const Byte next = i + 1 < stride ? row[(i + 1) * step + p] : kDark;
                    const Byte current = i + 1 < stride ? here : static_cast<Byte>(here | mask);
                    to[i * step + p] = static_cast<Byte>((current << 1) | (next >> 7));
                } else {
                    const Byte previous = i > 0 ? row[(i - 1) * step + p] : kDark;
                    to[i * step + p] = static_cast<Byte>((here >> 1) | (previous << 7));
                }
            }
        }
    }
}

void invertRows(Source in, Target out, const Planes& planes) {
    for (int y = 0; y < planes.height; ++y) {
        const Byte* row = in.row(y);
        Byte* to = out.row(y);
        for (Size i = 0; i < planes.rowLength(); ++i) {
            to[i] = static_cast<Byte>(~row[i]);
        }
    }
}

/// Transposes an 8 x 8 bit block held a row a byte, the first row in the most significant byte
/// and each row's first column in its most significant bit.
[[nodiscard]] std::uint64_t transposed8x8(std::uint64_t x) {
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    return x ^ t ^ (t << 28);
}

/// Every plane turned a quarter into the result's rows (as wide as the source is high).
/// Clockwise, (x, y) goes to (h - 1 - y, x): the transpose of the plane read bottom row first.
/// Counter-clockwise, (x, y) goes to (y, w - 1 - x): the transpose written last row first. It is
/// walked in 8 x 8 blocks, each one 64-bit transpose.
void turnQuarter(Source in, Target out, const Planes& planes, bool clockwise) {
    const Size step = planes.count;
    // Rows past the picture read dark (a byte for each of at most three planes): they become
    // the padding of the turned rows.
    const std::array<Byte, 3> dark{kDark, kDark, kDark};
    std::array<const Byte*, 8> lines{};
    std::array<Size, 8> advance{};
    for (int top = 0; top < planes.height; top += 8) {
        for (int r = 0; r < 8; ++r) {
            const int y = top + r;
            const bool inside = y < planes.height;
            lines[sizeOf(r)] = inside ? in.row(clockwise ? planes.height - 1 - y : y) : dark.data();
            advance[sizeOf(r)] = inside ? step : 0;
        }
        const Size target = sizeOf(top / 8) * step;
        for (Size column = 0; column < planes.stride; ++column) {
            const int first = static_cast<int>(column * 8);
            const int count = std::min(8, planes.width - first);
            for (Size p = 0; p < step; ++p) {
                std::uint64_t block = 0;
                for (Size r = 0; r < 8; ++r) {
                    block = (block << 8) | lines[r][column * advance[r] + p];
                }
                block = transposed8x8(block);
                for (int c = 0; c < count; ++c) {
                    const int x = first + c;
                    out.row(clockwise ? x : planes.width - 1 - x)[target + p] =
                        static_cast<Byte>(block >> (56 - 8 * c));
                }
            }
        }
    }
}

/// The rows as a source of planes.height full rows of planes.stride groups: the file's own
/// bytes where they are that, else a copy in which what the rows do not carry (groups past their
/// bytes, rows past their count) is dark, as it decodes black.
[[nodiscard]] Source fullRows(const EncodedRows& rows, const Planes& planes,
                              std::vector<Byte>& copy) {
    const Byte* data = rows.bytes().data();
    if (sizeOf(rows.rowBytes) >= planes.stride && rows.rows >= planes.height) {
        return {data, rows.rowLength()};
    }
    copy.assign(planes.rowLength() * sizeOf(planes.height), kDark);
    const Size carried = std::min(planes.stride, sizeOf(rows.rowBytes)) * planes.count;
    const int carriedRows = std::min(planes.height, rows.rows);
    for (int y = 0; y < carriedRows; ++y) {
        std::memcpy(copy.data() + sizeOf(y) * planes.rowLength(),
                    data + sizeOf(y) * rows.rowLength(), carried);
    }
    return {copy.data(), planes.rowLength()};
}

void transformRows(Source in, Target out, const Planes& planes, PictureTransform transform) {
    switch (transform) {
    case PictureTransform::FlipHorizontally:
        return mirrorRows(in, out, planes, false);
    case PictureTransform::FlipVertically:
        return moveRows(in, out, planes, [&](int y) { return planes.height - 1 - y; });
    case PictureTransform::Rotate180:
        return mirrorRows(in, out, planes, true);
    case PictureTransform::RotateClockwise:
        return turnQuarter(in, out, planes, true);
    case PictureTransform::RotateCounterClockwise:
        return turnQuarter(in, out, planes, false);
    case PictureTransform::ShiftUp:
        return moveRows(in, out, planes, [](int y) { return y + 1; });
    case PictureTransform::ShiftDown:
        return moveRows(in, out, planes, [](int y) { return y - 1; });
    case PictureTransform::ShiftLeft:
        return shiftColumns(in, out, planes, -1);
    case PictureTransform::ShiftRight:
        return shiftColumns(in, out, planes, 1);
    case PictureTransform::Invert:
        return invertRows(in, out, planes);
    case PictureTransform::Clear:
        return; // the result is made dark
    }
}

} // namespace

bool transformsEncoded(PictureTransform transform, PictureKind kind, const EncodedRows& rows) {
    const int planes = rows.decoder == nullptr ? 0 : rows.decoder->bitPlanes();
    if (planes < 1 || planes > 3) { // a plane a channel
        return false;
    }
    if (transform != PictureTransform::Invert) {
        return true;
    }
    return planes == (kind == PictureKind::Glyph ? 1 : 3);
}

EncodedRows transformedRows(const EncodedRows& rows, int width, int height,
                            PictureTransform transform) {
    const Planes source = planesOf(width, height, rows);
    const bool swap = swapsSides(transform);
    const Planes result = planesOf(swap ? height : width, swap ? width : height, rows);
    std::vector<Byte> copy;
    const Source in = fullRows(rows, source, copy);
    std::vector<Byte> bytes(result.rowLength() * sizeOf(result.height), kDark);
    const Target out{bytes.data(), result.rowLength()};
    transformRows(in, out, source, transform);
    darkenPaddingBits(out, result);
    return EncodedRows{shareFileImage(std::move(bytes)), 0, static_cast<int>(result.stride),
                       result.height, rows.decoder};
}

} // namespace korvel
