#include "stringgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace korvel {

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(true);

    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { currentRow_ = row < 0 ? -1 : row + 1; });
    connect(this, &QTableWidget::cellClicked, this, [this](int, int) { emit gridClicked(); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { emit gridDoubleClicked(); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int) {
        currentRow_ = 0;
        emit gridClicked();
    });
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int) {
        currentRow_ = 0;
        emit gridDoubleClicked();
    });
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow_;
    QTableWidget::keyPressEvent(event);
    if (currentRow_ != before) {
        emit gridClicked();
    }
}

void StringGrid::setRows(int rows) {
    setRowCount(rows < 1 ? 0 : rows - 1);
}

QString StringGrid::cell(int column, int row) const {
    if (row == 0) {
        const QTableWidgetItem* header = horizontalHeaderItem(column);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* entry = item(row - 1, column);
    return entry ? entry->text() : QString();
}

QTableWidgetItem* StringGrid::itemAt(int column, int row) {
    if (column < 0 || column >= columnCount() || row < 0 || row >= rows()) {
        return nullptr;
    }
    if (row == 0) {
        if (!horizontalHeaderItem(column)) {
            setHorizontalHeaderItem(column, new QTableWidgetItem);
        }
        return horizontalHeaderItem(column);
    }
    if (!item(row - 1, column)) {
        auto* entry = new QTableWidgetItem;
        applyBold(entry, column);
        setItem(row - 1, column, entry);
    }
    return item(row - 1, column);
}

void StringGrid::applyBold(QTableWidgetItem* item, int column) const {
    if (column < boldColumns_) {
        QFont bold = font();
        bold.setBold(true);
        item->setFont(bold);
    }
}

void StringGrid::setCell(int column, int row, const QString& text) {
    if (QTableWidgetItem* entry = itemAt(column, row)) {
        entry->setText(text);
    }
}

void StringGrid::clearCells() {
    for (int column = 0; column < columnCount(); ++column) {
        if (QTableWidgetItem* header = horizontalHeaderItem(column)) {
            header->setText(QString());
        }
    }
    clearContents();
}

void StringGrid::setColWidth(int column, int width) {
    setColumnHidden(column, width <= 0);
    if (width > 0) {
        setColumnWidth(column, width);
    }
}

void StringGrid::removeDataRow(int row) {
    if (row >= 1 && row < rows()) {
        removeRow(row - 1);
        followCurrentRow();
    }
}

void StringGrid::insertDataRow(int row) {
    if (row >= 1 && row <= rows()) {
        insertRow(row - 1);
        followCurrentRow();
    }
}

void StringGrid::followCurrentRow() {
    // The view moves its current row with the rows inserted or removed above it without saying
    // so; the grid's current row goes with it.
    if (currentRow_ > 0 && currentIndex().isValid()) {
        currentRow_ = currentIndex().row() + 1;
    }
}

void StringGrid::setCurrentGridRow(int row) {
    if (row >= 1 && row < rows()) {
        setCurrentCell(row - 1, 2 < columnCount() ? 2 : 0);
    } else {
        setCurrentCell(-1, -1);
    }
    currentRow_ = row;
}

void StringGrid::setBoldColumns(int count) {
    boldColumns_ = count;
    QFont bold = horizontalHeader()->font();
    bold.setBold(true);
    horizontalHeader()->setFont(bold);
}

} // namespace korvel
