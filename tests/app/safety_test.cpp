// The editor against files it cannot hold (a library larger than the memory it may use, a FIFO
// in place of a library), each refused with one error box while the editor keeps what it had,
// and against a folder that allows no new file.

#include "support/childprocess.h"
#include "support/largefiles.h"
#include "support/windowfixture.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace korvel {
namespace {

using Kind = Prompt::Kind;
using testing_support::becomeOtherUser;
using testing_support::kOtherGroup;
using testing_support::kOtherUser;
using testing_support::runInChild;

/// The address space this process uses now, in bytes (VmSize).
[[nodiscard]] rlim_t addressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmSize:") {
            rlim_t kib = 0;
            status >> kib;
            return kib * 1024;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

class EditorLimits : public WindowTest {
protected:
    void SetUp() override {
        writeBytes(path("small.bcm"), bitmapFile({{"KEEP", {"#..#", ".##."}}}));
        openBitmaps(path("small.bcm"));
        ASSERT_TRUE(prompter->ofKind(Kind::Error).empty());
        prompter->asked.clear();
    }
    /// The library in memory and the list, as one text.
    [[nodiscard]] std::string state() const {
        const BitmapLibrary& library = window->bitmapLibrary();
        std::string text = std::to_string(library.count());
        for (const bitmapInfoList& entry : library.entries) {
            text += " " + entry.name;
        }
        return text + " rows " + std::to_string(window->AdvStringGrid2->rows()) + " " +
               window->AdvStringGrid2->cell(2, 1).toStdString();
    }
};

TEST_F(EditorLimits, ALibraryThatDoesNotFitInMemoryIsRefusedWithOneErrorBox) {
    if (testing_support::sanitized()) {
        GTEST_SKIP() << "an address space limit does not combine with the sanitizers";
    }
    const QString large = path("large.bcm");
    writeBytes(large,
               testing_support::largeBitmapLibraryFile(200)); // 39 MB on disk, 420 MB decoded
    const std::string before = state();
    const auto outcome = runInChild(
        [] {
            // Opening holds the file and decodes only what is shown, so the room left must be
            // less than the file itself.
            const rlim_t limit = addressSpaceInUse() + (rlim_t{20} << 20);
            const rlimit value{limit, limit};
            return ::setrlimit(RLIMIT_AS, &value) == 0;
        },
        [&] {
            openBitmaps(large);
            std::string report = state() + "\n";
            for (const Prompt& error : prompter->ofKind(Kind::Error)) {
                report += error.text.toStdString() + "\n";
            }
            return report;
        });
    ASSERT_TRUE(outcome.exitedWith(0)) << "the editor ended with status " << outcome.status;
    EXPECT_EQ(outcome.report, before + "\n\"" + large.toStdString() +
                                  "\" does not fit in memory; nothing was changed.\n");
}

TEST_F(EditorLimits, AFifoIsRefusedAtOnce) {
    const QString fifo = path("pipe.bcm");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
    const std::string before = state();
    // Nobody writes into the FIFO: an editor that opened it would wait for ever.
    openBitmaps(fifo);
    const auto errors = prompter->ofKind(Kind::Error);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_EQ(errors[0].text,
              "Cannot read file \"" + fifo + "\". It is a FIFO, not a regular file.");
    EXPECT_EQ(state(), before);

    prompter->asked.clear();
    prompter->files.push_back(fifo);
    window->N2->trigger(); // the font library's "Open Library"
    ASSERT_EQ(prompter->ofKind(Kind::Error).size(), 1U);
    EXPECT_EQ(state(), before);
}

TEST_F(EditorLimits, ASaveInAFolderThatAllowsNoNewFileGoesInPlaceAndSaysSo) {
    const QString target = path("small.bcm");
    const std::string file = target.toStdString();
    const std::string folderName = folder.path().toStdString();
    ::chmod(folderName.c_str(), 0755);
    if (::geteuid() == 0) {
        // As another user: the file is theirs, the folder stays root's.
        ASSERT_EQ(::chown(file.c_str(), kOtherUser, kOtherGroup), 0);
    } else {
        ::chmod(folderName.c_str(), 0555);
    }
    window->document().paintBitmapPixel(0, 0, 0, kWhite);
    const auto outcome =
        runInChild([] { return ::geteuid() != 0 || becomeOtherUser(); },
                   [&] {
                       prompter->files.push_back(target);
                       window->SaveBitmapFile1Click();
                       std::string report;
                       for (const Prompt& shown : prompter->asked) {
                           if (shown.kind == Kind::Message || shown.kind == Kind::Error) {
                               report += shown.text.toStdString() + "\n";
                           }
                       }
                       return report;
                   });
    ::chmod(folderName.c_str(), 0700);
    ASSERT_TRUE(outcome.exitedWith(0)) << outcome.status;
    EXPECT_EQ(outcome.report, "\"" + file +
                                  "\" was overwritten in place: its folder allows no "
                                  "new file.\n");
    const auto saved = readBytes(target);
    const auto expected = bitmapFile({{"KEEP", {"W..#", ".##."}}});
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"small.bcm"});
}

} // namespace
} // namespace korvel
