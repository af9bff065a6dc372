#include "libraryio/bitmapfolder.h"

#include "core/codepage.h"
#include "core/codeselection.h"
#include "core/numbertext.h"
#include "core/textcodes.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "png/pngread.h"
#include "png/pngwrite.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_map>

namespace korvel {

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
    const auto width = parseNumber<int>(word.substr(0, cross));
    const auto height = parseNumber<int>(word.substr(cross + 1));
    const auto inRange = [](int side) { return side >= 0 && side <= kMaxEmptySide; };
    if (!width || !height || !inRange(*width) || !inRange(*height) || (*width > 0 && *height > 0)) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
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
    const auto position = parseNumber<int>(words[0]);
    if (!position || *position != expected) {
        return lineError(lineNumber,
                         "the position should be " + std::to_string(expected) + ", in order");
    }
    entry.position = *position;
    entry.lineNumber = lineNumber;
    auto name = words[1] == kEmptyNameWord ? std::optional<std::string>(std::string())
                                           : unescapeName(words[1]);
    if (!name || (name->empty() && words[1] != kEmptyNameWord) || name->size() > kMaxNameBytes) {
        return lineError(lineNumber, "the name is not an escaped name of 1 to 8 bytes, nor \"\" "
                                     "for the empty name");
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

/// a against b (-1, 0 or 1) with every run of digits compared as the number it writes, and
/// letters compared by their bytes or, with foldCase, regardless of ASCII letter case.
[[nodiscard]] int naturalOrder(std::string_view a, std::string_view b, bool foldCase) {
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const auto byteOf = [foldCase](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return foldCase ? static_cast<unsigned char>(std::tolower(byte)) : byte;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t runA = std::find_if_not(a.begin() + i, a.end(), isDigit) - a.begin();
            const std::size_t runB = std::find_if_not(b.begin() + j, b.end(), isDigit) - b.begin();
            std::string_view digitsA = a.substr(i, runA - i);
            std::string_view digitsB = b.substr(j, runB - j);
            digitsA.remove_prefix(std::min(digitsA.find_first_not_of('0'), digitsA.size()));
            digitsB.remove_prefix(std::min(digitsB.find_first_not_of('0'), digitsB.size()));
            if (digitsA.size() != digitsB.size()) {
                return digitsA.size() < digitsB.size() ? -1 : 1;
            }
            if (const int digits = digitsA.compare(digitsB); digits != 0) {
                return digits < 0 ? -1 : 1;
            }
            i = runA;
            j = runB;
            continue;
        }
        if (byteOf(a[i]) != byteOf(b[j])) {
            return byteOf(a[i]) < byteOf(b[j]) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const std::size_t restA = a.size() - i;
    const std::size_t restB = b.size() - j;
    return restA == restB ? 0 : (restA < restB ? -1 : 1);
}

/// Whether file a comes before file b in the order a file manager lists them: runs of digits by
/// their numbers (frame2.png before frame10.png), letters regardless of case; names equal so are
/// ordered by their letter case and then byte by byte (frame02 and frame2).
[[nodiscard]] bool comesBeforeNaturally(std::string_view a, std::string_view b) {
    if (const int folded = naturalOrder(a, b, true); folded != 0) {
        return folded < 0;
    }
    if (const int cased = naturalOrder(a, b, false); cased != 0) {
        return cased < 0;
    }
    return a < b;
}

/// The bytes in page of a bitmap name of these characters, or nothing when they make none: more
/// than 8 characters, or one the page lacks.
[[nodiscard]] std::optional<std::string> bitmapNameOf(std::u32string_view characters,
                                                      const CodePage& page) {
    if (characters.size() > kMaxNameBytes) {
        return std::nullopt;
    }
    return libraryTextExactly(characters, page);
}

[[nodiscard]] std::string stemOf(std::string_view pngFile) {
    return std::string(pngFile.substr(0, pngFile.size() - 4));
}

[[nodiscard]] bool isPngFileName(std::string_view file) {
    return file.size() > 4 && file.front() != '.' &&
           sameIgnoringCase(file.substr(file.size() - 4), ".png");
}

/// The entries of a folder without index.txt: every PNG file in it, in the natural order of
/// their names, each named by its file name without ".png".
[[nodiscard]] Result<std::vector<IndexLine>> linesOfPngFiles(const std::filesystem::path& base,
                                                             const CodePage& page) {
    std::error_code error;
    std::vector<std::string> files;
    for (std::filesystem::directory_iterator item(base, error), end; !error && item != end;
         item.increment(error)) {
        const std::string file = item->path().filename().string();
        std::error_code typeError;
        if (isPngFileName(file) && item->is_regular_file(typeError)) {
            files.push_back(file);
        }
    }
    if (error) {
        return Error{base.string() + ": " + error.message(), ErrorKind::Access};
    }
    if (files.empty()) {
        return Error{base.string() + ": it holds neither an " + std::string(kIndexFileName) +
                     " nor a PNG file"};
    }
    if (files.size() > static_cast<std::size_t>(kBcmMaxEntries)) {
        return Error{base.string() + ": it holds " + std::to_string(files.size()) +
                     " PNG files, and a library holds at most " + std::to_string(kBcmMaxEntries)};
    }
    std::sort(files.begin(), files.end(), comesBeforeNaturally);
    std::vector<IndexLine> lines;
    std::unordered_map<std::string, std::string> fileOfName;
    for (const std::string& file : files) {
        const auto characters = decodeUtf8(stemOf(file));
        if (!characters) {
            return Error{(base / file).string() +
                         ": its name is not UTF-8 text, so no bitmap name can be read from it; "
                         "rename it, or list the pictures in " +
                         std::string(kIndexFileName) + " (lines POSITION NAME FILE)"};
        }
        const auto name = bitmapNameOf(characters.value(), page);
        if (!name) {
            const std::string index(kIndexFileName);
            return Error{(base / file).string() + ": its name \"" + stemOf(file) +
                         "\" is longer than 8 characters or holds one the code page lacks; "
                         "without " +
                         index +
                         " a picture is named by its file: rename it, or "
                         "list the pictures in " +
                         index + " (lines POSITION NAME FILE)"};
        }
        const auto [earlier, isNew] = fileOfName.emplace(page.foldedCase(*name), file);
        if (!isNew) {
            return Error{(base / file).string() + ": it gives the name of " + earlier->second +
                         " in another letter case; list the pictures in " +
                         std::string(kIndexFileName) + " to keep both"};
        }
        IndexLine line;
        line.position = static_cast<int>(lines.size());
        line.name = *name;
        line.file = file;
        lines.push_back(std::move(line));
    }
    return lines;
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

std::string indexText(std::span<const BcmShape> shapes) {
    std::string text;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const BcmShape& shape = shapes[k];
        const int position = static_cast<int>(k);
        text += std::to_string(position) + " " +
                (shape.name.empty() ? std::string(kEmptyNameWord) : escapeName(shape.name)) + " ";
        if (shape.width > 0 && shape.height > 0) {
            text += pictureFileName(position, shape.name);
        } else {
            text += "- " + std::to_string(shape.width) + "x" + std::to_string(shape.height);
        }
        text += "\n";
    }
    return text;
}

namespace {
[[nodiscard]] std::vector<BcmShape> shapesOf(std::span<const bitmapInfoList> entries) {
    std::vector<BcmShape> shapes;
    shapes.reserve(entries.size());
    for (const bitmapInfoList& entry : entries) {
        shapes.push_back({entry.name, entry.width, entry.height});
    }
    return shapes;
}
} // namespace

std::string indexText(std::span<const bitmapInfoList> entries) {
    return indexText(shapesOf(entries));
}

Result<std::vector<IndexLine>> parseIndex(std::string_view text, const CodePage& page) {
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
        const auto [earlier, isNew] =
            nameLines.emplace(page.foldedCase(entry.value().name), lineNumber);
        if (!isNew) {
            entry.value().repeatsLine = earlier->second;
        }
        lines.push_back(std::move(entry).value());
    }
    return lines;
}

bool isBitmapFolderFile(std::string_view name) {
    return name == kIndexFileName || (name.size() > 4 && name.ends_with(".png"));
}

std::string repeatedNamesWarning(std::span<const IndexLine> lines) {
    constexpr std::size_t kNamedAtMost = 10;
    std::string named;
    std::size_t repeats = 0;
    for (const IndexLine& line : lines) {
        if (line.repeatsLine == 0) {
            continue;
        }
        if (++repeats <= kNamedAtMost) {
            named += (repeats > 1 ? ", line " : "line ") + std::to_string(line.lineNumber) +
                     " repeats line " + std::to_string(line.repeatsLine);
        }
    }
    if (repeats == 0) {
        return {};
    }
    if (repeats > kNamedAtMost) {
        named += ", and " + std::to_string(repeats - kNamedAtMost) + " more";
    }
    return "names repeat (in one letter case or another) and are kept as they are: " + named;
}

Result<void> writeBitmapFolder(std::span<const BcmShape> shapes, const PictureOf& pictureOf,
                               const std::string& folder, const Progress& progress) {
    auto staged = StagedFolder::begin(folder, isBitmapFolderFile);
    if (!staged) {
        return staged.error();
    }
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        report(progress, k, shapes.size());
        const BcmShape& shape = shapes[k];
        if (shape.width <= 0 || shape.height <= 0) {
            continue;
        }
        const std::string file = pictureFileName(static_cast<int>(k), shape.name);
        const auto made = pictureOf(k);
        if (!made) {
            return made.error();
        }
        // The picture at its entry's size, black where it does not reach.
        Picture picture(shape.width, shape.height);
        picture.draw(made.value());
        const auto png = encodePng(picture);
        if (!png) {
            return Error{(std::filesystem::path(folder) / file).string() + ": " +
                         png.error().message};
        }
        if (const Result<void> written = staged.value().add(file, png.value()); !written) {
            return written;
        }
    }
    const std::string index = indexText(shapes);
    if (const Result<void> written =
            staged.value().add(std::string(kIndexFileName),
                               {reinterpret_cast<const std::uint8_t*>(index.data()), index.size()});
        !written) {
        return written;
    }
    return staged.value().commit();
}

Result<void> writeBitmapFolder(std::span<const bitmapInfoList> entries, const std::string& folder,
                               const Progress& progress) {
    return writeBitmapFolder(
        shapesOf(entries),
        [&](std::size_t k) -> Result<Picture> {
            const bitmapInfoList& entry = entries[k];
            return entry.picture ? *entry.picture : Picture(entry.width, entry.height);
        },
        folder, progress);
}

Result<void> writeBitmapFolder(ByteSource& source, std::span<const BcmBlock> blocks,
                               const std::string& folder, const Progress& progress) {
    std::vector<BcmShape> shapes;
    shapes.reserve(blocks.size());
    for (const BcmBlock& block : blocks) {
        shapes.push_back({block.name, block.width, block.height});
    }
    return writeBitmapFolder(
        shapes, [&](std::size_t k) { return readBcmPicture(source, blocks[k]); }, folder, progress);
}

namespace {

/// The size a PNG's header gives, read from its first bytes through the read gate's checks.
[[nodiscard]] Result<PngSize> pictureSizeOf(const std::string& path) {
    auto source = FileSource::open(path);
    if (!source) {
        return source.error();
    }
    if (source.value()->size() > kPngMaxFileBytes) {
        return Error{"Cannot read file \"" + path + "\". It has " +
                         std::to_string(source.value()->size()) +
                         " bytes, more than a PNG file can hold (" +
                         std::to_string(kPngMaxFileBytes) + " bytes).",
                     ErrorKind::Access};
    }
    const auto head = source.value()->read(0, static_cast<std::size_t>(std::min<std::uint64_t>(
                                                  kPngSizeHeadBytes, source.value()->size())));
    if (!head) {
        return head.error();
    }
    auto size = pngSize(head.value());
    if (!size) {
        return Error{path + ": " + size.error().message};
    }
    return size;
}

/// One entry's picture, decoded from its PNG, which must still have the size planned.
[[nodiscard]] Result<Picture> decodedPicture(const IndexLine& line,
                                             const std::filesystem::path& folder) {
    if (line.file.empty()) {
        return Picture(line.width, line.height);
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
    if (picture.value().width() != line.width || picture.value().height() != line.height) {
        return Error{path + ": it has changed while it was read (its picture is " +
                     std::to_string(picture.value().width()) + " x " +
                     std::to_string(picture.value().height()) + ", its header said " +
                     std::to_string(line.width) + " x " + std::to_string(line.height) + ")"};
    }
    return picture;
}

[[nodiscard]] std::vector<BcmShape> shapesOf(std::span<const IndexLine> lines) {
    std::vector<BcmShape> shapes;
    shapes.reserve(lines.size());
    for (const IndexLine& line : lines) {
        shapes.push_back({line.name, line.width, line.height});
    }
    return shapes;
}

/// The plan of the entries listed: every PNG's header read and checked.
[[nodiscard]] Result<FolderPlan> planOf(const std::string& folder, std::vector<IndexLine> lines) {
    const std::filesystem::path base(folder);
    FolderPlan plan{folder, std::move(lines)};
    // Where each block would begin: the headers stop being read as soon as one lies beyond what
    // the format addresses.
    std::uint64_t offset = 0;
    for (IndexLine& line : plan.lines) {
        if (!line.file.empty()) {
            const std::string path = (base / line.file).string();
            const auto size = pictureSizeOf(path);
            if (!size) {
                return size.error();
            }
            if (size.value().width > static_cast<std::uint32_t>(kBcmMaxPaddedWidth) ||
                size.value().height > static_cast<std::uint32_t>(kBcmMaxRows)) {
                return Error{path + ": its picture of " + std::to_string(size.value().width) +
                             " x " + std::to_string(size.value().height) +
                             " pixels is larger than a bitmap library file holds (1024 x 513)"};
            }
            line.width = static_cast<int>(size.value().width);
            line.height = static_cast<int>(size.value().height);
        }
        if (offset > kBcmMaxBlockOffset) {
            break;
        }
        offset += bcmBlockBytes(line.width, line.height);
    }
    if (const Result<void> fits = checkBcmShapes(shapesOf(plan.lines)); !fits) {
        return Error{folder + ": " + fits.error().message};
    }
    return plan;
}

} // namespace

Result<FolderPlan> planBitmapFolder(const std::string& folder, const CodePage& page) {
    const std::filesystem::path base(folder);
    const std::string indexPath = (base / kIndexFileName).string();
    std::error_code error;
    const auto indexStatus = std::filesystem::symlink_status(indexPath, error);
    if (indexStatus.type() == std::filesystem::file_type::not_found &&
        std::filesystem::is_directory(base, error)) {
        auto lines = linesOfPngFiles(base, page);
        if (!lines) {
            return lines.error();
        }
        return planOf(folder, std::move(lines).value());
    }
    const auto bytes = readRegularFile(indexPath, fileFormat(FormatId::PngFolder).maxFileBytes,
                                       fileFormat(FormatId::PngFolder).fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.value().data()),
                                bytes.value().size());
    auto lines = parseIndex(text, page);
    if (!lines) {
        return Error{folder + ": " + lines.error().message};
    }
    return planOf(folder, std::move(lines).value());
}

Result<SaveMethod> saveFolderAsLibrary(const FolderPlan& plan, const std::string& path,
                                       const Progress& progress) {
    const std::filesystem::path base(plan.folder);
    const std::size_t count = plan.lines.size();
    return saveFileStreamed(path, [&](ByteSink& sink) -> Result<void> {
        if (const Result<void> written = sink.write(bcmDirectory(shapesOf(plan.lines))); !written) {
            return written;
        }
        std::vector<std::uint8_t> block;
        for (std::size_t k = 0; k < count; ++k) {
            const IndexLine& line = plan.lines[k];
            const auto picture = decodedPicture(line, base);
            if (!picture) {
                return picture.error();
            }
            block.clear();
            appendBcmBlock(block, &picture.value(), line.width, line.height);
            if (const Result<void> written = sink.write(block); !written) {
                return written;
            }
            report(progress, k + 1, count + 1);
        }
        return {};
    });
}

Result<std::vector<bitmapInfoList>> readBitmapFolder(const std::string& folder,
                                                     const CodePage& page) {
    const auto plan = planBitmapFolder(folder, page);
    if (!plan) {
        return plan.error();
    }
    std::vector<bitmapInfoList> entries;
    for (const IndexLine& line : plan.value().lines) {
        auto picture = decodedPicture(line, folder);
        if (!picture) {
            return picture.error();
        }
        entries.push_back({line.name, line.width, line.height, std::move(picture).value()});
    }
    return entries;
}

} // namespace korvel
