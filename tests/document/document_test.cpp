#include "document/document.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/largefiles.h"
#include "support/oddlibrary.h"
#include "support/picturetext.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace korvel {
namespace {

/// Everything that makes a bitmap library, as bytes: the file image and the name index lines.
struct BitmapState {
    std::vector<std::uint8_t> file;
    std::vector<std::string> index;
    friend bool operator==(const BitmapState&, const BitmapState&) = default;
};

BitmapState stateOf(const Document& document) {
    const BitmapLibrary& library = document.bitmapLibrary();
    auto file = encodeBcm(library.entries, library.count());
    EXPECT_TRUE(file.ok());
    return {file.ok() ? file.value() : std::vector<std::uint8_t>{}, library.index.lines()};
}

std::vector<std::uint8_t> fontBytes(const Document& document) {
    // All 256 slots, so a change above the count would show too.
    auto file = encodeLcm(document.fontLibrary().glyphs, kGlyphSlots);
    EXPECT_TRUE(file.ok());
    return file.ok() ? file.value() : std::vector<std::uint8_t>{};
}

bitmapInfoList entry(const std::string& name, const std::vector<std::string>& rows) {
    Picture picture = pictureFromText(rows);
    return {name, picture.width(), picture.height(), std::move(picture)};
}

/// A document with a bitmap library of repeated and case-different names, opened from a file,
/// and a two-glyph font library made in place.
class DocumentTest : public testing::Test {
protected:
    DocumentTest() {
        const std::vector<bitmapInfoList> entries{entry("LOGO", {"RR", "RR"}), entry("logo", {"G"}),
                                                  entry("LOGO", {"BBB"}), entry("x", {"W.", ".W"})};
        const auto bytes = encodeBcm(entries, static_cast<int>(entries.size()));
        const std::string file = folder.filePath("names.bcm").toStdString();
        EXPECT_FALSE(failsToWrite(file, bytes.value()));
        EXPECT_TRUE(document.openBitmapFile(file).ok());
        document.makeFontLibrary([](FontLibrary& font) {
            font.count = 2;
            font.glyphs[0] = {0, 2, 2, pictureFromText({"#.", ".#"})};
            font.glyphs[1] = {1, 3, 1, pictureFromText({"#.#"})};
        });
    }

    static bool failsToWrite(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        return !writeEncodedFile(path, bytes).ok();
    }

    QTemporaryDir folder;
    Document document;
};

TEST_F(DocumentTest, OpeningReplacesTheLibraryEntersItsModeAndClearsItsHistoryOnly) {
    document.paintGlyphPixel(0, 1, 0, kRed);
    document.removeBitmap(0);
    ASSERT_EQ(document.bitmapHistory().count(), 1);
    const std::string file = folder.filePath("font.lcm").toStdString();
    ASSERT_TRUE(document.saveFontFile(file, 2).ok());

    QSignalSpy reset(&document, &Document::fontLibraryReset);
    QSignalSpy mode(&document, &Document::modeChanged);
    ASSERT_TRUE(document.openFontFile(file).ok());
    ASSERT_EQ(reset.count(), 1);
    EXPECT_EQ(reset[0][0].value<LibraryReset>(), LibraryReset::Opened);
    EXPECT_EQ(mode.count(), 1);
    EXPECT_EQ(document.mode(), EditingMode::Font);
    EXPECT_EQ(document.fontHistory().count(), 0);
    EXPECT_EQ(document.bitmapHistory().count(), 1) << "the other library keeps its history";
    EXPECT_EQ(document.fontLibrary().glyphs[0].picture, pictureFromText({"##", ".#"}));
}

TEST_F(DocumentTest, AFailedOpenChangesNothingAndSaysWhereItFailed) {
    const BitmapState before = stateOf(document);
    const std::vector<std::uint8_t> fontBefore = fontBytes(document);
    QSignalSpy fontReset(&document, &Document::fontLibraryReset);
    QSignalSpy bitmapReset(&document, &Document::bitmapLibraryReset);

    const auto missing = document.openBitmapFile(folder.filePath("none.bcm").toStdString());
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind, ErrorKind::Access);

    const std::string cut = folder.filePath("cut.lcm").toStdString();
    ASSERT_FALSE(failsToWrite(cut, {3, 0, 0}));
    const auto malformed = document.openFontFile(cut);
    ASSERT_FALSE(malformed.ok());
    EXPECT_EQ(malformed.error().kind, ErrorKind::Content);

    EXPECT_EQ(fontReset.count() + bitmapReset.count(), 0);
    EXPECT_EQ(stateOf(document), before);
    EXPECT_EQ(fontBytes(document), fontBefore);
    EXPECT_EQ(document.mode(), EditingMode::Bitmap);
}

TEST_F(DocumentTest, ASaveThatCannotBeEncodedWritesNothing) {
    document.modifyGlyph(1, {300, 1, Picture(300, 1)});
    const std::string file = folder.filePath("wide.lcm").toStdString();
    const auto fault = document.saveFontFile(file, 2);
    ASSERT_FALSE(fault.ok());
    EXPECT_EQ(fault.error().kind, ErrorKind::Content);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
}

TEST_F(DocumentTest, AMappedLibrarySavesWhatTheWholeReadSaves) {
    // Odd blocks (lit padding, reversed and shared blocks) are copied or re-packed block by
    // block into the new file exactly as the whole encoding writes them, edited ones included.
    std::mt19937 random(23);
    for (int round = 0; round < 20; ++round) {
        const std::vector<std::uint8_t> odd = oddBcm(random);
        const std::string file = folder.filePath("odd.bcm").toStdString();
        ASSERT_FALSE(failsToWrite(file, odd));
        const auto decoded = decodeBcm(odd);
        ASSERT_TRUE(decoded.ok());
        const auto expected = encodeBcm(decoded.value(), static_cast<int>(decoded.value().size()));
        ASSERT_TRUE(expected.ok());

        Document mapped;
        ASSERT_TRUE(mapped.openBitmapFile(file, LibraryReading::Mapped).ok());
        const std::string saved = folder.filePath("saved.bcm").toStdString();
        const int count = mapped.bitmapLibrary().count();
        ASSERT_TRUE(mapped.saveBitmapFile(saved, count).ok());
        EXPECT_EQ(readWholeFile(saved).value(), expected.value()) << "round " << round;

        if (count > 0) {
            mapped.paintBitmapPixel(0, 0, 0, kWhite);
            ASSERT_TRUE(mapped.saveBitmapFile(saved, count).ok());
            const auto repainted = decodeBcm(readWholeFile(saved).value());
            ASSERT_TRUE(repainted.ok());
            const bitmapInfoList& first = repainted.value()[0];
            if (first.width > 0 && first.height > 0) {
                EXPECT_EQ(first.picture->pixel(0, 0), kWhite);
            }
        }
    }
}

TEST_F(DocumentTest, AnAddOrModifyThatWouldPassWhatTheFileAddressesIsRefused) {
    // 21846 blocks of 1024 x 512 but the first, one row high: the last begins 130689 bytes below
    // 2^32, in a sparse file of 4.3 GB. Opened mapped, only its directory is read.
    const std::string file = folder.filePath("big.bcm").toStdString();
    ASSERT_TRUE(testing_support::writeSparseBitmapLibrary(file, 21846, 1));
    Document big;
    ASSERT_TRUE(big.openBitmapFile(file, LibraryReading::Mapped).ok());
    ASSERT_EQ(big.bitmapLibrary().count(), 21846);

    const Result<void> added = big.bitmapLibraryFits(21846, 4, 4, "NEW");
    ASSERT_FALSE(added.ok());
    EXPECT_NE(added.error().message.find("Bitmap 21846 (\"NEW\") would begin 4295033220 bytes"),
              std::string::npos)
        << added.error().message;
    const Result<void> grown = big.bitmapLibraryFits(0, 1024, 512);
    ASSERT_FALSE(grown.ok());
    EXPECT_NE(grown.error().message.find("Bitmap 21845 (\"E21845\")"), std::string::npos)
        << grown.error().message;
    EXPECT_TRUE(big.bitmapLibraryFits(0, 1024, 300).ok());
    EXPECT_TRUE(big.bitmapLibraryFits(21845, 8, 8).ok()) << "the last block may end past 2^32";
    EXPECT_TRUE(
        document.bitmapLibraryFits(document.bitmapLibrary().count(), 1024, 512, "NEW").ok());

    // Were the library made unsaveable anyway, saving refuses before a byte is written.
    big.appendBitmap({"NEW", 4, 4, Picture(4, 4)});
    const std::string target = folder.filePath("bigger.bcm").toStdString();
    const auto fault = big.saveBitmapFile(target, big.bitmapLibrary().count());
    ASSERT_FALSE(fault.ok());
    EXPECT_EQ(fault.error().kind, ErrorKind::Content);
    EXPECT_NE(fault.error().message.find("4 GiB"), std::string::npos) << fault.error().message;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file is left";
}

TEST_F(DocumentTest, EachEditAnnouncesTheEntryItChanged) {
    QSignalSpy glyph(&document, &Document::glyphChanged);
    QSignalSpy inserted(&document, &Document::bitmapInserted);
    QSignalSpy removed(&document, &Document::bitmapRemoved);
    QSignalSpy changed(&document, &Document::bitmapChanged);

    document.paintGlyphPixel(1, 1, 0, kRed);
    document.modifyGlyph(0, {1, 1, Picture(1, 1)});
    document.paintBitmapPixel(2, 0, 0, kWhite);
    document.modifyBitmap(3, {1, 1, std::nullopt});
    document.appendBitmap(entry("new", {"F"}));
    document.removeBitmap(1);

    ASSERT_EQ(glyph.count(), 2);
    EXPECT_EQ(glyph[0][0].toInt(), 1);
    EXPECT_EQ(glyph[1][0].toInt(), 0);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toInt(), 2);
    EXPECT_EQ(changed[1][0].toInt(), 3);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][0].toInt(), 4);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][0].toInt(), 1);
}

TEST_F(DocumentTest, EditsOfNothingAreNotRecorded) {
    document.makeFontLibrary([](FontLibrary& font) { font.glyphs[5].picture.reset(); });
    QSignalSpy glyph(&document, &Document::glyphChanged);
    document.paintGlyphPixel(5, 0, 0, kRed);
    document.paintGlyphPixel(256, 0, 0, kRed);
    document.modifyGlyph(-1, {});
    document.removeBitmap(4);
    document.removeBitmap(-1);
    document.modifyBitmap(4, {});
    EXPECT_EQ(glyph.count(), 0);
    EXPECT_EQ(document.fontHistory().count(), 0);
    EXPECT_EQ(document.bitmapHistory().count(), 0);
}

TEST_F(DocumentTest, UndoAndRedoOfEachBitmapCommandRestoreTheLibraryByteForByte) {
    const auto check = [this](const char* text, const std::function<void()>& edit) {
        const BitmapState before = stateOf(document);
        edit();
        const BitmapState after = stateOf(document);
        ASSERT_NE(after, before) << text;
        EXPECT_EQ(document.bitmapHistory().undoText(), text);
        document.bitmapHistory().undo();
        EXPECT_EQ(stateOf(document), before) << text;
        document.bitmapHistory().redo();
        EXPECT_EQ(stateOf(document), after) << text;
    };
    check("Paint", [this] { document.paintBitmapPixel(2, 1, 0, kWhite); });
    check("Modify", [this] { document.modifyBitmap(1, {3, 2, pictureFromText({"GG", "G."})}); });
    check("Add Bitmap", [this] { document.appendBitmap(entry("LoGo", {"Y"})); });
    // The second of three equal names, then the first: each comes back at its own place.
    check("Delete Bitmap", [this] { document.removeBitmap(2); });
    check("Delete Bitmap", [this] { document.removeBitmap(0); });
}

TEST_F(DocumentTest, UndoingEveryCommandInTurnReturnsToTheOpenedLibrary) {
    const BitmapState opened = stateOf(document);
    document.removeBitmap(1);
    document.appendBitmap(entry("z", {"A"}));
    document.paintBitmapPixel(0, 0, 1, paletteEntry(PaletteColour::Blue).value);
    document.removeBitmap(0);
    document.modifyBitmap(0, {0, 0, std::nullopt});
    while (document.bitmapHistory().canUndo()) {
        document.bitmapHistory().undo();
    }
    EXPECT_EQ(stateOf(document), opened);
}

TEST_F(DocumentTest, UndoAndRedoOfGlyphCommandsRestoreTheFontByteForByte) {
    const std::vector<std::uint8_t> before = fontBytes(document);
    document.paintGlyphPixel(0, 1, 0, kRed);
    const std::vector<std::uint8_t> painted = fontBytes(document);
    document.modifyGlyph(1, {4, 2, pictureFromText({"####", "...."})});
    const std::vector<std::uint8_t> modified = fontBytes(document);
    EXPECT_EQ(document.fontHistory().undoText(), "Modify");
    document.fontHistory().undo();
    EXPECT_EQ(fontBytes(document), painted);
    EXPECT_EQ(document.fontHistory().undoText(), "Paint");
    document.fontHistory().undo();
    EXPECT_EQ(fontBytes(document), before);
    document.fontHistory().redo();
    document.fontHistory().redo();
    EXPECT_EQ(fontBytes(document), modified);
}

TEST_F(DocumentTest, EmptyingTheBitmapLibraryClearsItsHistoryAndItsFirstBitmapIsUndoable) {
    document.removeBitmap(0);
    QSignalSpy reset(&document, &Document::bitmapLibraryReset);
    document.clearBitmapLibrary();
    ASSERT_EQ(reset.count(), 1);
    EXPECT_EQ(reset[0][0].value<LibraryReset>(), LibraryReset::Made);
    EXPECT_EQ(document.bitmapHistory().count(), 0);
    EXPECT_EQ(document.bitmapLibrary().count(), 0);

    document.appendBitmap(entry("first", {"R"}));
    document.bitmapHistory().undo();
    EXPECT_EQ(document.bitmapLibrary().count(), 0);
    EXPECT_TRUE(document.bitmapLibrary().index.empty());
}

TEST_F(DocumentTest, TheActiveHistoryIsTheEditedLibrarysOne) {
    QUndoGroup& group = document.history();
    EXPECT_EQ(group.activeStack(), &document.bitmapHistory());
    document.paintBitmapPixel(0, 0, 0, paletteEntry(PaletteColour::Blue).value);
    EXPECT_EQ(group.undoText(), "Paint");

    document.setMode(EditingMode::Font);
    EXPECT_EQ(group.activeStack(), &document.fontHistory());
    EXPECT_FALSE(group.canUndo()) << "the bitmap paint is not undone from font mode";

    document.setHistoryReachable(false);
    EXPECT_EQ(group.activeStack(), nullptr);
    document.setMode(EditingMode::Bitmap);
    EXPECT_EQ(group.activeStack(), nullptr);
    document.setHistoryReachable(true);
    EXPECT_EQ(group.activeStack(), &document.bitmapHistory());
    document.setMode(EditingMode::None);
    EXPECT_EQ(group.activeStack(), nullptr);
}

TEST_F(DocumentTest, ClearingTheNamesKeepsTheEntries) {
    document.clearBitmapNames();
    EXPECT_TRUE(document.bitmapLibrary().index.empty());
    EXPECT_EQ(document.bitmapLibrary().count(), 4);
}

} // namespace
} // namespace korvel
