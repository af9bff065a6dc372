#include "support/windowfixture.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

namespace korvel {
namespace {

/// The drawing tools, driven with real mouse events on the edit canvas at zoom 8.
class EditToolsTest : public WindowTest {
protected:
    void showBitmap(const std::vector<std::string>& rows) {
        writeBytes(path("tools.bcm"), bitmapFile({{"PIC", rows}}));
        openBitmaps(path("tools.bcm"));
        clickRow(1);
    }
    /// The canvas position of the middle of cell (x, y).
    [[nodiscard]] static QPoint cell(int x, int y) { return {x * 8 + 4, y * 8 + 4}; }
    void press(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(window->Image1, button, {}, cell(x, y));
    }
    void move(int x, int y) { QTest::mouseMove(window->Image1, cell(x, y)); }
    void release(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(window->Image1, button, {}, cell(x, y));
    }
    /// A pointer move without a button, as the window system sends it.
    void hover(int x, int y) {
        QMouseEvent event(QEvent::MouseMove, QPointF(cell(x, y)),
                          QPointF(window->Image1->mapToGlobal(cell(x, y))), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window->Image1, &event);
    }
    void click(int x, int y) { QTest::mouseClick(window->Image1, Qt::LeftButton, {}, cell(x, y)); }
    [[nodiscard]] std::vector<std::string> entryText() const {
        return pictureToText(*window->bitmapLibrary().entries[0].picture);
    }
    [[nodiscard]] QUndoStack& history() { return window->document().bitmapHistory(); }
    [[nodiscard]] Rgb shown(int x, int y) const {
        return window->Image1->pixelAt(x * 8 + 4, y * 8 + 4);
    }
};

TEST_F(EditToolsTest, APencilDragAcrossTwentyCellsPaintsThemAllAsOneStep) {
    showBitmap({std::string(24, '.'), std::string(24, '.')});
    window->ToolButton20Click(); // White
    window->toolAction(EditTool::Pencil)->trigger();
    press(0, 1);
    for (int x = 1; x < 20; ++x) {
        move(x, 1);
    }
    release(19, 1);
    EXPECT_EQ(entryText(),
              (std::vector<std::string>{std::string(24, '.'), std::string(20, 'W') + "...."}));
    EXPECT_EQ(shown(19, 1), kWhite) << "the canvas shows the stroke at once";
    EXPECT_EQ(history().count(), 1);
    EXPECT_EQ(window->Undo1->text(), "Undo Paint");
    window->Undo1->trigger();
    EXPECT_EQ(entryText(), (std::vector<std::string>(2, std::string(24, '.'))));
    EXPECT_EQ(shown(5, 1), kBlack);
}

TEST_F(EditToolsTest, AFastDragPaintsTheCellsBetweenTwoPointerPositions) {
    showBitmap(std::vector<std::string>(4, std::string(16, '.')));
    window->ToolButton7Click(); // Red
    window->toolAction(EditTool::Pencil)->trigger();
    press(0, 0);
    move(15, 3); // one move event across the whole picture
    release(15, 3);
    int painted = 0;
    for (const std::string& row : entryText()) {
        painted += static_cast<int>(std::count(row.begin(), row.end(), '#'));
    }
    EXPECT_EQ(painted, 16) << "one cell in every column, no gap";
    for (int x = 0; x < 16; ++x) {
        int inColumn = 0;
        for (const std::string& row : entryText()) {
            inColumn += row[static_cast<std::size_t>(x)] == '#' ? 1 : 0;
        }
        EXPECT_EQ(inColumn, 1) << x;
    }
}

TEST_F(EditToolsTest, TheRightButtonPaintsBackgroundAndTheStrokeLeavesThePicture) {
    showBitmap({"WWWW", "WWWW"});
    window->ToolButton20Click();
    window->toolAction(EditTool::Pencil)->trigger();
    press(1, 0, Qt::RightButton);
    move(2, 0);
    QTest::mouseMove(window->Image1, QPoint(60, 4)); // beyond the right edge: nothing there
    QTest::mouseRelease(window->Image1, Qt::RightButton, {}, QPoint(60, 4));
    EXPECT_EQ(entryText(), (std::vector<std::string>{"W...", "WWWW"}));
}

TEST_F(EditToolsTest, ALineIsPreviewedWhileDraggingAndCommittedOnRelease) {
    showBitmap(std::vector<std::string>(6, "......"));
    window->ToolButton8Click(); // Green
    window->toolAction(EditTool::Line)->trigger();
    press(0, 0);
    move(5, 5);
    EXPECT_EQ(shown(3, 3), 0x00FF00U) << "previewed";
    EXPECT_EQ(entryText()[3], "......") << "not yet painted";
    move(5, 0);
    EXPECT_EQ(shown(3, 3), kBlack) << "the earlier preview is taken back";
    release(5, 0);
    EXPECT_EQ(entryText(), (std::vector<std::string>{"GGGGGG", "......", "......", "......",
                                                     "......", "......"}));
    EXPECT_EQ(history().count(), 1);
    window->Undo1->trigger();
    EXPECT_EQ(entryText()[0], "......");
}

TEST_F(EditToolsTest, RectanglesDrawTheirOutlineOrTheirWholeArea) {
    showBitmap(std::vector<std::string>(5, "......"));
    window->ToolButton19Click(); // Aqua
    window->toolAction(EditTool::Rectangle)->trigger();
    press(4, 3);
    move(2, 2);
    move(1, 0);
    release(1, 0);
    EXPECT_EQ(entryText(),
              (std::vector<std::string>{".AAAA.", ".A..A.", ".A..A.", ".AAAA.", "......"}));
    window->ToolButton10Click(); // Yellow
    window->toolAction(EditTool::FilledRectangle)->trigger();
    press(2, 1);
    move(3, 4);
    release(3, 4);
    EXPECT_EQ(entryText(),
              (std::vector<std::string>{".AAAA.", ".AYYA.", ".AYYA.", ".AYYA.", "..YY.."}));
    EXPECT_EQ(history().count(), 2);
}

TEST_F(EditToolsTest, FillFloodsTheRegionBoundedByAnotherColour) {
    showBitmap({"..W...", ".W.W..", "W...W.", ".WWW..", "......"});
    window->ToolButton18Click(); // Blue
    window->toolAction(EditTool::Fill)->trigger();
    click(2, 2);
    EXPECT_EQ(entryText(),
              (std::vector<std::string>{"..W...", ".WBW..", "WBBBW.", ".WWW..", "......"}));
    EXPECT_EQ(history().count(), 1);
    EXPECT_EQ(shown(1, 2), paletteEntry(PaletteColour::Blue).value);
    click(0, 0);
    EXPECT_EQ(entryText()[0], "BBW...") << "only 4-connected cells";
}

TEST_F(EditToolsTest, PickColourTakesTheCellsColourAndPressesItsButton) {
    showBitmap({"RA", "F."});
    window->toolAction(EditTool::PickColour)->trigger();
    click(1, 0);
    EXPECT_EQ(window->currentColour(), paletteEntry(PaletteColour::Aqua).value);
    EXPECT_TRUE(window->colourButton(PaletteColour::Aqua)->isChecked());
    EXPECT_FALSE(window->colourButton(PaletteColour::Black)->isChecked());
    click(0, 1);
    EXPECT_TRUE(window->colourButton(PaletteColour::Fuchia)->isChecked());
    EXPECT_FALSE(window->colourButton(PaletteColour::Aqua)->isChecked());
    EXPECT_EQ(entryText(), (std::vector<std::string>{"#A", "F."})) << "nothing painted";
    EXPECT_EQ(history().count(), 0);
}

TEST_F(EditToolsTest, ThePointerOutlineAndStatusTextsFollowEveryTool) {
    showBitmap({"....", "...."});
    window->ToolButton8Click(); // Green
    const Rgb green = 0x00FF00;
    for (const EditTool tool : {EditTool::Pencil, EditTool::Line, EditTool::Rectangle}) {
        window->setTool(tool);
        press(0, 0);
        move(3, 1);
        EXPECT_EQ(window->statusPanelText(0), "x:1");
        EXPECT_EQ(window->statusPanelText(1), "y:3");
        EXPECT_EQ(window->statusPanelText(4), "G:255") << "the painted cell's colour";
        EXPECT_EQ(window->Image1->pixelAt(3 * 8 + 1, 8 + 1), kWhite) << "outline";
        EXPECT_EQ(window->Image1->pixelAt(3 * 8 + 4, 8 + 4), green) << "painted inside";
        release(3, 1);
        hover(2, 0);
        EXPECT_EQ(window->Image1->pixelAt(3 * 8 + 1, 8 + 1), green) << "outline gone";
        EXPECT_EQ(window->Image1->pixelAt(2 * 8 + 1, 1), kWhite) << "outline moved";
        EXPECT_EQ(window->highlightPosition(), (CanvasPoint{16, 0}));
        window->Undo1->trigger();
    }
}

TEST_F(EditToolsTest, AStrokeRepaintsOnlyTheCellsItChanges) {
    showBitmap(std::vector<std::string>(8, std::string(8, '.')));
    window->show();
    QApplication::processEvents();
    window->toolAction(EditTool::Pencil)->trigger();
    window->ToolButton20Click();
    struct PaintSpy : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                painted += static_cast<QPaintEvent*>(event)->region();
            }
            return false;
        }
    } spy;
    window->Image1->installEventFilter(&spy);
    press(2, 2);
    move(3, 2);
    move(4, 2);
    release(4, 2);
    QApplication::processEvents();
    window->Image1->removeEventFilter(&spy);
    ASSERT_FALSE(spy.painted.isEmpty());
    EXPECT_TRUE(QRegion(16, 16, 24, 8).contains(spy.painted.boundingRect()))
        << "painted " << spy.painted.boundingRect().x() << "," << spy.painted.boundingRect().y()
        << " " << spy.painted.boundingRect().width() << "x" << spy.painted.boundingRect().height();
}

TEST_F(EditToolsTest, ToolsAreAMenuAndToolBarButtonsAfterTheColours) {
    const QList<QAction*> tools = window->Tools1->actions();
    QStringList captions;
    for (QAction* action : tools) {
        captions << action->text();
        EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().isEmpty());
    }
    EXPECT_EQ(captions, QStringList({"Pixel", "Pencil", "Line", "Rectangle", "Filled Rectangle",
                                     "Fill", "Pick Colour"}));
    EXPECT_EQ(window->tool(), EditTool::Pixel);
    EXPECT_TRUE(window->toolAction(EditTool::Pixel)->isChecked());
    const QList<QAction*> bar = window->ToolBar1->actions();
    ASSERT_GE(bar.size(), 9 + 1 + 7);
    const QWidget* lastColour = window->ToolBar1->widgetForAction(bar[8]);
    EXPECT_EQ(lastColour, window->colourButton(PaletteColour::Fuchia));
    EXPECT_TRUE(bar[9]->isSeparator());
    for (int k = 0; k < 7; ++k) {
        QToolButton* button = window->toolButton(static_cast<EditTool>(k));
        EXPECT_EQ(window->ToolBar1->widgetForAction(bar[10 + k]), button);
        EXPECT_EQ(button->toolTip(), tools[k]->toolTip());
        EXPECT_FALSE(button->icon().isNull());
    }
    window->toolAction(EditTool::Fill)->trigger();
    EXPECT_EQ(window->tool(), EditTool::Fill);
    EXPECT_FALSE(window->toolAction(EditTool::Pixel)->isChecked());
    EXPECT_TRUE(window->toolButton(EditTool::Fill)->isChecked());
    window->toolButton(EditTool::Line)->click();
    EXPECT_EQ(window->tool(), EditTool::Line);
    EXPECT_TRUE(window->toolAction(EditTool::Line)->isChecked());
    EXPECT_FALSE(window->toolButton(EditTool::Fill)->isChecked());
}

} // namespace
} // namespace korvel
