/* terminus12.lcm as C source, made by korvel-cli export-c --layout pages --ink 1 --codes 32,48-51
   --name terminus12

   Each glyph in pages of 8 rows, top to bottom; a page is one byte per column, left to right, its
   top pixel in the least significant bit, rows below the glyph dark bits; a lit pixel is a 1 bit,
   a dark one a 0 bit.
   terminus12_glyphs[terminus12_index[code - terminus12_first]] gives a glyph's offset in
   terminus12_bitmaps, width and height; the index is terminus12_none for a code the header leaves
   out.
 */
#ifndef TERMINUS12_H
#define TERMINUS12_H

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

/* One glyph: where its bytes begin in terminus12_bitmaps, and its size in pixels. */
typedef struct {
    uint32_t offset;
    uint8_t width;
    uint8_t height;
} terminus12_glyph;

enum { terminus12_first = 32, terminus12_last = 51, terminus12_count = 5, terminus12_none = 65535 };

static const uint8_t terminus12_bitmaps[60] KORVEL_FLASH = {
    /* 32: 6 x 12, offset 0
       ......
       ......
       ......
       ......
       ......
       ......
       ......
       ......
       ......
       ......
       ......
       ......
     */
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    /* 48 '0': 6 x 12, offset 12
       ......
       ......
       .###..
       #...#.
       #..##.
       #.#.#.
       ##..#.
       #...#.
       #...#.
       .###..
       ......
       ......
     */
    0xF8, 0x44, 0x24, 0x14, 0xF8, 0x00, 0x01, 0x02, 0x02, 0x02, 0x01, 0x00,
    /* 49 '1': 6 x 12, offset 24
       ......
       ......
       ..#...
       .##...
       ..#...
       ..#...
       ..#...
       ..#...
       ..#...
       .###..
       ......
       ......
     */
    0x00, 0x08, 0xFC, 0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0x02, 0x00, 0x00,
    /* 50 '2': 6 x 12, offset 36
       ......
       ......
       .###..
       #...#.
       #...#.
       ....#.
       ...#..
       ..#...
       .#....
       #####.
       ......
       ......
     */
    0x18, 0x04, 0x84, 0x44, 0x38, 0x00, 0x02, 0x03, 0x02, 0x02, 0x02, 0x00,
    /* 51 '3': 6 x 12, offset 48
       ......
       ......
       .###..
       #...#.
       ....#.
       ..##..
       ....#.
       ....#.
       #...#.
       .###..
       ......
       ......
     */
    0x08, 0x04, 0x24, 0x24, 0xD8, 0x00, 0x01, 0x02, 0x02, 0x02, 0x01, 0x00,
};

static const terminus12_glyph terminus12_glyphs[5] KORVEL_FLASH = {
    {0, 6, 12}, /* 32 */
    {12, 6, 12}, /* 48 '0' */
    {24, 6, 12}, /* 49 '1' */
    {36, 6, 12}, /* 50 '2' */
    {48, 6, 12}, /* 51 '3' */
};

/* terminus12_index[code - terminus12_first]: the code's place in terminus12_glyphs, or
   terminus12_none (65535) for a code left out.
 */
static const uint16_t terminus12_index[20] KORVEL_FLASH = {
    0, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535,
    65535, 65535, 65535, 65535, 1, 2, 3, 4,
};

#endif /* TERMINUS12_H */
