#include "widgets/stringgrid.h"

#include <QAccessible>
#include <QGuiApplication>
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

    // Chosen from code while the keys of a shortcut (Ctrl+Shift+V) are still held, the row is
    // chosen alone, not added to the row clicked before.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inRow3);
    grid.setRows(6); // as a pasted bitmap adds its row
    QTest::keyPress(&grid, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(QGuiApplication::keyboardModifiers(), Qt::ControlModifier | Qt::ShiftModifier);
    grid.setCurrentGridRow(5);
    QTest::keyRelease(&grid, Qt::Key_Shift, Qt::ControlModifier);
    QTest::keyRelease(&grid, Qt::Key_Control);
    EXPECT_EQ(grid.selectedGridRows(), std::vector<int>{5});
    // It anchors a Shift range as a click does.
    const QPoint inRow4 = grid.visualRect(grid.model()->index(3, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, inRow4);
    EXPECT_EQ(grid.selectedGridRows(), (std::vector<int>{4, 5}));
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

TEST_F(FrozenColumns, AssistiveTechnologyReadsTheCellsWhereTheyAreShown) {
    grid.setCell(0, 0, "Char");
    grid.setCell(4, 7, "far right");
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    grid.verticalScrollBar()->setValue(3);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 299);
    EXPECT_EQ(cells->columnCount(), 5);

    const QRect shown = grid.rect().translated(grid.mapToGlobal(QPoint(0, 0)));
    const QRect frozenShown = frozen().rect().translated(frozen().mapToGlobal(QPoint(0, 0)));
    // Row 5 of the list (data row 4) is in view; its frozen cells are where the frozen view
    // shows them, not beneath it where the scrolled list keeps its own.
    for (int column = 0; column < 2; ++column) {
        QAccessibleInterface* cell = cells->cellAt(4, column);
        ASSERT_NE(cell, nullptr);
        const QRect place = cell->rect();
        EXPECT_TRUE(frozenShown.contains(place)) << "column " << column;
        EXPECT_EQ(place, frozen()
                             .visualRect(frozen().model()->index(4, column))
                             .translated(frozen().viewport()->mapToGlobal(QPoint(0, 0))));
        EXPECT_FALSE(cell->state().invisible) << "column " << column;
        EXPECT_EQ(table->childAt(place.center().x(), place.center().y()), cell);
    }
    EXPECT_EQ(cells->cellAt(4, 0)->text(QAccessible::Name), "5");
    QAccessibleInterface* far = cells->cellAt(6, 4);
    EXPECT_EQ(far->text(QAccessible::Name), "far right");
    EXPECT_TRUE(shown.intersects(far->rect()));
    EXPECT_FALSE(frozenShown.intersects(far->rect()));
    EXPECT_EQ(table->childAt(far->rect().center().x(), far->rect().center().y()), far);
    // A row scrolled out of view above is invisible, in every column.
    EXPECT_TRUE(cells->cellAt(0, 0)->state().invisible);
    EXPECT_TRUE(cells->cellAt(0, 3)->state().invisible);

    // The header cell of column 0 is the frozen view's; children are numbered as the grid
    // numbers them in its focus events: header row first, then the data rows.
    QAccessibleInterface* header = table->child(0);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(header->text(QAccessible::Name), "Char");
    EXPECT_TRUE(frozenShown.contains(header->rect()));
    EXPECT_EQ(table->child(5 * 5 + 0), cells->cellAt(4, 0));
    EXPECT_EQ(table->indexOfChild(far), 7 * 5 + 4);

    grid.setCurrentGridRow(5);
    EXPECT_TRUE(cells->isRowSelected(4));
    EXPECT_TRUE(cells->cellAt(4, 0)->state().selected);
    EXPECT_EQ(cells->selectedRows(), QList<int>{4});
}

} // namespace
} // namespace korvel
