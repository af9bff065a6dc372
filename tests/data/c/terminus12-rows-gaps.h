/* terminus12.lcm as C source, made by korvel-cli export-c --layout rows --bit-order msb --ink 1
   --codes 48-50,65 --name terminus12

   Each glyph's rows top to bottom, each row padded to whole bytes with dark bits; the leftmost
   pixel of a byte in its most significant bit; a lit pixel is a 1 bit, a dark one a 0 bit.
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

enum { terminus12_first = 48, terminus12_last = 65, terminus12_count = 4, terminus12_none = 65535 };

static const uint8_t terminus12_bitmaps[48] KORVEL_FLASH = {
    /* 48 '0': 6 x 12, offset 0
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
    0x00, 0x00, 0x70, 0x88, 0x98, 0xA8, 0xC8, 0x88, 0x88, 0x70, 0x00, 0x00,
    /* 49 '1': 6 x 12, offset 12
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
    0x00, 0x00, 0x20, 0x60, 0x20, 0x20, 0x20, 0x20, 0x20, 0x70, 0x00, 0x00,
    /* 50 '2': 6 x 12, offset 24
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
    0x00, 0x00, 0x70, 0x88, 0x88, 0x08, 0x10, 0x20, 0x40, 0xF8, 0x00, 0x00,
    /* 65 'A': 6 x 12, offset 36
       ......
       ......
       .###..
       #...#.
       #...#.
       #...#.
       #####.
       #...#.
       #...#.
       #...#.
       ......
       ......
     */
    0x00, 0x00, 0x70, 0x88, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00, 0x00,
};

static const terminus12_glyph terminus12_glyphs[4] KORVEL_FLASH = {
    {0, 6, 12}, /* 48 '0' */
    {12, 6, 12}, /* 49 '1' */
    {24, 6, 12}, /* 50 '2' */
    {36, 6, 12}, /* 65 'A' */
};

/* terminus12_index[code - terminus12_first]: the code's place in terminus12_glyphs, or
   terminus12_none (65535) for a code left out.
 */
static const uint16_t terminus12_index[18] KORVEL_FLASH = {
    0, 1, 2, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535,
    65535, 65535, 65535, 65535, 65535, 3,
};

#endif /* TERMINUS12_H */
