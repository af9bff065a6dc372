/* palette-and-names.bcm as C source, made by korvel-cli export-c --pixel planes --bit-order lsb
   --ink 0 --name palette_and_names

   Three planes, red, green and blue, each height rows of (width + 7) / 8 bytes, padded with dark
   bits; the leftmost pixel of a byte in its least significant bit; a lit channel is a 0 bit, a
   dark one a 1 bit.
   palette_and_names_bitmaps[0 to palette_and_names_count - 1] gives each bitmap's name, size and
   pixels (0 when it has none), in library order.
 */
#ifndef PALETTE_AND_NAMES_H
#define PALETTE_AND_NAMES_H

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

/* One bitmap: its name, its size in pixels and its pixels. */
typedef struct {
    const char *name;
    uint16_t width;
    uint16_t height;
    const uint8_t *pixels;
} palette_and_names_bitmap;

enum { palette_and_names_count = 3 };

/* 0 "ALL": 3 x 3
   RGY
   KBA
   WFR
 */
static const uint8_t palette_and_names_pixels_0[9] KORVEL_FLASH = {
    0xFA, 0xFF, 0xF8, 0xF9, 0xFB, 0xFE, 0xFF, 0xF9, 0xFC,
};

/* 1 "\"\?\\* /\351": 2 x 1
   WK
 */
static const uint8_t palette_and_names_pixels_1[3] KORVEL_FLASH = {
    0xFE, 0xFE, 0xFE,
};

/* 2 "EMPTY": 5 x 0 */
/* no pixels, so no array */

static const palette_and_names_bitmap palette_and_names_bitmaps[3] KORVEL_FLASH = {
    {"ALL", 3, 3, palette_and_names_pixels_0},
    {"\"\?\\*/\351", 2, 1, palette_and_names_pixels_1},
    {"EMPTY", 5, 0, 0},
};

#endif /* PALETTE_AND_NAMES_H */
