#include "cli/support.h"

#include "cli/terminalprogress.h"
#include "document/libraryfiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace korvel::cli {

Failure refused(const std::string& file, const std::string& reason) {
    return Failure{kExitRefused, file.empty() ? reason : file + ": " + reason};
}

Failure usageError(std::string message) {
    return Failure{kExitUsage, std::move(message)};
}

std::variant<PageChoice, Failure> codePageOption(const Context& context,
                                                 const ParsedOptions& options) {
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

Failure refusedFile(const std::string& path, const FileFault& fault) {
    return refused(fault.kind == FileFaultKind::Access ? "" : path, fault.error.message);
}

std::variant<FontLibrary, Failure> loadFont(const std::string& path) {
    auto library = loadFontLibrary(path);
    if (const auto* fault = std::get_if<FileFault>(&library)) {
        return refusedFile(path, *fault);
    }
    return std::get<FontLibrary>(std::move(library));
}

std::variant<BitmapLibrary, Failure> loadBitmaps(const std::string& path) {
    auto library = loadBitmapLibrary(path);
    if (const auto* fault = std::get_if<FileFault>(&library)) {
        return refusedFile(path, *fault);
    }
    return std::get<BitmapLibrary>(std::move(library));
}

std::variant<std::unique_ptr<FileSource>, Failure> openSource(const std::string& path) {
    auto source = FileSource::open(path);
    if (!source) {
        return refused("", source.error().message);
    }
    return std::move(source).value();
}

void warnIfWrittenInPlace(Context& context, const std::string& path, SaveMethod method) {
    if (method == SaveMethod::InPlace) {
        context.err << "korvel-cli: " << path
                    << ": warning: its folder allows no new file, so the file was overwritten in "
                       "place\n";
    }
}

Outcome writeBytes(Context& context, const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return refused("", saved.error().message);
    }
    warnIfWrittenInPlace(context, path, saved.value());
    return std::nullopt;
}

Outcome saveFont(Context& context, const std::string& path, const FontLibrary& library) {
    SaveMethod method = SaveMethod::Replaced;
    if (const auto fault = writeFontLibraryFile(path, library.glyphs, library.count, &method)) {
        return refusedFile(path, *fault);
    }
    warnIfWrittenInPlace(context, path, method);
    return std::nullopt;
}

Outcome saveBitmaps(Context& context, const std::string& path,
                    std::span<const bitmapInfoList> entries) {
    TerminalProgress progress(context.err, context.errIsTerminal, "saving " + path + ": bitmaps");
    SaveMethod method = SaveMethod::Replaced;
    if (const auto fault = writeBitmapLibraryFile(
            path, entries, static_cast<int>(entries.size()), &method,
            [&](std::size_t done, std::size_t steps) { progress.update(done, steps); })) {
        return refusedFile(path, *fault);
    }
    warnIfWrittenInPlace(context, path, method);
    return std::nullopt;
}

} // namespace korvel::cli
