#pragma once

// BDF 2.1 interchange of font libraries: the glyphs as the text format the bitmap-font world
// shares, and such a text read back into a glyph table.

#include "core/fontlibrary.h"
#include "core/fontmetrics.h"
#include "core/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Limits a BDF text is read within, so that no value in it can make the reader run long or
/// allocate much.
inline constexpr std::size_t kBdfMaxTextSize = 64 * 1024 * 1024;
inline constexpr int kBdfMaxMetric = 4096;
/// The pixels of the imported glyphs' cells may total this many, plus kBdfPixelsPerByte for
/// each byte of the text: a few bytes of text cannot claim megabytes of pictures.
inline constexpr std::size_t kBdfBasePixels = std::size_t{1} << 20;
inline constexpr std::size_t kBdfPixelsPerByte = 64;

/// Writes slots 0..count-1 as a Unicode (ISO10646-1) BDF 2.1 font whose family is fontName:
/// one glyph per code, ENCODING the Unicode value of the code's Windows-1252 character (-1 for
/// the five codes Windows-1252 leaves undefined, which keep a "uniXXXX" name), STARTCHAR its
/// standard glyph name, DWIDTH the glyph's width, BBX its size (0 0 0 0 for a glyph without
/// pixels) and its bottom row measured from the baseline. With a baseline row, every glyph has
/// that many rows above it: FONT_ASCENT the row, FONT_DESCENT the rest of the tallest glyph, so
/// descenders hang below the baseline. Without one (the default), every glyph stands on the
/// baseline with its bottom edge: FONT_DESCENT 0, FONT_ASCENT the tallest glyph. A pixel is ink
/// when its red component is lit; a slot without a picture is blank.
[[nodiscard]] std::string encodeBdf(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count,
                                    std::string_view fontName, const Baseline& baseline = {});

/// How the reader sizes each glyph's cell.
enum class BdfCell : std::uint8_t {
    /// Tall enough for FONT_ASCENT, FONT_DESCENT and every imported glyph's bounding box on one
    /// baseline, and wide enough for the glyph's DWIDTH and its box: no ink is lost.
    KeepInk,
    /// FONT_ASCENT + FONT_DESCENT tall and DWIDTH wide; ink outside is clipped with a warning.
    Clip,
};

/// A font read from BDF text, with what the reader had to leave out or assume.
struct BdfFont {
    FontLibrary library;
    /// Glyphs without a Windows-1252 code (or repeating an earlier one), not taken.
    int skipped = 0;
    /// The font's character set as REGISTRY-ENCODING ("ISO10646-1"), empty when it names none.
    std::string charset;
    /// True when the character set is neither Unicode, ISO 8859-1 nor Windows-1252, so the
    /// glyphs' codes were taken as Windows-1252 codes as they are.
    bool codesTakenAsTheyAre = false;
    /// One sentence per glyph whose ink fell outside its cell and was clipped.
    std::vector<std::string> warnings;
};

/// Reads BDF text into a glyph table. Unicode and ISO 8859-1 fonts land on the Windows-1252
/// codes of their characters (a glyph with ENCODING -1 by its standard glyph name); fonts of
/// other character sets keep their codes 0..255. Each glyph's cell is sized as cell says, with
/// one baseline for all; codes the font lacks become blank glyphs (no picture) of the cell
/// height and the font bounding box's width. The count is 128 when every code taken is below
/// 128, else 256; a font without glyphs gives an empty library. Fails, saying where and why, on
/// text that is not a whole BDF font, a malformed glyph (a BITMAP with more or fewer rows than
/// its BBX), a font with glyphs of which none has a Windows-1252 code, a cell a library cannot
/// store (larger than 255 x 255), or cells of more pixels than the text's size allows. Glyph
/// pictures are 24-bit, ink pure red on black.
[[nodiscard]] Result<BdfFont> decodeBdf(std::string_view text, BdfCell cell = BdfCell::KeepInk);

} // namespace korvel
