#include "document/editcommands.h"

#include <QCoreApplication>

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

} // namespace korvel
