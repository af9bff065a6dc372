#include "support/windowfixture.h"

#include "document/pictureclipboard.h"
#include "formats/lcm.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QTest>
#include <QUndoStack>
#include <QWheelEvent>

namespace korvel {
namespace {

/// The Edit menu's groups after Undo and Redo, several rows at once, and the zoom steps.
class EditGroupsTest : public WindowTest {
protected:
    void openNamed(const std::vector<std::pair<std::string, std::vector<std::string>>>& entries) {
        writeBytes(path("named.bcm"), bitmapFile(entries));
        openBitmaps(path("named.bcm"));
    }
    /// Clicks a list row with the mouse, as the user does, with modifier keys held.
    void clickListRow(int row, Qt::KeyboardModifiers keys = {}) {
        StringGrid& grid = *window->AdvStringGrid2;
        const QRect place = grid.visualRect(grid.model()->index(row - 1, 3));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, keys, place.center());
    }
    [[nodiscard]] std::vector<std::string> entryText(int position) const {
        return pictureToText(
            *window->bitmapLibrary().entries[static_cast<std::size_t>(position)].picture);
    }
    [[nodiscard]] QUndoStack& history() { return window->document().bitmapHistory(); }
};

TEST_F(EditGroupsTest, TheGroupsFollowUndoAndRedoAndToolsFollowEdit) {
    const QList<QAction*> items = window->Edit1->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[0], window->Undo1);
    EXPECT_EQ(items[1], window->Redo1);
    QStringList captions;
    for (QAction* item : items.mid(2)) {
        if (!item->isSeparator()) {
            captions << item->text();
        }
    }
    EXPECT_EQ(captions, QStringList({"Cut", "Copy", "Paste", "Paste as New Bitmap", "Transform",
                                     "Select All"}));
    EXPECT_EQ(window->Cut1->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(window->Copy1->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(window->Paste1->shortcut(), QKeySequence("Ctrl+V"));
    EXPECT_EQ(window->PasteAsNewBitmap1->shortcut(), QKeySequence("Ctrl+Shift+V"));
    EXPECT_EQ(window->SelectAll1->shortcut(), QKeySequence("Ctrl+A"));
    QStringList transforms;
    for (QAction* item : window->Transform1->actions()) {
        if (!item->isSeparator()) {
            transforms << item->text();
        }
    }
    EXPECT_EQ(transforms,
              QStringList({"Flip Horizontally", "Flip Vertically", "Rotate 90\u00b0 Clockwise",
                           "Rotate 90\u00b0 Counter-clockwise", "Rotate 180\u00b0", "Shift Up",
                           "Shift Down", "Shift Left", "Shift Right", "Invert", "Clear"}));
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_GE(menus.size(), 5);
    EXPECT_EQ(menus[3]->menu(), window->Edit1);
    EXPECT_EQ(menus[4]->menu(), window->Tools1);
}

TEST_F(EditGroupsTest, ATransformOfSeveralRowsIsOneStepAndTheCanvasShowsTheLastClicked) {
    openNamed({{"A", {"R.."}}, {"B", {"G.", ".."}}, {"C", {"Y"}}, {"D", {"W.."}}});
    clickListRow(1);
    clickListRow(2, Qt::ControlModifier);
    clickListRow(4, Qt::ControlModifier);
    EXPECT_EQ(window->AdvStringGrid2->selectedGridRows(), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 4);
    EXPECT_EQ(window->viewWidth(), 3) << "the canvas shows D";
    const auto before = readBytes(path("named.bcm"));
    window->transformAction(PictureTransform::FlipHorizontally)->trigger();
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"..#"}));
    EXPECT_EQ(entryText(1), (std::vector<std::string>{".G", ".."}));
    EXPECT_EQ(entryText(2), (std::vector<std::string>{"Y"}));
    EXPECT_EQ(entryText(3), (std::vector<std::string>{"..W"}));
    EXPECT_EQ(window->Image1->pixelAt(2 * 8 + 4, 4), 0x00FFFFU) << "the canvas is redrawn";
    EXPECT_EQ(history().count(), 1);
    EXPECT_EQ(window->Undo1->text(), "Undo Flip Horizontally");
    window->Undo1->trigger();
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"#.."}));
    EXPECT_EQ(entryText(3), (std::vector<std::string>{"W.."}));
    // A plain click selects its row alone again.
    clickListRow(3);
    EXPECT_EQ(window->AdvStringGrid2->selectedGridRows(), (std::vector<int>{3}));
    clickListRow(1, Qt::ShiftModifier);
    EXPECT_EQ(window->AdvStringGrid2->selectedGridRows(), (std::vector<int>{1, 2, 3}));
}

TEST_F(EditGroupsTest, ARotationOfAllGlyphsChangesTheListedSizes) {
    std::vector<std::vector<std::string>> glyphs(5, {"#..", "#.."});
    writeBytes(path("font.lcm"), fontFile(glyphs));
    openFont(path("font.lcm"));
    clickRow(1);
    window->SelectAll1->trigger();
    window->transformAction(PictureTransform::RotateClockwise)->trigger();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(window->AdvStringGrid2->cell(3, row), "2") << row;
        EXPECT_EQ(window->AdvStringGrid2->cell(4, row), "3") << row;
    }
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[4].picture),
              (std::vector<std::string>{"##", "..", ".."}));
    EXPECT_EQ(window->Image1->size(), QSize(17, 25));
    EXPECT_EQ(window->document().fontHistory().count(), 1);
}

TEST_F(EditGroupsTest, CopyAndPasteCarryExactPixelsAndCutClearsTheSelection) {
    openNamed({{"A", {"RGB", "AWF"}}, {"B", {"."}}, {"C", {"YY"}}});
    clickRow(1);
    window->Copy1->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage()) << "other programs get a standard image";
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(3, 2));
    EXPECT_TRUE(window->Paste1->isEnabled());
    clickRow(2);
    window->Paste1->trigger();
    EXPECT_EQ(entryText(1), (std::vector<std::string>{"#GB", "AWF"}));
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "3");
    EXPECT_EQ(window->Undo1->text(), "Undo Paste");
    window->PasteAsNewBitmap1->trigger();
    window->PasteAsNewBitmap1->trigger();
    ASSERT_EQ(window->bitmapLibrary().count(), 5);
    EXPECT_EQ(window->bitmapLibrary().entries[3].name, "PASTE1");
    EXPECT_EQ(window->bitmapLibrary().entries[4].name, "PASTE2");
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 5);
    // Cut copies the current entry and clears every selected one.
    clickRow(1);
    window->AdvStringGrid2->selectAllRows();
    const int steps = history().count();
    window->Cut1->trigger();
    EXPECT_EQ(history().count(), steps + 1);
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"...", "..."}));
    EXPECT_EQ(entryText(2), (std::vector<std::string>{".."}));
    window->Undo1->trigger();
    EXPECT_EQ(entryText(2), (std::vector<std::string>{"YY"}));
}

TEST_F(EditGroupsTest, AfterAnOpenTheListHighlightsTheRowTheCommandsActOn) {
    // Several rows selected in the library before: the next one highlights its current row
    // alone, and the Edit commands act on that row, not on rows the list does not show chosen.
    openNamed({{"A", {"RGB"}}, {"B", {"YY"}}, {"C", {"W"}}});
    clickRow(1);
    window->AdvStringGrid2->selectAllRows();
    openNamed({{"ONE", {"RG"}}, {"TWO", {"BA"}}, {"SIX", {"K"}}});
    EXPECT_EQ(window->AdvStringGrid2->selectedGridRows(), std::vector<int>{1});
    window->transformAction(PictureTransform::Invert)->trigger();
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"AF"}));
    EXPECT_EQ(entryText(1), (std::vector<std::string>{"BA"}));
    EXPECT_EQ(entryText(2), (std::vector<std::string>{"."}));
    // A current row past the new library's end comes to its last row, highlighted.
    clickRow(3);
    openNamed({{"ONE", {"RG"}}, {"TWO", {"BA"}}});
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 2);
    EXPECT_EQ(window->AdvStringGrid2->selectedGridRows(), std::vector<int>{2});
    window->transformAction(PictureTransform::Invert)->trigger();
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"#G"})); // "#" is Red
    EXPECT_EQ(entryText(1), (std::vector<std::string>{"Y#"}));
}

TEST_F(EditGroupsTest, AnImageOfAnotherProgramIsPastedInTheWrittenColours) {
    std::vector<std::vector<std::string>> glyphs(2, {"#"});
    writeBytes(path("font.lcm"), fontFile(glyphs));
    openFont(path("font.lcm"));
    clickRow(2);
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    image.setPixel(1, 1, qRgb(100, 200, 200));
    QApplication::clipboard()->setImage(image);
    window->Paste1->trigger();
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[1].picture),
              (std::vector<std::string>{"##", "#."}));
    EXPECT_FALSE(window->PasteAsNewBitmap1->isEnabled()) << "a font has no bitmaps";
    window->Copy1->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(EditGroupsTest, PasteRefusesWhatIsNoPictureOrTooLargeAndChangesNothing) {
    openNamed({{"A", {"RG"}}});
    clickRow(1);
    QApplication::clipboard()->setText(QStringLiteral("no picture"));
    EXPECT_FALSE(window->Paste1->isEnabled());
    window->pasteClick(); // a keyboard user may still reach it
    QApplication::clipboard()->setImage(QImage(1025, 2, QImage::Format_RGB32));
    EXPECT_TRUE(window->Paste1->isEnabled());
    window->Paste1->trigger();
    window->PasteAsNewBitmap1->trigger();
    const auto messages = prompter->ofKind(Prompt::Kind::Message);
    ASSERT_EQ(messages.size(), 3U);
    EXPECT_EQ(messages[0].text, "The clipboard holds no picture.");
    EXPECT_EQ(messages[1].text,
              "The clipboard's picture is 1025 x 2 pixels; a bitmap may be at most 1024 x 512.");
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"#G"}));
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(history().count(), 0);
    QApplication::clipboard()->clear();
    EXPECT_FALSE(window->Paste1->isEnabled());
}

TEST_F(EditGroupsTest, TheShortcutsReachTheWindowWhileTheListHasTheFocus) {
    openNamed({{"A", {"RG"}}, {"B", {"W"}}});
    clickRow(1);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    StringGrid* grid = window->AdvStringGrid2;
    grid->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(kPictureMimeType)) << "the picture, not the cell's text";
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid->selectedGridRows(), (std::vector<int>{1, 2}));
    QTest::keyClick(grid, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(window->zoomSize(), 10);
    QTest::keyClick(grid, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(window->zoomSize(), 8);
}

TEST_F(EditGroupsTest, ZoomStepsRunFromOneToThirtyTwoAndMarkOnlyTheirOwnSizes) {
    openNamed({{"A", {"RG", ".W"}}});
    clickRow(1);
    const auto bold = [](QAction* item) { return item->font().bold(); };
    EXPECT_TRUE(bold(window->N10pixels2)) << "the start mark stays until a zoom is chosen";
    window->ZoomIn1->trigger();
    EXPECT_EQ(window->zoomSize(), 10);
    EXPECT_TRUE(bold(window->N10pixels2));
    window->ZoomIn1->trigger();
    window->ZoomIn1->trigger();
    EXPECT_EQ(window->zoomSize(), 16);
    EXPECT_FALSE(bold(window->N8pixels2) || bold(window->N10pixels2) || bold(window->N14pixels1));
    EXPECT_EQ(window->Image1->size(), QSize(33, 33));
    for (int k = 0; k < 5; ++k) {
        window->ZoomIn1->trigger();
    }
    EXPECT_EQ(window->zoomSize(), 32);
    for (int k = 0; k < 12; ++k) {
        window->ZoomOut1->trigger();
    }
    EXPECT_EQ(window->zoomSize(), 1);
    EXPECT_EQ(window->Image1->size(), QSize(3, 3));
    // At one screen pixel per cell there is no room for grid lines: each pixel shows itself.
    EXPECT_EQ(window->Image1->pixelAt(0, 0), 0x0000FFU);
    EXPECT_EQ(window->Image1->pixelAt(1, 1), 0x00FFFFU);
    window->Image1MouseMove(1, 0);
    EXPECT_EQ(window->statusPanelText(4), "G:255");
    // Ctrl and the wheel over the canvas zoom too.
    QWidget* area = window->ScrollBox1->viewport();
    QWheelEvent wheel(QPointF(1, 1), area->mapToGlobal(QPointF(1, 1)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(area, &wheel);
    EXPECT_EQ(window->zoomSize(), 2);
    window->N8pixels2->trigger();
    EXPECT_TRUE(bold(window->N8pixels2));
}

} // namespace
} // namespace korvel
