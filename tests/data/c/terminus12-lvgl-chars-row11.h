/* terminus12.lcm as an LVGL font, made by korvel-cli export-c --format lvgl --baseline 11 --codes
   32,71,101,114,128,223,252 --name terminus12

   Compile this file with the project and declare the font where it is used:
   LV_FONT_DECLARE(terminus12) and lv_obj_set_style_text_font(label, &terminus12, 0). It builds
   against LVGL 8.3 and 9.x (lv_font_fmt_txt, 1 bit per pixel, uncompressed). 7 glyphs found under
   the Unicode values of their Windows-1252 characters, each cropped to its ink, its bits
   continuous, the most significant first; they stand on a baseline 11 rows below each glyph's top,
   a line is 12 pixels high.
 */
#ifdef __has_include
    #if __has_include("lvgl.h")
        #ifndef LV_LVGL_H_INCLUDE_SIMPLE
            #define LV_LVGL_H_INCLUDE_SIMPLE
        #endif
    #endif
#endif

#ifdef LV_LVGL_H_INCLUDE_SIMPLE
    #include "lvgl.h"
#else
    #include "lvgl/lvgl.h"
#endif

#ifndef TERMINUS12
#define TERMINUS12 1
#endif

#if TERMINUS12

/*-----------------
 *    BITMAPS
 *----------------*/

/*Store the image of the glyphs*/
static LV_ATTRIBUTE_LARGE_CONST const uint8_t glyph_bitmap[] = {
    /* U+0020, code 32: ink 0 x 0, offset 0
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
    /* U+0047, code 71 'G': ink 5 x 8, offset 0
       ......
       ......
       .###..
       #...#.
       #.....
       #.....
       #.###.
       #...#.
       #...#.
       .###..
       ......
       ......
     */
    0x74, 0x61, 0x0B, 0xC6, 0x2E,
    /* U+0065, code 101 'e': ink 5 x 6, offset 5
       ......
       ......
       ......
       ......
       .###..
       #...#.
       #####.
       #.....
       #.....
       .####.
       ......
       ......
     */
    0x74, 0x7F, 0x08, 0x3C,
    /* U+0072, code 114 'r': ink 5 x 6, offset 9
       ......
       ......
       ......
       ......
       #.###.
       ##....
       #.....
       #.....
       #.....
       #.....
       ......
       ......
     */
    0xBE, 0x21, 0x08, 0x40,
    /* U+00DF, code 223: ink 5 x 8, offset 13
       ......
       ......
       ###...
       #..#..
       #..#..
       ####..
       #...#.
       #...#.
       ##..#.
       #.##..
       ......
       ......
     */
    0xE4, 0xA5, 0xE8, 0xC7, 0x36,
    /* U+00FC, code 252: ink 5 x 8, offset 18
       ......
       ......
       .#.#..
       .#.#..
       #...#.
       #...#.
       #...#.
       #...#.
       #...#.
       .####.
       ......
       ......
     */
    0x52, 0xA3, 0x18, 0xC6, 0x2F,
    /* U+20AC, code 128: ink 6 x 7, offset 23
       ......
       ......
       ......
       ..###.
       .#...#
       ####..
       .#....
       ####..
       .#...#
       ..###.
       ......
       ......
     */
    0x39, 0x1F, 0x10, 0xF1, 0x13, 0x80,
};

/*---------------------
 *  GLYPH DESCRIPTION
 *--------------------*/

static const lv_font_fmt_txt_glyph_dsc_t glyph_dsc[] = {
    {.bitmap_index = 0, .adv_w = 0, .box_w = 0, .box_h = 0, .ofs_x = 0, .ofs_y = 0} /* id = 0 reserved */,
    {.bitmap_index = 0, .adv_w = 96, .box_w = 0, .box_h = 0, .ofs_x = 0, .ofs_y = 0}, /* U+0020, code 32 */
    {.bitmap_index = 0, .adv_w = 96, .box_w = 5, .box_h = 8, .ofs_x = 0, .ofs_y = 1}, /* U+0047, code 71 'G' */
    {.bitmap_index = 5, .adv_w = 96, .box_w = 5, .box_h = 6, .ofs_x = 0, .ofs_y = 1}, /* U+0065, code 101 'e' */
    {.bitmap_index = 9, .adv_w = 96, .box_w = 5, .box_h = 6, .ofs_x = 0, .ofs_y = 1}, /* U+0072, code 114 'r' */
    {.bitmap_index = 13, .adv_w = 96, .box_w = 5, .box_h = 8, .ofs_x = 0, .ofs_y = 1}, /* U+00DF, code 223 */
    {.bitmap_index = 18, .adv_w = 96, .box_w = 5, .box_h = 8, .ofs_x = 0, .ofs_y = 1}, /* U+00FC, code 252 */
    {.bitmap_index = 23, .adv_w = 96, .box_w = 6, .box_h = 7, .ofs_x = 0, .ofs_y = 1}, /* U+20AC, code 128 */
};

/*---------------------
 *  CHARACTER MAPPING
 *--------------------*/

static const uint16_t unicode_list_0[] = {
    0x0, 0x27, 0x45, 0x52, 0xbf, 0xdc, 0x208c,
};

/*Collect the unicode lists and glyph_id offsets*/
static const lv_font_fmt_txt_cmap_t cmaps[] =
{
    {
        .range_start = 32, .range_length = 8333, .glyph_id_start = 1,
        .unicode_list = unicode_list_0, .glyph_id_ofs_list = NULL, .list_length = 7, .type = LV_FONT_FMT_TXT_CMAP_SPARSE_TINY
    }
};

/*--------------------
 *  ALL CUSTOM DATA
 *--------------------*/

#if LVGL_VERSION_MAJOR == 8
/*Store all the custom data of the font*/
static  lv_font_fmt_txt_glyph_cache_t cache;
#endif

#if LVGL_VERSION_MAJOR >= 8
static const lv_font_fmt_txt_dsc_t font_dsc = {
#else
static lv_font_fmt_txt_dsc_t font_dsc = {
#endif
    .glyph_bitmap = glyph_bitmap,
    .glyph_dsc = glyph_dsc,
    .cmaps = cmaps,
    .kern_dsc = NULL,
    .kern_scale = 0,
    .cmap_num = 1,
    .bpp = 1,
    .kern_classes = 0,
    .bitmap_format = 0,
#if LVGL_VERSION_MAJOR == 8
    .cache = &cache
#endif
#if LV_VERSION_CHECK(9, 3, 0)
    .stride = 0,
#endif
};

/*-----------------
 *  PUBLIC FONT
 *----------------*/

/*Initialize a public general font descriptor*/
#if LVGL_VERSION_MAJOR >= 8
extern const lv_font_t terminus12;
const lv_font_t terminus12 = {
#else
extern lv_font_t terminus12;
lv_font_t terminus12 = {
#endif
    .get_glyph_dsc = lv_font_get_glyph_dsc_fmt_txt,    /*Function pointer to get glyph's data*/
    .get_glyph_bitmap = lv_font_get_bitmap_fmt_txt,    /*Function pointer to get glyph's bitmap*/
#if LVGL_VERSION_MAJOR >= 9
    .release_glyph = NULL,
#endif
    .line_height = 12,          /*The maximum line height required by the font*/
    .base_line = 1,             /*Baseline measured from the bottom of the line*/
#if !(LVGL_VERSION_MAJOR == 6 && LVGL_VERSION_MINOR == 0)
    .subpx = LV_FONT_SUBPX_NONE,
#endif
#if LVGL_VERSION_MAJOR >= 9
    .kerning = 0,
#endif
#if LV_VERSION_CHECK(9, 3, 0)
    .static_bitmap = 1,    /*Bitmaps are stored as const so they are always static if not compressed */
#endif
#if LV_VERSION_CHECK(7, 4, 0) || LVGL_VERSION_MAJOR >= 8
    .underline_position = 0,
    .underline_thickness = 1,
#endif
    .dsc = &font_dsc,          /*The custom font data. Will be accessed by `get_glyph_bitmap/dsc` */
#if LV_VERSION_CHECK(8, 2, 0) || LVGL_VERSION_MAJOR >= 9
    .fallback = NULL,
#endif
    .user_data = NULL,
};

#endif /*#if TERMINUS12*/
