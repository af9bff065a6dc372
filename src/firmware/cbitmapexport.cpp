// C source for bitmap libraries: rgb565, rgb111 and three bit planes.
#include "firmware/cexport.h"
#include "firmware/csource.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace korvel {

namespace {

/// The three lit channels of one pixel, classified as the .bcm writer does.
struct Channels {
    bool red = false;
    bool green = false;
    bool blue = false;
};

[[nodiscard]] int widthOf(const bitmapInfoList& entry) {
    return std::max(0, entry.width);
}

[[nodiscard]] int heightOf(const bitmapInfoList& entry) {
    return std::max(0, entry.height);
}

[[nodiscard]] Rgb pixelOf(const bitmapInfoList& entry, int x, int y) {
    return entry.picture ? entry.picture->pixel(x, y) : kBlack;
}

[[nodiscard]] Channels channelsAt(const bitmapInfoList& entry, int x, int y) {
    const Rgb colour = paletteEntry(classify(pixelOf(entry, x, y))).value;
    return {isLit(redOf(colour)), isLit(greenOf(colour)), isLit(blueOf(colour))};
}

/// The entry's pixels as palette letters under a heading, as "korvel-cli info --rows" shows them.
[[nodiscard]] std::vector<std::string> drawing(const bitmapInfoList& entry, std::string heading) {
    static constexpr std::array<char, 8> kLetters{'R', 'G', 'Y', 'K', 'B', 'A', 'W', 'F'};
    std::vector<std::string> lines{std::move(heading)};
    for (int y = 0; widthOf(entry) > 0 && y < heightOf(entry); ++y) {
        std::string row;
        for (int x = 0; x < widthOf(entry); ++x) {
            row += kLetters[static_cast<std::size_t>(classify(pixelOf(entry, x, y)))];
        }
        lines.push_back(std::move(row));
    }
    return lines;
}

[[nodiscard]] std::vector<std::uint8_t> rgb565Bytes(const bitmapInfoList& entry, ByteOrder order) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < heightOf(entry); ++y) {
        for (int x = 0; x < widthOf(entry); ++x) {
            const Channels c = channelsAt(entry, x, y);
            const unsigned value =
                (c.red ? 0xF800U : 0U) | (c.green ? 0x07E0U : 0U) | (c.blue ? 0x001FU : 0U);
            const auto high = static_cast<std::uint8_t>(value >> 8);
            const auto low = static_cast<std::uint8_t>(value & 0xFF);
            bytes.push_back(order == ByteOrder::Big ? high : low);
            bytes.push_back(order == ByteOrder::Big ? low : high);
        }
    }
    return bytes;
}

[[nodiscard]] std::vector<std::uint8_t> rgb111Bytes(const bitmapInfoList& entry) {
    BitPacker packer;
    for (int y = 0; y < heightOf(entry); ++y) {
        for (int x = 0; x < widthOf(entry); ++x) {
            const Channels c = channelsAt(entry, x, y);
            packer.push(c.red);
            packer.push(c.green);
            packer.push(c.blue);
        }
    }
    return packer.take();
}

/// The red, green and blue planes one after the other, each in rows padded to whole bytes with
/// dark bits.
[[nodiscard]] std::vector<std::uint8_t> planeBytes(const bitmapInfoList& entry, BitOrder order,
                                                   bool litIsOne) {
    const int width = widthOf(entry);
    std::vector<std::uint8_t> bytes;
    for (bool Channels::*channel : {&Channels::red, &Channels::green, &Channels::blue}) {
        for (int y = 0; y < heightOf(entry); ++y) {
            appendRowBits(bytes, width, order, litIsOne,
                          [&](int x) { return channelsAt(entry, x, y).*channel; });
        }
    }
    return bytes;
}

[[nodiscard]] std::string optionText(const BitmapExportOptions& options) {
    std::string text;
    switch (options.pixel) {
    case BitmapPixel::Rgb565:
        text = std::string("--pixel rgb565 --endian ") +
               (options.byteOrder == ByteOrder::Big ? "big" : "little");
        break;
    case BitmapPixel::Rgb111:
        text = "--pixel rgb111";
        break;
    case BitmapPixel::Planes:
        text = std::string("--pixel planes --bit-order ") +
               (options.bitOrder == BitOrder::MsbFirst ? "msb" : "lsb") +
               (options.litIsOne ? " --ink 1" : " --ink 0");
        break;
    }
    return text + " --name " + options.name;
}

/// The paragraphs of the comment at the top: what made the header and how to read its bytes.
[[nodiscard]] std::vector<std::string> about(const BitmapExportOptions& options) {
    const std::string& n = options.name;
    std::vector<std::string> paragraphs{
        options.source + " as C source, made by korvel-cli export-c " + optionText(options), ""};
    switch (options.pixel) {
    case BitmapPixel::Rgb565:
        paragraphs.push_back(std::string("Two bytes per pixel, rows top to bottom, the ") +
                             (options.byteOrder == ByteOrder::Big ? "most" : "least") +
                             " significant byte first: red in bits 15-11, green in 10-5, blue in "
                             "4-0, a lit channel all ones, a dark one all zeros.");
        break;
    case BitmapPixel::Rgb111:
        paragraphs.push_back("Three bits per pixel, red, green, blue, 1 for a lit channel; rows "
                             "top to bottom, bits continuous, the most significant first; the "
                             "last byte filled up with 0 bits.");
        break;
    case BitmapPixel::Planes:
        paragraphs.push_back(
            std::string("Three planes, red, green and blue, each height rows of (width + 7) / 8 "
                        "bytes, padded with dark bits; the leftmost pixel of a byte in its ") +
            (options.bitOrder == BitOrder::MsbFirst ? "most" : "least") + " significant bit; " +
            (options.litIsOne ? "a lit channel is a 1 bit, a dark one a 0 bit."
                              : "a lit channel is a 0 bit, a dark one a 1 bit."));
        break;
    }
    paragraphs.push_back(n + "_bitmaps[0 to " + n +
                         "_count - 1] gives each bitmap's name, size and pixels (0 when it has "
                         "none), in library order.");
    return paragraphs;
}

[[nodiscard]] std::vector<std::uint8_t> pixelBytes(const bitmapInfoList& entry,
                                                   const BitmapExportOptions& options) {
    switch (options.pixel) {
    case BitmapPixel::Rgb565:
        return rgb565Bytes(entry, options.byteOrder);
    case BitmapPixel::Rgb111:
        return rgb111Bytes(entry);
    case BitmapPixel::Planes:
        break;
    }
    return planeBytes(entry, options.bitOrder, options.litIsOne);
}

/// How many bytes start a new line: a row of rgb565, a plane, or none for bits packed
/// continuously.
[[nodiscard]] std::size_t groupOf(const bitmapInfoList& entry, BitmapPixel pixel) {
    switch (pixel) {
    case BitmapPixel::Rgb565:
        return 2 * static_cast<std::size_t>(widthOf(entry));
    case BitmapPixel::Rgb111:
        return 0;
    case BitmapPixel::Planes:
        break;
    }
    return static_cast<std::size_t>((widthOf(entry) + 7) / 8) *
           static_cast<std::size_t>(heightOf(entry));
}

/// The bitmap type and the entry count.
void declareBitmapType(CSourceWriter& source, const std::string& n, std::size_t count) {
    source.line("/* One bitmap: its name, its size in pixels and its pixels. */");
    source.line("typedef struct {");
    source.line("    const char *name;");
    source.line("    uint16_t width;");
    source.line("    uint16_t height;");
    source.line("    const uint8_t *pixels;");
    source.line("} " + n + "_bitmap;");
    source.line("");
    source.line("enum { " + n + "_count = " + std::to_string(count) + " };");
    source.line("");
}

/// Entry k's drawing and pixel array (none when it has no pixels); gives its row of the table.
[[nodiscard]] std::string defineEntry(CSourceWriter& source, const bitmapInfoList& entry,
                                      std::size_t k, const BitmapExportOptions& options) {
    const std::string literal = cStringLiteral(entry.name);
    const auto bytes = pixelBytes(entry, options);
    source.comment(drawing(entry, std::to_string(k) + " " + literal + ": " +
                                      std::to_string(widthOf(entry)) + " x " +
                                      std::to_string(heightOf(entry))),
                   0);
    std::string array = "0";
    if (bytes.empty()) {
        source.line("/* no pixels, so no array */");
    } else {
        array = options.name + "_pixels_" + std::to_string(k);
        source.line("static const uint8_t " + array + "[" + std::to_string(bytes.size()) +
                    "] KORVEL_FLASH = {");
        source.bytes(bytes, groupOf(entry, options.pixel));
        source.line("};");
    }
    source.line("");
    return "    {" + literal + ", " + std::to_string(widthOf(entry)) + ", " +
           std::to_string(heightOf(entry)) + ", " + array + "},";
}

} // namespace

Result<std::string> exportBitmapsC(const BitmapLibrary& library,
                                   const BitmapExportOptions& options) {
    if (library.entries.empty()) {
        return Error{"The bitmap library holds no bitmaps."};
    }
    if (const Result<void> named = checkArrayName(options.name); !named) {
        return named.error();
    }
    const std::string& n = options.name;
    const auto aboutLines = about(options);
    CSourceWriter source(n, aboutLines);
    declareBitmapType(source, n, library.entries.size());
    std::vector<std::string> rows;
    for (std::size_t k = 0; k < library.entries.size(); ++k) {
        rows.push_back(defineEntry(source, library.entries[k], k, options));
    }
    source.line("static const " + n + "_bitmap " + n + "_bitmaps[" +
                std::to_string(library.entries.size()) + "] KORVEL_FLASH = {");
    for (const std::string& row : rows) {
        source.line(row);
    }
    source.line("};");
    source.line("");
    return source.finish();
}

} // namespace korvel
