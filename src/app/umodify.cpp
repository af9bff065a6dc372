#include "app/umodify.h"

#include "app/umain.h"
#include "fileio/fileio.h"
#include "formats/bmp.h"
#include "formats/formattable.h"
#include "libraryio/pictureformats.h"
#include "widgets/cellcanvas.h"
#include "widgets/numberbox.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSpinBox>

#include <climits>

namespace korvel {

namespace {

// The file dialogs keep their own titles; the extension comes from the format table.
const QString kOpenFilter = QString::fromStdString(dialogFilter("bmp file", FormatId::Bmp));
const QString kSaveFilter = QString::fromStdString(dialogFilter("BMP File", FormatId::Bmp));
const QString kSaveSuffix = QStringLiteral("bmp");
const QString kModifyCaption = QStringLiteral("Modify Hint");
const QString kModifyFontText = QStringLiteral("Do You Want to Modify Selected Font?");
const QString kModifyBitmapText = QStringLiteral("Do You Want to Modify Selected Bitmwp?");

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 284;
constexpr int kMaxSide = 250;

QLabel* labelAt(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, 42, 21);
    return label;
}

QPushButton* buttonAt(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TForm3::TForm3(TForm1& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("Form3"));
    setFont(main.font()); // the same small type as the main window
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
    connectHandlers();
    FormCreate();
}

TForm3::~TForm3() = default;

void TForm3::buildControls() {
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setGeometry(4, 8, 248, 239);
    ScrollBox1->setWidgetResizable(false);
    Image1 = new CellCanvas();
    ScrollBox1->setWidget(Image1); // the scroll box becomes its owner
    Image1->hide();

    constexpr int labelX = 258;
    constexpr int boxX = 300;
    constexpr int boxWidth = 56;
    labelAt(this, QStringLiteral("Sel ID:"), labelX, 8);
    SpinEdit3 = new QSpinBox(this);
    SpinEdit3->setRange(INT_MIN, INT_MAX);
    SpinEdit3->setReadOnly(true);
    SpinEdit3->setButtonSymbols(QAbstractSpinBox::NoButtons);
    SpinEdit3->setGeometry(boxX, 8, boxWidth, 21);

    labelAt(this, QStringLiteral("Name:"), labelX, 36);
    Edit1 = new QLineEdit(this);
    Edit1->setReadOnly(true);
    Edit1->setGeometry(boxX, 36, boxWidth, 21);

    labelAt(this, QStringLiteral("Width:"), labelX, 64);
    SpinEdit1 = new NumberBox(this);
    SpinEdit1->setGeometry(boxX, 64, boxWidth, 21);

    labelAt(this, QStringLiteral("Height:"), labelX, 92);
    SpinEdit2 = new NumberBox(this);
    SpinEdit2->setGeometry(boxX, 92, boxWidth, 21);
    for (QSpinBox* box : {SpinEdit1, SpinEdit2}) {
        box->setRange(0, kMaxSide);
        box->setSingleStep(1);
    }

    Button3 = buttonAt(this, QStringLiteral("BMP File Import"), {labelX, 124, 98, 25});
    Button6 = buttonAt(this, QStringLiteral("BMP File Export"), {labelX, 154, 98, 25});
    Button4 = buttonAt(this, QStringLiteral("Clear"), {labelX, 184, 98, 25});
    Button5 = buttonAt(this, QStringLiteral("Reset"), {labelX, 214, 98, 25});
    Button1 = buttonAt(this, QStringLiteral("Modify"), {200, 253, 75, 25});
    Button2 = buttonAt(this, QStringLiteral("Cancel"), {281, 253, 75, 25});
}

void TForm3::connectHandlers() {
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TForm3::SpinEdit1Change);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TForm3::SpinEdit2Change);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
}

void TForm3::FormCreate() {
    pending_ = Picture();
    replaced = false;
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TForm3::FormShow() {
    const auto entry = selectedEntry();
    if (entry) {
        makegrid(entry->width, entry->height);
    } else {
        makegrid(SpinEdit1->value(), SpinEdit2->value());
    }
}

bool TForm3::fontMode() const {
    return main_.editingMode() == EditingMode::Font;
}

std::optional<TForm3::EntryFields> TForm3::selectedEntry() const {
    if (selectedIndex < 0) {
        return std::nullopt;
    }
    const auto index = static_cast<std::size_t>(selectedIndex);
    if (main_.editingMode() == EditingMode::Font && selectedIndex < kGlyphSlots) {
        const GlyphRecord& glyph = main_.fontLibrary().glyphs[index];
        return EntryFields{glyph.width, glyph.height, glyph.picture};
    }
    if (main_.editingMode() == EditingMode::Bitmap &&
        selectedIndex < main_.bitmapLibrary().count()) {
        const bitmapInfoList& entry = main_.bitmapLibrary().entries[index];
        return EntryFields{entry.width, entry.height, entry.picture};
    }
    return std::nullopt;
}

bool TForm3::selectedRowExists() const {
    return selectedIndex >= 0 && selectedIndex + 1 < main_.AdvStringGrid2->rows();
}

void TForm3::prepare(const Target& target) {
    Image1->hide();
    setWindowTitle(target.fontMode ? QStringLiteral("Modify Font")
                                   : QStringLiteral("Modify Bitmap"));
    if (target.fontMode) {
        Edit1->clear();
    } else {
        Edit1->setText(target.name);
    }
    SpinEdit3->setValue(target.selected);
    selectedIndex = target.selected;
    SpinEdit1->setValue(target.width);
    SpinEdit2->setValue(target.height);
    startingWidth = target.width;
    startingHeight = target.height;
    replaced = false;
}

void TForm3::makegrid(int width, int height) {
    if (!replaced) {
        pending_ = Picture(width, height);
        const auto entry = selectedEntry();
        if (entry && entry->picture) {
            pending_.draw(*entry->picture);
        }
    }
    // A picture without pixels has no cells to show.
    if (pending_.isEmpty() || width <= 0 || height <= 0) {
        Image1->hide();
        return;
    }
    Image1->showPicture(pending_, main_.zoomSize(), CellColourRule::Display);
    Image1->show();
}

void TForm3::SpinEdit1Change(int value) {
    if (value == 0) {
        Image1->hide();
        return;
    }
    pending_.resize(value, pending_.height());
    if (isVisible()) {
        makegrid(SpinEdit1->value(), SpinEdit2->value());
    }
}

void TForm3::SpinEdit2Change(int value) {
    if (value == 0) {
        Image1->hide();
        return;
    }
    pending_.resize(pending_.width(), value);
    if (isVisible()) {
        makegrid(SpinEdit1->value(), SpinEdit2->value());
    }
}

void TForm3::Button4Click() {
    replaced = true;
    pending_ = Picture(SpinEdit1->value(), SpinEdit2->value());
    makegrid(SpinEdit1->value(), SpinEdit2->value());
}

void TForm3::Button5Click() {
    replaced = false;
    SpinEdit1->setValue(startingWidth);
    SpinEdit2->setValue(startingHeight);
    makegrid(startingWidth, startingHeight);
}

void TForm3::Button3Click() {
    const auto fileName = main_.prompter().askOpenFile(this, kOpenFilter);
    if (!fileName) {
        return;
    }
    replaced = true;
    runWithinMemory(main_.prompter(), this, quotedFile(*fileName), [&] { importBmp(*fileName); });
}

void TForm3::importBmp(const QString& fileName) {
    // Only the pixels the scaled picture takes are read, whatever the file's size; a FIFO or a
    // device is refused at once.
    const auto source = FileSource::open(fileName.toStdString());
    if (!source) {
        main_.prompter().showError(this, QString::fromStdString(source.error().message));
        return;
    }
    auto imported = decodeBmpScaled(*source.value(), SpinEdit1->value(), SpinEdit2->value());
    if (!imported) {
        main_.prompter().showError(
            this, QStringLiteral("Cannot import \"%1\": %2.")
                      .arg(fileName, QString::fromStdString(imported.error().message)));
        return;
    }
    pending_ = std::move(imported).value();
    makegrid(SpinEdit1->value(), SpinEdit2->value());
}

void TForm3::Button6Click() {
    auto fileName = main_.prompter().askSaveFile(this, kSaveFilter, kSaveSuffix);
    if (!fileName) {
        return;
    }
    if (QFileInfo(*fileName).suffix().isEmpty()) {
        *fileName += QStringLiteral(".bmp");
    }
    const auto encoded = pictureFormatOfExtension(kSaveSuffix.toStdString())->encode(pending_);
    if (!encoded) {
        main_.prompter().showError(this, QString::fromStdString(encoded.error().message));
        return;
    }
    const Result<void> written = writeFileAtomic(fileName->toStdString(), encoded.value());
    if (!written) {
        main_.prompter().showError(this, QString::fromStdString(written.error().message));
    }
}

void TForm3::Button1Click() {
    const auto entry = selectedEntry();
    if (!entry || !selectedRowExists()) {
        reject(); // the row no longer stands for an entry: nothing to write into
        return;
    }
    if (!fontMode()) {
        // A size that would leave the library too large for its file is not taken.
        if (const Result<void> fits = main_.document().bitmapLibraryFits(
                selectedIndex, SpinEdit1->value(), SpinEdit2->value());
            !fits) {
            main_.prompter().showMessage(this, QStringLiteral("The bitmap was not changed. ") +
                                                   QString::fromStdString(fits.error().message));
            return;
        }
    }
    if (!main_.prompter().askOkCancel(this, kModifyCaption,
                                      fontMode() ? kModifyFontText : kModifyBitmapText,
                                      PromptIcon::Information)) {
        return;
    }
    // The main window rewrites the entry's row and re-shows the canvas from the document's
    // change signal.
    if (fontMode()) {
        main_.document().modifyGlyph(selectedIndex, modifiedShape());
    } else {
        main_.document().modifyBitmap(selectedIndex, modifiedShape());
    }
    accept();
}

EntryShape TForm3::modifiedShape() const {
    EntryShape shape{SpinEdit1->value(), SpinEdit2->value(), std::nullopt};
    Picture stored(shape.width, shape.height);
    stored.draw(pending_);
    shape.picture = std::move(stored);
    return shape;
}

void TForm3::Button2Click() {
    reject();
}

} // namespace korvel
