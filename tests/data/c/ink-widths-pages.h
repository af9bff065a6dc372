/* ink-widths.lcm as C source, made by korvel-cli export-c --layout pages --ink 1 --codes 0-3
   --name ink_widths

   Each glyph in pages of 8 rows, top to bottom; a page is one byte per column, left to right, its
   top pixel in the least significant bit, rows below the glyph dark bits; a lit pixel is a 1 bit,
   a dark one a 0 bit.
   ink_widths_glyphs[code - ink_widths_first] gives a glyph's offset in ink_widths_bitmaps, width
   and height.
 */
#ifndef INK_WIDTHS_H
#define INK_WIDTHS_H

#include <stdint.h>

/* Where the constant data goes: program memory on AVR, else where the compiler puts it.
   Define KORVEL_FLASH before including this header to choose another place. */
#ifndef KORVEL_FLASH
#ifdef __AVR__
#include <avr/pgmspace.h>
#define KORVEL_FLASH PROGMEM
#else
#define KORVEL_FLASH
#endif
#endif

/* One glyph: where its bytes begin in ink_widths_bitmaps, and its size in pixels. */
typedef struct {
    uint32_t offset;
    uint8_t width;
    uint8_t height;
} ink_widths_glyph;

enum { ink_widths_first = 0, ink_widths_last = 3 };

static const uint8_t ink_widths_bitmaps[34] KORVEL_FLASH = {
    /* 0: 5 x 1, offset 0
       #...#
     */
    0x01, 0x00, 0x00, 0x00, 0x01,
    /* 1: 8 x 1, offset 5
       .......#
     */
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    /* 2: 9 x 1, offset 13
       ........#
     */
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    /* 3: 12 x 2, offset 22
       ............
       ...........#
     */
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
};

static const ink_widths_glyph ink_widths_glyphs[4] KORVEL_FLASH = {
    {0, 5, 1}, /* 0 */
    {5, 8, 1}, /* 1 */
    {13, 9, 1}, /* 2 */
    {22, 12, 2}, /* 3 */
};

/* The code in this font (code page windows-1252) of the UTF-8 character at *utf8,
   which moves *utf8 past it; '?' for a character the code page lacks or a malformed
   sequence. To print a UTF-8 string s:
       const char *p = s;
       while (*p != '\0') {
           uint8_t code = ink_widths_code(&p);
           ... draw the glyph of code ...
       }
*/
static inline uint8_t ink_widths_code(const char **utf8) {
    /* The character of each code from 128 on; 0 where the code page has none. */
    static const uint16_t high[128] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, /* 128-135 */
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, /* 136-143 */
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, /* 144-151 */
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, /* 152-159 */
        0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, /* 160-167 */
        0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, /* 168-175 */
        0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, /* 176-183 */
        0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, /* 184-191 */
        0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, /* 192-199 */
        0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, /* 200-207 */
        0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, /* 208-215 */
        0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, /* 216-223 */
        0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, /* 224-231 */
        0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, /* 232-239 */
        0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, /* 240-247 */
        0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, /* 248-255 */
    };
    const unsigned char *s = (const unsigned char *)*utf8;
    uint32_t c = s[0];
    uint32_t least = 0;
    int more = 0;
    int k;
    if (c < 0x80) {
        *utf8 += 1;
        return (uint8_t)c;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        more = 1;
        least = 0x80;
        c &= 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        more = 2;
        least = 0x800;
        c &= 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        more = 3;
        least = 0x10000;
        c &= 0x07;
    } else {
        *utf8 += 1; /* a continuation byte or one no UTF-8 text holds */
        return '?';
    }
    for (k = 1; k <= more; ++k) {
        if ((s[k] & 0xC0) != 0x80) {
            *utf8 += k; /* cut short: the next character starts at s[k] */
            return '?';
        }
        c = (c << 6) | (uint32_t)(s[k] & 0x3F);
    }
    *utf8 += more + 1;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return '?';
    }
    for (k = 0; k < 128; ++k) {
        if (high[k] == c) {
            return (uint8_t)(128 + k);
        }
    }
    return '?';
}

#endif /* INK_WIDTHS_H */
