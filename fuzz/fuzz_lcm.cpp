// Fuzzes the font library reader: every accepted file must write back and read again to the
// same glyph table, and opening it with the pictures left encoded must give the same glyphs and
// the same bytes on saving.
#include "formats/lcm.h"
#include "roundtrip.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using korvel::GlyphRecord;
using korvel::Picture;
using korvel::fuzz::require;

/// The record the writer stores for a glyph: a glyph of width 0 is written 8 pixels wide, and
/// its rows, having no picture columns, are all background.
GlyphRecord asWritten(const GlyphRecord& glyph) {
    if (glyph.width != 0) {
        return glyph;
    }
    return {glyph.code, 8, glyph.height, Picture(8, glyph.height)};
}

bool sameGlyph(const GlyphRecord& a, const GlyphRecord& b) {
    return a.code == b.code && a.width == b.width && a.height == b.height &&
           a.picture.has_value() == b.picture.has_value() &&
           (!a.picture || *a.picture == *b.picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto decoded = korvel::decodeLcm({data, size});
    if (!decoded) {
        return 0;
    }
    const std::vector<GlyphRecord>& glyphs = decoded.value();
    require(glyphs.size() <= korvel::kGlyphSlots, "more glyphs than slots");
    std::array<GlyphRecord, korvel::kGlyphSlots> table{};
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        require(glyphs[code].code == static_cast<std::int32_t>(code), "glyph codes out of order");
        table[code] = glyphs[code];
    }
    const auto encoded = korvel::encodeLcm(table, static_cast<int>(glyphs.size()));
    require(encoded.ok(), "the writer refuses what the reader accepted");
    const auto lazy =
        korvel::openLcm(korvel::shareFileImage(std::vector<std::uint8_t>(data, data + size)));
    require(lazy.ok() && lazy.value().size() == glyphs.size(),
            "opening with encoded pictures disagrees with the reader");
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        require(sameGlyph(lazy.value()[code], glyphs[code]), "opening gives another glyph");
        table[code] = lazy.value()[code];
    }
    const auto copied = korvel::encodeLcm(table, static_cast<int>(glyphs.size()));
    require(copied.ok() && copied.value() == encoded.value(),
            "saving encoded pictures gives other bytes");
    const auto again = korvel::decodeLcm(encoded.value());
    require(again.ok(), "the reader refuses what the writer wrote");
    require(again.value().size() == glyphs.size(), "the glyph count changed");
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        require(sameGlyph(again.value()[code], asWritten(glyphs[code])), "a glyph changed");
    }
    return 0;
}
