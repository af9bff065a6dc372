/* The parts of LVGL's lv_font.h and lv_font_fmt_txt.h that a font file uses, written from their
   documentation for LVGL_VERSION_MAJOR 8 (8.3) or 9 (9.3, or 9.0 with LVGL_VERSION_MINOR 0, which
   lacks the stride and static_bitmap fields), so fonts compile and are looked up without LVGL
   itself. */
#ifndef TEST_LVGL_H
#define TEST_LVGL_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifndef LVGL_VERSION_MINOR
#define LVGL_VERSION_MINOR 3
#endif
#define LVGL_VERSION_PATCH 0
#define LV_VERSION_CHECK(x, y, z)                                                                  \
    (x == LVGL_VERSION_MAJOR &&                                                                    \
     (y < LVGL_VERSION_MINOR || (y == LVGL_VERSION_MINOR && z <= LVGL_VERSION_PATCH)))
#define LV_ATTRIBUTE_LARGE_CONST

#ifdef __cplusplus
extern "C" {
#endif

typedef enum { LV_FONT_SUBPX_NONE, LV_FONT_SUBPX_HOR, LV_FONT_SUBPX_VER } lv_font_subpx_t;

typedef struct {
    uint32_t bitmap_index : 20;
    uint32_t adv_w : 12;
    uint8_t box_w;
    uint8_t box_h;
    int8_t ofs_x;
    int8_t ofs_y;
} lv_font_fmt_txt_glyph_dsc_t;

typedef enum {
    LV_FONT_FMT_TXT_CMAP_FORMAT0_FULL,
    LV_FONT_FMT_TXT_CMAP_SPARSE_FULL,
    LV_FONT_FMT_TXT_CMAP_FORMAT0_TINY,
    LV_FONT_FMT_TXT_CMAP_SPARSE_TINY,
} lv_font_fmt_txt_cmap_type_t;

typedef struct {
    uint32_t range_start;
    uint16_t range_length;
    uint16_t glyph_id_start;
    const uint16_t* unicode_list;
    const void* glyph_id_ofs_list;
    uint16_t list_length;
    lv_font_fmt_txt_cmap_type_t type;
} lv_font_fmt_txt_cmap_t;

#if LVGL_VERSION_MAJOR == 8
typedef struct {
    uint32_t last_letter;
    uint32_t last_glyph_id;
} lv_font_fmt_txt_glyph_cache_t;
#endif

typedef struct {
    const uint8_t* glyph_bitmap;
    const lv_font_fmt_txt_glyph_dsc_t* glyph_dsc;
    const lv_font_fmt_txt_cmap_t* cmaps;
    const void* kern_dsc;
    uint16_t kern_scale;
    uint16_t cmap_num : 9;
    uint16_t bpp : 4;
    uint16_t kern_classes : 1;
    uint16_t bitmap_format : 2;
#if LVGL_VERSION_MAJOR == 8
    lv_font_fmt_txt_glyph_cache_t* cache;
#elif LVGL_VERSION_MINOR >= 3
    uint8_t stride;
#endif
} lv_font_fmt_txt_dsc_t;

struct lv_font_t_;

typedef struct {
    const struct lv_font_t_* resolved_font;
    uint16_t adv_w;
    uint16_t box_w;
    uint16_t box_h;
    int16_t ofs_x;
    int16_t ofs_y;
    uint32_t gid;
} lv_font_glyph_dsc_t;

typedef struct lv_draw_buf_t_ lv_draw_buf_t;

typedef struct lv_font_t_ {
    bool (*get_glyph_dsc)(const struct lv_font_t_*, lv_font_glyph_dsc_t*, uint32_t letter,
                          uint32_t letter_next);
#if LVGL_VERSION_MAJOR == 8
    const uint8_t* (*get_glyph_bitmap)(const struct lv_font_t_*, uint32_t);
    int16_t line_height;
    int16_t base_line;
    uint8_t subpx : 2;
#else
    const void* (*get_glyph_bitmap)(lv_font_glyph_dsc_t*, lv_draw_buf_t*);
    void (*release_glyph)(const struct lv_font_t_*, lv_font_glyph_dsc_t*);
    int32_t line_height;
    int32_t base_line;
    uint8_t subpx : 2;
    uint8_t kerning : 1;
#if LVGL_VERSION_MINOR >= 3
    uint8_t static_bitmap : 1;
#endif
#endif
    int8_t underline_position;
    int8_t underline_thickness;
    const void* dsc;
    const struct lv_font_t_* fallback;
    void* user_data;
} lv_font_t;

bool lv_font_get_glyph_dsc_fmt_txt(const lv_font_t* font, lv_font_glyph_dsc_t* dsc_out,
                                   uint32_t letter, uint32_t letter_next);
#if LVGL_VERSION_MAJOR == 8
const uint8_t* lv_font_get_bitmap_fmt_txt(const lv_font_t* font, uint32_t letter);
#else
const void* lv_font_get_bitmap_fmt_txt(lv_font_glyph_dsc_t* g_dsc, lv_draw_buf_t* draw_buf);
#endif

#define LV_FONT_DECLARE(font_name) extern const lv_font_t font_name;

#ifdef __cplusplus
}
#endif

#endif
