#pragma once

// Rendering one character code in an installed system font into a glyph picture.
//
// Needs a QGuiApplication (or QApplication) to exist, since fonts come from the platform's font
// database; it uses nothing of the widget toolkit, so a command-line tool can call it as well.

#include "fontlibrary.h"

#include <QFont>
#include <QRawFont>
#include <QString>

namespace korvel {

/// Pixels of a font size in points at 96 dots per inch, rounded to the nearest pixel.
[[nodiscard]] int pointsToPixels(int points);

/// The font that glyphs and the setup preview use: family at points (96 dpi), without smoothing
/// and with full hinting, so the same font gives the same pixels run after run. An empty family
/// is handed to Qt as it is, which then picks its default font.
[[nodiscard]] QFont glyphFont(const QString& family, int points);

/// Measures and draws character codes 0..255 (Windows-1252) in one font, each as the font's own
/// glyph for the character (a tab or a control code is not laid out as text, and a character the
/// font lacks shows its missing-character box); build it once for a whole library, since setting
/// up the font is the costly part.
class GlyphRenderer {
public:
    GlyphRenderer(const QString& family, int points);

    /// The height of the font's character cell (ascent plus descent) in pixels.
    [[nodiscard]] int cellHeight() const;
    /// The advance width of the one-character text of code, in pixels (0 for none).
    [[nodiscard]] int advance(int code) const;
    /// Slot code of a glyph table: width = advance, height = cell height, and a 16-colour
    /// picture that is black except for the character in pure red, its cell's top-left at (0, 0).
    [[nodiscard]] GlyphRecord render(int code) const;

private:
    [[nodiscard]] quint32 glyphOf(int code) const;

    QRawFont font_;
};

} // namespace korvel
