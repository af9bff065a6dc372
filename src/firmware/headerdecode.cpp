#include "firmware/headerdecode.h"

#include "core/colour.h"
#include "firmware/ctext.h"
#include "firmware/lvgldecode.h"
#include "firmware/u8g2decode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace korvel {

namespace {

/// The bytes a glyph or bitmap reads, checked to lie within the array.
class ByteReader {
public:
    ByteReader(const std::vector<long long>& bytes, std::string what)
        : bytes_(bytes), what_(std::move(what)) {}

    [[nodiscard]] bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    [[nodiscard]] unsigned at(std::size_t index) const {
        return static_cast<unsigned>(bytes_[index]) & 0xFFU;
    }
    [[nodiscard]] bool bit(std::size_t index) const { // most significant bit first
        return ((at(index / 8) >> (7 - index % 8)) & 1U) != 0;
    }
    [[nodiscard]] Error outside() const { return Error{what_ + " reads past its array"}; }

private:
    const std::vector<long long>& bytes_;
    std::string what_;
};

constexpr Rgb kInk = makeRgb(255, 255, 255);

[[nodiscard]] Result<Picture> plainGlyph(const ByteReader& bytes, std::size_t offset, int width,
                                         int height, const FontExportOptions& options) {
    const bool pages = options.layout == FontLayout::Pages;
    const std::size_t perRow = static_cast<std::size_t>((width + 7) / 8);
    const std::size_t size = pages ? static_cast<std::size_t>(width) * ((height + 7) / 8)
                                   : perRow * static_cast<std::size_t>(height);
    if (!bytes.has(offset, size)) {
        return bytes.outside();
    }
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool set = false;
            if (pages) {
                const unsigned byte = bytes.at(offset + static_cast<std::size_t>(y / 8) * width +
                                               static_cast<std::size_t>(x));
                set = ((byte >> (y % 8)) & 1U) != 0;
            } else {
                const unsigned byte = bytes.at(offset + static_cast<std::size_t>(y) * perRow +
                                               static_cast<std::size_t>(x / 8));
                const int shift = options.bitOrder == BitOrder::MsbFirst ? 7 - x % 8 : x % 8;
                set = ((byte >> shift) & 1U) != 0;
            }
            if (set == options.inkIsOne) {
                picture.setPixel(x, y, kInk);
            }
        }
    }
    return picture;
}

[[nodiscard]] Result<std::vector<DecodedGlyph>> decodePlain(const Tokens& tokens,
                                                            const FontExportOptions& options) {
    const std::string& n = options.name;
    const auto first = enumValue(tokens, n + "_first");
    const auto last = enumValue(tokens, n + "_last");
    const auto bytes = arrayNumbers(tokens, n + "_bitmaps");
    const auto table = arrayNumbers(tokens, n + "_glyphs");
    for (const Error* error :
         {first ? nullptr : &first.error(), last ? nullptr : &last.error(),
          bytes ? nullptr : &bytes.error(), table ? nullptr : &table.error()}) {
        if (error != nullptr) {
            return *error;
        }
    }
    // A header of codes with gaps finds each code's glyph through an index; one of a single run
    // has a glyph for every code from the first to the last.
    std::vector<int> codes;
    if (const auto index = arrayNumbers(tokens, n + "_index")) {
        const auto none = enumValue(tokens, n + "_none");
        for (std::size_t k = 0; k < index.value().size(); ++k) {
            if (!none || index.value()[k] != none.value()) {
                codes.push_back(static_cast<int>(first.value() + static_cast<long long>(k)));
            }
        }
    } else {
        for (long long code = first.value(); code <= last.value(); ++code) {
            codes.push_back(static_cast<int>(code));
        }
    }
    if (codes.size() * 3 != table.value().size()) {
        return Error{"the glyph table of " + n + " does not hold one row per code"};
    }
    std::vector<DecodedGlyph> glyphs;
    for (std::size_t k = 0; k < codes.size(); ++k) {
        const auto row = table.value().begin() + static_cast<std::ptrdiff_t>(k * 3);
        const int code = codes[k];
        const ByteReader reader(bytes.value(), "glyph " + std::to_string(code));
        auto picture = plainGlyph(reader, static_cast<std::size_t>(std::max(0LL, row[0])),
                                  static_cast<int>(row[1]), static_cast<int>(row[2]), options);
        if (!picture) {
            return picture.error();
        }
        const int height = picture.value().height();
        glyphs.push_back({code, std::move(picture).value(), height});
    }
    return glyphs;
}

[[nodiscard]] Result<std::vector<DecodedGlyph>>
decodeGfx(const Tokens& tokens, const FontExportOptions& options, const Baseline& baselineRow) {
    const std::string& n = options.name;
    const auto bytes = arrayNumbers(tokens, n + "_bitmaps");
    const auto table = arrayNumbers(tokens, n + "_glyphs");
    const auto font = arrayNumbers(tokens, n);
    for (const Error* error : {bytes ? nullptr : &bytes.error(), table ? nullptr : &table.error(),
                               font ? nullptr : &font.error()}) {
        if (error != nullptr) {
            return *error;
        }
    }
    // GFXfont: bitmap, glyphs (casts, no numbers), first, last, yAdvance.
    if (font.value().size() != 3) {
        return Error{"the GFXfont " + n + " does not give first, last and yAdvance"};
    }
    const long long first = font.value()[0];
    const long long count = font.value()[1] - first + 1;
    const int lineHeight = static_cast<int>(font.value()[2]);
    if (count < 0 || static_cast<std::size_t>(count) * 6 != table.value().size()) {
        return Error{"the GFXglyph table of " + n + " does not hold one row per code"};
    }
    const int baseline = baselineRow.row.value_or(lineHeight);
    std::vector<DecodedGlyph> glyphs;
    for (long long k = 0; k < count; ++k) {
        const auto row = table.value().begin() + k * 6;
        const int code = static_cast<int>(first + k);
        const auto offset = static_cast<std::size_t>(std::max(0LL, row[0]));
        const int width = static_cast<int>(row[1]);
        const int height = static_cast<int>(row[2]);
        const ByteReader reader(bytes.value(), "glyph " + std::to_string(code));
        const std::size_t bits = static_cast<std::size_t>(std::max(0, width)) *
                                 static_cast<std::size_t>(std::max(0, height));
        if (!reader.has(offset, (bits + 7) / 8)) {
            return reader.outside();
        }
        Picture picture(static_cast<int>(row[3]), lineHeight);
        for (std::size_t bit = 0; bit < bits; ++bit) {
            if (reader.bit(offset * 8 + bit)) {
                const int x = static_cast<int>(bit % static_cast<std::size_t>(width));
                const int y = static_cast<int>(bit / static_cast<std::size_t>(width));
                picture.setPixel(static_cast<int>(row[4]) + x,
                                 baseline + static_cast<int>(row[5]) + y, kInk);
            }
        }
        glyphs.push_back({code, std::move(picture), baseline});
    }
    return glyphs;
}

/// The bytes of the u8g2 font called name: its string literals joined, with the zero that ends
/// them, or the numbers of its initializer.
[[nodiscard]] Result<std::vector<std::uint8_t>> u8g2Bytes(const Tokens& tokens,
                                                          const std::string& name) {
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != Token::Kind::Name || tokens[k].text != name) {
            continue;
        }
        std::size_t at = k + 1;
        while (at < tokens.size() && !isPunct(tokens[at], '=') && !isPunct(tokens[at], ';')) {
            ++at;
        }
        if (at + 1 >= tokens.size() || !isPunct(tokens[at], '=')) {
            continue;
        }
        std::vector<std::uint8_t> bytes;
        if (isPunct(tokens[at + 1], '{')) {
            auto numbers = initializer(tokens, name);
            if (!numbers) {
                return numbers.error();
            }
            for (const long long number : numbersOf(numbers.value())) {
                bytes.push_back(static_cast<std::uint8_t>(number & 0xFF));
            }
            return bytes;
        }
        for (++at; at < tokens.size() && tokens[at].kind == Token::Kind::String; ++at) {
            bytes.insert(bytes.end(), tokens[at].text.begin(), tokens[at].text.end());
        }
        bytes.push_back(0);
        return bytes;
    }
    return Error{"the header defines no u8g2 font " + name};
}

[[nodiscard]] std::string unicodeName(char32_t character) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character));
    return text;
}

/// The library code a character of the font stands for, through the code page.
[[nodiscard]] Result<int> codeOfCharacter(char32_t character, const CodePage& codePage) {
    if (const auto code = codePage.fromUnicode(character)) {
        return int{*code};
    }
    return Error{"the font holds " + unicodeName(character) + ", which " +
                 std::string(codePage.caption()) + " has no code for"};
}

[[nodiscard]] Result<std::vector<DecodedGlyph>> decodeU8g2(const Tokens& tokens,
                                                           const FontExportOptions& options) {
    const auto bytes = u8g2Bytes(tokens, options.name);
    if (!bytes) {
        return bytes.error();
    }
    auto drawn = drawU8g2Font(bytes.value());
    if (!drawn) {
        return drawn.error();
    }
    std::vector<DecodedGlyph> glyphs;
    for (U8g2Drawn& glyph : drawn.value()) {
        int code = glyph.number;
        if (options.encoding == U8g2Encoding::Unicode) {
            auto found = codeOfCharacter(static_cast<char32_t>(glyph.number), options.codePage);
            if (!found) {
                return found.error();
            }
            code = found.value();
        } else if (code > 255) {
            return Error{"the font stores a glyph under " + std::to_string(code) +
                         ", which is no 8-bit code"};
        }
        glyphs.push_back({code, std::move(glyph.picture), glyph.baseline});
    }
    return glyphs;
}

[[nodiscard]] Result<std::vector<DecodedGlyph>> decodeLvgl(const Tokens& tokens,
                                                           const FontExportOptions& options) {
    auto drawn = drawLvglFont(tokens, options.name);
    if (!drawn) {
        return drawn.error();
    }
    std::vector<DecodedGlyph> glyphs;
    for (LvglDrawn& glyph : drawn.value()) {
        auto code = codeOfCharacter(glyph.character, options.codePage);
        if (!code) {
            return code.error();
        }
        glyphs.push_back({code.value(), std::move(glyph.picture), glyph.baseline});
    }
    return glyphs;
}

/// The colour of a pixel from its three lit channels.
[[nodiscard]] Rgb channelColour(bool red, bool green, bool blue) {
    return makeRgb(red ? 255 : 0, green ? 255 : 0, blue ? 255 : 0);
}

[[nodiscard]] Result<Picture> bitmapPixels(const ByteReader& bytes, int width, int height,
                                           const BitmapExportOptions& options) {
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    const std::size_t perRow = (w + 7) / 8;
    const std::size_t size = options.pixel == BitmapPixel::Rgb565   ? 2 * w * h
                             : options.pixel == BitmapPixel::Rgb111 ? (3 * w * h + 7) / 8
                                                                    : 3 * perRow * h;
    if (!bytes.has(0, size)) {
        return bytes.outside();
    }
    Picture picture(width, height);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t pixel = y * w + x;
            Rgb colour = kBlack;
            switch (options.pixel) {
            case BitmapPixel::Rgb565: {
                const unsigned a = bytes.at(2 * pixel);
                const unsigned b = bytes.at(2 * pixel + 1);
                const unsigned value =
                    options.byteOrder == ByteOrder::Big ? (a << 8) | b : (b << 8) | a;
                colour = channelColour(((value >> 11) & 0x1FU) >= 16, ((value >> 5) & 0x3FU) >= 32,
                                       (value & 0x1FU) >= 16);
                break;
            }
            case BitmapPixel::Rgb111:
                colour = channelColour(bytes.bit(3 * pixel), bytes.bit(3 * pixel + 1),
                                       bytes.bit(3 * pixel + 2));
                break;
            case BitmapPixel::Planes: {
                const auto lit = [&](std::size_t plane) {
                    const unsigned byte = bytes.at(plane * perRow * h + y * perRow + x / 8);
                    const auto shift = static_cast<unsigned>(
                        options.bitOrder == BitOrder::MsbFirst ? 7 - x % 8 : x % 8);
                    return (((byte >> shift) & 1U) != 0) == options.litIsOne;
                };
                colour = channelColour(lit(0), lit(1), lit(2));
                break;
            }
            }
            picture.setPixel(static_cast<int>(x), static_cast<int>(y), colour);
        }
    }
    return picture;
}

} // namespace

Result<std::vector<DecodedGlyph>> decodeFontHeader(std::string_view text,
                                                   const FontExportOptions& options,
                                                   const Baseline& baseline) {
    const auto tokens = tokenize(text);
    if (!tokens) {
        return tokens.error();
    }
    switch (options.layout) {
    case FontLayout::Rows:
    case FontLayout::Pages:
        return decodePlain(tokens.value(), options);
    case FontLayout::Gfx:
        return decodeGfx(tokens.value(), options, baseline);
    case FontLayout::U8g2:
        return decodeU8g2(tokens.value(), options);
    case FontLayout::Lvgl:
        return decodeLvgl(tokens.value(), options);
    }
    return Error{"the header's layout is none this program writes"};
}

Result<std::vector<DecodedBitmap>> decodeBitmapHeader(std::string_view text,
                                                      const BitmapExportOptions& options) {
    const auto tokens = tokenize(text);
    if (!tokens) {
        return tokens.error();
    }
    const auto table = initializer(tokens.value(), options.name + "_bitmaps");
    if (!table) {
        return table.error();
    }
    // Rows of the table: {"name", width, height, pixels-array-or-0}.
    std::vector<DecodedBitmap> bitmaps;
    const Tokens& cells = table.value();
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (cells[k].kind != Token::Kind::String) {
            continue;
        }
        std::vector<const Token*> fields;
        for (std::size_t j = k + 1; j < cells.size() && fields.size() < 3; ++j) {
            if (cells[j].kind == Token::Kind::Number || cells[j].kind == Token::Kind::Name) {
                fields.push_back(&cells[j]);
            }
        }
        if (fields.size() < 3 || fields[0]->kind != Token::Kind::Number ||
            fields[1]->kind != Token::Kind::Number) {
            return Error{"a row of " + options.name + "_bitmaps is not name, size and pixels"};
        }
        const int width = static_cast<int>(fields[0]->number);
        const int height = static_cast<int>(fields[1]->number);
        Picture picture(width, height);
        if (fields[2]->kind == Token::Kind::Name) {
            const auto bytes = arrayNumbers(tokens.value(), fields[2]->text);
            if (!bytes) {
                return bytes.error();
            }
            const ByteReader reader(bytes.value(), "bitmap " + std::to_string(bitmaps.size()));
            auto pixels = bitmapPixels(reader, width, height, options);
            if (!pixels) {
                return pixels.error();
            }
            picture = std::move(pixels).value();
        }
        bitmaps.push_back({cells[k].text, std::move(picture)});
    }
    return bitmaps;
}

} // namespace korvel
