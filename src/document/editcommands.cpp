#include "document/editcommands.h"

#include <QCoreApplication>

#include <algorithm>
#include <thread>
#include <unordered_map>

namespace korvel {

PaintPixel::PaintPixel(Document& document, EditingMode kind, int index, int x, int y, Rgb before,
                       Rgb after)
    : QUndoCommand(QCoreApplication::translate("Document", "Paint")), document_(document),
      kind_(kind), index_(index), x_(x), y_(y), before_(before), after_(after) {}

void PaintPixel::undo() {
    document_.setPixel(kind_, index_, x_, y_, before_);
}

void PaintPixel::redo() {
    document_.setPixel(kind_, index_, x_, y_, after_);
}

ModifyEntry::ModifyEntry(Document& document, EditingMode kind, int index, EntryShape shape)
    : QUndoCommand(QCoreApplication::translate("Document", "Modify")), document_(document),
      kind_(kind), index_(index), other_(std::move(shape)) {}

void ModifyEntry::undo() {
    document_.swapShape(kind_, index_, other_);
}

void ModifyEntry::redo() {
    document_.swapShape(kind_, index_, other_);
}

AddBitmap::AddBitmap(Document& document, bitmapInfoList entry)
    : QUndoCommand(QCoreApplication::translate("Document", "Add Bitmap")), document_(document),
      entry_(std::move(entry)) {}

void AddBitmap::undo() {
    entry_ = document_.popEntry();
}

void AddBitmap::redo() {
    document_.appendEntry(std::move(entry_));
}

DeleteBitmap::DeleteBitmap(Document& document, int position)
    : QUndoCommand(QCoreApplication::translate("Document", "Delete Bitmap")), document_(document),
      position_(position) {}

void DeleteBitmap::undo() {
    document_.restoreEntry(position_, std::move(entry_), indexBefore_);
}

void DeleteBitmap::redo() {
    indexBefore_ = document_.bitmapLibrary().index;
    entry_ = document_.removeEntry(position_);
}

PasteEntry::PasteEntry(Document& document, EditingMode kind, int index, EntryShape shape)
    : ModifyEntry(document, kind, index, std::move(shape)) {
    setText(QCoreApplication::translate("Document", "Paste"));
}

TransformEntries::TransformEntries(Document& document, EditingMode kind, std::vector<int> indices,
                                   PictureTransform transform, const QString& text)
    : QUndoCommand(text), document_(document), kind_(kind), indices_(std::move(indices)),
      transform_(transform) {}

std::vector<EntryShape> TransformEntries::apply(PictureTransform transform) {
    // Each entry's new picture depends on that entry alone, so the entries are shared out
    // between the processor's cores; the library itself changes afterwards, on this thread.
    std::vector<EntryShape> shapes(indices_.size());
    const auto makeShapes = [&](std::size_t first, std::size_t step) {
        for (std::size_t k = first; k < indices_.size(); k += step) {
            shapes[k] = document_.transformedShape(kind_, indices_[k], transform);
        }
    };
    const std::size_t helpers =
        indices_.size() < 2
            ? 0
            : std::min<std::size_t>(
                  {std::max(1U, std::thread::hardware_concurrency()), 4, indices_.size()}) -
                  1;
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (std::size_t h = 0; h < helpers; ++h) {
        threads.emplace_back(makeShapes, h + 1, helpers + 1);
    }
    makeShapes(0, helpers + 1);
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t k = 0; k < indices_.size(); ++k) {
        document_.swapShape(kind_, indices_[k], shapes[k]);
    }
    return shapes;
}

void TransformEntries::redo() {
    std::vector<EntryShape> replaced = apply(transform_);
    if (!inverseOf(transform_)) {
        before_ = std::move(replaced);
    }
}

void TransformEntries::undo() {
    if (const auto inverse = inverseOf(transform_)) {
        (void)apply(*inverse);
        return;
    }
    for (std::size_t k = 0; k < indices_.size() && k < before_.size(); ++k) {
        document_.swapShape(kind_, indices_[k], before_[k]);
    }
    before_.clear(); // the transformed shapes are made again on redo
}

namespace {
constexpr int kPaintCellsId = 0x4B50; // any number shared by all PaintCells commands
} // namespace

PaintCells::PaintCells(Document& document, EditingMode kind, int index,
                       std::vector<PixelChange> changes, int gesture)
    : QUndoCommand(QCoreApplication::translate("Document", "Paint")), document_(document),
      kind_(kind), index_(index), changes_(std::move(changes)), gesture_(gesture) {}

void PaintCells::undo() {
    document_.setPixels(kind_, index_, changes_, false);
}

void PaintCells::redo() {
    document_.setPixels(kind_, index_, changes_, true);
}

int PaintCells::id() const {
    return kPaintCellsId;
}

bool PaintCells::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const PaintCells*>(other);
    if (next == nullptr || next->gesture_ != gesture_ || next->kind_ != kind_ ||
        next->index_ != index_) {
        return false;
    }
    // A pixel painted twice in one gesture keeps its first colour before and its last after,
    // so undo restores what was there when the gesture began.
    std::unordered_map<long long, std::size_t> known;
    known.reserve(changes_.size());
    const auto key = [](CellPoint at) {
        return (static_cast<long long>(at.y) << 32) | static_cast<unsigned>(at.x);
    };
    for (std::size_t k = 0; k < changes_.size(); ++k) {
        known.emplace(key(changes_[k].at), k);
    }
    for (const PixelChange& change : next->changes_) {
        const auto found = known.find(key(change.at));
        if (found != known.end()) {
            changes_[found->second].after = change.after;
        } else {
            known.emplace(key(change.at), changes_.size());
            changes_.push_back(change);
        }
    }
    return true;
}

} // namespace korvel
