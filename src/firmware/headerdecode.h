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

/// One glyph as the header's bytes draw it: ink white on black. Rows and pages give the glyph's
/// own cell; an Adafruit GFX font gives a cell xAdvance wide and yAdvance tall with the glyph's
/// ink placed from the baseline the header was made with.
struct DecodedGlyph {
    int code = 0;
    Picture picture;
};

/// One bitmap as the header's bytes draw it, in palette colours.
struct DecodedBitmap {
    std::string name;
    Picture picture;
};

/// The glyphs of a font header made with options (their layout and bit options; the name is the
/// arrays' name) in the rows, pages or gfx layout; baseline is the one the gfx glyphs were
/// measured from, as resolveBaseline found it. Fails, saying what is missing or malformed, on
/// text that is no such header, and for the u8g2 and LVGL formats.
[[nodiscard]] Result<std::vector<DecodedGlyph>> decodeFontHeader(std::string_view text,
                                                                 const FontExportOptions& options,
                                                                 const Baseline& baseline = {});

/// The bitmaps of a bitmap header made with options.
[[nodiscard]] Result<std::vector<DecodedBitmap>>
decodeBitmapHeader(std::string_view text, const BitmapExportOptions& options);

} // namespace korvel
