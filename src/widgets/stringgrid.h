#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>

#include <vector>

namespace korvel {

/// The texts of a string grid: a header row and data rows of plain strings, without an item
/// object per cell.
class GridTexts : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    void setColumns(int columns);
    void setDataRows(int rows);
    [[nodiscard]] QString text(int column, int row) const;
    /// Sets one text (row 0 is the header); outside the grid it is ignored.
    void setText(int column, int row, const QString& text);
    void clearTexts();
    void removeDataRow(int row);
    void insertDataRow(int row);
    void setBoldColumns(int count, const QFont& bold);

    /// While held, texts change without a signal per cell; one change signal covers them all
    /// when the last batch ends.
    void beginBatch();
    void endBatch();

private:
    [[nodiscard]] std::size_t at(int column, int dataRow) const;

    int columns_ = 0;
    int dataRows_ = 0;
    std::vector<QString> header_;
    std::vector<QString> cells_; ///< data rows, row after row
    int boldColumns_ = 0;
    QFont bold_;
    int batchDepth_ = 0;
    int batchFirst_ = -1; ///< data rows changed during the batch
    int batchLast_ = -1;
};

/// A grid of text cells addressed as (column, row) with row 0 the header row, like a classic
/// string grid: the header row is the table's horizontal header, data rows start at 1, and
/// whole rows are selected. Clicks and double clicks are reported for the current row, with a
/// click on the header making row 0 current. Columns 0 and 1 stay in view when the grid scrolls
/// sideways.
class StringGrid : public QTableView {
    Q_OBJECT

public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    /// Rows including the header row.
    [[nodiscard]] int rows() const { return texts_->rowCount() + 1; }
    /// Data rows, without the header row.
    [[nodiscard]] int rowCount() const { return texts_->rowCount(); }
    /// Sets the number of rows including the header row (at least 1); new rows are empty.
    void setRows(int rows);
    [[nodiscard]] int cols() const { return texts_->columnCount(); }
    void setColumnCount(int columns);

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
    /// Makes row current and selected alone, whatever keys are held, without reporting a click.
    void setCurrentGridRow(int row);
    /// The selected data rows (1 ..), in ascending order. Ctrl+click adds or drops a row and
    /// Shift+click a range; a plain click selects its row alone.
    [[nodiscard]] std::vector<int> selectedGridRows() const;
    /// Selects every data row; the current row stays.
    void selectAllRows();
    /// Columns whose cells are drawn bold, like the fixed columns of a classic grid.
    void setBoldColumns(int count);

    /// The view that keeps columns 0 and 1 in place over the left edge.
    [[nodiscard]] const QTableView& frozenView() const { return *frozen_; }

    /// Many cell writes at once: the view hears of them once, when the batch ends.
    class Batch {
    public:
        explicit Batch(StringGrid& grid) : texts_(*grid.texts_) { texts_.beginBatch(); }
        ~Batch() { texts_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        GridTexts& texts_;
    };

signals:
    /// The user clicked a cell or the header, or moved the current row with the keyboard.
    void gridClicked();
    /// The user double-clicked a cell or the header.
    void gridDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    [[nodiscard]] QItemSelectionModel::SelectionFlags
    selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    void buildFrozenView();
    void placeFrozenView();
    void followCurrentRow();
    void connectClicks(QTableView& view);

    GridTexts* texts_ = nullptr; // owned as this view's Qt child
    QTableView* frozen_ = nullptr;
    int currentRow_ = -1;
    bool choosingFromCode_ = false; ///< while setCurrentGridRow runs
};

} // namespace korvel
