#include "commands.h"

#include "bcm.h"
#include "bdf.h"
#include "bitmapfolder.h"
#include "bmp.h"
#include "codepage.h"
#include "fileio.h"
#include "imageio.h"
#include "lcm.h"
#include "libraryfactory.h"
#include "librarytext.h"
#include "options.h"
#include "qtsession.h"

#include <QFontDatabase>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kInfoUsage = "korvel-cli info [--rows] FILE.lcm|FILE.bcm";
constexpr std::string_view kNewFontUsage =
    "korvel-cli new-font --family NAME --size POINTS [--codes 128|256] -o OUT.lcm\n"
    "korvel-cli new-font --blank WIDTHxHEIGHT [--codes 128|256] -o OUT.lcm";
constexpr std::string_view kConvertUsage =
    "korvel-cli convert IN.lcm OUT.bdf | IN.bdf OUT.lcm | IN.bcm OUTFOLDER | INFOLDER OUT.bcm";
constexpr std::string_view kAddUsage =
    "korvel-cli add LIB.bcm NAME IMAGE.png|IMAGE.bmp [--size WIDTHxHEIGHT]";
constexpr std::string_view kExportUsage =
    "korvel-cli export LIB.lcm CODE OUT.png|OUT.bmp | LIB.bcm NAME OUT.png|OUT.bmp";

// The sizes the setup dialog offers.
constexpr int kMaxPoints = 250;
constexpr int kMaxBlankWidth = 1024;
constexpr int kMaxBlankHeight = 576;
constexpr int kMaxEntryWidth = 1024;
constexpr int kMaxEntryHeight = 512;

/// A failure on the way: refused input (exit 1) or a wrong command line (exit 2).
struct Failure {
    ExitStatus status = kExitRefused;
    std::string message;
};

[[nodiscard]] Failure refused(const std::string& file, const std::string& reason) {
    return Failure{kExitRefused, file.empty() ? reason : file + ": " + reason};
}
[[nodiscard]] Failure usageError(std::string message) {
    return Failure{kExitUsage, std::move(message)};
}

/// What a command gives back: nothing on success, else why it stopped.
using Outcome = std::optional<Failure>;

/// The lower-case extension of a path, without the dot ("" for none).
[[nodiscard]] std::string extensionOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

[[nodiscard]] std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

/// Everything a command needs besides its arguments.
struct Context {
    std::ostream& out;
    std::ostream& err;
    QtSession& qt;
};

// ---- Reading and writing the libraries ----

[[nodiscard]] std::variant<FontLibrary, Failure> loadFont(const std::string& path) {
    const auto bytes = readRegularFile(path, kLcmMaxFileBytes, "a font library file");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    auto glyphs = decodeLcm(bytes.value());
    if (!glyphs) {
        return refused(path, glyphs.error().message);
    }
    FontLibrary library;
    library.replaceGlyphs(std::move(glyphs).value());
    return library;
}

[[nodiscard]] std::variant<BitmapLibrary, Failure> loadBitmaps(const std::string& path) {
    const auto bytes = readRegularFile(path, kBcmMaxFileBytes, "a bitmap library file");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    auto entries = decodeBcm(bytes.value());
    if (!entries) {
        return refused(path, entries.error().message);
    }
    BitmapLibrary library;
    library.assign(std::move(entries).value());
    return library;
}

/// Where warnings of the running command go (its error stream).
thread_local std::ostream* tWarnings = nullptr;

[[nodiscard]] Outcome writeBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return refused("", saved.error().message);
    }
    if (saved.value() == SaveMethod::InPlace && tWarnings != nullptr) {
        *tWarnings << "korvel-cli: " << path
                   << ": warning: its folder allows no new file, so the file was overwritten in "
                      "place\n";
    }
    return std::nullopt;
}

[[nodiscard]] Outcome saveFont(const std::string& path, const FontLibrary& library) {
    const auto bytes = encodeLcm(library.glyphs, library.count);
    if (!bytes) {
        return refused(path, bytes.error().message);
    }
    return writeBytes(path, bytes.value());
}

[[nodiscard]] Outcome saveBitmaps(const std::string& path,
                                  std::span<const bitmapInfoList> entries) {
    const auto bytes = encodeBcm(entries, static_cast<int>(entries.size()));
    if (!bytes) {
        return refused(path, bytes.error().message);
    }
    return writeBytes(path, bytes.value());
}

// ---- info ----

[[nodiscard]] char paletteLetter(Rgb colour) {
    static constexpr std::array<char, 8> kLetters{'R', 'G', 'Y', 'K', 'B', 'A', 'W', 'F'};
    return kLetters[static_cast<std::size_t>(classify(colour))];
}

void printRows(std::ostream& out, const std::optional<Picture>& picture, int width, int height,
               const std::function<char(Rgb)>& letter) {
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += letter(picture ? picture->pixel(x, y) : kBlack);
        }
        out << row << '\n';
    }
}

[[nodiscard]] Outcome infoFont(Context& context, const std::string& path, bool rows) {
    auto loaded = loadFont(path);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    const FontLibrary& library = std::get<FontLibrary>(loaded);
    context.out << library.count << '\n';
    for (int code = 0; code < library.count; ++code) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        context.out << code << ' ' << glyph.width << ' ' << glyph.height << '\n';
        if (rows) {
            printRows(context.out, glyph.picture, glyph.width, glyph.height,
                      [](Rgb c) { return isInk(c) ? '#' : '.'; });
        }
    }
    return std::nullopt;
}

[[nodiscard]] Outcome infoBitmaps(Context& context, const std::string& path, bool rows) {
    auto loaded = loadBitmaps(path);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    const BitmapLibrary& library = std::get<BitmapLibrary>(loaded);
    context.out << library.count() << '\n';
    for (int k = 0; k < library.count(); ++k) {
        const bitmapInfoList& entry = library.entries[static_cast<std::size_t>(k)];
        context.out << k << ' ' << fromLibraryText(entry.name).toStdString() << ' ' << entry.width
                    << ' ' << entry.height << '\n';
        if (rows) {
            printRows(context.out, entry.picture, entry.width, entry.height, paletteLetter);
        }
    }
    return std::nullopt;
}

[[nodiscard]] Outcome runInfo(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 1) {
        return usageError("info needs one FILE");
    }
    const std::string& path = options.positional[0];
    const std::string extension = extensionOf(path);
    if (extension == "lcm") {
        return infoFont(context, path, options.has("--rows"));
    }
    if (extension == "bcm") {
        return infoBitmaps(context, path, options.has("--rows"));
    }
    return usageError("info reads a .lcm or a .bcm file, not \"" + path + "\"");
}

// ---- new-font ----

[[nodiscard]] std::variant<int, Failure> codeCountOption(const ParsedOptions& options) {
    const std::string* codes = options.value("--codes");
    if (codes == nullptr || *codes == "128") {
        return kSmallCodeRange;
    }
    if (*codes == "256") {
        return kFullCodeRange;
    }
    return usageError("--codes is 128 or 256, not \"" + *codes + "\"");
}

/// The installed family of that name in any letter case, as the font database spells it.
[[nodiscard]] std::optional<QString> installedFamily(const QString& family) {
    for (const QString& installed : QFontDatabase::families()) {
        if (!installed.contains(u'@') && installed.compare(family, Qt::CaseInsensitive) == 0) {
            return installed;
        }
    }
    return std::nullopt;
}

[[nodiscard]] std::variant<FontLibrary, Failure>
systemFont(Context& context, const ParsedOptions& options, int count) {
    const std::string* family = options.value("--family");
    const std::string* size = options.value("--size");
    if (family == nullptr || size == nullptr) {
        return usageError("new-font needs --family and --size, or --blank");
    }
    const auto points = parseInteger(*size);
    if (!points || *points < 1 || *points > kMaxPoints) {
        return usageError("--size is a number of points from 1 to 250, not \"" + *size + "\"");
    }
    context.qt.ensureStarted();
    const auto installed = installedFamily(QString::fromStdString(*family));
    if (!installed) {
        return refused("", "the font family \"" + *family + "\" is not installed");
    }
    FontLibrary library;
    renderSystemFont(library, *installed, *points, count);
    return library;
}

[[nodiscard]] std::variant<FontLibrary, Failure> blankFont(const std::string& sizeText, int count) {
    const auto size = parseSize(sizeText, kMaxBlankWidth, kMaxBlankHeight);
    if (!size) {
        return usageError("--blank is WIDTHxHEIGHT, width 1 to 1024 and height 1 to 576, not \"" +
                          sizeText + "\"");
    }
    FontLibrary library;
    makeBlankFont(library, size->first, size->second, count);
    return library;
}

[[nodiscard]] Outcome runNewFont(Context& context, const ParsedOptions& options) {
    const std::string* output = options.value("-o");
    if (output == nullptr || !options.positional.empty()) {
        return usageError("new-font needs -o OUT.lcm and no other words");
    }
    if (extensionOf(*output) != "lcm") {
        return usageError("new-font writes a .lcm file, not \"" + *output + "\"");
    }
    const auto count = codeCountOption(options);
    if (const auto* failure = std::get_if<Failure>(&count)) {
        return *failure;
    }
    const std::string* blank = options.value("--blank");
    if (blank != nullptr && (options.value("--family") != nullptr || options.value("--size"))) {
        return usageError("--blank goes without --family and --size");
    }
    auto made = blank != nullptr ? blankFont(*blank, std::get<int>(count))
                                 : systemFont(context, options, std::get<int>(count));
    if (const auto* failure = std::get_if<Failure>(&made)) {
        return *failure;
    }
    return saveFont(*output, std::get<FontLibrary>(made));
}

// ---- convert ----

[[nodiscard]] std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

[[nodiscard]] Outcome fontToBdf(const std::string& input, const std::string& output) {
    auto loaded = loadFont(input);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    const FontLibrary& library = std::get<FontLibrary>(loaded);
    const std::string name = std::filesystem::path(input).stem().string();
    return writeBytes(output, bytesOf(encodeBdf(library.glyphs, library.count, name)));
}

[[nodiscard]] Outcome bdfToFont(Context& context, const std::string& input,
                                const std::string& output) {
    const auto bytes = readRegularFile(input, kBdfMaxTextSize, "a BDF font");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    const auto font = decodeBdf(textOf(bytes.value()));
    if (!font) {
        return refused(input, font.error().message);
    }
    for (const std::string& warning : font.value().warnings) {
        context.err << "korvel-cli: " << input << ": warning: " << warning << '\n';
    }
    if (font.value().skipped > 0) {
        context.err << "korvel-cli: " << input << ": " << font.value().skipped
                    << " glyphs skipped (codes outside 0 to 255, repeated or without one)\n";
    }
    return saveFont(output, font.value().library);
}

[[nodiscard]] Outcome bitmapsToFolder(Context& context, const std::string& input,
                                      const std::string& output) {
    auto loaded = loadBitmaps(input);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    context.qt.ensureStarted();
    if (const Status written = writeBitmapFolder(std::get<BitmapLibrary>(loaded).entries, output);
        !written) {
        return refused("", written.error().message);
    }
    return std::nullopt;
}

[[nodiscard]] Outcome folderToBitmaps(Context& context, const std::string& input,
                                      const std::string& output) {
    context.qt.ensureStarted();
    const auto entries = readBitmapFolder(input);
    if (!entries) {
        return refused("", entries.error().message);
    }
    return saveBitmaps(output, entries.value());
}

[[nodiscard]] Outcome runConvert(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 2) {
        return usageError("convert needs IN and OUT");
    }
    const std::string& input = options.positional[0];
    const std::string& output = options.positional[1];
    const std::string from = extensionOf(input);
    const std::string to = extensionOf(output);
    if (from == "lcm" && to == "bdf") {
        return fontToBdf(input, output);
    }
    if (from == "bdf" && to == "lcm") {
        return bdfToFont(context, input, output);
    }
    if (from == "bcm" && to.empty()) {
        return bitmapsToFolder(context, input, output);
    }
    if (from.empty() && to == "bcm") {
        return folderToBitmaps(context, input, output);
    }
    return usageError("convert turns .lcm into .bdf, .bdf into .lcm, .bcm into a folder or a "
                      "folder into .bcm");
}

// ---- add ----

/// Refuses, from the headers alone, a BMP picture larger than a bitmap entry holds.
[[nodiscard]] std::optional<Failure> checkEntrySize(const std::string& path,
                                                    std::span<const std::uint8_t> bytes) {
    const auto size = bmpSize(bytes);
    if (!size) {
        return refused(path, size.error().message);
    }
    if (size.value().width > kMaxEntryWidth || size.value().height > kMaxEntryHeight) {
        return refused(path, "its picture of " + std::to_string(size.value().width) + " x " +
                                 std::to_string(size.value().height) +
                                 " is larger than a bitmap holds (1024 x 512); give --size to "
                                 "scale it");
    }
    return std::nullopt;
}

[[nodiscard]] std::variant<Picture, Failure> readImage(Context& context, const std::string& path,
                                                       bool scaled) {
    const std::string extension = extensionOf(path);
    if (extension != "png" && extension != "bmp") {
        return usageError("add takes a .png or a .bmp picture, not \"" + path + "\"");
    }
    const auto bytes = extension == "bmp" ? readRegularFile(path, kBmpMaxFileBytes, "a BMP file")
                                          : readRegularFile(path, kPngMaxFileBytes, "a PNG file");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    if (extension == "bmp") {
        if (!scaled) {
            if (auto failure = checkEntrySize(path, bytes.value())) {
                return *failure;
            }
        }
        auto picture = decodeBmp(bytes.value());
        if (!picture) {
            return refused(path, picture.error().message);
        }
        return std::move(picture).value();
    }
    context.qt.ensureStarted();
    auto picture = decodePng(bytes.value());
    if (!picture) {
        return refused(path, picture.error().message);
    }
    return std::move(picture).value();
}

/// Whether an entry has that name in any letter case of Windows-1252 (É and é alike).
[[nodiscard]] bool hasNameInAnyCase(const BitmapLibrary& library, const std::string& name) {
    return std::any_of(
        library.entries.begin(), library.entries.end(),
        [&](const bitmapInfoList& entry) { return equalIgnoringCase1252(entry.name, name); });
}

[[nodiscard]] std::variant<BitmapLibrary, Failure> loadOrStartBitmaps(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        return BitmapLibrary{};
    }
    return loadBitmaps(path);
}

[[nodiscard]] Outcome runAdd(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 3) {
        return usageError("add needs LIB.bcm, NAME and IMAGE");
    }
    const std::string& libraryPath = options.positional[0];
    const std::string& name = options.positional[1];
    if (extensionOf(libraryPath) != "bcm") {
        return usageError("add writes into a .bcm file, not \"" + libraryPath + "\"");
    }
    std::optional<std::pair<int, int>> size;
    if (const std::string* sizeText = options.value("--size")) {
        size = parseSize(*sizeText, kMaxEntryWidth, kMaxEntryHeight);
        if (!size) {
            return usageError(
                "--size is WIDTHxHEIGHT, width 1 to 1024 and height 1 to 512, not \"" + *sizeText +
                "\"");
        }
    }
    // Held from reading the library to writing it, so that concurrent runs take turns.
    const auto lock = FolderLock::acquire(libraryPath);
    if (!lock) {
        return refused("", lock.error().message);
    }
    auto loaded = loadOrStartBitmaps(libraryPath);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    BitmapLibrary& library = std::get<BitmapLibrary>(loaded);
    const QString typed = QString::fromStdString(name);
    if (const BitmapNameFault fault = checkBitmapName(typed, library.index);
        fault != BitmapNameFault::None) {
        return refused(libraryPath, bitmapNameMessage(fault).toStdString());
    }
    if (hasNameInAnyCase(library, toLibraryText(typed))) {
        return refused(libraryPath, bitmapNameMessage(BitmapNameFault::Duplicate).toStdString());
    }
    auto image = readImage(context, options.positional[2], size.has_value());
    if (auto* failure = std::get_if<Failure>(&image)) {
        return *failure;
    }
    Picture picture = std::move(std::get<Picture>(image));
    if (size) {
        picture = picture.scaled(size->first, size->second);
    }
    const int width = picture.width();
    const int height = picture.height();
    library.append({toLibraryText(typed), width, height, std::move(picture)});
    return saveBitmaps(libraryPath, library.entries);
}

// ---- export ----

/// The picture of one glyph or entry as the modify dialog exports it: its own size, black where
/// its picture does not reach.
[[nodiscard]] Picture exportedPicture(int width, int height, const std::optional<Picture>& own) {
    Picture picture(width, height);
    if (own) {
        picture.draw(*own);
    }
    return picture;
}

[[nodiscard]] std::variant<Picture, Failure> glyphPicture(const std::string& path,
                                                          const std::string& codeText) {
    auto loaded = loadFont(path);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    const FontLibrary& library = std::get<FontLibrary>(loaded);
    const auto code = parseInteger(codeText);
    if (!code || *code < 0 || *code >= library.count) {
        return refused(path, "there is no glyph of code \"" + codeText +
                                 "\" (it holds codes 0 to " + std::to_string(library.count - 1) +
                                 ")");
    }
    const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(*code)];
    return exportedPicture(glyph.width, glyph.height, glyph.picture);
}

[[nodiscard]] std::variant<Picture, Failure> entryPicture(const std::string& path,
                                                          const std::string& name) {
    auto loaded = loadBitmaps(path);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    BitmapLibrary& library = std::get<BitmapLibrary>(loaded);
    const bitmapInfoList* entry = library.findEntry(toLibraryText(QString::fromStdString(name)));
    if (entry == nullptr) {
        return refused(path, "there is no bitmap named \"" + name + "\"");
    }
    return exportedPicture(entry->width, entry->height, entry->picture);
}

[[nodiscard]] Outcome runExport(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 3) {
        return usageError("export needs LIB, CODE or NAME, and OUT");
    }
    const std::string& libraryPath = options.positional[0];
    const std::string& output = options.positional[2];
    const std::string kind = extensionOf(libraryPath);
    const std::string format = extensionOf(output);
    if ((kind != "lcm" && kind != "bcm") || (format != "png" && format != "bmp")) {
        return usageError("export reads a .lcm or .bcm file and writes a .png or .bmp file");
    }
    auto picture = kind == "lcm" ? glyphPicture(libraryPath, options.positional[1])
                                 : entryPicture(libraryPath, options.positional[1]);
    if (auto* failure = std::get_if<Failure>(&picture)) {
        return *failure;
    }
    const Picture& exported = std::get<Picture>(picture);
    if (exported.isEmpty()) {
        return refused(libraryPath, "\"" + options.positional[1] + "\" has no pixels to export");
    }
    if (format == "bmp") {
        return writeBytes(output, encodeBmp24(exported));
    }
    context.qt.ensureStarted();
    const auto png = encodePng(exported);
    if (!png) {
        return refused(output, png.error().message);
    }
    return writeBytes(output, png.value());
}

// ---- Dispatch ----

/// One command: its name, usage, options and what runs it.
struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    std::vector<std::string_view> valueOptions;
    std::vector<std::string_view> flagOptions;
    Outcome (*run)(Context&, const ParsedOptions&);
};

[[nodiscard]] const std::vector<Command>& commands() {
    static const std::vector<Command> kCommands{
        {"info",
         kInfoUsage,
         "list the glyphs or bitmaps of a library (--rows: with pixels)",
         {},
         {"--rows"},
         runInfo},
        {"new-font",
         kNewFontUsage,
         "make a font library from a system font or of blank glyphs",
         {"--family", "--size", "--blank", "--codes", "-o"},
         {},
         runNewFont},
        {"convert",
         kConvertUsage,
         "convert between .lcm and BDF, or .bcm and a PNG folder",
         {},
         {},
         runConvert},
        {"add",
         kAddUsage,
         "append a PNG or BMP picture to a bitmap library",
         {"--size"},
         {},
         runAdd},
        {"export", kExportUsage, "write one glyph or bitmap as PNG or BMP", {}, {}, runExport},
    };
    return kCommands;
}

/// Writes each line of a usage text indented by two spaces.
void printIndented(std::ostream& stream, std::string_view usage) {
    while (!usage.empty()) {
        const std::size_t end = usage.find('\n');
        stream << "  " << usage.substr(0, end) << '\n';
        usage.remove_prefix(end == std::string_view::npos ? usage.size() : end + 1);
    }
}

void printUsage(std::ostream& stream) {
    stream << "Usage:\n";
    for (const Command& command : commands()) {
        printIndented(stream, command.usage);
    }
    printIndented(stream, "korvel-cli COMMAND --help");
}

void printCommandHelp(std::ostream& stream, const Command& command) {
    stream << "Usage:\n";
    printIndented(stream, command.usage);
    stream << command.summary << '\n';
}

/// Sends the warnings of the running command to its error stream while in scope.
class WarningsTo {
public:
    explicit WarningsTo(std::ostream& err) { tWarnings = &err; }
    WarningsTo(const WarningsTo&) = delete;
    WarningsTo& operator=(const WarningsTo&) = delete;
    ~WarningsTo() { tWarnings = nullptr; }
};

/// Runs the command; running out of memory refuses it. Every command writes its output only at
/// the end, through a complete temporary file, so nothing has changed then.
[[nodiscard]] Outcome runGuarded(Context& context, const Command& command,
                                 const ParsedOptions& options) {
    try {
        return command.run(context, options);
    } catch (const std::bad_alloc&) {
        const std::string subject = options.positional.empty() ? "" : options.positional[0];
        return refused(subject, "it does not fit in memory; nothing was changed");
    }
}

[[nodiscard]] int report(Context& context, const Failure& failure, const Command* command) {
    context.err << "korvel-cli: " << failure.message << '\n';
    if (failure.status == kExitUsage) {
        if (command != nullptr) {
            printCommandHelp(context.err, *command);
        } else {
            printUsage(context.err);
        }
    }
    return failure.status;
}

} // namespace

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    QtSession qt;
    Context context{out, err, qt};
    if (arguments.empty()) {
        return report(context, usageError("no command given"), nullptr);
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        printUsage(out);
        return kExitOk;
    }
    const auto& known = commands();
    const auto command = std::find_if(known.begin(), known.end(),
                                      [&](const Command& c) { return c.name == arguments[0]; });
    if (command == known.end()) {
        return report(context, usageError("unknown command \"" + arguments[0] + "\""), nullptr);
    }
    const auto options =
        parseOptions(std::span(arguments).subspan(1), command->valueOptions, command->flagOptions);
    if (!options) {
        return report(context, usageError(options.error().message), &*command);
    }
    if (options.value().help) {
        printCommandHelp(out, *command);
        return kExitOk;
    }
    const WarningsTo warnings(err);
    if (const Outcome failure = runGuarded(context, *command, options.value())) {
        return report(context, *failure, &*command);
    }
    return kExitOk;
}

} // namespace korvel::cli
