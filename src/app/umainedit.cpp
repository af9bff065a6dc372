// The main window's Edit groups beyond Undo and Redo, the Tools menu and the zoom steps.

#include "app/umain.h"

#include "document/libraryfactory.h"
#include "document/pictureclipboard.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace korvel {

namespace {

/// One tool of the Tools menu: its caption, tool tip, theme icon name and shortcut-free look.
struct ToolItem {
    EditTool tool;
    const char* name;
    const char* caption;
    const char* tip;
    const char* themeIcon;
};

constexpr std::array<ToolItem, 7> kToolItems{{
    {EditTool::Pixel, "ToolPixel1", "Pixel", "Pixel: a release paints the cell under the pointer",
     "draw-point"},
    {EditTool::Pencil, "ToolPencil1", "Pencil",
     "Pencil: paints every cell the pointer crosses; the right button paints background",
     "draw-freehand"},
    {EditTool::Line, "ToolLine1", "Line", "Line: press, drag and release", "draw-line"},
    {EditTool::Rectangle, "ToolRectangle1", "Rectangle", "Rectangle: press, drag and release",
     "draw-rectangle"},
    {EditTool::FilledRectangle, "ToolFilledRectangle1", "Filled Rectangle",
     "Filled Rectangle: press, drag and release", "draw-rectangle-filled"},
    {EditTool::Fill, "ToolFill1", "Fill", "Fill: floods the region of the clicked cell's colour",
     "color-fill"},
    {EditTool::PickColour, "ToolPickColour1", "Pick Colour",
     "Pick Colour: takes the clicked cell's colour", "color-picker"},
}};

/// The icon a tool shows where the desktop's theme has none: a small drawing of its shape.
QIcon drawnToolIcon(EditTool tool) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    switch (tool) {
    case EditTool::Pixel:
        painter.fillRect(6, 6, 4, 4, Qt::black);
        break;
    case EditTool::Pencil:
        painter.drawPolyline(
            QPolygon({QPoint(2, 13), QPoint(6, 5), QPoint(10, 11), QPoint(14, 2)}));
        break;
    case EditTool::Line:
        painter.drawLine(2, 13, 13, 2);
        break;
    case EditTool::Rectangle:
        painter.drawRect(2, 3, 11, 9);
        break;
    case EditTool::FilledRectangle:
        painter.fillRect(2, 3, 12, 10, Qt::black);
        break;
    case EditTool::Fill:
        painter.drawRect(2, 2, 11, 11);
        painter.fillRect(4, 8, 8, 4, Qt::black);
        break;
    case EditTool::PickColour:
        painter.drawLine(3, 12, 10, 5);
        painter.fillRect(10, 2, 4, 4, Qt::black);
        break;
    }
    return QIcon(picture);
}

/// The icon theme's icon of that name, else fallback. The first call reads the theme's index
/// (about 3 ms for hicolor's alone); the tool bar's tools show their theme icons at the first
/// paint, so that read cannot wait for it.
QIcon themeIcon(const char* name, const QIcon& fallback = {}) {
    const QString themeName = QString::fromLatin1(name);
    if (themeName.isEmpty()) {
        return fallback;
    }
    return fallback.isNull() ? QIcon::fromTheme(themeName) : QIcon::fromTheme(themeName, fallback);
}

const char* transformIconName(PictureTransform transform) {
    switch (transform) {
    case PictureTransform::FlipHorizontally:
        return "object-flip-horizontal";
    case PictureTransform::FlipVertically:
        return "object-flip-vertical";
    case PictureTransform::RotateClockwise:
        return "object-rotate-right";
    case PictureTransform::RotateCounterClockwise:
        return "object-rotate-left";
    case PictureTransform::ShiftUp:
        return "go-up";
    case PictureTransform::ShiftDown:
        return "go-down";
    case PictureTransform::ShiftLeft:
        return "go-previous";
    case PictureTransform::ShiftRight:
        return "go-next";
    case PictureTransform::Clear:
        return "edit-clear";
    default:
        return "";
    }
}

QString captionOf(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TForm1::buildEditGroups() {
    const auto add = [this](const char* name, const QString& caption, const char* icon,
                            const QKeySequence& keys, void (TForm1::*handler)()) {
        QAction* action = Edit1->addAction(themeIcon(icon), caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Edit1->addSeparator();
    Cut1 = add("Cut1", QStringLiteral("Cut"), "edit-cut", QKeySequence(Qt::CTRL | Qt::Key_X),
               &TForm1::cutClick);
    Copy1 = add("Copy1", QStringLiteral("Copy"), "edit-copy", QKeySequence(Qt::CTRL | Qt::Key_C),
                &TForm1::copyClick);
    Paste1 = add("Paste1", QStringLiteral("Paste"), "edit-paste",
                 QKeySequence(Qt::CTRL | Qt::Key_V), &TForm1::pasteClick);
    PasteAsNewBitmap1 =
        add("PasteAsNewBitmap1", QStringLiteral("Paste as New Bitmap"), "edit-paste",
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &TForm1::pasteAsNewBitmapClick);
    Edit1->addSeparator();
    Transform1 = Edit1->addMenu(QStringLiteral("Transform"));
    Transform1->setObjectName(QStringLiteral("Transform1"));
    for (const TransformName& entry : kTransformNames) {
        QAction* action = Transform1->addAction(themeIcon(transformIconName(entry.transform)),
                                                captionOf(entry.caption));
        connect(action, &QAction::triggered, this,
                [this, transform = entry.transform] { transformClick(transform); });
        transformActions_.emplace_back(entry.transform, action);
        if (entry.transform == PictureTransform::Rotate180 ||
            entry.transform == PictureTransform::ShiftRight) {
            Transform1->addSeparator();
        }
    }
    Edit1->addSeparator();
    SelectAll1 = add("SelectAll1", QStringLiteral("Select All"), "edit-select-all",
                     QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::selectAllClick);
    connect(Edit1, &QMenu::aboutToShow, this, &TForm1::refreshPasteActions);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &TForm1::refreshPasteActions);
    connect(document_.get(), &Document::modeChanged, this, &TForm1::refreshPasteActions);
    // Nothing is taken to be on the clipboard until finishStart or one of the signals above asks
    // it: asking waits on the program that holds it, which the first paint should not.
    Paste1->setEnabled(false);
    PasteAsNewBitmap1->setEnabled(false);
    // The items that act on entries wait for a library that has some.
    const Document* document = document_.get();
    connect(document, &Document::modeChanged, this, &TForm1::refreshEntryActions);
    connect(document, &Document::fontLibraryReset, this, &TForm1::refreshEntryActions);
    connect(document, &Document::bitmapLibraryReset, this, &TForm1::refreshEntryActions);
    connect(document, &Document::bitmapInserted, this, &TForm1::refreshEntryActions);
    connect(document, &Document::bitmapRemoved, this, &TForm1::refreshEntryActions);
}

void TForm1::buildToolsMenu() {
    Tools1 = menuBar()->addMenu(QStringLiteral("Tools"));
    Tools1->setObjectName(QStringLiteral("Tools1"));
    toolGroup_ = new QActionGroup(this);
    toolGroup_->setExclusive(true);
    ToolBar1->addSeparator();
    for (std::size_t k = 0; k < kToolItems.size(); ++k) {
        const ToolItem& item = kToolItems[k];
        QAction* action = Tools1->addAction(themeIcon(item.themeIcon, drawnToolIcon(item.tool)),
                                            QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        action->setChecked(item.tool == EditTool::Pixel);
        action->setToolTip(QString::fromLatin1(item.tip));
        toolGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, tool = item.tool] { setTool(tool); });
        toolActions_[k] = action;
        // The tool bar shows the icon alone, as the colour buttons do, with the caption in the
        // tool tip.
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(
            QString::fromLatin1(item.name).replace(QStringLiteral("1"), QStringLiteral("Button")));
        button->setIcon(action->icon());
        button->setToolTip(action->toolTip());
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setChecked(action->isChecked());
        connect(button, &QToolButton::clicked, this, [this, tool = item.tool] { setTool(tool); });
        ToolBar1->addWidget(button);
        toolButtons_[k] = button;
    }
}

void TForm1::buildZoomSteps(QMenu* zoomMenu) {
    zoomMenu->addSeparator();
    ZoomIn1 = zoomMenu->addAction(themeIcon("zoom-in"), QStringLiteral("Zoom In"));
    ZoomIn1->setObjectName(QStringLiteral("ZoomIn1"));
    ZoomIn1->setToolTip(QStringLiteral("Zoom In (Ctrl+=, Ctrl+wheel up)"));
    connect(ZoomIn1, &QAction::triggered, this, &TForm1::zoomInClick);
    ZoomOut1 = zoomMenu->addAction(themeIcon("zoom-out"), QStringLiteral("Zoom Out"));
    ZoomOut1->setObjectName(QStringLiteral("ZoomOut1"));
    ZoomOut1->setToolTip(QStringLiteral("Zoom Out (Ctrl+-, Ctrl+wheel down)"));
    connect(ZoomOut1, &QAction::triggered, this, &TForm1::zoomOutClick);
    // The items of the Zoom menu carry no shortcut key, as its three sizes do; the keys are the
    // window's own.
    const auto windowKeys = [this](const char* name, const QList<QKeySequence>& keys,
                                   void (TForm1::*handler)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    windowKeys("ZoomInKeys",
               {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)},
               &TForm1::zoomInClick);
    windowKeys("ZoomOutKeys", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &TForm1::zoomOutClick);
}

// ---- Tools ----

void TForm1::setTool(EditTool tool) {
    dropShapePreview();
    gesture_.reset();
    tool_ = tool;
    toolAction(tool)->setChecked(true);
    for (std::size_t k = 0; k < toolButtons_.size(); ++k) {
        toolButtons_[k]->setChecked(k == static_cast<std::size_t>(tool));
    }
}

QAction* TForm1::toolAction(EditTool tool) const {
    return toolActions_[static_cast<std::size_t>(tool)];
}

QToolButton* TForm1::toolButton(EditTool tool) const {
    return toolButtons_[static_cast<std::size_t>(tool)];
}

QAction* TForm1::transformAction(PictureTransform transform) const {
    for (const auto& [kind, action] : transformActions_) {
        if (kind == transform) {
            return action;
        }
    }
    return nullptr;
}

void TForm1::pressColourButton(PaletteColour colour) {
    for (const PaletteEntry& entry : kPalette) {
        colourButton(entry.id)->setChecked(entry.id == colour);
    }
    currentColour_ = paletteEntry(colour).value;
}

// ---- Selection ----

std::vector<int> TForm1::selectedEntries() const {
    std::vector<int> entries;
    for (const int row : AdvStringGrid2->selectedGridRows()) {
        if (const auto entry = entryOfRow(row)) {
            entries.push_back(*entry);
        }
    }
    if (entries.empty()) {
        if (const auto entry = entryOfRow(AdvStringGrid2->currentGridRow())) {
            entries.push_back(*entry);
        }
    }
    return entries;
}

void TForm1::selectAllClick() {
    AdvStringGrid2->selectAllRows();
}

PictureKind TForm1::pictureKind() const {
    return editingMode() == EditingMode::Font ? PictureKind::Glyph : PictureKind::Bitmap;
}

void TForm1::transformClick(PictureTransform transform) {
    const std::vector<int> entries = selectedEntries();
    if (entries.empty()) {
        return;
    }
    const auto name =
        std::find_if(kTransformNames.begin(), kTransformNames.end(),
                     [transform](const TransformName& n) { return n.transform == transform; });
    document_->transformEntries(editingMode(), entries, transform, captionOf(name->caption));
}

// ---- Clipboard ----

std::optional<Picture> TForm1::currentPicture() const {
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return std::nullopt;
    }
    const auto take = [](const auto& record) {
        return record.picture ? *record.picture : Picture(record.width, record.height);
    };
    if (editingMode() == EditingMode::Font) {
        return take(fontLibrary().glyphs[static_cast<std::size_t>(*entry)]);
    }
    return take(bitmapLibrary().entries[static_cast<std::size_t>(*entry)]);
}

void TForm1::copyClick() {
    if (const auto picture = currentPicture()) {
        QApplication::clipboard()->setMimeData(pictureMimeData(*picture, pictureKind()).release());
    }
}

void TForm1::cutClick() {
    if (!currentPicture()) {
        return;
    }
    copyClick();
    document_->transformEntries(editingMode(), selectedEntries(), PictureTransform::Clear,
                                QStringLiteral("Cut"));
}

void TForm1::refreshEntryActions() {
    const EditingMode mode = editingMode();
    const bool entries = (mode == EditingMode::Font && fontLibrary().count > 0) ||
                         (mode == EditingMode::Bitmap && bitmapLibrary().count() > 0);
    for (QAction* action : {Cut1, Copy1, SelectAll1, Transform1->menuAction(), ImageIntoEntry1}) {
        action->setEnabled(entries);
    }
}

void TForm1::refreshPasteActions() {
    const bool picture = holdsPicture(QApplication::clipboard()->mimeData());
    Paste1->setEnabled(picture);
    PasteAsNewBitmap1->setEnabled(picture && editingMode() == EditingMode::Bitmap);
}

void TForm1::pasteClick() {
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return;
    }
    auto picture = pictureFromMimeData(QApplication::clipboard()->mimeData(), pictureKind());
    if (!picture.ok()) {
        prompter_->showMessage(this, QString::fromStdString(picture.error().message));
        return;
    }
    document_->pasteIntoEntry(editingMode(), *entry, std::move(picture).value());
}

void TForm1::pasteAsNewBitmapClick() {
    if (editingMode() != EditingMode::Bitmap) {
        return;
    }
    auto picture = pictureFromMimeData(QApplication::clipboard()->mimeData(), PictureKind::Bitmap);
    if (!picture.ok()) {
        prompter_->showMessage(this, QString::fromStdString(picture.error().message));
        return;
    }
    QString name;
    for (int n = 1; name.isEmpty(); ++n) {
        const QString candidate = QStringLiteral("PASTE%1").arg(n);
        if (checkBitmapName(candidate, bitmapLibrary().index).ok()) {
            name = candidate;
        }
    }
    Picture pasted = std::move(picture).value();
    const int width = pasted.width();
    const int height = pasted.height();
    document_->appendBitmap({name.toStdString(), width, height, std::move(pasted)});
    AdvStringGrid2->setCurrentGridRow(bitmapLibrary().count());
    AdvStringGrid2Click();
}

// ---- Zoom steps ----

QAction* TForm1::zoomItemOf(int zoom) const {
    switch (zoom) {
    case 8:
        return N8pixels2;
    case 10:
        return N10pixels2;
    case 12:
        return N14pixels1;
    default:
        return nullptr;
    }
}

void TForm1::zoomInClick() {
    const auto next = std::upper_bound(kZoomSizes.begin(), kZoomSizes.end(), zoom_);
    if (next != kZoomSizes.end()) {
        setZoom(*next, zoomItemOf(*next));
    }
}

void TForm1::zoomOutClick() {
    const auto next = std::lower_bound(kZoomSizes.begin(), kZoomSizes.end(), zoom_);
    if (next != kZoomSizes.begin()) {
        setZoom(*(next - 1), zoomItemOf(*(next - 1)));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers().testFlag(Qt::ControlModifier) && wheel->angleDelta().y() != 0) {
            if (wheel->angleDelta().y() > 0) {
                zoomInClick();
            } else {
                zoomOutClick();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace korvel
