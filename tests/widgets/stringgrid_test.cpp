#include "widgets/stringgrid.h"

#include <QHeaderView>
#include <QScrollBar>
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

TEST(StringGrid, InsertingARowMovesTheLaterRowsAndTheCurrentRowDown) {
    StringGrid grid;
    grid.setColumnCount(3);
    grid.setRows(3);
    grid.setCell(2, 1, "P");
    grid.setCell(2, 2, "R");
    grid.setCurrentGridRow(2);
    grid.insertDataRow(2);
    grid.setCell(2, 2, "Q");
    EXPECT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.cell(2, 3), "R");
    EXPECT_EQ(grid.currentGridRow(), 3) << "the current row stays on R";
    grid.removeDataRow(1);
    EXPECT_EQ(grid.currentGridRow(), 2);
    EXPECT_EQ(grid.cell(2, 2), "R");
}

TEST(StringGrid, ABatchOfWritesIsAnnouncedOnce) {
    StringGrid grid;
    grid.setColumnCount(2);
    grid.setRows(1001);
    QSignalSpy changes(grid.model(), &QAbstractItemModel::dataChanged);
    {
        const StringGrid::Batch batch(grid);
        for (int row = 1; row <= 1000; ++row) {
            grid.setCell(1, row, QString::number(row));
        }
        EXPECT_EQ(changes.size(), 0);
    }
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changes[0][1].toModelIndex().row(), 999);
    EXPECT_EQ(grid.cell(1, 1000), "1000");
    grid.setCell(0, 5, "x");
    EXPECT_EQ(changes.size(), 2) << "outside a batch every write is announced";
}

/// The library list's font layout in a list narrower than its columns.
class FrozenColumns : public testing::Test {
protected:
    FrozenColumns() {
        grid.setColumnCount(5);
        constexpr int widths[]{25, 30, 80, 50, 50};
        for (int column = 0; column < 5; ++column) {
            grid.setColWidth(column, widths[column]);
        }
        grid.setRows(300);
        for (int row = 1; row < 300; ++row) {
            grid.setCell(0, row, QString::number(row));
        }
        grid.resize(150, 200);
        grid.show();
    }
    [[nodiscard]] const QTableView& frozen() const { return grid.frozenView(); }

    StringGrid grid;
};

TEST_F(FrozenColumns, StayInViewWhenTheListScrollsSideways) {
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    ASSERT_GT(grid.horizontalScrollBar()->value(), 0);
    EXPECT_LT(grid.columnViewportPosition(0), 0) << "the grid itself scrolled";
    ASSERT_TRUE(frozen().isVisible());
    EXPECT_EQ(frozen().width(), 55);
    EXPECT_EQ(frozen().x(), grid.frameWidth());
    EXPECT_EQ(frozen().columnViewportPosition(0), 0);
    EXPECT_EQ(frozen().columnViewportPosition(1), 25);
    EXPECT_TRUE(frozen().isColumnHidden(2));

    grid.verticalScrollBar()->setValue(40);
    EXPECT_EQ(frozen().verticalScrollBar()->value(), 40) << "both views show the same rows";
}

TEST_F(FrozenColumns, ShareTheCurrentRowAndReportClicks) {
    QSignalSpy clicks(&grid, &StringGrid::gridClicked);
    grid.setCurrentGridRow(3);
    EXPECT_EQ(frozen().currentIndex().row(), 2);
    const QPoint inRow5 = frozen().visualRect(frozen().model()->index(4, 0)).center();
    QTest::mouseClick(frozen().viewport(), Qt::LeftButton, {}, inRow5);
    EXPECT_EQ(grid.currentGridRow(), 5);
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(FrozenColumns, VanishWhenTheLeadingColumnsAreHidden) {
    grid.setColWidth(0, 0);
    EXPECT_EQ(frozen().width(), 30);
    grid.setColWidth(1, 0);
    EXPECT_FALSE(frozen().isVisible());
    grid.setColWidth(0, 25);
    EXPECT_TRUE(frozen().isVisible());
}

} // namespace
} // namespace korvel
