#pragma once

#include <QString>
#include <QTableWidget>

namespace korvel {

/// A grid of text cells addressed as (column, row) with row 0 the header row, like a classic
/// string grid: the header row is the table's horizontal header, data rows start at 1, and
/// whole rows are selected. Clicks and double clicks are reported for the current row, with a
/// click on the header making row 0 current.
class StringGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit StringGrid(QWidget* parent = nullptr);

    /// Rows including the header row.
    [[nodiscard]] int rows() const { return rowCount() + 1; }
    /// Sets the number of rows including the header row (at least 1); new rows are empty.
    void setRows(int rows);
    [[nodiscard]] int cols() const { return columnCount(); }

    [[nodiscard]] QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    /// Empties every cell, the header row included.
    void clearCells();
    /// Sets a column's width in pixels; 0 hides the column.
    void setColWidth(int column, int width);
    /// Removes data row row (1 ..); later rows move up.
    void removeDataRow(int row);
    /// Inserts an empty data row before row (1 .. rows()); later rows move down.
    void insertDataRow(int row);

    /// The current row: 0 for the header, 1 .. for data rows, -1 when nothing is current.
    [[nodiscard]] int currentGridRow() const { return currentRow_; }
    /// Makes row current (and selected) without reporting a click.
    void setCurrentGridRow(int row);
    /// Columns whose cells are drawn bold, like the fixed columns of a classic grid.
    void setBoldColumns(int count);

signals:
    /// The user clicked a cell or the header, or moved the current row with the keyboard.
    void gridClicked();
    /// The user double-clicked a cell or the header.
    void gridDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTableWidgetItem* itemAt(int column, int row);
    void applyBold(QTableWidgetItem* item, int column) const;
    void followCurrentRow();

    int currentRow_ = -1;
    int boldColumns_ = 0;
};

} // namespace korvel
