/* ink-widths.lcm as C source, made by korvel-cli export-c --layout rows --bit-order msb --ink 1
   --codes 0-3 --name ink_widths

   Each glyph's rows top to bottom, each row padded to whole bytes with dark bits; the leftmost
   pixel of a byte in its most significant bit; a lit pixel is a 1 bit, a dark one a 0 bit.
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

static const uint8_t ink_widths_bitmaps[8] KORVEL_FLASH = {
    /* 0: 5 x 1, offset 0
       #...#
     */
    0x88,
    /* 1: 8 x 1, offset 1
       .......#
     */
    0x01,
    /* 2: 9 x 1, offset 2
       ........#
     */
    0x00, 0x80,
    /* 3: 12 x 2, offset 4
       ............
       ...........#
     */
    0x00, 0x00, 0x00, 0x10,
};

static const ink_widths_glyph ink_widths_glyphs[4] KORVEL_FLASH = {
    {0, 5, 1}, /* 0 */
    {1, 8, 1}, /* 1 */
    {2, 9, 1}, /* 2 */
    {4, 12, 2}, /* 3 */
};

#endif /* INK_WIDTHS_H */
