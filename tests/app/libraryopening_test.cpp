#include "app/libraryopening.h"
#include "app/startup.h"
#include "core/version.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QMimeData>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

TEST(LibraryOpeningPlan, OpensTheLastOfEachKindWithTheLastFileLast) {
    const auto plan = [](const QStringList& files) { return planOpenings(files).openings; };
    using O = LibraryOpening;
    EXPECT_TRUE(plan({}).empty());
    EXPECT_EQ(plan({"a.lcm"}), (std::vector{O{LibraryKind::Font, "a.lcm"}}));
    EXPECT_EQ(plan({"a.lcm", "b.lcm"}), (std::vector{O{LibraryKind::Font, "b.lcm"}}));
    EXPECT_EQ(plan({"a.lcm", "x.bcm", "b.lcm"}),
              (std::vector{O{LibraryKind::Bitmap, "x.bcm"}, O{LibraryKind::Font, "b.lcm"}}));
    EXPECT_EQ(plan({"x.bcm", "a.lcm", "y.BCM"}),
              (std::vector{O{LibraryKind::Font, "a.lcm"}, O{LibraryKind::Bitmap, "y.BCM"}}));
    // Other files neither open nor decide which kind is last.
    const OpeningPlan mixed = planOpenings({"x.bcm", "A.LCM", "notes.txt", "lcm", "dir.lcm/f"});
    EXPECT_EQ(mixed.openings,
              (std::vector{O{LibraryKind::Bitmap, "x.bcm"}, O{LibraryKind::Font, "A.LCM"}}));
    EXPECT_EQ(mixed.others, (QStringList{"notes.txt", "lcm", "dir.lcm/f"}));
}

TEST(LibraryOpeningPlan, TakesADragOnlyWhenEveryFileIsALocalLibrary) {
    const auto drag = [](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        return draggedLibraryFiles(data);
    };
    EXPECT_EQ(drag({QUrl::fromLocalFile("/tmp/a.lcm"), QUrl::fromLocalFile("/tmp/b.bcm")}),
              (QStringList{"/tmp/a.lcm", "/tmp/b.bcm"}));
    EXPECT_FALSE(drag({}));
    EXPECT_FALSE(drag({QUrl::fromLocalFile("/tmp/a.lcm"), QUrl::fromLocalFile("/tmp/b.png")}));
    EXPECT_FALSE(drag({QUrl("https://example.org/a.lcm")}));
    QMimeData text;
    text.setText("/tmp/a.lcm");
    EXPECT_FALSE(draggedLibraryFiles(text));
}

/// A second main window with its dialogs, beside the fixture's.
struct OtherWindow {
    OtherWindow() {
        auto scripted = std::make_unique<ScriptedPrompter>();
        prompter = scripted.get();
        window = std::make_unique<TForm1>(std::move(scripted));
        window->createDialogs();
    }
    ScriptedPrompter* prompter = nullptr;
    std::unique_ptr<TForm1> window;
};

/// The main window after start-up with files named on the command line.
class StartFilesTest : public WindowTest {
protected:
    void SetUp() override {
        writeBytes(path("one.lcm"), fontFile({{"#."}, {"##", "##"}}));
        writeBytes(path("two.lcm"), fontFile({{"#"}, {"."}, {"###"}}));
        writeBytes(path("logos.bcm"), bitmapFile({{"P", {"RG", "BW"}}}));
    }

    /// The texts of the library list, row by row.
    [[nodiscard]] static std::vector<QStringList> listCells(const TForm1& form) {
        std::vector<QStringList> rows;
        const StringGrid& list = *form.AdvStringGrid2;
        for (int row = 0; row < list.rows(); ++row) {
            QStringList cells;
            for (int column = 0; column < 5; ++column) {
                cells << list.cell(column, row);
            }
            rows.push_back(cells);
        }
        return rows;
    }

    [[nodiscard]] static std::vector<bool> enabledColours(const TForm1& form) {
        std::vector<bool> enabled;
        for (const PaletteEntry& entry : kPalette) {
            enabled.push_back(form.colourButton(entry.id)->isEnabled());
        }
        return enabled;
    }

    static void expectEmptyEditor(const TForm1& form) {
        EXPECT_EQ(form.editingMode(), EditingMode::None);
        EXPECT_EQ(form.fontLibrary().count, 0);
        EXPECT_EQ(form.bitmapLibrary().count(), 0);
        EXPECT_EQ(form.AdvStringGrid2->rows(), 129);
        for (int row = 1; row < form.AdvStringGrid2->rows(); ++row) {
            ASSERT_TRUE(form.AdvStringGrid2->cell(2, row).isEmpty()) << "row " << row;
        }
        EXPECT_EQ(enabledColours(form), std::vector<bool>(kPalette.size(), false));
    }
};

TEST_F(StartFilesTest, AFileNamedAtStartOpensAsOpenLibraryOpensIt) {
    for (const QString& file : {QStringLiteral("one.lcm"), QStringLiteral("logos.bcm")}) {
        SCOPED_TRACE(file.toStdString());
        OtherWindow menuOpened;
        menuOpened.prompter->files.push_back(path(file));
        (file.endsWith(".lcm") ? menuOpened.window->N2 : menuOpened.window->OpenBitmapFile1)
            ->trigger();
        OtherWindow started;
        started.window->openLibraryFiles({path(file)});
        const TForm1& form = *started.window;
        EXPECT_NE(form.editingMode(), EditingMode::None);
        EXPECT_EQ(form.editingMode(), menuOpened.window->editingMode());
        EXPECT_EQ(listCells(form), listCells(*menuOpened.window));
        EXPECT_EQ(enabledColours(form), enabledColours(*menuOpened.window));
        EXPECT_EQ(form.statusPanelText(2), "mode:");
        EXPECT_TRUE(form.Image1->isHidden());
        EXPECT_TRUE(started.prompter->asked.empty());
    }
}

TEST_F(StartFilesTest, SeveralFilesOpenTheLastOfEachKindInTheModeOfTheLastOne) {
    window->openLibraryFiles({path("one.lcm"), path("logos.bcm"), path("two.lcm")});
    EXPECT_TRUE(prompter->asked.empty()) << "nothing is asked or reported";
    EXPECT_EQ(window->editingMode(), EditingMode::Font);
    EXPECT_EQ(window->fontLibrary().count, 3) << "two.lcm, the last font library";
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 3), "3");
    EXPECT_EQ(enabledColours(*window)[0], true);

    window->openLibraryFiles({path("two.lcm"), path("one.lcm"), path("logos.bcm")});
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    EXPECT_EQ(window->fontLibrary().count, 2) << "one.lcm opened too";
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 1), "P");
    EXPECT_EQ(enabledColours(*window), std::vector<bool>(kPalette.size(), true));
}

TEST_F(StartFilesTest, AFileThatCannotBeReadShowsOneErrorBoxAndLeavesTheEditorEmpty) {
    writeBytes(path("short.lcm"), {0x00, 0x01, 0x02});
    for (const QString& file : {path("missing.lcm"), path("short.lcm"), path("notes.txt")}) {
        SCOPED_TRACE(file.toStdString());
        OtherWindow fresh;
        fresh.window->openLibraryFiles({file});
        EXPECT_EQ(fresh.prompter->ofKind(Kind::Error).size(), 1U);
        EXPECT_EQ(fresh.prompter->asked.size(), 1U);
        expectEmptyEditor(*fresh.window);
    }
    window->openLibraryFiles({path("notes.txt")});
    EXPECT_EQ(prompter->asked.at(0).text,
              "\"" + path("notes.txt") +
                  "\" is neither a font library (.lcm) nor a bitmap library (.bcm).");
}

TEST_F(StartFilesTest, ALibraryDroppedOnTheWindowOpens) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("logos.bcm")), QUrl::fromLocalFile(path("one.lcm"))});
    const QPoint centre = window->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QApplication::processEvents();
    EXPECT_EQ(window->editingMode(), EditingMode::Font);
    EXPECT_EQ(window->fontLibrary().count, 2);
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
}

TEST_F(StartFilesTest, ADragOfOtherFilesIsRefusedAndItsDropOpensNothing) {
    writeBytes(path("picture.png"), {0x89, 'P', 'N', 'G'});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("one.lcm")), QUrl::fromLocalFile(path("picture.png"))});
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(window.get(), &drop);
    QApplication::processEvents();
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_TRUE(prompter->asked.empty());
    expectEmptyEditor(*window);
}

/// What readEditorCommandLine wrote and returned.
struct CommandLineAnswer {
    EditorCommandLine commandLine;
    QString out;
    QString err;
};

CommandLineAnswer readCommandLine(const QStringList& words) {
    CommandLineAnswer answer;
    QTextStream out(&answer.out);
    QTextStream err(&answer.err);
    answer.commandLine = readEditorCommandLine(QStringList{"korvel"} + words, out, err);
    return answer;
}

TEST(EditorCommandLine, NamesFilesOrAnswersHelpAndVersion) {
    setApplicationIdentity();
    const auto none = readCommandLine({});
    EXPECT_FALSE(none.commandLine.exitCode);
    EXPECT_TRUE(none.commandLine.libraryFiles.isEmpty());
    EXPECT_TRUE(none.out.isEmpty() && none.err.isEmpty());

    const auto files = readCommandLine({"a.lcm", "--", "-odd.bcm"});
    EXPECT_FALSE(files.commandLine.exitCode);
    EXPECT_EQ(files.commandLine.libraryFiles, (QStringList{"a.lcm", "-odd.bcm"}));

    for (const QString& option : {QStringLiteral("--version"), QStringLiteral("-v")}) {
        const auto version = readCommandLine({option, "a.lcm"});
        EXPECT_EQ(version.commandLine.exitCode, 0);
        EXPECT_EQ(version.out, QStringLiteral("korvel %1\n").arg(kVersion));
    }
    const auto help = readCommandLine({"--help"});
    EXPECT_EQ(help.commandLine.exitCode, 0);
    EXPECT_TRUE(help.out.contains("[FILE...]")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--version"));
    EXPECT_TRUE(help.err.isEmpty());

    const auto wrong = readCommandLine({"--frobnicate", "a.lcm"});
    EXPECT_EQ(wrong.commandLine.exitCode, 2);
    EXPECT_TRUE(wrong.out.isEmpty());
    EXPECT_TRUE(wrong.err.contains("frobnicate")) << wrong.err.toStdString();
}

// The window is shown first; its icon, its dialogs and the clipboard's state follow its first
// paint, and a dialog asked for before then is made at once.
TEST(EditorIdentity, NamesTheDesktopEntryAndCarriesTheIconWithoutRetitlingTheWindow) {
    setApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "korvel");
    EXPECT_EQ(QCoreApplication::applicationName(), "korvel");
    EXPECT_EQ(QCoreApplication::applicationVersion(), kVersion);
    QApplication::setWindowIcon(QIcon());
    QImage held(2, 2, QImage::Format_RGB32);
    held.fill(Qt::white);
    QApplication::clipboard()->setImage(held);
    const StartedEditor started = showEditorWindow(std::make_unique<ScriptedPrompter>());
    TForm1& form = *started.window;
    EXPECT_EQ(form.windowTitle(), "Korvel Font/Bitmap Creater");
    EXPECT_EQ(form.form2(), nullptr) << "made before the window painted";
    EXPECT_FALSE(form.Paste1->isEnabled()) << "the clipboard asked before the window painted";
    // The message loop as the editor runs it, which waits when it has nothing to do.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (form.form4() != nullptr) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_NE(form.form2(), nullptr);
    ASSERT_NE(form.form3(), nullptr);
    ASSERT_NE(form.form4(), nullptr);
    EXPECT_TRUE(form.Paste1->isEnabled()) << "the picture held before the start";
    QApplication::clipboard()->clear();
    const QIcon icon = QApplication::windowIcon();
    for (const int size : {16, 32, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // The top LED of the K's stem is lit red, the one left of it dark.
        const QRgb lit = image.pixel(size / 4, size / 8);
        const QRgb dark = image.pixel(size / 8, size / 8);
        EXPECT_GT(qRed(lit), 180) << size;
        EXPECT_LT(qGreen(lit), 130) << size;
        EXPECT_LT(qRed(dark), 80) << size;
    }
    EXPECT_EQ(form.windowIcon().cacheKey(), icon.cacheKey());

    auto prompter = std::make_unique<ScriptedPrompter>();
    prompter->answers = {true};
    TForm1 later(std::move(prompter));
    later.AllFont1Click();
    later.NewFontFile1Click();
    EXPECT_NE(later.form2(), nullptr) << "the setup dialog, made when first shown";
    EXPECT_EQ(later.form4(), nullptr) << "no preview of an empty font";
}

} // namespace
} // namespace korvel
