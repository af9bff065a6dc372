#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "cli/terminalprogress.h"
#include "core/fontmetrics.h"
#include "fileio/filesource.h"
#include "formats/bcm.h"
#include "formats/bdf.h"
#include "formats/formattable.h"
#include "libraryio/bitmapfolder.h"

#include <filesystem>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kConvertUsage =
    "korvel-cli convert IN.lcm OUT.bdf [--baseline auto|bottom|ROW] | IN.bdf OUT.lcm [--clip] |\n"
    "                   IN.bcm OUTFOLDER | INFOLDER OUT.bcm [--codepage NAME]";

[[nodiscard]] std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

[[nodiscard]] Result<void> fontToBdf(Context& context, const std::string& input,
                                     const std::string& output, const BaselineChoice& choice,
                                     const CodePage& page) {
    auto loaded = loadFont(input);
    if (!loaded) {
        return loaded.error();
    }
    const FontLibrary& library = loaded.value();
    const FontMetrics metrics = measureFont(library, choice);
    if (metrics.descent < 0) {
        return refused(input, "the baseline row " + std::to_string(metrics.ascent) +
                                  " lies below its tallest glyph, " +
                                  std::to_string(metrics.ascent + metrics.descent) + " rows high");
    }
    const std::string name = std::filesystem::path(input).stem().string();
    return writeBytes(
        context, output,
        bytesOf(encodeBdf(library.glyphs, library.count, name, metrics.baseline, page)));
}

[[nodiscard]] Result<void> bdfToFont(Context& context, const std::string& input,
                                     const std::string& output, BdfCell cell,
                                     const PageChoice& choice) {
    const std::string caption(choice.page.caption());
    const FileFormat& bdf = fileFormat(FormatId::Bdf);
    const auto bytes = readRegularFile(input, bdf.maxFileBytes, bdf.fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    const auto font = decodeBdf(textOf(bytes.value()), cell, BdfCodes{choice.page, choice.chosen});
    if (!font) {
        return font.error().about(input);
    }
    for (const std::string& note : bdfReadNotes(font.value(), caption)) {
        context.err << "korvel-cli: " << input << ": " << note << '\n';
    }
    return saveFont(context, output, font.value().library);
}

[[nodiscard]] Result<void> bitmapsToFolder(Context& context, const std::string& input,
                                           const std::string& output) {
    // The directory and block heads first; then one entry at a time is read, decoded and
    // written, so memory holds one picture whatever the library's size.
    auto opened = openSource(input);
    if (!opened) {
        return opened.error();
    }
    FileSource& source = *opened.value();
    if (source.size() > kBcmMaxFileBytes) {
        return Error{"Cannot read file \"" + input + "\". It has " + std::to_string(source.size()) +
                         " bytes, more than a bitmap library file can hold (" +
                         std::to_string(kBcmMaxFileBytes) + " bytes).",
                     ErrorKind::Access};
    }
    const auto blocks = readBcmDirectory(source);
    if (!blocks) {
        return blocks.error().about(input);
    }
    TerminalProgress progress(context.err, context.errIsTerminal,
                              "writing " + output + ": PNG files");
    if (const Result<void> written =
            writeBitmapFolder(source, blocks.value(), output, progress.callback());
        !written) {
        return written;
    }
    const std::size_t count = blocks.value().size();
    progress.update(count, count);
    return {};
}

/// Refuses an output that is one of the files the folder's library is read from (its index.txt
/// or a listed PNG) under another name, as a link in or out of the folder makes it.
[[nodiscard]] Result<void> refuseOutputOverFolder(const FolderPlan& plan,
                                                  const std::string& output) {
    std::error_code error;
    if (!std::filesystem::exists(output, error)) {
        return {};
    }
    const std::filesystem::path folder(plan.folder);
    if (auto apart = refuseOutputOverInput((folder / kIndexFileName).string(), output,
                                           "the folder's index", "the library");
        !apart) {
        return apart;
    }
    for (const IndexLine& line : plan.lines) {
        if (line.file.empty()) {
            continue;
        }
        if (auto apart = refuseOutputOverInput((folder / line.file).string(), output,
                                               "a picture of the folder", "the library");
            !apart) {
            return apart;
        }
    }
    return {};
}

[[nodiscard]] Result<void> folderToBitmaps(Context& context, const std::string& input,
                                           const std::string& output, const CodePage& page) {
    // Every header is read and checked before any pixel is decoded; then one picture at a time
    // goes straight into its block of the new file.
    const auto plan = planBitmapFolder(input, page);
    if (!plan) {
        return plan.error();
    }
    if (auto apart = refuseOutputOverFolder(plan.value(), output); !apart) {
        return apart.error();
    }
    if (const std::string warning = repeatedNamesWarning(plan.value().lines); !warning.empty()) {
        context.err << "korvel-cli: " << (std::filesystem::path(input) / kIndexFileName).string()
                    << ": warning: " << warning << "\n";
    }
    TerminalProgress progress(context.err, context.errIsTerminal, "saving " + output + ": bitmaps");
    const auto saved = saveFolderAsLibrary(plan.value(), output, progress.callback());
    if (!saved) {
        return saved.error();
    }
    const std::size_t steps = plan.value().lines.size() + 1;
    progress.update(steps, steps);
    warnIfWrittenInPlace(context, output, saved.value());
    return {};
}

/// The library format a convert argument names, or nothing. An existing directory is a folder
/// whatever its name; any other path is told by its extension, and a path without one names a
/// folder.
[[nodiscard]] std::optional<FormatId> convertFormOf(const std::string& path) {
    std::error_code error;
    const std::string extension = extensionOf(path);
    if (std::filesystem::is_directory(path, error) || extension.empty()) {
        return FormatId::PngFolder;
    }
    const FileFormat* format = formatOfExtension(extension);
    if (format == nullptr || format->holds == FormatHolds::Picture) {
        return std::nullopt;
    }
    return format->id;
}

[[nodiscard]] Error unknownConvertForm(const std::string& path) {
    return usageError("\"" + path +
                      "\" is neither a .lcm, .bdf or .bcm file nor a folder (an existing "
                      "directory, or a new name without an extension)");
}

[[nodiscard]] Result<void> runConvert(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 2) {
        return usageError("convert needs IN and OUT");
    }
    const std::string& input = options.positional[0];
    const std::string& output = options.positional[1];
    const auto fromForm = convertFormOf(input);
    const auto toForm = convertFormOf(output);
    for (const auto& [form, path] : {std::pair{fromForm, input}, std::pair{toForm, output}}) {
        if (!form) {
            return unknownConvertForm(path);
        }
    }
    const FormatId from = *fromForm;
    const FormatId to = *toForm;
    if (auto apart = refuseOutputOverInput(input, output, "the input", "the output"); !apart) {
        return apart.error();
    }
    if (options.has("--clip") && (from != FormatId::Bdf || to != FormatId::Lcm)) {
        return usageError("--clip goes only with a conversion from .bdf to .lcm");
    }
    if (options.value("--baseline") != nullptr && (from != FormatId::Lcm || to != FormatId::Bdf)) {
        return usageError("--baseline goes only with a conversion from .lcm to .bdf");
    }
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    const PageChoice& page = choice.value();
    if (from == FormatId::Lcm && to == FormatId::Bdf) {
        const auto baseline = baselineOption(options);
        if (!baseline) {
            return baseline.error();
        }
        return fontToBdf(context, input, output, baseline.value(), page.page);
    }
    if (from == FormatId::Bdf && to == FormatId::Lcm) {
        return bdfToFont(context, input, output,
                         options.has("--clip") ? BdfCell::Clip : BdfCell::KeepInk, page);
    }
    if (from == FormatId::Bcm && to == FormatId::PngFolder) {
        return bitmapsToFolder(context, input, output);
    }
    if (from == FormatId::PngFolder && to == FormatId::Bcm) {
        return folderToBitmaps(context, input, output, page.page);
    }
    return usageError("convert turns .lcm into .bdf, .bdf into .lcm, .bcm into a folder or a "
                      "folder into .bcm");
}

/// What --help says convert does, naming the formats as the format table does.
[[nodiscard]] std::string_view convertSummary() {
    const auto name = [](FormatId id) { return std::string(fileFormat(id).name); };
    static const std::string kSummary =
        "convert between " + name(FormatId::Lcm) + " and " + name(FormatId::Bdf) + ", or " +
        name(FormatId::Bcm) + " and a " + name(FormatId::PngFolder) +
        " (--clip: cut BDF glyphs to FONT_ASCENT + FONT_DESCENT; --baseline: where BDF glyphs "
        "stand; --codepage: the code page of the library's codes, which BDF glyphs go to and are "
        "written from by their Unicode values, and in which folder names are compared)";
    return kSummary;
}

} // namespace

const Command& convertCommand() {
    static const Command kCommand{"convert",        kConvertUsage,
                                  convertSummary(), {"--baseline", kCodePageOption},
                                  {"--clip"},       runConvert};
    return kCommand;
}

} // namespace korvel::cli
