#include "app/startup.h"

#include "app/editorstyle.h"
#include "app/umain.h"
#include "core/codepage.h"
#include "core/version.h"
#include "typeface/fontmatch.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace korvel {

namespace {

/// The status of a wrong command line, as korvel-cli's.
constexpr int kExitUsage = 2;

/// The sizes of the icon built into the program, rendered from the same drawing as the
/// installed icons.
constexpr std::array kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

EditorCommandLine readEditorCommandLine(const QStringList& arguments, QTextStream& out,
                                        QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits LED-matrix font libraries (.lcm) and bitmap libraries (.bcm)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Library files to open: the last .lcm and the last .bcm named."),
        QStringLiteral("[FILE...]"));

    EditorCommandLine commandLine;
    if (!parser.parse(arguments)) {
        err << QCoreApplication::applicationName() << ": " << parser.errorText() << '\n'
            << "Try '" << QCoreApplication::applicationName() << " --help'.\n";
        commandLine.exitCode = kExitUsage;
    } else if (parser.isSet(help)) {
        out << parser.helpText();
        commandLine.exitCode = 0;
    } else if (parser.isSet(version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        commandLine.exitCode = 0;
    } else {
        commandLine.libraryFiles = parser.positionalArguments();
    }
    out.flush();
    err.flush();
    return commandLine;
}

void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("korvel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

void setApplicationIdentity() {
    setApplicationNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
}

std::unique_ptr<QApplication>
makeEditorApplication(const std::function<std::unique_ptr<QApplication>()>& make) {
    std::jthread fontsLoading = preloadFontLookup();
    std::unique_ptr<QApplication> application = make();
    if (fontsLoading.joinable()) {
        fontsLoading.join();
    }
    setApplicationIdentity();
    useEditorStyle();
    return application;
}

void setApplicationIcon() {
    QStringList files;
    for (const int size : kIconSizes) {
        files << QStringLiteral(":/icons/%1x%1/korvel.png").arg(size);
    }
    QApplication::setWindowIcon(pngIcon(files));
}

namespace {

/// Whether the command line asks only for text: help, the version, or an option the editor
/// does not know. Such a command line is answered without a display.
[[nodiscard]] bool answersWithoutWindow(int argc, char** argv) {
    for (int k = 1; k < argc; ++k) {
        const QByteArray argument(argv[k]);
        if (argument == "--") {
            return false;
        }
        if (argument.startsWith('-') && argument != "-") {
            return true;
        }
    }
    return false;
}

/// Whether an argument is one of the options Qt's GUI application takes for itself.
[[nodiscard]] bool hasQtOption(int argc, char** argv) {
    static const std::array<QByteArray, 24> kQtOptions{"platform",
                                                       "platformpluginpath",
                                                       "platformtheme",
                                                       "plugin",
                                                       "qwindowgeometry",
                                                       "geometry",
                                                       "qwindowtitle",
                                                       "title",
                                                       "qwindowicon",
                                                       "icon",
                                                       "display",
                                                       "name",
                                                       "style",
                                                       "stylesheet",
                                                       "reverse",
                                                       "session",
                                                       "qmljsdebugger",
                                                       "widgetcount",
                                                       "nograb",
                                                       "dograb",
                                                       "visual",
                                                       "ncols",
                                                       "cmap",
                                                       "sync"};
    for (int k = 1; k < argc; ++k) {
        QByteArray argument(argv[k]);
        while (argument.startsWith('-')) {
            argument.remove(0, 1);
        }
        if (const qsizetype equals = argument.indexOf('='); equals >= 0) {
            argument.truncate(equals); // -style=Fusion as well as -style Fusion
        }
        if (std::find(kQtOptions.begin(), kQtOptions.end(), argument) != kQtOptions.end()) {
            return true;
        }
    }
    return false;
}

/// Answers a command line of options through a core application, which needs no display.
[[nodiscard]] int answerWithoutWindow(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    setApplicationNames();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const EditorCommandLine commandLine =
        readEditorCommandLine(QCoreApplication::arguments(), out, err);
    return commandLine.exitCode.value_or(0);
}

/// Runs work once, when the message loop is next idle after the window's first exposure: the
/// window has been painted and its pixels sent to the display, so that what the first sight of
/// the window does not need waits until it is on the screen.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWindow& window, std::function<void()> work)
        : window_(window), work_(std::move(work)) {
        if (window_.isExposed()) {
            // Shown and painted already, by a platform that exposes at once.
            runWhenIdle();
        } else {
            window_.installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Expose && window_.isExposed()) {
            window_.removeEventFilter(this);
            runWhenIdle();
        }
        return false;
    }

private:
    void runWhenIdle() {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        idle_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            disconnect(idle_);
            work_();
        });
    }

    QWindow& window_;
    std::function<void()> work_;
    QMetaObject::Connection idle_;
};

} // namespace

StartedEditor showEditorWindow(std::unique_ptr<Prompter> prompter) {
    StartedEditor started;
    started.window = std::make_unique<TForm1>(std::move(prompter));
    TForm1& window = *started.window;
    // The code page of the user's language, as Windows would choose it for its 8-bit texts.
    window.setCodePage(defaultCodePageForLocale(localeNameOfEnvironment()));
    window.showMaximized();
    // The window icon's eight sizes, the three dialogs and the clipboard's state wait until the
    // window is on the screen; a dialog asked for before then is made when it is asked for.
    started.afterFirstPaint = std::make_unique<AfterFirstPaint>(*window.windowHandle(), [&window] {
        setApplicationIcon();
        window.finishStart();
    });
    return started;
}

int runEditor(int argc, char** argv) {
    // Qt's own options (-platform, -style, ...) are for the window, which the core application
    // does not know: they go to the usual start.
    if (answersWithoutWindow(argc, argv) && !hasQtOption(argc, argv)) {
        return answerWithoutWindow(argc, argv);
    }
    const std::unique_ptr<QApplication> application =
        makeEditorApplication([&argc, argv] { return std::make_unique<QApplication>(argc, argv); });
    QTextStream out(stdout);
    QTextStream err(stderr);
    const EditorCommandLine commandLine =
        readEditorCommandLine(QCoreApplication::arguments(), out, err);
    if (commandLine.exitCode) {
        return *commandLine.exitCode;
    }
    const StartedEditor started = showEditorWindow(std::make_unique<QtPrompter>());
    TForm1& mainWindow = *started.window;
    if (!commandLine.libraryFiles.isEmpty()) {
        // Opened from the message loop, so that any error box shows over the window.
        QMetaObject::invokeMethod(
            &mainWindow, [&] { mainWindow.openLibraryFiles(commandLine.libraryFiles); },
            Qt::QueuedConnection);
    }
    return QApplication::exec();
}

} // namespace korvel
