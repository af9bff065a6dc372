#pragma once

// An installed outline font drawn by FreeType, unsmoothed and fully hinted: the pixels a
// monochrome display shows of it.

#include "core/codepage.h"
#include "typeface/fontmatch.h"
#include "typeface/glyphcell.h"

#include <memory>

namespace korvel {

/// Pixels of a font size in points at 96 dots per inch, rounded to the nearest pixel.
[[nodiscard]] int pointsToPixels(int points);

/// One face of an outline font at one pixel size, drawing the characters of a code page.
class OutlineFont final : public CodeGlyphs {
public:
    /// The face at pixels, or none when it cannot be read, is not scalable or has no Unicode
    /// character map (a symbol font's glyphs are not the characters of a code page).
    [[nodiscard]] static std::unique_ptr<OutlineFont> open(const FontFace& face, int pixels,
                                                           const CodePage& page = windows1252());
    ~OutlineFont() override;

    [[nodiscard]] int ascent() const override;
    [[nodiscard]] int descent() const override;
    [[nodiscard]] DrawnGlyph drawCode(int code) const override;
    /// The glyph of a character, the font's missing-character glyph (0) when it has none.
    [[nodiscard]] DrawnGlyph drawCharacter(char32_t character) const;

private:
    struct Faces;
    OutlineFont(std::unique_ptr<Faces> faces, const CodePage& page);

    [[nodiscard]] unsigned glyphOf(char32_t character) const;
    [[nodiscard]] DrawnGlyph drawGlyph(unsigned glyph) const;

    std::unique_ptr<Faces> faces_;
    CodePage page_;
};

} // namespace korvel
