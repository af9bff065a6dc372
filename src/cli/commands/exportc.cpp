#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "firmware/cexport.h"

#include <filesystem>
#include <span>

namespace korvel::cli {

namespace {

constexpr std::string_view kExportCUsage =
    "korvel-cli export-c LIB.lcm -o OUT.h [--layout rows|pages] [--bit-order msb|lsb] "
    "[--ink 1|0]\n"
    "                    [--codes LIST] [--chars TEXT] [--name IDENT] [--codepage NAME]\n"
    "korvel-cli export-c LIB.lcm -o OUT.h --format gfx|u8g2|lvgl [--baseline auto|bottom|ROW]\n"
    "                    [--encoding code|unicode] [--codes LIST] [--chars TEXT] [--name IDENT]\n"
    "                    [--codepage NAME]\n"
    "korvel-cli export-c LIB.bcm -o OUT.h [--pixel rgb565|rgb111|planes] [--endian big|little]\n"
    "                    [--bit-order msb|lsb] [--ink 1|0] [--name IDENT]";

/// A value of a chosen option: what it parsed to, or why not.
template <class T> using Parsed = Result<T>;

/// The first of the parsed values that failed, in the order given; success when none did.
template <class... T> [[nodiscard]] Result<void> firstFailure(const Parsed<T>&... parsed) {
    Result<void> first;
    ((first = first.ok() && !parsed.ok() ? Result<void>(parsed.error()) : first), ...);
    return first;
}

/// The one option of those that a kind of library or a layout cannot take, if any is given.
[[nodiscard]] Result<void> forbidden(const ParsedOptions& options,
                                     std::initializer_list<std::string_view> names,
                                     const std::string& why) {
    for (const std::string_view name : names) {
        if (options.value(name) != nullptr) {
            return usageError(std::string(name) + " " + why);
        }
    }
    return {};
}

/// An option's value out of its choices, or the first choice when it is not given.
template <class T>
[[nodiscard]] Parsed<T> choice(const ParsedOptions& options, std::string_view option,
                               std::initializer_list<std::pair<std::string_view, T>> choices) {
    const std::string* given = options.value(option);
    if (given == nullptr) {
        return choices.begin()->second;
    }
    std::string names;
    for (const auto& [word, value] : choices) {
        if (*given == word) {
            return value;
        }
        names += (names.empty() ? "" : "|") + std::string(word);
    }
    return usageError(std::string(option) + " is " + names + ", not \"" + *given + "\"");
}

/// The codes of --codes (a list of codes and ranges) and --chars (the characters of a text and
/// the space), together; none when neither is given. A list or text that gives no codes is
/// refused, naming what is wrong.
[[nodiscard]] Parsed<std::optional<CodeList>> chosenCodes(const ParsedOptions& options,
                                                          const CodePage& codePage) {
    const std::string* list = options.value("--codes");
    const std::string* text = options.value("--chars");
    if (list == nullptr && text == nullptr) {
        return std::optional<CodeList>{};
    }
    CodeList codes;
    if (list != nullptr) {
        auto parsed = parseCodeList(*list);
        if (!parsed) {
            return parsed.error();
        }
        codes = mergedCodes(codes, parsed.value());
    }
    if (text != nullptr) {
        auto parsed = codesOfCharacters(*text, codePage);
        if (!parsed) {
            return parsed.error();
        }
        codes = mergedCodes(codes, parsed.value());
    }
    return std::optional<CodeList>{std::move(codes)};
}

/// The layout --format names (the first row for "plain": --layout chooses rows or pages).
[[nodiscard]] Parsed<FontLayout> formatLayout(const ParsedOptions& options) {
    const std::string* given = options.value("--format");
    const auto formats = fontFormats();
    if (given == nullptr) {
        return formats.front().layout;
    }
    std::string names;
    for (const FontFormat& format : formats) {
        if (*given == format.word) {
            return format.layout;
        }
        names += (names.empty() ? "" : "|") + std::string(format.word);
    }
    return usageError("--format is " + names + ", not \"" + *given + "\"");
}

[[nodiscard]] std::string formatWord(FontLayout layout) {
    for (const FontFormat& format : fontFormats()) {
        if (format.layout == layout) {
            return std::string(format.word);
        }
    }
    return "plain";
}

[[nodiscard]] std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

/// The --name, or the library's base name made an identifier.
[[nodiscard]] std::string arrayName(const ParsedOptions& options, const std::string& path,
                                    std::string_view prefix) {
    if (const std::string* name = options.value("--name")) {
        return *name;
    }
    return arrayNameFromFileName(std::filesystem::path(path).stem().string(), prefix);
}

[[nodiscard]] Parsed<FontExportOptions> fontOptions(const ParsedOptions& options,
                                                    const std::string& path, const CodePage& page) {
    if (auto allowed = forbidden(options, {"--pixel", "--endian"}, "is for bitmap libraries");
        !allowed) {
        return allowed.error();
    }
    FontExportOptions font;
    font.codePage = page;
    const auto format = formatLayout(options);
    const auto layout = choice<FontLayout>(
        options, "--layout", {{"rows", FontLayout::Rows}, {"pages", FontLayout::Pages}});
    const auto order = choice<BitOrder>(options, "--bit-order",
                                        {{"msb", BitOrder::MsbFirst}, {"lsb", BitOrder::LsbFirst}});
    const auto ink = choice<bool>(options, "--ink", {{"1", true}, {"0", false}});
    const auto encoding = choice<U8g2Encoding>(
        options, "--encoding", {{"code", U8g2Encoding::Code}, {"unicode", U8g2Encoding::Unicode}});
    const auto baseline = baselineOption(options);
    if (auto parsed = firstFailure(format, layout, order, ink, encoding, baseline); !parsed) {
        return parsed.error();
    }
    const FontLayout formatted = format.value();
    const bool plain = formatted == FontLayout::Rows;
    font.layout = plain ? layout.value() : formatted;
    font.bitOrder = order.value();
    font.inkIsOne = ink.value();
    font.encoding = encoding.value();
    font.baseline = baseline.value();
    if (!plain) {
        const std::string word = formatWord(font.layout);
        if (auto allowed = forbidden(options, {"--layout", "--bit-order", "--ink"},
                                     "does not go with --format " + word);
            !allowed) {
            return allowed.error();
        }
    } else if (auto allowed =
                   forbidden(options, {"--baseline"}, "goes with --format gfx, u8g2 or lvgl");
               !allowed) {
        return allowed.error();
    }
    if (font.layout != FontLayout::U8g2) {
        if (auto allowed = forbidden(options, {"--encoding"}, "goes with --format u8g2");
            !allowed) {
            return allowed.error();
        }
    }
    if (font.layout == FontLayout::Pages) {
        if (auto allowed = forbidden(options, {"--bit-order"}, "goes with --layout rows");
            !allowed) {
            return allowed.error();
        }
    }
    auto codes = chosenCodes(options, font.codePage);
    if (!codes) {
        return codes.error();
    }
    font.codes = std::move(codes).value();
    font.name = arrayName(options, path, "font_");
    if (font.layout == FontLayout::Lvgl && options.value("--name") == nullptr) {
        font.name = lvglDefaultName(font.name); // a library called cmaps.lcm
    }
    font.source = fileNameOf(path);
    return font;
}

[[nodiscard]] Parsed<BitmapExportOptions> bitmapOptions(const ParsedOptions& options,
                                                        const std::string& path) {
    if (auto allowed = forbidden(
            options, {"--layout", "--format", "--codes", "--chars", "--baseline", "--encoding"},
            "is for font libraries");
        !allowed) {
        return allowed.error();
    }
    BitmapExportOptions bitmaps;
    const auto pixel = choice<BitmapPixel>(options, "--pixel",
                                           {{"rgb565", BitmapPixel::Rgb565},
                                            {"rgb111", BitmapPixel::Rgb111},
                                            {"planes", BitmapPixel::Planes}});
    const auto endian = choice<ByteOrder>(options, "--endian",
                                          {{"big", ByteOrder::Big}, {"little", ByteOrder::Little}});
    const auto order = choice<BitOrder>(options, "--bit-order",
                                        {{"msb", BitOrder::MsbFirst}, {"lsb", BitOrder::LsbFirst}});
    const auto ink = choice<bool>(options, "--ink", {{"1", true}, {"0", false}});
    if (auto parsed = firstFailure(pixel, endian, order, ink); !parsed) {
        return parsed.error();
    }
    bitmaps.pixel = pixel.value();
    bitmaps.byteOrder = endian.value();
    bitmaps.bitOrder = order.value();
    bitmaps.litIsOne = ink.value();
    if (bitmaps.pixel != BitmapPixel::Rgb565) {
        if (auto allowed = forbidden(options, {"--endian"}, "goes with --pixel rgb565"); !allowed) {
            return allowed.error();
        }
    }
    if (bitmaps.pixel != BitmapPixel::Planes) {
        if (auto allowed = forbidden(options, {"--bit-order", "--ink"}, "goes with --pixel planes");
            !allowed) {
            return allowed.error();
        }
    }
    bitmaps.name = arrayName(options, path, "bitmaps_");
    bitmaps.source = fileNameOf(path);
    return bitmaps;
}

/// The header of the library at path: the options chosen for its kind, the library read, and
/// the header made by exportC.
template <class Choose, class Load, class Export>
[[nodiscard]] Parsed<std::string> headerOf(const ParsedOptions& options, const std::string& path,
                                           Choose choose, Load load, Export exportC) {
    auto chosen = choose(options, path);
    if (!chosen) {
        return chosen.error();
    }
    const auto loaded = load(path);
    if (!loaded) {
        return loaded.error();
    }
    auto header = exportC(loaded.value(), chosen.value());
    if (!header) {
        return header.error().about(path);
    }
    return std::move(header).value();
}

/// The header of the font library at path, its characters in the code page of --codepage.
[[nodiscard]] Parsed<std::string> fontHeader(const Context& context, const ParsedOptions& options,
                                             const std::string& path) {
    const auto page = codePageOption(context, options);
    if (!page) {
        return page.error();
    }
    const auto choose = [&page](const ParsedOptions& given, const std::string& file) {
        return fontOptions(given, file, page.value().page);
    };
    return headerOf(options, path, choose, loadFont, exportFontC);
}

[[nodiscard]] const std::vector<std::string_view>& exportCValueOptions() {
    static const std::vector<std::string_view> kOptions{
        "-o",      "--name",     "--layout",   "--format", "--bit-order", "--ink",        "--codes",
        "--chars", "--baseline", "--encoding", "--pixel",  "--endian",    kCodePageOption};
    return kOptions;
}

[[nodiscard]] Result<void> runExportC(Context& context, const ParsedOptions& options) {
    const std::string* output = options.value("-o");
    if (options.positional.size() != 1 || output == nullptr) {
        return usageError("export-c needs one LIB and -o OUT.h");
    }
    const std::string& path = options.positional[0];
    const std::string kind = extensionOf(path);
    if (kind != "lcm" && kind != "bcm") {
        return usageError("export-c reads a .lcm or a .bcm file, not \"" + path + "\"");
    }
    if (auto apart = refuseOutputOverInput(path, *output, "the library", "the header"); !apart) {
        return apart.error();
    }
    // A bitmap header writes names as their bytes, in no code page, but a mistyped page is
    // still said; a font header reads its page itself.
    if (kind == "bcm") {
        if (const auto page = codePageOption(context, options); !page) {
            return page.error();
        }
    }
    auto header = kind == "lcm"
                      ? fontHeader(context, options, path)
                      : headerOf(options, path, bitmapOptions, loadBitmaps, exportBitmapsC);
    if (!header) {
        return header.error();
    }
    return writeBytes(context, *output, bytesOf(header.value()));
}

} // namespace

const Command& exportCCommand() {
    static const Command kCommand{"export-c",
                                  kExportCUsage,
                                  "write a library as a C header for firmware (--codepage: the "
                                  "code page the comments name the characters in and the "
                                  "header's NAME_code maps UTF-8 text to)",
                                  exportCValueOptions(),
                                  {},
                                  runExportC};
    return kCommand;
}

} // namespace korvel::cli
