#include "firmware/lvglfont.h"

#include "core/codepage.h"
#include "core/textcodes.h"
#include "firmware/csource.h"
#include "firmware/fontsource.h"
#include "firmware/glyphlabel.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace korvel {

namespace {

/// What LVGL's glyph table holds without LV_FONT_FMT_TXT_LARGE.
constexpr std::size_t kBitmapIndexLimit = std::size_t{1} << 20;
constexpr int kAdvanceLimit = (1 << 12) - 1;

/// The ink box's pixels row by row, bits continuous, most significant first, ink a 1 bit; the
/// glyph's last byte filled with 0 bits.
void appendInkBits(std::vector<std::uint8_t>& out, const GlyphRecord& glyph, const InkBox& ink) {
    int used = 8;
    for (int y = ink.top; y < ink.bottom(); ++y) {
        for (int x = ink.left; x < ink.left + ink.width; ++x) {
            if (used == 8) {
                out.push_back(0);
                used = 0;
            }
            if (inkAt(glyph, x, y)) {
                out.back() = static_cast<std::uint8_t>(out.back() | (0x80U >> used));
            }
            ++used;
        }
    }
}

[[nodiscard]] bool fitsInt8(int value) {
    return value >= std::numeric_limits<std::int8_t>::min() &&
           value <= std::numeric_limits<std::int8_t>::max();
}

[[nodiscard]] Result<void> checkGlyph(const LvglGlyph& g) {
    const std::string which = "Glyph " + glyphLabel(g.code);
    if (g.bitmapIndex >= kBitmapIndexLimit) {
        return Error{which + "'s bits begin at byte " + std::to_string(g.bitmapIndex) +
                     ", past the 1 MiB an LVGL font's glyph table addresses; export fewer codes."};
    }
    if (g.advance16 > kAdvanceLimit) {
        return Error{which + " advances more than the 255 pixels an LVGL font can hold."};
    }
    if (!fitsInt8(g.offsetX)) {
        return Error{which + "'s ink begins " + std::to_string(g.offsetX) +
                     " pixels right of its origin, more than the 127 an LVGL font can hold."};
    }
    if (!fitsInt8(g.offsetY)) {
        return Error{which + "'s ink ends " + std::to_string(g.offsetY) +
                     " rows from the baseline, beyond the -128 to 127 an LVGL font can hold; "
                     "choose another --baseline."};
    }
    return {};
}

/// The character maps over the sorted characters, as lv_font_conv splits them: the split of
/// least estimated size, where a run of consecutive characters costs 16 bytes and a list 16 plus
/// 2 per character.
[[nodiscard]] std::vector<LvglCmap> cmapsOf(const std::vector<LvglGlyph>& glyphs) {
    const std::size_t n = glyphs.size();
    struct Step {
        long long cost = std::numeric_limits<long long>::max();
        std::size_t start = 0;
        bool sparse = false;
    };
    std::vector<Step> best(n);
    const auto at = [&](std::size_t k) { return static_cast<long long>(glyphs[k].unicode); };
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            const long long before = j > 0 ? best[j - 1].cost : 0;
            const long long span = at(i) - at(j);
            const bool run = span == static_cast<long long>(i - j);
            if (span < 256 && run && before + 16 < best[i].cost) {
                best[i] = {before + 16, j, false};
            }
            const long long listCost = 16 + 2 * static_cast<long long>(i - j + 1);
            if (span < 65536 && before + listCost < best[i].cost) {
                best[i] = {before + listCost, j, true};
            }
        }
    }
    std::vector<LvglCmap> cmaps;
    for (std::size_t end = n; end > 0;) {
        const Step& step = best[end - 1];
        LvglCmap cmap;
        cmap.rangeStart = glyphs[step.start].unicode;
        cmap.rangeLength = static_cast<int>(glyphs[end - 1].unicode - cmap.rangeStart + 1);
        cmap.glyphIdStart = static_cast<int>(step.start + 1);
        cmap.sparse = step.sparse;
        if (step.sparse) {
            for (std::size_t k = step.start; k < end; ++k) {
                cmap.unicodeOffsets.push_back(
                    static_cast<int>(glyphs[k].unicode - cmap.rangeStart));
            }
        }
        cmaps.insert(cmaps.begin(), std::move(cmap));
        end = step.start;
    }
    return cmaps;
}

} // namespace

Result<LvglFont> encodeLvglFont(const FontLibrary& library, const CodeList& codes,
                                const Baseline& baseline, const CodePage& codePage) {
    std::vector<std::pair<char32_t, int>> ordered;
    for (const int code : codes) {
        if (const auto character = codePage.toUnicode(static_cast<std::uint8_t>(code))) {
            ordered.emplace_back(*character, code);
        }
    }
    std::sort(ordered.begin(), ordered.end());
    LvglFont font;
    int tallest = 0;
    for (const auto& [character, code] : ordered) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        const InkBox ink = inkBoxOf(glyph);
        LvglGlyph g;
        g.code = code;
        g.unicode = character;
        g.bitmapIndex = font.bitmap.size();
        g.advance16 = widthOf(glyph) * 16;
        g.boxWidth = ink.width;
        g.boxHeight = ink.height;
        g.offsetX = ink.empty() ? 0 : ink.left;
        g.offsetY = ink.empty() ? 0 : baseline.rowIn(glyph) - ink.bottom();
        if (const Result<void> fits = checkGlyph(g); !fits) {
            return fits.error();
        }
        appendInkBits(font.bitmap, glyph, ink);
        font.glyphs.push_back(g);
        tallest = std::max(tallest, heightOf(glyph));
    }
    for (int code = 0; code < library.count; ++code) {
        tallest = std::max(tallest, heightOf(library.glyphs[static_cast<std::size_t>(code)]));
    }
    font.cmaps = cmapsOf(font.glyphs);
    font.lineHeight = tallest;
    font.baseLine = tallest - baseline.row.value_or(tallest);
    // An underline of about a sixteenth of the line, in the middle of the descent.
    font.underlineThickness = std::clamp((tallest + 8) / 16, 1, 127);
    font.underlinePosition = std::clamp(-(font.baseLine / 2), -128, 0);
    return font;
}

} // namespace korvel

// ---- The C file ----

namespace korvel {

namespace {

[[nodiscard]] std::string unicodeLabel(char32_t character) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character));
    return text;
}

void writeBitmaps(PlainCSource& source, const FontLibrary& library, const LvglFont& font) {
    source.line("/*-----------------");
    source.line(" *    BITMAPS");
    source.line(" *----------------*/");
    source.line("");
    source.line("/*Store the image of the glyphs*/");
    source.line("static LV_ATTRIBUTE_LARGE_CONST const uint8_t glyph_bitmap[] = {");
    for (std::size_t k = 0; k < font.glyphs.size(); ++k) {
        const LvglGlyph& g = font.glyphs[k];
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(g.code)];
        source.comment(glyphDrawing(glyph, unicodeLabel(g.unicode) + ", code " +
                                               glyphLabel(g.code) + ": ink " +
                                               std::to_string(g.boxWidth) + " x " +
                                               std::to_string(g.boxHeight) + ", offset " +
                                               std::to_string(g.bitmapIndex)),
                       4);
        const std::size_t end =
            k + 1 < font.glyphs.size() ? font.glyphs[k + 1].bitmapIndex : font.bitmap.size();
        std::string text;
        for (std::size_t b = g.bitmapIndex; b < end; ++b) {
            text += (text.empty() ? "    " : " ") + hexByte(font.bitmap[b]) + ",";
            if ((b - g.bitmapIndex) % 16 == 15 || b + 1 == end) {
                source.line(text);
                text.clear();
            }
        }
    }
    if (font.bitmap.empty()) {
        source.line(
            "    0x00, /* no glyph has ink: one unused byte, as C allows no empty array */");
    }
    source.line("};");
    source.line("");
}

void writeGlyphTable(PlainCSource& source, const LvglFont& font) {
    source.line("/*---------------------");
    source.line(" *  GLYPH DESCRIPTION");
    source.line(" *--------------------*/");
    source.line("");
    source.line("static const lv_font_fmt_txt_glyph_dsc_t glyph_dsc[] = {");
    source.line("    {.bitmap_index = 0, .adv_w = 0, .box_w = 0, .box_h = 0, .ofs_x = 0, "
                ".ofs_y = 0} /* id = 0 reserved */,");
    for (const LvglGlyph& g : font.glyphs) {
        source.line("    {.bitmap_index = " + std::to_string(g.bitmapIndex) + ", .adv_w = " +
                    std::to_string(g.advance16) + ", .box_w = " + std::to_string(g.boxWidth) +
                    ", .box_h = " + std::to_string(g.boxHeight) + ", .ofs_x = " +
                    std::to_string(g.offsetX) + ", .ofs_y = " + std::to_string(g.offsetY) +
                    "}, /* " + unicodeLabel(g.unicode) + ", code " + glyphLabel(g.code) + " */");
    }
    source.line("};");
    source.line("");
}

void writeCmaps(PlainCSource& source, const LvglFont& font) {
    source.line("/*---------------------");
    source.line(" *  CHARACTER MAPPING");
    source.line(" *--------------------*/");
    source.line("");
    for (std::size_t k = 0; k < font.cmaps.size(); ++k) {
        const LvglCmap& cmap = font.cmaps[k];
        if (!cmap.sparse) {
            continue;
        }
        source.line("static const uint16_t unicode_list_" + std::to_string(k) + "[] = {");
        std::string text;
        for (std::size_t i = 0; i < cmap.unicodeOffsets.size(); ++i) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(cmap.unicodeOffsets[i]));
            text += (text.empty() ? "    " : " ") + std::string(hex) + ",";
            if (i % 12 == 11 || i + 1 == cmap.unicodeOffsets.size()) {
                source.line(text);
                text.clear();
            }
        }
        source.line("};");
        source.line("");
    }
    source.line("/*Collect the unicode lists and glyph_id offsets*/");
    source.line("static const lv_font_fmt_txt_cmap_t cmaps[] =");
    source.line("{");
    for (std::size_t k = 0; k < font.cmaps.size(); ++k) {
        const LvglCmap& cmap = font.cmaps[k];
        const std::string list = cmap.sparse ? "unicode_list_" + std::to_string(k) : "NULL";
        source.line("    {");
        source.line("        .range_start = " + std::to_string(cmap.rangeStart) +
                    ", .range_length = " + std::to_string(cmap.rangeLength) +
                    ", .glyph_id_start = " + std::to_string(cmap.glyphIdStart) + ",");
        source.line("        .unicode_list = " + list +
                    ", .glyph_id_ofs_list = NULL, .list_length = " +
                    std::to_string(cmap.unicodeOffsets.size()) + ", .type = " +
                    (cmap.sparse ? "LV_FONT_FMT_TXT_CMAP_SPARSE_TINY"
                                 : "LV_FONT_FMT_TXT_CMAP_FORMAT0_TINY"));
        source.line(k + 1 < font.cmaps.size() ? "    }," : "    }");
    }
    if (font.cmaps.empty()) {
        source.line(
            "    {.range_start = 0, .range_length = 0, .glyph_id_start = 0, .unicode_list = "
            "NULL, .glyph_id_ofs_list = NULL, .list_length = 0, .type = "
            "LV_FONT_FMT_TXT_CMAP_FORMAT0_TINY}");
    }
    source.line("};");
    source.line("");
}

void writeFontDescriptors(PlainCSource& source, const LvglFont& font, const std::string& n) {
    source.line("/*--------------------");
    source.line(" *  ALL CUSTOM DATA");
    source.line(" *--------------------*/");
    source.line("");
    source.line("#if LVGL_VERSION_MAJOR == 8");
    source.line("/*Store all the custom data of the font*/");
    source.line("static  lv_font_fmt_txt_glyph_cache_t cache;");
    source.line("#endif");
    source.line("");
    source.line("#if LVGL_VERSION_MAJOR >= 8");
    source.line("static const lv_font_fmt_txt_dsc_t font_dsc = {");
    source.line("#else");
    source.line("static lv_font_fmt_txt_dsc_t font_dsc = {");
    source.line("#endif");
    source.line("    .glyph_bitmap = glyph_bitmap,");
    source.line("    .glyph_dsc = glyph_dsc,");
    source.line("    .cmaps = cmaps,");
    source.line("    .kern_dsc = NULL,");
    source.line("    .kern_scale = 0,");
    source.line("    .cmap_num = " + std::to_string(font.cmaps.size()) + ",");
    source.line("    .bpp = 1,");
    source.line("    .kern_classes = 0,");
    source.line("    .bitmap_format = 0,");
    source.line("#if LVGL_VERSION_MAJOR == 8");
    source.line("    .cache = &cache");
    source.line("#endif");
    source.line("#if LV_VERSION_CHECK(9, 3, 0)");
    source.line("    .stride = 0,");
    source.line("#endif");
    source.line("};");
    source.line("");
    source.line("/*-----------------");
    source.line(" *  PUBLIC FONT");
    source.line(" *----------------*/");
    source.line("");
    source.line("/*Initialize a public general font descriptor*/");
    source.line("#if LVGL_VERSION_MAJOR >= 8");
    source.line("extern const lv_font_t " + n + ";");
    source.line("const lv_font_t " + n + " = {");
    source.line("#else");
    source.line("extern lv_font_t " + n + ";");
    source.line("lv_font_t " + n + " = {");
    source.line("#endif");
    source.line("    .get_glyph_dsc = lv_font_get_glyph_dsc_fmt_txt,    /*Function pointer to get "
                "glyph's data*/");
    source.line("    .get_glyph_bitmap = lv_font_get_bitmap_fmt_txt,    /*Function pointer to get "
                "glyph's bitmap*/");
    // Fields of LVGL 9's lv_font_t that lv_font_conv leaves out: named here so that the file
    // also builds as C++ without warnings, where designated initializers must name them.
    // release_glyph and kerning came with 9.0, static_bitmap with 9.3.
    source.line("#if LVGL_VERSION_MAJOR >= 9");
    source.line("    .release_glyph = NULL,");
    source.line("#endif");
    source.line("    .line_height = " + std::to_string(font.lineHeight) +
                ",          /*The maximum line height required by the font*/");
    source.line("    .base_line = " + std::to_string(font.baseLine) +
                ",             /*Baseline measured from the bottom of the line*/");
    source.line("#if !(LVGL_VERSION_MAJOR == 6 && LVGL_VERSION_MINOR == 0)");
    source.line("    .subpx = LV_FONT_SUBPX_NONE,");
    source.line("#endif");
    source.line("#if LVGL_VERSION_MAJOR >= 9");
    source.line("    .kerning = 0,");
    source.line("#endif");
    source.line("#if LV_VERSION_CHECK(9, 3, 0)");
    source.line(
        "    .static_bitmap = 1,    /*Bitmaps are stored as const so they are always static "
        "if not compressed */");
    source.line("#endif");
    source.line("#if LV_VERSION_CHECK(7, 4, 0) || LVGL_VERSION_MAJOR >= 8");
    source.line("    .underline_position = " + std::to_string(font.underlinePosition) + ",");
    source.line("    .underline_thickness = " + std::to_string(font.underlineThickness) + ",");
    source.line("#endif");
    source.line("    .dsc = &font_dsc,          /*The custom font data. Will be accessed by "
                "`get_glyph_bitmap/dsc` */");
    source.line("#if LV_VERSION_CHECK(8, 2, 0) || LVGL_VERSION_MAJOR >= 9");
    source.line("    .fallback = NULL,");
    source.line("#endif");
    source.line("    .user_data = NULL,");
    source.line("};");
    source.line("");
}

[[nodiscard]] std::vector<std::string> lvglAbout(const FontExportOptions& options,
                                                 const CodeList& codes, const Baseline& baseline,
                                                 const LvglFont& font) {
    const std::string& n = options.name;
    return {
        options.source + " as an LVGL font, made by korvel-cli export-c " +
            fontOptionText(options, codes),
        "",
        "Compile this file with the project and declare the font where it is used: "
        "LV_FONT_DECLARE(" +
            n + ") and lv_obj_set_style_text_font(label, &" + n +
            ", 0). It builds against LVGL 8.3 and 9.x (lv_font_fmt_txt, 1 bit per pixel, "
            "uncompressed). " +
            std::to_string(font.glyphs.size()) +
            " glyphs found under the Unicode values of their " +
            std::string(options.codePage.caption()) +
            " characters, each "
            "cropped to its ink, its bits continuous, the most significant first; they stand on "
            "a baseline " +
            baselinePhrase(baseline) + ", a line is " + std::to_string(font.lineHeight) +
            " pixels high.",
    };
}

} // namespace

Result<std::string> exportLvglC(const FontLibrary& library, const FontExportOptions& options,
                                const CodeList& codes) {
    const Baseline baseline = resolveBaseline(library, options.baseline);
    auto encoded = encodeLvglFont(library, codes, baseline, options.codePage);
    if (!encoded) {
        return encoded.error();
    }
    const LvglFont& font = encoded.value();
    const std::string& n = options.name;
    const std::string guard = asciiUpperCase(n);
    const auto about = lvglAbout(options, codes, baseline, font);
    PlainCSource source(about);
    source.line("#ifdef __has_include");
    source.line("    #if __has_include(\"lvgl.h\")");
    source.line("        #ifndef LV_LVGL_H_INCLUDE_SIMPLE");
    source.line("            #define LV_LVGL_H_INCLUDE_SIMPLE");
    source.line("        #endif");
    source.line("    #endif");
    source.line("#endif");
    source.line("");
    source.line("#ifdef LV_LVGL_H_INCLUDE_SIMPLE");
    source.line("    #include \"lvgl.h\"");
    source.line("#else");
    source.line("    #include \"lvgl/lvgl.h\"");
    source.line("#endif");
    source.line("");
    source.line("#ifndef " + guard);
    source.line("#define " + guard + " 1");
    source.line("#endif");
    source.line("");
    source.line("#if " + guard);
    source.line("");
    writeBitmaps(source, library, font);
    writeGlyphTable(source, font);
    writeCmaps(source, font);
    writeFontDescriptors(source, font, n);
    source.line("#endif /*#if " + guard + "*/");
    return source.finish();
}

} // namespace korvel
