#include "firmware/u8g2font.h"

#include "core/codepage.h"
#include "firmware/csource.h"
#include "firmware/fontsource.h"
#include "firmware/glyphlabel.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace korvel {

namespace {

constexpr std::size_t kHeaderSize = 23;
constexpr int kLongestRecord = 255;
/// bdfconv tries these field sizes for runs of background and of ink pixels.
constexpr int kFewestRunBits = 2;
constexpr int kMostZeroRunBits = 8;
constexpr int kMostOneRunBits = 6;
/// Unicode glyphs per entry of the lookup table before the Unicode section, as bdfconv counts.
constexpr int kGlyphsPerLookupEntry = 101;

/// A glyph's box as u8g2 stores it: size, left column from the origin, bottom row from the
/// baseline (upwards positive).
struct Box {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

/// One glyph on its way into the font.
struct Entry {
    int code = 0;
    int target = 0; ///< the number it is stored under
    const GlyphRecord* glyph = nullptr;
    InkBox ink;
    Box box;
    int advance = 0;
    /// Runs of background and ink pixels through the box, row by row from the top.
    std::vector<std::pair<int, int>> runs;
};

[[nodiscard]] int unsignedBits(unsigned value) {
    int bits = 0;
    for (; value != 0; value /= 2) {
        ++bits;
    }
    return bits;
}

[[nodiscard]] int signedBits(int value) {
    return value < 0 ? unsignedBits(static_cast<unsigned>(-value - 1)) + 1
                     : unsignedBits(static_cast<unsigned>(value)) + 1;
}

/// The box of a glyph cropped to its ink, as bdfconv crops the box our BDF gives it: a glyph
/// without pixels keeps the empty box at the origin, a blank glyph with pixels shrinks to its
/// top edge.
[[nodiscard]] Box boxOf(const GlyphRecord& glyph, const InkBox& ink, int baselineRow) {
    if (widthOf(glyph) == 0 || heightOf(glyph) == 0) {
        return {};
    }
    if (ink.empty()) {
        return {0, 0, 0, baselineRow};
    }
    return {ink.width, ink.height, ink.left, baselineRow - ink.bottom()};
}

/// Runs of background and ink, in pairs, the first background run possibly empty, the last
/// ink run empty when the box ends in background.
[[nodiscard]] std::vector<std::pair<int, int>> runsOf(const GlyphRecord& glyph, const InkBox& ink) {
    std::vector<int> lengths;
    bool inInk = false;
    int length = 0;
    for (int y = ink.top; y < ink.bottom(); ++y) {
        for (int x = ink.left; x < ink.left + ink.width; ++x) {
            const bool lit = inkAt(glyph, x, y);
            if (lit != inInk) {
                lengths.push_back(length);
                inInk = lit;
                length = 0;
            }
            ++length;
        }
    }
    lengths.push_back(length);
    if (lengths.size() % 2 == 1) {
        lengths.push_back(0);
    }
    std::vector<std::pair<int, int>> runs;
    for (std::size_t k = 0; k < lengths.size(); k += 2) {
        runs.emplace_back(lengths[k], lengths[k + 1]);
    }
    return runs;
}

/// Writes bit fields into bytes, the first bit into the least significant bit; without bytes to
/// write into, only counts the bits.
class LsbBits {
public:
    explicit LsbBits(std::vector<std::uint8_t>* out) : out_(out) {}

    void put(int count, unsigned value) {
        if (out_ == nullptr) {
            bits_ += static_cast<std::size_t>(count);
            return;
        }
        for (int bit = 0; bit < count; ++bit) {
            const int used = static_cast<int>(bits_ % 8);
            if (used == 0) {
                out_->push_back(0);
            }
            if (((value >> bit) & 1U) != 0) {
                out_->back() = static_cast<std::uint8_t>(out_->back() | (1U << used));
            }
            ++bits_;
        }
    }

    [[nodiscard]] std::size_t bits() const { return bits_; }

private:
    std::vector<std::uint8_t>* out_;
    std::size_t bits_ = 0;
};

/// The field sizes of the glyph header, shared by all glyphs.
struct FieldBits {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int advance = 0;
};

/// Writes run pairs with u8g2's repeat bit: a pair equal to the one before is a single 1 bit.
class RunWriter {
public:
    RunWriter(LsbBits& bits, int zeroBits, int oneBits)
        : bits_(bits), zeroBits_(zeroBits), oneBits_(oneBits) {}

    /// A pair of any lengths, split into pairs the fields hold.
    void add(int background, int ink) {
        const int mostZeros = (1 << zeroBits_) - 1;
        const int mostOnes = (1 << oneBits_) - 1;
        while (background > mostZeros) {
            pair(mostZeros, 0);
            background -= mostZeros;
        }
        while (ink > mostOnes) {
            pair(background, mostOnes);
            background = 0;
            ink -= mostOnes;
        }
        if (background != 0 || ink != 0) {
            pair(background, ink);
        }
    }

    /// The 0 bit that ends the last repeat.
    void finish() { bits_.put(1, 0); }

private:
    void pair(int background, int ink) {
        if (!first_ && background == last_.first && ink == last_.second) {
            bits_.put(1, 1);
            return;
        }
        if (!first_) {
            bits_.put(1, 0);
        }
        bits_.put(zeroBits_, static_cast<unsigned>(background));
        bits_.put(oneBits_, static_cast<unsigned>(ink));
        first_ = false;
        last_ = {background, ink};
    }

    LsbBits& bits_;
    int zeroBits_;
    int oneBits_;
    bool first_ = true;
    std::pair<int, int> last_{0, 1};
};

[[nodiscard]] unsigned biased(int value, int bits) {
    return static_cast<unsigned>(value + (1 << (bits - 1)));
}

/// The bit stream of a glyph: its box, its advance, then its runs.
void writeGlyphBits(LsbBits& bits, const Entry& entry, const FieldBits& fields, int zeroBits,
                    int oneBits) {
    bits.put(fields.width, static_cast<unsigned>(entry.box.width));
    bits.put(fields.height, static_cast<unsigned>(entry.box.height));
    bits.put(fields.x, biased(entry.box.x, fields.x));
    bits.put(fields.y, biased(entry.box.y, fields.y));
    bits.put(fields.advance, biased(entry.advance, fields.advance));
    RunWriter runs(bits, zeroBits, oneBits);
    for (const auto& [background, ink] : entry.runs) {
        runs.add(background, ink);
    }
    runs.finish();
}

/// The bytes before a glyph's bit stream: its number (one byte, or two above 255) and length.
[[nodiscard]] std::size_t headBytes(const Entry& entry) {
    return entry.target > 255 ? 3 : 2;
}

/// One glyph record: its number, its length, then the bit stream.
[[nodiscard]] std::vector<std::uint8_t> record(const Entry& entry, const FieldBits& fields,
                                               int zeroBits, int oneBits) {
    std::vector<std::uint8_t> out;
    if (entry.target > 255) {
        out.push_back(static_cast<std::uint8_t>(entry.target >> 8));
    }
    out.push_back(static_cast<std::uint8_t>(entry.target & 0xFF));
    out.push_back(0); // the length, known at the end
    LsbBits bits(&out);
    writeGlyphBits(bits, entry, fields, zeroBits, oneBits);
    out[headBytes(entry) - 1] = static_cast<std::uint8_t>(std::min<std::size_t>(out.size(), 255));
    return out;
}

/// The length of the glyph's record, counted without writing it.
[[nodiscard]] std::size_t recordLength(const Entry& entry, const FieldBits& fields, int zeroBits,
                                       int oneBits) {
    LsbBits bits(nullptr);
    writeGlyphBits(bits, entry, fields, zeroBits, oneBits);
    return headBytes(entry) + (bits.bits() + 7) / 8;
}

[[nodiscard]] FieldBits fieldBitsOf(const std::vector<Entry>& entries) {
    FieldBits fields;
    for (const Entry& e : entries) {
        fields.width = std::max(fields.width, unsignedBits(static_cast<unsigned>(e.box.width)));
        fields.height = std::max(fields.height, unsignedBits(static_cast<unsigned>(e.box.height)));
        fields.x = std::max(fields.x, signedBits(e.box.x));
        fields.y = std::max(fields.y, signedBits(e.box.y));
        fields.advance = std::max(fields.advance, signedBits(e.advance));
    }
    return fields;
}

/// The font's bounding box: the first glyph's box grown over every other one, and (as bdfconv
/// grows it) over each advance taken as a left edge.
[[nodiscard]] Box fontBoxOf(const std::vector<Entry>& entries) {
    if (entries.empty()) {
        return {};
    }
    Box box = entries.front().box;
    for (std::size_t k = 1; k < entries.size(); ++k) {
        const Box& glyph = entries[k].box;
        int left = std::min(box.x, glyph.x);
        left = std::min(left, entries[k].advance);
        const int right = std::max(box.x + box.width, glyph.x + glyph.width);
        const int bottom = std::min(box.y, glyph.y);
        const int top = std::max(box.y + box.height, glyph.y + glyph.height);
        box = {right - left, top - bottom, left, bottom};
    }
    return box;
}

/// The box of the library's glyph of a character, for the header's reference heights: cropped
/// to its ink when the font takes the glyph, else its whole cell, as bdfconv crops only the
/// glyphs it takes.
[[nodiscard]] std::optional<Box> referenceBox(const FontLibrary& library, const CodeList& codes,
                                              char32_t character, const Baseline& baseline,
                                              const CodePage& codePage) {
    const auto code = codePage.fromUnicode(character);
    if (!code || *code >= library.count) {
        return std::nullopt;
    }
    const GlyphRecord& glyph = library.glyphs[*code];
    const int baselineRow = baseline.rowIn(glyph);
    if (std::binary_search(codes.begin(), codes.end(), int{*code})) {
        return boxOf(glyph, inkBoxOf(glyph), baselineRow);
    }
    if (widthOf(glyph) == 0 || heightOf(glyph) == 0) {
        return Box{};
    }
    return Box{widthOf(glyph), heightOf(glyph), 0, baselineRow - heightOf(glyph)};
}

[[nodiscard]] Result<void> checkFields(const Entry& e) {
    const auto fits = [](int value) {
        return value >= std::numeric_limits<std::int8_t>::min() &&
               value <= std::numeric_limits<std::int8_t>::max();
    };
    const std::string which = "Glyph " + glyphLabel(e.code);
    if (!fits(e.advance)) {
        return Error{which + " advances " + std::to_string(e.advance) +
                     " pixels, more than the 127 a u8g2 font can hold."};
    }
    if (!fits(e.box.x)) {
        return Error{which + "'s ink begins " + std::to_string(e.box.x) +
                     " pixels right of its origin, more than the 127 a u8g2 font can hold."};
    }
    if (!fits(e.box.y)) {
        return Error{which + "'s ink ends " + std::to_string(e.box.y) +
                     " rows from the baseline, beyond the -128 to 127 a u8g2 font can hold; "
                     "choose another --baseline."};
    }
    // u8g2 holds a glyph's width and height in signed bytes while it draws, and moves to the
    // glyph's top by a signed byte: a glyph past either is not drawn or drawn out of place.
    if (e.box.width > std::numeric_limits<std::int8_t>::max() ||
        e.box.height > std::numeric_limits<std::int8_t>::max()) {
        return Error{which + "'s ink is " + std::to_string(e.box.width) + " x " +
                     std::to_string(e.box.height) +
                     " pixels, more than the 127 x 127 a u8g2 font can draw."};
    }
    if (const int top = e.box.y + e.box.height; !fits(-top)) {
        return Error{which + "'s ink reaches " + std::to_string(top) +
                     " rows above the baseline, beyond the -127 to 128 a u8g2 font can place; "
                     "choose another --baseline."};
    }
    return {};
}

/// The font's box and reference heights, which u8g2 reads as signed bytes.
[[nodiscard]] Result<void> checkHeader(const U8g2Header& h) {
    constexpr int kMost = std::numeric_limits<std::int8_t>::max();
    if (h.boxWidth > kMost || h.boxHeight > kMost) {
        return Error{"The glyphs' common box is " + std::to_string(h.boxWidth) + " x " +
                     std::to_string(h.boxHeight) +
                     " pixels, more than the 127 x 127 a u8g2 font can hold."};
    }
    const std::pair<const char*, int> fields[] = {{"common box's left column", h.boxX},
                                                  {"common box's bottom row", h.boxY},
                                                  {"ascent of the reference glyph", h.ascentA},
                                                  {"descent of 'g'", h.descentG},
                                                  {"ascent of '('", h.ascentParen},
                                                  {"descent of '('", h.descentParen}};
    for (const auto& [what, value] : fields) {
        if (value < std::numeric_limits<std::int8_t>::min() || value > kMost) {
            return Error{std::string("The font's ") + what + " is " + std::to_string(value) +
                         ", beyond the -128 to 127 a u8g2 font can hold; choose another "
                         "--baseline."};
        }
    }
    return {};
}

[[nodiscard]] Result<std::vector<Entry>> entriesOf(const FontLibrary& library,
                                                   const CodeList& codes, const Baseline& baseline,
                                                   U8g2Encoding encoding,
                                                   const CodePage& codePage) {
    std::vector<Entry> entries;
    entries.reserve(codes.size());
    for (const int code : codes) {
        Entry e;
        e.code = code;
        if (encoding == U8g2Encoding::Code) {
            e.target = code;
        } else if (const auto character = codePage.toUnicode(static_cast<std::uint8_t>(code))) {
            e.target = static_cast<int>(*character);
        } else {
            continue; // no character to find it under
        }
        e.glyph = &library.glyphs[static_cast<std::size_t>(code)];
        e.ink = inkBoxOf(*e.glyph);
        e.box = boxOf(*e.glyph, e.ink, baseline.rowIn(*e.glyph));
        e.advance = widthOf(*e.glyph);
        if (const Result<void> fits = checkFields(e); !fits) {
            return fits.error();
        }
        e.runs = runsOf(*e.glyph, e.ink);
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.target < b.target; });
    return entries;
}

[[nodiscard]] std::size_t fontBits(const std::vector<Entry>& entries, const FieldBits& fields,
                                   int zeroBits, int oneBits) {
    std::size_t total = 0;
    for (const Entry& e : entries) {
        total += recordLength(e, fields, zeroBits, oneBits) * 8;
    }
    return total;
}

/// The run field sizes that make the smallest font; the first of equals, in bdfconv's order.
[[nodiscard]] std::pair<int, int> smallestRunBits(const std::vector<Entry>& entries,
                                                  const FieldBits& fields) {
    std::pair<int, int> best{kFewestRunBits, kFewestRunBits};
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (int zeros = kFewestRunBits; zeros <= kMostZeroRunBits; ++zeros) {
        for (int ones = kFewestRunBits; ones <= kMostOneRunBits; ++ones) {
            const std::size_t bits = fontBits(entries, fields, zeros, ones);
            if (bits < fewest) {
                fewest = bits;
                best = {zeros, ones};
            }
        }
    }
    return best;
}

void putWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value) {
    bytes[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

/// Where the record of an 8-bit number begins, counted from the end of the header; 0 when the
/// font has none.
[[nodiscard]] std::size_t recordOffset(const std::vector<std::uint8_t>& bytes, int number) {
    std::size_t at = kHeaderSize;
    while (at + 1 < bytes.size() && bytes[at + 1] != 0) {
        if (bytes[at] == number) {
            return at - kHeaderSize;
        }
        at += bytes[at + 1];
    }
    return 0;
}

[[nodiscard]] std::uint8_t byteOf(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

[[nodiscard]] U8g2Header headerOf(const FontLibrary& library, const CodeList& codes,
                                  const Baseline& baseline, const CodePage& codePage,
                                  const std::vector<Entry>& entries, const FieldBits& fields,
                                  std::pair<int, int> runBits) {
    U8g2Header h;
    h.glyphCount = static_cast<int>(entries.size());
    h.zeroBits = runBits.first;
    h.oneBits = runBits.second;
    h.widthBits = fields.width;
    h.heightBits = fields.height;
    h.xBits = fields.x;
    h.yBits = fields.y;
    h.advanceBits = fields.advance;
    const Box box = fontBoxOf(entries);
    h.boxWidth = box.width;
    h.boxHeight = box.height;
    h.boxX = box.x;
    h.boxY = box.y;
    const auto ascentOf = [](const std::optional<Box>& b) { return b ? b->height + b->y : 0; };
    const auto a = referenceBox(library, codes, U'A', baseline, codePage);
    const auto one = referenceBox(library, codes, U'1', baseline, codePage);
    const auto g = referenceBox(library, codes, U'g', baseline, codePage);
    const auto paren = referenceBox(library, codes, U'(', baseline, codePage);
    h.ascentA = ascentOf(a) > 0 ? ascentOf(a) : ascentOf(one);
    h.descentG = g ? g->y : 0;
    if (paren) {
        h.ascentParen = ascentOf(paren);
        h.descentParen = paren->y;
    } else {
        h.ascentParen = ascentOf(a) != 0 ? ascentOf(a) : ascentOf(one);
        h.descentParen = h.descentG;
    }
    return h;
}

void appendHeader(std::vector<std::uint8_t>& bytes, const U8g2Header& h) {
    for (const int value : {h.glyphCount, 0, h.zeroBits, h.oneBits, h.widthBits, h.heightBits,
                            h.xBits, h.yBits, h.advanceBits, h.boxWidth, h.boxHeight, h.boxX,
                            h.boxY, h.ascentA, h.descentG, h.ascentParen, h.descentParen}) {
        bytes.push_back(byteOf(value));
    }
    bytes.resize(kHeaderSize, 0); // the three offsets, filled in at the end
}

/// The Unicode section: a lookup table of (offset, last number) entries over blocks of glyphs,
/// then the glyph records, then two zero bytes. Built as bdfconv builds it.
[[nodiscard]] Result<void>
appendUnicodeSection(std::vector<std::uint8_t>& bytes,
                     const std::vector<std::vector<std::uint8_t>>& records,
                     const std::vector<int>& numbers) {
    const std::size_t tableLength = records.size() / kGlyphsPerLookupEntry;
    const std::size_t tableStart = bytes.size();
    for (std::size_t k = 1; k < tableLength; ++k) {
        bytes.insert(bytes.end(), {0, 0, 0, 0});
    }
    bytes.insert(bytes.end(), {0, 4, 0xFF, 0xFF}); // with no block: skip the table
    std::size_t entry = 0;
    std::size_t inBlock = 0;
    std::size_t lastDelta = bytes.size() - tableStart;
    std::size_t blockStart = bytes.size();
    const auto setEntry = [&](std::size_t delta, int last) {
        if (delta > 0xFFFF) {
            return false;
        }
        const std::size_t at = tableStart + entry * 4;
        putWord(bytes, at, delta);
        bytes[at + 2] = static_cast<std::uint8_t>(bytes[at + 2] | ((last >> 8) & 0xFF));
        bytes[at + 3] = static_cast<std::uint8_t>(bytes[at + 3] | (last & 0xFF));
        return true;
    };
    for (std::size_t k = 0; k < records.size(); ++k) {
        bytes.insert(bytes.end(), records[k].begin(), records[k].end());
        if (++inBlock > kGlyphsPerLookupEntry && entry < tableLength) {
            if (!setEntry(lastDelta, numbers[k])) {
                return Error{"The font's Unicode glyphs are too large for u8g2's 16-bit offsets."};
            }
            ++entry;
            inBlock = 0;
            lastDelta = bytes.size() - blockStart;
            blockStart = bytes.size();
        }
    }
    if (entry < tableLength) {
        if (!setEntry(lastDelta, 0xFFFF)) {
            return Error{"The font's Unicode glyphs are too large for u8g2's 16-bit offsets."};
        }
    }
    bytes.insert(bytes.end(), {0, 0});
    return {};
}

} // namespace

Result<U8g2Font> encodeU8g2Font(const FontLibrary& library, const CodeList& codes,
                                const Baseline& baseline, U8g2Encoding encoding,
                                const CodePage& codePage) {
    auto made = entriesOf(library, codes, baseline, encoding, codePage);
    if (!made) {
        return made.error();
    }
    const std::vector<Entry>& entries = made.value();
    const FieldBits fields = fieldBitsOf(entries);
    const auto runBits = smallestRunBits(entries, fields);

    U8g2Font font;
    font.header = headerOf(library, codes, baseline, codePage, entries, fields, runBits);
    if (const Result<void> fits = checkHeader(font.header); !fits) {
        return fits.error();
    }
    std::vector<std::uint8_t>& bytes = font.bytes;
    appendHeader(bytes, font.header);
    std::vector<std::vector<std::uint8_t>> unicodeRecords;
    std::vector<int> unicodeNumbers;
    for (const Entry& e : entries) {
        auto bits = record(e, fields, runBits.first, runBits.second);
        const std::size_t length = bits.size();
        if (length > static_cast<std::size_t>(kLongestRecord)) {
            return Error{"Glyph " + glyphLabel(e.code) + " needs a u8g2 record of " +
                         std::to_string(length) + " bytes, more than the 255 a u8g2 font holds."};
        }
        if (e.target <= 255) {
            bytes.insert(bytes.end(), bits.begin(), bits.end());
            continue;
        }
        unicodeRecords.push_back(std::move(bits));
        unicodeNumbers.push_back(e.target);
    }
    bytes.insert(bytes.end(), {0, 0}); // the end of the 8-bit section
    const std::size_t unicodeStart = bytes.size() - kHeaderSize;
    if (const Result<void> added = appendUnicodeSection(bytes, unicodeRecords, unicodeNumbers);
        !added) {
        return added.error();
    }
    const std::size_t upperA = recordOffset(bytes, 'A');
    const std::size_t lowerA = recordOffset(bytes, 'a');
    if (unicodeStart > 0xFFFF) {
        return Error{"The font takes " + std::to_string(bytes.size()) +
                     " bytes, more than u8g2's 16-bit offsets reach; export fewer codes."};
    }
    putWord(bytes, 17, upperA);
    putWord(bytes, 19, lowerA);
    putWord(bytes, 21, unicodeStart);
    return font;
}

} // namespace korvel

// ---- The C file ----

namespace korvel {

namespace {

/// The longest string C99 compilers must take; a larger font is written as a list of numbers.
constexpr std::size_t kLongestString = 4095;
constexpr std::size_t kBytesPerLine = 32;

/// A byte inside the string as bdfconv writes it: octal escapes for control bytes, quotes,
/// backslashes, question marks (no trigraph can form) and digits (no escape runs on into one),
/// and for bytes from 127 up; every other byte as itself.
void appendStringByte(std::string& out, std::uint8_t byte) {
    const bool plain = byte >= 32 && byte < 127 && byte != '"' && byte != '\\' && byte != '?' &&
                       (byte < '0' || byte > '9');
    if (plain) {
        out += static_cast<char>(byte);
        return;
    }
    out += '\\';
    std::string digits;
    for (unsigned value = byte; digits.empty() || value != 0; value /= 8) {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 8));
    }
    out += digits;
}

void writeAsString(PlainCSource& source, const std::vector<std::uint8_t>& bytes) {
    // The string's own terminating zero is the font's last byte.
    const std::size_t length = bytes.size() - 1;
    for (std::size_t start = 0; start < length; start += kBytesPerLine) {
        std::string text = "  \"";
        for (std::size_t k = start; k < std::min(length, start + kBytesPerLine); ++k) {
            appendStringByte(text, bytes[k]);
        }
        text += start + kBytesPerLine >= length ? "\";" : "\"";
        source.line(text);
    }
}

void writeAsList(PlainCSource& source, const std::vector<std::uint8_t>& bytes) {
    source.line("{");
    for (std::size_t start = 0; start < bytes.size(); start += 16) {
        std::string text = "   ";
        for (std::size_t k = start; k < std::min(bytes.size(), start + 16); ++k) {
            text += " " + hexByte(bytes[k]) + ",";
        }
        source.line(text);
    }
    source.line("};");
}

[[nodiscard]] std::vector<std::string> u8g2About(const FontExportOptions& options,
                                                 const CodeList& codes, const Baseline& baseline,
                                                 const U8g2Font& font) {
    const std::string& n = options.name;
    const std::string stored =
        options.encoding == U8g2Encoding::Code
            ? "Each glyph is stored under its code in the library, for u8g2_DrawStr."
            : "Each glyph is stored under the Unicode value of its " +
                  std::string(options.codePage.caption()) + " character, for u8g2_DrawUTF8.";
    return {
        options.source + " as a u8g2 font, made by korvel-cli export-c " +
            fontOptionText(options, codes),
        "",
        "Include u8g2.h (or U8g2lib.h) first, then u8g2_SetFont(&u8g2, " + n + ") (u8g2.setFont(" +
            n + ") in C++). " + stored + " " + std::to_string(codes.size()) +
            " glyphs in u8g2's run-length format, bounding-box "
            "mode 0, each cropped to its ink; they stand on a baseline " +
            baselinePhrase(baseline) + ". Runs take " + std::to_string(font.header.zeroBits) +
            " bits of background and " + std::to_string(font.header.oneBits) +
            " bits of ink, the sizes that make the smallest font.",
    };
}

} // namespace

Result<std::string> exportU8g2C(const FontLibrary& library, const FontExportOptions& options,
                                const CodeList& codes) {
    const Baseline baseline = resolveBaseline(library, options.baseline);
    auto encoded = encodeU8g2Font(library, codes, baseline, options.encoding, options.codePage);
    if (!encoded) {
        return encoded.error();
    }
    const U8g2Font& font = encoded.value();
    const std::string& n = options.name;
    const auto about = u8g2About(options, codes, baseline, font);
    PlainCSource source(about);
    source.line("#include <stdint.h>");
    source.line("");
    source.line("/* u8g2.h places fonts in program memory; without it the font is plain data. */");
    source.line("#ifndef U8G2_FONT_SECTION");
    source.line("#define U8G2_FONT_SECTION(name)");
    source.line("#endif");
    source.line("");
    source.line("const uint8_t " + n + "[" + std::to_string(font.bytes.size()) +
                "] U8G2_FONT_SECTION(\"" + n + "\") =");
    if (font.bytes.size() - 1 <= kLongestString) {
        writeAsString(source, font.bytes);
    } else {
        writeAsList(source, font.bytes);
    }
    return source.finish();
}

} // namespace korvel
