#pragma once

// The undoable edits of the document, one small command each.

#include "document/document.h"

#include <QUndoCommand>

#include <cstddef>
#include <optional>
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
/// Undo puts back an entry's earlier shape where holding it costs no pixel memory (its picture
/// still only the encoded rows of the library file, which are then restored as they were) and
/// where the transform loses information (shifts, invert, clear). An entry whose decoded
/// pixels a transform only moved is turned back by the inverse transform instead.
class TransformEntries : public QUndoCommand {
public:
    TransformEntries(Document& document, EditingMode kind, std::vector<int> indices,
                     PictureTransform transform, const QString& text);
    void undo() override;
    void redo() override;

private:
    /// Puts the transformed shape of the entries at these places of indices_ in place and
    /// returns the shapes it replaced, in the same order.
    std::vector<EntryShape> apply(PictureTransform transform, const std::vector<std::size_t>& at);
    /// What undo needs to hold of a replaced shape, or nothing when undo applies the inverse.
    [[nodiscard]] std::optional<EntryShape> heldForUndo(EntryShape replaced) const;

    Document& document_;
    EditingMode kind_;
    std::vector<int> indices_;
    PictureTransform transform_;
    /// One per entry while the command is done: the shape undo puts back, if held.
    std::vector<std::optional<EntryShape>> before_;
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
