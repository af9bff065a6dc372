#pragma once

// Reading back a C header that export-c wrote: its arrays are parsed out of the text and their
// bytes decoded as a display library would, so what the header draws can be shown beside it.

#include "core/fontmetrics.h"
#include "core/picture.h"
#include "core/result.h"
#include "firmware/cexport.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// One glyph as the header's bytes draw it: ink white on black, in the cell the display library
/// gives it at the start of a line. Rows and pages give the glyph's own cell; an Adafruit GFX
/// font a cell xAdvance wide and yAdvance tall with the ink placed from the baseline the header
/// was made with; a u8g2 font a cell its advance wide and the font's box tall; an LVGL font a
/// cell its rounded advance wide and line_height tall.
struct DecodedGlyph {
    int code = 0; ///< the library's code, found through the code page for Unicode fonts
    Picture picture;
    /// The row of the picture under the baseline the ink stands on; for rows and pages, which
    /// know no baseline, the picture's height.
    int baseline = 0;
};

/// One bitmap as the header's bytes draw it, in palette colours.
struct DecodedBitmap {
    std::string name;
    Picture picture;
};

/// The glyphs of a font header made with options (their layout, bit options, u8g2 encoding and
/// code page; the name is the arrays' name), drawn as the display library draws them: u8g2 and
/// LVGL glyphs found through the font's own lookup, under the code its character has in the code
/// page. baseline is the one the gfx glyphs were measured from, as resolveBaseline found it
/// (u8g2 and LVGL fonts carry theirs). Fails, saying what is missing or malformed, on text that
/// is no such header.
[[nodiscard]] Result<std::vector<DecodedGlyph>> decodeFontHeader(std::string_view text,
                                                                 const FontExportOptions& options,
                                                                 const Baseline& baseline = {});

/// The bitmaps of a bitmap header made with options.
[[nodiscard]] Result<std::vector<DecodedBitmap>>
decodeBitmapHeader(std::string_view text, const BitmapExportOptions& options);

} // namespace korvel
