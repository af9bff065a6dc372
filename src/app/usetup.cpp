#include "app/usetup.h"

#include "app/umain.h"
#include "core/codepage.h"
#include "core/setuplimits.h"
#include "document/glyphrender.h"
#include "document/libraryfactory.h"
#include "document/librarytext.h"
#include "formats/lcm.h"
#include "widgets/numberbox.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QValidator>

#include <algorithm>
#include <initializer_list>
#include <span>

namespace korvel {

namespace {

constexpr int kClientWidth = 351;
constexpr int kClientHeight = 199;
constexpr QRect kPanelRect{4, 4, 342, 155};
const QStringList kCodeRanges{QStringLiteral("0-127"), QStringLiteral("0-255")};

/// Keeps only the characters the bitmap name key filter accepts, whether typed or pasted.
class BitmapNameValidator : public QValidator {
public:
    BitmapNameValidator(const Document& document, QObject* parent)
        : QValidator(parent), document_(document) {}

    State validate(QString& input, int& pos) const override {
        QString kept;
        int keptBeforeCursor = 0;
        int offset = 0;
        for (const char32_t character : input.toUcs4()) {
            const QString piece = QString::fromUcs4(&character, 1);
            const bool accepted = TForm2::Edit2KeyPress(character, document_.codePage());
            if (accepted) {
                kept += piece;
            }
            if (accepted && offset < pos) {
                keptBeforeCursor += static_cast<int>(piece.size());
            }
            offset += static_cast<int>(piece.size());
        }
        if (kept != input) {
            input = kept;
            pos = keptBeforeCursor;
        }
        return Acceptable;
    }

private:
    const Document& document_;
};

/// The sample text as "Add " would make it in a code page: a character the page lacks becomes
/// "?". In Windows-1252 the sample is shown as typed.
[[nodiscard]] QString sampleInCodePage(const QString& sample, const CodePage& page) {
    if (page == windows1252()) {
        return sample;
    }
    return fromLibraryText(toLibraryText(sample, page), page);
}

/// The number of codes a code range drop-down list stands for.
[[nodiscard]] int codeCount(const QComboBox& range) {
    return range.currentIndex() == 1 ? 256 : 128;
}

/// Enables or disables a control and gives it the matching background: white when enabled,
/// the button face colour when not.
void setControlEnabled(QWidget& control, bool enabled) {
    control.setEnabled(enabled);
    const QColor background =
        enabled ? QColor(Qt::white) : QApplication::palette().color(QPalette::Button);
    QPalette palette = control.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        if (qobject_cast<QComboBox*>(&control) != nullptr) {
            palette.setColor(group, QPalette::Button, background);
        }
    }
    control.setPalette(palette);
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    label->move(x, y);
    return label;
}

QComboBox* codeRangeList(QWidget* parent, const QRect& place) {
    auto* list = new QComboBox(parent);
    list->addItems(kCodeRanges);
    list->setCurrentIndex(0);
    list->setGeometry(place);
    return list;
}

QSpinBox* spinBox(QWidget* parent, int minimum, int maximum, int value, const QRect& place) {
    auto* box = new NumberBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setGeometry(place);
    return box;
}

} // namespace

TForm2::TForm2(TForm1& main) : QDialog(&main), main_(main) {
    setFont(main.font()); // the same small type as the main window
    setFixedSize(kClientWidth, kClientHeight);
    buildFontPanel();
    buildBitmapPanel();
    buildButtons();
    connectHandlers();
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::buildFontPanel() {
    fontpanel = new QWidget(this);
    fontpanel->setObjectName(QStringLiteral("fontpanel"));
    fontpanel->setGeometry(kPanelRect);

    RadioButton3 = new QRadioButton(QStringLiteral("System Font"), fontpanel);
    RadioButton3->setGeometry(8, 2, 160, 18);
    RadioButton3->setChecked(true);
    ComboBox2 = codeRangeList(fontpanel, {26, 22, 64, 21});
    caption(QStringLiteral("Id"), ComboBox2, fontpanel, 10, 25);
    tFontName = new QComboBox(fontpanel);
    tFontName->setGeometry(130, 22, 132, 21);
    caption(QStringLiteral("Name"), tFontName, fontpanel, 98, 25);
    tFontsize = spinBox(fontpanel, 1, kMaxPoints, 7, {292, 22, 46, 21});
    caption(QStringLiteral("Size"), tFontsize, fontpanel, 268, 25);

    buildPreviewPanel();

    RadioButton4 = new QRadioButton(QStringLiteral("User-Defined Font"), fontpanel);
    RadioButton4->setGeometry(8, 101, 160, 18);
    ComboBox1 = codeRangeList(fontpanel, {26, 122, 64, 21});
    caption(QStringLiteral("Id"), ComboBox1, fontpanel, 10, 125);
    SpinEdit1 = spinBox(fontpanel, 1, kMaxBlankWidth, 5, {136, 122, 60, 21});
    caption(QStringLiteral("Width"), SpinEdit1, fontpanel, 98, 125);
    SpinEdit2 = spinBox(fontpanel, 1, kMaxBlankHeight, 9, {246, 122, 60, 21});
    caption(QStringLiteral("Height"), SpinEdit2, fontpanel, 206, 125);
}

void TForm2::buildPreviewPanel() {
    Panel1 = new QFrame(fontpanel);
    Panel1->setGeometry(8, 47, 327, 49);
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel1->setPalette(black);

    Edit1 = new QLineEdit(QStringLiteral("A"), Panel1);
    Edit1->setFrame(false);
    Edit1->setGeometry(6, 14, 60, 21);
    Label_p = new QLabel(Panel1);
    Label_p->setTextFormat(Qt::PlainText);
    Label_p->move(74, 2);
    setTextColour(*Label_p, Qt::white);
    Label7 = new QLabel(Panel1);
    Label7->move(256, 8);
    setTextColour(*Label7, Qt::yellow);
    Label8 = new QLabel(Panel1);
    Label8->move(256, 26);
    setTextColour(*Label8, Qt::yellow);
}

void TForm2::buildBitmapPanel() {
    bitmapPanel = new QWidget(this);
    bitmapPanel->setObjectName(QStringLiteral("bitmapPanel"));
    bitmapPanel->setGeometry(kPanelRect);

    Edit2 = new QLineEdit(bitmapPanel);
    Edit2->setGeometry(70, 20, 120, 21);
    Edit2->setMaxLength(kBitmapNameLength);
    Edit2->setValidator(new BitmapNameValidator(main_.document(), Edit2));
    caption(QStringLiteral("Name"), Edit2, bitmapPanel, 20, 23);
    SpinEdit3 = spinBox(bitmapPanel, kMinDialogEntrySide, kMaxEntryWidth, 16, {70, 56, 80, 21});
    caption(QStringLiteral("Width"), SpinEdit3, bitmapPanel, 20, 59);
    SpinEdit4 = spinBox(bitmapPanel, kMinDialogEntrySide, kMaxEntryHeight, 16, {70, 92, 80, 21});
    caption(QStringLiteral("Height"), SpinEdit4, bitmapPanel, 20, 95);
    for (QWidget* control : std::initializer_list<QWidget*>{Edit2, SpinEdit3, SpinEdit4}) {
        setControlEnabled(*control, true);
    }
}

void TForm2::buildButtons() {
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(4, 161, 343, 2);
    Button1 = new QPushButton(QStringLiteral("Add "), this);
    Button1->setGeometry(188, 168, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setGeometry(270, 168, 75, 25);
}

void TForm2::connectHandlers() {
    connect(Button1, &QPushButton::clicked, this, [this] {
        runWithinMemory(main_.prompter(), this, QStringLiteral("The new library"),
                        [this] { Button1Click(); });
    });
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) {
            RadioButton3Click();
        }
    });
    connect(RadioButton4, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) {
            RadioButton4Click();
        }
    });
    connect(tFontName, &QComboBox::currentIndexChanged, this, &TForm2::tFontNameChange);
    connect(tFontsize, &QSpinBox::valueChanged, this, &TForm2::tFontsizeChange);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm2::Edit1Change);
    // The code range decides which glyphs share the cell, so the preview's height follows it.
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm2::refreshPreview);
    // So do the characters the codes stand for.
    connect(&main_.document(), &Document::codePageChanged, this, &TForm2::refreshPreview);
}

void TForm2::FormCreate() {
    getfont();
    enableSystemFontGroup(true);
    refreshPreview();
}

void TForm2::getfont() {
    const QSignalBlocker quiet(tFontName);
    tFontName->addItems(installedFamilies());
    tFontName->setCurrentIndex(tFontName->findText(QStringLiteral("Microsoft Sans Serif")));
    tFontsize->setValue(7);
}

void TForm2::refreshPreview() {
    const QString family = tFontName->currentText();
    const int points = tFontsize->value();
    const CodePage& page = main_.document().codePage();
    const QString sample = sampleInCodePage(Edit1->text(), page);
    const PreviewKey key{family, points, codeCount(*ComboBox2), page};
    if (key != previewKey_) {
        // The height is the cell the library's glyphs get, which "Add " would render the same way.
        previewCell_ = renderCodes(family, points, key.count, page).cell;
        previewKey_ = key;
    }
    const GlyphRenderer renderer(family, points, page);
    Label_p->setFont(glyphFont(family, points));
    if (renderer.strike()) {
        // Qt draws a bitmap font only in its first strike; the picture shows the strike in use.
        Label_p->setPixmap(QPixmap::fromImage(renderer.textPicture(sample, previewCell_)));
    } else {
        Label_p->setText(sample);
    }
    // Each character as the library's glyph of its own: the advances side by side.
    Label_p->resize(renderer.textAdvance(sample), previewCell_.height());
    Label7->setText(QStringLiteral("width:") + QString::number(Label_p->width()));
    Label8->setText(QStringLiteral("heihgt:") + QString::number(Label_p->height()));
    Label7->adjustSize();
    Label8->adjustSize();
}

void TForm2::tFontNameChange() {
    refreshPreview();
}
void TForm2::tFontsizeChange() {
    refreshPreview();
}
void TForm2::Edit1Change() {
    refreshPreview();
}

void TForm2::enableSystemFontGroup(bool systemFont) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{tFontName, tFontsize, Edit1, ComboBox2}) {
        setControlEnabled(*control, systemFont);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{ComboBox1, SpinEdit1, SpinEdit2}) {
        setControlEnabled(*control, !systemFont);
    }
}

void TForm2::RadioButton3Click() {
    enableSystemFontGroup(true);
}
void TForm2::RadioButton4Click() {
    enableSystemFontGroup(false);
}

bool TForm2::Edit2KeyPress(char32_t character, const CodePage& page) {
    const auto byte = page.fromUnicode(character);
    return byte.has_value() && (*byte <= 128 || page != windows1252());
}

void TForm2::prepare(const QString& caption, bool fontFace) {
    setWindowTitle(caption);
    fontpanel->setVisible(fontFace);
    bitmapPanel->setVisible(!fontFace);
}

void TForm2::clearBitmapName() {
    Edit2->clear();
}

void TForm2::Button1Click() {
    if (fontpanel->isVisibleTo(this)) {
        addFontLibrary();
    } else {
        addBitmap();
    }
}

void TForm2::Button2Click() {
    reject();
}

void TForm2::addFontLibrary() {
    main_.beginEditing(EditingMode::Font);
    const bool systemFont = RadioButton3->isChecked();
    const int count = codeCount(systemFont ? *ComboBox2 : *ComboBox1);
    // The main window lists the new glyphs when the document announces the new library.
    main_.document().makeFontLibrary([&](FontLibrary& library) {
        if (systemFont) {
            // Ink cut sideways by the advance widths is not announced here: the glyph widths are
            // the advances by design, every italic font would raise the same box on each "Add ",
            // and the preview already shows the font's overhangs. korvel-cli new-font counts them.
            static_cast<void>(renderSystemFont(library, tFontName->currentText(),
                                               tFontsize->value(), count,
                                               main_.document().codePage()));
        } else {
            makeBlankFont(library, SpinEdit1->value(), SpinEdit2->value(), count);
        }
    });
    warnIfUnsavable(main_.fontLibrary(), count);
    accept();
}

void TForm2::warnIfUnsavable(const FontLibrary& library, int count) {
    const auto glyphs = std::span(library.glyphs).first(static_cast<std::size_t>(count));
    if (std::all_of(glyphs.begin(), glyphs.end(), fitsLcmRecord)) {
        return;
    }
    int width = 0;
    int height = 0;
    for (const GlyphRecord& glyph : glyphs) {
        width = std::max(width, glyph.width);
        height = std::max(height, glyph.height);
    }
    // Told now rather than at the first save, after the glyphs may have been worked on.
    main_.prompter().showMessage(
        this, QStringLiteral("The glyphs are up to %1 x %2 pixels, more than the 255 x 255 a font "
                             "library file holds: Save Library will refuse them until they are "
                             "made smaller.")
                  .arg(width)
                  .arg(height));
}

void TForm2::addBitmap() {
    const QString name = Edit2->text();
    if (const auto checked = checkBitmapName(name, main_.bitmapLibrary().index); !checked) {
        main_.prompter().showMessage(this, QString::fromStdString(checked.error().message));
        if (checked.error().kind == ErrorKind::Duplicate) {
            Edit2->clear();
        }
        return;
    }
    const std::string bytes = toLibraryText(name, main_.document().codePage());
    const int width = SpinEdit3->value();
    const int height = SpinEdit4->value();
    // A bitmap that would leave the library too large for its file is not added.
    if (const Result<void> fits =
            main_.document().bitmapLibraryFits(main_.bitmapLibrary().count(), width, height, bytes);
        !fits) {
        main_.prompter().showMessage(this, QStringLiteral("The bitmap was not added. ") +
                                               QString::fromStdString(fits.error().message));
        return;
    }
    main_.beginEditing(EditingMode::Bitmap);
    main_.appendBitmap({bytes, width, height, Picture(width, height, PixelFormat::Indexed4)});
    accept();
}

} // namespace korvel
