// Figures for the README's performance table. Each codec runs beside a baseline that allocates
// fresh buffers for the same number of decoded pixel bytes and copies them, so the ratio holds
// on a noisy machine.

#include "bcm.h"
#include "bmp.h"
#include "glyphrender.h"
#include "lcm.h"
#include "umain.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>
#include <memory>
#include <vector>

namespace korvel {
namespace {

/// A prompter that answers nothing; benchmarks never ask.
class SilentPrompter : public Prompter {
public:
    bool askOkCancel(QWidget*, const QString&, const QString&, PromptIcon) override {
        return false;
    }
    void showMessage(QWidget*, const QString&) override {}
    void showError(QWidget*, const QString&) override {}
    std::optional<QString> askOpenFile(QWidget*, const QString&) override { return {}; }
    std::optional<QString> askSaveFile(QWidget*, const QString&, const QString&) override {
        return {};
    }
    void showModal(QDialog&) override {}
};

Picture patterned(int width, int height, bool twoColour) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        auto row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const auto& entry = kPalette[static_cast<std::size_t>((x * 7 + y * 3) % 8)];
            row[static_cast<std::size_t>(x)] =
                twoColour ? (((x ^ y) & 1) ? kRed : kBlack) : entry.value;
        }
    }
    return picture;
}

std::array<GlyphRecord, kGlyphSlots> bigFont() {
    std::array<GlyphRecord, kGlyphSlots> glyphs{};
    for (int code = 0; code < kGlyphSlots; ++code) {
        glyphs[static_cast<std::size_t>(code)] = {code, 255, 255, patterned(255, 255, true)};
    }
    return glyphs;
}

std::vector<bitmapInfoList> bigBitmaps() {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < 64; ++k) {
        entries.push_back({"B" + std::to_string(k), 1024, 512, patterned(1024, 512, false)});
    }
    return entries;
}

/// Decoded bytes of the pictures at 3 bytes per pixel, the size the baseline copies.
constexpr std::size_t kFontPixelBytes = 256ULL * 255 * 255 * 3;
constexpr std::size_t kBitmapPixelBytes = 64ULL * 1024 * 512 * 3;

void copyBaseline(benchmark::State& state, std::size_t bytes, std::size_t pieces) {
    std::vector<std::uint8_t> source(bytes / pieces, 0x5A);
    for (auto _ : state) {
        std::vector<std::unique_ptr<std::uint8_t[]>> copies;
        for (std::size_t k = 0; k < pieces; ++k) {
            copies.emplace_back(new std::uint8_t[source.size()]);
            std::memcpy(copies.back().get(), source.data(), source.size());
        }
        benchmark::DoNotOptimize(copies.back().get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_BaselineCopy_FontPixels(benchmark::State& state) {
    copyBaseline(state, kFontPixelBytes, 256);
}
void BM_BaselineCopy_BitmapPixels(benchmark::State& state) {
    copyBaseline(state, kBitmapPixelBytes, 64);
}

void BM_LcmWrite_256x255x255(benchmark::State& state) {
    const auto glyphs = bigFont();
    for (auto _ : state) {
        auto bytes = encodeLcm(glyphs, 256);
        benchmark::DoNotOptimize(bytes.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFontPixelBytes));
}

void BM_LcmRead_256x255x255(benchmark::State& state) {
    const auto bytes = encodeLcm(bigFont(), 256).value();
    for (auto _ : state) {
        auto glyphs = decodeLcm(bytes);
        benchmark::DoNotOptimize(glyphs.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFontPixelBytes));
}

void BM_BcmWrite_64x1024x512(benchmark::State& state) {
    const auto entries = bigBitmaps();
    for (auto _ : state) {
        auto bytes = encodeBcm(entries, 64);
        benchmark::DoNotOptimize(bytes.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBitmapPixelBytes));
}

void BM_BcmRead_64x1024x512(benchmark::State& state) {
    const auto bytes = encodeBcm(bigBitmaps(), 64).value();
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    for (auto _ : state) {
        auto entries = decodeBcm(bytes);
        benchmark::DoNotOptimize(entries.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBitmapPixelBytes));
}

/// The main window with one 1024 x 512 bitmap shown at zoom 12.
struct BigCanvas {
    BigCanvas() : window(std::make_unique<SilentPrompter>()) {
        window.createDialogs();
        window.setEditingMode(EditingMode::Bitmap);
        window.advinitbmp();
        window.bitmapLibrary().append({"BIG", 1024, 512, patterned(1024, 512, false)});
        window.AdvStringGrid2->setCell(2, 1, QStringLiteral("BIG"));
        window.AdvStringGrid2->setCell(3, 1, QStringLiteral("1024"));
        window.AdvStringGrid2->setCell(4, 1, QStringLiteral("512"));
        window.AdvStringGrid2->setCurrentGridRow(1);
        window.N14pixels1Click();
    }
    TForm1 window;
};

void BM_Bmpopen_1024x512_Zoom12(benchmark::State& state) {
    BigCanvas canvas;
    std::size_t added = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        canvas.window.AdvStringGrid2Click();
        added = std::max(added, mallinfo2().uordblks - std::min(before, mallinfo2().uordblks));
    }
    state.counters["added_MB"] = static_cast<double>(added) / 1e6;
}

void BM_PaintVisibleArea_1920x1080(benchmark::State& state) {
    BigCanvas canvas;
    canvas.window.Image1MouseMove(500, 300);
    for (auto _ : state) {
        QImage shown = canvas.window.Image1->renderArea(QRect(3000, 1500, 1920, 1080));
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void BM_PointerMove(benchmark::State& state) {
    BigCanvas canvas;
    int x = 0;
    for (auto _ : state) {
        x = (x + 12) % (1024 * 12);
        canvas.window.Image1MouseMove(x, 600);
    }
}

void BM_SetupAdd_256Codes(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const RenderedCodes rendered = renderCodes(QStringLiteral("DejaVu Sans"), points, 256);
        benchmark::DoNotOptimize(rendered.glyphs.back().width);
    }
}

/// Baseline of "Add ": only the 256 black glyph pictures of the sizes that library gets, made
/// and freed as the library does.
void BM_BaselinePictures_SetupAdd(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    const RenderedCodes sizes = renderCodes(QStringLiteral("DejaVu Sans"), points, 256);
    for (auto _ : state) {
        std::vector<Picture> pictures;
        pictures.reserve(sizes.glyphs.size());
        for (const GlyphRecord& glyph : sizes.glyphs) {
            pictures.emplace_back(glyph.width, glyph.height, PixelFormat::Indexed4);
        }
        benchmark::DoNotOptimize(pictures.back().row(0).data());
    }
}

void BM_BmpImport_4096x4096_To250(benchmark::State& state) {
    const auto file = encodeBmp24(patterned(4096, 4096, false));
    for (auto _ : state) {
        auto picture = decodeBmp(file);
        Picture scaled = picture.value().scaled(250, 250);
        benchmark::DoNotOptimize(scaled.row(0).data());
    }
}

void BM_StartupToShownMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        TForm1 window(std::make_unique<SilentPrompter>());
        window.createDialogs();
        window.showMaximized();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}

BENCHMARK(BM_BaselineCopy_FontPixels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LcmWrite_256x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LcmRead_256x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineCopy_BitmapPixels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BcmWrite_64x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BcmRead_64x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmpopen_1024x512_Zoom12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintVisibleArea_1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PointerMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupAdd_256Codes)->Arg(7)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselinePictures_SetupAdd)->Arg(7)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpImport_4096x4096_To250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToShownMainWindow)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvel

int main(int argc, char** argv) {
    // Runs without a display: the offscreen platform unless the caller names another.
    std::vector<char*> arguments(argv, argv + argc);
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    arguments.push_back(platform);
    arguments.push_back(offscreen);
    int count = static_cast<int>(arguments.size());
    QApplication application(count, arguments.data());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
