#include "support/windowfixture.h"

#include <QTest>
#include <QToolButton>

namespace korvel {
namespace {

/// The pixel editor on a glyph or bitmap shown on the edit canvas.
class PixelEditorTest : public WindowTest {
protected:
    /// Opens a font library of the given glyphs and clicks glyph 0's row.
    void showGlyph(const std::vector<std::vector<std::string>>& glyphs) {
        writeBytes(path("font.lcm"), fontFile(glyphs));
        openFont(path("font.lcm"));
        clickRow(1);
    }
    void showBitmap(const std::vector<std::string>& rows) {
        writeBytes(path("bitmaps.bcm"), bitmapFile({{"PIC", rows}}));
        openBitmaps(path("bitmaps.bcm"));
        clickRow(1);
    }
    [[nodiscard]] QImage canvas() const { return window->Image1->grab().toImage(); }
    [[nodiscard]] static Rgb at(const QImage& image, int x, int y) {
        return fromQColor(image.pixelColor(x, y));
    }
    /// Number of canvas pixels of a colour.
    [[nodiscard]] static int count(const QImage& image, Rgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += at(image, x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
};

TEST_F(PixelEditorTest, CanvasSizeFollowsPictureAndZoom) {
    showGlyph({std::vector<std::string>(9, ".....")});
    EXPECT_EQ(window->Image1->size(), QSize(41, 73));
    window->N14pixels1->trigger();
    EXPECT_EQ(window->Image1->size(), QSize(61, 109));
    EXPECT_EQ(window->viewWidth(), 5);
    EXPECT_EQ(window->viewHeight(), 9);
}

TEST_F(PixelEditorTest, CellsShowDisplayColoursWithGridLinesAndAGreyEdge) {
    showBitmap({"RGYB", "WAFK"});
    const QImage image = canvas();
    ASSERT_EQ(image.size(), QSize(33, 17));
    const Rgb grid = window->Image1->gridColour();
    const struct {
        int column, row;
        Rgb shown;
    } cells[] = {{0, 0, 0x0000FF}, {1, 0, 0x00FF00}, {2, 0, 0x00FFFF}, {3, 0, 0x000000},
                 {0, 1, 0x00FFFF}, {1, 1, 0x00FF00}, {2, 1, 0x0000FF}, {3, 1, 0x000000}};
    for (const auto& cell : cells) {
        const int left = cell.column * 8;
        const int top = cell.row * 8;
        EXPECT_EQ(at(image, left + 1, top + 1), cell.shown) << cell.column << "," << cell.row;
        EXPECT_EQ(at(image, left + 7, top + 7), cell.shown) << cell.column << "," << cell.row;
        EXPECT_EQ(at(image, left, top + 4), grid);
        EXPECT_EQ(at(image, left + 4, top), grid);
    }
    for (int y = 0; y < 17; ++y) {
        ASSERT_EQ(at(image, 32, y), CellCanvas::kBackground) << y;
    }
    for (int x = 0; x < 33; ++x) {
        ASSERT_EQ(at(image, x, 16), CellCanvas::kBackground) << x;
    }
}

TEST_F(PixelEditorTest, PointerMovesOutlineOneCellAndReportRowThenColumn) {
    showBitmap({"....W", "...W."});
    window->Image1MouseMove(3 * 8 + 4, 1 * 8 + 2);
    EXPECT_EQ(window->statusPanelText(0), "x:1");
    EXPECT_EQ(window->statusPanelText(1), "y:3");
    EXPECT_EQ(window->statusPanelText(3), "R:255");
    EXPECT_EQ(window->statusPanelText(4), "G:255");
    EXPECT_EQ(window->statusPanelText(5), "B:0");
    EXPECT_EQ(window->statusPanelText(2), "mode:");
    EXPECT_EQ(window->pointerPosition(), (CanvasPoint{24, 8}));
    QImage image = canvas();
    EXPECT_EQ(count(image, kWhite), 24) << "one outline of a 7 x 7 interior";
    EXPECT_EQ(at(image, 25, 9), kWhite);
    EXPECT_EQ(at(image, 28, 12), 0x00FFFF) << "the interior keeps its colour";

    window->Image1MouseMove(3 * 8 + 6, 1 * 8 + 6);
    EXPECT_EQ(count(canvas(), kWhite), 24);
    EXPECT_EQ(window->sampledColour(), 0x00FFFFU) << "the cell's own colour, not the outline";

    window->Image1MouseMove(0, 0);
    image = canvas();
    EXPECT_EQ(count(image, kWhite), 24);
    EXPECT_EQ(at(image, 25, 9), 0x00FFFFU) << "the old outline is gone";
    EXPECT_EQ(window->statusPanelText(0), "x:0");
    EXPECT_EQ(window->highlightPosition(), (CanvasPoint{0, 0}));
}

TEST_F(PixelEditorTest, MovesOutsideThePictureAreIgnored) {
    showBitmap({"..", ".."});
    window->Image1MouseMove(16, 3);
    window->Image1MouseMove(-1, 3);
    EXPECT_EQ(window->statusPanelText(0), "x:");
    EXPECT_EQ(count(canvas(), kWhite), 0);
}

TEST_F(PixelEditorTest, PaintingWritesTheEntryAndShowsTheColourItselfUntilRedrawn) {
    showBitmap({"...", "..."});
    window->ToolButton18Click(); // Blue
    window->Image1MouseMove(8 + 3, 8 + 3);
    window->Image1MouseUp(8 + 3, 8 + 3);
    EXPECT_EQ(at(canvas(), 8 + 3, 8 + 3), 0xFF0000U) << "pure blue at once";
    EXPECT_EQ(count(canvas(), kWhite), 0) << "the fill covers the outline";
    EXPECT_EQ(window->restoreColour(), kNoColour);
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[0].picture),
              (std::vector<std::string>{"...", ".B."}));

    clickRow(1);
    EXPECT_EQ(at(canvas(), 8 + 3, 8 + 3), kBlack) << "blue shows black after a redraw";
    window->Image1MouseMove(8 + 3, 8 + 3);
    EXPECT_EQ(window->statusPanelText(5), "B:0");
}

TEST_F(PixelEditorTest, PressAndReleaseOverDifferentCellsPaintsOnlyTheSecond) {
    showBitmap({"...", "..."});
    window->ToolButton7Click(); // Red
    window->show();
    QWidget* canvasWidget = window->Image1;
    QTest::mousePress(canvasWidget, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(canvasWidget, QPoint(19, 11));
    QTest::mouseRelease(canvasWidget, Qt::LeftButton, {}, QPoint(19, 11));
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[0].picture),
              (std::vector<std::string>{"...", "..#"}));
    QTest::mouseClick(canvasWidget, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[0].picture),
              (std::vector<std::string>{"#..", "..#"}))
        << "any button paints";
}

TEST_F(PixelEditorTest, ReleasesBeyondTheLastCellOrBeforeDrawingChangeNothing) {
    window->Image1MouseUp(3, 3);
    EXPECT_EQ(window->viewHeight(), 0);
    showBitmap({"..", ".."});
    window->ToolButton7Click();
    window->Image1MouseUp(16, 5);
    window->Image1MouseUp(5, 16);
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[0].picture),
              (std::vector<std::string>{"..", ".."}));
}

TEST_F(PixelEditorTest, FontPaintingUsesBlackUntilAnInkColourIsChosen) {
    showGlyph({{"###", "###"}});
    window->Image1MouseUp(3, 3);
    ASSERT_EQ(window->currentColour(), kBlack);
    window->ToolButton1Click(); // Fuchia paints ink
    window->Image1MouseUp(8 + 3, 8 + 3);
    prompter->files.push_back(path("painted.lcm"));
    window->N3->trigger();
    ASSERT_TRUE(window->OpenProtolFile(path("painted.lcm")));
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[0].picture),
              (std::vector<std::string>{".##", "###"}));
}

TEST_F(PixelEditorTest, AGlyphWithoutAPictureIsNotWrittenButItsCellIsFilled) {
    showGlyph({{"##"}});
    window->document().makeFontLibrary(
        [](FontLibrary& library) { library.glyphs[0].picture.reset(); });
    window->ToolButton7Click();
    window->Image1MouseUp(3, 3);
    EXPECT_FALSE(window->fontLibrary().glyphs[0].picture.has_value());
    EXPECT_EQ(at(canvas(), 3, 3), kRed);
}

TEST_F(PixelEditorTest, ColourButtonsActAsOneGroupThatCanBeReleased) {
    showBitmap({"."});
    QToolButton* green = window->colourButton(PaletteColour::Green);
    QToolButton* black = window->colourButton(PaletteColour::Black);
    green->click();
    EXPECT_TRUE(green->isChecked());
    EXPECT_FALSE(black->isChecked());
    EXPECT_EQ(window->currentColour(), 0x00FF00U);
    green->click();
    EXPECT_FALSE(green->isChecked());
    EXPECT_EQ(window->currentColour(), 0x00FF00U) << "releasing keeps the colour";
    for (const PaletteEntry& entry : kPalette) {
        EXPECT_FALSE(window->colourButton(entry.id)->isChecked()) << entry.name;
    }
    window->Image1MouseUp(3, 3);
    EXPECT_EQ(window->bitmapLibrary().entries[0].picture->pixel(0, 0), 0x00FF00U);
}

TEST_F(PixelEditorTest, EachModeEnablesItsOwnColourButtons) {
    showBitmap({"."});
    for (const PaletteEntry& entry : kPalette) {
        EXPECT_TRUE(window->colourButton(entry.id)->isEnabled()) << entry.name;
    }
    showGlyph({{"#"}});
    for (const PaletteEntry& entry : kPalette) {
        const bool ink = entry.id == PaletteColour::Red || entry.id == PaletteColour::Fuchia;
        EXPECT_EQ(window->colourButton(entry.id)->isEnabled(), ink) << entry.name;
    }
}

} // namespace
} // namespace korvel
