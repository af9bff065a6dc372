#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "core/codepage.h"
#include "formats/bcm.h"
#include "formats/lcm.h"
#include "libraryio/pictureformats.h"

#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kExportUsage =
    "korvel-cli export LIB.lcm CODE OUT.png|OUT.bmp | LIB.bcm NAME OUT.png|OUT.bmp\n"
    "    [--codepage NAME]";

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

[[nodiscard]] Result<Picture> glyphPicture(const std::string& path, const std::string& codeText) {
    auto opened = openLibrary(path, readLcmTable);
    if (!opened) {
        return opened.error();
    }
    FileSource& source = *opened.value().source;
    const auto& records = opened.value().entries;
    const auto count = static_cast<int>(records.size());
    const auto code = parseInteger(codeText);
    if (!code || *code < 0 || *code >= count) {
        return refused(path, "there is no glyph of code \"" + codeText +
                                 "\" (it holds codes 0 to " + std::to_string(count - 1) + ")");
    }
    const LcmRecord& record = records[static_cast<std::size_t>(*code)];
    auto picture = readLcmPicture(source, record);
    if (!picture) {
        return picture.error().about(path);
    }
    return exportedPicture(record.width, record.height, std::move(picture).value());
}

[[nodiscard]] Result<Picture> entryPicture(const std::string& path, const std::string& name,
                                           const CodePage& namePage) {
    auto opened = openSource(path);
    if (!opened) {
        return opened.error();
    }
    FileSource& source = *opened.value();
    // The first entry whose name equals the one asked for ignoring letter case in the code
    // page, as the library's name index finds it. Only the directory and that entry's block are
    // read, so an entry comes out of a library of any size at once, also when another entry is
    // damaged.
    const auto wanted = bitmapNameInPage(name, namePage, path);
    if (!wanted) {
        return wanted.error();
    }
    const auto found = findBcmBlock(source, [&](std::string_view entry) {
        return namePage.equalFoldingCase(entry, wanted.value());
    });
    if (!found) {
        return found.error().about(path);
    }
    if (!found.value()) {
        return refused(path, "there is no bitmap named \"" + name + "\"");
    }
    const BcmBlock& block = *found.value();
    auto picture = readBcmPicture(source, block);
    if (!picture) {
        return picture.error().about(path);
    }
    return exportedPicture(block.width, block.height, std::move(picture).value());
}

[[nodiscard]] Result<void> runExport(Context& context, const ParsedOptions& options) {
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
    if (auto apart = refuseOutputOverInput(libraryPath, output, "the library", "the picture");
        !apart) {
        return apart.error();
    }
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    auto picture = kind == "lcm"
                       ? glyphPicture(libraryPath, options.positional[1])
                       : entryPicture(libraryPath, options.positional[1], choice.value().page);
    if (!picture) {
        return picture.error();
    }
    const Picture& exported = picture.value();
    if (exported.isEmpty() && format->extension != "bmp") {
        // A BMP of no pixels is an empty file, as the modify dialog's export writes it.
        return refused(libraryPath, "\"" + options.positional[1] + "\" is " +
                                        std::to_string(exported.width()) + " x " +
                                        std::to_string(exported.height()) +
                                        " pixels, which a PNG file cannot hold; export it as .bmp");
    }
    const auto encoded = format->encode(exported);
    if (!encoded) {
        return encoded.error().about(output);
    }
    return writeBytes(context, output, encoded.value());
}

} // namespace

const Command& exportCommand() {
    static const Command kCommand{
        "export",          kExportUsage, "write one glyph or bitmap as PNG or BMP",
        {kCodePageOption}, {},           runExport};
    return kCommand;
}

} // namespace korvel::cli
