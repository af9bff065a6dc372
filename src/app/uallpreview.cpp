#include "app/uallpreview.h"

#include "app/umain.h"
#include "core/fontlibrary.h"
#include "document/imagefiles.h"
#include "document/textcompose.h"
#include "libraryio/pictureformats.h"
#include "widgets/cellcanvas.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace korvel {

namespace {

constexpr int kGridColumns = 8; // glyph columns 1..8; column 0 is the fixed header column
constexpr int kFixedSize = 8;   // width of column 0 and height of row 0
constexpr int kCellSize = 80;
constexpr int kTextGap = 2; // between a cell's picture and its number
constexpr int kPictureRole = Qt::UserRole;
constexpr std::array<int, 4> kZoomOfItem{1, 5, 8, 12};
constexpr int kFirstZoomItem = 2; // "8*8"

/// side * numerator / denominator rounded to the nearest whole pixel, at least 1.
int scaledSide(int side, int numerator, int denominator) {
    const std::int64_t twice = 2 * std::int64_t{side} * numerator + denominator;
    return std::max(1, static_cast<int>(twice / (2 * std::int64_t{denominator})));
}

/// The size of a picture scaled with its aspect kept so that it just fits into space: its
/// limiting side fills the space, the other is rounded. Empty when nothing fits.
QSize fitKeepingAspect(QSize picture, QSize space) {
    if (picture.isEmpty() || space.isEmpty()) {
        return {};
    }
    // Compare space.w / picture.w with space.h / picture.h without division.
    const bool widthLimits = std::int64_t{space.width()} * picture.height() <=
                             std::int64_t{space.height()} * picture.width();
    if (widthLimits) {
        return {space.width(), scaledSide(picture.height(), space.width(), picture.width())};
    }
    return {scaledSide(picture.width(), space.height(), picture.height()), space.height()};
}

/// Where a cell's picture and number go: the picture centred across the cell with the number
/// below it, the two centred together from top to bottom.
struct CellParts {
    QRect picture;
    QRect text;
};

CellParts cellParts(const QRect& cell, QSize picture, const QFontMetrics& metrics) {
    const int gap = picture.isEmpty() ? 0 : kTextGap;
    const int stackHeight = picture.height() + gap + metrics.height();
    const int top = cell.top() + (cell.height() - stackHeight) / 2;
    const QRect pictureRect(cell.left() + (cell.width() - picture.width()) / 2, top,
                            picture.width(), picture.height());
    const QRect textRect(cell.left(), top + picture.height() + gap, cell.width(), metrics.height());
    return {pictureRect, textRect};
}

/// Draws a preview cell: its scaled picture, opaque, above its number.
class PreviewCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->fillRect(option.rect,
                          option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QImage picture = index.data(kPictureRole).value<QImage>();
        const CellParts parts = cellParts(option.rect, picture.size(), option.fontMetrics);
        if (!picture.isNull()) {
            painter->drawImage(parts.picture.topLeft(), picture);
        }
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(parts.text, Qt::AlignHCenter | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }
};

/// The glyph records of the library's codes, never more than the table holds.
int shownGlyphCount(const FontLibrary& font) {
    return std::clamp(font.count, 0, kGlyphSlots);
}

} // namespace

TForm4::TForm4(TForm1& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("Form4"));
    setFont(main.font()); // the same small type as the main window
    setSizeGripEnabled(true);
    resize(751, 522);
    buildGridPanel();
    buildTextPanel();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panelall);
    layout->addWidget(Panelsingal);
    FormCreate();
}

TForm4::~TForm4() = default;

void TForm4::prepare(const QString& caption, bool allFont) {
    setWindowTitle(caption);
    Panelsingal->setVisible(!allFont);
    Panelall->setVisible(allFont);
    if (!allFont) {
        Memo1->clear();
    }
    Image1->hide();
}

void TForm4::FormCreate() {
    previewZoom_ = 8;
}

void TForm4::buildGridPanel() {
    Panelall = new QWidget(this);
    Panelall->setObjectName(QStringLiteral("Panelall"));
    AdvStringGrid1 = new QTableWidget(1, kGridColumns, Panelall);
    AdvStringGrid1->setObjectName(QStringLiteral("AdvStringGrid1"));
    AdvStringGrid1->setFont(QFont(QStringLiteral("Tahoma"), 8));
    AdvStringGrid1->setItemDelegate(new PreviewCellDelegate(AdvStringGrid1));
    AdvStringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AdvStringGrid1->setShowGrid(true);
    AdvStringGrid1->setHorizontalHeaderLabels(QStringList(kGridColumns, QString()));
    AdvStringGrid1->setVerticalHeaderLabels(QStringList(1, QString()));

    // The headers are the fixed row 0 and the fixed column 0.
    QHeaderView* top = AdvStringGrid1->horizontalHeader();
    top->setMinimumSectionSize(1);
    top->setFixedHeight(kFixedSize);
    top->setDefaultSectionSize(kCellSize);
    top->setSectionResizeMode(QHeaderView::Interactive);
    QHeaderView* side = AdvStringGrid1->verticalHeader();
    side->setMinimumSectionSize(1);
    side->setFixedWidth(kFixedSize);
    side->setDefaultSectionSize(kCellSize);
    side->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < kGridColumns; ++column) {
        AdvStringGrid1->setColumnWidth(column, kCellSize);
    }
    AdvStringGrid1->setRowHeight(0, kCellSize);
    connect(top, &QHeaderView::sectionResized, this,
            [this](int, int, int newSize) { sizeAllColumns(newSize); });

    auto* layout = new QVBoxLayout(Panelall);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(AdvStringGrid1);
}

void TForm4::sizeAllColumns(int width) {
    if (sizingColumns_) {
        return;
    }
    sizingColumns_ = true;
    for (int column = 0; column < kGridColumns; ++column) {
        AdvStringGrid1->setColumnWidth(column, width);
    }
    sizingColumns_ = false;
}

void TForm4::buildTextPanel() {
    Panelsingal = new QWidget(this);
    Panelsingal->setObjectName(QStringLiteral("Panelsingal"));
    buildInputStrip();

    ScrollBox1 = new QScrollArea(Panelsingal);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new QWidget;
    Image1->setObjectName(QStringLiteral("Image1"));
    zoomedView_ = new CellCanvas(Image1);
    zoomedView_->setCursor(Qt::ArrowCursor);
    plainView_ = new QLabel(Image1);
    plainView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidget(Image1); // the scroll box owns the view from here on
    Image1->hide();

    auto* layout = new QVBoxLayout(Panelsingal);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ScrollBox1, 1);
}

void TForm4::buildInputStrip() {
    Panel1 = new QWidget(Panelsingal);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(49);

    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), Panel1);
    zoomLabel->setGeometry(8, 16, 32, 16);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("1*1"), QStringLiteral("5*5"), QStringLiteral("8*8"),
                         QStringLiteral("12*12")});
    ComboBox1->setCurrentIndex(kFirstZoomItem);
    ComboBox1->setGeometry(44, 12, 80, 24);

    auto* inputLabel = new QLabel(QStringLiteral("Input"), Panel1);
    inputLabel->setGeometry(140, 16, 32, 16);
    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->move(176, 3);
    Memo1->setFixedSize(185, 42);

    Button1 = new QPushButton(QStringLiteral("Preview"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(376, 12, 75, 25);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        LoadImages(); // FormShow
    }
}

int TForm4::gridRows() const {
    return AdvStringGrid1->rowCount() + 1;
}

QString TForm4::cellText(int column, int row) const {
    const QTableWidgetItem* item = AdvStringGrid1->item(row - 1, column - 1);
    return item ? item->text() : QString();
}

QImage TForm4::cellPicture(int column, int row) const {
    const QTableWidgetItem* item = AdvStringGrid1->item(row - 1, column - 1);
    return item ? item->data(kPictureRole).value<QImage>() : QImage();
}

QRect TForm4::cellPictureRect(int column, int row) const {
    // The grid paints a cell without its grid line on the right and bottom.
    const int gridLine = AdvStringGrid1->showGrid() ? 1 : 0;
    const QRect cell(0, 0, AdvStringGrid1->columnWidth(column - 1) - gridLine,
                     AdvStringGrid1->rowHeight(row - 1) - gridLine);
    return cellParts(cell, cellPicture(column, row).size(), QFontMetrics(AdvStringGrid1->font()))
        .picture;
}

void TForm4::LoadImages() {
    AdvStringGrid1->setUpdatesEnabled(false);
    AdvStringGrid1->clearContents();
    int column = 1;
    int row = 1;
    const int count = shownGlyphCount(main_.fontLibrary());
    for (int code = 0; code < count; ++code) {
        placeGlyph(code, column, row);
        if (++column > kGridColumns) {
            column = 1;
            ++row;
        }
        if (row == gridRows()) {
            appendGridRow();
        }
    }
    AdvStringGrid1->setUpdatesEnabled(true);
}

void TForm4::placeGlyph(int code, int column, int row) {
    auto* item = new QTableWidgetItem(QString::number(code));
    const GlyphRecord& glyph = main_.fontLibrary().glyphs[static_cast<std::size_t>(code)];
    if (glyph.picture) {
        const QSize space(AdvStringGrid1->columnWidth(column - 1) - kCellMargin,
                          AdvStringGrid1->rowHeight(row - 1) - kCellMargin);
        const QSize size =
            fitKeepingAspect(QSize(glyph.picture->width(), glyph.picture->height()), space);
        if (!size.isEmpty()) {
            item->setData(kPictureRole,
                          toQImage(glyph.picture->scaled(size.width(), size.height())));
        }
    }
    AdvStringGrid1->setItem(row - 1, column - 1, item); // the grid owns the item
}

void TForm4::appendGridRow() {
    const int last = AdvStringGrid1->rowCount();
    AdvStringGrid1->insertRow(last);
    AdvStringGrid1->setVerticalHeaderItem(last, new QTableWidgetItem(QString()));
    AdvStringGrid1->setRowHeight(last, AdvStringGrid1->rowHeight(last - 1));
}

void TForm4::Button1Click() {
    MakeImages();
}

void TForm4::ComboBox1Change() {
    const int item = ComboBox1->currentIndex();
    if (item < 0 || item >= static_cast<int>(kZoomOfItem.size())) {
        return;
    }
    previewZoom_ = kZoomOfItem[static_cast<std::size_t>(item)];
    MakeImages();
}

std::vector<std::string> TForm4::shownLines() const {
    const QTextDocument* document = Memo1->document();
    const auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document->documentLayout());
    std::vector<std::string> lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (!block.next().isValid() && text.isEmpty()) {
            break; // an empty last line is no line
        }
        if (layout) {
            layout->ensureBlockLayout(block);
        }
        const QTextLayout* wrapped = block.layout();
        if (!wrapped || wrapped->lineCount() == 0) {
            lines.push_back(lineBytes(text, main_.document().codePage()));
            continue;
        }
        for (int i = 0; i < wrapped->lineCount(); ++i) {
            const QTextLine line = wrapped->lineAt(i);
            lines.push_back(lineBytes(text.mid(line.textStart(), line.textLength()),
                                      main_.document().codePage()));
        }
    }
    return lines;
}

bool TForm4::refuseTooLarge(std::int64_t width, std::int64_t height) {
    const std::int64_t zoom = previewZoom_;
    const auto viewSide = [zoom](std::int64_t side) { return zoom == 1 ? side : side * zoom + 1; };
    if (width <= kMaxTextSide && height <= kMaxTextSide && viewSide(width) <= kMaxViewSide &&
        viewSide(height) <= kMaxViewSide) {
        return false;
    }
    main_.prompter().showMessage(this, QStringLiteral("The text is too large to preview (%1 x %2 "
                                                      "pixels).")
                                           .arg(width)
                                           .arg(height));
    return true;
}

void TForm4::MakeImages() {
    if (Memo1->document()->isEmpty()) {
        return; // nothing new is drawn; an earlier preview stays on view
    }
    const FontLibrary& font = main_.fontLibrary();
    const std::vector<std::string> lines = shownLines();
    const TextMeasure measure = measureText(lines, font);
    if (refuseTooLarge(measure.width, measure.height)) {
        return;
    }
    textPicture_ = composeText(lines, measure, font);
    if (previewZoom_ == 1) {
        showUnscaled(textPicture_);
    } else {
        makegrid(textPicture_.width(), textPicture_.height(), textPicture_);
    }
}

void TForm4::showUnscaled(const Picture& picture) {
    zoomedView_->hide();
    plainView_->setPixmap(QPixmap::fromImage(toQImage(picture)));
    plainView_->setFixedSize(picture.width(), picture.height());
    plainView_->show();
    Image1->setFixedSize(picture.width(), picture.height());
    Image1->show();
}

void TForm4::makegrid(int width, int height, const Picture& picture) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (refuseTooLarge(width, height)) {
        return;
    }
    Picture view(width, height, PixelFormat::Rgb24);
    view.draw(picture);
    plainView_->hide();
    zoomedView_->showPicture(view, previewZoom_, CellColourRule::Own);
    zoomedView_->show();
    Image1->setFixedSize(zoomedView_->size());
    Image1->show();
}

} // namespace korvel
