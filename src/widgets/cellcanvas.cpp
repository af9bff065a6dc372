#include "widgets/cellcanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace korvel {

namespace {
/// 0x00BBGGRR to the 0xFFRRGGBB that QImage::Format_RGB32 stores.
constexpr QRgb toQRgb(Rgb c) {
    return 0xFF000000U | (Rgb{redOf(c)} << 16) | (Rgb{greenOf(c)} << 8) | blueOf(c);
}
} // namespace

CellCanvas::CellCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    takeGridColour();
    setFixedSize(1, 1);
}

void CellCanvas::takeGridColour() {
    gridColour_ = fromQColor(palette().color(QPalette::Shadow));
}

void CellCanvas::showPicture(const Picture& picture, int zoom, CellColourRule rule) {
    zoom_ = std::max(1, zoom);
    columns_ = picture.width();
    rows_ = picture.height();
    cells_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
    for (int y = 0; y < rows_; ++y) {
        const auto from = picture.row(y);
        auto to = cells_.begin() + static_cast<std::ptrdiff_t>(cellIndex(0, y));
        if (rule == CellColourRule::Display) {
            std::transform(from.begin(), from.end(), to, [](Rgb c) { return displayColour(c); });
        } else {
            std::copy(from.begin(), from.end(), to);
        }
    }
    outlines_.clear();
    setFixedSize(columns_ * zoom_ + 1, rows_ * zoom_ + 1);
    update();
}

void CellCanvas::fillCellInterior(int column, int row, Rgb colour) {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return;
    }
    cells_[cellIndex(column, row)] = colour & 0xFFFFFF;
    outlines_.erase(cellIndex(column, row));
    repaintCell(column, row);
}

void CellCanvas::drawOutline(int left, int top, Rgb colour) {
    const int column = left / zoom_;
    const int row = top / zoom_;
    if (left < 0 || top < 0 || column >= columns_ || row >= rows_) {
        return;
    }
    const std::size_t index = cellIndex(column, row);
    if ((colour & 0xFFFFFF) == cells_[index]) {
        outlines_.erase(index); // an outline in the cell's own colour is no outline
    } else {
        outlines_[index] = colour & 0xFFFFFF;
    }
    repaintCell(column, row);
}

void CellCanvas::repaintCell(int column, int row) {
    update(column * zoom_, row * zoom_, zoom_, zoom_);
}

Rgb CellCanvas::cellColour(int column, int row) const {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return kBlack;
    }
    return cells_[cellIndex(column, row)];
}

Rgb CellCanvas::pixelAt(int x, int y) const {
    const int column = x / std::max(1, zoom_);
    const int row = y / std::max(1, zoom_);
    if (x < 0 || y < 0 || column >= columns_ || row >= rows_) {
        return kBackground;
    }
    const int cx = x - column * zoom_;
    const int cy = y - row * zoom_;
    if (!showsGrid()) {
        return cells_[cellIndex(column, row)];
    }
    if (cx == 0 || cy == 0) {
        return gridColour_;
    }
    const auto outline = outlines_.find(cellIndex(column, row));
    if (outline != outlines_.end() && (cx == 1 || cy == 1 || cx == zoom_ - 1 || cy == zoom_ - 1)) {
        return outline->second;
    }
    return cells_[cellIndex(column, row)];
}

QImage CellCanvas::renderArea(const QRect& area) const {
    const QRect clipped = area.intersected(QRect(0, 0, width(), height()));
    QImage image(clipped.size(), QImage::Format_RGB32);
    if (clipped.isEmpty()) {
        return image;
    }
    const QRgb background = toQRgb(kBackground);
    const QRgb grid = toQRgb(gridColour_);
    const int z = zoom_;
    const bool gridded = showsGrid();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y - clipped.top()));
        const int row = y / z;
        const int cy = y - row * z;
        int x = clipped.left();
        QRgb* out = line;
        while (x <= clipped.right()) {
            const int column = x / z;
            const int cellEnd = std::min((column + 1) * z, clipped.right() + 1);
            if (row >= rows_ || column >= columns_) {
                std::fill(out, out + (clipped.right() + 1 - x), background);
                break;
            }
            const std::size_t index = cellIndex(column, row);
            const QRgb fill = toQRgb(cells_[index]);
            QRgb ring = fill;
            bool outlined = false;
            if (!outlines_.empty() && gridded) {
                const auto outline = outlines_.find(index);
                if (outline != outlines_.end()) {
                    outlined = true;
                    ring = toQRgb(outline->second);
                }
            }
            const bool ringRow = outlined && (cy == 1 || cy == z - 1);
            for (; x < cellEnd; ++x, ++out) {
                const int cx = x - column * z;
                if (gridded && (cx == 0 || cy == 0)) {
                    *out = grid;
                } else if (ringRow || (outlined && (cx == 1 || cx == z - 1))) {
                    *out = ring;
                } else {
                    *out = fill;
                }
            }
        }
    }
    return image;
}

void CellCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        painter.drawImage(area.topLeft(), renderArea(area));
    }
}

void CellCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit pointerMoved(at.x(), at.y());
}

void CellCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit buttonReleased(at.x(), at.y(), event->button());
}

void CellCanvas::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit buttonPressed(at.x(), at.y(), event->button());
}

void CellCanvas::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        takeGridColour();
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace korvel
