// Figures for export-c: the largest font a .lcm holds and large bitmaps, each header built in
// memory (the command adds one file write). Bytes processed are the header's characters.

#include "fileio/fileio.h"
#include "firmware/cexport.h"
#include "formats/lcm.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace korvel {
namespace {

/// A glyph or bitmap picture in a checkerboard of two colours, the densest drawing comments.
Picture checkered(int width, int height, Rgb lit) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (((x ^ y) & 1) != 0) {
                picture.setPixel(x, y, lit);
            }
        }
    }
    return picture;
}

/// 256 glyphs of 255 x 255, on the heap.
std::unique_ptr<FontLibrary> largestFont() {
    const Picture picture = checkered(255, 255, kRed);
    std::vector<GlyphRecord> glyphs;
    for (int code = 0; code < kGlyphSlots; ++code) {
        glyphs.push_back({code, 255, 255, picture});
    }
    auto library = std::make_unique<FontLibrary>();
    library->replaceGlyphs(std::move(glyphs));
    return library;
}

void exportFont(benchmark::State& state, FontLayout layout) {
    const auto library = largestFont();
    FontExportOptions options;
    options.layout = layout;
    options.name = "big";
    options.source = "big.lcm";
    if (layout == FontLayout::Gfx) {
        // A GFX font addresses 64 KiB of bits: 8 such glyphs; the baseline keeps offsets in range.
        options.codes = CodeList{0, 1, 2, 3, 4, 5, 6, 7};
        options.baseline = BaselineChoice::at(128);
    }
    std::size_t characters = 0;
    for (auto _ : state) {
        auto header = exportFontC(*library, options);
        if (!header) {
            state.SkipWithError(header.error().message.c_str());
            return;
        }
        characters = header.value().size();
        benchmark::DoNotOptimize(header.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * characters));
}

void BM_ExportC_FontRows_256x255x255(benchmark::State& state) {
    exportFont(state, FontLayout::Rows);
}
void BM_ExportC_FontPages_256x255x255(benchmark::State& state) {
    exportFont(state, FontLayout::Pages);
}
void BM_ExportC_FontGfx_8x255x255(benchmark::State& state) {
    exportFont(state, FontLayout::Gfx);
}

/// Every font layout over a real font: the 256 glyphs of DejaVu Sans 12 (16 pixels high).
void BM_ExportC_DejaVuSans12_256(benchmark::State& state) {
    const auto bytes = readWholeFile(KORVEL_BENCH_FONT);
    auto glyphs =
        bytes.ok() ? decodeLcm(bytes.value()) : Result<std::vector<GlyphRecord>>(bytes.error());
    if (!glyphs) {
        state.SkipWithError(glyphs.error().message.c_str());
        return;
    }
    auto library = std::make_unique<FontLibrary>();
    library->replaceGlyphs(std::move(glyphs).value());
    FontExportOptions options;
    options.layout = static_cast<FontLayout>(state.range(0));
    options.name = "sans12";
    options.source = "dejavu-sans-12.lcm";
    std::size_t characters = 0;
    for (auto _ : state) {
        auto header = exportFontC(*library, options);
        if (!header) {
            state.SkipWithError(header.error().message.c_str());
            return;
        }
        characters = header.value().size();
        benchmark::DoNotOptimize(header.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * characters));
}

void BM_ExportC_Bitmaps_4x1024x512(benchmark::State& state) {
    BitmapLibrary library;
    for (int k = 0; k < 4; ++k) {
        library.append({"B" + std::to_string(k), 1024, 512, checkered(1024, 512, kWhite)});
    }
    BitmapExportOptions options;
    options.pixel = static_cast<BitmapPixel>(state.range(0));
    options.name = "big";
    options.source = "big.bcm";
    std::size_t characters = 0;
    for (auto _ : state) {
        auto header = exportBitmapsC(library, options);
        characters = header.ok() ? header.value().size() : 0;
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * characters));
}

BENCHMARK(BM_ExportC_FontRows_256x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportC_FontPages_256x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportC_FontGfx_8x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportC_DejaVuSans12_256)
    ->Arg(static_cast<int>(FontLayout::Rows))
    ->Arg(static_cast<int>(FontLayout::Pages))
    ->Arg(static_cast<int>(FontLayout::Gfx))
    ->Arg(static_cast<int>(FontLayout::U8g2))
    ->Arg(static_cast<int>(FontLayout::Lvgl))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportC_Bitmaps_4x1024x512)
    ->Arg(static_cast<int>(BitmapPixel::Rgb565))
    ->Arg(static_cast<int>(BitmapPixel::Rgb111))
    ->Arg(static_cast<int>(BitmapPixel::Planes))
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvel
