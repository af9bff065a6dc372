#include "app/exportcdialog.h"

#include "app/controls.h"
#include "app/umain.h"
#include "core/codeselection.h"
#include "core/fontmetrics.h"
#include "fileio/fileio.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>

namespace korvel {

namespace {

const QString kHeaderFilter = QStringLiteral("C Header File|*.h");
const QString kHeaderSuffix = QStringLiteral("*.h");

/// The layouts of the format list: rows and pages (export-c's "plain" format), then every other
/// font format export-c writes, by its word.
[[nodiscard]] std::vector<std::pair<QString, FontLayout>> formatChoices() {
    std::vector<std::pair<QString, FontLayout>> choices{
        {QStringLiteral("rows"), FontLayout::Rows}, {QStringLiteral("pages"), FontLayout::Pages}};
    for (const FontFormat& format : fontFormats()) {
        if (format.layout != FontLayout::Rows) {
            choices.emplace_back(
                QString::fromLatin1(format.word.data(), static_cast<qsizetype>(format.word.size())),
                format.layout);
        }
    }
    return choices;
}

struct PixelChoice {
    const char* word;
    BitmapPixel pixel;
};
constexpr std::array<PixelChoice, 3> kPixels{{
    {"rgb565", BitmapPixel::Rgb565},
    {"rgb111", BitmapPixel::Rgb111},
    {"planes", BitmapPixel::Planes},
}};

/// The largest side a decoded picture is enlarged to, in screen pixels.
constexpr int kDecodedSide = 40;
constexpr int kDecodedColumns = 16;
constexpr int kSheetGap = 6;
const QColor kSheetGround(64, 64, 64);

/// A decoder's reason, framed as the status line says it.
[[nodiscard]] QString decodeFault(const Error& error) {
    return QStringLiteral("The header does not decode back: %1.")
        .arg(QString::fromStdString(error.message));
}

[[nodiscard]] BitOrder bitOrderOf(const QComboBox* box) {
    return box->currentIndex() == 1 ? BitOrder::LsbFirst : BitOrder::MsbFirst;
}

} // namespace

QImage drawDecodedSheet(const std::vector<const Picture*>& pictures, int zoom, int columns) {
    int cellWidth = 1;
    int cellHeight = 1;
    for (const Picture* picture : pictures) {
        cellWidth = std::max(cellWidth, picture->width() * zoom);
        cellHeight = std::max(cellHeight, picture->height() * zoom);
    }
    const int count = static_cast<int>(pictures.size());
    const int across = std::max(1, std::min(columns, count));
    const int down = std::max(1, (count + across - 1) / across);
    QImage sheet(kSheetGap + across * (cellWidth + kSheetGap),
                 kSheetGap + down * (cellHeight + kSheetGap), QImage::Format_RGB32);
    sheet.fill(kSheetGround);
    QPainter painter(&sheet);
    // Above zoom 2 a pixel leaves a line of ground to its right and below, so single pixels
    // can be counted.
    const int dot = zoom > 2 ? zoom - 1 : zoom;
    for (int k = 0; k < count; ++k) {
        const Picture& picture = *pictures[static_cast<std::size_t>(k)];
        const int left = kSheetGap + (k % across) * (cellWidth + kSheetGap);
        const int top = kSheetGap + (k / across) * (cellHeight + kSheetGap);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const Rgb colour = picture.pixel(x, y);
                painter.fillRect(left + x * zoom, top + y * zoom, dot, dot,
                                 QColor(redOf(colour), greenOf(colour), blueOf(colour)));
            }
        }
    }
    return sheet;
}

ExportCDialog::ExportCDialog(TForm1& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("ExportC1"));
    setWindowTitle(QStringLiteral("Export C Header"));
    setFont(main.font());
    auto* layout = new QHBoxLayout(this);

    auto* side = new QWidget(this);
    side->setFixedWidth(290);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QStackedWidget(side);
    pages_->addWidget(buildFontOptions());
    pages_->addWidget(buildBitmapOptions());
    sideLayout->addWidget(pages_);
    auto* nameRow = new QFormLayout;
    NameEdit = new QLineEdit(side);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    nameRow->addRow(QStringLiteral("Name"), NameEdit);
    sideLayout->addLayout(nameRow);
    StatusLabel = new QLabel(side);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    sideLayout->addWidget(StatusLabel);
    sideLayout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    SaveButton = new QPushButton(QStringLiteral("Save\u2026"), side);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    auto* close = new QPushButton(QStringLiteral("Close"), side);
    close->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(SaveButton);
    buttons->addWidget(close);
    sideLayout->addLayout(buttons);
    layout->addWidget(side);

    auto* views = new QSplitter(Qt::Vertical, this);
    TextView = new QPlainTextEdit(views);
    TextView->setObjectName(QStringLiteral("TextView"));
    TextView->setReadOnly(true);
    TextView->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(8);
    TextView->setFont(mono);
    decodedScroll_ = new QScrollArea(views);
    decodedScroll_->setObjectName(QStringLiteral("DecodedScroll"));
    DecodedView = new QLabel;
    DecodedView->setObjectName(QStringLiteral("DecodedView"));
    decodedScroll_->setWidget(DecodedView);
    decodedScroll_->setWidgetResizable(false);
    views->addWidget(TextView);
    views->addWidget(decodedScroll_);
    views->setSizes({300, 340});
    layout->addWidget(views, 1);

    connect(NameEdit, &QLineEdit::textChanged, this, &ExportCDialog::refresh);
    connect(SaveButton, &QPushButton::clicked, this, &ExportCDialog::saveHeader);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(1000, 640);
}

ExportCDialog::~ExportCDialog() = default;

QWidget* ExportCDialog::buildFontOptions() {
    auto* group = new QGroupBox(QStringLiteral("Font"), this);
    auto* form = new QFormLayout(group);
    QStringList formats;
    for (const auto& choice : formatChoices()) {
        formats << choice.first;
    }
    FormatBox = namedComboBox("FormatBox", formats, group);
    BitOrderBox =
        namedComboBox("BitOrderBox", {QStringLiteral("msb"), QStringLiteral("lsb")}, group);
    InkBox = namedComboBox("InkBox", {QStringLiteral("1"), QStringLiteral("0")}, group);
    CodesEdit = new QLineEdit(group);
    CodesEdit->setObjectName(QStringLiteral("CodesEdit"));
    CodesEdit->setPlaceholderText(QStringLiteral("every code, or 32-126,176"));
    CharsEdit = new QLineEdit(group);
    CharsEdit->setObjectName(QStringLiteral("CharsEdit"));
    CharsEdit->setPlaceholderText(QStringLiteral("the characters of a text"));
    BaselineBox = namedComboBox(
        "BaselineBox", {QStringLiteral("auto"), QStringLiteral("bottom"), QStringLiteral("row")},
        group);
    BaselineRow = namedSpinBox("BaselineRow", 0, 255, 0, group);
    EncodingBox =
        namedComboBox("EncodingBox", {QStringLiteral("code"), QStringLiteral("unicode")}, group);
    form->addRow(QStringLiteral("Layout or format"), FormatBox);
    form->addRow(QStringLiteral("Bit order"), BitOrderBox);
    form->addRow(QStringLiteral("Ink bit"), InkBox);
    form->addRow(QStringLiteral("Codes"), CodesEdit);
    form->addRow(QStringLiteral("Characters"), CharsEdit);
    auto* baseline = new QHBoxLayout;
    baseline->addWidget(BaselineBox);
    baseline->addWidget(BaselineRow);
    form->addRow(QStringLiteral("Baseline"), baseline);
    form->addRow(QStringLiteral("u8g2 encoding"), EncodingBox);
    CodePageLabel = new QLabel(group);
    CodePageLabel->setObjectName(QStringLiteral("CodePageLabel"));
    CodePageLabel->setToolTip(QStringLiteral("The editor's code page, chosen in Options > Code "
                                             "Page: what the characters of a text map through, "
                                             "what u8g2's Unicode encoding and LVGL find glyphs "
                                             "by"));
    form->addRow(QStringLiteral("Code page"), CodePageLabel);
    // A name the dialog chose itself follows the format (an LVGL font may not be called cmaps);
    // one the user typed stays.
    connect(FormatBox, &QComboBox::currentIndexChanged, this, [this] {
        if (NameEdit->text().toStdString() == chosenName_) {
            const QSignalBlocker quiet(NameEdit);
            chosenName_ = defaultName();
            NameEdit->setText(QString::fromStdString(chosenName_));
        }
    });
    for (QComboBox* box : {FormatBox, BitOrderBox, InkBox, BaselineBox, EncodingBox}) {
        connect(box, &QComboBox::currentIndexChanged, this, &ExportCDialog::refresh);
    }
    for (QLineEdit* edit : {CodesEdit, CharsEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &ExportCDialog::refresh);
    }
    connect(BaselineRow, &QSpinBox::valueChanged, this, &ExportCDialog::refresh);
    return group;
}

QWidget* ExportCDialog::buildBitmapOptions() {
    auto* group = new QGroupBox(QStringLiteral("Bitmaps"), this);
    auto* form = new QFormLayout(group);
    QStringList pixels;
    for (const PixelChoice& choice : kPixels) {
        pixels << QString::fromLatin1(choice.word);
    }
    PixelBox = namedComboBox("PixelBox", pixels, group);
    ByteOrderBox =
        namedComboBox("ByteOrderBox", {QStringLiteral("big"), QStringLiteral("little")}, group);
    PlaneOrderBox =
        namedComboBox("PlaneOrderBox", {QStringLiteral("msb"), QStringLiteral("lsb")}, group);
    PlaneInkBox = namedComboBox("PlaneInkBox", {QStringLiteral("1"), QStringLiteral("0")}, group);
    form->addRow(QStringLiteral("Pixel format"), PixelBox);
    form->addRow(QStringLiteral("Byte order"), ByteOrderBox);
    form->addRow(QStringLiteral("Plane bit order"), PlaneOrderBox);
    form->addRow(QStringLiteral("Lit bit"), PlaneInkBox);
    for (QComboBox* box : {PixelBox, ByteOrderBox, PlaneOrderBox, PlaneInkBox}) {
        connect(box, &QComboBox::currentIndexChanged, this, &ExportCDialog::refresh);
    }
    return group;
}

std::string ExportCDialog::libraryPath() const {
    return fontShown_ ? main_.document().fontFilePath() : main_.document().bitmapFilePath();
}

std::string ExportCDialog::defaultName() const {
    const std::string path = libraryPath();
    const std::string fallback = fontShown_ ? "font" : "bitmaps";
    if (path.empty()) {
        return fallback;
    }
    const std::string name = arrayNameFromFileName(std::filesystem::path(path).stem().string(),
                                                   fontShown_ ? "font_" : "bitmaps_");
    if (!isArrayName(name)) {
        return fallback;
    }
    return fontShown_ && chosenLayout() == FontLayout::Lvgl ? lvglDefaultName(name) : name;
}

void ExportCDialog::showEvent(QShowEvent* event) {
    fontShown_ = main_.editingMode() != EditingMode::Bitmap;
    pages_->setCurrentIndex(fontShown_ ? 0 : 1);
    const std::string_view page = main_.document().codePage().caption();
    CodePageLabel->setText(QString::fromLatin1(page.data(), static_cast<qsizetype>(page.size())));
    // The name follows the library's file until the user types one of their own for it.
    const std::string path = (fontShown_ ? "font:" : "bitmaps:") + libraryPath();
    if (path != namedFor_) {
        namedFor_ = path;
        const QSignalBlocker quiet(NameEdit);
        chosenName_ = defaultName();
        NameEdit->setText(QString::fromStdString(chosenName_));
    }
    refresh();
    QDialog::showEvent(event);
}

FontLayout ExportCDialog::chosenLayout() const {
    const auto choices = formatChoices();
    const auto index = static_cast<std::size_t>(std::max(0, FormatBox->currentIndex()));
    return index < choices.size() ? choices[index].second : FontLayout::Rows;
}

Result<std::optional<CodeList>> ExportCDialog::chosenCodes() const {
    const std::string list = CodesEdit->text().trimmed().toStdString();
    const std::string text = CharsEdit->text().toStdString();
    if (list.empty() && text.empty()) {
        return std::optional<CodeList>{};
    }
    CodeList codes;
    if (!list.empty()) {
        auto parsed = parseCodeList(list);
        if (!parsed) {
            return parsed.error();
        }
        codes = mergedCodes(codes, parsed.value());
    }
    if (!text.empty()) {
        auto parsed = codesOfCharacters(text, main_.document().codePage());
        if (!parsed) {
            return parsed.error();
        }
        codes = mergedCodes(codes, parsed.value());
    }
    return std::optional<CodeList>{std::move(codes)};
}

FontExportOptions ExportCDialog::fontOptions() const {
    FontExportOptions options;
    // The editor's code page, as korvel-cli's --codepage gives it.
    options.codePage = main_.document().codePage();
    options.layout = chosenLayout();
    const bool plain = options.layout == FontLayout::Rows || options.layout == FontLayout::Pages;
    // export-c takes no bit options for the formats that have none; their defaults stand.
    if (options.layout == FontLayout::Rows) {
        options.bitOrder = bitOrderOf(BitOrderBox);
    }
    if (plain) {
        options.inkIsOne = InkBox->currentIndex() == 0;
    } else if (BaselineBox->currentIndex() == 1) {
        options.baseline = BaselineChoice::bottom();
    } else if (BaselineBox->currentIndex() == 2) {
        options.baseline = BaselineChoice::at(BaselineRow->value());
    }
    if (options.layout == FontLayout::U8g2 && EncodingBox->currentIndex() == 1) {
        options.encoding = U8g2Encoding::Unicode;
    }
    if (auto codes = chosenCodes()) {
        options.codes = std::move(codes).value();
    }
    options.name = NameEdit->text().toStdString();
    options.source = sourceName();
    return options;
}

std::string ExportCDialog::sourceName() const {
    const std::string path = libraryPath();
    // A library never saved has no file to name; the comment still reads as a sentence.
    if (path.empty()) {
        return fontShown_ ? "untitled.lcm" : "untitled.bcm";
    }
    return std::filesystem::path(path).filename().string();
}

BitmapExportOptions ExportCDialog::bitmapOptions() const {
    BitmapExportOptions options;
    options.pixel = kPixels[static_cast<std::size_t>(std::max(0, PixelBox->currentIndex()))].pixel;
    if (options.pixel == BitmapPixel::Rgb565) {
        options.byteOrder = ByteOrderBox->currentIndex() == 1 ? ByteOrder::Little : ByteOrder::Big;
    }
    if (options.pixel == BitmapPixel::Planes) {
        options.bitOrder = bitOrderOf(PlaneOrderBox);
        options.litIsOne = PlaneInkBox->currentIndex() == 0;
    }
    options.name = NameEdit->text().toStdString();
    options.source = sourceName();
    return options;
}

void ExportCDialog::enableFittingOptions() {
    const FontLayout layout = chosenLayout();
    const bool plain = layout == FontLayout::Rows || layout == FontLayout::Pages;
    BitOrderBox->setEnabled(layout == FontLayout::Rows);
    InkBox->setEnabled(plain);
    BaselineBox->setEnabled(!plain);
    BaselineRow->setEnabled(!plain && BaselineBox->currentIndex() == 2);
    EncodingBox->setEnabled(layout == FontLayout::U8g2);
    const BitmapPixel pixel =
        kPixels[static_cast<std::size_t>(std::max(0, PixelBox->currentIndex()))].pixel;
    ByteOrderBox->setEnabled(pixel == BitmapPixel::Rgb565);
    PlaneOrderBox->setEnabled(pixel == BitmapPixel::Planes);
    PlaneInkBox->setEnabled(pixel == BitmapPixel::Planes);
}

void ExportCDialog::refresh() {
    enableFittingOptions();
    header_.reset();
    glyphs_.clear();
    bitmaps_.clear();
    if (fontShown_) {
        // export-c refuses a code list or text that gives no codes before it reads the library.
        if (const auto codes = chosenCodes(); !codes) {
            showRefusal(QString::fromStdString(codes.error().message));
            return;
        }
    }
    Result<std::string> made = fontShown_ ? exportFontC(main_.fontLibrary(), fontOptions())
                                          : exportBitmapsC(main_.bitmapLibrary(), bitmapOptions());
    if (!made) {
        // As korvel-cli says it: the library's file, then the reason.
        const std::string path = libraryPath();
        showRefusal(QString::fromStdString((path.empty() ? std::string() : path + ": ") +
                                           made.error().message));
        return;
    }
    header_ = std::move(made).value();
    showHeader();
}

void ExportCDialog::showRefusal(const QString& text) {
    refusal_ = text;
    StatusLabel->setText(text);
    TextView->clear();
    sheet_ = QImage();
    DecodedView->clear();
    DecodedView->adjustSize();
}

void ExportCDialog::showHeader() {
    refusal_.clear();
    const std::string& text = *header_;
    // The first lines only: the text view would take longer to lay out a whole large header
    // than the header takes to make.
    std::size_t end = 0;
    for (int line = 0; line < kShownLines && end < text.size(); ++line) {
        const std::size_t next = text.find('\n', end);
        end = next == std::string::npos ? text.size() : next + 1;
    }
    TextView->setPlainText(QString::fromStdString(text.substr(0, end)));
    std::vector<const Picture*> pictures;
    int largest = 1;
    QString status;
    if (fontShown_) {
        const FontExportOptions options = fontOptions();
        auto decoded =
            decodeFontHeader(text, options, resolveBaseline(main_.fontLibrary(), options.baseline));
        if (decoded) {
            glyphs_ = std::move(decoded).value();
        } else {
            status = decodeFault(decoded.error());
        }
        for (const DecodedGlyph& glyph : glyphs_) {
            pictures.push_back(&glyph.picture);
        }
        status = status.isEmpty() ? QStringLiteral("%1 bytes; %2 glyphs decoded from them.")
                                        .arg(text.size())
                                        .arg(glyphs_.size())
                                  : status;
    } else {
        auto decoded = decodeBitmapHeader(text, bitmapOptions());
        if (decoded) {
            bitmaps_ = std::move(decoded).value();
        } else {
            status = decodeFault(decoded.error());
        }
        for (const DecodedBitmap& bitmap : bitmaps_) {
            pictures.push_back(&bitmap.picture);
        }
        status = status.isEmpty() ? QStringLiteral("%1 bytes; %2 bitmaps decoded from them.")
                                        .arg(text.size())
                                        .arg(bitmaps_.size())
                                  : status;
    }
    for (const Picture* picture : pictures) {
        largest = std::max({largest, picture->width(), picture->height()});
    }
    sheet_ = drawDecodedSheet(pictures, std::clamp(kDecodedSide / largest, 1, 8), kDecodedColumns);
    DecodedView->setPixmap(QPixmap::fromImage(sheet_));
    DecodedView->adjustSize();
    StatusLabel->setText(status);
}

void ExportCDialog::saveHeader() {
    Prompter& prompter = main_.prompter();
    if (!header_) {
        prompter.showError(this, refusal_);
        return;
    }
    const auto chosen = prompter.askSaveFile(this, kHeaderFilter, kHeaderSuffix);
    if (!chosen) {
        return;
    }
    const std::string output = chosen->toStdString();
    std::error_code error;
    if (!libraryPath().empty() && std::filesystem::equivalent(libraryPath(), output, error)) {
        prompter.showError(this,
                           QString::fromStdString(
                               output + ": is the library itself; the header would overwrite it"));
        return;
    }
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(header_->data()), header_->size());
    if (const Result<void> written = writeFileAtomic(output, bytes); !written) {
        prompter.showError(this, QString::fromStdString(written.error().message));
    }
}

} // namespace korvel
