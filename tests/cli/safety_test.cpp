// korvel-cli as a user runs it, against what loses or misplaces work: concurrent writers, memory
// limits, special files, huge pictures and full disks.

#include "cli/commands.h"
#include "fileio/fileio.h"
#include "fileio/readgate.h"
#include "formats/bcm.h"
#include "formats/bmp.h"
#include "support/childprocess.h"
#include "support/largefiles.h"
#include "support/pngbuild.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace korvel::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::becomeOtherUser;
using testing_support::kOtherGroup;
using testing_support::kOtherUser;
using testing_support::runInChild;

/// What one run of the program gave.
struct ProgramRun {
    int status = -1;
    bool crashed = false;
    std::string out;
    std::string err;
};

/// A limit the program runs under: RLIMIT_AS or RLIMIT_FSIZE, or none.
struct Limit {
    int resource = -1;
    rlim_t bytes = 0;
};

/// Starts korvel-cli; the limit applies to the program alone (set between fork and exec).
[[nodiscard]] std::unique_ptr<QProcess> startProgram(const std::vector<std::string>& arguments,
                                                     Limit limit = {}) {
    auto process = std::make_unique<QProcess>();
    if (limit.resource >= 0) {
        process->setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN); // a write past the size limit fails with EFBIG
            const rlimit value{limit.bytes, limit.bytes};
            ::setrlimit(limit.resource, &value);
        });
    }
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    process->start(QStringLiteral(KORVEL_CLI_PROGRAM), list);
    return process;
}

[[nodiscard]] ProgramRun finish(QProcess& process) {
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the program did not finish in 60 s";
    }
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

[[nodiscard]] ProgramRun runProgram(const std::vector<std::string>& arguments, Limit limit = {}) {
    return finish(*startProgram(arguments, limit));
}

class CliSafety : public testing::Test {
protected:
    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }
    void writeFile(const std::string& file, const std::vector<std::uint8_t>& bytes) const {
        ASSERT_TRUE(saveFile(file, bytes).ok()) << file;
    }
    [[nodiscard]] std::string smallBmp(const std::string& name) const {
        const std::string file = path(name);
        Picture picture(4, 4);
        picture.fill(kRed);
        writeFile(file, encodeBmp24(picture));
        return file;
    }
    [[nodiscard]] std::vector<std::string> contents() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(path("."))) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    QTemporaryDir folder_;
};

TEST_F(CliSafety, EveryWriterWarnsWhenItHasToWriteInPlace) {
    const std::string library = path("lib.lcm");
    std::ostringstream ignored;
    ASSERT_EQ(runCli({"new-font", "--blank", "5x7", "-o", library}, ignored, ignored), kExitOk);
    const std::vector<std::vector<std::string>> writers{
        {"new-font", "--blank", "5x7", "-o", path("out.lcm")},
        {"convert", library, path("out.bdf")},
        {"export", library, "65", path("out.bmp")},
        {"export-c", library, "-o", path("out.h")},
    };
    const std::string folderName = path(".");
    for (const auto& arguments : writers) {
        const std::string& target = arguments[arguments.size() - 1];
        writeFile(target, {0});
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherGroup), 0);
        }
    }
    ::chmod(folderName.c_str(), ::geteuid() == 0 ? 0755 : 0555);
    const auto outcome = runInChild([] { return ::geteuid() != 0 || becomeOtherUser(); },
                                    [&] {
                                        std::string report;
                                        for (const auto& arguments : writers) {
                                            std::ostringstream out;
                                            std::ostringstream err;
                                            // Run first: the operands of + are evaluated in no set
                                            // order.
                                            const int status = runCli(arguments, out, err);
                                            report += std::to_string(status) + " " + err.str();
                                        }
                                        return report;
                                    });
    ::chmod(folderName.c_str(), 0700);
    ASSERT_TRUE(outcome.exitedWith(0)) << outcome.status;
    std::string expected;
    for (const auto& arguments : writers) {
        expected += "0 korvel-cli: " + arguments.back() +
                    ": warning: its folder allows no new file, so the file was overwritten in "
                    "place\n";
    }
    EXPECT_EQ(outcome.report, expected);
}

TEST_F(CliSafety, ConcurrentAddsToOneLibraryAllLand) {
    const std::string picture = smallBmp("red.bmp");
    const std::string library = path("shared.bcm");
    const std::vector<std::string> names{"A", "B", "C", "D", "E", "F", "G", "H"};
    // Two rounds of four programs started at once.
    for (std::size_t round = 0; round < names.size(); round += 4) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (std::size_t k = round; k < round + 4; ++k) {
            running.push_back(startProgram({"add", library, names[k], picture}));
        }
        for (const auto& process : running) {
            const ProgramRun run = finish(*process);
            EXPECT_EQ(run.status, kExitOk) << run.err;
        }
    }
    const ProgramRun info = runProgram({"info", library});
    ASSERT_EQ(info.status, kExitOk) << info.err;
    EXPECT_EQ(info.out.substr(0, info.out.find('\n')), "8");
    for (const std::string& name : names) {
        EXPECT_NE(info.out.find(" " + name + " 4 4\n"), std::string::npos) << name << " is lost";
    }
    EXPECT_EQ(contents(), (std::vector<std::string>{"red.bmp", "shared.bcm"}));
}

TEST_F(CliSafety, SpecialFilesAreRefusedAtOnce) {
    const std::string fifo = path("pipe.bcm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Nobody writes into the FIFO: a program that opened it for reading would wait for ever.
    const ProgramRun piped = runProgram({"info", fifo});
    EXPECT_EQ(piped.status, kExitRefused);
    EXPECT_EQ(piped.err,
              "korvel-cli: Cannot read file \"" + fifo + "\". It is a FIFO, not a regular file.\n");

    ::symlink("/dev/zero", path("zero.lcm").c_str());
    const ProgramRun zero = runProgram({"info", path("zero.lcm")});
    EXPECT_EQ(zero.status, kExitRefused);
    EXPECT_NE(zero.err.find("It is a device, not a regular file."), std::string::npos) << zero.err;
}

TEST_F(CliSafety, ALibraryThatDoesNotFitInMemoryIsRefusedNotAborted) {
    if (testing_support::sanitized()) {
        GTEST_SKIP() << "an address space limit does not combine with the sanitizers";
    }
    const std::string library = path("large.bcm");
    writeFile(library, testing_support::largeBitmapLibraryFile(200));
    // Enough to start the program and map a library of 39 MB, not to decode it.
    const Limit tight{RLIMIT_AS, rlim_t{160} << 20};

    // info reads only the directory, so it fits where decoding the library would not.
    const ProgramRun info = runProgram({"info", library}, tight);
    EXPECT_FALSE(info.crashed) << "status " << info.status;
    EXPECT_EQ(info.status, kExitOk) << info.err;

    // add copies the blocks it keeps file to file, so the library is never whole in memory.
    const ProgramRun add = runProgram({"add", library, "NEW", smallBmp("red.bmp")}, tight);
    EXPECT_FALSE(add.crashed);
    EXPECT_EQ(add.status, kExitOk) << add.err;
    const ProgramRun after = runProgram({"info", library});
    EXPECT_EQ(after.out.substr(0, after.out.find('\n')), "201");

    // A library larger than the address space left: nothing is written when it runs out.
    const std::string huge = path("huge.bcm");
    ASSERT_TRUE(testing_support::writeSparseBitmapLibrary(huge, 1000));
    const auto old = FileSource::open(huge);
    ASSERT_TRUE(old.ok());
    const ProgramRun refused = runProgram({"add", huge, "NEW", path("red.bmp")}, tight);
    EXPECT_FALSE(refused.crashed);
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_NE(refused.err.find("does not fit in memory"), std::string::npos) << refused.err;
    EXPECT_EQ(fs::file_size(huge), old.value()->size());
    EXPECT_EQ(contents(), (std::vector<std::string>{"huge.bcm", "large.bcm", "red.bmp"}));
}

TEST_F(CliSafety, AnAddPastWhatTheFileAddressesIsRefusedAndChangesNothing) {
    // 21845 entries of 1024 x 512 in a sparse file of 4.3 GB: the last block begins at
    // 4294836216, and a new one would begin at 4295032830, past what 32 bits hold.
    const std::string library = path("big.bcm");
    ASSERT_TRUE(testing_support::writeSparseBitmapLibrary(library, 21845));
    struct stat before {};
    ASSERT_EQ(::stat(library.c_str(), &before), 0);
    const ProgramRun info = runProgram({"info", library});
    ASSERT_EQ(info.status, kExitOk) << info.err;
    EXPECT_NE(info.out.find("\n21844 E21844 1024 512\n"), std::string::npos);

    const ProgramRun add =
        runProgram({"add", library, "NEW", smallBmp("red.bmp"), "--size", "1024x512"});
    EXPECT_EQ(add.status, kExitRefused);
    EXPECT_EQ(add.err,
              "korvel-cli: " + library +
                  ": Bitmap 21845 (\"NEW\") would begin 4295032830 bytes into the "
                  "bitmaps' blocks, but the 32-bit block offsets of a bitmap library file "
                  "reach only 4294967295 (4 GiB); the library is too large to be saved.\n");
    struct stat after {};
    ASSERT_EQ(::stat(library.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(contents(), (std::vector<std::string>{"big.bcm", "red.bmp"}));
}

TEST_F(CliSafety, ARewriteThatWouldDropBytesPastTheLibraryIsRefused) {
    // A font library of 256 codes begins with the bytes of an empty bitmap library; added to,
    // it would be overwritten by a library of one bitmap.
    const std::string font = path("font.lcm");
    ASSERT_EQ(runProgram({"new-font", "--blank", "5x9", "--codes", "256", "-o", font}).status,
              kExitOk);
    const std::string named = path("named.bcm");
    fs::copy_file(font, named);
    const std::string bitmaps = path("tail.bcm");
    ASSERT_EQ(runProgram({"add", bitmaps, "A", smallBmp("red.bmp")}).status, kExitOk);
    const std::string glyphs = path("tail.lcm");
    fs::copy_file(font, glyphs);
    for (const std::string& file : {bitmaps, glyphs}) {
        auto bytes = readWholeFile(file).value();
        bytes.push_back(0x5A);
        writeFile(file, bytes);
    }
    const struct Case {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"add", named, "B", path("red.bmp")},
         "only 2 of its 4097 bytes belong to its 0 bitmaps, and rewriting it would drop the rest: "
         "is it a bitmap library?"},
        {{"add", bitmaps, "B", path("red.bmp")},
         "only 32 of its 33 bytes belong to its 1 bitmap, and rewriting it would drop the rest: "
         "is it a bitmap library?"},
        {{"import", bitmaps, "A", path("red.bmp")},
         "only 32 of its 33 bytes belong to its 1 bitmap, and rewriting it would drop the rest: "
         "is it a bitmap library?"},
        {{"import", glyphs, "65", path("red.bmp")},
         "only 4097 of its 4098 bytes belong to its 256 glyphs, and rewriting it would drop the "
         "rest: is it a font library?"},
    };
    for (const Case& test : cases) {
        const std::string& file = test.arguments[1];
        const auto before = readWholeFile(file).value();
        const ProgramRun run = runProgram(test.arguments);
        EXPECT_EQ(run.status, kExitRefused) << file;
        EXPECT_EQ(run.err, "korvel-cli: " + file + ": " + test.message + "\n");
        EXPECT_EQ(readWholeFile(file).value(), before) << file;
    }
    // The font library itself, whose records end where the file does, is imported into.
    EXPECT_EQ(runProgram({"import", font, "65", path("red.bmp")}).status, kExitOk);
}

TEST_F(CliSafety, AFolderImportHoldsOnePictureAtATime) {
    if (testing_support::sanitized()) {
        GTEST_SKIP() << "an address space limit does not combine with the sanitizers";
    }
    // One PNG named by every line of the index, as a folder of many pictures would be.
    const auto folderOf = [&](const std::string& name, int width, int height, int lines) {
        const std::string folder = path(name);
        fs::create_directory(folder);
        pngtest::PngPlan plan;
        plan.width = width;
        plan.height = height;
        plan.rows.assign(static_cast<std::size_t>(height),
                         pngtest::Bytes(static_cast<std::size_t>(3 * width), 0xC0));
        writeFile(folder + "/p.png", pngtest::pngFile(plan));
        std::string index;
        for (int k = 0; k < lines; ++k) {
            index += std::to_string(k) + " E" + std::to_string(k) + " p.png\n";
        }
        writeFile(folder + "/index.txt", std::vector<std::uint8_t>(index.begin(), index.end()));
        return folder;
    };
    const Limit limit{RLIMIT_AS, rlim_t{300} << 20};
    // 65535 small pictures, and 200 of 1024 x 512: 400 MB decoded at once, 39 MB of blocks.
    for (const auto& [width, height, lines] :
         {std::tuple{32, 16, 65535}, std::tuple{1024, 512, 200}}) {
        const std::string name = "f" + std::to_string(width);
        const ProgramRun run = runProgram(
            {"convert", folderOf(name, width, height, lines), path(name + ".bcm")}, limit);
        EXPECT_FALSE(run.crashed);
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const ProgramRun info = runProgram({"info", path(name + ".bcm")});
        EXPECT_EQ(info.out.substr(0, info.out.find('\n')), std::to_string(lines));
        EXPECT_NE(info.out.find("\n" + std::to_string(lines - 1) + " E" +
                                std::to_string(lines - 1) + " " + std::to_string(width) + " " +
                                std::to_string(height) + "\n"),
                  std::string::npos);
    }
    // 65535 pictures of 1024 x 512 would need 12.9 GB of blocks: refused from the headers.
    const ProgramRun huge =
        runProgram({"convert", folderOf("huge", 1024, 512, 65535), path("huge.bcm")}, limit);
    EXPECT_FALSE(huge.crashed);
    EXPECT_EQ(huge.status, kExitRefused);
    EXPECT_NE(huge.err.find("Bitmap 21845 (\"E21845\") would begin 4295032830 bytes"),
              std::string::npos)
        << huge.err;
    EXPECT_FALSE(fs::exists(path("huge.bcm")));
}

TEST_F(CliSafety, AHugeBmpIsRefusedFromItsHeaderBeforeDecoding) {
    if (testing_support::sanitized()) {
        GTEST_SKIP() << "an address space limit does not combine with the sanitizers";
    }
    // A 1-bit BMP of 16384 x 16384 pixels: 32 MB of file, 1 GiB once decoded.
    std::vector<std::uint8_t> header{'B', 'M'};
    const auto put32 = [&](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            header.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    const auto put16 = [&](std::uint16_t value) {
        header.push_back(static_cast<std::uint8_t>(value & 0xFF));
        header.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    const std::uint32_t pixelBytes = 16384 / 8 * 16384;
    put32(62 + pixelBytes);
    put32(0);
    put32(62);
    put32(40);
    put32(16384);
    put32(16384);
    put16(1);
    put16(1);
    for (int k = 0; k < 6; ++k) {
        put32(0);
    }
    put32(0x00000000);
    put32(0x00FFFFFF);
    const std::string file = path("huge.bmp");
    {
        std::vector<std::uint8_t> bytes = header;
        bytes.resize(header.size() + pixelBytes, 0);
        writeFile(file, bytes);
    }
    const auto size = bmpSize(readWholeFile(file).value());
    ASSERT_TRUE(size.ok()) << size.error().message;
    EXPECT_EQ(size.value().width, 16384);

    // Under 256 MiB a decode of the whole picture could not even start.
    const ProgramRun add =
        runProgram({"add", path("lib.bcm"), "HUGE", file}, {RLIMIT_AS, rlim_t{256} << 20});
    EXPECT_EQ(add.status, kExitRefused);
    EXPECT_EQ(add.err, "korvel-cli: " + file +
                           ": its picture of 16384 x 16384 is larger than a bitmap holds (1024 x "
                           "512); give --size to scale it\n");
    EXPECT_FALSE(fs::exists(path("lib.bcm")));
}

TEST_F(CliSafety, NamesAreUniqueInEveryLetterCaseOfTheCodePage) {
    const std::string picture = smallBmp("red.bmp");
    const std::string library = path("names.bcm");
    ASSERT_EQ(runProgram({"add", library, "caf\xC3\xA9", picture}).status, kExitOk); // café
    const ProgramRun upper = runProgram({"add", library, "CAF\xC3\x89", picture});   // CAFÉ
    EXPECT_EQ(upper.status, kExitRefused);
    EXPECT_EQ(upper.err, "korvel-cli: " + library + ": Please input exclusive bitmap name!\n");
    // A different letter is no repeat: "café" and "cafe".
    EXPECT_EQ(runProgram({"add", library, "cafe", picture}).status, kExitOk);
}

TEST_F(CliSafety, AFolderExportOntoAFullDiskLeavesTheOldFolderWhole) {
    // The first picture is small; the second, of noise, does not fit in 4 KiB.
    std::vector<bitmapInfoList> entries;
    entries.push_back({"SMALL", 4, 4, Picture(4, 4)});
    Picture noise(512, 256);
    std::uint32_t seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1103515245U + 12345U;
            noise.setPixel(x, y, kPalette[(seed >> 16) % 8].value);
        }
    }
    entries.push_back({"NOISE", 512, 256, noise});
    const std::string library = path("lib.bcm");
    writeFile(library, encodeBcm(entries, 2).value());

    std::vector<bitmapInfoList> oldEntries;
    oldEntries.push_back({"OLD", 8, 2, Picture(8, 2)});
    const std::string oldLibrary = path("old.bcm");
    writeFile(oldLibrary, encodeBcm(oldEntries, 1).value());
    const std::string folder = path("export");
    ASSERT_EQ(runProgram({"convert", oldLibrary, folder}).status, kExitOk);

    const ProgramRun full = runProgram({"convert", library, folder}, {RLIMIT_FSIZE, 4096});
    EXPECT_EQ(full.status, kExitRefused);
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    EXPECT_EQ(contents(), (std::vector<std::string>{"export", "lib.bcm", "old.bcm"}))
        << "no half-written folder is left beside it";
    const ProgramRun back = runProgram({"convert", folder, path("back.bcm")});
    ASSERT_EQ(back.status, kExitOk) << back.err;
    EXPECT_EQ(readWholeFile(path("back.bcm")).value(), readWholeFile(oldLibrary).value());

    // Without the limit the new export replaces the old one whole.
    ASSERT_EQ(runProgram({"convert", library, folder}).status, kExitOk);
    ASSERT_EQ(runProgram({"convert", folder, path("again.bcm")}).status, kExitOk);
    EXPECT_EQ(readWholeFile(path("again.bcm")).value(), readWholeFile(library).value());
}

} // namespace
} // namespace korvel::cli
