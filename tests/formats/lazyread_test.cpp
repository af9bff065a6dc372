// Libraries opened with their pictures left encoded must look, compare and save exactly like
// libraries decoded whole, also for files this program would not have written that way.

#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/oddlibrary.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes golden(const std::string& name) {
    std::ifstream in(std::string(KORVEL_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "missing golden file " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SharedFileImage shared(Bytes bytes) {
    return shareFileImage(std::move(bytes));
}

std::unique_ptr<std::array<GlyphRecord, kGlyphSlots>> tableOf(std::vector<GlyphRecord> glyphs) {
    auto table = std::make_unique<std::array<GlyphRecord, kGlyphSlots>>();
    std::move(glyphs.begin(), glyphs.end(), table->begin());
    return table;
}

Bytes encodedBcm(const std::vector<bitmapInfoList>& entries) {
    auto bytes = encodeBcm(entries, static_cast<int>(entries.size()));
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : Bytes{};
}

Bytes encodedLcm(std::vector<GlyphRecord> glyphs) {
    const int count = static_cast<int>(glyphs.size());
    auto bytes = encodeLcm(*tableOf(std::move(glyphs)), count);
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : Bytes{};
}

void expectSameEntries(const std::vector<bitmapInfoList>& lazy,
                       const std::vector<bitmapInfoList>& eager) {
    ASSERT_EQ(lazy.size(), eager.size());
    for (std::size_t k = 0; k < lazy.size(); ++k) {
        EXPECT_EQ(lazy[k].name, eager[k].name) << "entry " << k;
        EXPECT_EQ(lazy[k].width, eager[k].width) << "entry " << k;
        EXPECT_EQ(lazy[k].height, eager[k].height) << "entry " << k;
        EXPECT_EQ(lazy[k].picture, eager[k].picture) << "entry " << k;
    }
}

TEST(LazyPicture, DecodesOnFirstReadAndKeepsItsBlockUntilWritten) {
    auto entries = openBcm(shared(golden("bcm/red-and-logo.bcm"))).value();
    Picture& logo = *entries[1].picture;
    EXPECT_FALSE(logo.isDecoded());
    EXPECT_NE(logo.encodedRows(), nullptr);

    EXPECT_EQ(logo.pixel(8, 1), paletteEntry(PaletteColour::Blue).value);
    EXPECT_TRUE(logo.isDecoded());
    EXPECT_NE(logo.encodedRows(), nullptr) << "reading does not change the pixels";

    const Picture copy = logo;
    logo.setPixel(0, 0, kWhite);
    EXPECT_EQ(logo.encodedRows(), nullptr) << "a written picture no longer equals its block";
    EXPECT_EQ(logo.pixel(0, 0), kWhite);
    EXPECT_EQ(copy.pixel(0, 0), paletteEntry(PaletteColour::Blue).value)
        << "a copy taken before keeps its own pixels";
    EXPECT_NE(copy, logo);
}

TEST(LazyPicture, EveryWayOfWritingLetsGoOfTheBlock) {
    const auto file = shared(golden("bcm/red-and-logo.bcm"));
    const auto fresh = [&] { return *openBcm(file).value()[0].picture; };
    const Picture red = fresh();
    const std::vector<std::pair<const char*, void (*)(Picture&)>> writes{
        {"fill", [](Picture& p) { p.fill(kWhite); }},
        {"row", [](Picture& p) { p.row(1)[2] = kWhite; }},
        {"draw", [](Picture& p) { p.draw(Picture(1, 1), 3, 3); }},
        {"resize", [](Picture& p) { p.resize(5, 4); }},
    };
    for (const auto& [name, write] : writes) {
        Picture picture = fresh();
        write(picture);
        EXPECT_EQ(picture.encodedRows(), nullptr) << name;
        EXPECT_NE(picture, red) << name;
        Picture expected = red;
        write(expected);
        EXPECT_EQ(picture, expected) << name;
    }
}

TEST(LazyOpen, GivesWhatTheWholeDecodeGivesForEveryGoldenLibrary) {
    for (const char* name :
         {"empty.bcm", "fuchia-1x1.bcm", "many-256.bcm", "one-red-4x4.bcm", "red-and-logo.bcm",
          "sizes-and-names.bcm", "white-and-black-8x2.bcm"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = golden(std::string("bcm/") + name);
        const auto lazy = openBcm(shared(bytes)).value();
        expectSameEntries(lazy, decodeBcm(bytes).value());
        EXPECT_EQ(encodedBcm(lazy), bytes);
    }
    for (const char* name : {"blank-5x9-128.lcm", "empty.lcm", "full-256.lcm", "height0.lcm",
                             "ink-255x255.lcm", "ink-widths.lcm", "width0-height9.lcm"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = golden(std::string("lcm/") + name);
        auto lazy = openLcm(shared(bytes)).value();
        const auto eager = decodeLcm(bytes).value();
        ASSERT_EQ(lazy.size(), eager.size());
        for (std::size_t code = 0; code < lazy.size(); ++code) {
            EXPECT_EQ(lazy[code].width, eager[code].width);
            EXPECT_EQ(lazy[code].height, eager[code].height);
            EXPECT_EQ(lazy[code].picture, eager[code].picture) << "glyph " << code;
        }
        EXPECT_EQ(encodedLcm(std::move(lazy)), encodedLcm(decodeLcm(bytes).value()));
    }
}

TEST(LazyOpen, RefusesWhatTheWholeDecodeRefusesWithTheSameMessage) {
    for (const auto& item :
         fs::directory_iterator(std::string(KORVEL_TEST_DATA) + "/bcm/malformed")) {
        const Bytes bytes = golden("bcm/malformed/" + item.path().filename().string());
        const auto lazy = openBcm(shared(bytes));
        const auto eager = decodeBcm(bytes);
        ASSERT_FALSE(eager.ok()) << item.path();
        ASSERT_FALSE(lazy.ok()) << item.path();
        EXPECT_EQ(lazy.error().message, eager.error().message);
    }
    for (const auto& item :
         fs::directory_iterator(std::string(KORVEL_TEST_DATA) + "/lcm/malformed")) {
        const Bytes bytes = golden("lcm/malformed/" + item.path().filename().string());
        const auto lazy = openLcm(shared(bytes));
        const auto eager = decodeLcm(bytes);
        ASSERT_FALSE(eager.ok()) << item.path();
        ASSERT_FALSE(lazy.ok()) << item.path();
        EXPECT_EQ(lazy.error().message, eager.error().message);
    }
}

TEST(LazyOpen, OddFilesSaveByteForByteAsAfterAWholeDecode) {
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Bytes bcm = oddBcm(random);
        const auto eager = decodeBcm(bcm);
        ASSERT_TRUE(eager.ok()) << eager.error().message;
        auto lazy = openBcm(shared(bcm)).value();
        expectSameEntries(lazy, eager.value());
        EXPECT_EQ(encodedBcm(lazy), encodedBcm(eager.value()));

        const Bytes lcm = oddLcm(random);
        const auto glyphs = decodeLcm(lcm);
        ASSERT_TRUE(glyphs.ok()) << glyphs.error().message;
        EXPECT_EQ(encodedLcm(openLcm(shared(lcm)).value()), encodedLcm(glyphs.value()));
    }
}

TEST(LazyOpen, EditedAndResizedEntriesSaveAsTheirPixelsSay) {
    std::mt19937 random(3);
    const Bytes bcm = oddBcm(random);
    auto lazy = openBcm(shared(bcm)).value();
    auto eager = decodeBcm(bcm).value();
    for (auto* entries : {&lazy, &eager}) {
        bitmapInfoList& first = entries->front();
        first.picture->setPixel(0, 0, kWhite);
        bitmapInfoList& last = entries->back();
        last.width += 3; // the modify dialog changes the size and leaves the picture as it was
    }
    EXPECT_EQ(encodedBcm(lazy), encodedBcm(eager));
}

TEST(LazyOpen, SavingReportsEveryEntryAndEndsAtTheCount) {
    std::mt19937 random(9);
    const auto entries = openBcm(shared(oddBcm(random))).value();
    std::vector<std::pair<std::size_t, std::size_t>> reports;
    const auto bytes =
        encodeBcm(entries, static_cast<int>(entries.size()),
                  [&](std::size_t done, std::size_t total) { reports.emplace_back(done, total); });
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(reports.size(), entries.size());
    for (std::size_t k = 0; k < reports.size(); ++k) {
        EXPECT_EQ(reports[k], std::make_pair(k + 1, entries.size()));
    }
    EXPECT_EQ(bytes.value(), encodedBcm(entries)) << "progress changes nothing written";
}

/// Writes bytes to a fresh file and removes it afterwards.
class TemporaryFile {
public:
    explicit TemporaryFile(const Bytes& bytes) {
        std::string pattern = (fs::temp_directory_path() / "korvel-lazy-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        EXPECT_GE(fd, 0);
        ::close(fd);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { fs::remove(path_); }
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    std::string path_;
};

/// 200 entries of 1024 x 512, about 39 MB: big enough that reading it whole would show.
Bytes largeBcm() {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < 200; ++k) {
        entries.push_back({"E" + std::to_string(k), 1024, 512, std::nullopt});
    }
    return encodeBcm(entries, 200).value();
}

TEST(FileSource, DirectoryOfALargeLibraryReadsOnlyHeads) {
    const Bytes bytes = largeBcm();
    const TemporaryFile file(bytes);
    auto source = FileSource::open(file.path());
    ASSERT_TRUE(source.ok()) << source.error().message;
    const auto fromFile = readBcmDirectory(*source.value());
    ASSERT_TRUE(fromFile.ok()) << fromFile.error().message;
    EXPECT_LT(source.value()->bytesRead(), 2'000'000U) << "of a file of " << bytes.size();

    MemorySource memory(bytes);
    const auto fromMemory = readBcmDirectory(memory).value();
    ASSERT_EQ(fromFile.value().size(), fromMemory.size());
    for (std::size_t k = 0; k < fromMemory.size(); ++k) {
        EXPECT_EQ(fromFile.value()[k].name, fromMemory[k].name);
        EXPECT_EQ(fromFile.value()[k].at, fromMemory[k].at);
        EXPECT_EQ(fromFile.value()[k].width, 1024);
    }
    const auto last = readBcmPicture(*source.value(), fromMemory.back());
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last.value(), Picture(1024, 512));
}

TEST(FileSource, HeadsOneAfterAnotherAreReadOnceInGrowingWindows) {
    // 20,000 entries of 20 x 3, 15-byte blocks packed one after the other (about 540 KB): the
    // windows grow while the heads follow each other and reads straddle their ends.
    std::mt19937 random(11);
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < 20000; ++k) {
        Picture picture(20, 3);
        picture.setPixel(static_cast<int>(random() % 20), static_cast<int>(random() % 3), kWhite);
        entries.push_back({"D" + std::to_string(k), 20, 3, picture});
    }
    const Bytes bytes = encodeBcm(entries, 20000).value();
    const TemporaryFile file(bytes);
    auto source = FileSource::open(file.path());
    ASSERT_TRUE(source.ok()) << source.error().message;
    const auto fromFile = readBcmDirectory(*source.value());
    ASSERT_TRUE(fromFile.ok()) << fromFile.error().message;
    EXPECT_LT(source.value()->bytesRead(), bytes.size() + bytes.size() / 8)
        << "the file was read more than once";
    MemorySource memory(bytes);
    const auto fromMemory = readBcmDirectory(memory).value();
    ASSERT_EQ(fromFile.value().size(), fromMemory.size());
    for (std::size_t k = 0; k < fromMemory.size(); ++k) {
        ASSERT_EQ(fromFile.value()[k].name, fromMemory[k].name);
        ASSERT_EQ(fromFile.value()[k].at, fromMemory[k].at);
        ASSERT_EQ(fromFile.value()[k].rowBytes, 3);
    }
    // After the growing windows, pictures far apart are read as they are.
    for (const std::size_t k : {std::size_t{19999}, std::size_t{0}, std::size_t{12345}}) {
        EXPECT_EQ(readBcmPicture(*source.value(), fromMemory[k]).value(), entries[k].picture) << k;
    }
}

// An export of one entry finds it from the directory alone: the first name that matches, read
// and checked as the whole directory read checks it, while other blocks are not read at all.
TEST(FileSource, OneEntryIsFoundFromTheDirectoryAndItsOwnBlockAlone) {
    std::vector<bitmapInfoList> entries;
    for (int k = 0; k < 20000; ++k) {
        entries.push_back({"D" + std::to_string(k % 19000), 20, 3, std::nullopt}); // D500 twice
    }
    entries[500].picture = Picture(20, 3);
    entries[500].picture->setPixel(4, 1, kRed);
    const Bytes bytes = encodeBcm(entries, 20000).value();
    const TemporaryFile file(bytes);
    auto source = FileSource::open(file.path()).value();
    const auto wanted = [](std::string name) {
        return [name](std::string_view entry) { return entry == name; };
    };
    const auto found = findBcmBlock(*source, wanted("D500"));
    ASSERT_TRUE(found.ok()) << found.error().message;
    ASSERT_TRUE(found.value().has_value());
    MemorySource memory(bytes);
    const BcmBlock first = readBcmDirectory(memory).value()[500];
    EXPECT_EQ(found.value()->at, first.at) << "the first of two entries of that name";
    EXPECT_EQ(found.value()->width, 20);
    EXPECT_EQ(found.value()->rowBytes, first.rowBytes);
    EXPECT_EQ(readBcmPicture(*source, *found.value()).value(), *entries[500].picture);
    EXPECT_LT(source->bytesRead(), 2 + 12 * 20000 + 4 * 8192) << "of a file of " << bytes.size();
    EXPECT_FALSE(findBcmBlock(memory, wanted("d500")).value().has_value());

    // A block that claims too much is refused as the directory read refuses it, but only when it
    // is the one asked for; a block outside the file is refused whichever is asked for.
    Bytes damaged = bytes;
    const std::size_t head = static_cast<std::size_t>(first.at) + 2;
    damaged[head] = 0x08;
    MemorySource damagedSource(damaged);
    const auto whole = readBcmDirectory(damagedSource);
    ASSERT_FALSE(whole.ok());
    const auto asked = findBcmBlock(damagedSource, wanted("D500"));
    ASSERT_FALSE(asked.ok());
    EXPECT_EQ(asked.error().message, whole.error().message);
    EXPECT_TRUE(findBcmBlock(damagedSource, wanted("D7")).value().has_value());

    Bytes outside = bytes;
    outside[2 + 12 * 7 + 8] = 0xFF;
    MemorySource outsideSource(outside);
    const auto refused = findBcmBlock(outsideSource, wanted("D18000"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, readBcmDirectory(outsideSource).error().message);
}

TEST(FileSource, ReadsOneEntryOrGlyphAsTheWholeDecodeHasIt) {
    std::mt19937 random(5);
    const Bytes bcm = oddBcm(random);
    const TemporaryFile bcmFile(bcm);
    auto source = FileSource::open(bcmFile.path()).value();
    const auto blocks = readBcmDirectory(*source).value();
    const auto eager = decodeBcm(bcm).value();
    for (std::size_t k = blocks.size(); k-- > 0;) {
        EXPECT_EQ(readBcmPicture(*source, blocks[k]).value(), eager[k].picture) << k;
    }

    const Bytes lcm = golden("lcm/ink-widths.lcm");
    const TemporaryFile lcmFile(lcm);
    auto glyphSource = FileSource::open(lcmFile.path()).value();
    const auto records = readLcmTable(*glyphSource).value();
    const auto glyphs = decodeLcm(lcm).value();
    for (std::size_t code = 0; code < records.size(); ++code) {
        EXPECT_EQ(readLcmPicture(*glyphSource, records[code]).value(), glyphs[code].picture);
    }
}

TEST(FileSource, RefusesFoldersAndFilesThatShrankSinceOpening) {
    const auto folder = FileSource::open(fs::temp_directory_path().string());
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().message.find("Is a directory"), std::string::npos);
    EXPECT_FALSE(FileSource::open("/nonexistent/korvel.bcm").ok());

    const TemporaryFile file(largeBcm());
    auto source = FileSource::open(file.path()).value();
    fs::resize_file(file.path(), 1000);
    const auto directory = readBcmDirectory(*source);
    ASSERT_FALSE(directory.ok());
    EXPECT_NE(directory.error().message.find("Cannot read file"), std::string::npos)
        << directory.error().message;
}

} // namespace
} // namespace korvel
