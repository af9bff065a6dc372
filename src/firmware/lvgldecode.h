#pragma once

// Drawing an LVGL font back from its C text, as LVGL's lv_font_fmt_txt reads the structures:
// each character found through the character maps the way get_glyph_dsc_id finds it, its entry
// of glyph_dsc, its bits from glyph_bitmap. Written from LVGL's font structures, independent of
// the encoder.

#include "core/picture.h"
#include "core/result.h"
#include "firmware/ctext.h"

#include <string>
#include <vector>

namespace korvel {

/// One character of an LVGL font as a label draws it at the start of a line.
struct LvglDrawn {
    char32_t character = 0;
    Picture picture;  ///< ink white on black, the rounded advance wide and line_height tall
    int baseline = 0; ///< the row of the picture under the baseline (line_height - base_line)
};

/// Every character the character maps of the lv_font_t called name give, in Unicode order, each
/// drawn from the glyph LVGL finds for it: none for U+0000, which ends a text, and for U+0009 the
/// space at twice its advance, as LVGL 8.3 draws a tab (LVGL 9 draws no character below U+0020).
/// Fails with a sentence on structures the text lacks or cannot hold (values past the glyph table's
/// bit fields), a font of other than 1 bit per pixel uncompressed, a glyph id or bits outside their
/// arrays, and ink outside the cell.
[[nodiscard]] Result<std::vector<LvglDrawn>> drawLvglFont(const Tokens& tokens,
                                                          const std::string& name);

} // namespace korvel
