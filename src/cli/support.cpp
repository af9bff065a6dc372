#include "cli/support.h"

#include "cli/terminalprogress.h"
#include "core/codeselection.h"
#include "formats/lcm.h"
#include "libraryio/libraryfiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace korvel::cli {

Error refused(const std::string& file, const std::string& reason) {
    return Error{reason, ErrorKind::Refused, file};
}

Error usageError(std::string message) {
    return Error{std::move(message), ErrorKind::Usage};
}

ExitStatus exitStatusOf(const Error& error) {
    return error.kind == ErrorKind::Usage ? kExitUsage : kExitRefused;
}

Result<void> refuseOutputOverInput(const std::string& input, const std::string& output,
                                   std::string_view inputWhat, std::string_view outputWhat) {
    std::error_code error;
    if (std::filesystem::equivalent(input, output, error)) {
        return refused(output, "is " + std::string(inputWhat) + " itself; " +
                                   std::string(outputWhat) + " would overwrite it");
    }
    return {};
}

Result<std::string> bitmapNameInPage(const std::string& typed, const CodePage& page,
                                     const std::string& path) {
    if (auto name = libraryTextExactly(decodeUtf8Replacing(typed), page)) {
        return std::move(*name);
    }
    return refused(path, "there is no bitmap named \"" + typed +
                             "\": " + std::string(page.caption()) +
                             " has no code for one of its characters (see --codepage)");
}

Result<PageChoice> codePageOption(const Context& context, const ParsedOptions& options) {
    const std::string* name = options.value(kCodePageOption);
    if (name == nullptr) {
        return PageChoice{context.defaultPage, context.defaultPage != windows1252()};
    }
    if (const auto page = codePageByName(*name)) {
        return PageChoice{*page, true};
    }
    std::string known;
    for (const CodePage& page : allCodePages()) {
        known += (known.empty() ? "" : ", ") + std::string(page.name());
    }
    return refused("", "\"" + *name + "\" is no code page korvel-cli knows; it knows " + known +
                           " (korvel-cli list-codepages lists every name of each)");
}

Result<BaselineChoice> baselineOption(const ParsedOptions& options) {
    const std::string* given = options.value("--baseline");
    if (given == nullptr || *given == "auto") {
        return BaselineChoice{};
    }
    if (*given == "bottom") {
        return BaselineChoice::bottom();
    }
    const auto row = parseInteger(*given);
    if (!row || *row < 0 || *row > 255) {
        return usageError("--baseline is auto, bottom or a row from 0 to 255, not \"" + *given +
                          "\"");
    }
    return BaselineChoice::at(*row);
}

std::string extensionOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Result<FontLibrary> loadFont(const std::string& path) {
    return loadFontLibrary(path);
}

Result<BitmapLibrary> loadBitmaps(const std::string& path) {
    return loadBitmapLibrary(path);
}

Result<std::unique_ptr<FileSource>> openSource(const std::string& path) {
    auto source = FileSource::open(path);
    if (!source) {
        return source.error();
    }
    return std::move(source).value();
}

namespace {

template <class Entry>
[[nodiscard]] Result<void>
checkNothingPast(const std::string& path, Result<std::vector<Entry>> (*readIndex)(ByteSource&),
                 std::uint64_t (*end)(std::span<const Entry>), const std::string& entryWord,
                 const std::string& libraryWords) {
    auto opened = openLibrary(path, readIndex);
    if (!opened) {
        return opened.error();
    }
    const std::vector<Entry>& entries = opened.value().entries;
    const std::uint64_t used = end(entries);
    const std::uint64_t size = opened.value().source->size();
    if (used >= size) {
        return {};
    }
    return refused(path, "only " + std::to_string(used) + " of its " + std::to_string(size) +
                             " bytes belong to its " + std::to_string(entries.size()) + " " +
                             entryWord + (entries.size() == 1 ? "" : "s") +
                             ", and rewriting it would drop the rest: is it " + libraryWords + "?");
}

} // namespace

Result<void> checkNothingPastBitmaps(const std::string& path) {
    return checkNothingPast<BcmBlock>(path, readBcmDirectory, bcmEnd, "bitmap", "a bitmap library");
}

Result<void> checkNothingPastGlyphs(const std::string& path) {
    return checkNothingPast<LcmRecord>(path, readLcmTable, lcmEnd, "glyph", "a font library");
}

void warnIfWrittenInPlace(Context& context, const std::string& path, SaveMethod method) {
    if (method == SaveMethod::InPlace) {
        context.err << "korvel-cli: " << path
                    << ": warning: its folder allows no new file, so the file was overwritten in "
                       "place\n";
    }
}

Result<void> writeBytes(Context& context, const std::string& path,
                        std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return saved.error();
    }
    warnIfWrittenInPlace(context, path, saved.value());
    return {};
}

Result<void> saveFont(Context& context, const std::string& path, const FontLibrary& library) {
    const auto saved = writeFontLibraryFile(path, library.glyphs, library.count);
    if (!saved) {
        return saved.error();
    }
    warnIfWrittenInPlace(context, path, saved.value());
    return {};
}

Result<void> saveBitmaps(Context& context, const std::string& path,
                         std::span<const bitmapInfoList> entries) {
    TerminalProgress progress(context.err, context.errIsTerminal, "saving " + path + ": bitmaps");
    const auto saved = writeBitmapLibraryFile(
        path, entries, static_cast<int>(entries.size()),
        [&](std::size_t done, std::size_t steps) { progress.update(done, steps); });
    if (!saved) {
        return saved.error();
    }
    warnIfWrittenInPlace(context, path, saved.value());
    return {};
}

} // namespace korvel::cli
