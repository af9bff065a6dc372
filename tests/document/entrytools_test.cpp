#include "document/document.h"
#include "document/pictureclipboard.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "support/picturetext.h"

#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace korvel {
namespace {

std::vector<std::uint8_t> bitmapBytes(const Document& document) {
    const BitmapLibrary& library = document.bitmapLibrary();
    auto file = encodeBcm(library.entries, library.count());
    EXPECT_TRUE(file.ok());
    return file.ok() ? file.value() : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> fontBytes(const Document& document) {
    auto file = encodeLcm(document.fontLibrary().glyphs, document.fontLibrary().count);
    EXPECT_TRUE(file.ok());
    return file.ok() ? file.value() : std::vector<std::uint8_t>{};
}

bitmapInfoList entry(const std::string& name, const std::vector<std::string>& rows) {
    Picture picture = pictureFromText(rows);
    return {name, picture.width(), picture.height(), std::move(picture)};
}

/// A bitmap library read from a file (its pictures still encoded) and a small font.
class EntryToolsTest : public testing::Test {
protected:
    EntryToolsTest() {
        const std::vector<bitmapInfoList> entries{entry("ODD", {"RG.", "BAW"}),
                                                  entry("WIDE", {"#....", "....F"}),
                                                  {"EMPTY", 0, 3, Picture(0, 3)}};
        const auto bytes = encodeBcm(entries, static_cast<int>(entries.size()));
        const std::string file = folder.filePath("lib.bcm").toStdString();
        EXPECT_TRUE(writeEncodedFile(file, bytes.value()).ok());
        EXPECT_TRUE(document.openBitmapFile(file).ok());
        document.makeFontLibrary([](FontLibrary& font) {
            font.count = 3;
            font.glyphs[0] = {0, 3, 2, pictureFromText({"#..", "##."})};
            font.glyphs[1] = {1, 1, 4, pictureFromText({"#", ".", "#", "#"})};
            font.glyphs[2] = {2, 0, 0, Picture()};
        });
    }

    QTemporaryDir folder;
    Document document;
};

TEST_F(EntryToolsTest, EveryTransformOfSeveralEntriesIsOneStepThatRestoresTheBytes) {
    for (const TransformName& name : kTransformNames) {
        const QString caption = QString::fromUtf8(name.caption.data());
        const auto bitmapsBefore = bitmapBytes(document);
        const auto fontBefore = fontBytes(document);
        document.transformEntries(EditingMode::Bitmap, {0, 1, 2}, name.transform, caption);
        document.transformEntries(EditingMode::Font, {0, 1, 2}, name.transform, caption);
        const auto bitmapsAfter = bitmapBytes(document);
        const auto fontAfter = fontBytes(document);
        EXPECT_NE(bitmapsAfter, bitmapsBefore) << caption.toStdString();
        EXPECT_EQ(document.bitmapHistory().undoText(), caption);
        EXPECT_EQ(document.bitmapHistory().count(), 1) << "three entries, one step";
        document.bitmapHistory().undo();
        document.fontHistory().undo();
        EXPECT_EQ(bitmapBytes(document), bitmapsBefore) << caption.toStdString();
        EXPECT_EQ(fontBytes(document), fontBefore) << caption.toStdString();
        document.bitmapHistory().redo();
        document.fontHistory().redo();
        EXPECT_EQ(bitmapBytes(document), bitmapsAfter) << caption.toStdString();
        EXPECT_EQ(fontBytes(document), fontAfter) << caption.toStdString();
        document.bitmapHistory().undo();
        document.fontHistory().undo();
    }
}

TEST_F(EntryToolsTest, TransformsOfEncodedPicturesDecodeNothingAndUndoRestoresTheFilesRows) {
    const auto rowsOf = [this](int index) -> const std::optional<Picture>& {
        return document.bitmapLibrary().entries[static_cast<std::size_t>(index)].picture;
    };
    const EncodedRows opened = *rowsOf(0)->encodedRows();
    for (const PictureTransform transform :
         {PictureTransform::RotateClockwise, PictureTransform::ShiftLeft}) {
        document.transformEntries(EditingMode::Bitmap, {0, 1}, transform, QStringLiteral("T"));
        for (const int index : {0, 1}) {
            ASSERT_NE(rowsOf(index)->encodedRows(), nullptr) << "the result stays encoded";
            EXPECT_FALSE(rowsOf(index)->isDecoded());
        }
        document.bitmapHistory().undo();
        const EncodedRows* restored = rowsOf(0)->encodedRows();
        ASSERT_NE(restored, nullptr);
        EXPECT_EQ(restored->file, opened.file) << "the very rows of the opened file";
        EXPECT_EQ(restored->offset, opened.offset);
        EXPECT_FALSE(rowsOf(0)->isDecoded());
    }
    // A picture already decoded (as for the canvas) comes back on its rows too.
    EXPECT_EQ(pictureToText(*rowsOf(0)), (std::vector<std::string>{"#G.", "BAW"}));
    ASSERT_TRUE(rowsOf(0)->isDecoded());
    document.transformEntries(EditingMode::Bitmap, {0}, PictureTransform::FlipVertically,
                              QStringLiteral("Flip"));
    document.bitmapHistory().undo();
    EXPECT_EQ(rowsOf(0)->encodedRows()->offset, opened.offset);
    EXPECT_EQ(pictureToText(*rowsOf(0)), (std::vector<std::string>{"#G.", "BAW"}));
}

TEST_F(EntryToolsTest, AQuarterTurnSwapsTheEntrysSizeAndTheOthersKeepIt) {
    const int emptyWidth = document.bitmapLibrary().entries[2].width;
    document.transformEntries(EditingMode::Bitmap, {1, 0, 7}, PictureTransform::RotateClockwise,
                              QStringLiteral("Rotate"));
    const BitmapLibrary& library = document.bitmapLibrary();
    EXPECT_EQ(library.entries[0].width, 2);
    EXPECT_EQ(library.entries[0].height, 3);
    EXPECT_EQ(pictureToText(*library.entries[0].picture),
              (std::vector<std::string>{"B#", "AG", "W."}));
    EXPECT_EQ(library.entries[1].width, 2);
    EXPECT_EQ(library.entries[1].height, 5);
    EXPECT_EQ(library.entries[2].width, emptyWidth) << "not selected";
    document.transformEntries(EditingMode::Font, {2}, PictureTransform::RotateClockwise,
                              QStringLiteral("Rotate"));
    EXPECT_EQ(document.fontLibrary().glyphs[2].width, 0);
}

TEST_F(EntryToolsTest, PaintsOfOneGestureMergeIntoOneStep) {
    const auto before = bitmapBytes(document);
    document.paintCells(EditingMode::Bitmap, 1, {{0, 0}, {1, 0}}, kWhite, 7);
    document.paintCells(EditingMode::Bitmap, 1, {{1, 0}, {2, 0}, {9, 9}}, kWhite, 7);
    document.paintCells(EditingMode::Bitmap, 1, {{0, 0}}, paletteEntry(PaletteColour::Blue).value,
                        7);
    const auto painted = bitmapBytes(document);
    EXPECT_EQ(document.bitmapHistory().count(), 1);
    EXPECT_EQ(pictureToText(*document.bitmapLibrary().entries[1].picture),
              (std::vector<std::string>{"BWW..", "....F"}));
    document.paintCells(EditingMode::Bitmap, 1, {{4, 0}}, kWhite, 8);
    EXPECT_EQ(document.bitmapHistory().count(), 2) << "a new gesture is a new step";
    document.bitmapHistory().undo();
    document.bitmapHistory().undo();
    EXPECT_EQ(bitmapBytes(document), before);
    document.bitmapHistory().redo();
    EXPECT_EQ(bitmapBytes(document), painted);
}

TEST_F(EntryToolsTest, PasteTakesThePicturesSizeAsOneStep) {
    const auto before = bitmapBytes(document);
    document.pasteIntoEntry(EditingMode::Bitmap, 0, pictureFromText({"YYYY"}));
    EXPECT_EQ(document.bitmapHistory().undoText(), "Paste");
    EXPECT_EQ(document.bitmapLibrary().entries[0].width, 4);
    EXPECT_EQ(document.bitmapLibrary().entries[0].height, 1);
    EXPECT_EQ(document.bitmapLibrary().entries[0].name, "ODD");
    document.bitmapHistory().undo();
    EXPECT_EQ(bitmapBytes(document), before);
}

TEST(PictureClipboardTest, KorvelPixelsStayExactAndImagesTakeTheWrittenColours) {
    Picture odd(2, 1);
    odd.setPixel(0, 0, makeRgb(200, 100, 130));
    odd.setPixel(1, 0, makeRgb(10, 250, 3));
    const auto data = pictureMimeData(odd, PictureKind::Bitmap);
    EXPECT_TRUE(data->hasImage());
    auto same = pictureFromMimeData(data.get(), PictureKind::Bitmap);
    ASSERT_TRUE(same.ok());
    EXPECT_EQ(same.value(), odd);
    auto glyph = pictureFromMimeData(data.get(), PictureKind::Glyph);
    ASSERT_TRUE(glyph.ok());
    EXPECT_EQ(pictureToText(glyph.value()), (std::vector<std::string>{"#."}));

    QMimeData image;
    QImage png(3, 1, QImage::Format_ARGB32);
    png.setPixel(0, 0, qRgb(130, 0, 200));
    png.setPixel(1, 0, qRgb(127, 127, 127));
    png.setPixel(2, 0, qRgb(128, 128, 128));
    image.setImageData(png);
    auto bitmap = pictureFromMimeData(&image, PictureKind::Bitmap);
    ASSERT_TRUE(bitmap.ok());
    EXPECT_EQ(pictureToText(bitmap.value()), (std::vector<std::string>{"F.W"}));
}

TEST(PictureClipboardTest, NothingEmptyDamagedOrTooLargeIsTaken) {
    EXPECT_FALSE(pictureFromMimeData(nullptr, PictureKind::Bitmap).ok());
    QMimeData empty;
    EXPECT_FALSE(holdsPicture(&empty));
    EXPECT_FALSE(pictureFromMimeData(&empty, PictureKind::Bitmap).ok());
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_FALSE(holdsPicture(&text));
    EXPECT_EQ(pictureFromMimeData(&text, PictureKind::Bitmap).error().message,
              "The clipboard holds no picture.");
    QMimeData damaged;
    damaged.setData(kPictureMimeType, QByteArray("KVPC-not-really"));
    EXPECT_FALSE(pictureFromMimeData(&damaged, PictureKind::Glyph).ok());
    const auto tall = pictureMimeData(Picture(4, 513), PictureKind::Bitmap);
    const auto refused = pictureFromMimeData(tall.get(), PictureKind::Bitmap);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "The clipboard's picture is 4 x 513 pixels; a bitmap may be at most 1024 x 512.");
    // A glyph takes no more than a font library file holds, so that what is pasted can be saved.
    const auto wide = pictureMimeData(Picture(300, 20), PictureKind::Bitmap);
    EXPECT_TRUE(pictureFromMimeData(wide.get(), PictureKind::Bitmap).ok());
    EXPECT_EQ(pictureFromMimeData(wide.get(), PictureKind::Glyph).error().message,
              "The clipboard's picture is 300 x 20 pixels; a glyph may be at most 255 x 255.");
    const auto largest = pictureMimeData(Picture(255, 255), PictureKind::Glyph);
    EXPECT_TRUE(pictureFromMimeData(largest.get(), PictureKind::Glyph).ok());
    const auto none = pictureMimeData(Picture(0, 5), PictureKind::Glyph);
    EXPECT_FALSE(pictureFromMimeData(none.get(), PictureKind::Glyph).ok());
}

} // namespace
} // namespace korvel
