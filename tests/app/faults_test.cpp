// Failing disks and vanishing files, through the user's own commands: every writer meets a
// folder it cannot write into, a full disk and a directory in the way of its target, and every
// reader a file that is gone by the time it is read. Each time the user sees the error box with
// the system's text, the file on disk stays as it was and the library in memory is unchanged.
#include "app/umodify.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/childprocess.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

/// The text the system gives for an error number, as the error box must show it.
QString systemText(int error) {
    return QString::fromUtf8(std::strerror(error));
}

/// What a save command left behind in the window: its error boxes and the library in memory.
struct Outcome {
    QStringList errors;
    bool libraryUnchanged = false;
};

/// The writers under test, each run as the user runs it.
enum class Writer { FontLibrary, BitmapLibrary, BmpExport };

std::string nameOf(Writer writer) {
    switch (writer) {
    case Writer::FontLibrary:
        return "FontLibrary";
    case Writer::BitmapLibrary:
        return "BitmapLibrary";
    default:
        return "BmpExport";
    }
}

class WriterFaults : public WindowTest, public testing::WithParamInterface<Writer> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        if (GetParam() == Writer::BitmapLibrary) {
            writeBytes(path("source.bcm"),
                       bitmapFile({{"logo", {"#..#", ".##.", ".##.", "#..#"}}}));
            openBitmaps(path("source.bcm"));
        } else {
            writeBytes(path("source.lcm"), fontFile({{"#.#", ".#.", "#.#"}, {"##", "##"}}));
            openFont(path("source.lcm"));
        }
        ASSERT_TRUE(prompter->ofKind(Kind::Error).empty());
        clickRow(1);
        prompter->asked.clear();
    }

    /// Runs the save command of the writer on target, as the user picks it in the file dialog.
    void save(const QString& target) {
        prompter->files.push_back(target);
        switch (GetParam()) {
        case Writer::FontLibrary:
            window->N3Click();
            break;
        case Writer::BitmapLibrary:
            window->SaveBitmapFile1Click();
            break;
        case Writer::BmpExport:
            exportFromModifyDialog();
            break;
        }
    }

    void exportFromModifyDialog() {
        prompter->modals.push_back([this](QDialog&) { window->form3()->Button6->click(); });
        window->AdvStringGrid2DblClick();
    }

    /// Saves to target and reports the error boxes and whether the library stayed as it was.
    Outcome saveAndCompare(const QString& target) {
        const auto fontBefore = fontLibraryBytes();
        const auto bitmapsBefore = bitmapLibraryBytes();
        save(target);
        Outcome outcome;
        for (const Prompt& error : prompter->ofKind(Kind::Error)) {
            outcome.errors << error.text;
        }
        outcome.libraryUnchanged =
            fontLibraryBytes() == fontBefore && bitmapLibraryBytes() == bitmapsBefore;
        return outcome;
    }

    /// The libraries in memory as file images, to compare them whole.
    [[nodiscard]] std::vector<std::uint8_t> fontLibraryBytes() const {
        const auto bytes = encodeLcm(window->fontLibrary().glyphs, window->fontLibrary().count);
        return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
    }
    [[nodiscard]] std::vector<std::uint8_t> bitmapLibraryBytes() const {
        const BitmapLibrary& library = window->bitmapLibrary();
        const auto bytes = encodeBcm(library.entries, library.count());
        return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
    }

    /// The names in a folder apart from "." and "..", hidden ones included.
    [[nodiscard]] static QStringList entriesOf(const QString& dir) {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    /// What a target held before the save.
    const std::vector<std::uint8_t> oldContents{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
};

void expectOneErrorNaming(const Outcome& outcome, const QString& target, int error) {
    ASSERT_EQ(outcome.errors.size(), 1) << outcome.errors.join("\n").toStdString();
    EXPECT_TRUE(outcome.errors[0].contains(systemText(error))) << outcome.errors[0].toStdString();
    EXPECT_TRUE(outcome.errors[0].contains(target)) << outcome.errors[0].toStdString();
    EXPECT_TRUE(outcome.libraryUnchanged);
}

TEST_P(WriterFaults, FolderThatIsAFileRefusesTheSave) {
    // A path through a regular file fails for every user, root included.
    writeBytes(path("plain"), oldContents);
    const QString target = path("plain/out.bin");
    expectOneErrorNaming(saveAndCompare(target), target, ENOTDIR);
    EXPECT_EQ(readBytes(path("plain")), oldContents);
}

TEST_P(WriterFaults, FolderWithoutWritePermissionRefusesANewFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root; the folder-that-is-a-file case stands in";
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir("locked"));
    writeBytes(path("locked/other.bin"), oldContents);
    const QString target = path("locked/out.bin");
    ASSERT_TRUE(QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner));
    const Outcome outcome = saveAndCompare(target);
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    expectOneErrorNaming(outcome, target, EACCES);
    EXPECT_EQ(entriesOf(path("locked")), QStringList{"other.bin"});
}

TEST_P(WriterFaults, TargetThatIsADirectoryStays) {
    const QString target = path("folder.bin");
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.bin"));
    writeBytes(path("folder.bin/inside"), oldContents);
    expectOneErrorNaming(saveAndCompare(target), target, EISDIR);
    EXPECT_EQ(entriesOf(target), QStringList{"inside"});
    EXPECT_EQ(readBytes(path("folder.bin/inside")), oldContents);
}

/// Runs body in a child process whose files may not grow beyond limit bytes, as on a full
/// disk, and returns what the child wrote to its pipe; the child's exit status must be 0.
std::string inChildWithFileLimit(rlim_t limit, const std::function<std::string()>& body) {
    const auto outcome = testing_support::runInChild(
        [limit] {
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
            const rlimit small{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        },
        body);
    EXPECT_TRUE(outcome.exitedWith(0)) << "child status " << outcome.status;
    return outcome.report;
}

TEST_P(WriterFaults, FullDiskKeepsTheOldFile) {
    const QString target = path("target.bin");
    writeBytes(target, oldContents);
    // Every file image here is larger than 16 bytes, so the write runs out of room.
    const std::string report = inChildWithFileLimit(16, [&] {
        const Outcome outcome = saveAndCompare(target);
        return std::string(outcome.libraryUnchanged ? "unchanged\n" : "changed\n") +
               outcome.errors.join("\n").toStdString();
    });
    const QString text = QString::fromStdString(report);
    EXPECT_TRUE(text.startsWith("unchanged\n")) << report;
    EXPECT_EQ(text.count(target), 1) << "one error box naming the file: " << report;
    EXPECT_TRUE(text.contains(systemText(EFBIG))) << report;
    EXPECT_EQ(readBytes(target), oldContents);
    EXPECT_EQ(entriesOf(folder.path()).filter(".korvel-"), QStringList{})
        << "the partial temporary file is removed";
}

TEST_P(WriterFaults, SaveThatSucceedsReplacesTheFile) {
    // The faults above are refusals of a writer that works: the same save to a plain path does.
    const QString target = path("target.bin");
    writeBytes(target, oldContents);
    const Outcome outcome = saveAndCompare(target);
    EXPECT_TRUE(outcome.errors.isEmpty()) << outcome.errors.join("\n").toStdString();
    EXPECT_NE(readBytes(target), oldContents);
    EXPECT_GT(readBytes(target).size(), 16U);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, WriterFaults,
                         testing::Values(Writer::FontLibrary, Writer::BitmapLibrary,
                                         Writer::BmpExport),
                         [](const testing::TestParamInfo<Writer>& writer) {
                             return nameOf(writer.param);
                         });

/// A source file that the user picked in the file dialog but that is gone when it is read.
class VanishingSource : public WindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        writeBytes(path("kept.lcm"), fontFile({{"#.", ".#"}, {"###"}}));
        openFont(path("kept.lcm"));
        clickRow(1);
        prompter->asked.clear();
        rowsBefore = window->AdvStringGrid2->rows();
        fontBefore = window->fontLibrary().count;
    }

    /// A file that existed when the dialog listed it and was removed before the read.
    [[nodiscard]] QString vanished(const QString& name) {
        const QString file = path(name);
        writeBytes(file, {1, 2, 3});
        EXPECT_TRUE(QFile::remove(file));
        return file;
    }

    void expectNoSuchFileAndNothingChanged(const QString& file) {
        const auto errors = prompter->ofKind(Kind::Error);
        ASSERT_EQ(errors.size(), 1U);
        EXPECT_TRUE(errors[0].text.contains(systemText(ENOENT))) << errors[0].text.toStdString();
        EXPECT_TRUE(errors[0].text.contains(file)) << errors[0].text.toStdString();
        EXPECT_EQ(window->editingMode(), EditingMode::Font);
        EXPECT_EQ(window->fontLibrary().count, fontBefore);
        EXPECT_EQ(window->AdvStringGrid2->rows(), rowsBefore);
        EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "3") << "the second glyph stays listed";
    }

    int rowsBefore = 0;
    int fontBefore = 0;
};

TEST_F(VanishingSource, FontLibraryOpen) {
    const QString file = vanished("gone.lcm");
    openFont(file);
    expectNoSuchFileAndNothingChanged(file);
}

TEST_F(VanishingSource, BitmapLibraryOpen) {
    const QString file = vanished("gone.bcm");
    openBitmaps(file);
    expectNoSuchFileAndNothingChanged(file);
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
}

TEST_F(VanishingSource, BmpImportKeepsTheGlyph) {
    const QString file = vanished("gone.bmp");
    const Picture before = *window->fontLibrary().glyphs[0].picture;
    prompter->modals.push_back([&](QDialog&) {
        TForm3& dialog = *window->form3();
        const Picture pending = dialog.pendingPicture();
        prompter->files.push_back(file);
        dialog.Button3->click();
        EXPECT_EQ(dialog.pendingPicture(), pending) << "the pending picture stays";
    });
    window->AdvStringGrid2DblClick();
    expectNoSuchFileAndNothingChanged(file);
    EXPECT_EQ(*window->fontLibrary().glyphs[0].picture, before);
}

} // namespace
} // namespace korvel
