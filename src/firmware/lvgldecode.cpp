#include "firmware/lvgldecode.h"

#include "core/colour.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace korvel {

namespace {

constexpr Rgb kInk = makeRgb(255, 255, 255);

/// The fields of LVGL's structures in their declared order, for records given without
/// designators.
const std::vector<std::string_view> kGlyphFields{"bitmap_index", "adv_w", "box_w",
                                                 "box_h",        "ofs_x", "ofs_y"};
const std::vector<std::string_view> kCmapFields{
    "range_start", "range_length", "glyph_id_start", "unicode_list", "glyph_id_ofs_list",
    "list_length", "type"};
const std::vector<std::string_view> kNoPositions{};

/// lv_font_fmt_txt_cmap_type_t, in its declared order.
enum class CmapType : std::uint8_t { Format0Full, SparseFull, Format0Tiny, SparseTiny };

struct Glyph {
    long long bitmapIndex = 0;
    long long advance16 = 0;
    long long boxWidth = 0;
    long long boxHeight = 0;
    long long offsetX = 0;
    long long offsetY = 0;
};

struct Cmap {
    long long rangeStart = 0;
    long long rangeLength = 0;
    long long glyphIdStart = 0;
    std::vector<long long> unicodeList;
    std::vector<long long> glyphIdOffsets;
    CmapType type = CmapType::Format0Tiny;
};

struct Font {
    std::vector<long long> bitmap;
    std::vector<Glyph> glyphs; ///< by glyph id, id 0 included
    std::vector<Cmap> cmaps;
    long long lineHeight = 0;
    long long baseLine = 0;
};

/// The number a field gives, checked against the range of its C type.
[[nodiscard]] Result<long long> numberField(const Tokens& record, std::string_view field,
                                            const std::vector<std::string_view>& positions,
                                            long long lowest, long long highest,
                                            const std::string& what) {
    const Tokens value = fieldOf(record, field, positions);
    if (value.size() != 1 || value.front().kind != Token::Kind::Number) {
        return Error{what + " gives no number for ." + std::string(field)};
    }
    const long long number = value.front().number;
    if (number < lowest || number > highest) {
        return Error{what + " gives ." + std::string(field) + " = " + std::to_string(number) +
                     ", which LVGL's field cannot hold"};
    }
    return number;
}

/// The object a field names ("glyph_bitmap", "&font_dsc"); empty for NULL or none.
[[nodiscard]] std::string nameField(const Tokens& record, std::string_view field,
                                    const std::vector<std::string_view>& positions) {
    for (const Token& token : fieldOf(record, field, positions)) {
        if (token.kind == Token::Kind::Name && token.text != "NULL") {
            return token.text;
        }
    }
    return {};
}

[[nodiscard]] Result<Glyph> glyphOf(const Tokens& record, std::size_t id) {
    const std::string what = "entry " + std::to_string(id) + " of glyph_dsc";
    Glyph g;
    struct Field {
        std::string_view name;
        long long lowest;
        long long highest;
        long long* into;
    };
    // The bit fields of lv_font_fmt_txt_glyph_dsc_t without LV_FONT_FMT_TXT_LARGE.
    for (const Field& f :
         {Field{"bitmap_index", 0, (1 << 20) - 1, &g.bitmapIndex},
          Field{"adv_w", 0, (1 << 12) - 1, &g.advance16}, Field{"box_w", 0, 255, &g.boxWidth},
          Field{"box_h", 0, 255, &g.boxHeight}, Field{"ofs_x", -128, 127, &g.offsetX},
          Field{"ofs_y", -128, 127, &g.offsetY}}) {
        auto value = numberField(record, f.name, kGlyphFields, f.lowest, f.highest, what);
        if (!value) {
            return value.error();
        }
        *f.into = value.value();
    }
    return g;
}

[[nodiscard]] Result<CmapType> cmapTypeOf(const Tokens& record, const std::string& what) {
    const Tokens value = fieldOf(record, "type", kCmapFields);
    if (value.size() == 1 && value.front().kind == Token::Kind::Number &&
        value.front().number >= 0 && value.front().number <= 3) {
        return static_cast<CmapType>(value.front().number);
    }
    static const std::map<std::string, CmapType> kNames{
        {"LV_FONT_FMT_TXT_CMAP_FORMAT0_FULL", CmapType::Format0Full},
        {"LV_FONT_FMT_TXT_CMAP_SPARSE_FULL", CmapType::SparseFull},
        {"LV_FONT_FMT_TXT_CMAP_FORMAT0_TINY", CmapType::Format0Tiny},
        {"LV_FONT_FMT_TXT_CMAP_SPARSE_TINY", CmapType::SparseTiny}};
    if (value.size() == 1 && value.front().kind == Token::Kind::Name) {
        if (const auto found = kNames.find(value.front().text); found != kNames.end()) {
            return found->second;
        }
    }
    return Error{what + " gives no character map type LVGL knows"};
}

/// The numbers of the array a field names, none for NULL.
[[nodiscard]] Result<std::vector<long long>> listField(const Tokens& tokens, const Tokens& record,
                                                       std::string_view field) {
    const std::string list = nameField(record, field, kCmapFields);
    if (list.empty()) {
        return std::vector<long long>{};
    }
    return arrayNumbers(tokens, list);
}

[[nodiscard]] Result<Cmap> cmapOf(const Tokens& tokens, const Tokens& record, std::size_t k) {
    const std::string what = "character map " + std::to_string(k);
    Cmap cmap;
    for (const auto& [field, highest, into] :
         {std::tuple{"range_start", 0xFFFFFFFFLL, &cmap.rangeStart},
          std::tuple{"range_length", 0xFFFFLL, &cmap.rangeLength},
          std::tuple{"glyph_id_start", 0xFFFFLL, &cmap.glyphIdStart}}) {
        auto value = numberField(record, field, kCmapFields, 0, highest, what);
        if (!value) {
            return value.error();
        }
        *into = value.value();
    }
    auto type = cmapTypeOf(record, what);
    auto unicodes = listField(tokens, record, "unicode_list");
    auto offsets = listField(tokens, record, "glyph_id_ofs_list");
    auto length = numberField(record, "list_length", kCmapFields, 0, 0xFFFF, what);
    for (const Error* error :
         {type ? nullptr : &type.error(), unicodes ? nullptr : &unicodes.error(),
          offsets ? nullptr : &offsets.error(), length ? nullptr : &length.error()}) {
        if (error != nullptr) {
            return *error;
        }
    }
    cmap.type = type.value();
    cmap.unicodeList = std::move(unicodes).value();
    cmap.glyphIdOffsets = std::move(offsets).value();
    const bool sparse = cmap.type == CmapType::SparseTiny || cmap.type == CmapType::SparseFull;
    const bool full = cmap.type == CmapType::Format0Full || cmap.type == CmapType::SparseFull;
    const auto listed = static_cast<std::size_t>(length.value());
    // LVGL reads list_length entries of the lists the type uses, and FORMAT0_FULL's offsets by
    // the character's place in the range.
    const std::size_t offsetsNeeded =
        cmap.type == CmapType::Format0Full ? static_cast<std::size_t>(cmap.rangeLength) : listed;
    if ((sparse && cmap.unicodeList.size() < listed) ||
        (full && cmap.glyphIdOffsets.size() < offsetsNeeded)) {
        return Error{what + "'s lists are shorter than it says"};
    }
    cmap.unicodeList.resize(sparse ? listed : 0);
    return cmap;
}

/// The glyph id get_glyph_dsc_id gives a character: the first map whose range holds it decides,
/// 0 for none.
[[nodiscard]] long long glyphIdOf(const std::vector<Cmap>& cmaps, long long character) {
    if (character == 0) {
        return 0;
    }
    for (const Cmap& cmap : cmaps) {
        const long long relative = character - cmap.rangeStart;
        if (relative < 0 || relative >= cmap.rangeLength) {
            continue;
        }
        switch (cmap.type) {
        case CmapType::Format0Tiny:
            return cmap.glyphIdStart + relative;
        case CmapType::Format0Full: {
            const long long offset = cmap.glyphIdOffsets[static_cast<std::size_t>(relative)];
            if (offset == 0 && relative != 0) {
                return 0; // not the first character, and offset 0: missing
            }
            return cmap.glyphIdStart + offset;
        }
        case CmapType::SparseTiny:
        case CmapType::SparseFull: {
            // unicode_list is sorted; LVGL searches it with lv_utils_bsearch.
            const auto found =
                std::lower_bound(cmap.unicodeList.begin(), cmap.unicodeList.end(), relative);
            if (found == cmap.unicodeList.end() || *found != relative) {
                return 0;
            }
            const auto index = static_cast<std::size_t>(found - cmap.unicodeList.begin());
            return cmap.glyphIdStart + (cmap.type == CmapType::SparseTiny
                                            ? static_cast<long long>(index)
                                            : cmap.glyphIdOffsets[index]);
        }
        }
    }
    return 0;
}

/// Every character the maps name, sorted, each once.
[[nodiscard]] std::vector<long long> charactersOf(const std::vector<Cmap>& cmaps) {
    std::vector<long long> characters;
    for (const Cmap& cmap : cmaps) {
        if (cmap.type == CmapType::SparseTiny || cmap.type == CmapType::SparseFull) {
            for (const long long relative : cmap.unicodeList) {
                characters.push_back(cmap.rangeStart + relative);
            }
        } else {
            for (long long relative = 0; relative < cmap.rangeLength; ++relative) {
                characters.push_back(cmap.rangeStart + relative);
            }
        }
    }
    std::sort(characters.begin(), characters.end());
    characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
    return characters;
}

[[nodiscard]] std::string unicodeName(long long character) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04llX", character);
    return text;
}

/// The glyph drawn as lv_draw_label places it: the box ofs_x right of the line's start, its
/// bottom ofs_y rows above the baseline, its bits continuous and the most significant first.
[[nodiscard]] Result<LvglDrawn> drawGlyph(const Font& font, const Glyph& g, long long character) {
    LvglDrawn drawn;
    drawn.character = static_cast<char32_t>(character);
    drawn.baseline = static_cast<int>(font.lineHeight - font.baseLine);
    const auto advance = static_cast<int>((g.advance16 + 8) >> 4);
    drawn.picture = Picture(advance, static_cast<int>(font.lineHeight));
    const std::size_t bits = static_cast<std::size_t>(g.boxWidth * g.boxHeight);
    const auto start = static_cast<std::size_t>(g.bitmapIndex);
    const std::string which = "the LVGL glyph of " + unicodeName(character);
    if (bits > 0 && (start > font.bitmap.size() || (bits + 7) / 8 > font.bitmap.size() - start)) {
        return Error{which + " reads past glyph_bitmap"};
    }
    const int left = static_cast<int>(g.offsetX);
    const int top = drawn.baseline - static_cast<int>(g.boxHeight + g.offsetY);
    for (std::size_t bit = 0; bit < bits; ++bit) {
        const auto byte = static_cast<unsigned>(font.bitmap[start + bit / 8]) & 0xFFU;
        if (((byte >> (7 - bit % 8)) & 1U) == 0) {
            continue;
        }
        const int x = left + static_cast<int>(bit % static_cast<std::size_t>(g.boxWidth));
        const int y = top + static_cast<int>(bit / static_cast<std::size_t>(g.boxWidth));
        if (x < 0 || y < 0 || x >= drawn.picture.width() || y >= drawn.picture.height()) {
            return Error{which + " draws outside its cell"};
        }
        drawn.picture.setPixel(x, y, kInk);
    }
    return drawn;
}

[[nodiscard]] Result<Font> fontOf(const Tokens& tokens, const std::string& name) {
    const auto fontObject = initializer(tokens, name);
    if (!fontObject) {
        return fontObject.error();
    }
    Font font;
    // lv_coord_t of LVGL 8, the narrower of the versions the file builds for.
    auto lineHeight =
        numberField(fontObject.value(), "line_height", kNoPositions, 0, 0x7FFF, "the font " + name);
    auto baseLine = numberField(fontObject.value(), "base_line", kNoPositions, -0x8000, 0x7FFF,
                                "the font " + name);
    const std::string dscName = nameField(fontObject.value(), "dsc", kNoPositions);
    if (!lineHeight || !baseLine) {
        return lineHeight ? baseLine.error() : lineHeight.error();
    }
    font.lineHeight = lineHeight.value();
    font.baseLine = baseLine.value();
    const auto dsc = initializer(tokens, dscName.empty() ? "font_dsc" : dscName);
    if (!dsc) {
        return dsc.error();
    }
    const std::string what = "the font's lv_font_fmt_txt_dsc_t";
    const auto bpp = numberField(dsc.value(), "bpp", kNoPositions, 0, 255, what);
    const auto zeroOrNone = [&](std::string_view field) {
        const Tokens value = fieldOf(dsc.value(), field, kNoPositions);
        return value.empty() || (value.size() == 1 && value.front().kind == Token::Kind::Number &&
                                 value.front().number == 0);
    };
    // Rows padded to a stride, and compressed bitmaps, are read otherwise.
    if (!bpp || bpp.value() != 1 || !zeroOrNone("bitmap_format") || !zeroOrNone("stride")) {
        return Error{"only LVGL fonts of 1 bit per pixel, uncompressed and unpadded, are drawn "
                     "back here"};
    }
    auto cmapNum = numberField(dsc.value(), "cmap_num", kNoPositions, 0, 0xFFFF, what);
    if (!cmapNum) {
        return cmapNum.error();
    }
    auto bitmap = arrayNumbers(tokens, nameField(dsc.value(), "glyph_bitmap", kNoPositions));
    auto table = initializer(tokens, nameField(dsc.value(), "glyph_dsc", kNoPositions));
    auto maps = initializer(tokens, nameField(dsc.value(), "cmaps", kNoPositions));
    for (const Error* error : {bitmap ? nullptr : &bitmap.error(), table ? nullptr : &table.error(),
                               maps ? nullptr : &maps.error()}) {
        if (error != nullptr) {
            return *error;
        }
    }
    font.bitmap = std::move(bitmap).value();
    const auto records = bracedRecords(table.value());
    for (std::size_t id = 0; id < records.size(); ++id) {
        auto glyph = glyphOf(records[id], id);
        if (!glyph) {
            return glyph.error();
        }
        font.glyphs.push_back(glyph.value());
    }
    const auto cmapRecords = bracedRecords(maps.value());
    if (cmapRecords.size() < static_cast<std::size_t>(cmapNum.value())) {
        return Error{"the font has fewer character maps than its cmap_num"};
    }
    for (std::size_t k = 0; k < static_cast<std::size_t>(cmapNum.value()); ++k) {
        auto cmap = cmapOf(tokens, cmapRecords[k], k);
        if (!cmap) {
            return cmap.error();
        }
        font.cmaps.push_back(std::move(cmap).value());
    }
    return font;
}

} // namespace

Result<std::vector<LvglDrawn>> drawLvglFont(const Tokens& tokens, const std::string& name) {
    const auto font = fontOf(tokens, name);
    if (!font) {
        return font.error();
    }
    std::vector<LvglDrawn> drawn;
    for (const long long character : charactersOf(font.value().cmaps)) {
        // lv_font_get_glyph_dsc_fmt_txt draws a tab as the space, twice as wide: the font's own
        // glyph of U+0009 is never drawn.
        const bool tab = character == '\t';
        const long long id = glyphIdOf(font.value().cmaps, tab ? ' ' : character);
        if (id == 0) {
            continue; // LVGL finds no glyph for it: a map further on names it in vain
        }
        if (id < 0 || static_cast<std::size_t>(id) >= font.value().glyphs.size()) {
            return Error{unicodeName(character) + " maps to glyph id " + std::to_string(id) +
                         ", past glyph_dsc"};
        }
        Glyph shown = font.value().glyphs[static_cast<std::size_t>(id)];
        shown.advance16 *= tab ? 2 : 1;
        auto glyph = drawGlyph(font.value(), shown, character);
        if (!glyph) {
            return glyph.error();
        }
        drawn.push_back(std::move(glyph).value());
    }
    return drawn;
}

} // namespace korvel
