#pragma once

// A glyph's or bitmap's picture on the system clipboard: as a standard image for other
// programs, and under Korvel's own type with its exact pixels.

#include "core/picture.h"
#include "core/picturetransform.h"
#include "core/result.h"
#include "formats/lcm.h"

#include <QString>

#include <memory>

class QMimeData;

namespace korvel {

/// Korvel's own clipboard type: the library kind, width and height, then the pixels.
inline const QString kPictureMimeType = QStringLiteral("application/x-korvel-picture");

/// The largest picture an entry of a kind may take: for a glyph what a font library file holds,
/// for a bitmap what the setup dialog allows.
struct SideLimits {
    int width = 0;
    int height = 0;
};
[[nodiscard]] constexpr SideLimits sideLimitsOf(PictureKind kind) {
    return kind == PictureKind::Glyph ? SideLimits{kLcmMaxSide, kLcmMaxSide}
                                      : SideLimits{1024, 512};
}

/// Clipboard data for picture, taken from a library of kind.
[[nodiscard]] std::unique_ptr<QMimeData> pictureMimeData(const Picture& picture, PictureKind kind);

/// Whether the data holds a picture at all (Korvel's own or any image).
[[nodiscard]] bool holdsPicture(const QMimeData* data);

/// The picture in the clipboard data, ready for an entry of kind: Korvel's own pixels stay exact
/// when they come from the same kind of library; an image of another program, or pixels from
/// the other kind, take the colours the file writers would make of them (ink or background
/// for glyphs, one of the eight palette colours for bitmaps). Fails, saying why, on no data,
/// data that is no picture, a picture without pixels, or one larger than the kind allows.
[[nodiscard]] Result<Picture> pictureFromMimeData(const QMimeData* data, PictureKind kind);

/// The colour a pixel takes in a library of kind, by the file writers' rule.
[[nodiscard]] Rgb writtenColour(Rgb colour, PictureKind kind);

} // namespace korvel
