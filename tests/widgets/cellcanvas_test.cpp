#include "support/picturetext.h"
#include "widgets/cellcanvas.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace korvel {
namespace {

Rgb shown(const QImage& image, int x, int y) {
    return fromQColor(image.pixelColor(x, y));
}

TEST(CellCanvas, RendersTheSameImageAsTheWidgetShows) {
    CellCanvas canvas;
    canvas.showPicture(pictureFromText({"RGB", "WAF"}), 5, CellColourRule::Own);
    canvas.drawOutline(5, 5, kWhite);
    const QImage grabbed = canvas.grab().toImage();
    const QImage rendered = canvas.renderArea(canvas.rect());
    ASSERT_EQ(grabbed.size(), QSize(16, 11));
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(shown(grabbed, x, y), shown(rendered, x, y)) << x << "," << y;
            ASSERT_EQ(canvas.pixelAt(x, y), shown(rendered, x, y)) << x << "," << y;
        }
    }
    const QImage part = canvas.renderArea(QRect(4, 4, 5, 5));
    EXPECT_EQ(shown(part, 0, 0), canvas.pixelAt(4, 4));
    EXPECT_EQ(shown(part, 4, 4), canvas.pixelAt(8, 8));
}

TEST(CellCanvas, OwnColoursKeepBlueWhileDisplayColoursDropIt) {
    CellCanvas canvas;
    canvas.showPicture(pictureFromText({"BF"}), 4, CellColourRule::Own);
    EXPECT_EQ(canvas.pixelAt(2, 2), 0xFF0000U);
    EXPECT_EQ(canvas.pixelAt(6, 2), 0xFF00FFU);
    canvas.showPicture(pictureFromText({"BF"}), 4, CellColourRule::Display);
    EXPECT_EQ(canvas.pixelAt(2, 2), kBlack);
    EXPECT_EQ(canvas.pixelAt(6, 2), kRed);
}

TEST(CellCanvas, OutlineRunsAlongTheInteriorEdgeAndAFillCoversIt) {
    CellCanvas canvas;
    canvas.showPicture(pictureFromText({"..", ".."}), 6, CellColourRule::Display);
    canvas.drawOutline(6, 0, kWhite);
    EXPECT_EQ(canvas.pixelAt(7, 1), kWhite);
    EXPECT_EQ(canvas.pixelAt(11, 5), kWhite);
    EXPECT_EQ(canvas.pixelAt(9, 3), kBlack) << "inside the outline";
    EXPECT_EQ(canvas.pixelAt(6, 3), canvas.gridColour()) << "the grid line stays";
    EXPECT_EQ(canvas.pixelAt(1, 1), kBlack) << "other cells have no outline";
    canvas.fillCellInterior(1, 0, 0x00FF00);
    EXPECT_EQ(canvas.pixelAt(7, 1), 0x00FF00U);
    EXPECT_EQ(canvas.pixelAt(9, 3), 0x00FF00U);
}

TEST(CellCanvas, ReportsPointerMovesAndReleasesInItsOwnCoordinates) {
    CellCanvas canvas;
    canvas.showPicture(Picture(4, 4), 8, CellColourRule::Display);
    canvas.show();
    QSignalSpy moves(&canvas, &CellCanvas::pointerMoved);
    QSignalSpy releases(&canvas, &CellCanvas::buttonReleased);
    QTest::mouseMove(&canvas, QPoint(9, 17));
    QTest::mouseClick(&canvas, Qt::MiddleButton, {}, QPoint(20, 3));
    ASSERT_FALSE(moves.isEmpty());
    EXPECT_EQ(moves.first().at(0).toInt(), 9);
    EXPECT_EQ(moves.first().at(1).toInt(), 17);
    ASSERT_EQ(releases.size(), 1);
    EXPECT_EQ(releases.first().at(0).toInt(), 20);
    EXPECT_EQ(releases.first().at(2).value<Qt::MouseButton>(), Qt::MiddleButton);
}

} // namespace
} // namespace korvel
