#include "cli/commands/commandlist.h"

#include "cli/bitmapfolder.h"
#include "cli/qtsession.h"
#include "cli/support.h"
#include "cli/terminalprogress.h"
#include "core/fontmetrics.h"
#include "fileio/filesource.h"
#include "formats/bcm.h"
#include "formats/bdf.h"

#include <filesystem>

namespace korvel::cli {

namespace {

constexpr std::string_view kConvertUsage =
    "korvel-cli convert IN.lcm OUT.bdf [--baseline auto|bottom|ROW] | IN.bdf OUT.lcm [--clip] |\n"
    "                   IN.bcm OUTFOLDER | INFOLDER OUT.bcm [--codepage NAME]";

[[nodiscard]] std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

/// --baseline auto (the default), bottom or a row from 0 to 255.
[[nodiscard]] std::variant<BaselineChoice, Failure> baselineOption(const ParsedOptions& options) {
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

[[nodiscard]] Outcome fontToBdf(Context& context, const std::string& input,
                                const std::string& output, const BaselineChoice& choice,
                                const CodePage& page) {
    auto loaded = loadFont(input);
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        return *failure;
    }
    const FontLibrary& library = std::get<FontLibrary>(loaded);
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

[[nodiscard]] Outcome bdfToFont(Context& context, const std::string& input,
                                const std::string& output, BdfCell cell, const PageChoice& choice) {
    const std::string caption(choice.page.caption());
    const auto bytes = readRegularFile(input, kBdfMaxTextSize, "a BDF font");
    if (!bytes) {
        return refused("", bytes.error().message);
    }
    const auto font = decodeBdf(textOf(bytes.value()), cell, BdfCodes{choice.page, choice.chosen});
    if (!font) {
        return refused(input, font.error().message);
    }
    for (const std::string& note : bdfReadNotes(font.value(), caption)) {
        context.err << "korvel-cli: " << input << ": " << note << '\n';
    }
    return saveFont(context, output, font.value().library);
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
    warnIfWrittenInPlace(context, output, saved.value());
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
    if (options.value("--baseline") != nullptr &&
        (from != ConvertForm::Lcm || to != ConvertForm::Bdf)) {
        return usageError("--baseline goes only with a conversion from .lcm to .bdf");
    }
    const auto choice = codePageOption(context, options);
    if (const auto* failure = std::get_if<Failure>(&choice)) {
        return *failure;
    }
    const PageChoice& page = std::get<PageChoice>(choice);
    if (from == ConvertForm::Lcm && to == ConvertForm::Bdf) {
        const auto baseline = baselineOption(options);
        if (const auto* failure = std::get_if<Failure>(&baseline)) {
            return *failure;
        }
        return fontToBdf(context, input, output, std::get<BaselineChoice>(baseline), page.page);
    }
    if (from == ConvertForm::Bdf && to == ConvertForm::Lcm) {
        return bdfToFont(context, input, output,
                         options.has("--clip") ? BdfCell::Clip : BdfCell::KeepInk, page);
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

} // namespace

const Command& convertCommand() {
    static const Command kCommand{
        "convert",
        kConvertUsage,
        "convert between .lcm and BDF, or .bcm and a PNG folder (--clip: cut BDF glyphs to "
        "FONT_ASCENT + FONT_DESCENT; --baseline: where BDF glyphs stand; --codepage: the code "
        "page of the library's codes, which BDF glyphs go to and are written from by their "
        "Unicode values, and in which folder names are compared)",
        {"--baseline", kCodePageOption},
        {"--clip"},
        runConvert};
    return kCommand;
}

} // namespace korvel::cli
