#include "stringgrid.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(StringGrid, AddressesTheHeaderAsRowZeroAndDataRowsFromOne) {
    StringGrid grid;
    grid.setColumnCount(3);
    grid.setRows(4);
    EXPECT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.rowCount(), 3);
    grid.setCell(1, 0, "Head");
    grid.setCell(1, 3, "Last");
    grid.setCell(1, 4, "Beyond");
    EXPECT_EQ(grid.cell(1, 0), "Head");
    EXPECT_EQ(grid.cell(1, 3), "Last");
    EXPECT_TRUE(grid.cell(1, 4).isEmpty());
    grid.clearCells();
    EXPECT_TRUE(grid.cell(1, 0).isEmpty());
    EXPECT_TRUE(grid.cell(1, 3).isEmpty());
    EXPECT_EQ(grid.rows(), 4);
}

TEST(StringGrid, RemovingARowMovesTheLaterRowsUp) {
    StringGrid grid;
    grid.setColumnCount(1);
    grid.setRows(4);
    grid.setCell(0, 1, "P");
    grid.setCell(0, 2, "Q");
    grid.setCell(0, 3, "R");
    grid.removeDataRow(2);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.cell(0, 2), "R");
}

TEST(StringGrid, ClicksReportTheCurrentRowAndTheHeaderIsRowZero) {
    StringGrid grid;
    grid.setColumnCount(2);
    grid.setRows(5);
    grid.show();
    QSignalSpy clicks(&grid, &StringGrid::gridClicked);
    const QPoint inRow3 = grid.visualRect(grid.model()->index(2, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inRow3);
    EXPECT_EQ(grid.currentGridRow(), 3);
    EXPECT_EQ(clicks.size(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inRow3);
    EXPECT_EQ(clicks.size(), 2) << "a click on the current row is still a click";

    const int header = grid.horizontalHeader()->sectionViewportPosition(0) + 3;
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(header, 3));
    EXPECT_EQ(grid.currentGridRow(), 0);
    EXPECT_EQ(clicks.size(), 3);

    grid.setCurrentGridRow(4);
    EXPECT_EQ(grid.currentGridRow(), 4);
    EXPECT_EQ(clicks.size(), 3) << "selecting from code is not a click";
}

TEST(StringGrid, ColumnWidthZeroHidesTheColumn) {
    StringGrid grid;
    grid.setColumnCount(2);
    grid.setColWidth(0, 0);
    EXPECT_TRUE(grid.isColumnHidden(0));
    grid.setColWidth(0, 25);
    EXPECT_FALSE(grid.isColumnHidden(0));
    EXPECT_EQ(grid.columnWidth(0), 25);
}

} // namespace
} // namespace korvel
