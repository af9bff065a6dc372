#include "fileio/fileio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

/// A fresh folder for one test, removed with everything in it afterwards.
class FileIo : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "korvel-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder_, ignored);
    }

    [[nodiscard]] std::string path(const std::string& name) const {
        return (folder_ / name).string();
    }
    [[nodiscard]] std::vector<std::string> folderContents() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder_)) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static void writePlain(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string contentOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static bool permissionsApply() { return ::geteuid() != 0; }

    fs::path folder_;
};

void expectFailureNaming(const Result<void>& status, const std::string& file, const char* reason) {
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().message.find(file), std::string::npos) << status.error().message;
    EXPECT_NE(status.error().message.find(reason), std::string::npos) << status.error().message;
}

} // namespace

TEST_F(FileIo, WriteCreatesThenReplacesTheWholeFileLeavingNothingElse) {
    const std::string target = path("lib.lcm");
    ASSERT_TRUE(writeFileAtomic(target, Bytes{1, 2, 3, 4, 5}).ok());
    EXPECT_EQ(contentOf(target), std::string("\1\2\3\4\5"));
    ASSERT_TRUE(writeFileAtomic(target, Bytes{9}).ok());
    EXPECT_EQ(contentOf(target), std::string("\x09"));
    ASSERT_TRUE(writeFileAtomic(target, Bytes{}).ok());
    EXPECT_EQ(fs::file_size(target), 0U);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"lib.lcm"});
}

TEST_F(FileIo, WriteKeepsTheModeOfAnExistingFileAndHonoursTheUmaskForANewOne) {
    const std::string existing = path("old.bcm");
    writePlain(existing, "old");
    ::chmod(existing.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomic(existing, Bytes{7}).ok());
    struct stat info {};
    ASSERT_EQ(::stat(existing.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);

    const mode_t previous = ::umask(027);
    const Result<void> created = writeFileAtomic(path("new.bcm"), Bytes{7});
    ::umask(previous);
    ASSERT_TRUE(created.ok());
    ASSERT_EQ(::stat(path("new.bcm").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
}

TEST_F(FileIo, WriteOverADirectoryFailsAndLeavesItAlone) {
    const std::string target = path("folder.lcm");
    fs::create_directory(target);
    writePlain(path("folder.lcm/inside"), "keep");
    expectFailureNaming(writeFileAtomic(target, Bytes{1}), target, "Is a directory");
    EXPECT_EQ(contentOf(path("folder.lcm/inside")), "keep");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"folder.lcm"});
}

TEST_F(FileIo, WriteIntoAMissingFolderFailsWithTheSystemsText) {
    const std::string target = path("missing/lib.lcm");
    expectFailureNaming(writeFileAtomic(target, Bytes{1}), target, "No such file or directory");
}

TEST_F(FileIo, WriteRespectsAReadOnlyTargetFile) {
    if (!permissionsApply()) {
        GTEST_SKIP() << "running as root: file permissions do not apply";
    }
    const std::string target = path("lib.bcm");
    writePlain(target, "protected");
    ::chmod(target.c_str(), 0444);
    expectFailureNaming(writeFileAtomic(target, Bytes{1, 2}), target, "Permission denied");
    EXPECT_EQ(contentOf(target), "protected");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"lib.bcm"});
}

TEST_F(FileIo, ReadGivesTheWholeFile) {
    Bytes big(200000);
    for (std::size_t k = 0; k < big.size(); ++k) {
        big[k] = static_cast<std::uint8_t>(k * 7 + k / 256);
    }
    ASSERT_TRUE(writeFileAtomic(path("big.bcm"), big).ok());
    const auto read = readWholeFile(path("big.bcm"));
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read.value(), big);

    writePlain(path("empty.lcm"), "");
    const auto empty = readWholeFile(path("empty.lcm"));
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().empty());
}

TEST_F(FileIo, ReadFailuresCarryTheSystemsTextAndTheFileName) {
    const std::string missing = path("missing.lcm");
    const auto absent = readWholeFile(missing);
    ASSERT_FALSE(absent.ok());
    EXPECT_NE(absent.error().message.find(missing), std::string::npos) << absent.error().message;
    EXPECT_NE(absent.error().message.find("No such file or directory"), std::string::npos)
        << absent.error().message;

    const auto folder = readWholeFile(folder_.string());
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().message.find("Is a directory"), std::string::npos)
        << folder.error().message;
}

TEST_F(FileIo, ReadOfAFileWithoutReadPermissionIsRefused) {
    if (!permissionsApply()) {
        GTEST_SKIP() << "running as root: file permissions do not apply";
    }
    const std::string secret = path("secret.lcm");
    writePlain(secret, "x");
    ::chmod(secret.c_str(), 0200);
    const auto read = readWholeFile(secret);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().message.find("Permission denied"), std::string::npos)
        << read.error().message;
}

} // namespace korvel
