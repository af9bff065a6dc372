// C source for font libraries: the rows, pages and Adafruit GFX layouts, and the choice of the
// codes every font layout exports.
#include "firmware/cexport.h"
#include "firmware/csource.h"
#include "firmware/fontsource.h"
#include "firmware/glyphlabel.h"
#include "firmware/utf8code.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

namespace korvel {

namespace {

/// A glyph side the one-byte fields of the glyph tables can hold.
constexpr int kMaxSide = 255;
/// The index entry of a code a sparse rows or pages header leaves out.
constexpr int kNoGlyph = 0xFFFF;

[[nodiscard]] const GlyphRecord& glyphOf(const FontLibrary& library, int code) {
    return library.glyphs[static_cast<std::size_t>(code)];
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

[[nodiscard]] std::string bitMeaning(bool inkIsOne) {
    return inkIsOne ? "a lit pixel is a 1 bit, a dark one a 0 bit."
                    : "a lit pixel is a 0 bit, a dark one a 1 bit.";
}

/// The paragraphs of the comment at the top: what made the header and how to read its bytes.
[[nodiscard]] std::vector<std::string> about(const FontExportOptions& options,
                                             const CodeList& codes, const Baseline& baseline) {
    const std::string& n = options.name;
    std::vector<std::string> paragraphs{options.source +
                                            " as C source, made by korvel-cli export-c " +
                                            fontOptionText(options, codes),
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
    default:
        paragraphs.push_back(
            "An Adafruit GFX font: include Adafruit_GFX.h (for GFXglyph and GFXfont) first, then "
            "setFont(&" +
            n +
            "). Each glyph is cropped to its ink box, its bits continuous, the most significant "
            "first, 1 for ink; its offsets are measured from a baseline " +
            baselinePhrase(baseline) + "." +
            (isOneRun(codes) ? ""
                             : " A code between the first and the last that the font leaves out "
                               "is a glyph of no pixels that only advances."));
        return paragraphs;
    }
    if (isOneRun(codes)) {
        paragraphs.push_back(n + "_glyphs[code - " + n + "_first] gives a glyph's offset in " + n +
                             "_bitmaps, width and height.");
    } else {
        paragraphs.push_back(n + "_glyphs[" + n + "_index[code - " + n + "_first]] gives a " +
                             "glyph's offset in " + n + "_bitmaps, width and height; the index " +
                             "is " + n + "_none for a code the header leaves out.");
    }
    return paragraphs;
}

/// The codes to export, checked against the library and the name.
[[nodiscard]] Result<CodeList> checkedCodes(const FontLibrary& library,
                                            const FontExportOptions& options) {
    if (library.count <= 0) {
        return Error{"The font library holds no glyphs."};
    }
    if (const Result<void> named = options.layout == FontLayout::Lvgl
                                       ? checkLvglFontName(options.name)
                                       : checkArrayName(options.name);
        !named) {
        return named.error();
    }
    CodeList codes;
    if (options.codes) {
        codes = mergedCodes(*options.codes, {});
    } else {
        for (int code = 0; code < library.count; ++code) {
            codes.push_back(code);
        }
    }
    if (codes.empty()) {
        return Error{"No code is chosen for the export; the library holds codes 0 to " +
                     std::to_string(library.count - 1) + "."};
    }
    if (codes.front() < 0 || codes.back() >= library.count) {
        return Error{"The codes " + codeListText(codes) +
                     " lie outside the library, which holds codes 0 to " +
                     std::to_string(library.count - 1) + "."};
    }
    for (const int code : codes) {
        const GlyphRecord& glyph = glyphOf(library, code);
        if (widthOf(glyph) > kMaxSide || heightOf(glyph) > kMaxSide) {
            return Error{"Glyph " + std::to_string(code) + " is " + std::to_string(glyph.width) +
                         " x " + std::to_string(glyph.height) +
                         " pixels; the glyph table holds glyphs of at most 255 x 255."};
        }
    }
    return codes;
}

/// The function that turns UTF-8 text into the font's codes.
void appendUtf8Code(CSourceWriter& source, const FontExportOptions& options) {
    for (const std::string& line : utf8CodeFunction(options.name, options.codePage)) {
        source.line(line);
    }
}

/// The byte array when no glyph has any: C allows no empty array.
void placeholderByte(CSourceWriter& source) {
    source.line("    0x00, /* no glyph has bytes: one unused byte, as C allows no empty array */");
}

/// The glyph type and the code range of the rows and pages layouts; with gaps, also the count
/// of glyphs and the index entry of a code left out.
void declareGlyphTable(CSourceWriter& source, const std::string& n, const CodeList& codes) {
    source.line("/* One glyph: where its bytes begin in " + n +
                "_bitmaps, and its size in pixels. */");
    source.line("typedef struct {");
    source.line("    uint32_t offset;");
    source.line("    uint8_t width;");
    source.line("    uint8_t height;");
    source.line("} " + n + "_glyph;");
    source.line("");
    std::string constants = "enum { " + n + "_first = " + std::to_string(codes.front()) + ", " + n +
                            "_last = " + std::to_string(codes.back());
    if (!isOneRun(codes)) {
        constants += ", " + n + "_count = " + std::to_string(codes.size()) + ", " + n +
                     "_none = " + std::to_string(kNoGlyph);
    }
    source.line(constants + " };");
    source.line("");
}

/// The table from codes to glyphs of a header with gaps.
void declareIndex(CSourceWriter& source, const std::string& n, const CodeList& codes) {
    const int first = codes.front();
    const int span = codes.back() - first + 1;
    std::vector<int> index(static_cast<std::size_t>(span), kNoGlyph);
    for (std::size_t k = 0; k < codes.size(); ++k) {
        index[static_cast<std::size_t>(codes[k] - first)] = static_cast<int>(k);
    }
    const std::vector<std::string> about{
        n + "_index[code - " + n + "_first]: the code's place in " + n + "_glyphs, or " + n +
        "_none (" + std::to_string(kNoGlyph) + ") for a code left out."};
    source.comment(wrapParagraphs(about, kTextWidth), 0);
    source.line("static const uint16_t " + n + "_index[" + std::to_string(span) +
                "] KORVEL_FLASH = {");
    std::string text;
    for (int k = 0; k < span; ++k) {
        const int entry = index[static_cast<std::size_t>(k)];
        text += (text.empty() ? "    " : " ") + std::to_string(entry) + ",";
        if (k % 12 == 11 || k + 1 == span) {
            source.line(text);
            text.clear();
        }
    }
    source.line("};");
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
                                            const FontExportOptions& options,
                                            const CodeList& codes) {
    const std::string& n = options.name;
    const auto aboutLines = about(options, codes, Baseline{});
    CSourceWriter source(n, aboutLines);
    declareGlyphTable(source, n, codes);

    std::vector<std::vector<std::uint8_t>> glyphBytes;
    std::size_t total = 0;
    for (const int code : codes) {
        glyphBytes.push_back(plainBytes(glyphOf(library, code), options));
        total += glyphBytes.back().size();
    }
    source.line("static const uint8_t " + n + "_bitmaps[" +
                std::to_string(std::max<std::size_t>(total, 1)) + "] KORVEL_FLASH = {");
    std::vector<std::string> tableRows;
    std::size_t offset = 0;
    for (std::size_t k = 0; k < codes.size(); ++k) {
        const int code = codes[k];
        const GlyphRecord& glyph = glyphOf(library, code);
        const std::string size =
            std::to_string(widthOf(glyph)) + ", " + std::to_string(heightOf(glyph));
        source.comment(glyphDrawing(glyph, glyphLabel(code, options.codePage) + ": " +
                                               std::to_string(widthOf(glyph)) + " x " +
                                               std::to_string(heightOf(glyph)) + ", offset " +
                                               std::to_string(offset)),
                       4);
        // A line starts with a row (rows) or a page (pages).
        const int rowLength =
            options.layout == FontLayout::Pages ? widthOf(glyph) : (widthOf(glyph) + 7) / 8;
        const auto& bytes = glyphBytes[k];
        source.bytes(bytes, static_cast<std::size_t>(rowLength));
        tableRows.push_back("    {" + std::to_string(offset) + ", " + size + "}, /* " +
                            glyphLabel(code, options.codePage) + " */");
        offset += bytes.size();
    }
    if (total == 0) {
        placeholderByte(source);
    }
    source.line("};");
    source.line("");
    source.line("static const " + n + "_glyph " + n + "_glyphs[" + std::to_string(codes.size()) +
                "] KORVEL_FLASH = {");
    for (const std::string& row : tableRows) {
        source.line(row);
    }
    source.line("};");
    source.line("");
    if (!isOneRun(codes)) {
        declareIndex(source, n, codes);
    }
    appendUtf8Code(source, options);
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
                                        std::size_t bytes, const InkBox& box,
                                        const Baseline& baseline) {
    const std::string which = "Glyph " + std::to_string(code);
    constexpr std::size_t kLastByte = std::numeric_limits<std::uint16_t>::max();
    if (offset > kLastByte) {
        return Error{which + "'s bits begin at byte " + std::to_string(offset) +
                     ", past the 65535 an Adafruit GFX font can address; export fewer codes "
                     "with --codes."};
    }
    // drawChar counts through a glyph's bytes in 16 bits: past byte 65535 it would go on from
    // the first glyph's.
    if (bytes > 0 && offset + bytes - 1 > kLastByte) {
        return Error{which + "'s bits run from byte " + std::to_string(offset) + " to " +
                     std::to_string(offset + bytes - 1) +
                     ", past the 65535 an Adafruit GFX font can address; export fewer codes "
                     "with --codes."};
    }
    if (box.left > std::numeric_limits<std::int8_t>::max()) {
        return Error{which + "'s ink begins " + std::to_string(box.left) +
                     " pixels right of its origin, more than an Adafruit GFX font can hold "
                     "(127)."};
    }
    const int yOffset = box.width == 0 ? 0 : box.top - baseline.rowIn(glyph);
    if (yOffset < std::numeric_limits<std::int8_t>::min() ||
        yOffset > std::numeric_limits<std::int8_t>::max()) {
        return Error{which + "'s ink begins " + std::to_string(yOffset) +
                     " rows from the baseline, beyond the -128 to 127 an Adafruit GFX font can "
                     "hold; choose another --baseline."};
    }
    return GfxEntry{offset, box, widthOf(glyph), yOffset};
}

/// The GFXglyph table of the entries for codes first to last, and the GFXfont over it.
void declareGfxTables(CSourceWriter& source, const FontExportOptions& options,
                      const std::vector<GfxEntry>& entries, int first, int last, int lineHeight) {
    const std::string& n = options.name;
    source.line("static const GFXglyph " + n + "_glyphs[] KORVEL_FLASH = {");
    for (int code = first; code <= last; ++code) {
        const GfxEntry& e = entries[static_cast<std::size_t>(code - first)];
        source.line("    {" + std::to_string(e.offset) + ", " + std::to_string(e.box.width) + ", " +
                    std::to_string(e.box.height) + ", " + std::to_string(e.advance) + ", " +
                    std::to_string(e.box.left) + ", " + std::to_string(e.yOffset) + "}, /* " +
                    glyphLabel(code, options.codePage) + " */");
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

[[nodiscard]] Result<std::string>
exportGfx(const FontLibrary& library, const FontExportOptions& options, const CodeList& codes) {
    const std::string& n = options.name;
    const Baseline baseline = resolveBaseline(library, options.baseline);
    const auto aboutLines = about(options, codes, baseline);
    CSourceWriter source(n, aboutLines);
    source.line("static const uint8_t " + n + "_bitmaps[] KORVEL_FLASH = {");
    std::vector<GfxEntry> entries;
    std::size_t offset = 0;
    int lineHeight = 0;
    const int first = codes.front();
    const int last = codes.back();
    for (int code = first; code <= last; ++code) {
        const GlyphRecord& glyph = glyphOf(library, code);
        lineHeight = std::max(lineHeight, heightOf(glyph));
        if (!std::binary_search(codes.begin(), codes.end(), code)) {
            // GFX finds a glyph by its place from the first code: a code left out keeps its
            // place as a glyph without pixels that only advances.
            entries.push_back(GfxEntry{offset, InkBox{}, widthOf(glyph), 0});
            continue;
        }
        const InkBox box = inkBoxOf(glyph);
        const auto bits = inkBoxBits(glyph, box);
        auto entry = gfxEntry(code, glyph, offset, bits.size(), box, baseline);
        if (!entry) {
            return entry.error();
        }
        source.comment(
            glyphDrawing(
                glyph, glyphLabel(code, options.codePage) + ": cell " +
                           std::to_string(widthOf(glyph)) + " x " +
                           std::to_string(heightOf(glyph)) + ", ink " + std::to_string(box.width) +
                           " x " + std::to_string(box.height) + " at (" + std::to_string(box.left) +
                           ", " + std::to_string(box.top) + "), offset " + std::to_string(offset)),
            4);
        source.bytes(bits, 0);
        offset += bits.size();
        entries.push_back(entry.value());
    }
    if (offset == 0) {
        placeholderByte(source);
    }
    source.line("};");
    source.line("");
    declareGfxTables(source, options, entries, first, last, lineHeight);
    appendUtf8Code(source, options);
    return source.finish();
}

constexpr std::array<FontFormat, 4> kFontFormats{{
    {"plain", FontLayout::Rows, "rows or pages of plain bytes (--layout rows|pages)"},
    {"gfx", FontLayout::Gfx, "Adafruit GFX (GFXfont)"},
    {"u8g2", FontLayout::U8g2, "u8g2 (u8g2_SetFont)"},
    {"lvgl", FontLayout::Lvgl, "LVGL 8.3 and 9 (lv_font_t)"},
}};

} // namespace

std::span<const FontFormat> fontFormats() {
    return kFontFormats;
}

Result<std::string> exportFontC(const FontLibrary& library, const FontExportOptions& options) {
    const auto codes = checkedCodes(library, options);
    if (!codes) {
        return codes.error();
    }
    switch (options.layout) {
    case FontLayout::Rows:
    case FontLayout::Pages:
        return exportRowsOrPages(library, options, codes.value());
    case FontLayout::Gfx:
        return exportGfx(library, options, codes.value());
    case FontLayout::U8g2:
        return exportU8g2C(library, options, codes.value());
    case FontLayout::Lvgl:
        break;
    }
    return exportLvglC(library, options, codes.value());
}

} // namespace korvel
