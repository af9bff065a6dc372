#include "core/picturetransform.h"

#include "core/encodedtransform.h"

#include <algorithm>
#include <cstddef>

namespace korvel {

namespace {

using Size = std::size_t;

[[nodiscard]] Size sizeOf(int value) {
    return static_cast<Size>(value);
}

/// A picture of width x height in the source's format, for the transform to fill.
[[nodiscard]] Picture blankLike(const Picture& source, int width, int height) {
    return Picture(width, height, source.format());
}

Picture flippedHorizontally(const Picture& source) {
    Picture result = blankLike(source, source.width(), source.height());
    for (int y = 0; y < source.height(); ++y) {
        const auto from = source.row(y);
        std::reverse_copy(from.begin(), from.end(), result.row(y).begin());
    }
    return result;
}

Picture flippedVertically(const Picture& source) {
    Picture result = blankLike(source, source.width(), source.height());
    for (int y = 0; y < source.height(); ++y) {
        const auto from = source.row(y);
        std::copy(from.begin(), from.end(), result.row(source.height() - 1 - y).begin());
    }
    return result;
}

Picture rotated180(const Picture& source) {
    Picture result = blankLike(source, source.width(), source.height());
    for (int y = 0; y < source.height(); ++y) {
        const auto from = source.row(y);
        std::reverse_copy(from.begin(), from.end(), result.row(source.height() - 1 - y).begin());
    }
    return result;
}

/// A quarter turn. Source and result are walked in square tiles so that both stay in the
/// cache: a plain column walk over a 1024-pixel-wide picture misses it on every pixel.
Picture quarterTurned(const Picture& source, bool clockwise) {
    const int w = source.width();
    const int h = source.height();
    Picture result = blankLike(source, h, w);
    if (source.isEmpty()) {
        return result;
    }
    const Rgb* from = source.row(0).data();
    Rgb* to = result.row(0).data();
    constexpr int kTile = 32;
    for (int top = 0; top < h; top += kTile) {
        const int bottom = std::min(h, top + kTile);
        for (int left = 0; left < w; left += kTile) {
            const int right = std::min(w, left + kTile);
            for (int y = top; y < bottom; ++y) {
                const Rgb* line = from + sizeOf(y) * sizeOf(w);
                for (int x = left; x < right; ++x) {
                    // Clockwise, (x, y) goes to (h - 1 - y, x); counter-clockwise to
                    // (y, w - 1 - x). The result is h wide.
                    const int tx = clockwise ? h - 1 - y : y;
                    const int ty = clockwise ? x : w - 1 - x;
                    to[sizeOf(ty) * sizeOf(h) + sizeOf(tx)] = line[x];
                }
            }
        }
    }
    return result;
}

Picture shifted(const Picture& source, int dx, int dy) {
    // A new picture is background (black) already; the source is drawn one place off.
    Picture result = blankLike(source, source.width(), source.height());
    result.draw(source, dx, dy);
    return result;
}

Picture inverted(const Picture& source, PictureKind kind) {
    Picture result = blankLike(source, source.width(), source.height());
    for (int y = 0; y < source.height(); ++y) {
        const auto from = source.row(y);
        std::transform(from.begin(), from.end(), result.row(y).begin(),
                       [kind](Rgb c) { return invertedColour(c, kind); });
    }
    return result;
}

} // namespace

std::optional<PictureTransform> inverseOf(PictureTransform transform) {
    switch (transform) {
    case PictureTransform::FlipHorizontally:
    case PictureTransform::FlipVertically:
    case PictureTransform::Rotate180:
        return transform;
    case PictureTransform::RotateClockwise:
        return PictureTransform::RotateCounterClockwise;
    case PictureTransform::RotateCounterClockwise:
        return PictureTransform::RotateClockwise;
    default:
        return std::nullopt;
    }
}

Picture transformed(const Picture& picture, PictureTransform transform, PictureKind kind) {
    // A picture still held as the rows of its library file is transformed in those rows, a bit
    // a pixel and plane, and the result stays encoded: neither picture's pixels are decoded.
    if (const EncodedRows* rows = picture.encodedRows();
        rows != nullptr && !picture.isEmpty() && transformsEncoded(transform, kind, *rows)) {
        const bool swap = swapsSides(transform);
        return Picture(
            swap ? picture.height() : picture.width(), swap ? picture.width() : picture.height(),
            transformedRows(*rows, picture.width(), picture.height(), transform), picture.format());
    }
    switch (transform) {
    case PictureTransform::FlipHorizontally:
        return flippedHorizontally(picture);
    case PictureTransform::FlipVertically:
        return flippedVertically(picture);
    case PictureTransform::RotateClockwise:
        return quarterTurned(picture, true);
    case PictureTransform::RotateCounterClockwise:
        return quarterTurned(picture, false);
    case PictureTransform::Rotate180:
        return rotated180(picture);
    case PictureTransform::ShiftUp:
        return shifted(picture, 0, -1);
    case PictureTransform::ShiftDown:
        return shifted(picture, 0, 1);
    case PictureTransform::ShiftLeft:
        return shifted(picture, -1, 0);
    case PictureTransform::ShiftRight:
        return shifted(picture, 1, 0);
    case PictureTransform::Invert:
        return inverted(picture, kind);
    case PictureTransform::Clear:
        break;
    }
    return blankLike(picture, picture.width(), picture.height());
}

} // namespace korvel
