#pragma once

#include "core/picture.h"

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QShowEvent;
class QTableWidget;

namespace korvel {

class CellCanvas;
class TForm1;

/// The preview window: every glyph of the font library in a grid ("All Font Preview"), or a
/// typed text set with the glyphs and enlarged ("Defined Font Preview").
class TForm4 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window whose glyphs it shows.
    explicit TForm4(TForm1& main);

    /// Sets the caption and shows the panel of all glyphs (allFont) or of a typed text, with no
    /// picture shown yet; the typed text is emptied for the text panel.
    void prepare(const QString& caption, bool allFont);
    ~TForm4() override;

    /// Largest side of a text picture, in glyph pixels.
    static constexpr int kMaxTextSide = 16384;
    /// Largest side of the shown text view, in screen pixels.
    static constexpr int kMaxViewSide = 32767;
    /// Space the grid keeps free around a cell's picture, in each direction.
    static constexpr int kCellMargin = 25;

    /// Refills the grid with every glyph of the library.
    void LoadImages();
    /// "Preview": sets the typed text with the glyphs and shows it.
    void Button1Click();
    /// Takes the preview zoom from the zoom list, then redraws the text.
    void ComboBox1Change();
    /// Composes the text picture from the text box and shows it; an empty box draws nothing.
    void MakeImages();
    /// Shows picture (cut or padded to width x height) enlarged by the preview zoom.
    void makegrid(int width, int height, const Picture& picture);

    // What the window shows, for the tests.
    [[nodiscard]] int previewZoom() const { return previewZoom_; }
    /// The last text picture composed.
    [[nodiscard]] const Picture& textPicture() const { return textPicture_; }
    /// Grid rows including the fixed row 0.
    [[nodiscard]] int gridRows() const;
    /// The number shown in grid cell (column 1..8, row 1..); empty when the cell is empty.
    [[nodiscard]] QString cellText(int column, int row) const;
    /// The scaled picture of a grid cell; a null image when it has none.
    [[nodiscard]] QImage cellPicture(int column, int row) const;
    /// Where a grid cell's picture is drawn, relative to the cell's top-left corner.
    [[nodiscard]] QRect cellPictureRect(int column, int row) const;
    /// The enlarged text view used at zooms other than 1.
    [[nodiscard]] const CellCanvas& zoomedView() const { return *zoomedView_; }
    /// The unscaled text view used at zoom 1.
    [[nodiscard]] const QLabel& plainView() const { return *plainView_; }

    // Controls the main window and tests reach by their designer names.
    QWidget* Panelall = nullptr;
    QTableWidget* AdvStringGrid1 = nullptr;
    QWidget* Panelsingal = nullptr;
    QWidget* Panel1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    /// The text view: holds the unscaled and the enlarged view, one of them visible.
    QWidget* Image1 = nullptr;

protected:
    /// Every showing refills the grid.
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void buildGridPanel();
    void buildTextPanel();
    void buildInputStrip();
    void sizeAllColumns(int width);
    void placeGlyph(int code, int column, int row);
    void appendGridRow();
    [[nodiscard]] std::vector<std::string> shownLines() const;
    [[nodiscard]] bool refuseTooLarge(std::int64_t width, std::int64_t height);
    void showUnscaled(const Picture& picture);

    TForm1& main_;
    int previewZoom_ = 8;
    Picture textPicture_;
    CellCanvas* zoomedView_ = nullptr;
    QLabel* plainView_ = nullptr;
    bool sizingColumns_ = false;
};

} // namespace korvel
