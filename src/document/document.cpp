#include "document/document.h"

#include "document/editcommands.h"

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
    setMode(EditingMode::Font);
    font_.replaceGlyphs(std::move(loaded).value());
    fontStack_.clear();
    emit fontLibraryReset(LibraryReset::Opened);
    return {};
}

Result<void> Document::openBitmapFile(const std::string& path) {
    auto loaded = readBitmapLibraryFile(path);
    if (!loaded) {
        return loaded.error();
    }
    setMode(EditingMode::Bitmap);
    bitmaps_.assign(std::move(loaded).value());
    bitmapStack_.clear();
    emit bitmapLibraryReset(LibraryReset::Opened);
    return {};
}

Result<SaveMethod> Document::saveFontFile(const std::string& path, int count) const {
    return writeFontLibraryFile(path, font_.glyphs, count);
}

Result<SaveMethod> Document::saveBitmapFile(const std::string& path, int count,
                                            const Progress& progress) const {
    return writeBitmapLibraryFile(path, bitmaps_.entries, count, progress);
}

void Document::makeFontLibrary(const std::function<void(FontLibrary&)>& make) {
    make(font_);
    fontStack_.clear();
    emit fontLibraryReset(LibraryReset::Made);
}

void Document::clearBitmapLibrary() {
    bitmaps_.clear();
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

void Document::removeBitmap(int position) {
    if (holdsEntry(EditingMode::Bitmap, position)) {
        bitmapStack_.push(new DeleteBitmap(*this, position));
    }
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

void Document::restoreEntry(int position, bitmapInfoList entry, NameIndex index) {
    bitmaps_.entries.insert(bitmaps_.entries.begin() + position, std::move(entry));
    bitmaps_.index = std::move(index);
    emit bitmapInserted(position);
}

} // namespace korvel
