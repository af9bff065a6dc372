#pragma once

// The undoable edits of the document, one small command each.

#include "document/document.h"

#include <QUndoCommand>

#include <vector>

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

/// A pasted picture taking an entry's size and pixels: a modification under its own name.
class PasteEntry : public ModifyEntry {
public:
    PasteEntry(Document& document, EditingMode kind, int index, EntryShape shape);
};

/// One whole-picture transform of several entries, undone as one step.
///
/// A transform that only moves pixels is undone by its inverse; for the others (shifts,
/// invert, clear) the entries' earlier shapes are held while the command is done.
class TransformEntries : public QUndoCommand {
public:
    TransformEntries(Document& document, EditingMode kind, std::vector<int> indices,
                     PictureTransform transform, const QString& text);
    void undo() override;
    void redo() override;

private:
    /// Puts the transformed shape of every entry in place and returns the shapes it replaced.
    std::vector<EntryShape> apply(PictureTransform transform);

    Document& document_;
    EditingMode kind_;
    std::vector<int> indices_;
    PictureTransform transform_;
    std::vector<EntryShape> before_; ///< held while a lossy transform is done
};

/// Pixels painted by one drawing gesture in one entry. The paints of a gesture (each stretch of
/// a pencil drag) merge into the first, so that the whole gesture is one undo step.
class PaintCells : public QUndoCommand {
public:
    PaintCells(Document& document, EditingMode kind, int index, std::vector<PixelChange> changes,
               int gesture);
    void undo() override;
    void redo() override;
    [[nodiscard]] int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    Document& document_;
    EditingMode kind_;
    int index_;
    std::vector<PixelChange> changes_;
    int gesture_;
};

} // namespace korvel
