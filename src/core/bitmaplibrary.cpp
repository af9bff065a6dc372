#include "core/bitmaplibrary.h"

#include "core/codepage.h"
#include "core/numbertext.h"

#include <algorithm>
#include <utility>

namespace korvel {

namespace {
struct Line {
    std::string_view name;
    int position = -1;
};

Line split(std::string_view line) {
    const auto equals = line.rfind('=');
    if (equals == std::string_view::npos) {
        return {line, -1};
    }
    Line result{line.substr(0, equals), -1};
    const std::string_view digits = line.substr(equals + 1);
    if (const auto value = parseNumber<int>(digits)) {
        result.position = *value;
    }
    return result;
}
} // namespace

void NameIndex::add(const std::string& name, int position) {
    lines_.push_back(name + "=" + std::to_string(position));
}

void NameIndex::remove(int k) {
    if (k < 0 || k >= static_cast<int>(lines_.size())) {
        return;
    }
    lines_.erase(lines_.begin() + k);
    for (std::string& line : lines_) {
        const Line parts = split(line);
        if (parts.position > k) {
            line = std::string(parts.name) + "=" + std::to_string(parts.position - 1);
        }
    }
}

std::optional<int> NameIndex::find(const std::string& name) const {
    for (const std::string& line : lines_) {
        const Line parts = split(line);
        if (page_.equalFoldingCase(parts.name, name)) {
            if (parts.position < 0) {
                return std::nullopt;
            }
            return parts.position;
        }
    }
    return std::nullopt;
}

void BitmapLibrary::append(bitmapInfoList entry) {
    index.add(entry.name, count());
    entries.push_back(std::move(entry));
}

void BitmapLibrary::remove(int k) {
    if (k < 0 || k >= count()) {
        return;
    }
    entries.erase(entries.begin() + k);
    index.remove(k);
}

void BitmapLibrary::clear() {
    entries.clear();
    index.clear();
}

void BitmapLibrary::assign(std::vector<bitmapInfoList> newEntries) {
    // The entries are taken as they are, without growing a second list of them one by one.
    index.clear();
    index.reserve(newEntries.size());
    for (std::size_t k = 0; k < newEntries.size(); ++k) {
        index.add(newEntries[k].name, static_cast<int>(k));
    }
    entries = std::move(newEntries);
}

bitmapInfoList* BitmapLibrary::findEntry(const std::string& name) {
    return const_cast<bitmapInfoList*>(std::as_const(*this).findEntry(name));
}

const bitmapInfoList* BitmapLibrary::findEntry(const std::string& name) const {
    const auto position = index.find(name);
    if (!position || *position < 0 || *position >= count()) {
        return nullptr;
    }
    return &entries[static_cast<std::size_t>(*position)];
}

} // namespace korvel
