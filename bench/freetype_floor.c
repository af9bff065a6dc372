/* The floor for korvel-cli new-font: renders the 256 codes of Windows-1252 with FreeType's
 * monochrome rasteriser at a size and packs each glyph's rows into bytes, as a font library
 * needs, writing the packed rows to a file. Nothing else: no font matching, no layout. */
#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Windows-1252 codes 128-159 (0 where the code page leaves a code undefined). */
static const unsigned long kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s FONTFILE PIXELS OUT\n", argv[0]);
        return 2;
    }
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face) ||
        FT_Set_Pixel_Sizes(face, 0, (FT_UInt)atoi(argv[2]))) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    FILE* out = fopen(argv[3], "wb");
    if (out == NULL) {
        return 1;
    }
    for (unsigned code = 0; code < 256; ++code) {
        const unsigned long character = code >= 128 && code < 160 ? kHigh[code - 128] : code;
        if (FT_Load_Char(face, character, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) {
            continue;
        }
        const FT_Bitmap* bitmap = &face->glyph->bitmap;
        const unsigned rowBytes = (bitmap->width + 7) / 8;
        for (unsigned y = 0; y < bitmap->rows; ++y) {
            fwrite(bitmap->buffer + (long)y * bitmap->pitch, 1, rowBytes, out);
        }
    }
    fclose(out);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return 0;
}
