#pragma once

// What the font layouts of export-c share: the drawing of a glyph in a comment, the command line
// that made a file, the sentence that says where the baseline lies, and the writers of the
// layouts that are files of their own kind (u8g2, LVGL).

#include "firmware/cexport.h"
#include "firmware/csource.h"

#include <span>
#include <string>
#include <vector>

namespace korvel {

/// The glyph's pixels as text under a heading: "#" lit, "." dark.
[[nodiscard]] std::vector<std::string> glyphDrawing(const GlyphRecord& glyph, std::string heading);

/// The options as the command line spells them, for the comment at the top of a file.
[[nodiscard]] std::string fontOptionText(const FontExportOptions& options, const CodeList& codes);

/// Where the baseline lies, as a phrase: "11 rows below each glyph's top (under the ink of 'H')".
[[nodiscard]] std::string baselinePhrase(const Baseline& baseline);

/// The text of a C source file that is not a Korvel header: a comment, then lines.
class PlainCSource : public CText {
public:
    explicit PlainCSource(std::span<const std::string> about);
    [[nodiscard]] std::string finish() { return std::move(text_); }
};

/// A u8g2 font as a C file: the font's bytes in one array named options.name.
[[nodiscard]] Result<std::string>
exportU8g2C(const FontLibrary& library, const FontExportOptions& options, const CodeList& codes);

/// An LVGL font as a C file: glyph_bitmap, glyph_dsc, cmaps, font_dsc and the public lv_font_t
/// named options.name.
[[nodiscard]] Result<std::string>
exportLvglC(const FontLibrary& library, const FontExportOptions& options, const CodeList& codes);

} // namespace korvel
