#include "document/textcompose.h"

#include "core/codepage.h"

#include <QList>

#include <algorithm>

namespace korvel {

namespace {

const GlyphRecord& glyphOf(const FontLibrary& font, char byte) {
    return font.glyphs[static_cast<std::uint8_t>(byte)];
}

} // namespace

std::string lineBytes(const QString& line, const CodePage& page) {
    std::string bytes;
    for (const char32_t character : line.toUcs4()) {
        if (character == U'\u2028') {
            continue; // a forced line break ends the line, it is no character of it
        }
        bytes.push_back(static_cast<char>(page.fromUnicode(character).value_or('?')));
    }
    return bytes;
}

TextMeasure measureText(const std::vector<std::string>& lines, const FontLibrary& font) {
    TextMeasure measure;
    for (const std::string& line : lines) {
        std::int64_t lineWidth = 0;
        for (const char byte : line) {
            const GlyphRecord& glyph = glyphOf(font, byte);
            lineWidth += std::max(0, glyph.width);
            measure.lineHeight = std::max(measure.lineHeight, glyph.height);
        }
        measure.width = std::max(measure.width, lineWidth);
    }
    measure.height = std::int64_t{measure.lineHeight} * static_cast<std::int64_t>(lines.size());
    return measure;
}

Picture composeText(const std::vector<std::string>& lines, const TextMeasure& measure,
                    const FontLibrary& font) {
    Picture text(static_cast<int>(measure.width), static_cast<int>(measure.height),
                 PixelFormat::Indexed4); // black ground as made
    int y = 0;
    for (const std::string& line : lines) {
        int x = 0;
        for (const char byte : line) {
            const GlyphRecord& glyph = glyphOf(font, byte);
            if (glyph.picture) {
                text.draw(*glyph.picture, x, y + measure.lineHeight - glyph.height);
            }
            x += std::max(0, glyph.width);
        }
        y += measure.lineHeight;
    }
    return text;
}

} // namespace korvel
