/* terminus12.lcm as a u8g2 font, made by korvel-cli export-c --format u8g2 --encoding unicode
   --baseline auto --codes 48-57,128,176,196 --name terminus12

   Include u8g2.h (or U8g2lib.h) first, then u8g2_SetFont(&u8g2, terminus12)
   (u8g2.setFont(terminus12) in C++). Each glyph is stored under the Unicode value of its
   Windows-1252 character, for u8g2_DrawUTF8. 13 glyphs in u8g2's run-length format, bounding-box
   mode 0, each cropped to its ink; they stand on a baseline 10 rows below each glyph's top (the
   row under the ink of 72 'H'). Runs take 3 bits of background and 2 bits of ink, the sizes that
   make the smallest font.
 */
#include <stdint.h>

/* u8g2.h places fonts in program memory; without it the font is plain data. */
#ifndef U8G2_FONT_SECTION
#define U8G2_FONT_SECTION(name)
#endif

const uint8_t terminus12[176] U8G2_FONT_SECTION("terminus12") =
  "\15\0\3\2\3\4\2\4\4\6\12\0\0\12\376\12\376\0\0\0\0\0\206\60\15E\321\263d\322\222L"
  "\232\226,\0\61\10\303\321\223H\275\14\62\13E\321\263dZ\230\265\15\2\63\14E\321\263da\244\206"
  "Z\262\0\64\13E\321\231III\33\306\2\65\13E\321q\14\207\64\324\222\5\66\14E\321\263\204\341"
  "\220d\266d\1\67\13E\321\61\210\265\60\13K\0\70\14E\321\263dZ\262d\266d\1\71\14E\321"
  "\263d\266d\10+\13\0\260\6\233\335\323\5\304\15U\321SJ\242%\263\15Cf\13\0\0\0\4\377"
  "\377 \254\15>\321\65e\203\26\16Yi\1\0";
