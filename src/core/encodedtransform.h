#pragma once

// Whole-picture transforms worked on the encoded rows of a picture read from a library file, so
// that a picture still held encoded is transformed without ever being decoded: an encoded row
// holds one bit per pixel and plane, a 24th of the decoded pixel bytes.

#include "core/encodedrows.h"
#include "core/picturetransform.h"

namespace korvel {

/// Whether the transform of a picture of this kind can be worked on these rows: rows laid out as
/// bit planes (EncodedRowDecoder::bitPlanes). Every transform that moves pixels or clears them
/// can; Invert only where the planes are the kind's own (the one ink plane of a glyph, the red,
/// green and blue planes of a bitmap), as other pairings invert into colours the rows have no
/// bits for.
[[nodiscard]] bool transformsEncoded(PictureTransform transform, PictureKind kind,
                                     const EncodedRows& rows);

/// The rows of width x height pixels after the transform, laid out as the source rows (same
/// decoder), in a file image of their own: paddedBytes of the new width a row and plane, the
/// bits right of the width dark, every row there, as the library writers pack them (so a writer
/// copies them as they are). Decoded, they are the pixels the transform gives for the decoded
/// source. Pixels the source rows do not carry count as black, as they decode. Needs
/// transformsEncoded, and width and height above 0.
[[nodiscard]] EncodedRows transformedRows(const EncodedRows& rows, int width, int height,
                                          PictureTransform transform);

} // namespace korvel
