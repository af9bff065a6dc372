#pragma once

// What the setup dialog makes, as plain functions the editor and the command-line tool share:
// a new font library (rendered in a system font or blank) and the check of a new bitmap name.

#include "core/bitmaplibrary.h"
#include "core/codepage.h"
#include "core/fontlibrary.h"
#include "core/result.h"
#include "document/glyphrender.h"

#include <QString>

#include <vector>

namespace korvel {

/// Fills slots 0..count-1 with the codes rendered in family at points (the "System Font" face),
/// all in one cell that holds every glyph's ink from top to bottom, and sets the glyph count;
/// slots from count up keep what they held. Needs a QGuiApplication.
SystemFontReport renderSystemFont(FontLibrary& library, const QString& family, int points,
                                  int count, const CodePage& page = windows1252());

/// Checks a new bitmap name as typed against the library's name index, in the index's code page.
/// The checks are made in this order: nothing but spaces and control characters (Refused), a
/// name an entry already has in any letter case (Duplicate), longer than 8 characters or a
/// character the code page lacks (Refused). The message is the one the user is shown.
[[nodiscard]] Result<void> checkBitmapName(const QString& name, const NameIndex& index);

/// The names the frames of an animation take as new bitmaps: base1, base2, ... up to count.
[[nodiscard]] std::vector<QString> frameNames(const QString& base, int count);

/// The longest bitmap name, in single-byte characters of its code page.
inline constexpr int kBitmapNameLength = 8;

} // namespace korvel
