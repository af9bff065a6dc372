#pragma once

// LVGL fonts: the lv_font_fmt_txt C structures that lv_font_conv writes, at 1 bit per pixel
// without compression, for LVGL 8.3 and 9.x from one file.

#include "core/codepage.h"
#include "core/codeselection.h"
#include "core/fontlibrary.h"
#include "core/fontmetrics.h"
#include "core/result.h"

#include <cstdint>
#include <vector>

namespace korvel {

/// One glyph's entry of glyph_dsc: where its bits start, its advance in 1/16 pixels, its ink box
/// and the box's offsets (left column from the origin, bottom row from the baseline, upwards).
struct LvglGlyph {
    int code = 0;         ///< the library's code
    char32_t unicode = 0; ///< the character it is found under
    std::size_t bitmapIndex = 0;
    int advance16 = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
};

/// One character map: a run of characters found by position (FORMAT0_TINY) or a sorted list of
/// characters searched (SPARSE_TINY), each mapping to consecutive glyph ids.
struct LvglCmap {
    char32_t rangeStart = 0;
    int rangeLength = 0;
    int glyphIdStart = 0;
    bool sparse = false;
    std::vector<int> unicodeOffsets; ///< sparse only: each character minus rangeStart
};

struct LvglFont {
    std::vector<std::uint8_t> bitmap;
    std::vector<LvglGlyph> glyphs; ///< glyph ids 1, 2, ... in Unicode order
    std::vector<LvglCmap> cmaps;
    int lineHeight = 0;
    int baseLine = 0; ///< rows from the bottom of the line up to the baseline
    int underlinePosition = 0;
    int underlineThickness = 1;
};

/// The glyphs of codes (each inside the library) as an LVGL font, found under the Unicode values
/// of their characters in the code page; a code without a character is left out. Fails naming
/// the glyph a field of LVGL's glyph table cannot hold (bitmap offsets up to 2^20, offsets -128
/// to 127).
[[nodiscard]] Result<LvglFont> encodeLvglFont(const FontLibrary& library, const CodeList& codes,
                                              const Baseline& baseline,
                                              const CodePage& codePage = windows1252());

} // namespace korvel
