#pragma once

#include "core/codepage.h"
#include "core/picture.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

/// One named picture of a bitmap library. The name is 1 to 8 single-byte characters (of the
/// code page in use, Windows-1252 by default), unique in its library regardless of letter case.
struct bitmapInfoList {
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Picture> picture;
};

/// The bitmap name index: one line "name=position" per entry, looked up without regard to case.
class NameIndex {
public:
    void clear() { lines_.clear(); }
    /// Makes room for count lines.
    void reserve(std::size_t count) { lines_.reserve(count); }
    /// Adds the line for an entry at position.
    void add(const std::string& name, int position);
    /// Removes line k and lowers the position of every later line by one.
    void remove(int k);
    /// The position of the first line whose name equals name ignoring letter case in the index's
    /// code page (Windows-1252 unless set: "été" and "ÉTÉ" are one name). The name of a line is
    /// the text before its last "=", so names that contain "=" are found too.
    [[nodiscard]] std::optional<int> find(const std::string& name) const;
    [[nodiscard]] bool empty() const { return lines_.empty(); }
    [[nodiscard]] const std::vector<std::string>& lines() const { return lines_; }
    /// The code page whose letter case lookups ignore; the lines stay as they are.
    void setCodePage(const CodePage& page) { page_ = page; }
    [[nodiscard]] const CodePage& codePage() const { return page_; }

private:
    std::vector<std::string> lines_;
    CodePage page_;
};

/// The bitmap entry list with its name index; the entry count is the list's length.
struct BitmapLibrary {
    std::vector<bitmapInfoList> entries;
    NameIndex index;

    [[nodiscard]] int count() const { return static_cast<int>(entries.size()); }
    /// Appends an entry and its index line.
    void append(bitmapInfoList entry);
    /// Removes entry k; later entries move down one place and the index follows.
    void remove(int k);
    /// Empties the library and its index.
    void clear();
    /// Replaces the library by entries, in order, with a fresh index.
    void assign(std::vector<bitmapInfoList> entries);
    /// A library of its own holding entries, in order, with their index.
    [[nodiscard]] static BitmapLibrary of(std::vector<bitmapInfoList> entries) {
        BitmapLibrary library;
        library.assign(std::move(entries));
        return library;
    }
    /// The entry a name stands for, or nullptr.
    [[nodiscard]] bitmapInfoList* findEntry(const std::string& name);
    [[nodiscard]] const bitmapInfoList* findEntry(const std::string& name) const;
};

} // namespace korvel
