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

std::vector<EntryShape> TransformEntries::apply(PictureTransform transform,
                                                const std::vector<std::size_t>& at) {
    // Each entry's new picture depends on that entry alone, so the entries are shared out
    // between the processor's cores; the library itself changes afterwards, on this thread.
    std::vector<EntryShape> shapes(at.size());
    const auto makeShapes = [&](std::size_t first, std::size_t step) {
        for (std::size_t k = first; k < at.size(); k += step) {
            shapes[k] = document_.transformedShape(kind_, indices_[at[k]], transform);
        }
    };
    const std::size_t helpers =
        at.size() < 2 ? 0
                      : std::min<std::size_t>(
                            {std::max(1U, std::thread::hardware_concurrency()), 4, at.size()}) -
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
    for (std::size_t k = 0; k < at.size(); ++k) {
        document_.swapShape(kind_, indices_[at[k]], shapes[k]);
    }
    return shapes;
}

std::optional<EntryShape> TransformEntries::heldForUndo(EntryShape replaced) const {
    if (!replaced.picture) {
        return replaced;
    }
    if (const EncodedRows* rows = replaced.picture->encodedRows()) {
        // A picture on the same rows, without the decoded pixels the replaced one may hold.
        const int width = replaced.picture->width();
        const int height = replaced.picture->height();
        replaced.picture = Picture(width, height, *rows, replaced.picture->format());
        return replaced;
    }
    if (!inverseOf(transform_)) {
        return replaced;
    }
    return std::nullopt;
}

void TransformEntries::redo() {
    std::vector<std::size_t> all(indices_.size());
    for (std::size_t k = 0; k < all.size(); ++k) {
        all[k] = k;
    }
    std::vector<EntryShape> replaced = apply(transform_, all);
    before_.clear();
    before_.reserve(replaced.size());
    for (EntryShape& shape : replaced) {
        before_.push_back(heldForUndo(std::move(shape)));
    }
}

void TransformEntries::undo() {
    std::vector<std::size_t> turnBack;
    for (std::size_t k = 0; k < indices_.size(); ++k) {
        if (k < before_.size() && before_[k]) {
            document_.swapShape(kind_, indices_[k], *before_[k]);
        } else {
            turnBack.push_back(k);
        }
    }
    if (const auto inverse = inverseOf(transform_); inverse && !turnBack.empty()) {
        (void)apply(*inverse, turnBack);
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
