#include "app/uimageimport.h"

#include "app/prompter.h"
#include "app/umain.h"
#include "document/libraryfactory.h"
#include "document/librarytext.h"
#include "widgets/cellcanvas.h"
#include "widgets/numberbox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace korvel {

namespace {

const QString kTitle = QStringLiteral("Image into Entry");

QSpinBox* levelBox(QWidget* parent, int value) {
    auto* box = new NumberBox(parent);
    box->setRange(0, 255);
    box->setValue(value);
    return box;
}

/// The picture's own size, shrunk keeping its shape where a side is above the limit.
QSize withinLimit(QSize size, int limit) {
    if (size.width() <= limit && size.height() <= limit) {
        return size;
    }
    return size.scaled(limit, limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace

ImageImportDialog::ImageImportDialog(TForm1& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("ImageImport1"));
    setWindowTitle(kTitle);
    buildControls();
    connectControls();
}

ImageImportDialog::~ImageImportDialog() = default;

void ImageImportDialog::buildControls() {
    previewArea = new QScrollArea(this);
    previewArea->setMinimumSize(520, 440);
    previewArea->setWidgetResizable(false);
    preview = new CellCanvas();
    previewArea->setWidget(preview);

    auto* fileRow = new QHBoxLayout;
    fileName = new QLineEdit(this);
    fileName->setReadOnly(true);
    chooseButton = new QPushButton(QStringLiteral("Choose File..."), this);
    chooseButton->setAutoDefault(false);
    fileRow->addWidget(fileName, 1);
    fileRow->addWidget(chooseButton);
    pictureInfo = new QLabel(this);

    frameBox = new QSpinBox(this);
    frameBox->setRange(1, 1);
    allFramesBox = new QCheckBox(QStringLiteral("All frames as new bitmaps"), this);

    auto* sizeGroup = new QGroupBox(QStringLiteral("Size"), this);
    keepSize = new QRadioButton(QStringLiteral("Keep the entry's size"), sizeGroup);
    pictureSize = new QRadioButton(QStringLiteral("Take the picture's size"), sizeGroup);
    typedSize = new QRadioButton(QStringLiteral("Width x height:"), sizeGroup);
    widthBox = new NumberBox(sizeGroup);
    heightBox = new NumberBox(sizeGroup);
    for (QSpinBox* box : {widthBox, heightBox}) {
        box->setRange(1, kMaxSide);
    }
    auto* group = new QButtonGroup(sizeGroup);
    for (QRadioButton* button : {keepSize, pictureSize, typedSize}) {
        group->addButton(button);
    }
    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(keepSize, 0, 0, 1, 3);
    sizeLayout->addWidget(pictureSize, 1, 0, 1, 3);
    sizeLayout->addWidget(typedSize, 2, 0);
    sizeLayout->addWidget(widthBox, 2, 1);
    sizeLayout->addWidget(heightBox, 2, 2);

    fitBox = new QComboBox(this);
    fitBox->addItem(QStringLiteral("Stretch"), static_cast<int>(FitMode::Stretch));
    fitBox->addItem(QStringLiteral("Fit Inside"), static_cast<int>(FitMode::Inside));
    fitBox->addItem(QStringLiteral("Fill and Crop"), static_cast<int>(FitMode::Crop));
    fitBox->addItem(QStringLiteral("Centre"), static_cast<int>(FitMode::Centre));
    scalingBox = new QComboBox(this);
    scalingBox->addItem(QStringLiteral("Nearest neighbour"), static_cast<int>(Scaling::Nearest));
    scalingBox->addItem(QStringLiteral("Area average"), static_cast<int>(Scaling::Area));

    redThreshold = levelBox(this, 128);
    greenThreshold = levelBox(this, 128);
    blueThreshold = levelBox(this, 128);
    brightnessThreshold = levelBox(this, 128);
    auto* channels = new QHBoxLayout;
    for (QSpinBox* box : {redThreshold, greenThreshold, blueThreshold}) {
        channels->addWidget(box);
    }
    ditherBox = new QComboBox(this);
    ditherBox->addItem(QStringLiteral("None"), static_cast<int>(Dither::None));
    ditherBox->addItem(QStringLiteral("Floyd-Steinberg"), static_cast<int>(Dither::FloydSteinberg));
    ditherBox->addItem(QStringLiteral("Atkinson"), static_cast<int>(Dither::Atkinson));
    ditherBox->addItem(QStringLiteral("Ordered (Bayer 4 x 4)"), static_cast<int>(Dither::Bayer));
    invertBox = new QCheckBox(QStringLiteral("Invert"), this);
    alphaThreshold = levelBox(this, 128);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Frame:"), frameBox);
    form->addRow(QString(), allFramesBox);
    form->addRow(sizeGroup);
    form->addRow(QStringLiteral("Fit:"), fitBox);
    form->addRow(QStringLiteral("Scaling:"), scalingBox);
    form->addRow(QStringLiteral("Threshold R, G, B:"), channels);
    form->addRow(QStringLiteral("Brightness threshold:"), brightnessThreshold);
    form->addRow(QStringLiteral("Dithering:"), ditherBox);
    form->addRow(QString(), invertBox);
    form->addRow(QStringLiteral("Transparent below alpha:"), alphaThreshold);

    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(QDialogButtonBox::Ok);
    cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    resultInfo = new QLabel(this);

    auto* side = new QVBoxLayout;
    side->addLayout(fileRow);
    side->addWidget(pictureInfo);
    side->addLayout(form);
    side->addStretch(1);
    side->addWidget(resultInfo);
    side->addWidget(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(previewArea, 1);
    layout->addLayout(side);
}

void ImageImportDialog::connectControls() {
    connect(chooseButton, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(okButton, &QPushButton::clicked, this, &ImageImportDialog::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    for (QSpinBox* box : {frameBox, widthBox, heightBox, redThreshold, greenThreshold,
                          blueThreshold, brightnessThreshold, alphaThreshold}) {
        connect(box, &QSpinBox::valueChanged, this, &ImageImportDialog::refresh);
    }
    for (QComboBox* box : {fitBox, scalingBox, ditherBox}) {
        connect(box, &QComboBox::currentIndexChanged, this, &ImageImportDialog::refresh);
    }
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             keepSize, pictureSize, typedSize, invertBox, allFramesBox}) {
        connect(button, &QAbstractButton::toggled, this, &ImageImportDialog::refresh);
    }
    connect(typedSize, &QRadioButton::toggled, widthBox, &QWidget::setEnabled);
    connect(typedSize, &QRadioButton::toggled, heightBox, &QWidget::setEnabled);
}

bool ImageImportDialog::fontMode() const {
    return main_.editingMode() == EditingMode::Font;
}

QSize ImageImportDialog::entrySize() const {
    if (fontMode()) {
        const GlyphRecord& glyph = main_.fontLibrary().glyphs[static_cast<std::size_t>(index_)];
        return {glyph.width, glyph.height};
    }
    const bitmapInfoList& entry = main_.bitmapLibrary().entries[static_cast<std::size_t>(index_)];
    return {entry.width, entry.height};
}

void ImageImportDialog::resetOptions() {
    const QSignalBlocker blockers[] = {QSignalBlocker(frameBox),
                                       QSignalBlocker(allFramesBox),
                                       QSignalBlocker(keepSize),
                                       QSignalBlocker(pictureSize),
                                       QSignalBlocker(typedSize),
                                       QSignalBlocker(widthBox),
                                       QSignalBlocker(heightBox),
                                       QSignalBlocker(fitBox),
                                       QSignalBlocker(scalingBox),
                                       QSignalBlocker(redThreshold),
                                       QSignalBlocker(greenThreshold),
                                       QSignalBlocker(blueThreshold),
                                       QSignalBlocker(brightnessThreshold),
                                       QSignalBlocker(ditherBox),
                                       QSignalBlocker(invertBox),
                                       QSignalBlocker(alphaThreshold)};
    static_cast<void>(blockers);
    frameBox->setRange(1, 1);
    allFramesBox->setChecked(false);
    keepSize->setChecked(true);
    const QSize size = entrySize();
    keepSize->setText(
        QStringLiteral("Keep the entry's size (%1 x %2)").arg(size.width()).arg(size.height()));
    widthBox->setValue(std::clamp(size.width(), 1, kMaxSide));
    heightBox->setValue(std::clamp(size.height(), 1, kMaxSide));
    widthBox->setEnabled(false);
    heightBox->setEnabled(false);
    fitBox->setCurrentIndex(0);
    scalingBox->setCurrentIndex(0);
    for (QSpinBox* box :
         {redThreshold, greenThreshold, blueThreshold, brightnessThreshold, alphaThreshold}) {
        box->setValue(128);
    }
    ditherBox->setCurrentIndex(0);
    invertBox->setChecked(false);
    // Fonts have one colour, so one brightness threshold; bitmaps one threshold per channel.
    const bool font = fontMode();
    brightnessThreshold->setEnabled(font);
    for (QSpinBox* box : {redThreshold, greenThreshold, blueThreshold}) {
        box->setEnabled(!font);
    }
}

void ImageImportDialog::prepare(int index) {
    index_ = index;
    frames_.reset();
    placedFor_.reset();
    fileName->clear();
    pictureInfo->clear();
    result_ = Picture();
    resetOptions();
    setWindowTitle(
        kTitle + (fontMode()
                      ? QStringLiteral(" - Glyph %1").arg(index)
                      : QStringLiteral(" - Bitmap \"%1\"")
                            .arg(fromLibraryText(
                                main_.bitmapLibrary().entries[static_cast<std::size_t>(index)].name,
                                main_.document().codePage()))));
    refresh();
}

bool ImageImportDialog::chooseFile() {
    const auto chosen =
        main_.prompter().askOpenFile(this, QString::fromStdString(imageFileFilter()));
    return chosen && loadFile(*chosen);
}

bool ImageImportDialog::loadFile(const QString& name) {
    ImageRequest request;
    request.allFrames = true;
    std::optional<Result<ImageFrames>> read;
    const bool ran = runWithinMemory(main_.prompter(), this, quotedFile(name),
                                     [&] { read = readImageFile(name.toStdString(), request); });
    if (!ran) {
        return false;
    }
    if (!*read) {
        // As the modify dialog's BMP import says it: the system's text for a file that cannot
        // be read, the reader's reason for one that is no picture it takes.
        const Error& error = read->error();
        main_.prompter().showError(this,
                                   error.kind == ErrorKind::Access
                                       ? QString::fromStdString(error.message)
                                       : QStringLiteral("Cannot import \"%1\": %2.")
                                             .arg(name, QString::fromStdString(error.message)));
        return false;
    }
    frames_ = std::move(*read).value();
    placedFor_.reset();
    fileName->setText(name);
    const int count = frameCount();
    pictureInfo->setText(
        QStringLiteral("%1 x %2 pixels%3")
            .arg(frames_->fullSize.width())
            .arg(frames_->fullSize.height())
            .arg(count > 1 ? QStringLiteral(", %1 frames").arg(count) : QString()));
    {
        const QSignalBlocker blocker(frameBox);
        frameBox->setRange(1, count);
        frameBox->setValue(1);
    }
    frameBox->setEnabled(count > 1);
    allFramesBox->setEnabled(count > 1 && !fontMode());
    refresh();
    return true;
}

int ImageImportDialog::frameCount() const {
    return frames_ ? static_cast<int>(frames_->frames.size()) : 0;
}

QSize ImageImportDialog::chosenSize() const {
    if (typedSize->isChecked()) {
        return {widthBox->value(), heightBox->value()};
    }
    if (pictureSize->isChecked() && frames_) {
        return withinLimit(frames_->fullSize, kMaxSide);
    }
    return entrySize();
}

ConversionOptions ImageImportDialog::conversionOptions() const {
    ConversionOptions options;
    const QSize size = chosenSize();
    options.width = size.width();
    options.height = size.height();
    options.fit = static_cast<FitMode>(fitBox->currentData().toInt());
    options.scaling = static_cast<Scaling>(scalingBox->currentData().toInt());
    options.target = fontMode() ? ColourTarget::Brightness : ColourTarget::Channels;
    options.channelThresholds = {redThreshold->value(), greenThreshold->value(),
                                 blueThreshold->value()};
    options.brightnessThreshold = brightnessThreshold->value();
    options.dither = static_cast<Dither>(ditherBox->currentData().toInt());
    options.invert = invertBox->isChecked();
    options.alphaThreshold = alphaThreshold->value();
    return options;
}

void ImageImportDialog::refresh() {
    const ConversionOptions options = conversionOptions();
    const bool hasPicture = frames_ && !frames_->frames.empty();
    okButton->setEnabled(hasPicture);
    if (!hasPicture) {
        preview->hide();
        resultInfo->setText(QStringLiteral("Choose a picture file."));
        return;
    }
    const int frame = std::clamp(frameBox->value() - 1, 0, frameCount() - 1);
    // Placing is the costly stage; thresholds, dithering and inversion only redo the reduction.
    const bool samePlacement =
        placedFor_ && placedFrame_ == frame && placedFor_->width == options.width &&
        placedFor_->height == options.height && placedFor_->fit == options.fit &&
        placedFor_->scaling == options.scaling;
    if (!samePlacement) {
        placed_ = placeImage(frames_->frames[static_cast<std::size_t>(frame)], options);
        placedFor_ = options;
        placedFrame_ = frame;
    }
    result_ = quantizeImage(placed_, options);
    if (result_.isEmpty()) {
        preview->hide();
    } else {
        preview->showPicture(result_, main_.zoomSize(), CellColourRule::Display);
        preview->show();
    }
    resultInfo->setText(QStringLiteral("Result: %1 x %2").arg(options.width).arg(options.height));
}

bool ImageImportDialog::appendFrames() {
    const QString base =
        fromLibraryText(main_.bitmapLibrary().entries[static_cast<std::size_t>(index_)].name,
                        main_.document().codePage());
    const std::vector<QString> names = frameNames(base, frameCount());
    for (const QString& name : names) {
        if (const auto checked = checkBitmapName(name, main_.bitmapLibrary().index); !checked) {
            main_.prompter().showMessage(
                this, QStringLiteral("\"%1\": %2")
                          .arg(name, QString::fromStdString(checked.error().message)));
            return false;
        }
    }
    const ConversionOptions options = conversionOptions();
    std::vector<bitmapInfoList> entries;
    for (std::size_t k = 0; k < names.size(); ++k) {
        entries.push_back({toLibraryText(names[k], main_.document().codePage()), options.width,
                           options.height, convertImage(frames_->frames[k], options)});
    }
    main_.document().appendBitmaps(std::move(entries));
    return true;
}

void ImageImportDialog::okClicked() {
    if (!frames_ || frames_->frames.empty()) {
        return;
    }
    if (!fontMode() && allFramesBox->isChecked() && allFramesBox->isEnabled()) {
        if (appendFrames()) {
            accept();
        }
        return;
    }
    const ConversionOptions options = conversionOptions();
    EntryShape shape{options.width, options.height, result_};
    if (fontMode()) {
        main_.document().modifyGlyph(index_, std::move(shape));
    } else {
        main_.document().modifyBitmap(index_, std::move(shape));
    }
    accept();
}

} // namespace korvel
