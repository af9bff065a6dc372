#pragma once

#include "document/imagefiles.h"
#include "formats/imageconvert.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;

namespace korvel {

class CellCanvas;
class TForm1;

/// "Image into Entry": puts any picture file into the selected glyph or bitmap, with a size, a
/// fit, a scaling, thresholds, dithering, inversion and transparency, and a preview that shows
/// the result enlarged as the edit canvas will. OK changes the entry in one undoable step (or,
/// in bitmap mode with "All frames as new bitmaps", appends every frame in one step).
class ImageImportDialog : public QDialog {
    Q_OBJECT

public:
    /// The largest side typed or taken from a picture, as the modify dialog allows.
    static constexpr int kMaxSide = 250;

    /// Created on first use, hidden; main is the window it works on and its Qt parent.
    explicit ImageImportDialog(TForm1& main);
    ~ImageImportDialog() override;

    /// Sets the dialog up for entry index of the current library (a glyph code or a bitmap
    /// position), with the options at their defaults and no picture yet.
    void prepare(int index);
    /// Asks for a picture file and reads it; false when the user cancels or the file is
    /// refused (the error box says why, and the picture shown before stays).
    bool chooseFile();
    /// Reads fileName as chooseFile does, without asking.
    bool loadFile(const QString& fileName);

    /// The options the controls give now.
    [[nodiscard]] ConversionOptions conversionOptions() const;
    /// The picture OK would give the entry.
    [[nodiscard]] const Picture& result() const { return result_; }
    [[nodiscard]] int frameCount() const;

    // Controls, for the main window's tests.
    QLineEdit* fileName = nullptr;
    QPushButton* chooseButton = nullptr;
    QLabel* pictureInfo = nullptr;
    QSpinBox* frameBox = nullptr;
    QCheckBox* allFramesBox = nullptr;
    QRadioButton* keepSize = nullptr;
    QRadioButton* pictureSize = nullptr;
    QRadioButton* typedSize = nullptr;
    QSpinBox* widthBox = nullptr;
    QSpinBox* heightBox = nullptr;
    QComboBox* fitBox = nullptr;
    QComboBox* scalingBox = nullptr;
    QSpinBox* redThreshold = nullptr;
    QSpinBox* greenThreshold = nullptr;
    QSpinBox* blueThreshold = nullptr;
    QSpinBox* brightnessThreshold = nullptr;
    QComboBox* ditherBox = nullptr;
    QCheckBox* invertBox = nullptr;
    QSpinBox* alphaThreshold = nullptr;
    QScrollArea* previewArea = nullptr;
    CellCanvas* preview = nullptr;
    QLabel* resultInfo = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void buildControls();
    void connectControls();
    void resetOptions();
    /// Recomputes the result from the controls and shows it; the placed picture is kept while
    /// only the reduction to colours changes.
    void refresh();
    void okClicked();
    [[nodiscard]] bool fontMode() const;
    [[nodiscard]] QSize entrySize() const;
    [[nodiscard]] QSize chosenSize() const;
    /// The frames as new bitmaps NAME1, NAME2, ... after the library's last entry; false (with a
    /// message) when a name cannot be used.
    bool appendFrames();

    TForm1& main_;
    int index_ = 0;
    std::optional<ImageFrames> frames_;
    SourceImage placed_;
    std::optional<ConversionOptions> placedFor_;
    int placedFrame_ = -1;
    Picture result_;
};

} // namespace korvel
