// The drawing tools of the edit canvas beyond the single-pixel painting of the Pixel tool: each
// gesture from a button press to its release paints the entry as one undo step and repaints
// only the cells it changes.

#include "app/umain.h"

#include <QScopedValueRollback>
#include <QToolButton>

#include <unordered_map>

namespace korvel {

namespace {

[[nodiscard]] long long cellKey(CellPoint cell) {
    return (static_cast<long long>(cell.y) << 32) | static_cast<unsigned>(cell.x);
}

/// Whether two pixels count as one colour for the fill: the same ink or background in a glyph,
/// the same palette colour in a bitmap (as the file writers would store them).
[[nodiscard]] bool sameWrittenColour(Rgb a, Rgb b, PictureKind kind) {
    if (kind == PictureKind::Glyph) {
        return isInk(a) == isInk(b);
    }
    return classify(a) == classify(b);
}

[[nodiscard]] int floorDivide(int value, int by) {
    const int quotient = value / by;
    return (value % by != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

CellPoint TForm1::cellAt(int x, int y) const {
    if (cellWidth_ <= 0 || cellHeight_ <= 0) {
        return {-1, -1};
    }
    return {floorDivide(x, cellWidth_), floorDivide(y, cellHeight_)};
}

void TForm1::canvasPressed(int x, int y, Qt::MouseButton button) {
    const bool shapeTool = tool_ == EditTool::Pencil || tool_ == EditTool::Line ||
                           tool_ == EditTool::Rectangle || tool_ == EditTool::FilledRectangle;
    if (!shapeTool || gesture_ || (button != Qt::LeftButton && button != Qt::RightButton) ||
        viewHeight_ <= 0 || Image1->isHidden()) {
        return;
    }
    const CellPoint cell = cellAt(x, y);
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry || cell.x < 0 || cell.y < 0 || cell.x >= viewWidth_ || cell.y >= viewHeight_) {
        return;
    }
    // The right button draws background, so a slip is mended with the same tool.
    const Rgb colour = button == Qt::RightButton ? kBlack : currentColour_;
    gesture_ = Gesture{*entry, ++gestures_, button, colour, cell, cell};
    if (tool_ == EditTool::Pencil) {
        paintGestureCells({cell});
    } else {
        previewCells(shapeCells(cell));
    }
}

void TForm1::canvasMoved(int x, int y) {
    if (gesture_) {
        const CellPoint cell = cellAt(x, y);
        if (!(cell == gesture_->last)) {
            if (tool_ == EditTool::Pencil) {
                // Every cell between the last pointer position and this one: a fast drag
                // reports far-apart positions, and the stroke must not break.
                std::vector<CellPoint> cells = lineCells(gesture_->last, cell);
                cells.erase(cells.begin());
                paintGestureCells(cells);
            } else {
                previewCells(shapeCells(cell));
            }
            gesture_->last = cell;
        }
    }
    Image1MouseMove(x, y);
}

void TForm1::canvasReleased(int x, int y, Qt::MouseButton button) {
    if (tool_ == EditTool::Pixel) {
        Image1MouseUp(x, y);
        return;
    }
    if (gesture_) {
        if (button != gesture_->button) {
            return;
        }
        const CellPoint cell = cellAt(x, y);
        if (tool_ == EditTool::Pencil) {
            if (!(cell == gesture_->last)) {
                std::vector<CellPoint> cells = lineCells(gesture_->last, cell);
                cells.erase(cells.begin());
                paintGestureCells(cells);
            }
        } else {
            const std::vector<CellPoint> cells = shapeCells(cell);
            dropShapePreview();
            paintGestureCells(cells);
        }
        gesture_.reset();
        return;
    }
    if (viewHeight_ <= 0 || Image1->isHidden()) {
        return;
    }
    const CellPoint cell = cellAt(x, y);
    if (cell.x < 0 || cell.y < 0 || cell.x >= viewWidth_ || cell.y >= viewHeight_) {
        return;
    }
    if (tool_ == EditTool::Fill && (button == Qt::LeftButton || button == Qt::RightButton)) {
        fillRegionAt(cell, button == Qt::RightButton ? kBlack : currentColour_);
    } else if (tool_ == EditTool::PickColour) {
        pickColourAt(cell);
    }
}

std::vector<CellPoint> TForm1::shapeCells(CellPoint to) const {
    if (!gesture_) {
        return {};
    }
    if (tool_ == EditTool::Line) {
        return lineCells(gesture_->start, to);
    }
    return rectangleCells(gesture_->start, to, tool_ == EditTool::FilledRectangle);
}

void TForm1::canvasCellChanged(CellPoint cell) {
    if (restoreColour_ != kNoColour && highlight_.left == cell.x * cellWidth_ &&
        highlight_.top == cell.y * cellHeight_) {
        // The fill has covered the pointer's outline; there is nothing left to restore.
        restoreColour_ = kNoColour;
    }
}

void TForm1::paintGestureCells(const std::vector<CellPoint>& cells) {
    if (!gesture_) {
        return;
    }
    std::vector<CellPoint> inside;
    inside.reserve(cells.size());
    for (const CellPoint cell : cells) {
        if (cell.x >= 0 && cell.y >= 0 && cell.x < viewWidth_ && cell.y < viewHeight_) {
            inside.push_back(cell);
            Image1->fillCellInterior(cell.x, cell.y, gesture_->colour);
            canvasCellChanged(cell);
        }
    }
    if (inside.empty()) {
        return;
    }
    const QScopedValueRollback own(ownEdit_, true);
    document_->paintCells(editingMode(), gesture_->entry, inside, gesture_->colour,
                          gesture_->number);
}

void TForm1::previewCells(const std::vector<CellPoint>& cells) {
    if (!gesture_) {
        return;
    }
    std::unordered_map<long long, Rgb> kept; // cells of the old preview, with their colours
    kept.reserve(preview_.size());
    for (const auto& [cell, colour] : preview_) {
        kept.emplace(cellKey(cell), colour);
    }
    std::vector<std::pair<CellPoint, Rgb>> shown;
    for (const CellPoint cell : cells) {
        if (cell.x < 0 || cell.y < 0 || cell.x >= viewWidth_ || cell.y >= viewHeight_) {
            continue;
        }
        const auto old = kept.find(cellKey(cell));
        if (old != kept.end()) {
            shown.emplace_back(cell, old->second);
            kept.erase(old);
            continue;
        }
        shown.emplace_back(cell, Image1->cellColour(cell.x, cell.y));
        Image1->fillCellInterior(cell.x, cell.y, gesture_->colour);
        canvasCellChanged(cell);
    }
    // Cells the new shape leaves show their own colours again; only changed cells repaint.
    for (const auto& [cell, colour] : preview_) {
        if (kept.contains(cellKey(cell))) {
            Image1->fillCellInterior(cell.x, cell.y, colour);
            canvasCellChanged(cell);
        }
    }
    preview_ = std::move(shown);
}

void TForm1::dropShapePreview() {
    for (const auto& [cell, colour] : preview_) {
        Image1->fillCellInterior(cell.x, cell.y, colour);
        canvasCellChanged(cell);
    }
    preview_.clear();
}

const std::optional<Picture>& TForm1::entryPicture(int entry) const {
    return editingMode() == EditingMode::Font
               ? fontLibrary().glyphs[static_cast<std::size_t>(entry)].picture
               : bitmapLibrary().entries[static_cast<std::size_t>(entry)].picture;
}

void TForm1::fillRegionAt(CellPoint cell, Rgb colour) {
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return;
    }
    const std::optional<Picture>& picture = entryPicture(*entry);
    if (!picture) {
        return;
    }
    const PictureKind kind = pictureKind();
    const std::vector<CellPoint> region =
        floodRegion(*picture, cell, [kind](Rgb a, Rgb b) { return sameWrittenColour(a, b, kind); });
    gesture_ = Gesture{*entry, ++gestures_, Qt::LeftButton, colour, cell, cell};
    paintGestureCells(region);
    gesture_.reset();
}

void TForm1::pickColourAt(CellPoint cell) {
    const auto entry = entryOfRow(AdvStringGrid2->currentGridRow());
    if (!entry) {
        return;
    }
    const std::optional<Picture>& picture = entryPicture(*entry);
    const Rgb pixel = picture ? picture->pixel(cell.x, cell.y) : kBlack;
    PaletteColour colour = classify(pixel);
    if (editingMode() == EditingMode::Font && !colourButton(colour)->isEnabled()) {
        // A glyph knows only ink and background: the colour buttons a font offers.
        colour = isInk(pixel) ? PaletteColour::Red : PaletteColour::Black;
    }
    pressColourButton(colour);
}

} // namespace korvel
