// The commands that read only part of a library (info, export) or copy what they do not change
// (add) must give what reading the whole library gives, for any library the reader accepts.

#include "cli/commands.h"
#include "cli/terminalprogress.h"
#include "document/librarytext.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/bmp.h"
#include "support/oddlibrary.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

/// A fake clock the test moves by hand.
struct ManualClock {
    std::chrono::steady_clock::time_point now{};
    [[nodiscard]] TerminalProgress::Clock function() {
        return [this] { return now; };
    }
};

TEST(TerminalProgress, StaysQuietOffATerminalAndDuringTheFirstHalfSecond) {
    ManualClock clock;
    std::ostringstream pipe;
    {
        TerminalProgress progress(pipe, false, "writing x", clock.function());
        clock.now += std::chrono::seconds(5);
        progress.update(1, 2);
        progress.update(2, 2);
    }
    EXPECT_EQ(pipe.str(), "");

    std::ostringstream terminal;
    {
        TerminalProgress progress(terminal, true, "writing x", clock.function());
        clock.now += std::chrono::milliseconds(499);
        progress.update(1, 4);
        EXPECT_EQ(terminal.str(), "") << "quick work shows nothing";
        clock.now += std::chrono::milliseconds(1);
        progress.update(2, 4);
        EXPECT_EQ(terminal.str(), "\rkorvel-cli: writing x 2/4 (50%)");
        clock.now += std::chrono::milliseconds(99);
        progress.update(3, 4);
        EXPECT_EQ(terminal.str(), "\rkorvel-cli: writing x 2/4 (50%)") << "at most ten a second";
        progress.update(4, 4);
    }
    EXPECT_EQ(terminal.str(),
              "\rkorvel-cli: writing x 2/4 (50%)\rkorvel-cli: writing x 4/4 (100%)\n")
        << "the end is always shown, and the line closed";
}

/// Runs commands on one odd library in a folder of its own.
class OddLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(23);
        library_ = oddBcm(random);
        path_ = path("odd.bcm");
        ASSERT_TRUE(writeFileAtomic(path_, library_).ok());
        whole_ = decodeBcm(library_).value();
    }
    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }
    [[nodiscard]] static int run(const std::vector<std::string>& arguments, std::string* out) {
        std::ostringstream output;
        std::ostringstream errors;
        const int status = runCli(arguments, output, errors);
        *out = output.str() + errors.str();
        return status;
    }

    Bytes library_;
    std::string path_;
    std::vector<bitmapInfoList> whole_;

private:
    QTemporaryDir folder_;
};

[[nodiscard]] char letterOf(Rgb colour) {
    return "RGYKBAWF"[static_cast<std::size_t>(classify(colour))];
}

TEST_F(OddLibraryTest, InfoListsWhatTheWholeDecodeHolds) {
    std::string listing = std::to_string(whole_.size()) + "\n";
    std::string withRows = listing;
    for (std::size_t k = 0; k < whole_.size(); ++k) {
        const bitmapInfoList& entry = whole_[k];
        const std::string line = std::to_string(k) + " " + entry.name + " " +
                                 std::to_string(entry.width) + " " + std::to_string(entry.height) +
                                 "\n";
        listing += line;
        withRows += line;
        for (int y = 0; y < entry.height; ++y) {
            for (int x = 0; x < entry.width; ++x) {
                withRows += letterOf(entry.picture->pixel(x, y));
            }
            withRows += '\n';
        }
    }
    std::string out;
    EXPECT_EQ(run({"info", path_}, &out), kExitOk);
    EXPECT_EQ(out, listing);
    EXPECT_EQ(run({"info", "--rows", path_}, &out), kExitOk);
    EXPECT_EQ(out, withRows);
}

TEST_F(OddLibraryTest, ExportWritesEachEntryAsTheWholeDecodeHasIt) {
    for (const bitmapInfoList& entry : whole_) {
        if (entry.width == 0 || entry.height == 0) {
            continue;
        }
        const std::string bmp = path(entry.name + ".bmp");
        std::string out;
        // Upper case finds the entry too: names are compared without regard to letter case.
        std::string upper = entry.name;
        upper[0] = static_cast<char>(upper[0] - 'a' + 'A');
        ASSERT_EQ(run({"export", path_, upper, bmp}, &out), kExitOk) << out;
        EXPECT_EQ(readWholeFile(bmp).value(), encodeBmp24(*entry.picture)) << entry.name;
    }
}

TEST_F(OddLibraryTest, AddWritesWhatDecodingAndSavingEverythingWrites) {
    const Bytes image = encodeBmp24(Picture(30, 20));
    const std::string bmp = path("image.bmp");
    ASSERT_TRUE(writeFileAtomic(bmp, image).ok());
    std::string out;
    ASSERT_EQ(run({"add", path_, "NEW", bmp, "--size", "7x3"}, &out), kExitOk) << out;

    std::vector<bitmapInfoList> expected = whole_;
    expected.push_back({"NEW", 7, 3, decodeBmp(image).value().scaled(7, 3)});
    EXPECT_EQ(readWholeFile(path_).value(),
              encodeBcm(expected, static_cast<int>(expected.size())).value());
}

TEST_F(OddLibraryTest, ACutLibraryIsRefusedByEveryCommandWithTheReadersReason) {
    Bytes cut = library_;
    cut.resize(cut.size() - 1);
    ASSERT_TRUE(writeFileAtomic(path_, cut).ok());
    const std::string reason = decodeBcm(cut).error().message;
    for (const std::vector<std::string>& command : {std::vector<std::string>{"info", path_},
                                                    {"export", path_, "a", path("a.png")},
                                                    {"add", path_, "NEW", path("none.bmp")}}) {
        std::string out;
        EXPECT_EQ(run(command, &out), kExitRefused) << command[0];
        EXPECT_EQ(out, "korvel-cli: " + path_ + ": " + reason + "\n") << command[0];
    }
}

} // namespace
} // namespace korvel::cli
