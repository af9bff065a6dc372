#pragma once

// u8g2 fonts: the run-length format of u8g2's font files, with the glyph boxes and field sizes
// bdfconv chooses, so a font made here draws in u8g2 exactly as one that bdfconv made from the
// same glyphs.

#include "core/codepage.h"
#include "core/codeselection.h"
#include "core/fontlibrary.h"
#include "core/fontmetrics.h"
#include "core/result.h"

#include <cstdint>
#include <vector>

namespace korvel {

/// Which number a glyph is stored under in a u8g2 font.
enum class U8g2Encoding : std::uint8_t {
    Code,    ///< the library's 8-bit code, for drawStr
    Unicode, ///< the Unicode value of the code's character, for drawUTF8
};

/// The header fields of a u8g2 font, as its first 23 bytes hold them.
struct U8g2Header {
    int glyphCount = 0;
    int zeroBits = 0; ///< m0: bits of a run of background pixels
    int oneBits = 0;  ///< m1: bits of a run of ink pixels
    int widthBits = 0;
    int heightBits = 0;
    int xBits = 0;
    int yBits = 0;
    int advanceBits = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int boxX = 0;
    int boxY = 0;
    int ascentA = 0;
    int descentG = 0;
    int ascentParen = 0;
    int descentParen = 0;
};

/// A u8g2 font's bytes and the header they start with.
struct U8g2Font {
    U8g2Header header;
    std::vector<std::uint8_t> bytes;
};

/// Encodes the glyphs of codes (each inside the library) as a u8g2 font in bounding-box mode 0:
/// each glyph cropped to its ink, placed on the baseline, m0 and m1 chosen for the smallest font.
/// Under the Unicode encoding a code the code page gives no character is left out.
/// Fails naming the glyph whose record would pass 255 bytes or whose offsets or advance the
/// font's signed 8-bit fields cannot hold, and a font past u8g2's 16-bit offsets.
[[nodiscard]] Result<U8g2Font> encodeU8g2Font(const FontLibrary& library, const CodeList& codes,
                                              const Baseline& baseline, U8g2Encoding encoding,
                                              const CodePage& codePage = windows1252());

} // namespace korvel
