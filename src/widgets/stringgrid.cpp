#include "widgets/stringgrid.h"

#include "widgets/gridaccessible.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace korvel {

namespace {
constexpr int kFrozenColumns = 2;
} // namespace

// ---- GridTexts ----

int GridTexts::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataRows_;
}

int GridTexts::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

std::size_t GridTexts::at(int column, int dataRow) const {
    return static_cast<std::size_t>(dataRow) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column);
}

QVariant GridTexts::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= dataRows_ || index.column() >= columns_) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return cells_[at(index.column(), index.row())];
    }
    if (role == Qt::FontRole && index.column() < boldColumns_) {
        return bold_;
    }
    return {};
}

QVariant GridTexts::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns_) {
        return header_[static_cast<std::size_t>(section)];
    }
    return {};
}

void GridTexts::setColumns(int columns) {
    beginResetModel();
    columns_ = std::max(0, columns);
    header_.assign(static_cast<std::size_t>(columns_), QString());
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(dataRows_),
                  QString());
    endResetModel();
}

void GridTexts::setDataRows(int rows) {
    rows = std::max(0, rows);
    if (rows > dataRows_) {
        beginInsertRows({}, dataRows_, rows - 1);
        dataRows_ = rows;
        cells_.resize(at(0, rows));
        endInsertRows();
    } else if (rows < dataRows_) {
        beginRemoveRows({}, rows, dataRows_ - 1);
        dataRows_ = rows;
        cells_.resize(at(0, rows));
        endRemoveRows();
    }
}

QString GridTexts::text(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row > dataRows_) {
        return {};
    }
    return row == 0 ? header_[static_cast<std::size_t>(column)] : cells_[at(column, row - 1)];
}

void GridTexts::setText(int column, int row, const QString& text) {
    if (column < 0 || column >= columns_ || row < 0 || row > dataRows_) {
        return;
    }
    if (row == 0) {
        header_[static_cast<std::size_t>(column)] = text;
        emit headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    cells_[at(column, row - 1)] = text;
    if (batchDepth_ > 0) {
        batchFirst_ = batchFirst_ < 0 ? row - 1 : std::min(batchFirst_, row - 1);
        batchLast_ = std::max(batchLast_, row - 1);
        return;
    }
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridTexts::clearTexts() {
    std::fill(header_.begin(), header_.end(), QString());
    std::fill(cells_.begin(), cells_.end(), QString());
    if (columns_ > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    }
    if (columns_ > 0 && dataRows_ > 0) {
        emit dataChanged(index(0, 0), index(dataRows_ - 1, columns_ - 1), {Qt::DisplayRole});
    }
}

void GridTexts::removeDataRow(int row) {
    const int dataRow = row - 1;
    if (dataRow < 0 || dataRow >= dataRows_) {
        return;
    }
    beginRemoveRows({}, dataRow, dataRow);
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(at(0, dataRow));
    cells_.erase(first, first + columns_);
    --dataRows_;
    endRemoveRows();
}

void GridTexts::insertDataRow(int row) {
    const int dataRow = row - 1;
    if (dataRow < 0 || dataRow > dataRows_) {
        return;
    }
    beginInsertRows({}, dataRow, dataRow);
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at(0, dataRow)),
                  static_cast<std::size_t>(columns_), QString());
    ++dataRows_;
    endInsertRows();
}

void GridTexts::setBoldColumns(int count, const QFont& bold) {
    boldColumns_ = count;
    bold_ = bold;
}

void GridTexts::beginBatch() {
    ++batchDepth_;
}

void GridTexts::endBatch() {
    if (--batchDepth_ > 0 || batchFirst_ < 0) {
        return;
    }
    const int first = batchFirst_;
    const int last = std::min(batchLast_, dataRows_ - 1);
    batchFirst_ = -1;
    batchLast_ = -1;
    if (last >= first && columns_ > 0) {
        emit dataChanged(index(first, 0), index(last, columns_ - 1), {Qt::DisplayRole});
    }
}

// ---- StringGrid ----

namespace {

/// The look both views of the grid share.
void setUpView(QTableView& view) {
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setAlternatingRowColors(true);
    view.setShowGrid(true);
    view.setWordWrap(false);
    view.setTextElideMode(Qt::ElideNone);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.horizontalHeader()->setHighlightSections(false);
    view.horizontalHeader()->setMinimumSectionSize(1);
    view.horizontalHeader()->setSectionsClickable(true);
}

} // namespace

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), texts_(new GridTexts(this)) {
    setModel(texts_);
    setUpView(*this);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                currentRow_ = current.isValid() ? current.row() + 1 : -1;
            });
    connectClicks(*this);
    buildFrozenView();
    // Assistive technology reads the cells where they are shown, the frozen ones included.
    GridAccessible::installFactory();
}

StringGrid::~StringGrid() = default;

void StringGrid::connectClicks(QTableView& view) {
    connect(&view, &QAbstractItemView::clicked, this, [this] { emit gridClicked(); });
    connect(&view, &QAbstractItemView::doubleClicked, this, [this] { emit gridDoubleClicked(); });
    connect(view.horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int) {
        currentRow_ = 0;
        emit gridClicked();
    });
    connect(view.horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int) {
        currentRow_ = 0;
        emit gridDoubleClicked();
    });
}

void StringGrid::buildFrozenView() {
    // The frozen-column technique: a second view over the same texts and selection, laid over
    // the left edge, showing only the leading columns and scrolling up and down with the grid.
    frozen_ = new QTableView(this);
    frozen_->setObjectName(QStringLiteral("frozenColumns"));
    frozen_->setModel(texts_);
    frozen_->setSelectionModel(selectionModel());
    setUpView(*frozen_);
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setFrameStyle(QFrame::NoFrame);
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->stackUnder(frozen_);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
                if (column < kFrozenColumns) {
                    frozen_->setColumnWidth(column, size);
                    placeFrozenView();
                }
            });
    connectClicks(*frozen_);
    frozen_->hide();
}

void StringGrid::placeFrozenView() {
    int width = 0;
    for (int column = 0; column < std::min(kFrozenColumns, cols()); ++column) {
        frozen_->setColumnHidden(column, isColumnHidden(column));
        if (!isColumnHidden(column)) {
            frozen_->setColumnWidth(column, columnWidth(column));
            width += columnWidth(column);
        }
    }
    for (int column = kFrozenColumns; column < cols(); ++column) {
        frozen_->setColumnHidden(column, true);
    }
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    frozen_->setGeometry(frameWidth(), frameWidth(), width,
                         viewport()->height() + horizontalHeader()->height());
    frozen_->setVisible(width > 0);
}

void StringGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozenView();
}

void StringGrid::updateGeometries() {
    QTableView::updateGeometries();
    if (frozen_ != nullptr) {
        placeFrozenView();
    }
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow_;
    QTableView::keyPressEvent(event);
    if (currentRow_ != before) {
        emit gridClicked();
    }
}

void StringGrid::setRows(int rows) {
    texts_->setDataRows(rows < 1 ? 0 : rows - 1);
}

void StringGrid::setColumnCount(int columns) {
    texts_->setColumns(columns);
    placeFrozenView();
}

QString StringGrid::cell(int column, int row) const {
    return texts_->text(column, row);
}

void StringGrid::setCell(int column, int row, const QString& text) {
    texts_->setText(column, row, text);
}

void StringGrid::clearCells() {
    texts_->clearTexts();
}

void StringGrid::setColWidth(int column, int width) {
    setColumnHidden(column, width <= 0);
    if (width > 0) {
        setColumnWidth(column, width);
    }
    placeFrozenView();
}

void StringGrid::removeDataRow(int row) {
    texts_->removeDataRow(row);
    followCurrentRow();
}

void StringGrid::insertDataRow(int row) {
    texts_->insertDataRow(row);
    followCurrentRow();
}

void StringGrid::followCurrentRow() {
    // The view moves its current row with the rows inserted or removed above it without saying
    // so; the grid's current row goes with it.
    if (currentRow_ > 0 && currentIndex().isValid()) {
        currentRow_ = currentIndex().row() + 1;
    }
}

QItemSelectionModel::SelectionFlags StringGrid::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
    // A row chosen from code is chosen alone: the keys still held (the Ctrl+Shift of the shortcut
    // that chose it) would otherwise add it to the selection.
    if (choosingFromCode_) {
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }
    return QTableView::selectionCommand(index, event);
}

void StringGrid::setCurrentGridRow(int row) {
    const QScopedValueRollback choosing(choosingFromCode_, true);
    if (row >= 1 && row < rows()) {
        // Through the view, which also makes the row the anchor of a later Shift range.
        setCurrentIndex(texts_->index(row - 1, 2 < cols() ? 2 : 0));
    } else {
        setCurrentIndex({});
    }
    currentRow_ = row;
}

std::vector<int> StringGrid::selectedGridRows() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row + 1);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void StringGrid::selectAllRows() {
    if (rowCount() == 0 || cols() == 0) {
        return;
    }
    const QItemSelection all(texts_->index(0, 0), texts_->index(rowCount() - 1, cols() - 1));
    selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void StringGrid::setBoldColumns(int count) {
    QFont bold = font();
    bold.setBold(true);
    texts_->setBoldColumns(count, bold);
    QFont header = horizontalHeader()->font();
    header.setBold(true);
    horizontalHeader()->setFont(header);
    frozen_->horizontalHeader()->setFont(header);
}

} // namespace korvel
