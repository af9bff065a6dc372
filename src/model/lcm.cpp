#include "lcm.h"

#include "bits.h"

#include <algorithm>

#include <string>

namespace korvel {

Result<std::vector<std::uint8_t>> encodeLcm(const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                            int count) {
    if (count < 0 || count > kGlyphSlots) {
        return Error{"The glyph count " + std::to_string(count) + " is outside 0 to 256."};
    }
    std::size_t total = 1 + 4 * static_cast<std::size_t>(count);
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        const int width = glyph.width == 0 ? 8 : glyph.width;
        if (width < 0 || width > kLcmMaxSide || glyph.height < 0 || glyph.height > kLcmMaxSide) {
            return Error{"Glyph " + std::to_string(code) + " is " + std::to_string(glyph.width) +
                         " x " + std::to_string(glyph.height) +
                         " pixels; a font library file holds glyphs of at most 255 x 255."};
        }
        total += 3 + static_cast<std::size_t>(paddedBytes(width)) *
                         static_cast<std::size_t>(glyph.height);
    }

    std::vector<std::uint8_t> out;
    out.reserve(total);
    out.push_back(static_cast<std::uint8_t>(count % 256));
    out.resize(1 + 4 * static_cast<std::size_t>(count), 0);
    std::uint32_t offset = 0;
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        const int width = glyph.width == 0 ? 8 : glyph.width;
        const int height = glyph.height;
        const int rowBytes = paddedBytes(width);
        const std::size_t start = out.size();
        out.push_back(static_cast<std::uint8_t>(rowBytes));
        out.push_back(static_cast<std::uint8_t>(width));
        out.push_back(static_cast<std::uint8_t>(height));
        for (int y = 0; y < height; ++y) {
            // The picture is drawn on a black canvas of the padded width: what it does not
            // cover is background, and a dark bit is 1.
            packRow(out, rowBytes,
                    [&](int x) { return glyph.picture && isInk(glyph.picture->pixel(x, y)); });
        }
        putBigEndian32(out, 1 + 4 * static_cast<std::size_t>(code), offset);
        offset += static_cast<std::uint32_t>(out.size() - start);
    }
    return out;
}

void AnylizeProtol(Picture& target, int decodeWidth, int height, int rowByteCount,
                   std::span<const std::uint8_t> rowBytes) {
    const int columns = std::min(decodeWidth, target.width());
    const int rows = std::min(height, target.height());
    for (int y = 0; y < rows; ++y) {
        const auto row = target.row(y);
        const std::size_t base =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(rowByteCount);
        for (int x = 0; x < columns; ++x) {
            const std::size_t at = base + static_cast<std::size_t>(x / 8);
            if (at >= rowBytes.size()) {
                break;
            }
            const bool dark = (rowBytes[at] >> (7 - x % 8)) & 1U;
            row[static_cast<std::size_t>(x)] = dark ? kBlack : kRed;
        }
    }
}

Result<std::vector<GlyphRecord>> decodeLcm(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return Error{"the file is empty"};
    }
    std::size_t count = bytes[0];
    if (count == 0 && bytes.size() > 1) {
        count = kGlyphSlots;
    }
    const std::size_t base = 1 + 4 * count;
    if (bytes.size() < base) {
        return Error{"the offset table of " + std::to_string(count) + " glyphs needs " +
                     std::to_string(base) + " bytes, but the file has " +
                     std::to_string(bytes.size())};
    }
    // Check every record before anything is allocated.
    struct Layout {
        std::size_t at;
        int rowByteCount, width, height;
    };
    // Grown one checked record at a time: a table pointing past the end allocates nothing.
    std::vector<Layout> layouts;
    std::uint64_t pixels = 0;
    for (std::size_t code = 0; code < count; ++code) {
        const std::uint64_t at = base + std::uint64_t{getBigEndian32(bytes, 1 + 4 * code)};
        if (at + 3 > bytes.size()) {
            return Error{"the record of glyph " + std::to_string(code) + " lies outside the file"};
        }
        const Layout layout{static_cast<std::size_t>(at), bytes[at], bytes[at + 1], bytes[at + 2]};
        const std::uint64_t rowsEnd = at + 3 +
                                      static_cast<std::uint64_t>(layout.rowByteCount) *
                                          static_cast<std::uint64_t>(layout.height);
        if (rowsEnd > bytes.size()) {
            return Error{"the rows of glyph " + std::to_string(code) +
                         " run past the end of the file"};
        }
        pixels +=
            static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
        layouts.push_back(layout);
    }
    // Records written by this program hold at least one bit per pixel; records that share rows
    // or claim more width than their rows carry cannot blow up memory beyond that.
    if (pixels > 8 * static_cast<std::uint64_t>(bytes.size()) + 8 * 255) {
        return Error{"the glyphs claim " + std::to_string(pixels) +
                     " pixels, more than the file's " + std::to_string(bytes.size()) +
                     " bytes can hold"};
    }

    std::vector<GlyphRecord> glyphs(count);
    for (std::size_t code = 0; code < count; ++code) {
        const Layout& layout = layouts[code];
        GlyphRecord& glyph = glyphs[code];
        glyph.code = static_cast<std::int32_t>(code);
        glyph.width = layout.width;
        glyph.height = layout.height;
        glyph.picture.emplace(layout.width, layout.height);
        AnylizeProtol(*glyph.picture, layout.rowByteCount * 8, layout.height, layout.rowByteCount,
                      bytes.subspan(layout.at + 3, static_cast<std::size_t>(layout.rowByteCount) *
                                                       static_cast<std::size_t>(layout.height)));
    }
    return glyphs;
}

} // namespace korvel
