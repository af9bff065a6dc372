#include "firmware/u8g2decode.h"

#include "core/colour.h"

#include <optional>
#include <string>

namespace korvel {

namespace {

constexpr std::size_t kHeaderSize = 23;
/// u8g2 reads each bit field into one byte.
constexpr unsigned kWidestField = 8;
constexpr Rgb kInk = makeRgb(255, 255, 255);

/// The font's bytes, every read checked to lie inside them.
class FontBytes {
public:
    explicit FontBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] bool has(std::size_t at, std::size_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    [[nodiscard]] unsigned byte(std::size_t at) const { return bytes_[at]; }
    /// A 16-bit number, high byte first, as u8g2_font_get_word reads it.
    [[nodiscard]] unsigned word(std::size_t at) const {
        return (unsigned{bytes_[at]} << 8) | bytes_[at + 1];
    }
    [[nodiscard]] int signedByte(std::size_t at) const {
        return static_cast<int>(static_cast<std::int8_t>(bytes_[at]));
    }
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

/// The header fields the glyphs are read with.
struct Fields {
    unsigned zeroBits = 0;
    unsigned oneBits = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned x = 0;
    unsigned y = 0;
    unsigned advance = 0;
    int boxHeight = 0;
    int boxY = 0;
    std::size_t upperA = 0;
    std::size_t lowerA = 0;
    std::size_t unicode = 0;
};

/// One glyph record: the number it is stored under, where its bit stream begins and ends.
struct Record {
    unsigned number = 0;
    std::size_t data = 0;
    std::size_t end = 0;
};

[[nodiscard]] Result<Fields> fieldsOf(const FontBytes& font) {
    if (!font.has(0, kHeaderSize)) {
        return Error{"the u8g2 font is shorter than its 23-byte header"};
    }
    Fields f{font.byte(2),        font.byte(3),  font.byte(4),  font.byte(5),
             font.byte(6),        font.byte(7),  font.byte(8),  static_cast<int>(font.byte(10)),
             font.signedByte(12), font.word(17), font.word(19), font.word(21)};
    for (const unsigned bits : {f.zeroBits, f.oneBits, f.width, f.height, f.x, f.y, f.advance}) {
        if (bits > kWidestField) {
            return Error{"the u8g2 font gives a field of " + std::to_string(bits) +
                         " bits, and u8g2 reads no field wider than 8"};
        }
    }
    return f;
}

[[nodiscard]] Error cutShort() {
    return Error{"the u8g2 font ends inside a glyph"};
}

/// The records of the 8-bit glyphs, then those of the Unicode glyphs, as the font lists them.
[[nodiscard]] Result<std::vector<Record>> recordsOf(const FontBytes& font, const Fields& fields) {
    std::vector<Record> records;
    std::size_t at = kHeaderSize;
    for (;;) {
        if (!font.has(at, 2)) {
            return cutShort();
        }
        const std::size_t length = font.byte(at + 1);
        if (length == 0) {
            break;
        }
        if (length < 2 || !font.has(at, length)) {
            return cutShort();
        }
        records.push_back({font.byte(at), at + 2, at + length});
        at += length;
    }
    // The Unicode section starts with its lookup table; its first entry leads past the table.
    const std::size_t table = kHeaderSize + fields.unicode;
    if (!font.has(table, 4)) {
        return cutShort();
    }
    at = table + font.word(table);
    for (;;) {
        if (!font.has(at, 2)) {
            return cutShort();
        }
        const unsigned number = font.word(at);
        if (number == 0) {
            break;
        }
        if (!font.has(at, 3) || font.byte(at + 2) < 3 || !font.has(at, font.byte(at + 2))) {
            return cutShort();
        }
        records.push_back({number, at + 3, at + font.byte(at + 2)});
        at += font.byte(at + 2);
    }
    return records;
}

/// Where u8g2_font_get_glyph_data finds the bit stream of number, if it finds one.
[[nodiscard]] std::optional<std::size_t> lookUp(const FontBytes& font, const Fields& fields,
                                                unsigned number) {
    std::size_t at = kHeaderSize;
    if (number <= 255) {
        at += number >= 'a' ? fields.lowerA : number >= 'A' ? fields.upperA : 0;
        while (font.has(at, 2) && font.byte(at + 1) != 0) {
            if (font.byte(at) == number) {
                return at + 2;
            }
            at += font.byte(at + 1);
        }
        return std::nullopt;
    }
    at += fields.unicode;
    std::size_t table = at;
    unsigned last = 0;
    do {
        if (!font.has(table, 4)) {
            return std::nullopt;
        }
        at += font.word(table);
        last = font.word(table + 2);
        table += 4;
    } while (last < number);
    while (font.has(at, 3)) {
        const unsigned found = font.word(at);
        if (found == 0) {
            break;
        }
        if (found == number) {
            return at + 3;
        }
        if (font.byte(at + 2) == 0) {
            break; // a record of no length: u8g2 would search here for ever
        }
        at += font.byte(at + 2);
    }
    return std::nullopt;
}

/// Reads a glyph's bit stream as u8g2 does: fields least significant bit first, running on from
/// one byte into the next. Reading past the record's end marks the reader.
class BitReader {
public:
    BitReader(const FontBytes& font, const Record& record)
        : font_(font), position_(record.data * 8), end_(record.end * 8) {}

    [[nodiscard]] unsigned take(unsigned count) {
        unsigned value = 0;
        for (unsigned bit = 0; bit < count; ++bit, ++position_) {
            if (position_ >= end_) {
                overrun_ = true;
                return 0;
            }
            value |= ((font_.byte(position_ / 8) >> (position_ % 8)) & 1U) << bit;
        }
        return value;
    }

    /// A signed field: the unsigned value less half its range, as u8g2 stores offsets.
    [[nodiscard]] int takeSigned(unsigned count) {
        const auto value = static_cast<int>(take(count));
        return count == 0 ? 0 : value - (1 << (count - 1));
    }

    [[nodiscard]] bool overrun() const { return overrun_; }

private:
    const FontBytes& font_;
    std::size_t position_;
    std::size_t end_;
    bool overrun_ = false;
};

/// Where the runs of a glyph have reached inside its box, as u8g2_font_decode_len keeps it.
struct RunPosition {
    int x = 0;
    int y = 0;
};

[[nodiscard]] Result<U8g2Drawn> drawRecord(const FontBytes& font, const Fields& fields,
                                           const Record& record) {
    BitReader bits(font, record);
    const auto width = static_cast<int>(bits.take(fields.width));
    const auto height = static_cast<int>(bits.take(fields.height));
    const int x = bits.takeSigned(fields.x);
    const int y = bits.takeSigned(fields.y);
    const int advance = bits.takeSigned(fields.advance);
    U8g2Drawn drawn;
    drawn.number = static_cast<int>(record.number);
    drawn.baseline = fields.boxHeight + fields.boxY;
    drawn.picture = Picture(std::max(0, advance), fields.boxHeight);
    const std::string which = "the u8g2 glyph " + std::to_string(record.number);
    if (width > 0) {
        // The box's top left corner: x right of the origin, its bottom y rows above the baseline.
        const int left = x;
        const int top = drawn.baseline - (height + y);
        bool outside = false;
        RunPosition at;
        const auto run = [&](unsigned length, bool ink) {
            for (unsigned k = 0; k < length; ++k) {
                if (ink) {
                    const int px = left + at.x;
                    const int py = top + at.y;
                    outside = outside || px < 0 || py < 0 || px >= drawn.picture.width() ||
                              py >= drawn.picture.height();
                    drawn.picture.setPixel(px, py, kInk);
                }
                if (++at.x == width) {
                    at.x = 0;
                    ++at.y;
                }
            }
        };
        do {
            const unsigned zeros = bits.take(fields.zeroBits);
            const unsigned ones = bits.take(fields.oneBits);
            do {
                run(zeros, false);
                run(ones, true);
            } while (bits.take(1) != 0 && !bits.overrun());
        } while (at.y < height && !bits.overrun());
        if (outside) {
            return Error{which + " draws outside its cell"};
        }
    }
    if (bits.overrun()) {
        return Error{which + " reads past the end of its record"};
    }
    return drawn;
}

} // namespace

Result<std::vector<U8g2Drawn>> drawU8g2Font(std::span<const std::uint8_t> bytes) {
    const FontBytes font(bytes);
    const auto fields = fieldsOf(font);
    if (!fields) {
        return fields.error();
    }
    const auto records = recordsOf(font, fields.value());
    if (!records) {
        return records.error();
    }
    std::vector<U8g2Drawn> glyphs;
    for (const Record& record : records.value()) {
        if (lookUp(font, fields.value(), record.number) != record.data) {
            return Error{"u8g2 would not find the glyph stored under " +
                         std::to_string(record.number)};
        }
        auto drawn = drawRecord(font, fields.value(), record);
        if (!drawn) {
            return drawn.error();
        }
        glyphs.push_back(std::move(drawn).value());
    }
    return glyphs;
}

} // namespace korvel
