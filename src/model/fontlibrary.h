#pragma once

#include "picture.h"

#include <array>
#include <cstdint>
#include <optional>

namespace korvel {

/// One glyph slot of the font library: its code, size and (owned) picture, if any.
struct GlyphRecord {
    std::int32_t code = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Picture> picture;
};

inline constexpr int kGlyphSlots = 256;

/// The glyph table, one slot per code 0..255, and the count of codes that belong to the library.
struct FontLibrary {
    std::array<GlyphRecord, kGlyphSlots> glyphs;
    std::int32_t count = 0;
};

} // namespace korvel
