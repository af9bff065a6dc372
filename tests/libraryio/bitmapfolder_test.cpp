#include "core/codepage.h"
#include "fileio/fileio.h"
#include "libraryio/bitmapfolder.h"
#include "support/pngbuild.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace korvel {
namespace {

/// A new folder under the temporary directory, removed with all it holds; its path is empty when
/// it could not be made.
struct TemporaryFolder {
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvel-folder.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

TEST(BitmapFolderNames, AnyNameEscapesToOneSafeWordAndBack) {
    const std::vector<std::string> names{"A", "LOGO", " lead",    "a b/c\\d",  "100%",  "..",
                                         "",  "x=1",  "\x80\xE9", "tab\there", "CON:a*"};
    for (const std::string& name : names) {
        const std::string escaped = escapeName(name);
        EXPECT_EQ(escaped.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789-_%"),
                  std::string::npos)
            << escaped;
        EXPECT_EQ(unescapeName(escaped), name);
    }
    EXPECT_EQ(escapeName("a b/%"), "a%20b%2F%25");
    EXPECT_EQ(pictureFileName(7, "A B"), "0007-A%20B.png");
    EXPECT_FALSE(unescapeName("%4").has_value());
    EXPECT_FALSE(unescapeName("%G0").has_value());
}

TEST(BitmapFolderIndex, ListsEveryEntryAndReadsBackWhatItWrote) {
    std::vector<bitmapInfoList> entries;
    entries.push_back({"A", 4, 4, Picture(4, 4)});
    entries.push_back({"my pic", 8, 2, Picture(8, 2)});
    entries.push_back({"E", 0, 5, Picture(0, 5)});
    entries.push_back({"", 2, 2, Picture(2, 2)});
    const std::string text = indexText(entries);
    EXPECT_EQ(text, "0 A 0000-A.png\n1 my%20pic 0001-my%20pic.png\n2 E - 0x5\n3 \"\" 0003-.png\n");
    const auto lines = parseIndex(text);
    ASSERT_TRUE(lines.ok()) << lines.error().message;
    ASSERT_EQ(lines.value().size(), 4U);
    EXPECT_EQ(lines.value()[3].name, "");
    EXPECT_EQ(lines.value()[1].name, "my pic");
    EXPECT_EQ(lines.value()[1].file, "0001-my%20pic.png");
    EXPECT_EQ(lines.value()[2].name, "E");
    EXPECT_TRUE(lines.value()[2].file.empty());
    EXPECT_EQ(lines.value()[2].height, 5);
}

TEST(BitmapFolderIndex, RefusesLinesThatDoNotAddUp) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"1 A a.png\n", "line 1: the position should be 0"},
        {"0 A a.png\n0 B b.png\n", "line 2: the position should be 1"},
        {"0 A ../secret.png\n", "plain file name"},
        {"0 A sub/a.png\n", "plain file name"},
        {"0 NINECHARS a.png\n", "1 to 8 bytes"},
        {"0  a.png\n", "line 1: the name is not an escaped name of 1 to 8 bytes"},
        {"0 A a.png\n1 %00 b.png\n", "line 2: the name holds a NUL byte"},
        {"0 A%00B a.png\n", "line 1: the name holds a NUL byte"},
        {"0 A a.png\n\n2 B b.png\n", "line 3: the position should be 1"},
        {"0 A%2 a.png\n", "escaped name"},
        {"0 A\n", "POSITION NAME FILE"},
        {"0 A - 4x4\n", "WIDTHxHEIGHT"},
    };
    for (const auto& [text, reason] : cases) {
        const auto lines = parseIndex(text);
        ASSERT_FALSE(lines.ok()) << text;
        EXPECT_NE(lines.error().message.find(reason), std::string::npos)
            << text << " gave: " << lines.error().message;
    }
    // Windows line ends and blank lines are fine.
    EXPECT_TRUE(parseIndex("0 A a.png\r\n\r\n1 B b.png\r\n").ok());
}

TEST(BitmapFolderIndex, RepeatedNamesAreTakenAndTheirLinesNamed) {
    // The same name or one in another letter case (Windows-1252: \xC9 is É, \x8A Š and \x9A š,
    // \x9F Ÿ and \xFF ÿ), as a .bcm file may hold them; "" is the empty name.
    const auto lines = parseIndex("0 LOGO r.png\n1 logo g.png\n\n2 %C9T a.png\n3 %E9t b.png\n"
                                  "4 %8A c.png\n5 %9A d.png\n6 %9F e.png\n7 %FF f.png\n"
                                  "8 \"\" - 0x4\n9 \"\" g.png\n10 LOGO h.png\n");
    ASSERT_TRUE(lines.ok()) << lines.error().message;
    std::vector<std::pair<int, int>> repeats;
    for (const IndexLine& line : lines.value()) {
        if (line.repeatsLine != 0) {
            repeats.emplace_back(line.lineNumber, line.repeatsLine);
        }
    }
    EXPECT_EQ(repeats, (std::vector<std::pair<int, int>>{
                           {2, 1}, {5, 4}, {7, 6}, {9, 8}, {11, 10}, {12, 1}}));
    EXPECT_EQ(lines.value()[8].name, "");
    EXPECT_EQ(lines.value()[8].height, 4);
    EXPECT_EQ(lines.value()[10].name, "LOGO");
    EXPECT_EQ(repeatedNamesWarning(lines.value()),
              "names repeat (in one letter case or another) and are kept as they are: line 2 "
              "repeats line 1, line 5 repeats line 4, line 7 repeats line 6, line 9 repeats line "
              "8, line 11 repeats line 10, line 12 repeats line 1");
    // Letters without a case partner stay distinct: the multiplication and division signs, and
    // the sharp s beside a y with diaeresis.
    const auto distinct = parseIndex("0 %D7 a.png\n1 %F7 b.png\n2 %DF c.png\n3 %FF d.png\n");
    ASSERT_TRUE(distinct.ok());
    EXPECT_EQ(repeatedNamesWarning(distinct.value()), "");
    // A warning about many repeats names the first ten.
    std::string many;
    for (int k = 0; k < 30; ++k) {
        many += std::to_string(k) + " DUP - 0x1\n";
    }
    EXPECT_NE(
        repeatedNamesWarning(parseIndex(many).value()).find("line 11 repeats line 1, and 19 more"),
        std::string::npos);
}

TEST(BitmapFolderRead, PngsReadWithTransparencyAndTheirDamageNamed) {
    const TemporaryFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const std::string& base = folder.path;
    std::vector<bitmapInfoList> entries;
    entries.push_back({"A", 2, 1, Picture(2, 1)});
    entries[0].picture->setPixel(1, 0, kWhite);
    ASSERT_TRUE(writeBitmapFolder(entries, base).ok());

    // Another tool's PNG in place of the first: an invisible white pixel and a visible one.
    pngtest::PngPlan plan;
    plan.width = 2;
    plan.height = 1;
    plan.colourType = 6;
    plan.rows = {{255, 255, 255, 0, 255, 255, 255, 255}};
    const std::string file = base + "/" + pictureFileName(0, "A");
    ASSERT_TRUE(writeFileAtomic(file, pngtest::pngFile(plan)).ok());
    const auto read = readBitmapFolder(base, windows1252());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read.value()[0].picture->pixel(0, 0), kBlack);
    EXPECT_EQ(read.value()[0].picture->pixel(1, 0), kWhite);

    const auto whole = pngtest::pngFile(plan);
    ASSERT_TRUE(writeFileAtomic(file, std::span(whole).first(whole.size() - 5)).ok());
    const auto cut = readBitmapFolder(base, windows1252());
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().message.rfind(file + ": it is cut short", 0), 0U) << cut.error().message;
}

TEST(BitmapFolderRead, AFolderWithoutAnIndexIsItsPngFilesInTheOrderOfTheirNumbers) {
    const TemporaryFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const std::string& base = folder.path;
    pngtest::PngPlan plan;
    plan.width = 1;
    plan.height = 1;
    plan.colourType = 2;
    plan.rows = {{255, 0, 0}};
    const auto png = pngtest::pngFile(plan);
    for (const char* file : {"frame10.png", "frame2.png", "frame02b.png", "Frame1.PNG",
                             "Frame3.png", "\xC3\xA9t\xC3\xA9.png", ".hidden.png"}) {
        ASSERT_TRUE(writeFileAtomic(base + "/" + file, png).ok()) << file;
    }
    ASSERT_TRUE(writeFileAtomic(base + "/notes.txt", {}).ok());
    std::filesystem::create_directory(base + "/folder.png");

    const auto read = readBitmapFolder(base, windows1252());
    ASSERT_TRUE(read.ok()) << read.error().message;
    std::vector<std::string> names;
    for (const bitmapInfoList& entry : read.value()) {
        names.push_back(entry.name);
        EXPECT_EQ(entry.picture->pixel(0, 0), kRed) << entry.name;
    }
    // Names in the code page, ordered regardless of letter case with runs of digits read as
    // numbers.
    EXPECT_EQ(names, (std::vector<std::string>{"Frame1", "frame2", "frame02b", "Frame3", "frame10",
                                               "\xE9t\xE9"}));
    const auto cyrillic = readBitmapFolder(base, codePageByName("windows-1251").value());
    ASSERT_FALSE(cyrillic.ok()) << "\u00E9 is not in Windows-1251";
    std::filesystem::remove(base + "/\xC3\xA9t\xC3\xA9.png");
    ASSERT_TRUE(writeFileAtomic(base + "/\xD0\xBF\xD1\x80\xD0\xB8.png", png).ok());
    const auto named = readBitmapFolder(base, codePageByName("windows-1251").value());
    ASSERT_TRUE(named.ok()) << named.error().message;
    EXPECT_EQ(named.value().back().name, "\xEF\xF0\xE8"); // the Cyrillic of the file name

    // A file name of other bytes than UTF-8 (as an old archive unpacks them) says so.
    ASSERT_TRUE(writeFileAtomic(base + "/caf\xE9.png", png).ok());
    const auto latin1 = readBitmapFolder(base, windows1252());
    ASSERT_FALSE(latin1.ok());
    EXPECT_NE(latin1.error().message.find("its name is not UTF-8 text"), std::string::npos)
        << latin1.error().message;
    std::filesystem::remove(base + "/caf\xE9.png");

    ASSERT_TRUE(writeFileAtomic(base + "/FRAME2.png", png).ok());
    const auto repeated = readBitmapFolder(base, windows1252());
    ASSERT_FALSE(repeated.ok());
    EXPECT_EQ(
        repeated.error().message.rfind(base + "/frame2.png: it gives the name of FRAME2.png", 0),
        0U)
        << repeated.error().message;
    std::filesystem::remove(base + "/FRAME2.png");

    ASSERT_TRUE(writeFileAtomic(base + "/animation.png", png).ok());
    const auto tooLong = readBitmapFolder(base, windows1252());
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(
        tooLong.error().message.rfind(base + "/animation.png: its name \"animation\" is longer", 0),
        0U)
        << tooLong.error().message;

    // An index, when there is one, still says which files are entries and what they are called.
    const std::string_view text = "0 ONE frame2.png\n";
    const std::vector<std::uint8_t> index(text.begin(), text.end());
    ASSERT_TRUE(writeFileAtomic(base + "/index.txt", index).ok());
    const auto indexed = readBitmapFolder(base, windows1252());
    ASSERT_TRUE(indexed.ok()) << indexed.error().message;
    ASSERT_EQ(indexed.value().size(), 1U);
    EXPECT_EQ(indexed.value()[0].name, "ONE");
}

} // namespace
} // namespace korvel
