/* Draws every glyph of an LVGL font back through the font's own get_glyph_dsc pointer, with
   lv_font_fmt_txt's documented character-map lookup (FORMAT0_TINY: glyph_id_start plus the
   character's place in the range; SPARSE_TINY: plus its index in unicode_list, found by binary
   search) and drawing rule (1 bit per pixel, bits continuous, most significant first; the box's
   top at line_height - base_line - box_h - ofs_y). Each glyph is printed in a cell of its
   advance and line_height rows as "CODE WIDTH HEIGHT" and rows of '#' and '.'. letters.h lists
   {code, character} for every glyph the font should hold. Exits 3 on a glyph missing, a glyph
   found where none should be, or ink outside the cell. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "letters.h"
#include "lvgl.h"

LV_FONT_DECLARE(font)

static int compareCodes(const void* a, const void* b) {
    return (int)*(const uint16_t*)a - (int)*(const uint16_t*)b;
}

static uint32_t glyphId(const lv_font_fmt_txt_dsc_t* fdsc, uint32_t letter) {
    unsigned i;
    for (i = 0; i < fdsc->cmap_num; ++i) {
        const lv_font_fmt_txt_cmap_t* cmap = &fdsc->cmaps[i];
        const uint32_t rcp = letter - cmap->range_start;
        if (letter < cmap->range_start || rcp >= cmap->range_length) {
            continue;
        }
        if (cmap->type == LV_FONT_FMT_TXT_CMAP_FORMAT0_TINY) {
            return cmap->glyph_id_start + rcp;
        }
        if (cmap->type == LV_FONT_FMT_TXT_CMAP_SPARSE_TINY) {
            const uint16_t key = (uint16_t)rcp;
            const uint16_t* p = (const uint16_t*)bsearch(
                &key, cmap->unicode_list, cmap->list_length, sizeof key, compareCodes);
            if (p != NULL) {
                return cmap->glyph_id_start + (uint32_t)(p - cmap->unicode_list);
            }
        }
    }
    return 0;
}

bool lv_font_get_glyph_dsc_fmt_txt(const lv_font_t* f, lv_font_glyph_dsc_t* dsc_out,
                                   uint32_t letter, uint32_t letter_next) {
    const lv_font_fmt_txt_dsc_t* fdsc = (const lv_font_fmt_txt_dsc_t*)f->dsc;
    const uint32_t id = glyphId(fdsc, letter);
    const lv_font_fmt_txt_glyph_dsc_t* g = &fdsc->glyph_dsc[id];
    (void)letter_next;
    if (id == 0) {
        return false;
    }
    dsc_out->resolved_font = f;
    dsc_out->adv_w = (uint16_t)((g->adv_w + 8) >> 4);
    dsc_out->box_w = g->box_w;
    dsc_out->box_h = g->box_h;
    dsc_out->ofs_x = g->ofs_x;
    dsc_out->ofs_y = g->ofs_y;
    dsc_out->gid = id;
    return true;
}

#if LVGL_VERSION_MAJOR == 8
const uint8_t* lv_font_get_bitmap_fmt_txt(const lv_font_t* f, uint32_t letter) {
    const lv_font_fmt_txt_dsc_t* fdsc = (const lv_font_fmt_txt_dsc_t*)f->dsc;
    return fdsc->glyph_bitmap + fdsc->glyph_dsc[glyphId(fdsc, letter)].bitmap_index;
}
#else
const void* lv_font_get_bitmap_fmt_txt(lv_font_glyph_dsc_t* g, lv_draw_buf_t* draw_buf) {
    const lv_font_fmt_txt_dsc_t* fdsc = (const lv_font_fmt_txt_dsc_t*)g->resolved_font->dsc;
    (void)draw_buf;
    return fdsc->glyph_bitmap + fdsc->glyph_dsc[g->gid].bitmap_index;
}
#endif

static char cell[256][256];

static int draw(int code, uint32_t letter) {
    const lv_font_t* f = &font;
    lv_font_glyph_dsc_t g;
    const uint8_t* bits;
    int x, y, top, bit = 0;
    if (!f->get_glyph_dsc(f, &g, letter, 0)) {
        printf("glyph %d (U+%04lX) is missing\n", code, (unsigned long)letter);
        return 3;
    }
#if LVGL_VERSION_MAJOR == 8
    bits = f->get_glyph_bitmap(f, letter);
#else
    bits = (const uint8_t*)f->get_glyph_bitmap(&g, NULL);
#endif
    memset(cell, '.', sizeof cell);
    top = f->line_height - f->base_line - g.box_h - g.ofs_y;
    for (y = 0; y < g.box_h; ++y) {
        for (x = 0; x < g.box_w; ++x, ++bit) {
            if ((bits[bit / 8] >> (7 - bit % 8)) & 1) {
                const int cx = g.ofs_x + x, cy = top + y;
                if (cx < 0 || cx >= g.adv_w || cy < 0 || cy >= f->line_height) {
                    printf("ink of glyph %d outside its cell\n", code);
                    return 3;
                }
                cell[cy][cx] = '#';
            }
        }
    }
    printf("%d %d %d\n", code, g.adv_w, f->line_height);
    for (y = 0; y < f->line_height; ++y) {
        fwrite(cell[y], 1, (size_t)g.adv_w, stdout);
        putchar('\n');
    }
    return 0;
}

int main(void) {
    const size_t count = sizeof letters / sizeof letters[0];
    size_t k, found = 0;
    uint32_t letter;
    lv_font_glyph_dsc_t g;
    for (k = 0; k < count; ++k) {
        if (draw((int)letters[k][0], (uint32_t)letters[k][1]) != 0) {
            return 3;
        }
    }
    for (letter = 0; letter < 0x10000; ++letter) {
        found += font.get_glyph_dsc(&font, &g, letter, 0);
    }
    if (found != count) {
        printf("the font holds %lu glyphs, not %lu\n", (unsigned long)found, (unsigned long)count);
        return 3;
    }
    return 0;
}
