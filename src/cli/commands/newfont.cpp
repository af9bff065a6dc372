#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "formats/lcm.h"
#include "typeface/fontmatch.h"
#include "typeface/outlinefont.h"
#include "typeface/rememberedmatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace korvel::cli {

namespace {

constexpr std::string_view kNewFontUsage =
    "korvel-cli new-font --family NAME --size POINTS [--codes 128|256] [--codepage NAME] -o "
    "OUT.lcm\n"
    "korvel-cli new-font --font FILE --size POINTS [--codes 128|256] [--codepage NAME] -o "
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

/// The outline font FreeType draws family in at points without Qt, if it can. fontconfig's
/// answer is remembered between runs: reading its configuration would cost more than drawing.
[[nodiscard]] std::unique_ptr<OutlineFont> openOutlineFont(const std::string& family, int points,
                                                           const CodePage& page) {
    const int pixels = std::max(1, pointsToPixels(points));
    const auto face = matchOutlineFaceRemembered(family, pixels, rememberedMatchesFile());
    return face ? OutlineFont::open(*face, pixels, page) : nullptr;
}

/// The font newFontNeedsQt opened to decide, kept for the command it decided for, which runs
/// next in the same process.
struct OpenedFont {
    std::string family;
    int points = 0;
    CodePage page;
    std::unique_ptr<OutlineFont> font;
};

[[nodiscard]] OpenedFont& fontOpenedToDecide() {
    static OpenedFont opened;
    return opened;
}

/// openOutlineFont, taking the font newFontNeedsQt opened when it is the same.
[[nodiscard]] std::unique_ptr<OutlineFont> outlineFont(const std::string& family, int points,
                                                       const CodePage& page) {
    OpenedFont& opened = fontOpenedToDecide();
    if (opened.font && opened.family == family && opened.points == points && opened.page == page) {
        return std::move(opened.font);
    }
    return openOutlineFont(family, points, page);
}

/// Codes 0..count-1 of family at points: an outline font fontconfig finds is drawn by FreeType,
/// any other family by Qt's font system.
[[nodiscard]] Result<DrawnFont> drawFont(Context& context, const std::string& family, int points,
                                         int count, const CodePage& page) {
    if (const auto outline = outlineFont(family, points, page)) {
        DrawnFont drawn;
        drawn.family = family;
        drawn.report = fillFontLibrary(drawn.library, renderCodesOf(*outline, count));
        return drawn;
    }
    if (context.qtFonts == nullptr) {
        return refused("", "the font family \"" + family +
                               "\" is no outline font that korvel-cli draws without Qt");
    }
    return context.qtFonts->draw(family, points, count, page);
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

/// The glyphs of the outline font in file (its first face), drawn by FreeType.
[[nodiscard]] Result<DrawnFont> drawFontFile(const std::string& file, int points, int count,
                                             const CodePage& page) {
    if (::access(file.c_str(), R_OK) != 0) {
        return refused(file, std::string("cannot be read: ") + std::strerror(errno));
    }
    const int pixels = std::max(1, pointsToPixels(points));
    const auto outline = OutlineFont::open(FontFace{file, 0, ""}, pixels, page);
    if (!outline) {
        return refused(file, "is no outline font (TrueType, OpenType, Type 1) with Unicode "
                             "characters");
    }
    DrawnFont drawn;
    drawn.family = file;
    drawn.report = fillFontLibrary(drawn.library, renderCodesOf(*outline, count));
    return drawn;
}

[[nodiscard]] Result<FontLibrary> systemFont(Context& context, const ParsedOptions& options,
                                             int count, const CodePage& page) {
    const std::string* family = options.value("--family");
    const std::string* file = options.value("--font");
    const std::string* size = options.value("--size");
    if (family != nullptr && file != nullptr) {
        return usageError("--family and --font name the font twice; give one of them");
    }
    if ((family == nullptr && file == nullptr) || size == nullptr) {
        return usageError("new-font needs --family or --font, and --size; or --blank");
    }
    const auto points = parseInteger(*size);
    if (!points || *points < 1 || *points > kMaxPoints) {
        return usageError("--size is a number of points from 1 to 250, not \"" + *size + "\"");
    }
    auto drawn = file != nullptr ? drawFontFile(*file, *points, count, page)
                                 : drawFont(context, *family, *points, count, page);
    if (!drawn) {
        return drawn.error();
    }
    reportRendering(context.err, drawn.value().family, drawn.value().report);
    return std::move(drawn).value().library;
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
    if (blank != nullptr && (options.value("--family") != nullptr ||
                             options.value("--font") != nullptr || options.value("--size"))) {
        return usageError("--blank goes without --family, --font and --size");
    }
    auto made = blank != nullptr ? blankFont(*blank, count.value())
                                 : systemFont(context, options, count.value(), choice.value().page);
    if (!made) {
        return made.error();
    }
    return saveFont(context, *output, made.value());
}

} // namespace

bool newFontNeedsQt(std::span<const std::string> arguments, const CodePage& defaultPage) {
    const Command& command = newFontCommand();
    const auto parsed = parseOptions(arguments.subspan(std::min<std::size_t>(1, arguments.size())),
                                     command.valueOptions, command.flagOptions);
    if (!parsed || parsed.value().help || parsed.value().value("--blank") != nullptr) {
        return false;
    }
    const std::string* family = parsed.value().value("--family");
    const std::string* size = parsed.value().value("--size");
    const auto points = size == nullptr ? std::nullopt : parseInteger(*size);
    if (family == nullptr || !points || *points < 1 || *points > kMaxPoints) {
        return false;
    }
    // Any page decides; the command's own, so that the font opened serves its run.
    const std::string* pageName = parsed.value().value(kCodePageOption);
    const CodePage page =
        pageName == nullptr ? defaultPage : codePageByName(*pageName).value_or(defaultPage);
    OpenedFont& opened = fontOpenedToDecide();
    opened = OpenedFont{*family, static_cast<int>(*points), page,
                        openOutlineFont(*family, static_cast<int>(*points), page)};
    return opened.font == nullptr;
}

const Command& newFontCommand() {
    static const Command kCommand{
        "new-font",
        kNewFontUsage,
        "make a font library from a system font, a font file or of blank glyphs "
        "(--codepage: the character each code renders)",
        {"--family", "--font", "--size", "--blank", "--codes", "-o", kCodePageOption},
        {},
        runNewFont};
    return kCommand;
}

} // namespace korvel::cli
