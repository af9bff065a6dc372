#pragma once

#include "core/bitmaplibrary.h"
#include "core/colour.h"
#include "core/fontlibrary.h"
#include "document/libraryfiles.h"

#include <QObject>
#include <QUndoGroup>
#include <QUndoStack>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

/// Which library the editor is editing.
enum class EditingMode : int { None = 0, Font = 1, Bitmap = 2 };

/// Why a whole library was replaced.
enum class LibraryReset {
    Opened, ///< read from a file
    Made,   ///< made anew (rendered, blank or emptied)
};

/// The size and picture of one glyph or bitmap entry, as the modify dialog changes them.
struct EntryShape {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Picture> picture;
    friend bool operator==(const EntryShape&, const EntryShape&) = default;
};

/// The editor core: owns the font library, the bitmap library and the editing mode, is the only
/// code that changes them, keeps one undo history per library kind and announces every change.
class Document : public QObject {
    Q_OBJECT

public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    [[nodiscard]] const FontLibrary& fontLibrary() const { return font_; }
    [[nodiscard]] const BitmapLibrary& bitmapLibrary() const { return bitmaps_; }
    [[nodiscard]] EditingMode mode() const { return mode_; }

    /// Both histories; the active one is the edited library's (none in mode 0).
    [[nodiscard]] QUndoGroup& history() { return group_; }
    [[nodiscard]] QUndoStack& fontHistory() { return fontStack_; }
    [[nodiscard]] QUndoStack& bitmapHistory() { return bitmapStack_; }
    /// Lets the window park the history while what it shows is not the edited library: with
    /// false no stack is active; with true the mode's stack is.
    void setHistoryReachable(bool reachable);

    void setMode(EditingMode mode);

    // ---- Whole libraries: not undoable, each clears its own library's history ----

    /// Reads and checks a .lcm file and, only when it is sound, makes its glyphs slots 0..n-1
    /// (slots above keep what they held) and enters font mode. Nothing changes on failure.
    [[nodiscard]] Result<void> openFontFile(const std::string& path);
    /// Reads and checks a .bcm file and, only when it is sound, makes it the bitmap library and
    /// enters bitmap mode. Nothing changes on failure.
    [[nodiscard]] Result<void> openBitmapFile(const std::string& path);
    /// Writes font slots 0..count-1 to path; gives how the file was saved.
    [[nodiscard]] Result<SaveMethod> saveFontFile(const std::string& path, int count) const;
    /// Writes bitmap entries 0..count-1 to path; gives how the file was saved.
    [[nodiscard]] Result<SaveMethod> saveBitmapFile(const std::string& path, int count,
                                                    const Progress& progress = {}) const;
    /// Makes a new font library in place: make fills the slots it makes and sets the count
    /// (system font or blank glyphs), slots it leaves keep what they held.
    void makeFontLibrary(const std::function<void(FontLibrary&)>& make);
    /// Empties the bitmap library for a new one.
    void clearBitmapLibrary();
    /// Empties the name index alone, as the bitmap list layout does; the entries stay.
    void clearBitmapNames();

    // ---- Edits: each one an undoable command ----

    /// Paints one pixel of glyph code; nothing happens to a glyph without a picture.
    void paintGlyphPixel(int code, int x, int y, Rgb colour);
    /// Paints one pixel of bitmap entry position; nothing happens to one without a picture.
    void paintBitmapPixel(int position, int x, int y, Rgb colour);
    /// Gives glyph code a new size and picture.
    void modifyGlyph(int code, EntryShape shape);
    /// Gives bitmap entry position a new size and picture; its name stays.
    void modifyBitmap(int position, EntryShape shape);
    /// Appends a bitmap entry and its name line.
    void appendBitmap(bitmapInfoList entry);
    /// Removes bitmap entry position; later entries move up.
    void removeBitmap(int position);

signals:
    void modeChanged();
    void fontLibraryReset(LibraryReset why);
    void glyphChanged(int code);
    void bitmapLibraryReset(LibraryReset why);
    void bitmapInserted(int position);
    void bitmapRemoved(int position);
    void bitmapChanged(int position);

private:
    friend class PaintPixel;
    friend class ModifyEntry;
    friend class AddBitmap;
    friend class DeleteBitmap;

    /// The picture a paint goes into, or nullptr.
    [[nodiscard]] Picture* pictureOf(EditingMode kind, int index);
    [[nodiscard]] bool holdsEntry(EditingMode kind, int index) const;
    void setPixel(EditingMode kind, int index, int x, int y, Rgb colour);
    /// Swaps an entry's size and picture with shape.
    void swapShape(EditingMode kind, int index, EntryShape& shape);
    void appendEntry(bitmapInfoList entry);
    /// Removes the last entry and the last name line, undoing appendEntry exactly.
    [[nodiscard]] bitmapInfoList popEntry();
    [[nodiscard]] bitmapInfoList removeEntry(int position);
    /// Puts an entry back at position with the name index it had before it was removed.
    void restoreEntry(int position, bitmapInfoList entry, NameIndex index);
    void announce(EditingMode kind, int index);
    void activateHistory();

    FontLibrary font_;
    BitmapLibrary bitmaps_;
    EditingMode mode_ = EditingMode::None;
    bool historyReachable_ = true;
    QUndoGroup group_;
    QUndoStack fontStack_;
    QUndoStack bitmapStack_;
};

} // namespace korvel
