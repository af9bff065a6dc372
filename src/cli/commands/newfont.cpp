#include "cli/commands/commandlist.h"

#include "cli/qtsession.h"
#include "cli/support.h"
#include "document/libraryfactory.h"
#include "formats/lcm.h"

#include <QString>
#include <QStringList>

namespace korvel::cli {

namespace {

constexpr std::string_view kNewFontUsage =
    "korvel-cli new-font --family NAME --size POINTS [--codes 128|256] [--codepage NAME] -o "
    "OUT.lcm\n"
    "korvel-cli new-font --blank WIDTHxHEIGHT [--codes 128|256] -o OUT.lcm";

[[nodiscard]] Result<int> codeCountOption(const ParsedOptions& options) {
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
[[nodiscard]] Error notInstalled(const std::string& family) {
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

[[nodiscard]] Result<FontLibrary> systemFont(Context& context, const ParsedOptions& options,
                                             int count, const CodePage& page) {
    const std::string* family = options.value("--family");
    const std::string* size = options.value("--size");
    if (family == nullptr || size == nullptr) {
        return usageError("new-font needs --family and --size, or --blank");
    }
    const auto points = parseInteger(*size);
    if (!points || *points < 1 || *points > kMaxPoints) {
        return usageError("--size is a number of points from 1 to 250, not \"" + *size + "\"");
    }
    context.qt->ensureStarted();
    const auto installed = findInstalledFamily(QString::fromStdString(*family));
    if (!installed) {
        return notInstalled(*family);
    }
    FontLibrary library;
    reportRendering(context.err, installed->toStdString(),
                    renderSystemFont(library, *installed, *points, count, page));
    return library;
}

[[nodiscard]] Result<FontLibrary> blankFont(const std::string& sizeText, int count) {
    // The setup dialog offers larger blank glyphs, but a .lcm file, all that new-font writes,
    // holds none wider or taller than 255.
    const auto size = parseSize(sizeText, kLcmMaxSide, kLcmMaxSide);
    if (!size) {
        return usageError("--blank is WIDTHxHEIGHT, each from 1 to 255 (what a .lcm file holds), "
                          "not \"" +
                          sizeText + "\"");
    }
    FontLibrary library;
    makeBlankFont(library, size->first, size->second, count);
    return library;
}

[[nodiscard]] Result<void> runNewFont(Context& context, const ParsedOptions& options) {
    const std::string* output = options.value("-o");
    if (output == nullptr || !options.positional.empty()) {
        return usageError("new-font needs -o OUT.lcm and no other words");
    }
    if (extensionOf(*output) != "lcm") {
        return usageError("new-font writes a .lcm file, not \"" + *output + "\"");
    }
    const auto count = codeCountOption(options);
    if (!count) {
        return count.error();
    }
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    const std::string* blank = options.value("--blank");
    if (blank != nullptr && (options.value("--family") != nullptr || options.value("--size"))) {
        return usageError("--blank goes without --family and --size");
    }
    auto made = blank != nullptr ? blankFont(*blank, count.value())
                                 : systemFont(context, options, count.value(), choice.value().page);
    if (!made) {
        return made.error();
    }
    return saveFont(context, *output, made.value());
}

} // namespace

const Command& newFontCommand() {
    static const Command kCommand{
        "new-font",
        kNewFontUsage,
        "make a font library from a system font or of blank glyphs "
        "(--codepage: the character each code renders)",
        {"--family", "--size", "--blank", "--codes", "-o", kCodePageOption},
        {},
        runNewFont};
    return kCommand;
}

} // namespace korvel::cli
