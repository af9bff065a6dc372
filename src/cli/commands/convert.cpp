#include "cli/commands/commandlist.h"

#include "cli/bitmapfolder.h"
#include "cli/qtsession.h"
#include "cli/support.h"
#include "cli/terminalprogress.h"
#include "core/fontmetrics.h"
#include "formats/bdf.h"
#include "formats/formattable.h"

#include <filesystem>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kConvertUsage =
    "korvel-cli convert IN.lcm OUT.bdf [--baseline auto|bottom|ROW] | IN.bdf OUT.lcm [--clip] |\n"
    "                   IN.bcm OUTFOLDER | INFOLDER OUT.bcm";

[[nodiscard]] std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

/// --baseline auto (the default), bottom or a row from 0 to 255.
[[nodiscard]] Result<BaselineChoice> baselineOption(const ParsedOptions& options) {
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

[[nodiscard]] Result<void> fontToBdf(Context& context, const std::string& input,
                                     const std::string& output, const BaselineChoice& choice) {
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
    return writeBytes(context, output,
                      bytesOf(encodeBdf(library.glyphs, library.count, name, metrics.baseline)));
}

[[nodiscard]] Result<void> bdfToFont(Context& context, const std::string& input,
                                     const std::string& output, BdfCell cell) {
    const FileFormat& bdf = fileFormat(FormatId::Bdf);
    const auto bytes = readRegularFile(input, bdf.maxFileBytes, bdf.fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    const auto font = decodeBdf(textOf(bytes.value()), cell);
    if (!font) {
        return font.error().about(input);
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
    return saveFont(context, output, font.value().library);
}

[[nodiscard]] Result<void> bitmapsToFolder(Context& context, const std::string& input,
                                           const std::string& output) {
    auto loaded = loadBitmaps(input);
    if (!loaded) {
        return loaded.error();
    }
    TerminalProgress progress(context.err, context.errIsTerminal,
                              "writing " + output + ": PNG files");
    if (const Result<void> written =
            writeBitmapFolder(loaded.value().entries, output, progress.callback());
        !written) {
        return written.error();
    }
    const std::size_t count = loaded.value().entries.size();
    progress.update(count, count);
    return {};
}

[[nodiscard]] Result<void> folderToBitmaps(Context& context, const std::string& input,
                                           const std::string& output) {
    const auto entries = readBitmapFolder(input);
    if (!entries) {
        return entries.error();
    }
    return saveBitmaps(context, output, entries.value());
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
    if (options.has("--clip") && (from != FormatId::Bdf || to != FormatId::Lcm)) {
        return usageError("--clip goes only with a conversion from .bdf to .lcm");
    }
    if (options.value("--baseline") != nullptr && (from != FormatId::Lcm || to != FormatId::Bdf)) {
        return usageError("--baseline goes only with a conversion from .lcm to .bdf");
    }
    if (from == FormatId::Lcm && to == FormatId::Bdf) {
        const auto baseline = baselineOption(options);
        if (!baseline) {
            return baseline.error();
        }
        return fontToBdf(context, input, output, baseline.value());
    }
    if (from == FormatId::Bdf && to == FormatId::Lcm) {
        return bdfToFont(context, input, output,
                         options.has("--clip") ? BdfCell::Clip : BdfCell::KeepInk);
    }
    if (from == FormatId::Bcm && to == FormatId::PngFolder) {
        return bitmapsToFolder(context, input, output);
    }
    if (from == FormatId::PngFolder && to == FormatId::Bcm) {
        return folderToBitmaps(context, input, output);
    }
    return usageError("convert turns .lcm into .bdf, .bdf into .lcm, .bcm into a folder or a "
                      "folder into .bcm");
}

/// What --help says convert does, naming the formats as the format table does.
[[nodiscard]] std::string_view convertSummary() {
    const auto name = [](FormatId id) { return std::string(fileFormat(id).name); };
    static const std::string kSummary = "convert between " + name(FormatId::Lcm) + " and " +
                                        name(FormatId::Bdf) + ", or " + name(FormatId::Bcm) +
                                        " and a " + name(FormatId::PngFolder) +
                                        " (--clip: cut BDF glyphs to FONT_ASCENT + FONT_DESCENT; "
                                        "--baseline: where BDF glyphs stand)";
    return kSummary;
}

} // namespace

const Command& convertCommand() {
    static const Command kCommand{"convert",      kConvertUsage, convertSummary(),
                                  {"--baseline"}, {"--clip"},    runConvert};
    return kCommand;
}

} // namespace korvel::cli
