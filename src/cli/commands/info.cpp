#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "core/codeselection.h"
#include "core/fontmetrics.h"
#include "firmware/glyphlabel.h"
#include "formats/bcm.h"
#include "formats/lcm.h"

#include <array>
#include <cstdio>
#include <functional>
#include <optional>

namespace korvel::cli {

namespace {

constexpr std::string_view kInfoUsage =
    "korvel-cli info [--rows] [--codepage NAME] FILE.lcm|FILE.bcm\n"
    "korvel-cli info --metrics FILE.lcm";

/// The character of a code as info lists it with a chosen code page: "U+0410 А" (the character
/// itself only when it is visible), "U+0001", or "-" for a code the page leaves undefined.
[[nodiscard]] std::string characterWords(std::size_t code, const CodePage& page) {
    const auto byte = static_cast<std::uint8_t>(code);
    const auto character = page.toUnicode(byte);
    if (!character || !page.defines(byte)) {
        return "-";
    }
    std::array<char, 16> value{};
    std::snprintf(value.data(), value.size(), "U+%04X", static_cast<unsigned>(*character));
    std::string words = value.data();
    const bool control = *character < 0x21 || (*character >= 0x7F && *character <= 0xA0);
    if (!control) {
        words += ' ' + encodeUtf8(*character);
    }
    return words;
}

[[nodiscard]] char paletteLetter(Rgb colour) {
    static constexpr std::array<char, 8> kLetters{'R', 'G', 'Y', 'K', 'B', 'A', 'W', 'F'};
    return kLetters[static_cast<std::size_t>(classify(colour))];
}

void printRows(std::ostream& out, const std::optional<Picture>& picture, int width, int height,
               const std::function<char(Rgb)>& letter) {
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += letter(picture ? picture->pixel(x, y) : kBlack);
        }
        out << row << '\n';
    }
}

// info reads the table or directory and the heads of the records only, and with --rows one
// record at a time, so its memory stays small whatever the library's size.

[[nodiscard]] Result<void> infoFont(Context& context, const std::string& path, bool rows,
                                    const PageChoice& choice) {
    auto opened = openLibrary(path, readLcmTable);
    if (!opened) {
        return opened.error();
    }
    FileSource& source = *opened.value().source;
    const auto& records = opened.value().entries;
    context.out << records.size() << '\n';
    for (std::size_t code = 0; code < records.size(); ++code) {
        const LcmRecord& record = records[code];
        context.out << code << ' ' << record.width << ' ' << record.height;
        if (choice.chosen) {
            context.out << ' ' << characterWords(code, choice.page);
        }
        context.out << '\n';
        if (rows) {
            auto picture = readLcmPicture(source, record);
            if (!picture) {
                return picture.error().about(path);
            }
            printRows(context.out, std::move(picture).value(), record.width, record.height,
                      [](Rgb c) { return isInk(c) ? '#' : '.'; });
        }
    }
    return {};
}

/// The baseline the exports find and what stands above and below it, for the user to check
/// before exporting.
[[nodiscard]] Result<void> infoMetrics(Context& context, const std::string& path) {
    const auto loaded = loadFont(path);
    if (!loaded) {
        return loaded.error();
    }
    const FontMetrics metrics = measureFont(loaded.value());
    std::ostream& out = context.out;
    if (metrics.baseline.row) {
        out << "baseline: " << *metrics.baseline.row << " (the row under the ink of "
            << glyphLabel(metrics.baseline.fromCode.value_or(0)) << ")\n";
    } else {
        out << "baseline: each glyph's bottom edge (no ink in 'H', 'E', 'I', '1' or 'x')\n";
    }
    out << "ascent: " << metrics.ascent << '\n';
    out << "descent: " << metrics.descent << '\n';
    if (metrics.hasInk) {
        out << "ink box: columns " << metrics.inkLeft << " to " << metrics.inkRight - 1 << ", "
            << metrics.inkAbove << " rows above the baseline to " << metrics.inkBelow << " below\n";
    } else {
        out << "ink box: none (no glyph has ink)\n";
    }
    return {};
}

/// A bitmap name as info lists it: its characters in UTF-8, each byte that stands for a control
/// character written \xHH instead, so that a name keeps to its one line and sends nothing to
/// a terminal but text, and a backslash written \\, so that no name reads as an escape.
[[nodiscard]] std::string listedName(std::string_view bytes, const CodePage& page) {
    std::string text;
    for (const char byte : bytes) {
        const auto code = static_cast<std::uint8_t>(byte);
        const auto character = page.toUnicode(code);
        if (character && (*character < 0x20 || (*character >= 0x7F && *character <= 0x9F))) {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\x%02X", static_cast<unsigned>(code));
            text += escaped.data();
        } else if (character == U'\\') {
            text += "\\\\";
        } else {
            text += encodeUtf8(character ? *character : kReplacementCharacter);
        }
    }
    return text;
}

[[nodiscard]] Result<void> infoBitmaps(Context& context, const std::string& path, bool rows,
                                       const CodePage& page) {
    auto opened = openLibrary(path, readBcmDirectory);
    if (!opened) {
        return opened.error();
    }
    FileSource& source = *opened.value().source;
    const auto& blocks = opened.value().entries;
    context.out << blocks.size() << '\n';
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const BcmBlock& block = blocks[k];
        context.out << k << ' ' << listedName(block.name, page) << ' ' << block.width << ' '
                    << block.height << '\n';
        if (rows) {
            auto picture = readBcmPicture(source, block);
            if (!picture) {
                return picture.error().about(path);
            }
            printRows(context.out, std::move(picture).value(), block.width, block.height,
                      paletteLetter);
        }
    }
    return {};
}

[[nodiscard]] Result<void> runInfo(Context& context, const ParsedOptions& options) {
    if (options.positional.size() != 1) {
        return usageError("info needs one FILE");
    }
    const std::string& path = options.positional[0];
    const std::string extension = extensionOf(path);
    // Checked first, so that a mistyped page is said whatever else is asked.
    const auto choice = codePageOption(context, options);
    if (!choice) {
        return choice.error();
    }
    if (options.has("--metrics")) {
        if (extension != "lcm" || options.has("--rows")) {
            return usageError("info --metrics reads one .lcm file, without --rows");
        }
        return infoMetrics(context, path);
    }
    if (extension == "lcm") {
        return infoFont(context, path, options.has("--rows"), choice.value());
    }
    if (extension == "bcm") {
        return infoBitmaps(context, path, options.has("--rows"), choice.value().page);
    }
    return usageError("info reads a .lcm or a .bcm file, not \"" + path + "\"");
}

} // namespace

const Command& infoCommand() {
    static const Command kCommand{
        "info",
        kInfoUsage,
        "list the glyphs or bitmaps of a library (--rows: with pixels; --metrics: the baseline; "
        "--codepage: with each code's character, and bitmap names shown in that code page)",
        {kCodePageOption},
        {"--rows", "--metrics"},
        runInfo};
    return kCommand;
}

} // namespace korvel::cli
