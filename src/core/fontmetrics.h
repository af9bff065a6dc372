#pragma once

// Where a font library's glyphs stand: the ink of each glyph, the baseline the font's letters sit
// on, and the ascent, descent and ink box that follow from it. The firmware formats and BDF place
// glyphs on this baseline, so descenders hang below it as the display libraries expect.

#include "core/fontlibrary.h"

#include <cstdint>
#include <optional>

namespace korvel {

/// Whether the pixel (x, y) of a glyph is ink; a glyph without a picture has none.
[[nodiscard]] bool inkAt(const GlyphRecord& glyph, int x, int y);

/// A glyph's width and height, negative sizes taken as 0.
[[nodiscard]] int widthOf(const GlyphRecord& glyph);
[[nodiscard]] int heightOf(const GlyphRecord& glyph);

/// The smallest rectangle holding a glyph's ink, in the glyph's own pixels; 0 x 0 at (0, 0) when
/// the glyph has no ink.
struct InkBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool empty() const { return width == 0; }
    [[nodiscard]] int bottom() const { return top + height; } ///< the row under the ink
};

[[nodiscard]] InkBox inkBoxOf(const GlyphRecord& glyph);

/// How an export chooses its baseline.
enum class BaselineRule : std::uint8_t {
    Auto, ///< under the ink of 'H' (else 'E', 'I', '1', 'x'); each glyph's bottom when none has ink
    Bottom, ///< each glyph's bottom edge
    Row,    ///< a given row, counted from the top of every glyph
};

struct BaselineChoice {
    BaselineRule rule = BaselineRule::Auto;
    int row = 0; ///< for BaselineRule::Row

    [[nodiscard]] static BaselineChoice at(int row) { return {BaselineRule::Row, row}; }
    [[nodiscard]] static BaselineChoice bottom() { return {BaselineRule::Bottom, 0}; }
};

/// A baseline found: a row counted from the top of every glyph, or each glyph's own bottom edge.
struct Baseline {
    std::optional<int> row;
    /// The code of the glyph whose ink gave the row under BaselineRule::Auto, if one did.
    std::optional<int> fromCode;

    /// The baseline's row inside the glyph: rows of the glyph above it.
    [[nodiscard]] int rowIn(const GlyphRecord& glyph) const {
        return row.value_or(heightOf(glyph));
    }
};

/// The codes whose ink gives the automatic baseline, in the order they are tried.
inline constexpr char kBaselineLetters[] = {'H', 'E', 'I', '1', 'x'};

/// The baseline the choice gives for the glyphs 0..count-1 of the library.
[[nodiscard]] Baseline resolveBaseline(const FontLibrary& library, const BaselineChoice& choice);

/// What `info --metrics` reports of a library: its baseline, the rows of its cell above and below
/// the baseline, and the box of all its ink measured from the baseline.
struct FontMetrics {
    Baseline baseline;
    int ascent = 0;  ///< rows above the baseline in the tallest glyph
    int descent = 0; ///< rows below it
    bool hasInk = false;
    int inkLeft = 0;  ///< leftmost ink column
    int inkRight = 0; ///< column after the rightmost ink
    int inkAbove = 0; ///< rows of ink above the baseline, at most
    int inkBelow = 0; ///< rows of ink below it, at most
};

[[nodiscard]] FontMetrics measureFont(const FontLibrary& library,
                                      const BaselineChoice& choice = {});

} // namespace korvel
