#pragma once

// The glyphs of character codes 0..count-1 of one font placed in the cell that all glyphs of a
// font library share, whatever rasteriser drew them.

#include "core/fontlibrary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvel {

/// The strike of a bitmap font that glyphs come from: the one the font system matches for the
/// size asked, the nearest one when the font has none of exactly that size.
struct BitmapStrike {
    int askedPixels = 0;
    int usedPixels = 0;
};

/// The ink of one rendered glyph: the pixels the rasteriser lit, as a tight box placed relative
/// to the glyph's origin on the baseline (x to the right, y downwards, so rows above the
/// baseline have negative y).
struct GlyphInk {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    /// height rows of rowBytes() bytes, the leftmost pixel in a byte's most significant bit; a
    /// 1 bit is ink, and the bits right of width are 0.
    std::vector<std::uint8_t> bits;

    [[nodiscard]] bool empty() const { return width == 0 || height == 0; }
    [[nodiscard]] int rowBytes() const { return (width + 7) / 8; }
    [[nodiscard]] const std::uint8_t* row(int y) const {
        return bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(rowBytes());
    }
    [[nodiscard]] bool at(int x, int y) const { return (row(y)[x / 8] & (0x80U >> (x % 8))) != 0; }
};

/// Ink of the box from (minX, minY) to (maxX, maxY) of a drawing whose top-left pixel lies at
/// (left, top) from the origin, its bits all clear; empty when maxX is negative (no ink).
[[nodiscard]] GlyphInk clearInkOfBox(int left, int top, int minX, int minY, int maxX, int maxY);

/// The tight box of the ink in a drawing of width x height whose top-left pixel lies at
/// (left, top) from the origin; isInk(x, y) tells whether the drawing's pixel is lit.
template <class IsInk>
[[nodiscard]] GlyphInk tightInk(int width, int height, int left, int top, IsInk isInk) {
    int minX = width;
    int minY = height;
    int maxX = -1;
    int maxY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (isInk(x, y)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = y;
            }
        }
    }
    GlyphInk ink = clearInkOfBox(left, top, minX, minY, maxX, maxY);
    const auto rowBytes = static_cast<std::size_t>(ink.rowBytes());
    for (int y = 0; y < ink.height; ++y) {
        std::uint8_t* row = ink.bits.data() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < ink.width; ++x) {
            if (isInk(minX + x, minY + y)) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80U >> (x % 8));
            }
        }
    }
    return ink;
}

/// The tight box of the ink in a 1-bit drawing of width x rows pixels, pitch bytes a row, the
/// leftmost pixel in a byte's most significant bit and 1 lit, whose top-left pixel lies at
/// (left, top) from the origin. Works a byte at a time.
[[nodiscard]] GlyphInk tightInkOfBits(const std::uint8_t* buffer, int pitch, int width, int rows,
                                      int left, int top);

/// The cell all glyphs of one library share: the rows above and below the baseline.
struct GlyphCell {
    int ascent = 0;
    int descent = 0;

    [[nodiscard]] int height() const { return ascent + descent; }
};

/// One code's glyph as a rasteriser drew it: its advance width and its ink.
struct DrawnGlyph {
    int advance = 0;
    GlyphInk ink;
};

/// The glyphs of the character codes of one font in one code page.
class CodeGlyphs {
public:
    CodeGlyphs() = default;
    CodeGlyphs(const CodeGlyphs&) = delete;
    CodeGlyphs& operator=(const CodeGlyphs&) = delete;
    virtual ~CodeGlyphs() = default;

    /// The font's ascent and descent, rounded up to whole pixels.
    [[nodiscard]] virtual int ascent() const = 0;
    [[nodiscard]] virtual int descent() const = 0;
    /// The glyph of code's character (the font's missing-character glyph for a code without
    /// one), drawn unsmoothed at full size with every pixel wherever it lies.
    [[nodiscard]] virtual DrawnGlyph drawCode(int code) const = 0;
};

/// Codes 0..count-1 of a font rendered into one shared cell.
struct RenderedCodes {
    /// Slot code: width = advance, height = cell height, a 16-colour picture that is black except
    /// for the glyph's ink in pure red, its origin on the cell's baseline at x = 0.
    std::vector<GlyphRecord> glyphs;
    /// Covers the font's ascent and descent and the ink of every code rendered.
    GlyphCell cell;
    /// How many glyphs lost ink that lay left of their origin or right of their advance.
    int sidewaysCut = 0;
    std::optional<BitmapStrike> strike;
};

/// Draws codes 0..count-1 and places each glyph in the cell that holds the ink of them all.
[[nodiscard]] RenderedCodes renderCodesOf(const CodeGlyphs& font, int count);

/// What rendering a system font left to tell: glyphs whose ink was cut sideways by their
/// advance width, and the bitmap strike used when the family has no outlines.
struct SystemFontReport {
    int sidewaysCut = 0;
    std::optional<BitmapStrike> strike;
};

/// Makes the rendered glyphs slots 0..n-1 of library and n its glyph count; slots from n up
/// keep what they held.
SystemFontReport fillFontLibrary(FontLibrary& library, RenderedCodes rendered);

} // namespace korvel
