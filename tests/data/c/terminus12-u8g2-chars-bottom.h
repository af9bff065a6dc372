/* terminus12.lcm as a u8g2 font, made by korvel-cli export-c --format u8g2 --encoding code
   --baseline bottom --codes 32,50,53,67,176 --name terminus12

   Include u8g2.h (or U8g2lib.h) first, then u8g2_SetFont(&u8g2, terminus12)
   (u8g2.setFont(terminus12) in C++). Each glyph is stored under its code in the library, for
   u8g2_DrawStr. 5 glyphs in u8g2's run-length format, bounding-box mode 0, each cropped to its
   ink; they stand on a baseline at each glyph's bottom edge. Runs take 3 bits of background and 2
   bits of ink, the sizes that make the smallest font.
 */
#include <stdint.h>

/* u8g2.h places fonts in program memory; without it the font is plain data. */
#ifndef U8G2_FONT_SECTION
#define U8G2_FONT_SECTION(name)
#endif

const uint8_t terminus12[76] U8G2_FONT_SECTION("terminus12") =
  "\5\0\3\2\3\4\2\5\4\5\12\0\2\14\0\14\0\0\0\0\0\0/ \5\0\271\3\62\13E\245"
  "g\311\264\60k\33\4\65\14E\245\343\30\16i\250%\13\0C\12E\245g\311\304n\311\2\260\7\233"
  "\261\247\13\0\0\0\0\4\377\377\0";
