#pragma once

// The undoable edits of the document, one small command each.

#include "document/document.h"

#include <QUndoCommand>

namespace korvel {

/// One painted pixel of a glyph or bitmap entry (one mouse release).
class PaintPixel : public QUndoCommand {
public:
    PaintPixel(Document& document, EditingMode kind, int index, int x, int y, Rgb before,
               Rgb after);
    void undo() override;
    void redo() override;

private:
    Document& document_;
    EditingMode kind_;
    int index_;
    int x_;
    int y_;
    Rgb before_;
    Rgb after_;
};

/// A new size and picture for one glyph or bitmap entry.
class ModifyEntry : public QUndoCommand {
public:
    ModifyEntry(Document& document, EditingMode kind, int index, EntryShape shape);
    void undo() override;
    void redo() override;

private:
    Document& document_;
    EditingMode kind_;
    int index_;
    EntryShape other_; ///< the shape not in the library now
};

/// A bitmap entry appended at the end of the library.
class AddBitmap : public QUndoCommand {
public:
    AddBitmap(Document& document, bitmapInfoList entry);
    void undo() override;
    void redo() override;

private:
    Document& document_;
    bitmapInfoList entry_; ///< held while undone
};

/// A bitmap entry removed from its position; undo puts it and the name index back as they were.
class DeleteBitmap : public QUndoCommand {
public:
    DeleteBitmap(Document& document, int position);
    void undo() override;
    void redo() override;

private:
    Document& document_;
    int position_;
    bitmapInfoList entry_; ///< held while done
    NameIndex indexBefore_;
};

} // namespace korvel
