/* Draws every glyph of a u8g2 font back, as u8g2's font documentation and u8g2_font.c read it:
   the 23-byte header, the glyph lookup (the 8-bit section from the offsets of 'A' and 'a', the
   Unicode section through its lookup table), the glyph's bit fields least significant bit first,
   and the run-length pairs of background and ink with their repeat bit. Each glyph is placed
   with its box's bottom y rows above the baseline, into a cell of its advance and CELL_HEIGHT
   rows whose baseline lies BASELINE rows below the top, and printed as "CODE WIDTH HEIGHT" and
   rows of '#' and '.'. Compiled with the font (font.h, the array "font") and letters.h, which
   lists {code, number} for every glyph the font should hold. Exits 3 on any glyph that is
   missing, found under a number it should not have, or whose ink falls outside its cell. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "font.h"
#include "letters.h"

typedef struct {
    const uint8_t* ptr;
    unsigned bit;
} Reader;

static unsigned bits(Reader* r, unsigned count) {
    unsigned value = (unsigned)(*r->ptr >> r->bit);
    unsigned end = r->bit + count;
    if (end >= 8) {
        r->ptr++;
        value |= (unsigned)*r->ptr << (8 - r->bit);
        end -= 8;
    }
    r->bit = end;
    return value & ((1U << count) - 1U);
}

static int signedBits(Reader* r, unsigned count) {
    return (int)bits(r, count) - (1 << (count - 1));
}

static unsigned word(const uint8_t* p) {
    return (unsigned)(p[0] << 8 | p[1]);
}

/* u8g2_font_get_glyph_data: the glyph's bit stream, or 0. */
static const uint8_t* glyphData(const uint8_t* f, unsigned number) {
    const uint8_t* p = f + 23;
    if (number <= 255) {
        if (number >= 'a') {
            p += word(f + 19);
        } else if (number >= 'A') {
            p += word(f + 17);
        }
        for (;;) {
            if (p[1] == 0) {
                break;
            }
            if (p[0] == number) {
                return p + 2;
            }
            p += p[1];
        }
    } else {
        const uint8_t* table;
        unsigned e;
        p += word(f + 21);
        table = p;
        do {
            p += word(table);
            e = word(table + 2);
            table += 4;
        } while (e < number);
        for (;;) {
            e = word(p);
            if (e == 0) {
                break;
            }
            if (e == number) {
                return p + 3;
            }
            p += p[2];
        }
    }
    return 0;
}

static char cell[256][256];
static int inkX, inkY, pixel, boxWidth, cellWidth, failed;

static void run(unsigned length, int ink) {
    unsigned k;
    for (k = 0; k < length; ++k) {
        const int x = inkX + pixel % boxWidth, y = inkY + pixel / boxWidth;
        if (ink) {
            if (x < 0 || x >= cellWidth || y < 0 || y >= CELL_HEIGHT) {
                failed = 1;
            } else {
                cell[y][x] = '#';
            }
        }
        ++pixel;
    }
}

static int draw(const uint8_t* f, int code, unsigned number) {
    const uint8_t* data = glyphData(f, number);
    Reader r;
    int w, h, x, y, dx, row;
    if (data == 0) {
        printf("glyph %d (number %u) is missing\n", code, number);
        return 3;
    }
    r.ptr = data;
    r.bit = 0;
    w = (int)bits(&r, f[4]);
    h = (int)bits(&r, f[5]);
    x = signedBits(&r, f[6]);
    y = signedBits(&r, f[7]);
    dx = signedBits(&r, f[8]);
    memset(cell, '.', sizeof cell);
    cellWidth = dx;
    if (w > 0) {
        inkX = x;
        inkY = BASELINE - (h + y);
        pixel = 0;
        boxWidth = w;
        for (;;) {
            const unsigned zeros = bits(&r, f[2]), ones = bits(&r, f[3]);
            do {
                run(zeros, 0);
                run(ones, 1);
            } while (bits(&r, 1) != 0);
            if (pixel >= w * h) {
                break;
            }
        }
    }
    if (failed) {
        printf("ink of glyph %d outside its cell\n", code);
        return 3;
    }
    printf("%d %d %d\n", code, dx, CELL_HEIGHT);
    for (row = 0; row < CELL_HEIGHT; ++row) {
        fwrite(cell[row], 1, (size_t)dx, stdout);
        putchar('\n');
    }
    return 0;
}

int main(void) {
    const size_t count = sizeof letters / sizeof letters[0];
    size_t k, found = 0;
    unsigned number;
    for (k = 0; k < count; ++k) {
        if (draw(font, (int)letters[k][0], (unsigned)letters[k][1]) != 0) {
            return 3;
        }
    }
    /* Only the listed glyphs are in the font. */
    for (number = 0; number < 0x10000; ++number) {
        found += glyphData(font, number) != 0;
    }
    if (found != count) {
        printf("the font holds %lu glyphs, not %lu\n", (unsigned long)found, (unsigned long)count);
        return 3;
    }
    return 0;
}
