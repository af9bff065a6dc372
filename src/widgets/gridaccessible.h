#pragma once

// What assistive technology reads of a StringGrid: one table whose cells are where the user sees
// them. Columns 0 and 1 are shown by the frozen view laid over the grid's left edge, so their
// cells report that view's places; the grid's own cells of those columns, scrolled out of view
// beneath it, are not reported.

#include <QAccessibleWidget>

#include <map>
#include <utility>

namespace korvel {

class StringGrid;

/// The accessible table of a StringGrid. Its children are the header cells (row -1), then the
/// data cells row after row, the order in which the grid numbers them in its focus events.
class GridAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(StringGrid* grid);
    ~GridAccessible() override;
    GridAccessible(const GridAccessible&) = delete;
    GridAccessible& operator=(const GridAccessible&) = delete;

    /// Makes every StringGrid report this table (installed once).
    static void installFactory();

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;

    // QAccessibleTableInterface
    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
    [[nodiscard]] int columnCount() const override;
    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int row) const override;
    [[nodiscard]] bool isColumnSelected(int column) const override;
    [[nodiscard]] bool isRowSelected(int row) const override;
    [[nodiscard]] int selectedCellCount() const override;
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
    [[nodiscard]] int selectedColumnCount() const override { return 0; }
    [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
    [[nodiscard]] int selectedRowCount() const override;
    [[nodiscard]] QList<int> selectedRows() const override;
    bool selectRow(int row) override;
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* /*event*/) override {}

    [[nodiscard]] StringGrid* grid() const;
    /// The cell of data row row (from 0) or of the header (row -1), made once and kept.
    [[nodiscard]] QAccessibleInterface* cell(int row, int column) const;

private:
    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

} // namespace korvel
