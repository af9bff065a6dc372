#include "typeface/outlinefont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <utility>

namespace korvel {

namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

/// Whole pixels of a 26.6 fixed-point length, rounded up.
[[nodiscard]] int ceilPixels(FT_Pos length) {
    return static_cast<int>(std::ceil(static_cast<double>(length) / 64.0));
}

/// Whether the pixel at (x, y) of a rendered glyph bitmap is lit: set in a 1-bit bitmap, at
/// least half covered in a grey or colour one.
[[nodiscard]] bool litIn(const FT_Bitmap& bitmap, int x, int y) {
    const unsigned char* row =
        bitmap.buffer + static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(bitmap.pitch);
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
        return (row[x / 8] & (0x80U >> (x % 8))) != 0;
    case FT_PIXEL_MODE_GRAY:
        return row[x] >= 128;
    case FT_PIXEL_MODE_BGRA:
        return row[4 * x + 3] >= 128;
    default:
        return false;
    }
}

} // namespace

int pointsToPixels(int points) {
    return (points * kDotsPerInch + kPointsPerInch / 2) / kPointsPerInch;
}

/// The FreeType library and face, freed in that order's reverse.
struct OutlineFont::Faces {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    Faces() = default;
    Faces(const Faces&) = delete;
    Faces& operator=(const Faces&) = delete;
    ~Faces() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

OutlineFont::OutlineFont(std::unique_ptr<Faces> faces, const CodePage& page)
    : faces_(std::move(faces)), page_(page) {}

OutlineFont::~OutlineFont() = default;

std::unique_ptr<OutlineFont> OutlineFont::open(const FontFace& face, int pixels,
                                               const CodePage& page) {
    auto faces = std::make_unique<Faces>();
    if (FT_Init_FreeType(&faces->library) != 0 ||
        FT_New_Face(faces->library, face.file.c_str(), face.index, &faces->face) != 0 ||
        !FT_IS_SCALABLE(faces->face) || FT_Select_Charmap(faces->face, FT_ENCODING_UNICODE) != 0 ||
        FT_Set_Pixel_Sizes(faces->face, 0, static_cast<FT_UInt>(std::max(1, pixels))) != 0) {
        return nullptr;
    }
    return std::unique_ptr<OutlineFont>(new OutlineFont(std::move(faces), page));
}

int OutlineFont::ascent() const {
    return std::max(0, ceilPixels(faces_->face->size->metrics.ascender));
}

int OutlineFont::descent() const {
    return std::max(0, ceilPixels(-faces_->face->size->metrics.descender));
}

unsigned OutlineFont::glyphOf(char32_t character) const {
    const FT_UInt glyph = FT_Get_Char_Index(faces_->face, character);
    // A font without a tab or no-break space glyph shows a space there, as text renderers do.
    if (glyph == 0 && (character == U'\t' || character == U'\u00A0')) {
        return FT_Get_Char_Index(faces_->face, U' ');
    }
    return glyph;
}

DrawnGlyph OutlineFont::drawGlyph(unsigned glyph) const {
    FT_Face face = faces_->face;
    DrawnGlyph drawn;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
        return drawn;
    }
    const FT_GlyphSlot slot = face->glyph;
    drawn.advance = std::max(0, static_cast<int>((slot->advance.x + 32) >> 6));
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        drawn.ink =
            tightInkOfBits(bitmap.buffer, bitmap.pitch, static_cast<int>(bitmap.width),
                           static_cast<int>(bitmap.rows), slot->bitmap_left, -slot->bitmap_top);
        return drawn;
    }
    drawn.ink =
        tightInk(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows), slot->bitmap_left,
                 -slot->bitmap_top, [&](int x, int y) { return litIn(bitmap, x, y); });
    return drawn;
}

DrawnGlyph OutlineFont::drawCharacter(char32_t character) const {
    return drawGlyph(glyphOf(character));
}

DrawnGlyph OutlineFont::drawCode(int code) const {
    const auto character = page_.toUnicode(static_cast<std::uint8_t>(code));
    return drawGlyph(character ? glyphOf(*character) : 0);
}

} // namespace korvel
