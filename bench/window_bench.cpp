// One action of the editor through its real, shown main window, in a process of its own, so
// every sample includes what a user meets the first time: code and data paged in, the first
// glyphs of the list's font rasterised, fresh heap pages. bench/window-actions.sh runs it once
// per sample on a display (Xvfb is enough) and prints medians.
//
//   korvel_window_bench make FOLDER            writes the libraries the actions open
//   korvel_window_bench startup                ends as soon as the main window has painted
//   korvel_window_bench startup-settled        ends once the work after that paint is done too
//   korvel_window_bench open-bcm FILE          "Open Library" of the bitmap menu
//   korvel_window_bench open-lcm FILE          "Open Library" of the font menu
//   korvel_window_bench defined-font FILE      "Preview" of "Defined Font", 64 characters
//   korvel_window_bench setup-add              setup dialog "Add ", 256 codes at 250 points
//
// An action is timed from the moment it is triggered to the end of the last paint it causes (the
// backing store flushed to the display), and prints one line: the action, wall ms, CPU ms of the
// process (user + system) and the minor page faults over that span.

#include "app/startup.h"
#include "app/uallpreview.h"
#include "app/umain.h"
#include "app/usetup.h"
#include "core/codepage.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/benchlibraries.h"

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace korvel {
namespace {

/// Wall time, process CPU time and minor page faults at one moment.
struct Moment {
    double wallMs = 0;
    double cpuMs = 0;
    long faults = 0;
};

[[nodiscard]] Moment now() {
    const auto wall = std::chrono::steady_clock::now().time_since_epoch();
    // std::clock is the process's CPU time, all threads together.
    const std::clock_t cpu = std::clock();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {std::chrono::duration<double, std::milli>(wall).count(),
            static_cast<double>(cpu) * 1e3 / CLOCKS_PER_SEC, usage.ru_minflt};
}

/// The application, noting when the last paint (a widget's paint event, a window's expose or
/// update request, after which the backing store is flushed) ended.
class PaintWatchingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool result = QApplication::notify(receiver, event);
        if (type == QEvent::Paint || type == QEvent::UpdateRequest || type == QEvent::Expose) {
            lastPaintEnd = now();
            ++paints;
        }
        return result;
    }
    Moment lastPaintEnd;
    long paints = 0;
};

[[nodiscard]] PaintWatchingApplication& app() {
    return *static_cast<PaintWatchingApplication*>(QCoreApplication::instance());
}

/// Runs the message loop until it has been idle, no paint among its events, for a while: what
/// an action caused is then painted.
void settle() {
    constexpr int kQuietPasses = 20;
    int quiet = 0;
    while (quiet < kQuietPasses) {
        const long before = app().paints;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
        if (app().paints == before) {
            ++quiet;
            usleep(1000);
        } else {
            quiet = 0;
        }
    }
}

/// Answers the file dialog with one file and shows modal dialogs without blocking, so the
/// benchmark can go on driving them; everything else as the real prompter.
class BenchPrompter : public QtPrompter {
public:
    explicit BenchPrompter(QString file) : file_(std::move(file)) {}
    bool askOkCancel(QWidget*, const QString&, const QString&, PromptIcon) override { return true; }
    std::optional<QString> askOpenFile(QWidget*, const QString&) override { return file_; }
    void showModal(QDialog& dialog) override { dialog.show(); }
    // A message (glyphs too large for the file, say) would wait for a click.
    void showMessage(QWidget*, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void showError(QWidget*, const QString& text) override {
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
        std::_Exit(1);
    }

private:
    QString file_;
};

void report(const char* action, const Moment& start) {
    const Moment& end = app().lastPaintEnd;
    std::printf("%s %.2f %.2f %ld\n", action, end.wallMs - start.wallMs, end.cpuMs - start.cpuMs,
                end.faults - start.faults);
    std::fflush(stdout);
}

/// Times one action: setup (untimed, settled), then the action to the end of its last paint;
/// shown is the window the action paints.
int timeAction(const char* name, QWidget& shown, const std::function<void()>& setup,
               const std::function<void()>& action) {
    settle();
    setup();
    settle();
    const Moment start = now();
    action();
    settle();
    report(name, start);
    // KORVEL_BENCH_GRAB=FILE.png keeps a picture of the screen after the action, to look at.
    if (const char* grab = std::getenv("KORVEL_BENCH_GRAB")) {
        static_cast<void>(shown.grab().save(QString::fromLocal8Bit(grab)));
    }
    return 0;
}

// ---- The libraries the actions open ----

int makeLibraries(const std::string& folder) {
    const bool written =
        writeFileAtomic(folder + "/small-65535.bcm",
                        bench::repeatedBitmaps(kBcmMaxEntries, 32, 16, "B")) &&
        writeFileAtomic(folder + "/large-64.bcm", bench::repeatedBitmaps(64, 1024, 512, "B")) &&
        writeFileAtomic(folder + "/font-256x255x255.lcm",
                        encodeLcm(bench::bigFont(), kGlyphSlots).value());
    return written ? 0 : 1;
}

int run(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (action == "make" && argc > 2) {
        return makeLibraries(argv[2]);
    }
    const std::unique_ptr<QApplication> application = makeEditorApplication(
        [&argc, argv] { return std::make_unique<PaintWatchingApplication>(argc, argv); });
    const Moment started = now();
    // The main window as the editor starts it, shown maximized; the icon and the dialogs follow
    // its first paint.
    const StartedEditor editor = showEditorWindow(std::make_unique<BenchPrompter>(file));
    TForm1* window = editor.window.get();
    if (action == "startup" || action == "startup-settled") {
        // Ends as soon as the first exposure has been painted and flushed, without tearing down,
        // as the minimal program it is set beside; startup-settled ends once the work that
        // follows the first paint (the window icon, the dialogs) is done too.
        while (app().paints == 0 || !window->isVisible()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (action == "startup") {
            report("startup", started);
        } else {
            while (window->form4() == nullptr) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            const Moment done = now();
            std::printf("startup-settled %.2f %.2f %ld\n", done.wallMs - started.wallMs,
                        done.cpuMs - started.cpuMs, done.faults - started.faults);
            std::fflush(stdout);
        }
        std::_Exit(0);
    }
    // The actions begin from a settled window, the work after its first paint done.
    while (window->form4() == nullptr) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    settle();
    const auto nothing = [] {};
    if (action == "open-bcm") {
        return timeAction("open-bcm", *window, nothing,
                          [&] { window->OpenBitmapFile1->trigger(); });
    }
    if (action == "open-lcm") {
        return timeAction("open-lcm", *window, nothing, [&] { window->N2->trigger(); });
    }
    TForm4& preview = *window->form4();
    if (action == "defined-font") {
        return timeAction(
            "defined-font", preview,
            [&] {
                window->N2->trigger();
                window->De1->trigger();
                preview.ComboBox1->setCurrentIndex(0);
                preview.Memo1->setPlainText(QString(64, QLatin1Char('W')));
            },
            [&] { preview.Button1->click(); });
    }
    TForm2& setup = *window->form2();
    if (action == "setup-add") {
        return timeAction(
            "setup-add", *window,
            [&] {
                window->NewFontFile1->trigger();
                setup.tFontName->setCurrentText(QStringLiteral("DejaVu Sans"));
                setup.tFontsize->setValue(250);
                setup.ComboBox2->setCurrentIndex(1); // 0-255
            },
            [&] { setup.Button1->click(); });
    }
    std::fprintf(stderr, "usage: korvel_window_bench make FOLDER | startup | startup-settled | "
                         "open-bcm FILE | open-lcm FILE | defined-font FILE | setup-add\n");
    return 2;
}

} // namespace
} // namespace korvel

int main(int argc, char** argv) {
    const int status = korvel::run(argc, argv);
    // The process ends here without tearing the windows down: each sample is one process.
    std::fflush(stdout);
    std::_Exit(status);
}
