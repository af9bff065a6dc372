#include "widgets/gridaccessible.h"

#include "widgets/stringgrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>

namespace korvel {

namespace {

/// The columns the frozen view shows over the grid's left edge.
constexpr int kFrozenColumns = 2;

/// The view that shows a column where the user sees it: the frozen view for columns 0 and 1
/// while it is shown, the grid itself for the others.
[[nodiscard]] const QTableView& viewOfColumn(const StringGrid& grid, int column) {
    const QTableView& frozen = grid.frozenView();
    if (column < kFrozenColumns && frozen.isVisible() && !frozen.isColumnHidden(column)) {
        return frozen;
    }
    return grid;
}

/// Where a cell is on the screen: a data cell (row from 0) or a header cell (row -1).
[[nodiscard]] QRect screenRect(const StringGrid& grid, int row, int column) {
    const QTableView& view = viewOfColumn(grid, column);
    if (view.isColumnHidden(column)) {
        return {};
    }
    if (row < 0) {
        const QHeaderView& header = *view.horizontalHeader();
        const QRect local(header.sectionViewportPosition(column), 0, header.sectionSize(column),
                          header.height());
        return local.translated(header.viewport()->mapToGlobal(QPoint(0, 0)));
    }
    const QRect local = view.visualRect(view.model()->index(row, column));
    return local.translated(view.viewport()->mapToGlobal(QPoint(0, 0)));
}

/// One cell of the grid, by its place: it reads whatever the grid holds there now.
class GridCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(StringGrid* grid, int row, int column)
        : grid_(grid), row_(row), column_(column) {}

    [[nodiscard]] bool isValid() const override {
        return !grid_.isNull() && row_ < grid_->model()->rowCount() &&
               column_ < grid_->model()->columnCount();
    }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_.data());
    }
    [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
        return -1;
    }
    [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
        return nullptr;
    }
    [[nodiscard]] QString text(QAccessible::Text kind) const override {
        if (!isValid() || (kind != QAccessible::Name && kind != QAccessible::Value)) {
            return {};
        }
        return grid_->cell(column_, row_ + 1);
    }
    void setText(QAccessible::Text /*kind*/, const QString& /*text*/) override {}
    [[nodiscard]] QRect rect() const override {
        return isValid() ? screenRect(*grid_, row_, column_) : QRect();
    }
    [[nodiscard]] QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QRect shown = grid_->rect().translated(grid_->mapToGlobal(QPoint(0, 0)));
        state.invisible = !grid_->isVisible() || !shown.intersects(rect());
        if (row_ >= 0) {
            state.selectable = true;
            state.selected = isSelected();
            state.focusable = true;
            const QModelIndex current = grid_->currentIndex();
            state.focused =
                grid_->hasFocus() && current.row() == row_ && current.column() == column_;
        }
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    // QAccessibleTableCellInterface
    [[nodiscard]] bool isSelected() const override {
        return isValid() && row_ >= 0 && grid_->selectionModel()->isRowSelected(row_, {});
    }
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override {
        auto* table = tableOf();
        return table != nullptr && row_ >= 0
                   ? QList<QAccessibleInterface*>{table->cell(-1, column_)}
                   : QList<QAccessibleInterface*>{};
    }
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    [[nodiscard]] int columnIndex() const override { return column_; }
    [[nodiscard]] int rowIndex() const override { return row_; }
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

    [[nodiscard]] int row() const { return row_; }
    [[nodiscard]] int column() const { return column_; }

private:
    [[nodiscard]] GridAccessible* tableOf() const {
        return dynamic_cast<GridAccessible*>(parent());
    }

    QPointer<StringGrid> grid_;
    int row_;
    int column_;
};

[[nodiscard]] QAccessibleInterface* gridFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(StringGrid::staticMetaObject.className())) {
        if (auto* grid = qobject_cast<StringGrid*>(object)) {
            return new GridAccessible(grid);
        }
    }
    return nullptr;
}

} // namespace

GridAccessible::GridAccessible(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible() {
    for (const auto& [place, id] : cells_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void GridAccessible::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    static_cast<void>(installed);
}

StringGrid* GridAccessible::grid() const {
    return static_cast<StringGrid*>(widget());
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* GridAccessible::cell(int row, int column) const {
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    auto found = cells_.find({row, column});
    if (found == cells_.end()) {
        const QAccessible::Id id =
            QAccessible::registerAccessibleInterface(new GridCellAccessible(grid(), row, column));
        found = cells_.emplace(std::pair{row, column}, id).first;
    }
    return QAccessible::accessibleInterface(found->second);
}

int GridAccessible::childCount() const {
    return (rowCount() + 1) * columnCount();
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0) {
        return nullptr;
    }
    return cell(index / columns - 1, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
    if (cell == nullptr || !cell->isValid()) {
        return -1;
    }
    return (cell->row() + 1) * columnCount() + cell->column();
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
    const QPoint point(x, y);
    // The frozen view lies over the grid: what it shows is what is at the point.
    const QTableView& frozen = grid()->frozenView();
    for (const QTableView* view : {&frozen, static_cast<const QTableView*>(grid())}) {
        if (!view->isVisible()) {
            continue;
        }
        const QHeaderView& header = *view->horizontalHeader();
        const QPoint inHeader = header.viewport()->mapFromGlobal(point);
        if (header.isVisible() && header.viewport()->rect().contains(inHeader)) {
            const int column = header.logicalIndexAt(inHeader);
            if (column >= 0 && (view != &frozen || column < kFrozenColumns)) {
                return cell(-1, column);
            }
        }
        const QPoint inView = view->viewport()->mapFromGlobal(point);
        if (view->viewport()->rect().contains(inView)) {
            const QModelIndex index = view->indexAt(inView);
            if (index.isValid() && (view != &frozen || index.column() < kFrozenColumns)) {
                return cell(index.row(), index.column());
            }
        }
    }
    return nullptr;
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const {
    return row >= 0 ? cell(row, column) : nullptr;
}

int GridAccessible::columnCount() const {
    return grid()->model()->columnCount();
}

int GridAccessible::rowCount() const {
    return grid()->model()->rowCount();
}

QString GridAccessible::columnDescription(int column) const {
    return grid()->cell(column, 0);
}

QString GridAccessible::rowDescription(int /*row*/) const {
    return {};
}

bool GridAccessible::isColumnSelected(int /*column*/) const {
    return false;
}

bool GridAccessible::isRowSelected(int row) const {
    return row >= 0 && row < rowCount() && grid()->selectionModel()->isRowSelected(row, {});
}

int GridAccessible::selectedCellCount() const {
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows()) {
        for (int column = 0; column < columnCount(); ++column) {
            cells.append(cell(row, column));
        }
    }
    return cells;
}

int GridAccessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

QList<int> GridAccessible::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : grid()->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    return rows;
}

bool GridAccessible::selectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    grid()->setCurrentGridRow(row + 1);
    return true;
}

bool GridAccessible::unselectRow(int row) {
    if (!isRowSelected(row)) {
        return false;
    }
    grid()->setCurrentGridRow(-1);
    return true;
}

} // namespace korvel
