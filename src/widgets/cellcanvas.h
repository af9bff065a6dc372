#pragma once

#include "core/colour.h"
#include "core/picture.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <unordered_map>
#include <vector>

namespace korvel {

/// Which colour fills a cell's interior: the red-green display colour, or the pixel's own.
enum class CellColourRule { Display, Own };

/// The enlarged cell view of a picture: each pixel a zoom x zoom cell with a one-pixel grid line
/// on its left and top, its interior filled with the pixel's colour, on a dark grey background
/// whose last column and row stay grey.
///
/// The view keeps one colour per cell and the outlines drawn over cells, and paints only the
/// exposed area from them, so its cost follows the picture for memory and the visible area for
/// drawing, while what it shows is exactly the full enlarged image. It reports pointer moves
/// and button releases in its own coordinates.
class CellCanvas : public QWidget {
    Q_OBJECT

public:
    static constexpr Rgb kBackground = 0x404040; // dark grey (64, 64, 64)

    explicit CellCanvas(QWidget* parent = nullptr);

    /// Shows picture enlarged at zoom: sizes the view to (w * zoom + 1) x (h * zoom + 1), takes
    /// every cell's colour by rule and drops all outlines.
    void showPicture(const Picture& picture, int zoom, CellColourRule rule);

    [[nodiscard]] int pictureWidth() const { return columns_; }
    [[nodiscard]] int pictureHeight() const { return rows_; }
    [[nodiscard]] int zoom() const { return zoom_; }

    /// Fills the interior of cell (column, row) with colour; it covers any outline there.
    void fillCellInterior(int column, int row, Rgb colour);
    /// Draws the one-pixel outline along the interior edge of the cell whose top-left canvas
    /// pixel is (left, top).
    void drawOutline(int left, int top, Rgb colour);
    /// The colour a cell's interior shows (black outside the picture).
    [[nodiscard]] Rgb cellColour(int column, int row) const;
    /// Whether cells carry grid lines and outlines: at 1 and 2 screen pixels per cell a cell is
    /// all interior, or nothing of the picture would be seen.
    [[nodiscard]] bool showsGrid() const { return zoom_ >= kSmallestGriddedZoom; }
    static constexpr int kSmallestGriddedZoom = 3;
    /// The colour of one canvas pixel as shown; the background colour outside the view.
    [[nodiscard]] Rgb pixelAt(int x, int y) const;
    /// The shown image of a canvas rectangle.
    [[nodiscard]] QImage renderArea(const QRect& area) const;
    /// The colour of the grid lines: the style's dark 3-D shadow colour.
    [[nodiscard]] Rgb gridColour() const { return gridColour_; }

signals:
    void pointerMoved(int x, int y);
    void buttonPressed(int x, int y, Qt::MouseButton button);
    void buttonReleased(int x, int y, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] std::size_t cellIndex(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }
    void repaintCell(int column, int row);
    void takeGridColour();

    int columns_ = 0;
    int rows_ = 0;
    int zoom_ = 1;
    std::vector<Rgb> cells_;
    std::unordered_map<std::size_t, Rgb> outlines_;
    Rgb gridColour_ = 0;
};

/// Turns a model colour into a Qt colour, for drawing.
[[nodiscard]] inline QColor toQColor(Rgb c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}
/// Turns a Qt colour into a model colour.
[[nodiscard]] inline Rgb fromQColor(const QColor& c) {
    return makeRgb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                   static_cast<std::uint8_t>(c.blue()));
}

} // namespace korvel
