/* ink-widths.lcm as C source, made by korvel-cli export-c --layout pages --ink 0 --codes 0-3
   --name pages0

   Each glyph in pages of 8 rows, top to bottom; a page is one byte per column, left to right, its
   top pixel in the least significant bit, rows below the glyph dark bits; a lit pixel is a 0 bit,
   a dark one a 1 bit.
   pages0_glyphs[code - pages0_first] gives a glyph's offset in pages0_bitmaps, width and height.
 */
#ifndef PAGES0_H
#define PAGES0_H

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

/* One glyph: where its bytes begin in pages0_bitmaps, and its size in pixels. */
typedef struct {
    uint32_t offset;
    uint8_t width;
    uint8_t height;
} pages0_glyph;

enum { pages0_first = 0, pages0_last = 3 };

static const uint8_t pages0_bitmaps[34] KORVEL_FLASH = {
    /* 0: 5 x 1, offset 0
       #...#
     */
    0xFE, 0xFF, 0xFF, 0xFF, 0xFE,
    /* 1: 8 x 1, offset 5
       .......#
     */
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE,
    /* 2: 9 x 1, offset 13
       ........#
     */
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE,
    /* 3: 12 x 2, offset 22
       ............
       ...........#
     */
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD,
};

static const pages0_glyph pages0_glyphs[4] KORVEL_FLASH = {
    {0, 5, 1}, /* 0 */
    {5, 8, 1}, /* 1 */
    {13, 9, 1}, /* 2 */
    {22, 12, 2}, /* 3 */
};

#endif /* PAGES0_H */
