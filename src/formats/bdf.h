#pragma once

// BDF 2.1 interchange of font libraries: the glyphs as the text format the bitmap-font world
// shares, and such a text read back into a glyph table.

#include "core/codepage.h"
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
/// one glyph per code, ENCODING the Unicode value of the code's character in page (-1 for a code
/// the page leaves undefined and for C1 control characters; an undefined code below 0xA0 keeps a
/// "uniXXXX" name, one above is named "code" and its number), STARTCHAR its standard glyph name,
/// DWIDTH the glyph's width, BBX its size (0 0 0 0 for a glyph without pixels) and its bottom row
/// measured from the baseline. With a baseline row, every glyph has that many rows above it:
/// FONT_ASCENT the row, FONT_DESCENT the rest of the tallest glyph, so descenders hang below the
/// baseline. Without one (the default), every glyph stands on the baseline with its bottom edge:
/// FONT_DESCENT 0, FONT_ASCENT the tallest glyph. A pixel is ink when its red component is lit; a
/// slot without a picture is blank.
[[nodiscard]] std::string encodeBdf(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count,
                                    std::string_view fontName, const Baseline& baseline = {},
                                    const CodePage& page = windows1252());

/// How the reader sizes each glyph's cell.
enum class BdfCell : std::uint8_t {
    /// Tall enough for FONT_ASCENT, FONT_DESCENT and every imported glyph's bounding box on one
    /// baseline, and wide enough for the glyph's DWIDTH and its box: no ink is lost.
    KeepInk,
    /// FONT_ASCENT + FONT_DESCENT tall and DWIDTH wide; ink outside is clipped with a warning.
    Clip,
};

/// Which codes a font's glyphs land on.
struct BdfCodes {
    /// The library's code page: Unicode and ISO 8859-1 glyphs go to the codes of their characters
    /// in it.
    CodePage page;
    /// Whether a font in another 8-bit code page Korvel knows (KOI8-R, ISO8859-2, ...) is read
    /// through that page's table into Unicode and then into page; otherwise its codes are taken
    /// as they are.
    bool throughCharsetTable = false;
};

/// A font read from BDF text, with what the reader had to leave out or assume.
struct BdfFont {
    FontLibrary library;
    /// Glyphs without a code in the library's code page (or repeating an earlier one), not taken.
    int skipped = 0;
    /// The font's character set as REGISTRY-ENCODING ("ISO10646-1"), empty when it names none.
    std::string charset;
    /// True when the character set is neither Unicode, ISO 8859-1 nor the library's code page and
    /// was not read through its own table, so the glyphs' codes were taken as they are.
    bool codesTakenAsTheyAre = false;
    /// True when the glyphs' codes were read through the character set's own code page.
    bool readThroughCharset = false;
    /// One sentence per glyph whose ink fell outside its cell and was clipped.
    std::vector<std::string> warnings;
};

/// Reads BDF text into a glyph table. Unicode and ISO 8859-1 fonts land on the codes of their
/// characters in the code page of codes (a glyph with ENCODING -1 by its standard glyph name, or
/// by a name "code170" as encodeBdf gives a code without a character, to that code when the page
/// leaves it without one too);
/// fonts of another 8-bit code page go through its table when codes asks so, and fonts of other
/// character sets keep their codes 0..255. Each glyph's cell is sized as cell says, with
/// one baseline for all; codes the font lacks become blank glyphs (no picture) of the cell
/// height and the font bounding box's width. The count is 128 when every code taken is below
/// 128, else 256; a font without glyphs gives an empty library. Fails, saying where and why, on
/// text that is not a whole BDF font, a malformed glyph (a BITMAP with more or fewer rows than
/// its BBX), a font with glyphs of which none has a code in the code page, a cell a library
/// cannot store (larger than 255 x 255), or cells of more pixels than the text's size allows.
/// Glyph pictures are 24-bit, ink pure red on black.
[[nodiscard]] Result<BdfFont> decodeBdf(std::string_view text, BdfCell cell = BdfCell::KeepInk,
                                        const BdfCodes& codes = {});

/// What a reader of the font is told about it, one sentence each: how its codes were taken when
/// its character set is none of the three, a warning per clipped glyph, and how many glyphs
/// were skipped. korvel-cli prints them, the editor shows them in one message.
[[nodiscard]] std::vector<std::string> bdfReadNotes(const BdfFont& font,
                                                    std::string_view pageCaption = "Windows-1252");

} // namespace korvel
