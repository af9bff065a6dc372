#pragma once

// Rendering the character codes of an installed system font into glyph pictures, and the list of
// the families that can be rendered.
//
// Needs a QGuiApplication (or QApplication) to exist, since fonts come from the platform's font
// database; it uses nothing of the widget toolkit, so a command-line tool can call it as well.

#include "core/codepage.h"
#include "core/fontlibrary.h"
#include "typeface/glyphcell.h"
#include "typeface/outlinefont.h"

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace korvel {

/// The font that the setup preview shows: family at points (96 dpi), without smoothing and with
/// full hinting. An empty family is handed to Qt as it is, which then picks its default font.
[[nodiscard]] QFont glyphFont(const QString& family, int points);

/// The installed font families by the names users know, each once, sorted without regard to
/// letter case, without names holding "@". Qt names a family that several foundries provide
/// "Family [foundry]" once per foundry; those become the one plain family name. Generic names
/// that no installed font file carries ("Sans Serif") are left out.
[[nodiscard]] QStringList installedFamilies();

/// The installed family (as installedFamilies spells it) that equals name in any letter case.
[[nodiscard]] std::optional<QString> findInstalledFamily(const QString& name);

/// Up to limit installed families closest to name, closest first: families whose name holds it
/// or is held in it (in any letter case) before the others, then by edit distance.
[[nodiscard]] QStringList closestFamilies(const QString& name, int limit = 3);

/// Measures and draws character codes 0..255 of a code page in one font, each as the font's own
/// glyph for the character (a tab or a control code is not laid out as text, and a character the
/// font lacks shows its missing-character box); build it once for a whole library, since setting
/// up the font is the costly part.
///
/// An outline font that fontconfig finds is drawn by FreeType, as korvel-cli draws it without
/// Qt, so the editor and the command line make the same library; bitmap fonts, symbol fonts and
/// families fontconfig does not know are drawn by Qt.
class GlyphRenderer final : public CodeGlyphs {
public:
    GlyphRenderer(const QString& family, int points, const CodePage& page = windows1252());
    ~GlyphRenderer() override;

    [[nodiscard]] int ascent() const override;
    [[nodiscard]] int descent() const override;
    [[nodiscard]] DrawnGlyph drawCode(int code) const override;
    /// The advance width of the one-character text of code, in pixels (0 for none).
    [[nodiscard]] int advance(int code) const;
    /// The sum of the advances of the characters of text, each drawn as a glyph of its own.
    [[nodiscard]] int textAdvance(const QString& text) const;
    /// Every pixel of code's glyph drawn unsmoothed at full size, wherever it lies.
    [[nodiscard]] GlyphInk ink(int code) const;
    /// The characters of text side by side, each its own glyph on the cell's baseline, white on
    /// black and unsmoothed: textAdvance(text) x the cell's height.
    [[nodiscard]] QImage textPicture(const QString& text, const GlyphCell& cell) const;
    /// The strike in use when the family is a bitmap font without outlines.
    [[nodiscard]] const std::optional<BitmapStrike>& strike() const { return strike_; }
    /// Whether FreeType draws the glyphs (an outline font fontconfig found).
    [[nodiscard]] bool drawsOutlines() const { return outline_ != nullptr; }

private:
    [[nodiscard]] quint32 glyphOf(const QString& character) const;
    [[nodiscard]] int advanceOfGlyph(quint32 glyph) const;
    [[nodiscard]] GlyphInk inkOfGlyph(quint32 glyph) const;
    [[nodiscard]] DrawnGlyph drawCharacter(char32_t character) const;

    std::unique_ptr<OutlineFont> outline_;
    QRawFont font_;
    std::optional<BitmapStrike> strike_;
    CodePage page_;
};

/// Renders codes 0..count-1 of family at points; the setup preview's height comes from the same
/// cell, so it is the height the glyphs get.
[[nodiscard]] RenderedCodes renderCodes(const QString& family, int points, int count,
                                        const CodePage& page = windows1252());

} // namespace korvel
