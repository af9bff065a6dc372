#include "firmware/fontsource.h"

#include "firmware/csource.h"
#include "firmware/glyphlabel.h"

namespace korvel {

std::vector<std::string> glyphDrawing(const GlyphRecord& glyph, std::string heading) {
    std::vector<std::string> lines{std::move(heading)};
    const int width = widthOf(glyph);
    for (int y = 0; width > 0 && y < heightOf(glyph); ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += inkAt(glyph, x, y) ? '#' : '.';
        }
        lines.push_back(std::move(row));
    }
    return lines;
}

namespace {

[[nodiscard]] std::string baselineOption(const BaselineChoice& choice) {
    switch (choice.rule) {
    case BaselineRule::Auto:
        return "auto";
    case BaselineRule::Bottom:
        return "bottom";
    case BaselineRule::Row:
        break;
    }
    return std::to_string(choice.row);
}

[[nodiscard]] std::string layoutOption(const FontExportOptions& options) {
    switch (options.layout) {
    case FontLayout::Rows:
        return std::string("--layout rows --bit-order ") +
               (options.bitOrder == BitOrder::MsbFirst ? "msb" : "lsb") +
               (options.inkIsOne ? " --ink 1" : " --ink 0");
    case FontLayout::Pages:
        return std::string("--layout pages") + (options.inkIsOne ? " --ink 1" : " --ink 0");
    case FontLayout::Gfx:
        return "--format gfx --baseline " + baselineOption(options.baseline);
    case FontLayout::U8g2:
        return std::string("--format u8g2 --encoding ") +
               (options.encoding == U8g2Encoding::Code ? "code" : "unicode") + " --baseline " +
               baselineOption(options.baseline);
    case FontLayout::Lvgl:
        break;
    }
    return "--format lvgl --baseline " + baselineOption(options.baseline);
}

} // namespace

std::string fontOptionText(const FontExportOptions& options, const CodeList& codes) {
    return layoutOption(options) + " --codes " + codeListText(codes) + " --name " + options.name;
}

std::string baselinePhrase(const Baseline& baseline) {
    if (!baseline.row) {
        return "at each glyph's bottom edge";
    }
    std::string phrase = std::to_string(*baseline.row) + " rows below each glyph's top";
    if (baseline.fromCode) {
        phrase += " (the row under the ink of " + glyphLabel(*baseline.fromCode) + ")";
    }
    return phrase;
}

PlainCSource::PlainCSource(std::span<const std::string> about) {
    comment(wrapParagraphs(about, kTextWidth), 0);
}

} // namespace korvel
