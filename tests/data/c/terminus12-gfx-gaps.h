/* terminus12.lcm as C source, made by korvel-cli export-c --format gfx --baseline auto --codes
   48-57,65 --name terminus12

   An Adafruit GFX font: include Adafruit_GFX.h (for GFXglyph and GFXfont) first, then
   setFont(&terminus12). Each glyph is cropped to its ink box, its bits continuous, the most
   significant first, 1 for ink; its offsets are measured from a baseline 10 rows below each
   glyph's top (the row under the ink of 72 'H'). A code between the first and the last that the
   font leaves out is a glyph of no pixels that only advances.
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

static const uint8_t terminus12_bitmaps[] KORVEL_FLASH = {
    /* 48 '0': cell 6 x 12, ink 5 x 8 at (0, 2), offset 0
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
    0x74, 0x67, 0x5C, 0xC6, 0x2E,
    /* 49 '1': cell 6 x 12, ink 3 x 8 at (1, 2), offset 5
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
    0x59, 0x24, 0x97,
    /* 50 '2': cell 6 x 12, ink 5 x 8 at (0, 2), offset 8
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
    0x74, 0x62, 0x11, 0x11, 0x1F,
    /* 51 '3': cell 6 x 12, ink 5 x 8 at (0, 2), offset 13
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
    0x74, 0x42, 0x60, 0x86, 0x2E,
    /* 52 '4': cell 6 x 12, ink 5 x 8 at (0, 2), offset 18
       ......
       ......
       ....#.
       ...##.
       ..#.#.
       .#..#.
       #...#.
       #####.
       ....#.
       ....#.
       ......
       ......
     */
    0x08, 0xCA, 0x98, 0xFC, 0x21,
    /* 53 '5': cell 6 x 12, ink 5 x 8 at (0, 2), offset 23
       ......
       ......
       #####.
       #.....
       #.....
       ####..
       ....#.
       ....#.
       #...#.
       .###..
       ......
       ......
     */
    0xFC, 0x21, 0xE0, 0x86, 0x2E,
    /* 54 '6': cell 6 x 12, ink 5 x 8 at (0, 2), offset 28
       ......
       ......
       .###..
       #.....
       #.....
       ####..
       #...#.
       #...#.
       #...#.
       .###..
       ......
       ......
     */
    0x74, 0x21, 0xE8, 0xC6, 0x2E,
    /* 55 '7': cell 6 x 12, ink 5 x 8 at (0, 2), offset 33
       ......
       ......
       #####.
       ....#.
       ....#.
       ...#..
       ...#..
       ..#...
       ..#...
       ..#...
       ......
       ......
     */
    0xF8, 0x42, 0x21, 0x10, 0x84,
    /* 56 '8': cell 6 x 12, ink 5 x 8 at (0, 2), offset 38
       ......
       ......
       .###..
       #...#.
       #...#.
       .###..
       #...#.
       #...#.
       #...#.
       .###..
       ......
       ......
     */
    0x74, 0x62, 0xE8, 0xC6, 0x2E,
    /* 57 '9': cell 6 x 12, ink 5 x 8 at (0, 2), offset 43
       ......
       ......
       .###..
       #...#.
       #...#.
       #...#.
       .####.
       ....#.
       ....#.
       .###..
       ......
       ......
     */
    0x74, 0x63, 0x17, 0x84, 0x2E,
    /* 65 'A': cell 6 x 12, ink 5 x 8 at (0, 2), offset 48
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
    0x74, 0x63, 0x1F, 0xC6, 0x31,
};

static const GFXglyph terminus12_glyphs[] KORVEL_FLASH = {
    {0, 5, 8, 6, 0, -8}, /* 48 '0' */
    {5, 3, 8, 6, 1, -8}, /* 49 '1' */
    {8, 5, 8, 6, 0, -8}, /* 50 '2' */
    {13, 5, 8, 6, 0, -8}, /* 51 '3' */
    {18, 5, 8, 6, 0, -8}, /* 52 '4' */
    {23, 5, 8, 6, 0, -8}, /* 53 '5' */
    {28, 5, 8, 6, 0, -8}, /* 54 '6' */
    {33, 5, 8, 6, 0, -8}, /* 55 '7' */
    {38, 5, 8, 6, 0, -8}, /* 56 '8' */
    {43, 5, 8, 6, 0, -8}, /* 57 '9' */
    {48, 0, 0, 6, 0, 0}, /* 58 ':' */
    {48, 0, 0, 6, 0, 0}, /* 59 ';' */
    {48, 0, 0, 6, 0, 0}, /* 60 '<' */
    {48, 0, 0, 6, 0, 0}, /* 61 '=' */
    {48, 0, 0, 6, 0, 0}, /* 62 '>' */
    {48, 0, 0, 6, 0, 0}, /* 63 '?' */
    {48, 0, 0, 6, 0, 0}, /* 64 '@' */
    {48, 5, 8, 6, 0, -8}, /* 65 'A' */
};

static const GFXfont terminus12 KORVEL_FLASH = {
    (uint8_t *)terminus12_bitmaps,
    (GFXglyph *)terminus12_glyphs,
    48, /* first */
    65, /* last */
    12, /* yAdvance */
};

#endif /* TERMINUS12_H */
