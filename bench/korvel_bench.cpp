// Figures for the README's performance table. Each whole-library codec runs beside a baseline
// that copies the same number of decoded pixel bytes into buffers allocated and touched once
// beforehand, so the baseline measures copying (not page faults) and the ratio holds on a noisy
// machine. The large libraries are generated here and written to a temporary folder.

#include "app/uallpreview.h"
#include "app/umain.h"
#include "app/usetup.h"
#include "cli/commands.h"
#include "document/glyphrender.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/bmp.h"
#include "formats/lcm.h"
#include "support/benchlibraries.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>
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

using bench::bigFont;
using bench::patterned;
using bench::repeatedBitmaps;

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
    const std::vector<std::uint8_t> source(bytes / pieces, 0x5A);
    // Allocated and written once, so every iteration copies into memory that is already mapped.
    std::vector<std::vector<std::uint8_t>> copies(pieces,
                                                  std::vector<std::uint8_t>(source.size(), 0));
    for (auto _ : state) {
        for (auto& copy : copies) {
            std::memcpy(copy.data(), source.data(), source.size());
        }
        benchmark::DoNotOptimize(copies.back().data());
        benchmark::ClobberMemory();
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
        window.appendBitmap({"BIG", 1024, 512, patterned(1024, 512, false)});
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

/// The 4096 x 4096 file of a bit count with a pattern of colours; 15, 16 and 32 bits through bit
/// fields as common painting programs write them, 1 to 8 bits with a colour table.
std::vector<std::uint8_t> bmpFile(int bits) {
    const Picture picture = patterned(4096, 4096, false);
    if (bits == 24) {
        return encodeBmp24(picture);
    }
    const std::size_t stride = (4096U * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    const std::size_t table = bits <= 8 ? 4U << bits : 12;
    std::vector<std::uint8_t> file(54 + table + stride * 4096, 0);
    const auto put = [&](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(10, static_cast<std::uint32_t>(54 + table), 4);
    put(14, 40, 4);
    put(18, 4096, 4);
    put(22, 4096, 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bits), 2);
    put(30, bits <= 8 ? 0 : 3, 4);
    if (bits > 8) {
        put(54, bits == 32 ? 0xFF0000 : 0xF800, 4);
        put(58, bits == 32 ? 0x00FF00 : 0x07E0, 4);
        put(62, bits == 32 ? 0x0000FF : 0x001F, 4);
    } else {
        for (std::size_t i = 0; i < table / 4; ++i) {
            put(54 + 4 * i, kPalette[i % 8].value, 4);
        }
    }
    std::mt19937 random(1);
    for (std::size_t at = 54 + table; at < file.size(); ++at) {
        file[at] = static_cast<std::uint8_t>(random());
    }
    return file;
}

/// A temporary folder for the generated files, removed at the end of the run.
class Scratch {
public:
    Scratch()
        : folder_(std::filesystem::temp_directory_path() /
                  ("korvel-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    /// Writes the file once per run and gives its path.
    [[nodiscard]] std::string file(const std::string& name,
                                   const std::function<std::vector<std::uint8_t>()>& make) {
        const std::string path = (folder_ / name).string();
        if (!std::filesystem::exists(path)) {
            const auto bytes = make();
            if (!writeFileAtomic(path, bytes)) {
                std::abort();
            }
        }
        return path;
    }

private:
    std::filesystem::path folder_;
};

Scratch& scratch() {
    static Scratch folder;
    return folder;
}

/// The old figure: the whole 24-bit file decoded at 4 bytes per pixel, then scaled.
void BM_BmpImportWholeDecode_4096x4096_To250(benchmark::State& state) {
    const auto file = encodeBmp24(patterned(4096, 4096, false));
    for (auto _ : state) {
        auto picture = decodeBmp(file);
        Picture scaled = picture.value().scaled(250, 250);
        benchmark::DoNotOptimize(scaled.row(0).data());
    }
}

/// The modify dialog's import: the file on disk (in the page cache), sampled where the 250 x 250
/// picture takes its pixels.
void BM_BmpImportSampled_4096x4096_To250(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const std::string path =
        scratch().file("import-" + std::to_string(bits) + ".bmp", [&] { return bmpFile(bits); });
    for (auto _ : state) {
        auto source = FileSource::open(path);
        auto picture = decodeBmpScaled(*source.value(), 250, 250);
        benchmark::DoNotOptimize(picture.value().row(0).data());
        state.counters["read_MB"] = static_cast<double>(source.value()->bytesRead()) / 1e6;
    }
}

// ---- Libraries of every legal size ----

/// 65,535 entries of 32 x 16 in the eight colours: a 13 MB file.
std::vector<std::uint8_t> manySmallBitmaps() {
    return repeatedBitmaps(kBcmMaxEntries, 32, 16, "S");
}

/// n entries of 1024 x 512; 1,000 of them make the 197 MB library.
std::vector<std::uint8_t> largeBitmaps(int n) {
    return repeatedBitmaps(n, 1024, 512, "L");
}

std::string manySmallPath() {
    return scratch().file("small-65535.bcm", manySmallBitmaps);
}
std::string largePath(int n) {
    return scratch().file("large-" + std::to_string(n) + ".bcm", [n] { return largeBitmaps(n); });
}
std::string bigFontPath() {
    return scratch().file("font-256x255x255.lcm", [] { return encodeLcm(bigFont(), 256).value(); });
}

/// Bytes the heap holds now.
std::size_t heapInUse() {
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

/// What the editor's opening does: read the whole file once, then the directory, leaving every
/// picture encoded in the shared image. held_MB is the heap the opened library keeps.
template <class Open>
void openLibrary(benchmark::State& state, const std::string& path, Open open) {
    double held = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        auto bytes = readWholeFile(path);
        auto opened = open(korvel::shareFileImage(std::move(bytes).value()));
        benchmark::DoNotOptimize(opened.value().data());
        held = static_cast<double>(heapInUse() - std::min(before, heapInUse())) / 1e6;
    }
    state.counters["held_MB"] = held;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void BM_Open_65535x32x16(benchmark::State& state) {
    openLibrary(state, manySmallPath(), [](SharedFileImage file) { return openBcm(file); });
}
void BM_Open_64x1024x512(benchmark::State& state) {
    openLibrary(state, largePath(64), [](SharedFileImage file) { return openBcm(file); });
}
void BM_Open_256x255x255(benchmark::State& state) {
    openLibrary(state, bigFontPath(), openLcm);
}

/// A row click's share of the model: the first use of one entry of an opened library decodes it.
void BM_FirstUseOfOneEntry_1024x512(benchmark::State& state) {
    const auto file = korvel::shareFileImage(readWholeFile(largePath(64)).value());
    const auto entries = openBcm(file).value();
    for (auto _ : state) {
        Picture picture = *entries[37].picture; // a copy still encoded
        benchmark::DoNotOptimize(picture.pixel(1023, 511));
    }
}

/// Saving an opened library whose entries were never decoded: blocks copied.
void BM_SaveUndecoded_1000x1024x512(benchmark::State& state) {
    const auto file = korvel::shareFileImage(readWholeFile(largePath(1000)).value());
    const auto entries = openBcm(file).value();
    for (auto _ : state) {
        auto bytes = encodeBcm(entries, static_cast<int>(entries.size()));
        benchmark::DoNotOptimize(bytes.value().data());
    }
    state.counters["file_MB"] = static_cast<double>(file->size()) / 1e6;
}

/// What building any 197 MB file in memory costs here: the same bytes copied into a fresh buffer,
/// whose pages are faulted in as it fills.
void BM_BaselineFreshBuffer_197MB(benchmark::State& state) {
    const auto file = readWholeFile(largePath(1000)).value();
    for (auto _ : state) {
        std::vector<std::uint8_t> copy;
        copy.reserve(file.size());
        copy.insert(copy.end(), file.begin(), file.end());
        benchmark::DoNotOptimize(copy.data());
    }
}

/// Runs one korvel-cli command line, its standard output thrown away.
void runCommand(benchmark::State& state, const std::vector<std::string>& arguments) {
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (cli::runCli(arguments, out, err) != 0) {
            state.SkipWithError(err.str().c_str());
            return;
        }
    }
}

/// korvel-cli info without --rows on the 197 MB library: the directory and block heads only.
void BM_CliInfo_1000x1024x512(benchmark::State& state) {
    runCommand(state, {"info", largePath(1000)});
}

/// korvel-cli export of the last of 65,535 bitmaps as BMP.
void BM_CliExportOne_Of65535(benchmark::State& state) {
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("korvel-bench-export-" + std::to_string(::getpid()) + ".bmp"))
                                .string();
    runCommand(state, {"export", manySmallPath(), "S65534", out});
    std::filesystem::remove(out);
}

/// The directory read alone, through the file source: bytes read and time.
void BM_DirectoryRead_1000x1024x512(benchmark::State& state) {
    const std::string path = largePath(1000);
    for (auto _ : state) {
        auto source = FileSource::open(path);
        auto blocks = readBcmDirectory(*source.value());
        benchmark::DoNotOptimize(blocks.value().data());
        state.counters["read_MB"] = static_cast<double>(source.value()->bytesRead()) / 1e6;
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
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

/// A shown main window that has opened a library file, so the list can be refilled from it.
struct ListWindow {
    explicit ListWindow(const std::vector<std::uint8_t>& file, bool font)
        : window(std::make_unique<SilentPrompter>()) {
        window.createDialogs();
        window.show();
        const QString path = folder.filePath(font ? "list.lcm" : "list.bcm");
        if (writeFileAtomic(path.toStdString(), file)) {
            opened = font ? window.OpenProtolFile(path) : window.OpenBmpProtolFile(path);
        }
        QApplication::processEvents();
    }
    QTemporaryDir folder;
    TForm1 window;
    bool opened = false;
};

/// Fills the list with 65,535 bitmap rows as opening a library does (layout, rows, texts),
/// from the document's signal, then lets the view lay itself out.
void BM_ListFill_65535Bitmaps(benchmark::State& state) {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < kBcmMaxEntries; ++k) {
        entries.push_back({"B" + std::to_string(k), 2, 1, Picture(2, 1)});
    }
    ListWindow list(encodeBcm(entries, kBcmMaxEntries).value(), false);
    if (!list.opened) {
        state.SkipWithError("the library could not be opened");
        return;
    }
    for (auto _ : state) {
        emit list.window.document().bitmapLibraryReset(LibraryReset::Opened);
        QApplication::processEvents();
        benchmark::DoNotOptimize(list.window.AdvStringGrid2->rows());
    }
    state.counters["rows"] = list.window.AdvStringGrid2->rows() - 1;
}

/// Fills the list with 256 glyph rows as opening a font library does.
void BM_ListFill_256Glyphs(benchmark::State& state) {
    std::array<GlyphRecord, kGlyphSlots> glyphs{};
    for (int code = 0; code < kGlyphSlots; ++code) {
        glyphs[static_cast<std::size_t>(code)] = {code, 5, 9, Picture(5, 9)};
    }
    ListWindow list(encodeLcm(glyphs, kGlyphSlots).value(), true);
    if (!list.opened) {
        state.SkipWithError("the library could not be opened");
        return;
    }
    for (auto _ : state) {
        emit list.window.document().fontLibraryReset(LibraryReset::Opened);
        QApplication::processEvents();
        benchmark::DoNotOptimize(list.window.AdvStringGrid2->rows());
    }
    state.counters["rows"] = list.window.AdvStringGrid2->rows() - 1;
}

/// "Open Library" through a shown main window, the list painted: the file read, its directory
/// checked, every picture left encoded until it is shown. held_MB is the heap the window holds
/// for the open library beyond what it held before; its budget is twice the file plus 40 MB.
void editorOpen(benchmark::State& state, const std::string& path, bool font) {
    TForm1 window(std::make_unique<SilentPrompter>());
    window.createDialogs();
    window.show();
    QApplication::processEvents();
    const std::size_t before = heapInUse();
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        const bool opened = font ? window.OpenProtolFile(file) : window.OpenBmpProtolFile(file);
        QApplication::processEvents();
        if (!opened) {
            state.SkipWithError("the library could not be opened");
            return;
        }
    }
    state.counters["held_MB"] =
        static_cast<double>(heapInUse() - std::min(before, heapInUse())) / 1e6;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void BM_EditorOpen_65535x32x16(benchmark::State& state) {
    editorOpen(state, manySmallPath(), false);
}
void BM_EditorOpen_64x1024x512(benchmark::State& state) {
    editorOpen(state, largePath(64), false);
}
void BM_EditorOpen_256x255x255(benchmark::State& state) {
    editorOpen(state, bigFontPath(), true);
}

/// A click on a row of a freshly opened library: its picture decoded and drawn on the canvas at
/// zoom 8, the window repainted. The library is opened again, untimed, before each click, so
/// every click is a first use.
void editorRowClick(benchmark::State& state, const std::string& path, bool font, int row) {
    TForm1 window(std::make_unique<SilentPrompter>());
    window.createDialogs();
    window.show();
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = font ? window.OpenProtolFile(file) : window.OpenBmpProtolFile(file);
        QApplication::processEvents();
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the library could not be opened");
            return;
        }
        window.AdvStringGrid2->setCurrentGridRow(row);
        window.AdvStringGrid2Click();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.Image1->isVisible());
    }
}

void BM_EditorRowClick_65535x32x16(benchmark::State& state) {
    editorRowClick(state, manySmallPath(), false, 40000);
}
void BM_EditorRowClick_64x1024x512(benchmark::State& state) {
    editorRowClick(state, largePath(64), false, 40);
}
void BM_EditorRowClick_256x255x255(benchmark::State& state) {
    editorRowClick(state, bigFontPath(), true, 200);
}

/// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

/// Paints every picture's first pixel another colour and back (one gesture), so that each
/// picture holds its pixels decoded only, as after painting in it.
void decodeEveryPicture(TForm1& window, bool font) {
    Document& document = window.document();
    const EditingMode kind = font ? EditingMode::Font : EditingMode::Bitmap;
    const int count = font ? window.fontLibrary().count : window.bitmapLibrary().count();
    for (int index = 0; index < count; ++index) {
        const auto& picture =
            font ? window.fontLibrary().glyphs[static_cast<std::size_t>(index)].picture
                 : window.bitmapLibrary().entries[static_cast<std::size_t>(index)].picture;
        if (picture && !picture->isEmpty()) {
            const Rgb colour = picture->pixel(0, 0);
            document.paintCells(kind, index, {{0, 0}}, colour == kBlack ? kRed : kBlack, index);
            document.paintCells(kind, index, {{0, 0}}, colour, index);
        }
    }
}

/// A transform of every entry of a freshly opened library, from the menu command to the
/// repainted window. The library is opened again, untimed, before each run, so every picture
/// but the shown one is still only encoded when the command starts, as after opening; with
/// `decoded`, every picture is first made to hold its pixels decoded only. The counter
/// canvas_paints shows that the canvas was painted within the timed part of each run.
void editorTransform(benchmark::State& state, const std::string& path, bool font,
                     bool decoded = false) {
    const auto transform = static_cast<PictureTransform>(state.range(0));
    TForm1 window(std::make_unique<SilentPrompter>());
    window.createDialogs();
    window.show();
    PaintCounter canvasPaints;
    window.Image1->installEventFilter(&canvasPaints);
    int timedPaints = 0;
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = font ? window.OpenProtolFile(file) : window.OpenBmpProtolFile(file);
        window.AdvStringGrid2->setCurrentGridRow(1);
        window.AdvStringGrid2Click();
        window.SelectAll1->trigger();
        if (decoded) {
            decodeEveryPicture(window, font);
        }
        QApplication::processEvents();
        canvasPaints.paints = 0;
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the library could not be opened");
            return;
        }
        window.transformAction(transform)->trigger();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.Image1->isVisible());
        timedPaints += canvasPaints.paints;
    }
    state.counters["canvas_paints"] =
        benchmark::Counter(timedPaints, benchmark::Counter::kAvgIterations);
    state.SetLabel(std::string(
        std::find_if(kTransformNames.begin(), kTransformNames.end(),
                     [transform](const TransformName& name) { return name.transform == transform; })
            ->caption));
}

void BM_EditorTransformAll_256x255x255(benchmark::State& state) {
    editorTransform(state, bigFontPath(), true);
}
void BM_EditorTransformAll_64x1024x512(benchmark::State& state) {
    editorTransform(state, largePath(64), false);
}
void BM_EditorTransformAllDecoded_256x255x255(benchmark::State& state) {
    editorTransform(state, bigFontPath(), true, true);
}
void BM_EditorTransformAllDecoded_64x1024x512(benchmark::State& state) {
    editorTransform(state, largePath(64), false, true);
}

/// A prompter that shows a modal window without blocking, so a benchmark can drive it.
class ShowingPrompter : public SilentPrompter {
public:
    bool askOkCancel(QWidget*, const QString&, const QString&, PromptIcon) override { return true; }
    void showModal(QDialog& dialog) override {
        dialog.show();
        QApplication::processEvents();
    }
};

/// "Defined Font" of a 64-character text in a freshly opened font of 255 x 255 glyphs at the
/// zoom item of state.range(0) (0 is "1*1"): from the click on "Preview" to the painted view.
/// The library is opened again, untimed, before each run, so the glyphs are first decoded here.
void BM_EditorDefinedFontPreview_64x255x255(benchmark::State& state) {
    TForm1 window(std::make_unique<ShowingPrompter>());
    window.createDialogs();
    window.show();
    const QString file = QString::fromStdString(bigFontPath());
    const QString text(64, QLatin1Char('W'));
    TForm4& preview = *window.form4();
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = window.OpenProtolFile(file);
        window.De1Click();
        preview.ComboBox1->setCurrentIndex(static_cast<int>(state.range(0)));
        preview.Memo1->setPlainText(text);
        QApplication::processEvents();
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the library could not be opened");
            return;
        }
        preview.Button1->click();
        preview.repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(preview.Image1->isVisible());
    }
    state.counters["text_width"] = preview.textPicture().width();
    state.counters["text_height"] = preview.textPicture().height();
    state.counters["view_width"] = preview.Image1->width();
    preview.hide();
}

/// Setup dialog "Add " of 256 codes of DejaVu Sans at state.range(0) points through the shown
/// main window: from the click on "Add " to the painted list. The dialog is opened and set up
/// (its preview drawn), untimed, before each run.
void BM_EditorSetupAdd_256Codes(benchmark::State& state) {
    TForm1 window(std::make_unique<ShowingPrompter>());
    window.createDialogs();
    window.show();
    TForm2& setup = *window.form2();
    for (auto _ : state) {
        state.PauseTiming();
        window.NewFontFile1Click();
        setup.tFontName->setCurrentText(QStringLiteral("DejaVu Sans"));
        setup.tFontsize->setValue(static_cast<int>(state.range(0)));
        setup.ComboBox2->setCurrentIndex(1); // 0-255
        QApplication::processEvents();
        state.ResumeTiming();
        setup.Button1->click();
        window.repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.fontLibrary().count);
    }
    state.counters["glyphs"] = window.fontLibrary().count;
    state.counters["height"] = window.fontLibrary().glyphs[65].height;
}

/// Every transform of the Edit menu's Transform group, by its number.
void allTransforms(benchmark::internal::Benchmark* bench) {
    for (const TransformName& name : kTransformNames) {
        bench->Arg(static_cast<int>(name.transform));
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
BENCHMARK(BM_BmpImportWholeDecode_4096x4096_To250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpImportSampled_4096x4096_To250)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_65535x32x16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_64x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_256x255x255)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstUseOfOneEntry_1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUndecoded_1000x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineFreshBuffer_197MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryRead_1000x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliInfo_1000x1024x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliExportOne_Of65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselinePictures_SetupAdd)->Arg(7)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToShownMainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFill_65535Bitmaps)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_ListFill_256Glyphs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorOpen_65535x32x16)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorOpen_64x1024x512)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorOpen_256x255x255)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorRowClick_65535x32x16)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorRowClick_64x1024x512)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorRowClick_256x255x255)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_EditorTransformAll_256x255x255)
    ->Apply(allTransforms)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_EditorTransformAll_64x1024x512)
    ->Apply(allTransforms)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_EditorTransformAllDecoded_256x255x255)
    ->Apply(allTransforms)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_EditorTransformAllDecoded_64x1024x512)
    ->Apply(allTransforms)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_EditorSetupAdd_256Codes)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_EditorDefinedFontPreview_64x255x255)
    ->Arg(0)
    ->Arg(1)
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
