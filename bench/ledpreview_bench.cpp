// Figures for the LED preview and the C header dialog: one marquee frame of a panel (the dots
// placed and drawn, as a timer tick makes them), the CPU share of a running marquee, and the
// header dialog's refresh for a full 256-glyph font.

#include "app/exportcdialog.h"
#include "app/ledpreview.h"
#include "app/libraryexchange.h"
#include "app/umain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

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

/// A font of 256 glyphs 8 x 16, each with its own pattern of ink.
void makeFont(FontLibrary& font) {
    for (int code = 0; code < kGlyphSlots; ++code) {
        GlyphRecord& glyph = font.glyphs[static_cast<std::size_t>(code)];
        glyph = {code, 8, 16, Picture(8, 16)};
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (((x * 3 + y * 5 + code) % 7) < 3) {
                    glyph.picture->setPixel(x, y, kRed);
                }
            }
        }
    }
    font.count = kGlyphSlots;
}

struct Editor {
    Editor() : window(std::make_unique<SilentPrompter>()) {
        window.createDialogs();
        window.document().makeFontLibrary(makeFont);
        window.setEditingMode(EditingMode::Font);
    }
    TForm1 window;
};

/// The preview on a panel, its text long enough to fill it, scrolling; each iteration is one
/// timer tick and the frame it shows.
void marqueeFrame(benchmark::State& state, int width, int height, bool glow) {
    Editor editor;
    editor.window.LedPreview1->trigger();
    LedPreview& preview = *editor.window.ledPreview();
    preview.PanelWidth->setValue(width);
    preview.PanelHeight->setValue(height);
    preview.Pitch->setValue(8);
    preview.Glow->setChecked(glow);
    preview.TextEdit->setPlainText(QStringLiteral("Korvel LED 0123456789\nABCDEFGHIJKLMNOP\n"
                                                  "abcdefghijklmnop\nqrstuvwxyz"));
    static_cast<void>(preview.frame());
    for (auto _ : state) {
        preview.advance();
        benchmark::DoNotOptimize(preview.frame().constBits());
    }
    state.counters["dots"] = width * height;
}

void BM_LedFrame_32x16_Pitch8(benchmark::State& state) {
    marqueeFrame(state, 32, 16, false);
}
void BM_LedFrame_128x64_Pitch8(benchmark::State& state) {
    marqueeFrame(state, 128, 64, false);
}
void BM_LedFrame_128x64_Pitch8_Glow(benchmark::State& state) {
    marqueeFrame(state, 128, 64, true);
}

/// The process's CPU time, all threads together.
[[nodiscard]] double processSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

/// The marquee running for two seconds of wall time on the real timer and event loop, the
/// window shown: the share of one core it takes, and the frames it drew.
void BM_MarqueeCpuShare_128x64_200DotsPerSecond(benchmark::State& state) {
    Editor editor;
    editor.window.LedPreview1->trigger();
    LedPreview& preview = *editor.window.ledPreview();
    preview.PresetBox->setCurrentIndex(3);
    emit preview.PresetBox->activated(3);
    preview.TextEdit->setPlainText(QStringLiteral("Korvel scrolls at 200 dots a second"));
    preview.Speed->setValue(200);
    int ticks = 0;
    QObject::connect(preview.ScrollTimer, &QTimer::timeout, [&ticks] { ++ticks; });
    for (auto _ : state) {
        ticks = 0;
        const double cpuStart = processSeconds();
        QElapsedTimer wall;
        wall.start();
        preview.PlayButton->click();
        // A real event loop that sleeps between events: processEvents in a loop would poll and
        // count its own spinning as the marquee's share.
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        preview.PlayButton->click();
        const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
        state.counters["cpu_share_%"] = 100.0 * (processSeconds() - cpuStart) / seconds;
        state.counters["ticks_per_s"] = ticks / seconds;
    }
}

/// "C Header…" refreshed for a 256-glyph font: the header made, its first lines shown, its
/// glyphs decoded and drawn.
void exportRefresh(benchmark::State& state, int format) {
    Editor editor;
    ExportCDialog& dialog = editor.window.exchange().exportDialog();
    dialog.show();
    dialog.FormatBox->setCurrentIndex(format);
    for (auto _ : state) {
        dialog.refresh();
        benchmark::DoNotOptimize(dialog.decodedSheet().constBits());
    }
    state.counters["header_bytes"] = static_cast<double>(dialog.header()->size());
    state.counters["glyphs"] = static_cast<double>(dialog.decodedGlyphs().size());
}

void BM_ExportDialogRefresh_256Glyphs_Rows(benchmark::State& state) {
    exportRefresh(state, 0);
}
void BM_ExportDialogRefresh_256Glyphs_Gfx(benchmark::State& state) {
    exportRefresh(state, 2);
}
void BM_ExportDialogRefresh_256Glyphs_U8g2(benchmark::State& state) {
    exportRefresh(state, 3);
}
void BM_ExportDialogRefresh_256Glyphs_Lvgl(benchmark::State& state) {
    exportRefresh(state, 4);
}

BENCHMARK(BM_LedFrame_32x16_Pitch8)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LedFrame_128x64_Pitch8)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LedFrame_128x64_Pitch8_Glow)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_MarqueeCpuShare_128x64_200DotsPerSecond)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_ExportDialogRefresh_256Glyphs_Rows)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_ExportDialogRefresh_256Glyphs_Gfx)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_ExportDialogRefresh_256Glyphs_U8g2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_ExportDialogRefresh_256Glyphs_Lvgl)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

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
