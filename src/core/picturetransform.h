#pragma once

// Whole-picture edits of a glyph or bitmap: flips, rotations, one-pixel shifts, invert, clear.

#include "core/picture.h"

#include <array>
#include <optional>
#include <string_view>

namespace korvel {

/// What a picture's colours mean: glyph pixels are ink or background, bitmap pixels carry
/// three channels, each lit or dark.
enum class PictureKind { Glyph, Bitmap };

/// One whole-picture edit.
enum class PictureTransform {
    FlipHorizontally,
    FlipVertically,
    RotateClockwise,
    RotateCounterClockwise,
    Rotate180,
    ShiftUp,
    ShiftDown,
    ShiftLeft,
    ShiftRight,
    Invert,
    Clear,
};

/// Every transform in menu order, with its caption.
struct TransformName {
    PictureTransform transform;
    std::string_view caption;
};
inline constexpr std::array<TransformName, 11> kTransformNames{{
    {PictureTransform::FlipHorizontally, "Flip Horizontally"},
    {PictureTransform::FlipVertically, "Flip Vertically"},
    {PictureTransform::RotateClockwise, "Rotate 90\u00b0 Clockwise"},
    {PictureTransform::RotateCounterClockwise, "Rotate 90\u00b0 Counter-clockwise"},
    {PictureTransform::Rotate180, "Rotate 180\u00b0"},
    {PictureTransform::ShiftUp, "Shift Up"},
    {PictureTransform::ShiftDown, "Shift Down"},
    {PictureTransform::ShiftLeft, "Shift Left"},
    {PictureTransform::ShiftRight, "Shift Right"},
    {PictureTransform::Invert, "Invert"},
    {PictureTransform::Clear, "Clear"},
}};

/// Whether the transform swaps width and height (the quarter turns).
[[nodiscard]] constexpr bool swapsSides(PictureTransform transform) {
    return transform == PictureTransform::RotateClockwise ||
           transform == PictureTransform::RotateCounterClockwise;
}

/// The transform that undoes this one pixel for pixel, for those that only move pixels; the
/// others (shifts, invert, clear) lose information and have none.
[[nodiscard]] std::optional<PictureTransform> inverseOf(PictureTransform transform);

/// The background colour of a picture kind: black for both.
[[nodiscard]] constexpr Rgb backgroundOf(PictureKind) {
    return kBlack;
}

/// The colour a pixel becomes under Invert: a glyph's ink turns background and its background
/// pure red ink; a bitmap pixel has each channel turned lit (255) or dark (0) by the lit rule.
[[nodiscard]] constexpr Rgb invertedColour(Rgb c, PictureKind kind) {
    if (kind == PictureKind::Glyph) {
        return isInk(c) ? kBlack : kRed;
    }
    const auto flip = [](std::uint8_t channel) -> std::uint8_t { return isLit(channel) ? 0 : 255; };
    return makeRgb(flip(redOf(c)), flip(greenOf(c)), flip(blueOf(c)));
}

/// The picture after the transform; the source is left as it was. The result keeps the
/// source's pixel format. Shifts move every pixel one place: what leaves the picture is lost,
/// what enters is background. A picture still held as its library file's encoded rows is
/// transformed in those rows (core/encodedtransform.h) and gives a picture held encoded, so
/// that neither is decoded.
[[nodiscard]] Picture transformed(const Picture& picture, PictureTransform transform,
                                  PictureKind kind);

} // namespace korvel
