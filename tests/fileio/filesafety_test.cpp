// The hardened save, the read gate, the staged folder and the folder lock, against links,
// special files, kills, other users and full disks.

#include "fileio/fileio.h"
#include "support/childprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace korvel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing_support::becomeOtherUser;
using testing_support::kOtherGroup;
using testing_support::kOtherUser;
using testing_support::runInChild;

[[nodiscard]] Bytes bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

/// A fresh folder for one test, open to every user, removed afterwards.
class FileSafety : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "korvel-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ::chmod(folder_.c_str(), 0755);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    [[nodiscard]] std::string path(const std::string& name) const {
        return (folder_ / name).string();
    }
    [[nodiscard]] static std::vector<std::string> contentsOf(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder)) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    [[nodiscard]] std::vector<std::string> contents() const { return contentsOf(folder_); }
    static void writePlain(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    [[nodiscard]] static std::string contentOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    [[nodiscard]] static bool isRoot() { return ::geteuid() == 0; }

    fs::path folder_;
};

// ---- Saving through links ----

TEST_F(FileSafety, SavingThroughLinksWritesTheFileTheyName) {
    fs::create_directories(folder_ / "data");
    fs::create_directories(folder_ / "links");
    writePlain(path("data/lib.bcm"), "old");
    fs::create_symlink("../data/lib.bcm", folder_ / "links/relative.bcm");
    fs::create_symlink(path("data/lib.bcm"), folder_ / "links/absolute.bcm");
    fs::create_symlink("relative.bcm", folder_ / "links/chain.bcm");

    for (const std::string link : {"relative", "absolute", "chain"}) {
        const std::string via = path("links/" + link + ".bcm");
        const auto saved = saveFile(via, bytesOf("through " + link));
        ASSERT_TRUE(saved.ok()) << saved.error().message;
        EXPECT_TRUE(fs::is_symlink(via)) << link << " was replaced by a file";
        EXPECT_EQ(contentOf(path("data/lib.bcm")), "through " + link);
    }
    EXPECT_EQ(contentsOf(folder_ / "data"), std::vector<std::string>{"lib.bcm"});
    EXPECT_EQ(contentsOf(folder_ / "links"),
              (std::vector<std::string>{"absolute.bcm", "chain.bcm", "relative.bcm"}));
}

TEST_F(FileSafety, ALinkToAMissingFileCreatesItAndALoopIsRefused) {
    fs::create_symlink("new.lcm", folder_ / "dangling.lcm");
    ASSERT_TRUE(saveFile(path("dangling.lcm"), bytesOf("made")).ok());
    EXPECT_TRUE(fs::is_symlink(path("dangling.lcm")));
    EXPECT_EQ(contentOf(path("new.lcm")), "made");

    fs::create_symlink("b.lcm", folder_ / "a.lcm");
    fs::create_symlink("a.lcm", folder_ / "b.lcm");
    const auto looped = saveFile(path("a.lcm"), bytesOf("x"));
    ASSERT_FALSE(looped.ok());
    EXPECT_NE(looped.error().message.find("Too many levels of symbolic links"), std::string::npos)
        << looped.error().message;
    EXPECT_TRUE(fs::is_symlink(path("a.lcm")));
}

// ---- What the new file keeps of the old ----

TEST_F(FileSafety, TheNewFileKeepsModeOwnerAndGroup) {
    const std::string target = path("lib.lcm");
    writePlain(target, "old");
    ::chmod(target.c_str(), 0640);
    if (isRoot()) {
        ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherGroup), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    const auto saved = saveFile(target, bytesOf("new"));
    ASSERT_TRUE(saved.ok()) << saved.error().message;
    EXPECT_EQ(saved.value(), SaveMethod::Replaced);
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "a complete new file is renamed in";
    EXPECT_EQ(after.st_mode & 07777, 0640U);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(contentOf(target), "new");
}

TEST_F(FileSafety, SpecialFilesAreNeitherReplacedNorWritten) {
    const std::string fifo = path("pipe.bcm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const auto saved = saveFile(fifo, bytesOf("x"));
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(saved.error().message.find("a FIFO, not a regular file"), std::string::npos)
        << saved.error().message;
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(contents(), std::vector<std::string>{"pipe.bcm"});
}

// ---- Folders that refuse a new file ----

/// Saves target as the other user (as root) or as oneself, in a child; reports what happened.
[[nodiscard]] std::string saveInChild(const std::string& target, const std::string& text) {
    const auto outcome = runInChild(
        [] { return ::geteuid() != 0 || becomeOtherUser(); },
        [&] {
            const auto saved = saveFile(target, bytesOf(text));
            if (!saved) {
                return "failed: " + saved.error().message;
            }
            return std::string(saved.value() == SaveMethod::InPlace ? "in place" : "replaced");
        });
    EXPECT_TRUE(outcome.exitedWith(0)) << "child status " << outcome.status;
    return outcome.report;
}

TEST_F(FileSafety, AWritableFileInAFolderWithoutWritePermissionIsWrittenInPlace) {
    const std::string target = path("lib.bcm");
    writePlain(target, "an old library, longer than the new one");
    if (isRoot()) {
        // The folder stays root's (no write permission for others); the file is the user's.
        ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherGroup), 0);
    } else {
        ::chmod(folder_.c_str(), 0555);
    }
    EXPECT_EQ(saveInChild(target, "new"), "in place");
    ::chmod(folder_.c_str(), 0755);
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(contents(), std::vector<std::string>{"lib.bcm"});
}

TEST_F(FileSafety, AnothersWritableFileInAStickyFolderIsWrittenInPlace) {
    if (!isRoot()) {
        GTEST_SKIP() << "needs root to make a file of another user";
    }
    ::chmod(folder_.c_str(), 01777);
    const std::string target = path("shared.lcm");
    writePlain(target, "root's old file");
    ::chmod(target.c_str(), 0666);
    EXPECT_EQ(saveInChild(target, "edited by another"), "in place");
    EXPECT_EQ(contentOf(target), "edited by another");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0U) << "the file stays root's";
    EXPECT_EQ(contents(), std::vector<std::string>{"shared.lcm"}) << "no temporary file is left";
}

TEST_F(FileSafety, AFileTheUserMayNotWriteStaysAsItWasInAnyFolder) {
    const std::string target = path("lib.bcm");
    writePlain(target, "protected");
    ::chmod(target.c_str(), 0644);
    if (!isRoot()) {
        ::chmod(target.c_str(), 0444);
    }
    ::chmod(folder_.c_str(), 01777);
    const std::string report = saveInChild(target, "x");
    EXPECT_EQ(report.rfind("failed: ", 0), 0U) << report;
    EXPECT_NE(report.find("Permission denied"), std::string::npos) << report;
    EXPECT_EQ(contentOf(target), "protected");
    EXPECT_EQ(contents(), std::vector<std::string>{"lib.bcm"});
}

// ---- Killed saves ----

TEST_F(FileSafety, AStaleTemporaryOfADeadSaveIsSweptByTheNextSave) {
    const std::string target = path("lib.bcm");
    writePlain(target, "old");
    // A process that is gone, and one that lives (this one's parent is never swept either).
    const auto gone = runInChild([] { return true; }, [] { return std::to_string(::getpid()); });
    const std::string stale = "." + std::string("lib.bcm.korvel-") + gone.report + "-Ab12Cd";
    const std::string alive = ".lib.bcm.korvel-" + std::to_string(::getppid()) + "-Ab12Cd";
    const std::string otherTarget = ".other.bcm.korvel-" + gone.report + "-Ab12Cd";
    for (const std::string& name : {stale, alive, otherTarget}) {
        writePlain(path(name), "partial");
    }
    ASSERT_TRUE(saveFile(target, bytesOf("new")).ok());
    std::vector<std::string> expected{alive, otherTarget, "lib.bcm"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(contents(), expected);
}

TEST_F(FileSafety, ASaveKilledWhileWritingLeavesTheOldFileAndTheNextSaveSweepsItsRest) {
    const std::string target = path("big.bcm");
    writePlain(target, "the old library");
    // Large enough that the write is still running when the kill comes.
    const Bytes big(std::size_t{64} << 20, 0x5A);
    const pid_t child = ::fork();
    if (child == 0) {
        [[maybe_unused]] const auto saved = saveFile(target, big);
        ::_exit(0);
    }
    // Kill as soon as the temporary file has begun to fill.
    bool sawTemporary = false;
    for (int tries = 0; tries < 20000 && !sawTemporary; ++tries) {
        for (const std::string& name : contents()) {
            std::error_code error;
            if (name != "big.bcm" && fs::file_size(folder_ / name, error) > 0 && !error) {
                sawTemporary = true;
            }
        }
        if (!sawTemporary) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(sawTemporary) << "the save ended before it could be killed";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save ended before it could be killed";
    EXPECT_EQ(contentOf(target), "the old library");
    EXPECT_EQ(contents().size(), 2U) << "the killed save left its temporary file";

    ASSERT_TRUE(saveFile(target, bytesOf("saved again")).ok());
    EXPECT_EQ(contentOf(target), "saved again");
    EXPECT_EQ(contents(), std::vector<std::string>{"big.bcm"});
}

// ---- The read gate ----

TEST_F(FileSafety, OnlyRegularFilesAreReadAndAFifoDoesNotBlock) {
    const std::string fifo = path("pipe.lcm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Nobody writes into the FIFO: a reader that opened it would wait for ever.
    const auto piped = readRegularFile(fifo, kNoSizeCap, "a font library file");
    ASSERT_FALSE(piped.ok());
    EXPECT_EQ(piped.error().message,
              "Cannot read file \"" + fifo + "\". It is a FIFO, not a regular file.");

    const auto device = readWholeFile("/dev/zero");
    ASSERT_FALSE(device.ok());
    EXPECT_NE(device.error().message.find("a device, not a regular file"), std::string::npos);

    const auto folder = readWholeFile(folder_.string());
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().message.find("Is a directory"), std::string::npos);

    // A link to a regular file is read as the file.
    writePlain(path("real.lcm"), "abc");
    fs::create_symlink("real.lcm", folder_ / "link.lcm");
    const auto linked = readRegularFile(path("link.lcm"), 3, "a font library file");
    ASSERT_TRUE(linked.ok()) << linked.error().message;
    EXPECT_EQ(linked.value(), bytesOf("abc"));
}

TEST_F(FileSafety, AFileLargerThanItsFormatAllowsIsRefusedBeforeReading) {
    const std::string file = path("big.lcm");
    writePlain(file, std::string(101, 'x'));
    const auto refused = readRegularFile(file, 100, "a font library file");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "Cannot read file \"" + file +
                  "\". It has 101 bytes, more than a font library file can hold (100 bytes).");
    const auto exact = readRegularFile(file, 101, "a font library file");
    ASSERT_TRUE(exact.ok());
    EXPECT_EQ(exact.value().size(), 101U);
}

TEST_F(FileSafety, AFileLongerThanItsSizeSaysIsReadToItsEndWithinTheCap) {
    // Linux's /proc files say they hold 0 bytes and give their text when read: what is read
    // beyond the size fstat gave is read on, chunk after chunk, up to the cap.
    const auto status = readRegularFile("/proc/self/status", kNoSizeCap, "a status");
    ASSERT_TRUE(status.ok()) << status.error().message;
    const std::string text(status.value().begin(), status.value().end());
    EXPECT_TRUE(text.starts_with("Name:")) << text;
    EXPECT_EQ(text.back(), '\n');
    // Longer than one chunk of the reader (16 KiB): read whole, or refused past a cap between.
    const auto maps = readRegularFile("/proc/self/smaps", kNoSizeCap, "a map");
    ASSERT_TRUE(maps.ok()) << maps.error().message;
    EXPECT_GT(maps.value().size(), 16384U);
    EXPECT_EQ(maps.value().back(), '\n');
    const std::uint64_t cap = 16384 + 100;
    const auto capped = readRegularFile("/proc/self/smaps", cap, "a map");
    ASSERT_FALSE(capped.ok());
    EXPECT_NE(capped.error().message.find("more than a map can hold (16484 bytes)"),
              std::string::npos)
        << capped.error().message;
}

// ---- The staged folder ----

[[nodiscard]] bool anyFile(std::string_view) {
    return true;
}
[[nodiscard]] bool onlyPictures(std::string_view name) {
    return name.ends_with(".png");
}

TEST_F(FileSafety, AStagedFolderAppearsWholeAndReplacesTheOldOne) {
    const std::string target = path("logos");
    {
        auto staged = StagedFolder::begin(target, anyFile);
        ASSERT_TRUE(staged.ok()) << staged.error().message;
        ASSERT_TRUE(staged.value().add("a.png", bytesOf("first a")).ok());
        ASSERT_TRUE(staged.value().add("b.png", bytesOf("first b")).ok());
        EXPECT_FALSE(fs::exists(target)) << "nothing shows before the commit";
        ASSERT_TRUE(staged.value().commit().ok());
    }
    EXPECT_EQ(contentsOf(target), (std::vector<std::string>{"a.png", "b.png"}));
    ::chmod(target.c_str(), 0750);
    {
        auto staged = StagedFolder::begin(target, onlyPictures);
        ASSERT_TRUE(staged.ok()) << staged.error().message;
        ASSERT_TRUE(staged.value().add("c.png", bytesOf("second c")).ok());
        EXPECT_EQ(contentOf(target + "/a.png"), "first a") << "the old folder stays until commit";
        ASSERT_TRUE(staged.value().commit().ok());
    }
    EXPECT_EQ(contentsOf(target), std::vector<std::string>{"c.png"});
    EXPECT_EQ(contentOf(target + "/c.png"), "second c");
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0750));
    EXPECT_EQ(contents(), std::vector<std::string>{"logos"}) << "the old folder is removed";
}

TEST_F(FileSafety, AStagedFolderThatFailsOrIsDroppedLeavesTheOldOneWhole) {
    const std::string target = path("logos");
    fs::create_directories(target);
    writePlain(target + "/old.png", "old picture");
    {
        auto staged = StagedFolder::begin(target, onlyPictures);
        ASSERT_TRUE(staged.ok());
        ASSERT_TRUE(staged.value().add("new.png", bytesOf("new")).ok());
        const Result<void> again = staged.value().add("new.png", bytesOf("twice"));
        EXPECT_FALSE(again.ok());
        // Dropped without commit.
    }
    EXPECT_EQ(contents(), std::vector<std::string>{"logos"});
    EXPECT_EQ(contentsOf(target), std::vector<std::string>{"old.png"});

    // The disk fills at the second file: a child whose files may not grow beyond 16 bytes.
    const auto outcome = runInChild(
        [] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{16, 16};
            return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        },
        [&] {
            auto staged = StagedFolder::begin(target, onlyPictures);
            if (!staged) {
                return staged.error().message;
            }
            if (const Result<void> first = staged.value().add("a.png", bytesOf("small")); !first) {
                return "first: " + first.error().message;
            }
            const Result<void> second = staged.value().add("b.png", bytesOf(std::string(64, 'b')));
            return second.ok() ? std::string("written") : second.error().message;
        });
    EXPECT_TRUE(outcome.exitedWith(0));
    EXPECT_NE(outcome.report.find("File too large"), std::string::npos) << outcome.report;
    EXPECT_EQ(contents(), std::vector<std::string>{"logos"});
    EXPECT_EQ(contentsOf(target), std::vector<std::string>{"old.png"});
    EXPECT_EQ(contentOf(target + "/old.png"), "old picture");
}

TEST_F(FileSafety, AFolderHoldingOtherThingsOrAFileIsNotReplaced) {
    const std::string target = path("logos");
    fs::create_directories(target + "/sub");
    writePlain(target + "/a.png", "a");
    const auto refused = StagedFolder::begin(target, onlyPictures);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("It holds \"sub\""), std::string::npos)
        << refused.error().message;
    fs::remove(target + "/sub");
    writePlain(target + "/notes.txt", "mine");
    EXPECT_FALSE(StagedFolder::begin(target, onlyPictures).ok());
    EXPECT_EQ(contentsOf(target), (std::vector<std::string>{"a.png", "notes.txt"}));

    writePlain(path("plain"), "a file");
    const auto onFile = StagedFolder::begin(path("plain"), anyFile);
    ASSERT_FALSE(onFile.ok());
    EXPECT_NE(onFile.error().message.find("Not a directory"), std::string::npos);
    EXPECT_EQ(contents(), (std::vector<std::string>{"logos", "plain"}));
}

} // namespace
} // namespace korvel
