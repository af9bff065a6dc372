#include "cli/bitmapfolder.h"

#include "cli/options.h"
#include "core/codepage.h"
#include "core/textcodes.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "png/pngread.h"
#include "png/pngwrite.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

namespace korvel::cli {

namespace {

constexpr std::size_t kMaxNameBytes = 8;
constexpr int kMaxEmptySide = 1024;

[[nodiscard]] bool keptAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

/// The words of a line split at single spaces; empty words (an empty name) are kept.
[[nodiscard]] std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string_view::npos) {
            return words;
        }
        start = space + 1;
    }
}

/// A file name that stays inside the folder: no separators, not "." or "..".
[[nodiscard]] bool isPlainFileName(std::string_view file) {
    return !file.empty() && file != "." && file != ".." &&
           file.find_first_of("/\\:") == std::string_view::npos;
}

/// The size of an entry without pixels, WIDTHxHEIGHT with a width or a height of 0.
[[nodiscard]] std::optional<std::pair<int, int>> emptySize(std::string_view word) {
    const std::size_t cross = word.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = parseInteger(word.substr(0, cross));
    const auto height = parseInteger(word.substr(cross + 1));
    const auto inRange = [](int side) { return side >= 0 && side <= kMaxEmptySide; };
    if (!width || !height || !inRange(*width) || !inRange(*height) || (*width > 0 && *height > 0)) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

/// The name with every letter folded to lower case, as Windows-1252 letters pair up.
[[nodiscard]] std::string foldedName(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(foldCase1252(static_cast<std::uint8_t>(c)));
    }
    return name;
}

/// The second word of an index line, the escaped name as the user wrote it.
[[nodiscard]] std::string escapedNameOf(std::string_view line) {
    const std::vector<std::string_view> words = splitWords(line);
    return words.size() > 1 ? std::string(words[1]) : std::string();
}

[[nodiscard]] Error lineError(int lineNumber, const std::string& what) {
    return Error{std::string(kIndexFileName) + " line " + std::to_string(lineNumber) + ": " + what};
}

[[nodiscard]] Result<IndexLine> parseLine(std::string_view line, int lineNumber, int expected) {
    const std::vector<std::string_view> words = splitWords(line);
    if (words.size() != 3 && words.size() != 4) {
        return lineError(lineNumber, "expected POSITION NAME FILE");
    }
    IndexLine entry;
    const auto position = parseInteger(words[0]);
    if (!position || *position != expected) {
        return lineError(lineNumber,
                         "the position should be " + std::to_string(expected) + ", in order");
    }
    entry.position = *position;
    auto name = unescapeName(words[1]);
    if (!name || name->empty() || name->size() > kMaxNameBytes) {
        return lineError(lineNumber, "the name is not an escaped name of 1 to 8 bytes");
    }
    if (name->find('\0') != std::string::npos) {
        return lineError(lineNumber, "the name holds a NUL byte, which ends a name in the library");
    }
    entry.name = std::move(*name);
    if (words[2] == "-") {
        const auto size = words.size() == 4 ? emptySize(words[3]) : std::nullopt;
        if (!size) {
            return lineError(lineNumber, "an entry without a file needs its size WIDTHxHEIGHT "
                                         "with a width or height of 0");
        }
        entry.width = size->first;
        entry.height = size->second;
        return entry;
    }
    if (words.size() != 3 || !isPlainFileName(words[2])) {
        return lineError(lineNumber, "the file must be a plain file name in the folder");
    }
    entry.file = std::string(words[2]);
    return entry;
}

[[nodiscard]] Result<bitmapInfoList> readEntry(const IndexLine& line,
                                               const std::filesystem::path& folder) {
    if (line.file.empty()) {
        return bitmapInfoList{line.name, line.width, line.height, Picture(line.width, line.height)};
    }
    const std::string path = (folder / line.file).string();
    const auto bytes = readRegularFile(path, fileFormat(FormatId::Png).maxFileBytes,
                                       fileFormat(FormatId::Png).fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    auto picture = decodePng(bytes.value());
    if (!picture) {
        return Error{path + ": " + picture.error().message};
    }
    const int width = picture.value().width();
    const int height = picture.value().height();
    return bitmapInfoList{line.name, width, height, std::move(picture).value()};
}

} // namespace

std::string escapeName(std::string_view name) {
    std::string escaped;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (keptAsIs(byte)) {
            escaped += c;
        } else {
            escaped += '%' + hexDigits(byte);
        }
    }
    return escaped;
}

std::optional<std::string> unescapeName(std::string_view escaped) {
    std::string name;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '%') {
            name += escaped[i];
            continue;
        }
        if (i + 2 >= escaped.size()) {
            return std::nullopt;
        }
        const auto high = hexDigitValue(escaped[i + 1]);
        const auto low = hexDigitValue(escaped[i + 2]);
        if (!high || !low) {
            return std::nullopt;
        }
        name += static_cast<char>(*high * 16 + *low);
        i += 2;
    }
    return name;
}

std::string pictureFileName(int position, std::string_view name) {
    std::string number = std::to_string(position);
    // Four digits keep the files of a usual library in list order in a folder view.
    number.insert(0, number.size() < 4 ? 4 - number.size() : 0, '0');
    return number + "-" + escapeName(name) + ".png";
}

std::string indexText(std::span<const bitmapInfoList> entries) {
    std::string text;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const bitmapInfoList& entry = entries[k];
        const int position = static_cast<int>(k);
        text += std::to_string(position) + " " + escapeName(entry.name) + " ";
        if (entry.width > 0 && entry.height > 0) {
            text += pictureFileName(position, entry.name);
        } else {
            text += "- " + std::to_string(entry.width) + "x" + std::to_string(entry.height);
        }
        text += "\n";
    }
    return text;
}

Result<std::vector<IndexLine>> parseIndex(std::string_view text) {
    std::vector<IndexLine> lines;
    // Each name folded to lower case, with the line that gave it.
    std::unordered_map<std::string, int> nameLines;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        if (lines.size() >= static_cast<std::size_t>(kBcmMaxEntries)) {
            return lineError(lineNumber, "a library holds at most " +
                                             std::to_string(kBcmMaxEntries) + " entries");
        }
        auto entry = parseLine(line, lineNumber, static_cast<int>(lines.size()));
        if (!entry) {
            return entry.error();
        }
        const auto [earlier, isNew] = nameLines.emplace(foldedName(entry.value().name), lineNumber);
        if (!isNew) {
            return lineError(lineNumber, "the name \"" + escapedNameOf(line) +
                                             "\" is the name of line " +
                                             std::to_string(earlier->second) +
                                             " in another letter case or the same; names are "
                                             "unique regardless of letter case");
        }
        lines.push_back(std::move(entry).value());
    }
    return lines;
}

bool isBitmapFolderFile(std::string_view name) {
    return name == kIndexFileName || (name.size() > 4 && name.ends_with(".png"));
}

Result<void> writeBitmapFolder(std::span<const bitmapInfoList> entries, const std::string& folder,
                               const Progress& progress) {
    auto staged = StagedFolder::begin(folder, isBitmapFolderFile);
    if (!staged) {
        return staged.error();
    }
    for (std::size_t k = 0; k < entries.size(); ++k) {
        report(progress, k, entries.size());
        const bitmapInfoList& entry = entries[k];
        if (entry.width <= 0 || entry.height <= 0) {
            continue;
        }
        Picture picture(entry.width, entry.height);
        if (entry.picture) {
            picture.draw(*entry.picture);
        }
        const auto png = encodePng(picture);
        const std::string file = pictureFileName(static_cast<int>(k), entry.name);
        if (!png) {
            return Error{(std::filesystem::path(folder) / file).string() + ": " +
                         png.error().message};
        }
        if (const Result<void> written = staged.value().add(file, png.value()); !written) {
            return written;
        }
    }
    const std::string index = indexText(entries);
    if (const Result<void> written =
            staged.value().add(std::string(kIndexFileName),
                               {reinterpret_cast<const std::uint8_t*>(index.data()), index.size()});
        !written) {
        return written;
    }
    return staged.value().commit();
}

Result<std::vector<bitmapInfoList>> readBitmapFolder(const std::string& folder) {
    const std::filesystem::path base(folder);
    const std::string indexPath = (base / kIndexFileName).string();
    const auto bytes = readRegularFile(indexPath, fileFormat(FormatId::PngFolder).maxFileBytes,
                                       fileFormat(FormatId::PngFolder).fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.value().data()),
                                bytes.value().size());
    const auto lines = parseIndex(text);
    if (!lines) {
        return Error{folder + ": " + lines.error().message};
    }
    std::vector<bitmapInfoList> entries;
    for (const IndexLine& line : lines.value()) {
        auto entry = readEntry(line, base);
        if (!entry) {
            return entry.error();
        }
        entries.push_back(std::move(entry).value());
    }
    return entries;
}

} // namespace korvel::cli
