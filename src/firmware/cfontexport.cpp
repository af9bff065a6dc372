// C source for font libraries: the rows, pages and Adafruit GFX layouts.
#include "firmware/cexport.h"
#include "firmware/csource.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace korvel {

namespace {

/// A glyph side the one-byte fields of the glyph tables can hold.
constexpr int kMaxSide = 255;

[[nodiscard]] int widthOf(const GlyphRecord& glyph) {
    return std::max(0, glyph.width);
}

[[nodiscard]] int heightOf(const GlyphRecord& glyph) {
    return std::max(0, glyph.height);
}

/// The code and, for printable ASCII, its character: "65 'A'".
[[nodiscard]] std::string codeLabel(int code) {
    std::string label = std::to_string(code);
    if (code > 0x20 && code < 0x7F && code != '\'' && code != '\\') {
        label += std::string(" '") + static_cast<char>(code) + "'";
    }
    return label;
}

/// The glyph's pixels as text under a heading: "#" lit, "." dark.
[[nodiscard]] std::vector<std::string> drawing(const GlyphRecord& glyph, std::string heading) {
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

/// Rows top to bottom, each padded to whole bytes with dark bits.
[[nodiscard]] std::vector<std::uint8_t> rowBytes(const GlyphRecord& glyph, BitOrder order,
                                                 bool inkIsOne) {
    const int width = widthOf(glyph);
    const int perRow = (width + 7) / 8;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(perRow) * static_cast<std::size_t>(heightOf(glyph)));
    for (int y = 0; y < heightOf(glyph); ++y) {
        appendRowBits(bytes, width, order, inkIsOne, [&](int x) { return inkAt(glyph, x, y); });
    }
    return bytes;
}

/// Pages of 8 rows top to bottom; in a page one byte per column, its top pixel in bit 0; rows
/// below the glyph are dark bits.
[[nodiscard]] std::vector<std::uint8_t> pageBytes(const GlyphRecord& glyph, bool inkIsOne) {
    const int width = widthOf(glyph);
    const int height = heightOf(glyph);
    std::vector<std::uint8_t> bytes;
    for (int page = 0; page < (height + 7) / 8; ++page) {
        for (int x = 0; x < width; ++x) {
            unsigned byte = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int y = page * 8 + bit;
                const bool lit = y < height && inkAt(glyph, x, y);
                if (lit == inkIsOne) {
                    byte |= 1U << bit;
                }
            }
            bytes.push_back(static_cast<std::uint8_t>(byte));
        }
    }
    return bytes;
}

/// A glyph cropped to its ink box; an empty box (no ink) is 0 x 0 at (0, 0).
struct InkBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

[[nodiscard]] InkBox inkBoxOf(const GlyphRecord& glyph) {
    int left = std::numeric_limits<int>::max();
    int top = std::numeric_limits<int>::max();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < heightOf(glyph); ++y) {
        for (int x = 0; x < widthOf(glyph); ++x) {
            if (inkAt(glyph, x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

/// The ink box's pixels row by row, bits continuous, most significant first, ink a 1 bit.
[[nodiscard]] std::vector<std::uint8_t> inkBoxBits(const GlyphRecord& glyph, const InkBox& box) {
    BitPacker packer;
    for (int y = box.top; y < box.top + box.height; ++y) {
        for (int x = box.left; x < box.left + box.width; ++x) {
            packer.push(inkAt(glyph, x, y));
        }
    }
    return packer.take();
}

/// The options as the command line would spell them, for the comment at the top.
[[nodiscard]] std::string optionText(const FontExportOptions& options, int first, int last) {
    std::string text;
    switch (options.layout) {
    case FontLayout::Rows:
        text = std::string("--layout rows --bit-order ") +
               (options.bitOrder == BitOrder::MsbFirst ? "msb" : "lsb");
        break;
    case FontLayout::Pages:
        text = "--layout pages";
        break;
    case FontLayout::Gfx:
        text = "--format gfx";
        if (options.baseline) {
            text += " --baseline " + std::to_string(*options.baseline);
        }
        break;
    }
    if (options.layout != FontLayout::Gfx) {
        text += options.inkIsOne ? " --ink 1" : " --ink 0";
    }
    return text + " --codes " + std::to_string(first) + "-" + std::to_string(last) + " --name " +
           options.name;
}

[[nodiscard]] std::string bitMeaning(bool inkIsOne) {
    return inkIsOne ? "a lit pixel is a 1 bit, a dark one a 0 bit."
                    : "a lit pixel is a 0 bit, a dark one a 1 bit.";
}

/// The paragraphs of the comment at the top: what made the header and how to read its bytes.
[[nodiscard]] std::vector<std::string> about(const FontExportOptions& options, int first,
                                             int last) {
    const std::string& n = options.name;
    std::vector<std::string> paragraphs{options.source +
                                            " as C source, made by korvel-cli export-c " +
                                            optionText(options, first, last),
                                        ""};
    switch (options.layout) {
    case FontLayout::Rows:
        paragraphs.push_back(
            std::string("Each glyph's rows top to bottom, each row padded to whole bytes with "
                        "dark bits; the leftmost pixel of a byte in its ") +
            (options.bitOrder == BitOrder::MsbFirst ? "most" : "least") + " significant bit; " +
            bitMeaning(options.inkIsOne));
        break;
    case FontLayout::Pages:
        paragraphs.push_back("Each glyph in pages of 8 rows, top to bottom; a page is one byte "
                             "per column, left to right, its top pixel in the least significant "
                             "bit, rows below the glyph dark bits; " +
                             bitMeaning(options.inkIsOne));
        break;
    case FontLayout::Gfx:
        paragraphs.push_back(
            "An Adafruit GFX font: include Adafruit_GFX.h (for GFXglyph and GFXfont) first, then "
            "setFont(&" +
            n +
            "). Each glyph is cropped to its ink box, its bits continuous, the most significant "
            "first, 1 for ink; its offsets are measured from a baseline " +
            (options.baseline ? std::to_string(*options.baseline) + " rows below its top."
                              : std::string("at its bottom edge.")));
        return paragraphs;
    }
    paragraphs.push_back(n + "_glyphs[code - " + n + "_first] gives a glyph's offset in " + n +
                         "_bitmaps, width and height.");
    return paragraphs;
}

/// The codes to export, checked against the library and the name.
[[nodiscard]] Result<std::pair<int, int>> checkedCodes(const FontLibrary& library,
                                                       const FontExportOptions& options) {
    if (library.count <= 0) {
        return Error{"The font library holds no glyphs."};
    }
    if (const Result<void> named = checkArrayName(options.name); !named) {
        return named.error();
    }
    const auto [first, last] = options.codes.value_or(std::pair{0, library.count - 1});
    if (first < 0 || last >= library.count || first > last) {
        return Error{"The codes " + std::to_string(first) + "-" + std::to_string(last) +
                     " lie outside the library, which holds codes 0 to " +
                     std::to_string(library.count - 1) + "."};
    }
    for (int code = first; code <= last; ++code) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        if (widthOf(glyph) > kMaxSide || heightOf(glyph) > kMaxSide) {
            return Error{"Glyph " + std::to_string(code) + " is " + std::to_string(glyph.width) +
                         " x " + std::to_string(glyph.height) +
                         " pixels; the glyph table holds glyphs of at most 255 x 255."};
        }
    }
    return std::pair{first, last};
}

/// The byte array when no glyph has any: C allows no empty array.
void placeholderByte(CSourceWriter& source) {
    source.line("    0x00, /* no glyph has bytes: one unused byte, as C allows no empty array */");
}

/// The glyph type and the code range of the rows and pages layouts.
void declareGlyphTable(CSourceWriter& source, const std::string& n, int first, int last) {
    source.line("/* One glyph: where its bytes begin in " + n +
                "_bitmaps, and its size in pixels. */");
    source.line("typedef struct {");
    source.line("    uint32_t offset;");
    source.line("    uint8_t width;");
    source.line("    uint8_t height;");
    source.line("} " + n + "_glyph;");
    source.line("");
    source.line("enum { " + n + "_first = " + std::to_string(first) + ", " + n +
                "_last = " + std::to_string(last) + " };");
    source.line("");
}

/// The bytes of one glyph in the rows or the pages layout.
[[nodiscard]] std::vector<std::uint8_t> plainBytes(const GlyphRecord& glyph,
                                                   const FontExportOptions& options) {
    return options.layout == FontLayout::Pages
               ? pageBytes(glyph, options.inkIsOne)
               : rowBytes(glyph, options.bitOrder, options.inkIsOne);
}

[[nodiscard]] std::string exportRowsOrPages(const FontLibrary& library,
                                            const FontExportOptions& options, int first, int last) {
    const std::string& n = options.name;
    const auto aboutLines = about(options, first, last);
    CSourceWriter source(n, aboutLines);
    declareGlyphTable(source, n, first, last);

    std::vector<std::vector<std::uint8_t>> glyphBytes;
    std::size_t total = 0;
    for (int code = first; code <= last; ++code) {
        glyphBytes.push_back(plainBytes(library.glyphs[static_cast<std::size_t>(code)], options));
        total += glyphBytes.back().size();
    }
    source.line("static const uint8_t " + n + "_bitmaps[" +
                std::to_string(std::max<std::size_t>(total, 1)) + "] KORVEL_FLASH = {");
    std::vector<std::string> tableRows;
    std::size_t offset = 0;
    for (int code = first; code <= last; ++code) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        const std::string size =
            std::to_string(widthOf(glyph)) + ", " + std::to_string(heightOf(glyph));
        source.comment(drawing(glyph, codeLabel(code) + ": " + std::to_string(widthOf(glyph)) +
                                          " x " + std::to_string(heightOf(glyph)) + ", offset " +
                                          std::to_string(offset)),
                       4);
        // A line starts with a row (rows) or a page (pages).
        const int rowLength =
            options.layout == FontLayout::Pages ? widthOf(glyph) : (widthOf(glyph) + 7) / 8;
        const auto& bytes = glyphBytes[static_cast<std::size_t>(code - first)];
        source.bytes(bytes, static_cast<std::size_t>(rowLength));
        tableRows.push_back("    {" + std::to_string(offset) + ", " + size + "}, /* " +
                            codeLabel(code) + " */");
        offset += bytes.size();
    }
    if (total == 0) {
        placeholderByte(source);
    }
    source.line("};");
    source.line("");
    source.line("static const " + n + "_glyph " + n + "_glyphs[" +
                std::to_string(last - first + 1) + "] KORVEL_FLASH = {");
    for (const std::string& row : tableRows) {
        source.line(row);
    }
    source.line("};");
    source.line("");
    return source.finish();
}

/// One glyph's entry in the GFXglyph table, checked against the table's field widths.
struct GfxEntry {
    std::size_t offset = 0;
    InkBox box;
    int advance = 0;
    int yOffset = 0;
};

[[nodiscard]] Result<GfxEntry> gfxEntry(int code, const GlyphRecord& glyph, std::size_t offset,
                                        const InkBox& box, std::optional<int> baselineRow) {
    const std::string which = "Glyph " + std::to_string(code);
    if (offset > std::numeric_limits<std::uint16_t>::max()) {
        return Error{which + "'s bits begin at byte " + std::to_string(offset) +
                     ", past the 65535 an Adafruit GFX font can address; export fewer codes "
                     "with --codes."};
    }
    if (box.left > std::numeric_limits<std::int8_t>::max()) {
        return Error{which + "'s ink begins " + std::to_string(box.left) +
                     " pixels right of its origin, more than an Adafruit GFX font can hold "
                     "(127)."};
    }
    const int baseline = baselineRow.value_or(heightOf(glyph));
    const int yOffset = box.width == 0 ? 0 : box.top - baseline;
    if (yOffset < std::numeric_limits<std::int8_t>::min() ||
        yOffset > std::numeric_limits<std::int8_t>::max()) {
        return Error{which + "'s ink begins " + std::to_string(yOffset) +
                     " rows from the baseline, beyond the -128 to 127 an Adafruit GFX font can "
                     "hold; choose another --baseline."};
    }
    return GfxEntry{offset, box, widthOf(glyph), yOffset};
}

/// The GFXglyph table of the entries for codes first to last, and the GFXfont over it.
void declareGfxTables(CSourceWriter& source, const std::string& n,
                      const std::vector<GfxEntry>& entries, int first, int last, int lineHeight) {
    source.line("static const GFXglyph " + n + "_glyphs[] KORVEL_FLASH = {");
    for (int code = first; code <= last; ++code) {
        const GfxEntry& e = entries[static_cast<std::size_t>(code - first)];
        source.line("    {" + std::to_string(e.offset) + ", " + std::to_string(e.box.width) + ", " +
                    std::to_string(e.box.height) + ", " + std::to_string(e.advance) + ", " +
                    std::to_string(e.box.left) + ", " + std::to_string(e.yOffset) + "}, /* " +
                    codeLabel(code) + " */");
    }
    source.line("};");
    source.line("");
    source.line("static const GFXfont " + n + " KORVEL_FLASH = {");
    source.line("    (uint8_t *)" + n + "_bitmaps,");
    source.line("    (GFXglyph *)" + n + "_glyphs,");
    source.line("    " + std::to_string(first) + ", /* first */");
    source.line("    " + std::to_string(last) + ", /* last */");
    source.line("    " + std::to_string(lineHeight) + ", /* yAdvance */");
    source.line("};");
    source.line("");
}

[[nodiscard]] Result<std::string> exportGfx(const FontLibrary& library,
                                            const FontExportOptions& options, int first, int last) {
    const std::string& n = options.name;
    const auto aboutLines = about(options, first, last);
    CSourceWriter source(n, aboutLines);
    source.line("static const uint8_t " + n + "_bitmaps[] KORVEL_FLASH = {");
    std::vector<GfxEntry> entries;
    std::size_t offset = 0;
    int lineHeight = 0;
    for (int code = first; code <= last; ++code) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        const InkBox box = inkBoxOf(glyph);
        auto entry = gfxEntry(code, glyph, offset, box, options.baseline);
        if (!entry) {
            return entry.error();
        }
        const auto bits = inkBoxBits(glyph, box);
        source.comment(
            drawing(glyph, codeLabel(code) + ": cell " + std::to_string(widthOf(glyph)) + " x " +
                               std::to_string(heightOf(glyph)) + ", ink " +
                               std::to_string(box.width) + " x " + std::to_string(box.height) +
                               " at (" + std::to_string(box.left) + ", " + std::to_string(box.top) +
                               "), offset " + std::to_string(offset)),
            4);
        source.bytes(bits, 0);
        offset += bits.size();
        lineHeight = std::max(lineHeight, heightOf(glyph));
        entries.push_back(entry.value());
    }
    if (offset == 0) {
        placeholderByte(source);
    }
    source.line("};");
    source.line("");
    declareGfxTables(source, n, entries, first, last, lineHeight);
    return source.finish();
}

} // namespace

Result<std::string> exportFontC(const FontLibrary& library, const FontExportOptions& options) {
    const auto codes = checkedCodes(library, options);
    if (!codes) {
        return codes.error();
    }
    const auto [first, last] = codes.value();
    if (options.layout == FontLayout::Gfx) {
        return exportGfx(library, options, first, last);
    }
    return exportRowsOrPages(library, options, first, last);
}

} // namespace korvel
