#include "commands.h"

#include "bcm.h"
#include "bdf.h"
#include "bitmapfolder.h"
#include "bmp.h"
#include "codepage.h"
#include "document.h"
#include "exportc.h"
#include "fileio.h"
#include "lcm.h"
#include "libraryfactory.h"
#include "libraryfiles.h"
#include "librarytext.h"
#include "options.h"
#include "pictureformats.h"
#include "pngread.h"
#include "qtsession.h"
#include "terminalprogress.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kInfoUsage = "korvel-cli info [--rows] FILE.lcm|FILE.bcm";
constexpr std::string_view kNewFontUsage =
    "korvel-cli new-font --family NAME --size POINTS [--codes 128|256] -o OUT.lcm\n"
    "korvel-cli new-font --blank WIDTHxHEIGHT [--codes 128|256] -o OUT.lcm";
constexpr std::string_view kConvertUsage =
    "korvel-cli convert IN.lcm OUT.bdf | IN.bdf OUT.lcm [--clip] | IN.bcm OUTFOLDER | INFOLDER "
    "OUT.bcm";
constexpr std::string_view kAddUsage =
    "korvel-cli add LIB.bcm NAME IMAGE.png|IMAGE.bmp [--size WIDTHxHEIGHT]";
constexpr std::string_view kExportUsage =
    "korvel-cli export LIB.lcm CODE OUT.png|OUT.bmp | LIB.bcm NAME OUT.png|OUT.bmp";
constexpr std::string_view kListFontsUsage = "korvel-cli list-fonts";

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
    bool errIsTerminal = false; ///< progress of long work is shown only on a terminal
};

// ---- Reading and writing the libraries ----

/// A library file fault as the command line reports it: the system's text alone for an
/// unreadable or unwritable file, the file's name before what does not add up in it.
[[nodiscard]] Failure refusedFile(const std::string& path, const FileFault& fault) {
    return refused(fault.kind == FileFaultKind::Access ? "" : path, fault.error.message);
}

[[nodiscard]] std::variant<FontLibrary, Failure> loadFont(const std::string& path) {
    auto library = loadFontLibrary(path);
    if (const auto* fault = std::get_if<FileFault>(&library)) {
        return refusedFile(path, *fault);
    }
    return std::get<FontLibrary>(std::move(library));
}

[[nodiscard]] std::variant<BitmapLibrary, Failure> loadBitmaps(const std::string& path) {
    auto library = loadBitmapLibrary(path);
    if (const auto* fault = std::get_if<FileFault>(&library)) {
        return refusedFile(path, *fault);
    }
    return std::get<BitmapLibrary>(std::move(library));
}

/// A file opened for reading only the pieces a command needs.
[[nodiscard]] std::variant<std::unique_ptr<FileSource>, Failure>
openSource(const std::string& path) {
    auto source = FileSource::open(path);
    if (!source) {
        return refused("", source.error().message);
    }
    return std::move(source).value();
}

/// Where warnings of the running command go (its error stream).
thread_local std::ostream* tWarnings = nullptr;

/// Tells the user that a save had to overwrite its file in place.
void warnIfWrittenInPlace(const std::string& path, SaveMethod method) {
    if (method == SaveMethod::InPlace && tWarnings != nullptr) {
        *tWarnings << "korvel-cli: " << path
                   << ": warning: its folder allows no new file, so the file was overwritten in "
                      "place\n";
    }
}

[[nodiscard]] Outcome writeBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return refused("", saved.error().message);
    }
    warnIfWrittenInPlace(path, saved.value());
    return std::nullopt;
}

[[nodiscard]] Outcome saveFont(const std::string& path, const FontLibrary& library) {
    SaveMethod method = SaveMethod::Replaced;
    if (const auto fault = writeFontLibraryFile(path, library.glyphs, library.count, &method)) {
        return refusedFile(path, *fault);
    }
    warnIfWrittenInPlace(path, method);
    return std::nullopt;
}

/// Writes the entries block by block; the sync counts as one more step of the progress shown.
[[nodiscard]] Outcome saveBitmaps(Context& context, const std::string& path,
                                  std::span<const bitmapInfoList> entries) {
    TerminalProgress progress(context.err, context.errIsTerminal, "saving " + path + ": bitmaps");
    SaveMethod method = SaveMethod::Replaced;
    if (const auto fault =
            writeBitmapLibraryFile(path, entries, static_cast<int>(entries.size()), &method,
                                   [&](std::size_t done, std::size_t steps) {
                                       progress.update(done, steps);
                                   })) {
        return refusedFile(path, *fault);
    }
    warnIfWrittenInPlace(path, method);
    return std::nullopt;
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

// info reads the table or directory and the heads of the records only, and with --rows one
// record at a time, so its memory stays small whatever the library's size.

[[nodiscard]] Outcome infoFont(Context& context, const std::string& path, bool rows) {
    auto opened = openSource(path);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    FileSource& source = *std::get<std::unique_ptr<FileSource>>(opened);
    const auto records = readLcmTable(source);
    if (!records) {
        return refused(path, records.error().message);
    }
    context.out << records.value().size() << '\n';
    for (std::size_t code = 0; code < records.value().size(); ++code) {
        const LcmRecord& record = records.value()[code];
        context.out << code << ' ' << record.width << ' ' << record.height << '\n';
        if (rows) {
            auto picture = readLcmPicture(source, record);
            if (!picture) {
                return refused(path, picture.error().message);
            }
            printRows(context.out, std::move(picture).value(), record.width, record.height,
                      [](Rgb c) { return isInk(c) ? '#' : '.'; });
        }
    }
    return std::nullopt;
}

[[nodiscard]] Outcome infoBitmaps(Context& context, const std::string& path, bool rows) {
    auto opened = openSource(path);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    FileSource& source = *std::get<std::unique_ptr<FileSource>>(opened);
    const auto blocks = readBcmDirectory(source);
    if (!blocks) {
        return refused(path, blocks.error().message);
    }
    context.out << blocks.value().size() << '\n';
    for (std::size_t k = 0; k < blocks.value().size(); ++k) {
        const BcmBlock& block = blocks.value()[k];
        context.out << k << ' ' << fromLibraryText(block.name).toStdString() << ' ' << block.width
                    << ' ' << block.height << '\n';
        if (rows) {
            auto picture = readBcmPicture(source, block);
            if (!picture) {
                return refused(path, picture.error().message);
            }
            printRows(context.out, std::move(picture).value(), block.width, block.height,
                      paletteLetter);
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

/// The refusal of a family that is not installed, naming the closest installed ones.
[[nodiscard]] Failure notInstalled(const std::string& family) {
    std::string reason = "the font family \"" + family + "\" is not installed";
    const QStringList closest = closestFamilies(QString::fromStdString(family));
    if (!closest.isEmpty()) {
        reason += "; the closest installed families are \"" +
                  closest.join(QStringLiteral("\", \"")).toStdString() + "\"";
    }
    return refused("", reason);
}

/// Tells on stderr what the rendering could not do as asked: ink cut by the advance widths, and
/// the strike a bitmap font used instead of the size asked.
void reportRendering(std::ostream& err, const std::string& family, const SystemFontReport& report) {
    if (report.strike && report.strike->usedPixels != report.strike->askedPixels) {
        err << "korvel-cli: " << family << " is a bitmap font without a "
            << report.strike->askedPixels << "-pixel strike; used the nearest one, "
            << report.strike->usedPixels << " pixels\n";
    }
    if (report.sidewaysCut > 0) {
        err << "korvel-cli: " << report.sidewaysCut
            << " glyphs lost ink left of their origin or right of their advance width\n";
    }
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
    const auto installed = findInstalledFamily(QString::fromStdString(*family));
    if (!installed) {
        return notInstalled(*family);
    }
    FontLibrary library;
    reportRendering(context.err, installed->toStdString(),
                    renderSystemFont(library, *installed, *points, count));
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

// ---- list-fonts ----

[[nodiscard]] Outcome runListFonts(Context& context, const ParsedOptions& options) {
    if (!options.positional.empty()) {
        return usageError("list-fonts takes no words");
    }
    context.qt.ensureStarted();
    for (const QString& family : installedFamilies()) {
        context.out << family.toStdString() << '\n';
    }
    return std::nullopt;
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
                                const std::string& output, BdfCell cell) {
    const auto bytes = readRegularFile(input, kBdfMaxTextSize, "a BDF font");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    const auto font = decodeBdf(textOf(bytes.value()), cell);
    if (!font) {
        return refused(input, font.error().message);
    }
    if (font.value().codesTakenAsTheyAre) {
        const std::string& charset = font.value().charset;
        context.err << "korvel-cli: " << input << ": "
                    << (charset.empty()
                            ? "it names no character set"
                            : "its character set " + charset + " is neither Unicode nor ISO 8859-1")
                    << ", so its codes 0 to 255 are taken as Windows-1252 codes as they are\n";
    }
    for (const std::string& warning : font.value().warnings) {
        context.err << "korvel-cli: " << input << ": warning: " << warning << '\n';
    }
    if (font.value().skipped > 0) {
        context.err << "korvel-cli: " << input << ": " << font.value().skipped
                    << " glyphs skipped (no Windows-1252 code, or one taken already)\n";
    }
    return saveFont(output, font.value().library);
}

[[nodiscard]] Outcome bitmapsToFolder(Context& context, const std::string& input,
                                      const std::string& output) {
    // The directory and block heads first; then one entry at a time is read, decoded and
    // written, so memory holds one picture whatever the library's size.
    auto opened = openSource(input);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    FileSource& source = *std::get<std::unique_ptr<FileSource>>(opened);
    if (source.size() > kBcmMaxFileBytes) {
        return refused("", "Cannot read file \"" + input + "\". It has " +
                               std::to_string(source.size()) +
                               " bytes, more than a bitmap library file can hold (" +
                               std::to_string(kBcmMaxFileBytes) + " bytes).");
    }
    const auto blocks = readBcmDirectory(source);
    if (!blocks) {
        return refused(input, blocks.error().message);
    }
    context.qt.ensureStarted();
    TerminalProgress progress(context.err, context.errIsTerminal,
                              "writing " + output + ": PNG files");
    if (const Status written =
            writeBitmapFolder(source, blocks.value(), output, progress.callback());
        !written) {
        return refused("", written.error().message);
    }
    const std::size_t count = blocks.value().size();
    progress.update(count, count);
    return std::nullopt;
}

[[nodiscard]] Outcome folderToBitmaps(Context& context, const std::string& input,
                                      const std::string& output) {
    // Every header is read and checked before any pixel is decoded; then one picture at a time
    // goes straight into its block of the new file.
    const auto plan = planBitmapFolder(input);
    if (!plan) {
        return refused("", plan.error().message);
    }
    if (const std::string warning = repeatedNamesWarning(plan.value().lines); !warning.empty()) {
        context.err << "korvel-cli: " << (std::filesystem::path(input) / kIndexFileName).string()
                    << ": warning: " << warning << "\n";
    }
    TerminalProgress progress(context.err, context.errIsTerminal, "saving " + output + ": bitmaps");
    const auto saved = saveFolderAsLibrary(plan.value(), output, progress.callback());
    if (!saved) {
        return refused("", saved.error().message);
    }
    const std::size_t steps = plan.value().lines.size() + 1;
    progress.update(steps, steps);
    warnIfWrittenInPlace(output, saved.value());
    return std::nullopt;
}

/// What a convert argument names.
enum class ConvertForm { Lcm, Bdf, Bcm, Folder, Unknown };

/// An existing directory is a folder whatever its name; any other path is told by its
/// extension, and a path without one names a folder.
[[nodiscard]] ConvertForm convertFormOf(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return ConvertForm::Folder;
    }
    const std::string extension = extensionOf(path);
    if (extension == "lcm") {
        return ConvertForm::Lcm;
    }
    if (extension == "bdf") {
        return ConvertForm::Bdf;
    }
    if (extension == "bcm") {
        return ConvertForm::Bcm;
    }
    return extension.empty() ? ConvertForm::Folder : ConvertForm::Unknown;
}

[[nodiscard]] Failure unknownConvertForm(const std::string& path) {
    return usageError("\"" + path +
                      "\" is neither a .lcm, .bdf or .bcm file nor a folder (an existing "
                      "directory, or a new name without an extension)");
}

[[nodiscard]] Outcome runConvert(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 2) {
        return usageError("convert needs IN and OUT");
    }
    const std::string& input = options.positional[0];
    const std::string& output = options.positional[1];
    const ConvertForm from = convertFormOf(input);
    const ConvertForm to = convertFormOf(output);
    for (const auto& [form, path] : {std::pair{from, input}, std::pair{to, output}}) {
        if (form == ConvertForm::Unknown) {
            return unknownConvertForm(path);
        }
    }
    if (options.has("--clip") && (from != ConvertForm::Bdf || to != ConvertForm::Lcm)) {
        return usageError("--clip goes only with a conversion from .bdf to .lcm");
    }
    if (from == ConvertForm::Lcm && to == ConvertForm::Bdf) {
        return fontToBdf(input, output);
    }
    if (from == ConvertForm::Bdf && to == ConvertForm::Lcm) {
        return bdfToFont(context, input, output,
                         options.has("--clip") ? BdfCell::Clip : BdfCell::KeepInk);
    }
    if (from == ConvertForm::Bcm && to == ConvertForm::Folder) {
        return bitmapsToFolder(context, input, output);
    }
    if (from == ConvertForm::Folder && to == ConvertForm::Bcm) {
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

/// The picture of an image file, scaled to size when one is given. A BMP file is read only
/// where the scaled picture samples it; without a size its header is checked before any pixel
/// is decoded.
[[nodiscard]] std::variant<Picture, Failure>
readImage(Context& context, const std::string& path,
          const std::optional<std::pair<int, int>>& size) {
    const std::string extension = extensionOf(path);
    if (extension != "png" && extension != "bmp") {
        return usageError("add takes a .png or a .bmp picture, not \"" + path + "\"");
    }
    if (extension == "bmp" && size) {
        auto opened = openSource(path);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return *failure;
        }
        auto picture = decodeBmpScaled(*std::get<std::unique_ptr<FileSource>>(opened), size->first,
                                       size->second);
        if (!picture) {
            return refused(path, picture.error().message);
        }
        return std::move(picture).value();
    }
    const auto bytes = extension == "bmp" ? readRegularFile(path, kBmpMaxFileBytes, "a BMP file")
                                          : readRegularFile(path, kPngMaxFileBytes, "a PNG file");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    Result<Picture> picture = Error{};
    if (extension == "bmp") {
        if (auto failure = checkEntrySize(path, bytes.value())) {
            return *failure;
        }
        picture = decodeBmp(bytes.value());
    } else {
        context.qt.ensureStarted();
        picture = decodePng(bytes.value());
    }
    if (!picture) {
        return refused(path, picture.error().message);
    }
    if (size) {
        return picture.value().scaled(size->first, size->second);
    }
    return std::move(picture).value();
}

/// Opens the library at path into document, or leaves the document's empty library when no
/// file is there yet (add then makes it).
[[nodiscard]] Outcome openOrStartBitmaps(Document& document, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        return std::nullopt;
    }
    // Mapped, not read: add copies the blocks it keeps file to file, so a library of any size
    // costs its directory in memory.
    if (const auto fault = document.openBitmapFile(path, LibraryReading::Mapped)) {
        return refusedFile(path, *fault);
    }
    return std::nullopt;
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
    // The same read-check-open and append the editor uses; entries that stay as they were are
    // copied into the new file, not decoded.
    Document document;
    if (Outcome failure = openOrStartBitmaps(document, libraryPath)) {
        return failure;
    }
    const QString typed = QString::fromStdString(name);
    if (const BitmapNameFault fault = checkBitmapName(typed, document.bitmapLibrary().index);
        fault != BitmapNameFault::None) {
        return refused(libraryPath, bitmapNameMessage(fault).toStdString());
    }
    auto image = readImage(context, options.positional[2], size);
    if (auto* failure = std::get_if<Failure>(&image)) {
        return *failure;
    }
    Picture picture = std::move(std::get<Picture>(image));
    const int width = picture.width();
    const int height = picture.height();
    document.appendBitmap({toLibraryText(typed), width, height, std::move(picture)});
    return saveBitmaps(context, libraryPath, document.bitmapLibrary().entries);
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

// export reads the table or directory and decodes the one glyph or bitmap asked for.

[[nodiscard]] std::variant<Picture, Failure> glyphPicture(const std::string& path,
                                                          const std::string& codeText) {
    auto opened = openSource(path);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    FileSource& source = *std::get<std::unique_ptr<FileSource>>(opened);
    const auto records = readLcmTable(source);
    if (!records) {
        return refused(path, records.error().message);
    }
    const auto count = static_cast<int>(records.value().size());
    const auto code = parseInteger(codeText);
    if (!code || *code < 0 || *code >= count) {
        return refused(path, "there is no glyph of code \"" + codeText +
                                 "\" (it holds codes 0 to " + std::to_string(count - 1) + ")");
    }
    const LcmRecord& record = records.value()[static_cast<std::size_t>(*code)];
    auto picture = readLcmPicture(source, record);
    if (!picture) {
        return refused(path, picture.error().message);
    }
    return exportedPicture(record.width, record.height, std::move(picture).value());
}

[[nodiscard]] std::variant<Picture, Failure> entryPicture(const std::string& path,
                                                          const std::string& name) {
    auto opened = openSource(path);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    FileSource& source = *std::get<std::unique_ptr<FileSource>>(opened);
    const auto blocks = readBcmDirectory(source);
    if (!blocks) {
        return refused(path, blocks.error().message);
    }
    NameIndex index;
    for (std::size_t k = 0; k < blocks.value().size(); ++k) {
        index.add(blocks.value()[k].name, static_cast<int>(k));
    }
    const auto position = index.find(toLibraryText(QString::fromStdString(name)));
    if (!position) {
        return refused(path, "there is no bitmap named \"" + name + "\"");
    }
    const BcmBlock& block = blocks.value()[static_cast<std::size_t>(*position)];
    auto picture = readBcmPicture(source, block);
    if (!picture) {
        return refused(path, picture.error().message);
    }
    return exportedPicture(block.width, block.height, std::move(picture).value());
}

[[nodiscard]] Outcome runExport(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 3) {
        return usageError("export needs LIB, CODE or NAME, and OUT");
    }
    const std::string& libraryPath = options.positional[0];
    const std::string& output = options.positional[2];
    const std::string kind = extensionOf(libraryPath);
    const PictureFormat* format = pictureFormatOfExtension(extensionOf(output));
    if ((kind != "lcm" && kind != "bcm") || format == nullptr) {
        return usageError("export reads a .lcm or .bcm file and writes a .png or .bmp file");
    }
    auto picture = kind == "lcm" ? glyphPicture(libraryPath, options.positional[1])
                                 : entryPicture(libraryPath, options.positional[1]);
    if (auto* failure = std::get_if<Failure>(&picture)) {
        return *failure;
    }
    const Picture& exported = std::get<Picture>(picture);
    if (exported.isEmpty() && format->extension != "bmp") {
        // A BMP of no pixels is an empty file, as the modify dialog's export writes it.
        return refused(libraryPath, "\"" + options.positional[1] + "\" is " +
                                        std::to_string(exported.width()) + " x " +
                                        std::to_string(exported.height()) +
                                        " pixels, which a PNG file cannot hold; export it as .bmp");
    }
    context.qt.ensureStarted();
    const auto encoded = format->encode(exported);
    if (!encoded) {
        return refused(output, encoded.error().message);
    }
    return writeBytes(output, encoded.value());
}

// ---- export-c ----

[[nodiscard]] Outcome runExportC(Context& /*context*/, const ParsedOptions& options) {
    if (auto failure = runExportCommand(options)) {
        return Failure{failure->status, std::move(failure->message)};
    }
    return std::nullopt;
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
         "convert between .lcm and BDF, or .bcm and a PNG folder (--clip: cut BDF glyphs to "
         "FONT_ASCENT + FONT_DESCENT)",
         {},
         {"--clip"},
         runConvert},
        {"add",
         kAddUsage,
         "append a PNG or BMP picture to a bitmap library",
         {"--size"},
         {},
         runAdd},
        {"export", kExportUsage, "write one glyph or bitmap as PNG or BMP", {}, {}, runExport},
        {"export-c",
         kExportCUsage,
         "write a library as a C header for firmware",
         exportCValueOptions(),
         {},
         runExportC},
        {"list-fonts",
         kListFontsUsage,
         "list the installed font families that new-font --family accepts",
         {},
         {},
         runListFonts},
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

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
    QtSession qt;
    Context context{out, err, qt, errIsTerminal};
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
