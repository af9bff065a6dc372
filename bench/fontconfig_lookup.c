/* What every program that takes a font by its family name pays before it renders a glyph, and
 * what the FreeType floor of bench/freetype_floor.c is spared: fontconfig reads its
 * configuration and caches and matches the family to a file. Prints the file. */
#include <fontconfig/fontconfig.h>

#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FAMILY\n", argv[0]);
        return 2;
    }
    FcPattern* asked = FcPatternCreate();
    FcPatternAddString(asked, FC_FAMILY, (const FcChar8*)argv[1]);
    FcConfigSubstitute(NULL, asked, FcMatchPattern);
    FcDefaultSubstitute(asked);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(NULL, asked, &result);
    FcChar8* file = NULL;
    if (match == NULL || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
        fprintf(stderr, "no font for %s\n", argv[1]);
        return 1;
    }
    printf("%s\n", (const char*)file);
    FcPatternDestroy(match);
    FcPatternDestroy(asked);
    return 0;
}
