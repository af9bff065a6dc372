#pragma once

// Whole-picture transforms worked on the encoded rows of a picture read from a library file, so
// that a picture still held encoded is transformed without ever being decoded: an encoded row
// holds one bit per pixel and plane, a 24th of the decoded pixel bytes.

#include "core/encodedrows.h"
#include "core/picturetransform.h"

namespace korvel {

/// Whether the transform of a picture of this kind can be worked on rows of this encoding. Every
/// transform that moves pixels or clears them can; Invert only where the encoding's bits are the
/// kind's own (ink bits in a glyph, colour planes in a bitmap), as other pairings invert into
/// colours the encoding has no bits for.
[[nodiscard]] bool transformsEncoded(PictureTransform transform, PictureKind kind,
                                     RowEncoding encoding);

/// The rows of width x height pixels after the transform, in the same encoding, in a file image
/// of their own: paddedBytes of the new width a row and plane, the bits right of the width dark,
/// every row there, as the library writers pack them (so a writer copies them as they are).
/// Decoded, they are the pixels the transform gives for the decoded source. Pixels the source
/// rows do not carry count as black, as they decode. Width and height must be above 0.
[[nodiscard]] EncodedRows transformedRows(const EncodedRows& rows, int width, int height,
                                          PictureTransform transform);

} // namespace korvel
