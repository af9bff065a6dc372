#pragma once

#include "core/bitmaplibrary.h"
#include "core/bits.h"
#include "core/codepage.h"
#include "core/codeselection.h"
#include "core/fontlibrary.h"
#include "core/fontmetrics.h"
#include "core/result.h"
#include "firmware/u8g2font.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace korvel {

/// How a font's glyphs are laid out as bytes in the C source.
enum class FontLayout : std::uint8_t {
    Rows,  ///< rows top to bottom, each padded to whole bytes
    Pages, ///< 8 pixels of a column per byte (top in bit 0), columns left to right, pages downwards
    Gfx,   ///< Adafruit GFX fonts: ink box only, bits continuous, most significant first
    U8g2,  ///< u8g2 fonts: ink box only, run-length coded, as bdfconv writes them
    Lvgl,  ///< LVGL fonts: lv_font_fmt_txt at 1 bit per pixel, as lv_font_conv writes them
};

/// What makes a font header: the layout, its bit options, the codes and the names.
struct FontExportOptions {
    FontLayout layout = FontLayout::Rows;
    BitOrder bitOrder = BitOrder::MsbFirst; ///< rows only
    bool inkIsOne = true;                   ///< rows and pages: the bit value of a lit pixel
    /// The codes to export; none means every code of the library.
    std::optional<CodeList> codes;
    /// Gfx, u8g2 and LVGL: the baseline the glyphs stand on.
    BaselineChoice baseline;
    U8g2Encoding encoding = U8g2Encoding::Code; ///< u8g2 only
    /// The characters the codes stand for: what --chars maps through, what u8g2's Unicode
    /// encoding and LVGL find glyphs by, what the comments name and NAME_code maps UTF-8 to.
    CodePage codePage;
    std::string name;   ///< the C identifier the arrays are named from
    std::string source; ///< the library's file name, for the comment at the top
};

/// How a bitmap library's pixels are laid out as bytes in the C source.
enum class BitmapPixel : std::uint8_t {
    Rgb565, ///< two bytes per pixel, 5 bits red, 6 green, 5 blue
    Rgb111, ///< three bits per pixel (red, green, blue), packed continuously
    Planes, ///< three bit planes (red, green, blue), each in the rows layout of fonts
};

enum class ByteOrder : std::uint8_t { Big, Little };

/// What makes a bitmap header: the pixel format, its options and the names.
struct BitmapExportOptions {
    BitmapPixel pixel = BitmapPixel::Rgb565;
    ByteOrder byteOrder = ByteOrder::Big;   ///< rgb565 only
    BitOrder bitOrder = BitOrder::MsbFirst; ///< planes only
    bool litIsOne = true;                   ///< planes only: the bit value of a lit channel
    std::string name;
    std::string source;
};

/// Whether text can name the arrays: a C identifier that starts with a letter, has no "__" and
/// does not end in "_" (so no name made from it is reserved and its include guard cannot meet a
/// system header's), and is no C or C++ keyword nor a name of <stdint.h> (its types and limit
/// macros), Adafruit GFX or the compiler (linux, unix). An LVGL font has more rules
/// (checkLvglFontName).
[[nodiscard]] bool isArrayName(std::string_view text);

/// Whether text is a name an LVGL font file gives its own arrays: glyph_bitmap, glyph_dsc,
/// unicode_list_0, ..., cmaps, font_dsc or cache.
[[nodiscard]] bool isLvglFileName(std::string_view text);

/// A default array name made a name for an LVGL font: itself when it can name one, else with
/// "font_" in front (a library called cmaps.lcm or null.lcm gives font_cmaps, font_null).
[[nodiscard]] std::string lvglDefaultName(const std::string& name);

/// A file's base name made an array name: every other byte becomes "_", runs of "_" become one
/// and those at the ends go; prefix goes in front when that is no array name (empty, starting
/// with a digit, a keyword).
[[nodiscard]] std::string arrayNameFromFileName(std::string_view stem, std::string_view prefix);

/// Bytes as a C string literal: printable ASCII as itself (with \", \\ and \? escaped), every
/// other byte as a three-digit octal escape, so the bytes come back exactly.
[[nodiscard]] std::string cStringLiteral(std::string_view bytes);

/// One row of the font formats export-c writes: the word of --format, the layout, and what it is.
struct FontFormat {
    std::string_view word;
    FontLayout layout;
    std::string_view description;
};

/// The font formats, in the order they are offered. "plain" stands for the rows and the pages
/// layouts, which --layout chooses between.
[[nodiscard]] std::span<const FontFormat> fontFormats();

/// A self-contained C99/C++ file with the glyphs of a font library in the chosen layout. Fails
/// with a sentence for an empty library, codes outside it, a name that is no identifier, and a
/// glyph the layout cannot describe. Every font header ends with NAME_code, which turns UTF-8
/// text into codes of the font (see utf8CodeFunction).
[[nodiscard]] Result<std::string> exportFontC(const FontLibrary& library,
                                              const FontExportOptions& options);

/// A self-contained C99/C++ header with every entry of a bitmap library in the chosen pixel
/// format, plus a table of names, sizes and arrays. Fails with a sentence for an empty library
/// and a name that is no identifier.
[[nodiscard]] Result<std::string> exportBitmapsC(const BitmapLibrary& library,
                                                 const BitmapExportOptions& options);

} // namespace korvel
