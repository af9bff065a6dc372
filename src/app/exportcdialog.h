#pragma once

#include "firmware/cexport.h"
#include "firmware/headerdecode.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QShowEvent;
class QSpinBox;
class QStackedWidget;

namespace korvel {

class TForm1;

/// "C Header…": every export-c option for the library being edited, the first lines of the
/// header those options make and its glyphs or bitmaps decoded back from the header's bytes.
/// "Save…" writes the header through the same encoder and atomic save as korvel-cli export-c.
class ExportCDialog : public QDialog {
    Q_OBJECT

public:
    /// Lines of the header the text view shows.
    static constexpr int kShownLines = 80;

    explicit ExportCDialog(TForm1& main);
    ~ExportCDialog() override;

    /// Whether the dialog shows the font options (else the bitmap options).
    [[nodiscard]] bool fontShown() const { return fontShown_; }
    /// The options as chosen, as export-c's would be for the same command line.
    [[nodiscard]] FontExportOptions fontOptions() const;
    /// The codes the code boxes give, none for every code, or export-c's refusal of them.
    [[nodiscard]] Result<std::optional<CodeList>> chosenCodes() const;
    [[nodiscard]] BitmapExportOptions bitmapOptions() const;
    /// The header the options make, or the encoder's refusal.
    [[nodiscard]] const std::optional<std::string>& header() const { return header_; }
    /// The layout the format list shows.
    [[nodiscard]] FontLayout chosenLayout() const;
    [[nodiscard]] const QString& refusal() const { return refusal_; }
    /// The glyphs or bitmaps decoded from the header's text.
    [[nodiscard]] const std::vector<DecodedGlyph>& decodedGlyphs() const { return glyphs_; }
    [[nodiscard]] const std::vector<DecodedBitmap>& decodedBitmaps() const { return bitmaps_; }
    /// The enlarged picture of the decoded glyphs or bitmaps.
    [[nodiscard]] const QImage& decodedSheet() const { return sheet_; }

    /// Makes the header anew from the options and refreshes both views.
    void refresh();
    /// "Save…": asks for a file and writes the header there.
    void saveHeader();

    // Font options.
    QComboBox* FormatBox = nullptr;
    QComboBox* BitOrderBox = nullptr;
    QComboBox* InkBox = nullptr;
    /// export-c's --codes ("32-126,176") and --chars (a text); both empty: every code.
    QLineEdit* CodesEdit = nullptr;
    QLineEdit* CharsEdit = nullptr;
    /// "auto", "bottom" or "row" (the row in BaselineRow), for gfx, u8g2 and LVGL.
    QComboBox* BaselineBox = nullptr;
    QSpinBox* BaselineRow = nullptr;
    QComboBox* EncodingBox = nullptr; ///< u8g2: "code" or "unicode"
    /// The editor's code page, which the header is made with (Options > Code Page).
    QLabel* CodePageLabel = nullptr;
    // Bitmap options.
    QComboBox* PixelBox = nullptr;
    QComboBox* ByteOrderBox = nullptr;
    QComboBox* PlaneOrderBox = nullptr;
    QComboBox* PlaneInkBox = nullptr;
    // Both.
    QLineEdit* NameEdit = nullptr;
    QPlainTextEdit* TextView = nullptr;
    QLabel* DecodedView = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* SaveButton = nullptr;

protected:
    /// Every showing takes the edited library's kind and makes the header anew.
    void showEvent(QShowEvent* event) override;

private:
    [[nodiscard]] QWidget* buildFontOptions();
    [[nodiscard]] QWidget* buildBitmapOptions();
    void enableFittingOptions();
    void showHeader();
    void showRefusal(const QString& text);
    [[nodiscard]] std::string libraryPath() const;
    [[nodiscard]] std::string defaultName() const;
    /// The library's file name for the header's first line.
    [[nodiscard]] std::string sourceName() const;

    TForm1& main_;
    QStackedWidget* pages_ = nullptr;
    QScrollArea* decodedScroll_ = nullptr;
    bool fontShown_ = true;
    /// The library file whose default name the name box holds, so a new one gets its own.
    std::string namedFor_;
    std::string chosenName_; ///< the default name the dialog last set, for the format it had
    std::optional<std::string> header_;
    QString refusal_;
    std::vector<DecodedGlyph> glyphs_;
    std::vector<DecodedBitmap> bitmaps_;
    QImage sheet_;
};

/// The decoded pictures drawn side by side in rows, each pixel a zoom x zoom square with a
/// one-pixel gap to the next, on a dark ground; at most columns pictures a row.
[[nodiscard]] QImage drawDecodedSheet(const std::vector<const Picture*>& pictures, int zoom,
                                      int columns);

} // namespace korvel
