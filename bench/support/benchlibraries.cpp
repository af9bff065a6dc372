#include "support/benchlibraries.h"

#include "core/colour.h"
#include "formats/bcm.h"

namespace korvel::bench {

Picture patterned(int width, int height, bool twoColour) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        auto row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const auto& entry = kPalette[static_cast<std::size_t>((x * 7 + y * 3) % 8)];
            row[static_cast<std::size_t>(x)] =
                twoColour ? (((x ^ y) & 1) ? kRed : kBlack) : entry.value;
        }
    }
    return picture;
}

std::vector<std::uint8_t> repeatedBitmaps(int n, int width, int height, const std::string& prefix) {
    const std::vector<bitmapInfoList> one{{"X", width, height, patterned(width, height, false)}};
    const auto image = shareFileImage(encodeBcm(one, 1).value());
    const bitmapInfoList encoded = openBcm(image).value().front();
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < n; ++k) {
        entries.push_back({prefix + std::to_string(k), width, height, encoded.picture});
    }
    return encodeBcm(entries, n).value();
}

std::array<GlyphRecord, kGlyphSlots> bigFont() {
    std::array<GlyphRecord, kGlyphSlots> glyphs{};
    for (int code = 0; code < kGlyphSlots; ++code) {
        glyphs[static_cast<std::size_t>(code)] = {code, 255, 255, patterned(255, 255, true)};
    }
    return glyphs;
}

} // namespace korvel::bench
