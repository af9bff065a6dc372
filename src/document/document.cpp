#include "document/document.h"

#include "document/editcommands.h"
#include "formats/bcm.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace korvel {

Document::Document(QObject* parent) : QObject(parent) {
    group_.addStack(&fontStack_);
    group_.addStack(&bitmapStack_);
    activateHistory();
}

Document::~Document() {
    // The group must not outlive its stacks' registration: detach them before members go.
    group_.removeStack(&fontStack_);
    group_.removeStack(&bitmapStack_);
}

void Document::activateHistory() {
    QUndoStack* active = nullptr;
    if (historyReachable_ && mode_ == EditingMode::Font) {
        active = &fontStack_;
    } else if (historyReachable_ && mode_ == EditingMode::Bitmap) {
        active = &bitmapStack_;
    }
    group_.setActiveStack(active);
}

void Document::setHistoryReachable(bool reachable) {
    historyReachable_ = reachable;
    activateHistory();
}

void Document::setMode(EditingMode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    activateHistory();
    emit modeChanged();
}

// ---- Whole libraries ----

Result<void> Document::openFontFile(const std::string& path) {
    auto loaded = readFontLibraryFile(path);
    if (!loaded) {
        return loaded.error();
    }
    takeFontGlyphs(std::move(loaded).value(), path);
    return {};
}

void Document::takeFontGlyphs(std::vector<GlyphRecord> glyphs, const std::string& path) {
    setMode(EditingMode::Font);
    font_.replaceGlyphs(std::move(glyphs));
    fontPath_ = path;
    fontStack_.clear();
    emit fontLibraryReset(LibraryReset::Opened);
}

void Document::openFontLibrary(FontLibrary library, const std::string& path) {
    const auto count = static_cast<std::size_t>(std::clamp(library.count, 0, kGlyphSlots));
    std::vector<GlyphRecord> glyphs(
        std::make_move_iterator(library.glyphs.begin()),
        std::make_move_iterator(library.glyphs.begin() + static_cast<std::ptrdiff_t>(count)));
    takeFontGlyphs(std::move(glyphs), path);
}

Result<void> Document::openBitmapFile(const std::string& path, LibraryReading reading) {
    auto loaded = readBitmapLibraryFile(path, reading);
    if (!loaded) {
        return loaded.error();
    }
    openBitmapEntries(std::move(loaded).value(), path);
    return {};
}

void Document::openBitmapEntries(std::vector<bitmapInfoList> entries, const std::string& path) {
    setMode(EditingMode::Bitmap);
    bitmaps_.assign(std::move(entries));
    bitmapPath_ = path;
    bitmapStack_.clear();
    emit bitmapLibraryReset(LibraryReset::Opened);
}

Result<SaveMethod> Document::saveFontFile(const std::string& path, int count) {
    auto saved = writeFontLibraryFile(path, font_.glyphs, count);
    if (saved) {
        fontPath_ = path;
    }
    return saved;
}

Result<SaveMethod> Document::saveBitmapFile(const std::string& path, int count,
                                            const Progress& progress) {
    auto saved = writeBitmapLibraryFile(path, bitmaps_.entries, count, progress);
    if (saved) {
        bitmapPath_ = path;
    }
    return saved;
}

Result<void> Document::bitmapLibraryFits(int position, int width, int height,
                                         const std::string& newName) const {
    std::vector<BcmShape> shapes;
    shapes.reserve(bitmaps_.entries.size() + 1);
    for (const bitmapInfoList& entry : bitmaps_.entries) {
        shapes.push_back({entry.name, entry.width, entry.height});
    }
    if (position < 0 || static_cast<std::size_t>(position) > shapes.size()) {
        return {};
    }
    if (static_cast<std::size_t>(position) == shapes.size()) {
        shapes.push_back({newName, width, height});
    }
    shapes[static_cast<std::size_t>(position)].width = width;
    shapes[static_cast<std::size_t>(position)].height = height;
    return checkBcmShapes(shapes);
}

void Document::makeFontLibrary(const std::function<void(FontLibrary&)>& make) {
    make(font_);
    fontPath_.clear();
    fontStack_.clear();
    emit fontLibraryReset(LibraryReset::Made);
}

void Document::clearBitmapLibrary() {
    bitmaps_.clear();
    bitmapPath_.clear();
    bitmapStack_.clear();
    emit bitmapLibraryReset(LibraryReset::Made);
}

void Document::clearBitmapNames() {
    bitmaps_.index.clear();
}

// ---- Edits ----

bool Document::holdsEntry(EditingMode kind, int index) const {
    if (kind == EditingMode::Font) {
        return index >= 0 && index < kGlyphSlots;
    }
    return kind == EditingMode::Bitmap && index >= 0 && index < bitmaps_.count();
}

Picture* Document::pictureOf(EditingMode kind, int index) {
    if (!holdsEntry(kind, index)) {
        return nullptr;
    }
    std::optional<Picture>& picture =
        kind == EditingMode::Font ? font_.glyphs[static_cast<std::size_t>(index)].picture
                                  : bitmaps_.entries[static_cast<std::size_t>(index)].picture;
    return picture ? &*picture : nullptr;
}

void Document::announce(EditingMode kind, int index) {
    if (kind == EditingMode::Font) {
        emit glyphChanged(index);
    } else {
        emit bitmapChanged(index);
    }
}

void Document::paintGlyphPixel(int code, int x, int y, Rgb colour) {
    if (const Picture* picture = pictureOf(EditingMode::Font, code)) {
        fontStack_.push(
            new PaintPixel(*this, EditingMode::Font, code, x, y, picture->pixel(x, y), colour));
    }
}

void Document::paintBitmapPixel(int position, int x, int y, Rgb colour) {
    if (const Picture* picture = pictureOf(EditingMode::Bitmap, position)) {
        bitmapStack_.push(new PaintPixel(*this, EditingMode::Bitmap, position, x, y,
                                         picture->pixel(x, y), colour));
    }
}

void Document::setPixel(EditingMode kind, int index, int x, int y, Rgb colour) {
    if (Picture* picture = pictureOf(kind, index)) {
        picture->setPixel(x, y, colour);
        announce(kind, index);
    }
}

void Document::modifyGlyph(int code, EntryShape shape) {
    if (holdsEntry(EditingMode::Font, code)) {
        fontStack_.push(new ModifyEntry(*this, EditingMode::Font, code, std::move(shape)));
    }
}

void Document::modifyBitmap(int position, EntryShape shape) {
    if (holdsEntry(EditingMode::Bitmap, position)) {
        bitmapStack_.push(new ModifyEntry(*this, EditingMode::Bitmap, position, std::move(shape)));
    }
}

void Document::swapShape(EditingMode kind, int index, EntryShape& shape) {
    if (!holdsEntry(kind, index)) {
        return;
    }
    const auto swapFields = [&shape](auto& entry) {
        std::swap(entry.width, shape.width);
        std::swap(entry.height, shape.height);
        std::swap(entry.picture, shape.picture);
    };
    if (kind == EditingMode::Font) {
        swapFields(font_.glyphs[static_cast<std::size_t>(index)]);
    } else {
        swapFields(bitmaps_.entries[static_cast<std::size_t>(index)]);
    }
    announce(kind, index);
}

void Document::appendBitmap(bitmapInfoList entry) {
    bitmapStack_.push(new AddBitmap(*this, std::move(entry)));
}

void Document::appendBitmaps(std::vector<bitmapInfoList> entries) {
    bitmapStack_.beginMacro(QCoreApplication::translate("Document", "Add Bitmaps"));
    for (bitmapInfoList& entry : entries) {
        bitmapStack_.push(new AddBitmap(*this, std::move(entry)));
    }
    bitmapStack_.endMacro();
}

void Document::removeBitmap(int position) {
    if (holdsEntry(EditingMode::Bitmap, position)) {
        bitmapStack_.push(new DeleteBitmap(*this, position));
    }
}

void Document::transformEntries(EditingMode kind, const std::vector<int>& indices,
                                PictureTransform transform, const QString& text) {
    std::vector<int> held;
    for (const int index : indices) {
        if (holdsEntry(kind, index) && std::find(held.begin(), held.end(), index) == held.end()) {
            held.push_back(index);
        }
    }
    if (held.empty()) {
        return;
    }
    QUndoStack& stack = kind == EditingMode::Font ? fontStack_ : bitmapStack_;
    stack.push(new TransformEntries(*this, kind, std::move(held), transform, text));
}

EntryShape Document::transformedShape(EditingMode kind, int index,
                                      PictureTransform transform) const {
    const auto shapeOf = [transform](const auto& entry, PictureKind pictureKind) {
        const bool swap = swapsSides(transform);
        EntryShape shape{swap ? entry.height : entry.width, swap ? entry.width : entry.height,
                         std::nullopt};
        if (entry.picture) {
            shape.picture = transformed(*entry.picture, transform, pictureKind);
        }
        return shape;
    };
    if (kind == EditingMode::Font) {
        return shapeOf(font_.glyphs[static_cast<std::size_t>(index)], PictureKind::Glyph);
    }
    return shapeOf(bitmaps_.entries[static_cast<std::size_t>(index)], PictureKind::Bitmap);
}

void Document::pasteIntoEntry(EditingMode kind, int index, Picture picture) {
    if (!holdsEntry(kind, index)) {
        return;
    }
    EntryShape shape{picture.width(), picture.height(), std::move(picture)};
    QUndoStack& stack = kind == EditingMode::Font ? fontStack_ : bitmapStack_;
    stack.push(new PasteEntry(*this, kind, index, std::move(shape)));
}

void Document::paintCells(EditingMode kind, int index, const std::vector<CellPoint>& cells,
                          Rgb colour, int gesture) {
    Picture* picture = pictureOf(kind, index);
    if (picture == nullptr) {
        return;
    }
    std::vector<PixelChange> changes;
    for (const CellPoint at : cells) {
        if (at.x < 0 || at.y < 0 || at.x >= picture->width() || at.y >= picture->height()) {
            continue;
        }
        const Rgb before = picture->pixel(at.x, at.y);
        if (before != colour) {
            changes.push_back({at, before, colour});
        }
    }
    if (changes.empty()) {
        return;
    }
    QUndoStack& stack = kind == EditingMode::Font ? fontStack_ : bitmapStack_;
    stack.push(new PaintCells(*this, kind, index, std::move(changes), gesture));
}

void Document::setPixels(EditingMode kind, int index, const std::vector<PixelChange>& changes,
                         bool after) {
    Picture* picture = pictureOf(kind, index);
    if (picture == nullptr) {
        return;
    }
    for (const PixelChange& change : changes) {
        picture->setPixel(change.at.x, change.at.y, after ? change.after : change.before);
    }
    announce(kind, index);
}

void Document::appendEntry(bitmapInfoList entry) {
    bitmaps_.append(std::move(entry));
    emit bitmapInserted(bitmaps_.count() - 1);
}

bitmapInfoList Document::popEntry() {
    bitmapInfoList entry = std::move(bitmaps_.entries.back());
    bitmaps_.entries.pop_back();
    bitmaps_.index.remove(static_cast<int>(bitmaps_.index.lines().size()) - 1);
    emit bitmapRemoved(bitmaps_.count());
    return entry;
}

bitmapInfoList Document::removeEntry(int position) {
    bitmapInfoList entry = std::move(bitmaps_.entries[static_cast<std::size_t>(position)]);
    bitmaps_.remove(position);
    emit bitmapRemoved(position);
    return entry;
}

void Document::setCodePage(const CodePage& page) {
    if (page == codePage_) {
        return;
    }
    const CodePage previous = codePage_;
    codePage_ = page;
    bitmaps_.index.setCodePage(page);
    emit codePageChanged(previous);
}

void Document::restoreEntry(int position, bitmapInfoList entry, NameIndex index) {
    bitmaps_.entries.insert(bitmaps_.entries.begin() + position, std::move(entry));
    bitmaps_.index = std::move(index);
    bitmaps_.index.setCodePage(codePage_);
    emit bitmapInserted(position);
}

} // namespace korvel
