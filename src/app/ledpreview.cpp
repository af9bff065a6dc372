#include "app/ledpreview.h"

#include "app/controls.h"
#include "app/umain.h"
#include "core/colour.h"
#include "document/librarytext.h"
#include "document/textcompose.h"
#include "fileio/fileio.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <span>

namespace korvel {

namespace {

constexpr int kDefaultPreset = 1; // 32 x 16, a P10 module
constexpr int kMaxOffset = kLedMaxWidth;
const QString kPngFilter = QStringLiteral("PNG Picture|*.png");
const QString kPngSuffix = QStringLiteral("*.png");

[[nodiscard]] QString textOf(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

[[nodiscard]] QRgb litColourOf(Rgb colour) {
    return qRgb(redOf(colour), greenOf(colour), blueOf(colour));
}

/// The text's lines, each cut to the glyphs that fit kMaxContentWidth dots.
[[nodiscard]] std::vector<std::string> fittedLines(const FontLibrary& font, const QString& text,
                                                   const CodePage& page) {
    std::vector<std::string> lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        std::string bytes = lineBytes(line, page);
        std::int64_t width = 0;
        std::size_t kept = 0;
        for (const char byte : bytes) {
            width += std::max(0, font.glyphs[static_cast<std::uint8_t>(byte)].width);
            if (width > kMaxContentWidth) {
                break;
            }
            ++kept;
        }
        bytes.resize(kept);
        lines.push_back(std::move(bytes));
    }
    // A last empty line, as after a final Enter, shows nothing and takes no height.
    if (lines.size() > 1 && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

/// A spin box that takes a typed number when Enter is pressed or the box is left, not at each
/// digit.
[[nodiscard]] QSpinBox* spinBox(const char* name, int minimum, int maximum, int value,
                                QWidget* parent) {
    QSpinBox* box = namedSpinBox(name, minimum, maximum, value, parent);
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

const std::array<PanelPreset, 6>& panelPresets() {
    static const std::array<PanelPreset, 6> kPresets{{
        {"32 \u00d7 8 (four MAX7219 modules)", 32, 8},
        {"32 \u00d7 16 (P10)", 32, 16},
        {"64 \u00d7 32 (HUB75)", 64, 32},
        {"128 \u00d7 64 (HUB75)", 128, 64},
        {"128 \u00d7 64 (OLED)", 128, 64},
        {"128 \u00d7 32 (OLED)", 128, 32},
    }};
    return kPresets;
}

const std::array<LedColour, 5>& ledColours() {
    static const std::array<LedColour, 5> kColours{{
        {"Red", qRgb(255, 36, 24)},
        {"Green", qRgb(48, 255, 72)},
        {"Amber", qRgb(255, 176, 0)},
        {"Blue", qRgb(56, 120, 255)},
        {"White", qRgb(240, 244, 255)},
    }};
    return kColours;
}

QRgb dimOf(QRgb lit) {
    constexpr double kShare = 0.16;
    const auto faint = [](int board, int channel) {
        return static_cast<int>(std::lround(board + (channel - board) * kShare));
    };
    return qRgb(faint(qRed(kLedBoard), qRed(lit)), faint(qGreen(kLedBoard), qGreen(lit)),
                faint(qBlue(kLedBoard), qBlue(lit)));
}

LedContent fontContent(const FontLibrary& font, const QString& text, QRgb colour,
                       const CodePage& page) {
    const std::vector<std::string> lines = fittedLines(font, text, page);
    const TextMeasure measure = measureText(lines, font);
    LedContent content;
    if (measure.width <= 0 || measure.height <= 0 || measure.height > kLedMaxHeight * 64) {
        return content;
    }
    const Picture picture = composeText(lines, measure, font);
    content.width = picture.width();
    content.height = picture.height();
    content.pixels.assign(
        static_cast<std::size_t>(content.width) * static_cast<std::size_t>(content.height), 0);
    for (int y = 0; y < content.height; ++y) {
        for (int x = 0; x < content.width; ++x) {
            if (isInk(picture.pixel(x, y))) {
                content
                    .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(content.width) +
                            static_cast<std::size_t>(x)] = colour;
            }
        }
    }
    return content;
}

LedContent bitmapContent(const BitmapLibrary& library, const std::vector<int>& positions) {
    std::vector<const bitmapInfoList*> shown;
    LedContent content;
    for (const int position : positions) {
        if (position < 0 || position >= library.count()) {
            continue;
        }
        const bitmapInfoList& entry = library.entries[static_cast<std::size_t>(position)];
        if (content.width + std::max(0, entry.width) > kMaxContentWidth) {
            break;
        }
        shown.push_back(&entry);
        content.width += std::max(0, entry.width);
        content.height = std::max(content.height, std::max(0, entry.height));
    }
    content.pixels.assign(
        static_cast<std::size_t>(content.width) * static_cast<std::size_t>(content.height), 0);
    int left = 0;
    for (const bitmapInfoList* entry : shown) {
        for (int y = 0; entry->picture && y < entry->height; ++y) {
            for (int x = 0; x < entry->width; ++x) {
                const PaletteColour colour = classify(entry->picture->pixel(x, y));
                if (colour != PaletteColour::Black) {
                    content.pixels[static_cast<std::size_t>(y) *
                                       static_cast<std::size_t>(content.width) +
                                   static_cast<std::size_t>(left + x)] =
                        litColourOf(paletteEntry(colour).value);
                }
            }
        }
        left += std::max(0, entry->width);
    }
    return content;
}

/// Shows the preview's frame at its own size.
class LedPreview::View : public QWidget {
public:
    explicit View(LedPreview& preview, QWidget* parent) : QWidget(parent), preview_(preview) {
        setObjectName(QStringLiteral("PanelView"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        const QImage& image = preview_.frame();
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }

private:
    LedPreview& preview_;
};

LedPreview::LedPreview(TForm1& main) : QWidget(&main, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("LedPreview1"));
    setWindowTitle(QStringLiteral("LED Preview"));
    setFont(main.font());
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildControls());
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PanelScroll"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: #202024; }"));
    view_ = new View(*this, scroll_);
    scroll_->setWidget(view_);
    layout->addWidget(scroll_, 1);
    ScrollTimer = new QTimer(this);
    ScrollTimer->setObjectName(QStringLiteral("ScrollTimer"));
    ScrollTimer->setTimerType(Qt::PreciseTimer);
    connect(ScrollTimer, &QTimer::timeout, this, &LedPreview::advance);
    connectControls();
    connectDocument();
    speedChanged();
    modeChanged();
    resize(980, 560);
}

LedPreview::~LedPreview() = default;

QWidget* LedPreview::buildControls() {
    auto* controls = new QWidget(this);
    controls->setFixedWidth(300);
    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(0, 0, 0, 0);

    auto* content = new QGroupBox(QStringLiteral("Shown"), controls);
    auto* contentLayout = new QVBoxLayout(content);
    textLabel_ = new QLabel(QStringLiteral("Text"), content);
    TextEdit = new QPlainTextEdit(content);
    TextEdit->setObjectName(QStringLiteral("TextEdit"));
    TextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    TextEdit->setFixedHeight(52);
    TextEdit->setPlainText(QStringLiteral("Korvel"));
    bitmapLabel_ = new QLabel(QStringLiteral("Bitmaps (side by side, in list order)"), content);
    BitmapList = new QListWidget(content);
    BitmapList->setObjectName(QStringLiteral("BitmapList"));
    BitmapList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    BitmapList->setFixedHeight(90);
    for (QWidget* widget :
         {static_cast<QWidget*>(textLabel_), static_cast<QWidget*>(TextEdit),
          static_cast<QWidget*>(bitmapLabel_), static_cast<QWidget*>(BitmapList)}) {
        contentLayout->addWidget(widget);
    }
    column->addWidget(content);

    auto* panel = new QGroupBox(QStringLiteral("Panel"), controls);
    auto* panelForm = new QFormLayout(panel);
    QStringList presetNames;
    for (const PanelPreset& preset : panelPresets()) {
        presetNames << textOf(preset.name);
    }
    presetNames << QStringLiteral("Custom");
    PresetBox = namedComboBox("PresetBox", presetNames, panel);
    PresetBox->setCurrentIndex(kDefaultPreset);
    const PanelPreset& start = panelPresets()[kDefaultPreset];
    PanelWidth = spinBox("PanelWidth", 1, kLedMaxWidth, start.width, panel);
    PanelHeight = spinBox("PanelHeight", 1, kLedMaxHeight, start.height, panel);
    ContentLeft = spinBox("ContentLeft", -kMaxOffset, kMaxOffset, 0, panel);
    ContentTop = spinBox("ContentTop", -kMaxOffset, kMaxOffset, 0, panel);
    auto* size = new QHBoxLayout;
    size->addWidget(PanelWidth);
    size->addWidget(new QLabel(QStringLiteral("\u00d7"), panel));
    size->addWidget(PanelHeight);
    auto* position = new QHBoxLayout;
    position->addWidget(ContentLeft);
    position->addWidget(ContentTop);
    panelForm->addRow(QStringLiteral("Preset"), PresetBox);
    panelForm->addRow(QStringLiteral("Dots"), size);
    panelForm->addRow(QStringLiteral("Content at x, y"), position);
    column->addWidget(panel);

    auto* look = new QGroupBox(QStringLiteral("Look"), controls);
    auto* lookForm = new QFormLayout(look);
    ShapeBox = namedComboBox("ShapeBox", {QStringLiteral("Round"), QStringLiteral("Square")}, look);
    DotSize = spinBox("DotSize", 10, 100, 80, look);
    DotSize->setSuffix(QStringLiteral(" % of pitch"));
    QStringList colourNames;
    for (const LedColour& colour : ledColours()) {
        colourNames << textOf(colour.name);
    }
    ColourBox = namedComboBox("ColourBox", colourNames, look);
    Pitch = spinBox("Pitch", kLedMinPitch, kLedMaxPitch, 8, look);
    Pitch->setSuffix(QStringLiteral(" px"));
    Glow = new QCheckBox(QStringLiteral("Soft glow"), look);
    Glow->setObjectName(QStringLiteral("Glow"));
    lookForm->addRow(QStringLiteral("Dots"), ShapeBox);
    lookForm->addRow(QStringLiteral("Dot size"), DotSize);
    colourLabel_ = new QLabel(QStringLiteral("Lit colour"), look);
    lookForm->addRow(colourLabel_, ColourBox);
    lookForm->addRow(QStringLiteral("Pitch"), Pitch);
    lookForm->addRow(QString(), Glow);
    column->addWidget(look);

    auto* scrolling = new QGroupBox(QStringLiteral("Scrolling"), controls);
    auto* scrollForm = new QFormLayout(scrolling);
    DirectionBox =
        namedComboBox("DirectionBox", {QStringLiteral("Left"), QStringLiteral("Right")}, scrolling);
    Speed = spinBox("Speed", 1, 200, 20, scrolling);
    Speed->setSuffix(QStringLiteral(" dots/s"));
    PlayButton = new QPushButton(QStringLiteral("Play"), scrolling);
    PlayButton->setObjectName(QStringLiteral("PlayButton"));
    PlayButton->setCheckable(true);
    scrollForm->addRow(QStringLiteral("Direction"), DirectionBox);
    scrollForm->addRow(QStringLiteral("Speed"), Speed);
    scrollForm->addRow(QString(), PlayButton);
    column->addWidget(scrolling);

    SaveButton = new QPushButton(QStringLiteral("Save Picture\u2026"), controls);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    column->addWidget(SaveButton);
    column->addStretch(1);
    return controls;
}

void LedPreview::connectControls() {
    connect(TextEdit, &QPlainTextEdit::textChanged, this, &LedPreview::contentChanged);
    connect(BitmapList, &QListWidget::itemSelectionChanged, this, &LedPreview::contentChanged);
    connect(ColourBox, &QComboBox::currentIndexChanged, this, &LedPreview::contentChanged);
    connect(PresetBox, &QComboBox::activated, this, &LedPreview::presetChosen);
    for (QSpinBox* box : {PanelWidth, PanelHeight}) {
        connect(box, &QSpinBox::valueChanged, this, &LedPreview::sizeTyped);
    }
    for (QSpinBox* box : {ContentLeft, ContentTop}) {
        connect(box, &QSpinBox::valueChanged, this, [this] {
            dotsStale_ = true;
            frameChanged();
        });
    }
    for (QSpinBox* box : {DotSize, Pitch}) {
        connect(box, &QSpinBox::valueChanged, this, &LedPreview::frameChanged);
    }
    connect(ShapeBox, &QComboBox::currentIndexChanged, this, &LedPreview::frameChanged);
    connect(Glow, &QCheckBox::toggled, this, &LedPreview::frameChanged);
    connect(Speed, &QSpinBox::valueChanged, this, &LedPreview::speedChanged);
    connect(PlayButton, &QPushButton::toggled, this, &LedPreview::playToggled);
    connect(SaveButton, &QPushButton::clicked, this, &LedPreview::savePicture);
}

void LedPreview::connectDocument() {
    Document& document = main_.document();
    connect(&document, &Document::modeChanged, this, &LedPreview::modeChanged);
    connect(&document, &Document::fontLibraryReset, this, &LedPreview::contentChanged);
    connect(&document, &Document::glyphChanged, this, &LedPreview::contentChanged);
    connect(&document, &Document::bitmapLibraryReset, this, [this] { refillBitmapList({}); });
    connect(&document, &Document::bitmapInserted, this,
            [this](int position) { refillBitmapList(shiftedChoice(position, +1)); });
    connect(&document, &Document::bitmapRemoved, this,
            [this](int position) { refillBitmapList(shiftedChoice(position, -1)); });
    connect(&document, &Document::bitmapChanged, this, &LedPreview::contentChanged);
    // The text's characters and the bitmaps' names are read in the code page.
    connect(&document, &Document::codePageChanged, this, [this] {
        refillBitmapList(chosenBitmaps());
        contentChanged();
    });
}

bool LedPreview::fontShown() const {
    return main_.editingMode() != EditingMode::Bitmap;
}

void LedPreview::modeChanged() {
    const bool font = fontShown();
    textLabel_->setVisible(font);
    TextEdit->setVisible(font);
    bitmapLabel_->setVisible(!font);
    BitmapList->setVisible(!font);
    colourLabel_->setVisible(font);
    ColourBox->setVisible(font);
    refillBitmapList(chosenBitmaps());
}

std::vector<int> LedPreview::shiftedChoice(int position, int step) const {
    std::vector<int> chosen;
    for (const int row : chosenBitmaps()) {
        if (step < 0 && row == position) {
            continue; // the removed bitmap
        }
        chosen.push_back(row >= position ? row + step : row);
    }
    return chosen;
}

void LedPreview::refillBitmapList(const std::vector<int>& chosen) {
    const BitmapLibrary& library = main_.bitmapLibrary();
    {
        const QSignalBlocker quiet(BitmapList);
        BitmapList->clear();
        for (const bitmapInfoList& entry : library.entries) {
            BitmapList->addItem(fromLibraryText(entry.name, main_.document().codePage()));
        }
        // A refilled list keeps the bitmaps it had chosen; with none chosen it shows the first.
        bool any = false;
        for (const int position : chosen) {
            if (position >= 0 && position < BitmapList->count()) {
                BitmapList->item(position)->setSelected(true);
                any = true;
            }
        }
        if (!any && BitmapList->count() > 0) {
            BitmapList->item(0)->setSelected(true);
        }
    }
    contentChanged();
}

std::vector<int> LedPreview::chosenBitmaps() const {
    std::vector<int> positions;
    for (int row = 0; row < BitmapList->count(); ++row) {
        if (BitmapList->item(row)->isSelected()) {
            positions.push_back(row);
        }
    }
    return positions;
}

void LedPreview::presetChosen(int index) {
    if (index < 0 || index >= static_cast<int>(panelPresets().size())) {
        return;
    }
    const PanelPreset& preset = panelPresets()[static_cast<std::size_t>(index)];
    const QSignalBlocker quietWidth(PanelWidth);
    const QSignalBlocker quietHeight(PanelHeight);
    PanelWidth->setValue(preset.width);
    PanelHeight->setValue(preset.height);
    dotsStale_ = true;
    frameChanged();
}

void LedPreview::sizeTyped() {
    const PanelPreset& shown = panelPresets()[static_cast<std::size_t>(
        std::min<int>(PresetBox->currentIndex(), static_cast<int>(panelPresets().size()) - 1))];
    if (PresetBox->currentIndex() >= static_cast<int>(panelPresets().size()) ||
        shown.width != PanelWidth->value() || shown.height != PanelHeight->value()) {
        PresetBox->setCurrentIndex(static_cast<int>(panelPresets().size()));
        for (std::size_t k = 0; k < panelPresets().size(); ++k) {
            if (panelPresets()[k].width == PanelWidth->value() &&
                panelPresets()[k].height == PanelHeight->value()) {
                PresetBox->setCurrentIndex(static_cast<int>(k));
                break;
            }
        }
    }
    dotsStale_ = true;
    frameChanged();
}

void LedPreview::speedChanged() {
    // One dot per tick: the tick's interval sets the speed.
    ScrollTimer->setInterval(static_cast<int>(std::lround(1000.0 / Speed->value())));
}

void LedPreview::playToggled(bool playing) {
    PlayButton->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    if (playing) {
        ScrollTimer->start();
    } else {
        ScrollTimer->stop();
    }
}

void LedPreview::advance() {
    const int step = DirectionBox->currentIndex() == 0 ? -1 : 1;
    const int period = marqueePeriod(PanelWidth->value(), content_.width);
    // Whole periods look the same, so the offset stays within one.
    scrollOffset_ = (scrollOffset_ + step) % std::max(1, period);
    dotsStale_ = true;
    frameChanged();
}

void LedPreview::contentChanged() {
    contentStale_ = true;
    dotsStale_ = true;
    frameChanged();
}

void LedPreview::frameChanged() {
    imageStale_ = true;
    const int pitch = std::clamp(Pitch->value(), kLedMinPitch, kLedMaxPitch);
    view_->setFixedSize(PanelWidth->value() * pitch, PanelHeight->value() * pitch);
    // The view asks for the frame when it paints: several changes before a repaint draw one
    // frame, so a timer faster than the screen never piles frames up.
    view_->update();
}

const DotFrame& LedPreview::dots() {
    if (contentStale_) {
        content_ =
            fontShown()
                ? fontContent(
                      main_.fontLibrary(), TextEdit->toPlainText(),
                      ledColours()[static_cast<std::size_t>(std::max(0, ColourBox->currentIndex()))]
                          .lit,
                      main_.document().codePage())
                : bitmapContent(main_.bitmapLibrary(), chosenBitmaps());
        contentStale_ = false;
    }
    if (dotsStale_) {
        const bool wrap = PlayButton->isChecked() || scrollOffset_ != 0;
        dots_ = placeContent(content_, PanelWidth->value(), PanelHeight->value(),
                             ContentLeft->value() + scrollOffset_, ContentTop->value(), wrap);
        dotsStale_ = false;
    }
    return dots_;
}

LedLook LedPreview::look() const {
    LedLook look;
    look.shape = ShapeBox->currentIndex() == 1 ? LedLook::Shape::Square : LedLook::Shape::Round;
    look.pitch = Pitch->value();
    look.dotPercent = DotSize->value();
    look.glow = Glow->isChecked();
    look.unlit =
        fontShown()
            ? dimOf(ledColours()[static_cast<std::size_t>(std::max(0, ColourBox->currentIndex()))]
                        .lit)
            : kUnlitBitmapDot;
    return look;
}

const QImage& LedPreview::frame() {
    const DotFrame& current = dots();
    if (imageStale_) {
        static_cast<void>(renderer_.render(current, look()));
        imageStale_ = false;
    }
    return renderer_.image();
}

void LedPreview::savePicture() {
    const auto path = main_.prompter().askSaveFile(this, kPngFilter, kPngSuffix);
    if (!path) {
        return;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!frame().save(&buffer, "PNG")) {
        main_.prompter().showError(this, QStringLiteral("The frame cannot be written as PNG."));
        return;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(png.data()),
                                              static_cast<std::size_t>(png.size()));
    const auto saved = saveFile(path->toStdString(), bytes);
    if (!saved) {
        main_.prompter().showError(this, QString::fromStdString(saved.error().message));
    }
}

} // namespace korvel
