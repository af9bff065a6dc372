#pragma once

// Drawing a u8g2 font back from its bytes, as u8g2 itself reads them: the glyph found through
// u8g2's lookup, its bit fields and its run-length pairs read as u8g2_font_decode_glyph reads
// them. Written from u8g2's font format, independent of the encoder.

#include "core/picture.h"
#include "core/result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// One glyph of a u8g2 font as u8g2 draws it at the start of a line.
struct U8g2Drawn {
    int number = 0;   ///< the number the glyph is stored under (its 8-bit code or Unicode value)
    Picture picture;  ///< ink white on black, the glyph's advance wide and the font's box tall
    int baseline = 0; ///< the row of the picture under the baseline the glyph stands on
};

/// Every glyph of the font, in the order the font holds them. Each must be found by u8g2's own
/// lookup (the offsets of 'A' and 'a' into the 8-bit glyphs, the lookup table of the Unicode
/// ones), else u8g2 would draw nothing for it. Fails with a sentence on bytes too short for the
/// header or a glyph, a glyph u8g2 would not find, a field wider than u8g2 reads, and ink that
/// falls outside the glyph's cell.
[[nodiscard]] Result<std::vector<U8g2Drawn>> drawU8g2Font(std::span<const std::uint8_t> font);

} // namespace korvel
