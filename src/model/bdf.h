#pragma once

// BDF 2.1 interchange of font libraries: the glyphs as the text format the bitmap-font world
// shares, and such a text read back into a glyph table.

#include "fontlibrary.h"
#include "result.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Limits a BDF text is read within, so that no value in it can make the reader run long or
/// allocate much.
inline constexpr std::size_t kBdfMaxTextSize = 64 * 1024 * 1024;
inline constexpr int kBdfMaxMetric = 4096;

/// Writes slots 0..count-1 as a BDF 2.1 font named fontName: one glyph per code with ENCODING
/// the code, DWIDTH and BBX the glyph's width and height, every glyph standing on the baseline
/// (FONT_DESCENT 0, FONT_ASCENT the tallest glyph). A pixel is ink when its red component is lit;
/// a slot without a picture is blank.
[[nodiscard]] std::string encodeBdf(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count,
                                    std::string_view fontName);

/// A font read from BDF text, with what the reader had to leave out.
struct BdfFont {
    FontLibrary library;
    /// Glyphs whose encoding lies outside 0..255 (or repeats an earlier one), not taken.
    int skipped = 0;
    /// One sentence per glyph whose ink fell outside its cell and was clipped.
    std::vector<std::string> warnings;
};

/// Reads BDF text into a glyph table: codes 0..255, each glyph's cell DWIDTH wide and
/// FONT_ASCENT + FONT_DESCENT tall with its bitmap placed by its BBX offsets from the baseline;
/// codes the font lacks become blank glyphs of the cell height and the font bounding box's width.
/// The count is 128 when every encoding taken is below 128, else 256. Fails, saying where and
/// why, on text that is not a BDF font, a malformed glyph, or a cell a library cannot store
/// (larger than 255 x 255). Glyph pictures are 24-bit, ink pure red on black.
[[nodiscard]] Result<BdfFont> decodeBdf(std::string_view text);

} // namespace korvel
