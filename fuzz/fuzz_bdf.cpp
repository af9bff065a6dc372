// Fuzzes the BDF import: every accepted font, in either cell rule, must export as BDF and import
// again to a library of the same .lcm bytes.
#include "formats/bdf.h"
#include "formats/lcm.h"
#include "roundtrip.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using korvel::fuzz::require;

void roundTrip(std::string_view text, korvel::BdfCell cell) {
    const auto decoded = korvel::decodeBdf(text, cell);
    if (!decoded) {
        return;
    }
    const korvel::FontLibrary& library = decoded.value().library;
    require(library.count == 0 || library.count == 128 || library.count == korvel::kGlyphSlots,
            "a count other than 0, 128 or 256");
    const auto bytes = korvel::encodeLcm(library.glyphs, library.count);
    require(bytes.ok(), "the .lcm writer refuses an imported glyph");
    for (int code = 1; code < library.count; ++code) {
        require(library.glyphs[static_cast<std::size_t>(code)].height == library.glyphs[0].height,
                "glyphs of one font stand in cells of different heights");
    }
    const std::string exported = korvel::encodeBdf(library.glyphs, library.count, "fuzz");
    const auto again = korvel::decodeBdf(exported);
    require(again.ok(), "the import refuses what the export wrote");
    require(again.value().skipped == 0 && again.value().warnings.empty(),
            "the import leaves out part of what the export wrote");
    const auto againBytes =
        korvel::encodeLcm(again.value().library.glyphs, again.value().library.count);
    require(againBytes.ok() && againBytes.value() == bytes.value(), "the library changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    roundTrip(text, korvel::BdfCell::KeepInk);
    roundTrip(text, korvel::BdfCell::Clip);
    return 0;
}
