#include "app/umain.h"

#include "app/lazyicon.h"
#include "app/ledpreview.h"
#include "app/libraryexchange.h"
#include "app/libraryopening.h"
#include "app/uallpreview.h"
#include "app/uimageimport.h"
#include "app/umodify.h"
#include "app/usetup.h"
#include "document/librarytext.h"
#include "formats/formattable.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <vector>

namespace korvel {

namespace {

const QString kTitle = QStringLiteral("Korvel Font/Bitmap Creater");
// The file dialogs keep their own titles; the extensions come from the format table.
[[nodiscard]] QString filterOf(const char* title, FormatId format) {
    return QString::fromStdString(dialogFilter(title, format));
}
const QString kFontOpenFilter = filterOf("Font Library File", FormatId::Lcm);
const QString kFontSaveFilter = filterOf("Font Model File", FormatId::Lcm);
const QString kFontDefaultExt = QStringLiteral("*.lcm");
const QString kBitmapFilter = filterOf("Bitmap Library File", FormatId::Bcm);
const QString kBitmapDefaultExt = QStringLiteral("*.bcm");

constexpr int kListWidth = 262;
constexpr std::array<int, 6> kPanelWidths{50, 50, 80, 50, 50, 50};
constexpr std::array<const char*, 6> kPanelTexts{"x:", "y:", "mode:", "R:", "G:", "B:"};
constexpr std::array<const char*, 8> kColourButtonNames{
    "ToolButton7",  "ToolButton8",  "ToolButton10", "ToolButton11",
    "ToolButton18", "ToolButton19", "ToolButton20", "ToolButton1"};

/// A tool button whose pressed state only its click handler flips.
class ColourButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void nextCheckState() override {}
};

QIcon colourIcon(Rgb colour) {
    QPixmap square(16, 16);
    square.fill(toQColor(colour));
    QPainter painter(&square);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(square);
}

/// The form a character of the list's first column takes: control characters in caret
/// notation (^@, ^A, ... ^?), so every row shows something in any font.
QString visibleCharacter(int code) {
    if (code < 32) {
        return QStringLiteral("^") + QChar(0x40 + code);
    }
    if (code == 127) {
        return QStringLiteral("^?");
    }
    return characterOfCode(code);
}

/// The window's type: "Microsoft Sans Serif" at 8 points, or where the desktop lacks it a face
/// of nearly the same widths (Arial's metrics), so the texts fit the sizes laid out for them.
QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    font.setPointSize(8);
    return font;
}

/// The decimal text of a number; the sizes of the list (0 to 1024) come from a shared table, so
/// filling many rows makes no new strings for them.
QString numberText(int value) {
    static const std::vector<QString> kSizes = [] {
        std::vector<QString> texts;
        for (int n = 0; n <= 1024; ++n) {
            texts.push_back(QString::number(n));
        }
        return texts;
    }();
    if (value >= 0 && value < static_cast<int>(kSizes.size())) {
        return kSizes[static_cast<std::size_t>(value)];
    }
    return QString::number(value);
}

int cellNumber(const QString& text) {
    return text.trimmed().toInt();
}

} // namespace

TForm1::TForm1(std::unique_ptr<Prompter> prompter, QWidget* parent)
    : QMainWindow(parent), prompter_(std::move(prompter)), document_(std::make_unique<Document>()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    setFont(windowFont());
    setGeometry(457, 163, 889, 529);
    setAcceptDrops(true);
    buildToolBar();
    buildMenus();
    buildCentralArea();
    buildStatusBar();
    connectDocument();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::createDialogs() {
    static_cast<void>(setupDialog());
    static_cast<void>(modifyDialog());
    static_cast<void>(previewDialog());
}

void TForm1::finishStart() {
    createDialogs();
    refreshPasteActions();
}

TForm2& TForm1::setupDialog() {
    if (form2_ == nullptr) {
        form2_ = new TForm2(*this);
    }
    return *form2_;
}

TForm3& TForm1::modifyDialog() {
    if (form3_ == nullptr) {
        form3_ = new TForm3(*this);
    }
    return *form3_;
}

TForm4& TForm1::previewDialog() {
    if (form4_ == nullptr) {
        form4_ = new TForm4(*this);
    }
    return *form4_;
}

void TForm1::FormCreate() {
    document_->clearBitmapNames();
    advinit();
    colourButton(PaletteColour::Black)->setChecked(true);
    document_->setMode(EditingMode::None);
    workPicture_ = Picture(96, 96);
    highlight_ = {};
    pointer_ = {};
    restoreColour_ = kNoColour;
    sampledColour_ = kNoColour;
    currentColour_ = kBlack;
    zoom_ = 8;
}

void TForm1::buildToolBar() {
    ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"), this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(23);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto* label = new QLabel(QStringLiteral("Color Select"), ToolBar1);
    label->setObjectName(QStringLiteral("Panel1"));
    label->setFixedWidth(63);
    label->setAlignment(Qt::AlignCenter);
    ToolBar1->addWidget(label);
    for (std::size_t k = 0; k < kPalette.size(); ++k) {
        const PaletteEntry& entry = kPalette[k];
        auto* button = new ColourButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(kColourButtonNames[k]));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(colourIcon(entry.value));
        button->setToolTip(
            QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
        button->setEnabled(false);
        connect(button, &QToolButton::clicked, this,
                [this, id = entry.id] { colourButtonClick(id); });
        ToolBar1->addWidget(button);
        colourButtons_[k] = button;
    }
    addToolBar(Qt::TopToolBarArea, ToolBar1);
}

void TForm1::buildMenus() {
    QStyle* look = style();
    // The style's icons are made when a menu first shows them.
    const auto standardIcon = [look](QStyle::StandardPixmap which) {
        return lazyIcon([look, which] { return look->standardIcon(which); });
    };
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             const QIcon& icon, void (TForm1::*handler)()) {
        QAction* action = menu->addAction(icon, caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setIconVisibleInMenu(!icon.isNull());
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* fontMenu = menuBar()->addMenu(QStringLiteral("Font Library      "));
    fontMenu->setObjectName(QStringLiteral("FontLibrary1"));
    N2 = item(fontMenu, "N2", QStringLiteral("Open Library"),
              standardIcon(QStyle::SP_DialogOpenButton), &TForm1::N2Click);
    NewFontFile1 = item(fontMenu, "NewFontFile1", QStringLiteral("New Library"),
                        standardIcon(QStyle::SP_FileIcon), &TForm1::NewFontFile1Click);
    N3 = item(fontMenu, "N3", QStringLiteral("Save Library"),
              standardIcon(QStyle::SP_DialogSaveButton), &TForm1::N3Click);
    QMenu* preview = fontMenu->addMenu(standardIcon(QStyle::SP_FileDialogContentsView),
                                       QStringLiteral("Preview Library"));
    preview->setObjectName(QStringLiteral("PreviewLibrary1"));
    AllFont1 = item(preview, "AllFont1", QStringLiteral("All Font"),
                    standardIcon(QStyle::SP_FileDialogListView), &TForm1::AllFont1Click);
    De1 = item(preview, "De1", QStringLiteral("Defined Font"),
               standardIcon(QStyle::SP_FileDialogDetailedView), &TForm1::De1Click);

    BitmapLibrary1 = menuBar()->addMenu(QStringLiteral("Bitmap Library     "));
    BitmapLibrary1->setObjectName(QStringLiteral("BitmapLibrary1"));
    connect(BitmapLibrary1, &QMenu::aboutToShow, this, &TForm1::BitmapLibrary1Click);
    OpenBitmapFile1 =
        item(BitmapLibrary1, "OpenBitmapFile1", QStringLiteral("Open Library"),
             standardIcon(QStyle::SP_DialogOpenButton), &TForm1::OpenBitmapFile1Click);
    NewBitampFile1 = item(BitmapLibrary1, "NewBitampFile1", QStringLiteral("New  Library"),
                          standardIcon(QStyle::SP_FileIcon), &TForm1::NewBitampFile1Click);
    SaveBitmapFile1 =
        item(BitmapLibrary1, "SaveBitmapFile1", QStringLiteral("Save Library"),
             standardIcon(QStyle::SP_DialogSaveButton), &TForm1::SaveBitmapFile1Click);
    AddBitmapFile1 =
        item(BitmapLibrary1, "AddBitmapFile1", QStringLiteral("Add  Bitmap "),
             standardIcon(QStyle::SP_FileDialogNewFolder), &TForm1::AddBitmapFile1Click);
    RemoveBitmap1 = item(BitmapLibrary1, "RemoveBitmap1", QStringLiteral("Delete Bitmap"),
                         standardIcon(QStyle::SP_TrashIcon), &TForm1::RemoveBitmap1Click);

    QMenu* zoomMenu = menuBar()->addMenu(QStringLiteral("Zoom    "));
    zoomMenu->setObjectName(QStringLiteral("Zoom1"));
    N8pixels2 =
        item(zoomMenu, "N8pixels2", QStringLiteral("  8 pixels"), QIcon(), &TForm1::N8pixels2Click);
    N10pixels2 = item(zoomMenu, "N10pixels2", QStringLiteral("10 pixels"), QIcon(),
                      &TForm1::N10pixels2Click);
    N14pixels1 = item(zoomMenu, "N14pixels1", QStringLiteral("12 pixels"), QIcon(),
                      &TForm1::N14pixels1Click);
    buildZoomSteps(zoomMenu);
    QFont mark = N10pixels2->font();
    mark.setBold(true);
    N10pixels2->setFont(mark);
    buildEditMenu();
    buildExchangeMenus();
    buildImportMenu();
    buildOptionsMenu();
    refreshEntryActions();
}

void TForm1::buildOptionsMenu() {
    Options1 = menuBar()->addMenu(QStringLiteral("Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    CodePage1 = Options1->addMenu(QStringLiteral("Code Page"));
    CodePage1->setObjectName(QStringLiteral("CodePage1"));
    // One radio item per code page, in a submenu per script, all in one exclusive group.
    auto* group = new QActionGroup(CodePage1);
    group->setExclusive(true);
    QMenu* scriptMenu = nullptr;
    for (const CodePage& page : allCodePages()) {
        const QString script =
            QString::fromUtf8(page.script().data(), static_cast<qsizetype>(page.script().size()));
        if (scriptMenu == nullptr || scriptMenu->title() != script) {
            scriptMenu = CodePage1->addMenu(script);
        }
        QAction* action = scriptMenu->addAction(QString::fromUtf8(
            page.caption().data(), static_cast<qsizetype>(page.caption().size())));
        action->setObjectName(
            QStringLiteral("CodePage_") +
            QString::fromUtf8(page.name().data(), static_cast<qsizetype>(page.name().size())));
        action->setCheckable(true);
        action->setChecked(page == document_->codePage());
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, page] { setCodePage(page); });
    }
}

QAction* TForm1::codePageItem(const CodePage& page) const {
    return CodePage1->findChild<QAction*>(
        QStringLiteral("CodePage_") +
        QString::fromUtf8(page.name().data(), static_cast<qsizetype>(page.name().size())));
}

void TForm1::setCodePage(const CodePage& page) {
    document_->setCodePage(page);
}

QString TForm1::upperCodeCharacter(int code) const {
    const CodePage& page = document_->codePage();
    const auto byte = static_cast<std::uint8_t>(code);
    const auto character = page.toUnicode(byte);
    // Control characters (C1) and undefined codes have no visible form: their cells stay empty.
    if (page == windows1252() || !page.defines(byte) || !character ||
        (*character >= 0x80 && *character <= 0x9F)) {
        return QString();
    }
    return characterOfCode(code, page);
}

void TForm1::codePageChanged(const CodePage& previous) {
    if (QAction* item = codePageItem(document_->codePage())) {
        item->setChecked(true);
    }
    StringGrid& grid = *AdvStringGrid2;
    const StringGrid::Batch batch(grid);
    if (fontLayoutShown()) {
        for (int row = 129; row < grid.rows() && row <= kGlyphSlots; ++row) {
            grid.setCell(0, row, upperCodeCharacter(row - 1));
        }
        return;
    }
    if (!bitmapLayoutShown()) {
        return;
    }
    const CodePage& page = document_->codePage();
    const auto& entries = bitmapLibrary().entries;
    for (int row = 1; row < grid.rows() && row <= static_cast<int>(entries.size()); ++row) {
        const std::string& name = entries[static_cast<std::size_t>(row - 1)].name;
        if (grid.cell(2, row) == fromLibraryText(name, previous)) {
            grid.setCell(2, row, fromLibraryText(name, page));
        }
    }
}

void TForm1::buildExchangeMenus() {
    exchange_ = new LibraryExchange(*this);
    Import1 = menuBar()->addMenu(QStringLiteral("Import"));
    Import1->setObjectName(QStringLiteral("Import1"));
    exchange_->fillImportMenu(*Import1);
    Export1 = menuBar()->addMenu(QStringLiteral("Export"));
    Export1->setObjectName(QStringLiteral("Export1"));
    exchange_->fillExportMenu(*Export1);
    View1 = menuBar()->addMenu(QStringLiteral("View"));
    View1->setObjectName(QStringLiteral("View1"));
    LedPreview1 = View1->addAction(QStringLiteral("LED Preview"));
    LedPreview1->setObjectName(QStringLiteral("LedPreview1"));
    LedPreview1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(LedPreview1, &QAction::triggered, this, &TForm1::LedPreview1Click);
}

void TForm1::LedPreview1Click() {
    if (ledPreview_ == nullptr) {
        ledPreview_ = new LedPreview(*this);
    }
    ledPreview_->show();
    ledPreview_->raise();
    ledPreview_->activateWindow();
}

QMenu* TForm1::importMenu() {
    const QString title = QStringLiteral("Import");
    const QList<QAction*> menus = menuBar()->actions();
    for (QAction* action : menus) {
        if (action->menu() != nullptr && action->text() == title) {
            return action->menu();
        }
    }
    // After "Edit" and "Tools", before "Export", "View" and "Options".
    QAction* before = nullptr;
    for (QAction* action : menus) {
        const QString text = action->text();
        if (text == QStringLiteral("Export") || text == QStringLiteral("View") ||
            text == QStringLiteral("Options")) {
            before = action;
            break;
        }
    }
    auto* menu = new QMenu(title, menuBar());
    menu->setObjectName(QStringLiteral("Import1"));
    menuBar()->insertMenu(before, menu);
    return menu;
}

void TForm1::buildImportMenu() {
    ImageIntoEntry1 = importMenu()->addAction(QStringLiteral("Image into Entry\u2026"));
    ImageIntoEntry1->setObjectName(QStringLiteral("ImageIntoEntry1"));
    ImageIntoEntry1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(ImageIntoEntry1, &QAction::triggered, this, &TForm1::ImageIntoEntry1Click);
}

ImageImportDialog& TForm1::imageImportDialog() {
    if (imageImport_ == nullptr) {
        imageImport_ = new ImageImportDialog(*this);
    }
    return *imageImport_;
}

void TForm1::ImageIntoEntry1Click() {
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return;
    }
    ImageImportDialog& dialog = imageImportDialog();
    dialog.prepare(*entry);
    if (!dialog.chooseFile()) {
        return;
    }
    prompter_->showModal(dialog);
}

void TForm1::buildEditMenu() {
    Edit1 = menuBar()->addMenu(QStringLiteral("Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // The group's actions name what they will undo or redo and follow the active history.
    Undo1 = document_->history().createUndoAction(Edit1);
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = document_->history().createRedoAction(Edit1);
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    Edit1->addAction(Undo1);
    Edit1->addAction(Redo1);
    buildEditGroups();
    buildToolsMenu();
}

void TForm1::buildCentralArea() {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    AdvStringGrid2 = new StringGrid(central);
    AdvStringGrid2->setObjectName(QStringLiteral("AdvStringGrid2"));
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSize(8);
    AdvStringGrid2->setFont(listFont);
    AdvStringGrid2->setColumnCount(5);
    AdvStringGrid2->setBoldColumns(2);
    AdvStringGrid2->horizontalHeader()->setDefaultSectionSize(40);
    AdvStringGrid2->verticalHeader()->setDefaultSectionSize(18);
    AdvStringGrid2->setFixedWidth(kListWidth);
    connect(AdvStringGrid2, &StringGrid::gridClicked, this, &TForm1::AdvStringGrid2Click);
    connect(AdvStringGrid2, &StringGrid::gridDoubleClicked, this, &TForm1::AdvStringGrid2DblClick);
    layout->addWidget(AdvStringGrid2);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvasHolder_ = new QWidget;
    Image1 = new CellCanvas(canvasHolder_);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(1, 1);
    Image1->setFixedSize(96, 96);
    canvasHolder_->resize(98, 98);
    ScrollBox1->setWidget(canvasHolder_);
    Image1->hide();
    connect(Image1, &CellCanvas::pointerMoved, this, &TForm1::canvasMoved);
    connect(Image1, &CellCanvas::buttonPressed, this, &TForm1::canvasPressed);
    connect(Image1, &CellCanvas::buttonReleased, this, &TForm1::canvasReleased);
    // Ctrl+wheel zooms anywhere over the canvas's area; the canvas passes wheels on to it.
    ScrollBox1->viewport()->installEventFilter(this);
    layout->addWidget(ScrollBox1, 1);
    setCentralWidget(central);
}

void TForm1::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (std::size_t k = 0; k < statusPanels_.size(); ++k) {
        auto* panel = new QLabel(QString::fromLatin1(kPanelTexts[k]), bar);
        panel->setFixedWidth(kPanelWidths[k]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        statusPanels_[k] = panel;
    }
    setStatusBar(bar);
}

QString TForm1::statusPanelText(int panel) const {
    return statusPanels_.at(static_cast<std::size_t>(panel))->text();
}

void TForm1::setStatusPanelText(int panel, const QString& text) {
    statusPanels_.at(static_cast<std::size_t>(panel))->setText(text);
}

QToolButton* TForm1::colourButton(PaletteColour colour) const {
    return colourButtons_[static_cast<std::size_t>(colour)];
}

void TForm1::beginEditing(EditingMode mode) {
    setEditingMode(mode);
    setStatusPanelText(2, mode == EditingMode::Font ? QStringLiteral("mode:font")
                                                    : QStringLiteral("mode:bitmap"));
    enableColourButtons(mode);
}

void TForm1::enableColourButtons(EditingMode mode) {
    for (const PaletteEntry& entry : kPalette) {
        const bool fontColour = entry.id == PaletteColour::Red || entry.id == PaletteColour::Fuchia;
        colourButton(entry.id)->setEnabled(mode == EditingMode::Bitmap ||
                                           (mode == EditingMode::Font && fontColour));
    }
}

// ---- Library list ----

void TForm1::advinit() {
    // Kept on purpose: the font layout leaves columns 2 to 4 as they were, so rows the next
    // library does not fill keep their earlier texts.
    StringGrid& grid = *AdvStringGrid2;
    grid.setCell(0, 0, QString());
    grid.setCell(1, 0, QString());
    grid.setCell(2, 0, QStringLiteral("Id"));
    grid.setCell(3, 0, QStringLiteral("Width"));
    grid.setCell(4, 0, QStringLiteral("Height"));
    constexpr std::array<int, 5> widths{25, 30, 80, 50, 50};
    for (int column = 0; column < 5; ++column) {
        grid.setColWidth(column, widths[static_cast<std::size_t>(column)]);
    }
    grid.setRows(129);
    listLayout_ = ListLayout::Font;
    const StringGrid::Batch batch(grid);
    for (int code = 0; code < 128; ++code) {
        grid.setCell(0, code + 1, visibleCharacter(code));
        grid.setCell(1, code + 1, QString::number(code));
    }
    refreshHistory();
}

void TForm1::advinitbmp() {
    document_->clearBitmapNames();
    showBitmapLayout(2);
}

void TForm1::showBitmapLayout(int rows) {
    StringGrid& grid = *AdvStringGrid2;
    grid.clearCells();
    grid.setCell(0, 0, QString());
    grid.setCell(1, 0, QString());
    grid.setCell(2, 0, QStringLiteral("Name"));
    grid.setCell(3, 0, QStringLiteral("Width"));
    grid.setCell(4, 0, QStringLiteral("Height"));
    constexpr std::array<int, 5> widths{0, 0, 80, 50, 50};
    for (int column = 0; column < 5; ++column) {
        grid.setColWidth(column, widths[static_cast<std::size_t>(column)]);
    }
    // Every cell is empty now, so going straight to the final row count is the same as
    // shrinking to one data row and growing again, without the cost of both.
    grid.setRows(rows);
    listLayout_ = ListLayout::Bitmap;
    refreshHistory();
}

void TForm1::refreshHistory() {
    const EditingMode mode = editingMode();
    document_->setHistoryReachable((mode == EditingMode::Font && fontLayoutShown()) ||
                                   (mode == EditingMode::Bitmap && bitmapLayoutShown()));
}

void TForm1::highlightCurrentRow() {
    StringGrid& grid = *AdvStringGrid2;
    const int row = grid.currentGridRow();
    if (row >= 1 && row < grid.rows()) {
        grid.setCurrentGridRow(row);
    } else {
        grid.clearSelection();
    }
}

std::optional<int> TForm1::entryOfRow(int row) const {
    if (row <= 0 || row >= AdvStringGrid2->rows() || AdvStringGrid2->cell(2, row).isEmpty()) {
        return std::nullopt;
    }
    const int entry = row - 1;
    const QString shown = AdvStringGrid2->cell(2, row);
    const EditingMode mode = editingMode();
    if (mode == EditingMode::Font && entry < kGlyphSlots && shown == QString::number(entry)) {
        return entry;
    }
    if (mode == EditingMode::Bitmap && entry < bitmapLibrary().count() &&
        shown == fromLibraryText(bitmapLibrary().entries[static_cast<std::size_t>(entry)].name,
                                 document_->codePage())) {
        return entry;
    }
    return std::nullopt;
}

void TForm1::writeGlyphRow(int code) {
    const GlyphRecord& glyph = fontLibrary().glyphs[static_cast<std::size_t>(code)];
    StringGrid& grid = *AdvStringGrid2;
    const int row = code + 1;
    grid.setCell(1, row, numberText(code));
    grid.setCell(2, row, numberText(code));
    grid.setCell(3, row, numberText(glyph.width));
    grid.setCell(4, row, numberText(glyph.height));
    if (code >= 128 && document_->codePage() != windows1252()) {
        grid.setCell(0, row, upperCodeCharacter(code));
    }
}

void TForm1::writeBitmapRow(int position) {
    const bitmapInfoList& entry = bitmapLibrary().entries[static_cast<std::size_t>(position)];
    StringGrid& grid = *AdvStringGrid2;
    const int row = position + 1;
    grid.setCell(2, row, fromLibraryText(entry.name, document_->codePage()));
    grid.setCell(3, row, numberText(entry.width));
    grid.setCell(4, row, numberText(entry.height));
}

// ---- Following the document ----

void TForm1::connectDocument() {
    Document* doc = document_.get();
    connect(doc, &Document::modeChanged, this, &TForm1::refreshHistory);
    connect(doc, &Document::codePageChanged, this, &TForm1::codePageChanged);
    connect(doc, &Document::fontLibraryReset, this, &TForm1::fontLibraryReset);
    connect(doc, &Document::glyphChanged, this, &TForm1::glyphChanged);
    connect(doc, &Document::bitmapLibraryReset, this, &TForm1::bitmapLibraryReset);
    connect(doc, &Document::bitmapInserted, this, &TForm1::bitmapInserted);
    connect(doc, &Document::bitmapRemoved, this, &TForm1::bitmapRemoved);
    connect(doc, &Document::bitmapChanged, this, &TForm1::bitmapChanged);
}

void TForm1::fontLibraryReset(LibraryReset why) {
    const int count = fontLibrary().count;
    if (why == LibraryReset::Opened) {
        // The canvas showed an entry of the library being replaced: nothing may be painted until
        // a row of the new library is clicked.
        hideCanvas();
        advinit();
        if (count + 1 > AdvStringGrid2->rows()) {
            AdvStringGrid2->setRows(count + 1);
        }
    } else {
        AdvStringGrid2->setRows(count + 1);
    }
    {
        const StringGrid::Batch batch(*AdvStringGrid2);
        for (int code = 0; code < count; ++code) {
            writeGlyphRow(code);
        }
    }
    if (why == LibraryReset::Opened) {
        highlightCurrentRow();
    }
}

void TForm1::refreshShownRow(int row) {
    if (!ownEdit_ && AdvStringGrid2->currentGridRow() == row) {
        AdvStringGrid2Click();
    }
}

void TForm1::glyphChanged(int code) {
    const int row = code + 1;
    if (!fontLayoutShown() || row >= AdvStringGrid2->rows()) {
        return;
    }
    if (!AdvStringGrid2->cell(2, row).isEmpty()) {
        writeGlyphRow(code);
    }
    refreshShownRow(row);
}

void TForm1::bitmapLibraryReset(LibraryReset why) {
    // The library has just made its own name index; the list takes the bitmap layout.
    if (why == LibraryReset::Made) {
        AdvStringGrid2->clearCells();
    }
    const int count = bitmapLibrary().count();
    // An empty library keeps its one empty data row, which the first new bitmap fills.
    showBitmapLayout(std::max(count + 1, 2));
    // Opened or made, the canvas showed an entry of the library being replaced: nothing may be
    // painted until a row of the new library is clicked.
    hideCanvas();
    {
        const StringGrid::Batch batch(*AdvStringGrid2);
        for (int position = 0; position < count; ++position) {
            writeBitmapRow(position);
        }
    }
    highlightCurrentRow();
}

void TForm1::bitmapInserted(int position) {
    if (!bitmapLayoutShown()) {
        return;
    }
    StringGrid& grid = *AdvStringGrid2;
    const int row = position + 1;
    if (position == bitmapLibrary().count() - 1) {
        // An empty library's row 1 already stands empty; the list never ends above the new row.
        const int grown = position > 0 ? grid.rows() + 1 : grid.rows();
        grid.setRows(std::max(grown, row + 1));
    } else {
        grid.insertDataRow(row);
    }
    writeBitmapRow(position);
    refreshShownRow(row);
}

void TForm1::bitmapRemoved(int position) {
    if (!bitmapLayoutShown()) {
        return;
    }
    StringGrid& grid = *AdvStringGrid2;
    const int row = position + 1;
    const bool shown = grid.currentGridRow() == row;
    if (bitmapLibrary().count() > 0) {
        grid.removeDataRow(row);
        if (!shown) {
            return;
        }
        // The row that now holds the entry after the removed one, or the last row.
        grid.setCurrentGridRow(std::min(row, grid.rows() - 1));
    } else {
        showBitmapLayout(2);
        grid.setCurrentGridRow(1);
    }
    AdvStringGrid2Click();
}

void TForm1::bitmapChanged(int position) {
    const int row = position + 1;
    if (!bitmapLayoutShown() || row >= AdvStringGrid2->rows()) {
        return;
    }
    if (!AdvStringGrid2->cell(2, row).isEmpty()) {
        writeBitmapRow(position);
    }
    refreshShownRow(row);
}

void TForm1::appendBitmap(bitmapInfoList entry) {
    const QScopedValueRollback own(ownEdit_, true);
    document_->appendBitmap(std::move(entry));
}

void TForm1::AdvStringGrid2Click() {
    const int row = AdvStringGrid2->currentGridRow();
    if (row <= 0) {
        return;
    }
    if (AdvStringGrid2->cell(2, row).isEmpty()) {
        hideCanvas();
        return;
    }
    Image1->show();
    const int slot = row - 1;
    const auto showEntry = [this](int width, int height, const std::optional<Picture>& picture) {
        workPicture_ = Picture(width, height);
        if (picture) {
            workPicture_.draw(*picture);
        }
        bmpopen(workPicture_.width(), workPicture_.height(), zoom_);
    };
    const EditingMode mode = editingMode();
    if (mode == EditingMode::Font && slot < kGlyphSlots) {
        const GlyphRecord& glyph = fontLibrary().glyphs[static_cast<std::size_t>(slot)];
        showEntry(glyph.width, glyph.height, glyph.picture);
    } else if (mode == EditingMode::Bitmap && slot < bitmapLibrary().count()) {
        const bitmapInfoList& entry = bitmapLibrary().entries[static_cast<std::size_t>(slot)];
        showEntry(entry.width, entry.height, entry.picture);
    }
    restoreColour_ = kNoColour;
    sampledColour_ = kNoColour;
}

void TForm1::AdvStringGrid2DblClick() {
    const int row = AdvStringGrid2->currentGridRow();
    if (row <= 0 || AdvStringGrid2->cell(2, row).isEmpty()) {
        return;
    }
    if (editingMode() == EditingMode::None) {
        return;
    }
    TForm3::Target target;
    target.fontMode = editingMode() == EditingMode::Font;
    if (target.fontMode) {
        target.selected = cellNumber(AdvStringGrid2->cell(2, row));
    } else {
        target.name = AdvStringGrid2->cell(2, row);
        target.selected = entryOfRow(row).value_or(-1);
    }
    target.width = cellNumber(AdvStringGrid2->cell(3, row));
    target.height = cellNumber(AdvStringGrid2->cell(4, row));
    TForm3& dialog = modifyDialog();
    dialog.prepare(target);
    prompter_->showModal(dialog);
}

// ---- Pixel editor ----

void TForm1::hideCanvas() {
    Image1->hide();
    // With no picture shown there is nothing to scroll to: the last picture's scroll bars go.
    canvasHolder_->resize(0, 0);
}

void TForm1::bmpopen(int width, int height, int zoom) {
    Image1->showPicture(workPicture_, zoom, CellColourRule::Display);
    canvasHolder_->resize(Image1->width() + 1, Image1->height() + 1);
    viewWidth_ = width;
    viewHeight_ = height;
    cellWidth_ = zoom;
    cellHeight_ = zoom;
    highlight_ = {};
    pointer_ = {};
}

std::optional<CanvasCell> TForm1::MouseToColor(int x, int y) const {
    if (cellHeight_ > 0 && cellWidth_ > 0 && x >= 0 && y >= 0) {
        return CanvasCell{y / cellHeight_, x / cellWidth_};
    }
    return std::nullopt;
}

void TForm1::Image1MouseMove(int x, int y) {
    const auto cell = MouseToColor(x, y);
    if (!cell || cell->column >= viewWidth_ || cell->row >= viewHeight_) {
        return;
    }
    if (restoreColour_ != kNoColour) {
        Image1->drawOutline(highlight_.left, highlight_.top, restoreColour_);
    }
    pointer_ = {cell->column * cellWidth_, cell->row * cellHeight_};
    // Below three screen pixels a cell has no grid line, and the pixel one to the right and
    // below its corner lies in the next cell: the cell's own colour is read instead.
    sampledColour_ = Image1->showsGrid() ? Image1->pixelAt(pointer_.left + 1, pointer_.top + 1)
                                         : Image1->cellColour(cell->column, cell->row);
    Image1->drawOutline(pointer_.left, pointer_.top, kWhite);
    highlight_ = pointer_;
    restoreColour_ = sampledColour_;
    // Kept as users of the original know it: the "x:" panel shows the row and "y:" the column.
    setStatusPanelText(0, QStringLiteral("x:") + QString::number(cell->row));
    setStatusPanelText(1, QStringLiteral("y:") + QString::number(cell->column));
    setStatusPanelText(3, QStringLiteral("R:") + QString::number(redOf(sampledColour_)));
    setStatusPanelText(4, QStringLiteral("G:") + QString::number(greenOf(sampledColour_)));
    setStatusPanelText(5, QStringLiteral("B:") + QString::number(blueOf(sampledColour_)));
}

void TForm1::Image1MouseUp(int x, int y) {
    if (viewHeight_ <= 0 || Image1->isHidden()) {
        return;
    }
    const auto cell = MouseToColor(x, y);
    if (!cell || cell->column >= viewWidth_ || cell->row >= viewHeight_) {
        return;
    }
    Image1->fillCellInterior(cell->column, cell->row, currentColour_);
    restoreColour_ = kNoColour;
    sampledColour_ = kNoColour;
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return;
    }
    // The canvas already shows the painted cell; the document records the pixel and its undo.
    const QScopedValueRollback own(ownEdit_, true);
    if (editingMode() == EditingMode::Font) {
        document_->paintGlyphPixel(*entry, cell->column, cell->row, currentColour_);
    } else {
        document_->paintBitmapPixel(*entry, cell->column, cell->row, currentColour_);
    }
}

void TForm1::colourButtonClick(PaletteColour colour) {
    QToolButton* button = colourButton(colour);
    button->setChecked(!button->isChecked());
    if (!button->isChecked()) {
        return;
    }
    for (QToolButton* other : colourButtons_) {
        if (other != button) {
            other->setChecked(false);
        }
    }
    currentColour_ = paletteEntry(colour).value;
}

void TForm1::ToolButton7Click() {
    colourButtonClick(PaletteColour::Red);
}
void TForm1::ToolButton8Click() {
    colourButtonClick(PaletteColour::Green);
}
void TForm1::ToolButton10Click() {
    colourButtonClick(PaletteColour::Yellow);
}
void TForm1::ToolButton11Click() {
    colourButtonClick(PaletteColour::Black);
}
void TForm1::ToolButton18Click() {
    colourButtonClick(PaletteColour::Blue);
}
void TForm1::ToolButton19Click() {
    colourButtonClick(PaletteColour::Aqua);
}
void TForm1::ToolButton20Click() {
    colourButtonClick(PaletteColour::White);
}
void TForm1::ToolButton1Click() {
    colourButtonClick(PaletteColour::Fuchia);
}

// ---- Font library ----

void TForm1::showFileError(const QString& text) {
    prompter_->showError(this, text);
}

void TForm1::reportOpenFault(const QString& fileName, const QString& kind, const Error& fault) {
    const QString reason = QString::fromStdString(fault.message);
    if (fault.kind == ErrorKind::Access) {
        showFileError(reason);
    } else {
        showFileError(
            QStringLiteral("\"%1\" is not a valid %2 file: %3.").arg(fileName, kind, reason));
    }
}

bool TForm1::reportSaveFault(const QString& fileName, const Result<SaveMethod>& saved) {
    if (saved) {
        if (saved.value() == SaveMethod::InPlace) {
            prompter_->showMessage(this, QStringLiteral("\"%1\" was overwritten in place: its "
                                                        "folder allows no new file.")
                                             .arg(fileName));
        }
        return true;
    }
    const QString reason = QString::fromStdString(saved.error().message);
    if (saved.error().kind == ErrorKind::Access) {
        showFileError(reason);
    } else {
        showFileError(QStringLiteral("Cannot save \"%1\". %2").arg(fileName, reason));
    }
    return false;
}

bool TForm1::SaveProtolFile(int count, const QString& fileName) {
    return reportSaveFault(fileName, document_->saveFontFile(fileName.toStdString(), count));
}

bool TForm1::OpenProtolFile(const QString& fileName) {
    if (const auto opened = document_->openFontFile(fileName.toStdString()); !opened) {
        reportOpenFault(fileName, QStringLiteral("font library"), opened.error());
        return false;
    }
    enableColourButtons(EditingMode::Font);
    return true;
}

void TForm1::N2Click() {
    if (const auto path = prompter_->askOpenFile(this, kFontOpenFilter)) {
        openFontLibrary(*path);
    }
}

void TForm1::openFontLibrary(const QString& fileName) {
    runWithinMemory(*prompter_, this, quotedFile(fileName), [&] { OpenProtolFile(fileName); });
}

void TForm1::showSetupDialog(const QString& caption, bool fontFace) {
    TForm2& dialog = setupDialog();
    dialog.prepare(caption, fontFace);
    prompter_->showModal(dialog);
}

void TForm1::NewFontFile1Click() {
    if (!prompter_->askOkCancel(this, QStringLiteral("Create Hint"),
                                QStringLiteral("Do You Want to Create New Font Library File?"),
                                PromptIcon::Information)) {
        return;
    }
    AdvStringGrid2->clearCells();
    hideCanvas();
    advinit();
    showSetupDialog(QStringLiteral("Font Setup"), true);
}

void TForm1::N3Click() {
    if (const auto path = prompter_->askSaveFile(this, kFontSaveFilter, kFontDefaultExt)) {
        runWithinMemory(*prompter_, this, quotedFile(*path),
                        [&] { SaveProtolFile(fontLibrary().count, *path); });
    }
}

void TForm1::showPreview(const QString& caption, bool allFont) {
    if (fontLibrary().count == 0) {
        return;
    }
    TForm4& dialog = previewDialog();
    dialog.prepare(caption, allFont);
    prompter_->showModal(dialog);
}

void TForm1::AllFont1Click() {
    showPreview(QStringLiteral("All Font Preview"), true);
}
void TForm1::De1Click() {
    showPreview(QStringLiteral("Defined Font Preview"), false);
}

void TForm1::setZoom(int zoom, QAction* item) {
    zoom_ = zoom;
    for (QAction* mark : {N8pixels2, N10pixels2, N14pixels1}) {
        QFont itemFont = mark->font();
        itemFont.setBold(mark == item);
        mark->setFont(itemFont);
    }
    AdvStringGrid2Click();
}

void TForm1::N8pixels2Click() {
    setZoom(8, N8pixels2);
}
void TForm1::N10pixels2Click() {
    setZoom(10, N10pixels2);
}
void TForm1::N14pixels1Click() {
    setZoom(12, N14pixels1);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (prompter_->askOkCancel(this, QStringLiteral("Operation Hint"),
                               QStringLiteral("Are You Sure to Exit This Application?"),
                               PromptIcon::None)) {
        // Closing the last visible window ends the message loop, and with it the program.
        event->accept();
    } else {
        event->ignore();
    }
}

// ---- Bitmap library ----

bool TForm1::SaveBmpProtolFile(int count, const QString& fileName) {
    // A large library takes a while: a progress dialog shows how far the save has come.
    const QString label = QStringLiteral("Saving \"%1\"").arg(fileName);
    const auto saved = document_->saveBitmapFile(
        fileName.toStdString(), count, [&](std::size_t done, std::size_t total) {
            prompter_->showProgress(this, label, done, total);
        });
    return reportSaveFault(fileName, saved);
}

bool TForm1::OpenBmpProtolFile(const QString& fileName) {
    if (const auto opened = document_->openBitmapFile(fileName.toStdString()); !opened) {
        reportOpenFault(fileName, QStringLiteral("bitmap library"), opened.error());
        return false;
    }
    return true;
}

void TForm1::BitmapLibrary1Click() {
    const bool bitmapMode = editingMode() == EditingMode::Bitmap;
    AddBitmapFile1->setEnabled(bitmapMode);
    RemoveBitmap1->setEnabled(bitmapMode);
}

void TForm1::OpenBitmapFile1Click() {
    if (const auto path = prompter_->askOpenFile(this, kBitmapFilter)) {
        openBitmapLibrary(*path);
    }
}

void TForm1::openBitmapLibrary(const QString& fileName) {
    runWithinMemory(*prompter_, this, quotedFile(fileName), [&] {
        if (OpenBmpProtolFile(fileName)) {
            enableColourButtons(EditingMode::Bitmap);
        }
    });
}

void TForm1::NewBitampFile1Click() {
    if (!prompter_->askOkCancel(this, QStringLiteral("Create Hint"),
                                QStringLiteral("Do You Want to Create New Bitmap Library File?"),
                                PromptIcon::Information)) {
        return;
    }
    document_->clearBitmapLibrary();
    showSetupDialog(QStringLiteral("Bitmap Setup"), false);
}

void TForm1::SaveBitmapFile1Click() {
    if (bitmapLibrary().count() == 0) {
        return;
    }
    if (const auto path = prompter_->askSaveFile(this, kBitmapFilter, kBitmapDefaultExt)) {
        runWithinMemory(*prompter_, this, quotedFile(*path),
                        [&] { SaveBmpProtolFile(bitmapLibrary().count(), *path); });
    }
}

void TForm1::AddBitmapFile1Click() {
    if (editingMode() != EditingMode::Bitmap) {
        return;
    }
    setupDialog().clearBitmapName();
    showSetupDialog(QStringLiteral("Bitmap Setup"), false);
}

void TForm1::RemoveBitmap1Click() {
    const int row = AdvStringGrid2->currentGridRow();
    if (row <= 0 || AdvStringGrid2->cell(2, row).isEmpty() ||
        editingMode() != EditingMode::Bitmap) {
        return;
    }
    if (!prompter_->askOkCancel(this, QStringLiteral("Operation Hint"),
                                QStringLiteral("Do You Want to Delete Selected Bitmap?"),
                                PromptIcon::Information)) {
        return;
    }
    if (const auto position = entryOfRow(row)) {
        // The list loses the row and the canvas shows its successor, from bitmapRemoved.
        document_->removeBitmap(*position);
    }
}

// ---- Library files named at start or dropped on the window ----

void TForm1::openLibraryFiles(const QStringList& fileNames) {
    const OpeningPlan plan = planOpenings(fileNames);
    for (const QString& other : plan.others) {
        showFileError(QStringLiteral("\"%1\" is neither a font library (.lcm) nor a bitmap "
                                     "library (.bcm).")
                          .arg(other));
    }
    for (const LibraryOpening& opening : plan.openings) {
        if (opening.kind == LibraryKind::Font) {
            openFontLibrary(opening.path);
        } else {
            openBitmapLibrary(opening.path);
        }
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (draggedLibraryFiles(*event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    const auto files = draggedLibraryFiles(*event->mimeData());
    if (!files) {
        return;
    }
    event->acceptProposedAction();
    // The files open once the drop has ended, so the program that dragged them is not kept
    // waiting while an error box is shown.
    QMetaObject::invokeMethod(
        this, [this, fileNames = *files] { openLibraryFiles(fileNames); }, Qt::QueuedConnection);
}

} // namespace korvel
