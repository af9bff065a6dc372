#pragma once

#include "core/bitmaplibrary.h"
#include "core/cellshapes.h"
#include "core/codepage.h"
#include "core/colour.h"
#include "core/fontlibrary.h"
#include "core/picturetransform.h"
#include "libraryio/libraryfiles.h"

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

/// One painted pixel: where, and its colour before and after.
struct PixelChange {
    CellPoint at;
    Rgb before = 0;
    Rgb after = 0;
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

    /// The code page the libraries' codes and bitmap names are in (Windows-1252 to begin with).
    [[nodiscard]] const CodePage& codePage() const { return codePage_; }
    /// Changes the code page: the name index compares names in the new one from now on. The
    /// libraries' bytes stay as they are. Announces codePageChanged with the page before.
    void setCodePage(const CodePage& page);

    // ---- Whole libraries: not undoable, each clears its own library's history ----

    /// Reads and checks a .lcm file and, only when it is sound, makes its glyphs slots 0..n-1
    /// (slots above keep what they held) and enters font mode. Nothing changes on failure.
    [[nodiscard]] Result<void> openFontFile(const std::string& path);
    /// Reads and checks a .bcm file and, only when it is sound, makes it the bitmap library and
    /// enters bitmap mode. Nothing changes on failure. Mapped reading suits a command that holds
    /// the file for a short run.
    [[nodiscard]] Result<void> openBitmapFile(const std::string& path,
                                              LibraryReading reading = LibraryReading::Whole);
    /// Makes the glyphs of a library read from another format (BDF) slots 0..count-1 exactly as
    /// openFontFile makes a file's, and enters font mode; path is the file they came from.
    void openFontLibrary(FontLibrary library, const std::string& path);
    /// Makes entries read from another format (a PNG folder) the bitmap library, as
    /// openBitmapFile does, and enters bitmap mode.
    void openBitmapEntries(std::vector<bitmapInfoList> entries, const std::string& path);
    /// The file each library was last opened from or saved to; empty for one made anew.
    [[nodiscard]] const std::string& fontFilePath() const { return fontPath_; }
    [[nodiscard]] const std::string& bitmapFilePath() const { return bitmapPath_; }
    /// Writes font slots 0..count-1 to path, which becomes the library's file; gives how the
    /// file was saved.
    [[nodiscard]] Result<SaveMethod> saveFontFile(const std::string& path, int count);
    /// Writes bitmap entries 0..count-1 to path, which becomes the library's file; gives how the
    /// file was saved.
    [[nodiscard]] Result<SaveMethod> saveBitmapFile(const std::string& path, int count,
                                                    const Progress& progress = {});
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
    /// Appends several entries in one undoable step ("Add Bitmaps").
    void appendBitmaps(std::vector<bitmapInfoList> entries);
    /// Whether the bitmap library could still be saved with entry position made width x height,
    /// or with a new entry of that size and name appended when position is the entry count:
    /// fails with the reason when a bitmap library file could not hold it (its blocks beyond
    /// what 32-bit offsets address).
    [[nodiscard]] Result<void> bitmapLibraryFits(int position, int width, int height,
                                                 const std::string& newName = {}) const;
    /// Removes bitmap entry position; later entries move up.
    void removeBitmap(int position);
    /// Applies transform to every listed entry of kind (a glyph code or bitmap position each),
    /// all as one undo step named text; indices that hold no entry are passed over.
    void transformEntries(EditingMode kind, const std::vector<int>& indices,
                          PictureTransform transform, const QString& text);
    /// Gives an entry of kind the size and pixels of a pasted picture; its name stays.
    void pasteIntoEntry(EditingMode kind, int index, Picture picture);
    /// Paints cells of one entry of kind in colour, passing over cells outside its picture and
    /// cells that have the colour already. Paints that carry the same gesture number and follow
    /// one another are one undo step; nothing happens to an entry without a picture.
    void paintCells(EditingMode kind, int index, const std::vector<CellPoint>& cells, Rgb colour,
                    int gesture);

signals:
    void modeChanged();
    void codePageChanged(const korvel::CodePage& previous);
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
    friend class TransformEntries;
    friend class PaintCells;

    /// The picture a paint goes into, or nullptr.
    [[nodiscard]] Picture* pictureOf(EditingMode kind, int index);
    [[nodiscard]] bool holdsEntry(EditingMode kind, int index) const;
    void setPixel(EditingMode kind, int index, int x, int y, Rgb colour);
    /// Sets many pixels of one entry, each to its colour before or after a paint, and announces
    /// the entry once.
    void setPixels(EditingMode kind, int index, const std::vector<PixelChange>& changes,
                   bool after);
    /// What an entry's size and picture become under transform. Reads that entry alone (a
    /// picture still encoded decodes only itself), so several threads may make the shapes of
    /// different entries at once while the library stays unchanged.
    [[nodiscard]] EntryShape transformedShape(EditingMode kind, int index,
                                              PictureTransform transform) const;
    /// Swaps an entry's size and picture with shape.
    void swapShape(EditingMode kind, int index, EntryShape& shape);
    void appendEntry(bitmapInfoList entry);
    /// Removes the last entry and the last name line, undoing appendEntry exactly.
    [[nodiscard]] bitmapInfoList popEntry();
    [[nodiscard]] bitmapInfoList removeEntry(int position);
    /// Puts an entry back at position with the name index it had before it was removed.
    void restoreEntry(int position, bitmapInfoList entry, NameIndex index);
    void announce(EditingMode kind, int index);
    void takeFontGlyphs(std::vector<GlyphRecord> glyphs, const std::string& path);
    void activateHistory();

    FontLibrary font_;
    BitmapLibrary bitmaps_;
    EditingMode mode_ = EditingMode::None;
    CodePage codePage_;
    std::string fontPath_;
    std::string bitmapPath_;
    bool historyReachable_ = true;
    QUndoGroup group_;
    QUndoStack fontStack_;
    QUndoStack bitmapStack_;
};

} // namespace korvel
