#pragma once

// Setting a typed text with the glyphs of a font library: measuring and composing the picture
// the text preview shows.

#include "core/codepage.h"
#include "core/fontlibrary.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

/// The codes of one shown line in a code page; a character the code page lacks becomes "?", and
/// a forced line break (U+2028) is left out.
[[nodiscard]] std::string lineBytes(const QString& line, const CodePage& page = windows1252());

/// The size of a text set in a font: the widest line, and one line height, the tallest glyph of
/// the whole text, for every line.
struct TextMeasure {
    std::int64_t width = 0;
    int lineHeight = 0;
    std::int64_t height = 0;
};

[[nodiscard]] TextMeasure measureText(const std::vector<std::string>& lines,
                                      const FontLibrary& font);

/// The text picture (16 colours, black ground): lines from the top, glyphs side by side on each
/// line's bottom edge. measure must be measureText of the same lines and font, and fit an int.
[[nodiscard]] Picture composeText(const std::vector<std::string>& lines, const TextMeasure& measure,
                                  const FontLibrary& font);

} // namespace korvel
