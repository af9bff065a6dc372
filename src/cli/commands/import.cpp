#include "cli/commands/commandlist.h"

#include "cli/imageoptions.h"
#include "cli/support.h"
#include "core/codepage.h"
#include "document/document.h"
#include "document/libraryfactory.h"
#include "document/librarytext.h"

#include <QString>

#include <string>

namespace korvel::cli {

namespace {

constexpr std::string_view kImportUsage =
    "korvel-cli import LIB.lcm CODE IMAGE | LIB.bcm NAME IMAGE [--size WIDTHxHEIGHT|picture]\n"
    "    [--fit stretch|inside|crop|centre] [--scaling nearest|area] [--threshold N|R,G,B]\n"
    "    [--dither none|fs|atkinson|bayer] [--invert] [--alpha N] [--frames] [--codepage NAME]";

// A glyph's sides are stored in one byte each.
constexpr int kMaxGlyphSide = 255;

/// The size the picture goes into: the entry's own unless --size gives one or "picture".
[[nodiscard]] Result<ImageSize> sizeFor(const ParsedOptions& options, int entryWidth,
                                        int entryHeight, int maxWidth, int maxHeight) {
    const std::string* text = options.value("--size");
    if (text != nullptr && *text == "picture") {
        return ImageSize{std::nullopt, maxWidth, maxHeight};
    }
    if (text != nullptr) {
        const auto size = parseSize(*text, maxWidth, maxHeight);
        if (!size) {
            return usageError("--size is WIDTHxHEIGHT, width 1 to " + std::to_string(maxWidth) +
                              " and height 1 to " + std::to_string(maxHeight) +
                              ", or \"picture\", not \"" + *text + "\"");
        }
        return ImageSize{size, maxWidth, maxHeight};
    }
    if (entryWidth <= 0 || entryHeight <= 0) {
        return usageError("the entry is " + std::to_string(entryWidth) + " x " +
                          std::to_string(entryHeight) + " pixels; give --size for the picture");
    }
    return ImageSize{std::pair{entryWidth, entryHeight}, maxWidth, maxHeight};
}

[[nodiscard]] Result<void> importGlyph(Context& context, const ParsedOptions& options) {
    const std::string& path = options.positional[0];
    const std::string& codeText = options.positional[1];
    if (options.has("--frames")) {
        return usageError("--frames makes new bitmaps; a font library has no room for them");
    }
    if (Result<void> whole = checkNothingPastGlyphs(path); !whole) {
        return whole;
    }
    Document document;
    if (Result<void> opened = document.openFontFile(path); !opened) {
        return opened;
    }
    const int count = document.fontLibrary().count;
    const auto code = parseInteger(codeText);
    if (!code || *code < 0 || *code >= count) {
        return refused(path, "there is no glyph of code \"" + codeText +
                                 "\" (it holds codes 0 to " + std::to_string(count - 1) + ")");
    }
    const GlyphRecord& glyph = document.fontLibrary().glyphs[static_cast<std::size_t>(*code)];
    auto size = sizeFor(options, glyph.width, glyph.height, kMaxGlyphSide, kMaxGlyphSide);
    if (!size) {
        return size.error();
    }
    auto pictures = convertImageFile(context, options.positional[2], options,
                                     ColourTarget::Brightness, size.value());
    if (!pictures) {
        return pictures.error();
    }
    Picture& picture = pictures.value().front();
    const int width = picture.width();
    const int height = picture.height();
    document.modifyGlyph(*code, {width, height, std::move(picture)});
    return saveFont(context, path, document.fontLibrary());
}

[[nodiscard]] Result<void> importBitmap(Context& context, const ParsedOptions& options,
                                        const CodePage& page) {
    const std::string& path = options.positional[0];
    const QString name = QString::fromStdString(options.positional[1]);
    if (Result<void> whole = checkNothingPastBitmaps(path); !whole) {
        return whole;
    }
    Document document;
    document.setCodePage(page);
    if (Result<void> opened = document.openBitmapFile(path); !opened) {
        return opened;
    }
    const BitmapLibrary& library = document.bitmapLibrary();
    const auto wanted = bitmapNameInPage(options.positional[1], page, path);
    if (!wanted) {
        return wanted.error();
    }
    const auto position = library.index.find(wanted.value());
    if (!position) {
        return refused(path, "there is no bitmap named \"" + options.positional[1] + "\"");
    }
    const bitmapInfoList& entry = library.entries[static_cast<std::size_t>(*position)];
    auto size = sizeFor(options, entry.width, entry.height, kMaxEntryWidth, kMaxEntryHeight);
    if (!size) {
        return size.error();
    }
    auto converted = convertImageFile(context, options.positional[2], options,
                                      ColourTarget::Channels, size.value());
    if (!converted) {
        return converted.error();
    }
    auto& pictures = converted.value();
    if (options.has("--frames")) {
        // Every frame as a new bitmap NAME1, NAME2, ...; the entry itself stays.
        const std::vector<QString> names = frameNames(name, static_cast<int>(pictures.size()));
        std::vector<bitmapInfoList> entries;
        for (std::size_t k = 0; k < names.size(); ++k) {
            if (const auto checked = checkBitmapName(names[k], library.index); !checked) {
                return Error{"\"" + names[k].toStdString() + "\": " + checked.error().message,
                             checked.error().kind, path};
            }
            const int width = pictures[k].width();
            const int height = pictures[k].height();
            entries.push_back(
                {toLibraryText(names[k], page), width, height, std::move(pictures[k])});
        }
        document.appendBitmaps(std::move(entries));
    } else {
        Picture& picture = pictures.front();
        const int width = picture.width();
        const int height = picture.height();
        document.modifyBitmap(*position, {width, height, std::move(picture)});
    }
    return saveBitmaps(context, path, document.bitmapLibrary().entries);
}

[[nodiscard]] Result<void> runImport(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 3) {
        return usageError("import needs LIB, CODE or NAME, and IMAGE");
    }
    const std::string kind = extensionOf(options.positional[0]);
    if (kind != "lcm" && kind != "bcm") {
        return usageError("import writes into a .lcm or .bcm file, not \"" + options.positional[0] +
                          "\"");
    }
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    // Held from reading the library to writing it, so that concurrent runs take turns.
    const auto lock = FolderLock::acquire(options.positional[0]);
    if (!lock) {
        return lock.error();
    }
    return kind == "lcm" ? importGlyph(context, options)
                         : importBitmap(context, options, choice.value().page);
}

[[nodiscard]] std::vector<std::string_view> importValueOptions() {
    std::vector<std::string_view> options = imageValueOptions();
    options.push_back("--size");
    options.push_back(kCodePageOption);
    return options;
}

} // namespace

const Command& importCommand() {
    static const Command kCommand{"import",
                                  kImportUsage,
                                  "replace one glyph or bitmap by any picture file (PNG, JPEG, "
                                  "GIF, BMP, WebP, SVG, ...), fitted, thresholded and dithered",
                                  importValueOptions(),
                                  imageFlagOptions(),
                                  runImport};
    return kCommand;
}

} // namespace korvel::cli
