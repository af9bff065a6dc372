#include "cli/commands/commandlist.h"

#include "cli/imageoptions.h"
#include "cli/qtsession.h"
#include "cli/support.h"
#include "document/document.h"
#include "document/libraryfactory.h"
#include "document/librarytext.h"
#include "formats/bmp.h"
#include "formats/formattable.h"
#include "png/pngread.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kAddUsage =
    "korvel-cli add LIB.bcm NAME IMAGE.png|IMAGE.bmp [--size WIDTHxHEIGHT] [--codepage NAME]\n"
    "korvel-cli add LIB.bcm NAME IMAGE [--size WIDTHxHEIGHT] [--fit stretch|inside|crop|centre]\n"
    "    [--scaling nearest|area] [--threshold N|R,G,B] [--dither none|fs|atkinson|bayer]\n"
    "    [--invert] [--alpha N] [--frames] [--codepage NAME]";

/// Refuses, from the headers alone, a BMP or PNG picture larger than a bitmap entry holds.
[[nodiscard]] Result<void> checkEntrySize(const std::string& path,
                                          std::span<const std::uint8_t> bytes, bool bmp) {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    if (bmp) {
        const auto size = bmpSize(bytes);
        if (!size) {
            return size.error().about(path);
        }
        width = static_cast<std::uint64_t>(size.value().width);
        height = static_cast<std::uint64_t>(size.value().height);
    } else {
        const auto size = pngSize(bytes);
        if (!size) {
            return size.error().about(path);
        }
        width = size.value().width;
        height = size.value().height;
    }
    if (width > kMaxEntryWidth || height > kMaxEntryHeight) {
        return refused(path, "its picture of " + std::to_string(width) + " x " +
                                 std::to_string(height) +
                                 " is larger than a bitmap holds (1024 x 512); give --size to "
                                 "scale it");
    }
    return {};
}

/// The picture of an image file, scaled to size when one is given. A BMP file is read only
/// where the scaled picture samples it; without a size its header is checked before any pixel
/// is decoded.
[[nodiscard]] Result<Picture> readImage(const std::string& path,
                                        const std::optional<std::pair<int, int>>& size) {
    const std::string extension = extensionOf(path);
    if (extension == "bmp" && size) {
        auto opened = openSource(path);
        if (!opened) {
            return opened.error();
        }
        auto picture = decodeBmpScaled(*opened.value(), size->first, size->second);
        if (!picture) {
            return picture.error().about(path);
        }
        return std::move(picture).value();
    }
    const FileFormat& format = fileFormat(extension == "bmp" ? FormatId::Bmp : FormatId::Png);
    const auto bytes = readRegularFile(path, format.maxFileBytes, format.fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    if (!size) {
        if (auto fits = checkEntrySize(path, bytes.value(), extension == "bmp"); !fits) {
            return fits.error();
        }
    }
    Result<Picture> picture =
        extension == "bmp" ? decodeBmp(bytes.value()) : decodePng(bytes.value());
    if (!picture) {
        return picture.error().about(path);
    }
    if (size) {
        return picture.value().scaled(size->first, size->second);
    }
    return std::move(picture).value();
}

/// Opens the library at path into document, or leaves the document's empty library when no
/// file is there yet (add then makes it).
[[nodiscard]] Result<void> openOrStartBitmaps(Document& document, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        return {};
    }
    if (Result<void> whole = checkNothingPastBitmaps(path); !whole) {
        return whole;
    }
    // Mapped, not read: the blocks add keeps are copied file to file, so a library of any size
    // costs its directory in memory.
    return document.openBitmapFile(path, LibraryReading::Mapped);
}

/// Whether the picture goes through the image conversion: any of its options is given, or the
/// file is neither PNG nor BMP. A PNG or BMP without them is added as it always was, its
/// colours whole.
[[nodiscard]] bool converts(const ParsedOptions& options) {
    const std::string extension = extensionOf(options.positional[2]);
    return hasImageOptions(options) || (extension != "png" && extension != "bmp");
}

/// Appends the converted picture as NAME, or with --frames every frame as NAME1, NAME2, ...
[[nodiscard]] Result<void> addConverted(Context& context, const ParsedOptions& options,
                                        Document& document,
                                        const std::optional<std::pair<int, int>>& size) {
    const std::string& libraryPath = options.positional[0];
    const QString name = QString::fromStdString(options.positional[1]);
    const bool frames = options.has("--frames");
    const auto checkName = [&](const QString& candidate) -> Result<void> {
        if (const auto checked = checkBitmapName(candidate, document.bitmapLibrary().index);
            !checked) {
            const std::string& message = checked.error().message;
            return Error{frames ? "\"" + candidate.toStdString() + "\": " + message : message,
                         checked.error().kind, libraryPath};
        }
        return {};
    };
    if (!frames) {
        if (auto checked = checkName(name); !checked) {
            return checked;
        }
    }
    auto converted =
        convertImageFile(context, options.positional[2], options, ColourTarget::Channels,
                         ImageSize{size, kMaxEntryWidth, kMaxEntryHeight});
    if (!converted) {
        return converted.error();
    }
    auto& pictures = converted.value();
    const std::vector<QString> names =
        frames ? frameNames(name, static_cast<int>(pictures.size())) : std::vector<QString>{name};
    std::vector<bitmapInfoList> entries;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (frames) {
            if (auto checked = checkName(names[k]); !checked) {
                return checked;
            }
        }
        const int width = pictures[k].width();
        const int height = pictures[k].height();
        entries.push_back(
            {toLibraryText(names[k], document.codePage()), width, height, std::move(pictures[k])});
    }
    document.appendBitmaps(std::move(entries));
    return saveBitmaps(context, libraryPath, document.bitmapLibrary().entries);
}

[[nodiscard]] Result<void> runAdd(Context& context, const ParsedOptions& options) {
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
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    const CodePage& page = choice.value().page;
    // Held from reading the library to writing it, so that concurrent runs take turns.
    const auto lock = FolderLock::acquire(libraryPath);
    if (!lock) {
        return lock.error();
    }
    // The same read-check-open and append the editor uses; entries that stay as they were are
    // copied into the new file, not decoded.
    Document document;
    document.setCodePage(page);
    if (Result<void> opened = openOrStartBitmaps(document, libraryPath); !opened) {
        return opened;
    }
    const QString typed = QString::fromStdString(name);
    if (converts(options)) {
        return addConverted(context, options, document, size);
    }
    if (const auto checked = checkBitmapName(typed, document.bitmapLibrary().index); !checked) {
        return checked.error().about(libraryPath);
    }
    auto image = readImage(options.positional[2], size);
    if (!image) {
        return image.error();
    }
    Picture picture = std::move(image).value();
    const int width = picture.width();
    const int height = picture.height();
    document.appendBitmap({toLibraryText(typed, page), width, height, std::move(picture)});
    return saveBitmaps(context, libraryPath, document.bitmapLibrary().entries);
}

[[nodiscard]] std::vector<std::string_view> addValueOptions() {
    std::vector<std::string_view> options = imageValueOptions();
    options.push_back("--size");
    options.push_back(kCodePageOption);
    return options;
}

} // namespace

const Command& addCommand() {
    static const Command kCommand{"add",
                                  kAddUsage,
                                  "append a picture to a bitmap library: a PNG or BMP as it is, "
                                  "or any picture file fitted, thresholded and dithered",
                                  addValueOptions(),
                                  imageFlagOptions(),
                                  runAdd};
    return kCommand;
}

} // namespace korvel::cli
