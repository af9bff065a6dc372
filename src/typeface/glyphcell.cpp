#include "typeface/glyphcell.h"

#include "core/encodedrows.h"
#include "formats/rows.h"

#include <bit>
#include <utility>

namespace korvel {

namespace {

/// Where one placed glyph's rows lie in the shared buffer of all rows.
struct PlacedRows {
    std::size_t offset = 0;
    int rowBytes = 0;
};

/// Bytes per row of a 1-bit row of width pixels.
[[nodiscard]] int bytesPerRow(int width) {
    return (width + 7) / 8;
}

/// Clears the bits of the ink that falls inside [0, advance) in rows laid out as a font
/// library's glyph rows (a 0 bit is ink, the leftmost pixel in the most significant bit), the
/// origin at x = 0 on the baseline row; returns whether ink lay outside them sideways.
bool placeInk(std::uint8_t* rows, int rowBytes, int advance, const GlyphInk& ink, int baseline) {
    bool cutSideways = false;
    const int inkBytes = ink.rowBytes();
    for (int y = 0; y < ink.height; ++y) {
        std::uint8_t* row = rows + static_cast<std::size_t>(baseline + ink.top + y) *
                                       static_cast<std::size_t>(rowBytes);
        const std::uint8_t* source = ink.row(y);
        for (int k = 0; k < inkBytes; ++k) {
            const unsigned byte = source[k];
            if (byte == 0) {
                continue;
            }
            const int first = ink.left + 8 * k; // the column of the byte's leftmost pixel
            if (first >= 0 && first + 8 <= advance) {
                const int at = first / 8;
                const int shift = first % 8;
                row[at] &= static_cast<std::uint8_t>(~(byte >> shift));
                if (shift != 0) {
                    row[at + 1] &= static_cast<std::uint8_t>(~(byte << (8 - shift)));
                }
                continue;
            }
            for (int bit = 0; bit < 8; ++bit) {
                if ((byte & (0x80U >> bit)) == 0) {
                    continue;
                }
                const int column = first + bit;
                if (column < 0 || column >= advance) {
                    cutSideways = true;
                    continue;
                }
                row[column / 8] &= static_cast<std::uint8_t>(~(0x80U >> (column % 8)));
            }
        }
    }
    return cutSideways;
}

/// Bit position of the leftmost and rightmost set bit of a non-zero byte (0 is the leftmost
/// pixel).
[[nodiscard]] int firstSetBit(unsigned byte) {
    return std::countl_zero(static_cast<std::uint8_t>(byte));
}
[[nodiscard]] int lastSetBit(unsigned byte) {
    return 7 - std::countr_zero(static_cast<std::uint8_t>(byte));
}

} // namespace

GlyphInk clearInkOfBox(int left, int top, int minX, int minY, int maxX, int maxY) {
    GlyphInk ink;
    if (maxX < 0) {
        return ink;
    }
    ink.left = left + minX;
    ink.top = top + minY;
    ink.width = maxX - minX + 1;
    ink.height = maxY - minY + 1;
    ink.bits.assign(static_cast<std::size_t>(ink.rowBytes()) * static_cast<std::size_t>(ink.height),
                    0);
    return ink;
}

GlyphInk tightInkOfBits(const std::uint8_t* buffer, int pitch, int width, int rows, int left,
                        int top) {
    const int bytes = (width + 7) / 8;
    const auto rowAt = [&](int y) {
        return buffer + static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(pitch);
    };
    // The bits right of width are not always clear in a rasteriser's bitmap.
    const auto masked = [&](const std::uint8_t* row, int k) -> unsigned {
        const int padding = 8 * (k + 1) - width;
        return padding > 0 ? row[k] & (0xFFU << padding) & 0xFFU : row[k];
    };
    int minX = width;
    int maxX = -1;
    int minY = -1;
    int maxY = -1;
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = rowAt(y);
        for (int k = 0; k < bytes; ++k) {
            const unsigned byte = masked(row, k);
            if (byte != 0) {
                minX = std::min(minX, 8 * k + firstSetBit(byte));
                maxX = std::max(maxX, 8 * k + lastSetBit(byte));
                minY = minY < 0 ? y : minY;
                maxY = y;
            }
        }
    }
    GlyphInk ink = clearInkOfBox(left, top, minX, minY, maxX, maxY);
    if (ink.empty()) {
        return ink;
    }
    const int inkBytes = ink.rowBytes();
    const int skip = minX / 8;
    const int shift = minX % 8;
    const int tail = 8 * inkBytes - ink.width; // bits right of the box in the last byte
    for (int y = 0; y < ink.height; ++y) {
        const std::uint8_t* row = rowAt(minY + y);
        std::uint8_t* out =
            ink.bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(inkBytes);
        for (int k = 0; k < inkBytes; ++k) {
            const int from = skip + k;
            unsigned value = (masked(row, from) << shift) & 0xFFU;
            if (shift != 0 && from + 1 < bytes) {
                value |= masked(row, from + 1) >> (8 - shift);
            }
            out[k] = static_cast<std::uint8_t>(value);
        }
        out[inkBytes - 1] &= static_cast<std::uint8_t>(0xFFU << tail);
    }
    return ink;
}

RenderedCodes renderCodesOf(const CodeGlyphs& font, int count) {
    RenderedCodes rendered;
    rendered.cell = GlyphCell{font.ascent(), font.descent()};
    std::vector<DrawnGlyph> drawn;
    drawn.reserve(static_cast<std::size_t>(std::max(0, count)));
    for (int code = 0; code < count; ++code) {
        const DrawnGlyph& glyph = drawn.emplace_back(font.drawCode(code));
        if (!glyph.ink.empty()) {
            rendered.cell.ascent = std::max(rendered.cell.ascent, -glyph.ink.top);
            rendered.cell.descent =
                std::max(rendered.cell.descent, glyph.ink.top + glyph.ink.height);
        }
    }
    // Every glyph is kept as the 1-bit rows a font library file stores, all in one buffer: a
    // large font costs an eighth of a byte a pixel instead of four until a glyph is painted.
    const int height = rendered.cell.height();
    std::vector<PlacedRows> placed;
    placed.reserve(drawn.size());
    std::size_t total = 0;
    for (const DrawnGlyph& glyph : drawn) {
        const int rowBytes = glyph.advance > 0 ? bytesPerRow(glyph.advance) : 0;
        placed.push_back(PlacedRows{total, rowBytes});
        total += static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height);
    }
    std::vector<std::uint8_t> rows(total, 0xFF); // every pixel background
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        if (placed[k].rowBytes > 0 &&
            placeInk(rows.data() + placed[k].offset, placed[k].rowBytes, drawn[k].advance,
                     drawn[k].ink, rendered.cell.ascent)) {
            ++rendered.sidewaysCut;
        } else if (placed[k].rowBytes == 0 && !drawn[k].ink.empty()) {
            ++rendered.sidewaysCut; // no column to hold the ink
        }
    }
    const SharedFileImage image = shareFileImage(std::move(rows));
    rendered.glyphs.reserve(drawn.size());
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        const int advance = drawn[k].advance;
        const int code = static_cast<int>(k);
        if (placed[k].rowBytes == 0 || height == 0) {
            rendered.glyphs.push_back(GlyphRecord{code, advance, height,
                                                  Picture(advance, height, PixelFormat::Indexed4)});
            continue;
        }
        rendered.glyphs.push_back(GlyphRecord{
            code, advance, height,
            Picture(advance, height,
                    EncodedRows{image, placed[k].offset, placed[k].rowBytes, height, &inkRows()},
                    PixelFormat::Indexed4)});
    }
    return rendered;
}

SystemFontReport fillFontLibrary(FontLibrary& library, RenderedCodes rendered) {
    library.replaceGlyphs(std::move(rendered.glyphs));
    return SystemFontReport{rendered.sidewaysCut, rendered.strike};
}

} // namespace korvel
