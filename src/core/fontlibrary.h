#pragma once

#include "core/picture.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

    /// Takes decoded records as slots 0..n-1 (n at most 256) and makes n the count; the slots
    /// above keep what they held.
    void replaceGlyphs(std::vector<GlyphRecord> records) {
        const std::size_t n = std::min(records.size(), glyphs.size());
        for (std::size_t code = 0; code < n; ++code) {
            glyphs[code] = std::move(records[code]);
        }
        count = static_cast<std::int32_t>(n);
    }

    /// A library of its own holding the decoded records as slots 0..n-1.
    [[nodiscard]] static FontLibrary of(std::vector<GlyphRecord> records) {
        FontLibrary library;
        library.replaceGlyphs(std::move(records));
        return library;
    }
};

/// The number of codes a font library holds: "0-127" or "0-255".
inline constexpr int kSmallCodeRange = 128;
inline constexpr int kFullCodeRange = 256;

/// Fills slots 0..count-1 with blank 16-colour glyphs of width x height (the "User-Defined Font"
/// face) and sets the glyph count; slots from count up keep what they held.
inline void makeBlankFont(FontLibrary& library, int width, int height, int count) {
    library.count = count;
    for (int code = 0; code < count; ++code) {
        library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, width, height, Picture(width, height, PixelFormat::Indexed4)};
    }
}

} // namespace korvel
