/* ink-widths.lcm as C source, made by korvel-cli export-c --format gfx --baseline 1 --codes 0-3
   --name ink_widths

   An Adafruit GFX font: include Adafruit_GFX.h (for GFXglyph and GFXfont) first, then
   setFont(&ink_widths). Each glyph is cropped to its ink box, its bits continuous, the most
   significant first, 1 for ink; its offsets are measured from a baseline 1 rows below each glyph's
   top.
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

static const uint8_t ink_widths_bitmaps[] KORVEL_FLASH = {
    /* 0: cell 5 x 1, ink 5 x 1 at (0, 0), offset 0
       #...#
     */
    0x88,
    /* 1: cell 8 x 1, ink 1 x 1 at (7, 0), offset 1
       .......#
     */
    0x80,
    /* 2: cell 9 x 1, ink 1 x 1 at (8, 0), offset 2
       ........#
     */
    0x80,
    /* 3: cell 12 x 2, ink 1 x 1 at (11, 1), offset 3
       ............
       ...........#
     */
    0x80,
};

static const GFXglyph ink_widths_glyphs[] KORVEL_FLASH = {
    {0, 5, 1, 5, 0, -1}, /* 0 */
    {1, 1, 1, 8, 7, -1}, /* 1 */
    {2, 1, 1, 9, 8, -1}, /* 2 */
    {3, 1, 1, 12, 11, 0}, /* 3 */
};

static const GFXfont ink_widths KORVEL_FLASH = {
    (uint8_t *)ink_widths_bitmaps,
    (GFXglyph *)ink_widths_glyphs,
    0, /* first */
    3, /* last */
    2, /* yAdvance */
};

#endif /* INK_WIDTHS_H */
