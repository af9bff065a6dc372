#include "formats/bdf.h"

#include "core/bits.h"
#include "core/codepage.h"
#include "core/encodedrows.h"
#include "core/fontmetrics.h"
#include "core/glyphnames.h"
#include "core/numbertext.h"
#include "core/textcodes.h"
#include "formats/lcm.h"
#include "formats/rows.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace korvel {

namespace {

constexpr int kFirstUpperCode = 128;
constexpr int kResolution = 72;

// ---- Writing ----

/// One bitmap row: the row's pixels in bytes of 8, leftmost pixel in the top bit, ink a 1 bit,
/// as hex digits.
[[nodiscard]] std::string bitmapRow(const GlyphRecord& glyph, int width, int y) {
    std::vector<std::uint8_t> bytes;
    appendRowBits(bytes, width, BitOrder::MsbFirst, true,
                  [&](int x) { return inkAt(glyph, x, y); });
    std::string row;
    for (const std::uint8_t byte : bytes) {
        row += hexDigits(byte);
    }
    return row;
}

/// The font name as an XLFD family: printable ASCII without the characters XLFD reserves.
[[nodiscard]] std::string familyName(std::string_view name) {
    std::string family;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            family += '_';
        } else if (c == '-' || c == '*' || c == '?' || c == ',' || c == '"') {
            family += ' ';
        } else {
            family += c;
        }
    }
    const auto first = family.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "Korvel";
    }
    return family.substr(first, family.find_last_not_of(' ') - first + 1);
}

/// The Unicode value a code is written with, or nothing for a code its code page leaves
/// undefined and for the C1 control characters, which no font tool expects in a font.
[[nodiscard]] std::optional<char32_t> unicodeOfCode(int code, const CodePage& page) {
    const auto byte = static_cast<std::uint8_t>(code);
    const auto character = page.toUnicode(byte);
    if (!character || !page.defines(byte) || (*character >= 0x80 && *character <= 0x9F)) {
        return std::nullopt;
    }
    return character;
}

/// The glyph's standard name: its character's, and for an undefined code the name of the control
/// character of its number ("uni0081") or, above those, "code" and the number.
[[nodiscard]] std::string glyphNameOfCode(int code, const CodePage& page) {
    const auto character = page.toUnicode(static_cast<std::uint8_t>(code));
    return character ? glyphName(*character) : "code" + std::to_string(code);
}

void appendGlyph(std::string& out, const GlyphRecord& glyph, int code, int pixelSize,
                 const Baseline& baseline, const CodePage& page) {
    const int width = std::max(0, glyph.width);
    const int height = std::max(0, glyph.height);
    const auto unicode = unicodeOfCode(code, page);
    out += "STARTCHAR " + glyphNameOfCode(code, page) + "\n";
    out += "ENCODING " + (unicode ? std::to_string(*unicode) : std::string("-1")) + "\n";
    // The scalable width in thousandths of the point size, which is the pixel size at 72 dpi.
    out += "SWIDTH " + std::to_string((width * 1000 + pixelSize / 2) / pixelSize) + " 0\n";
    out += "DWIDTH " + std::to_string(width) + " 0\n";
    // A box without pixels is written 0 x 0, the one empty box every reader takes.
    const bool hasPixels = width > 0 && height > 0;
    const int bottom = baseline.rowIn(glyph) - height;
    out += hasPixels ? "BBX " + std::to_string(width) + " " + std::to_string(height) + " 0 " +
                           std::to_string(bottom) + "\n"
                     : std::string("BBX 0 0 0 0\n");
    out += "BITMAP\n";
    if (hasPixels) {
        for (int y = 0; y < height; ++y) {
            out += bitmapRow(glyph, width, y) + "\n";
        }
    }
    out += "ENDCHAR\n";
}

/// "P" for a proportional font, "C" when every glyph has one width and one height.
[[nodiscard]] std::string spacing(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count) {
    for (int code = 1; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        if (glyph.width != glyphs[0].width || glyph.height != glyphs[0].height) {
            return "P";
        }
    }
    return "C";
}

[[nodiscard]] std::string quoted(std::string_view value) {
    return "\"" + std::string(value) + "\"";
}

/// The font-wide figures of an export.
struct ExportMetrics {
    int widest = 0;
    int tallest = 0;
    int pixelSize = 1;          ///< the tallest glyph, at least 1
    int ascent = 0;             ///< rows above the baseline
    int descent = 0;            ///< rows below it
    long long averageWidth = 0; ///< in tenths of a pixel
    std::string spacing;
};

[[nodiscard]] ExportMetrics exportMetrics(const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                          int count, const Baseline& baseline) {
    ExportMetrics metrics;
    long long widthSum = 0;
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        metrics.widest = std::max(metrics.widest, glyph.width);
        metrics.tallest = std::max(metrics.tallest, glyph.height);
        widthSum += std::max(0, glyph.width);
    }
    metrics.pixelSize = std::max(1, metrics.tallest);
    metrics.ascent = baseline.row.value_or(metrics.tallest);
    metrics.descent = std::max(0, metrics.tallest - metrics.ascent);
    metrics.averageWidth = count > 0 ? (widthSum * 10 + count / 2) / count : 0;
    metrics.spacing = spacing(glyphs, count);
    return metrics;
}

/// Everything before CHARS: the XLFD name, the size at 72 dpi, the bounding box and the
/// properties font tools look for, Unicode as the character set.
[[nodiscard]] std::string fontHeader(const ExportMetrics& metrics, const std::string& family) {
    const std::string pixels = std::to_string(metrics.pixelSize);
    const std::string points = std::to_string(metrics.pixelSize * 10);
    const std::string resolution = std::to_string(kResolution);
    const std::string averageWidth = std::to_string(metrics.averageWidth);
    const std::string ascent = std::to_string(metrics.ascent);
    const std::string descent = std::to_string(metrics.descent);
    std::string out = "STARTFONT 2.1\n";
    out += "FONT -Korvel-" + family + "-Medium-R-Normal--" + pixels + "-" + points + "-" +
           resolution + "-" + resolution + "-" + metrics.spacing + "-" + averageWidth +
           "-ISO10646-1\n";
    out += "SIZE " + pixels + " " + resolution + " " + resolution + "\n";
    out += "FONTBOUNDINGBOX " + std::to_string(metrics.widest) + " " +
           std::to_string(metrics.tallest) + " 0 " + std::to_string(-metrics.descent) + "\n";
    out += "STARTPROPERTIES 16\n";
    out += "FOUNDRY \"Korvel\"\n";
    out += "FAMILY_NAME " + quoted(family) + "\n";
    out += "WEIGHT_NAME \"Medium\"\n";
    out += "SLANT \"R\"\n";
    out += "SETWIDTH_NAME \"Normal\"\n";
    out += "ADD_STYLE_NAME \"\"\n";
    out += "PIXEL_SIZE " + pixels + "\n";
    out += "POINT_SIZE " + points + "\n";
    out += "RESOLUTION_X " + resolution + "\n";
    out += "RESOLUTION_Y " + resolution + "\n";
    out += "SPACING " + quoted(metrics.spacing) + "\n";
    out += "AVERAGE_WIDTH " + averageWidth + "\n";
    out += "CHARSET_REGISTRY \"ISO10646\"\n";
    out += "CHARSET_ENCODING \"1\"\n";
    out += "FONT_ASCENT " + ascent + "\n";
    out += "FONT_DESCENT " + descent + "\n";
    out += "ENDPROPERTIES\n";
    return out;
}

// ---- Reading ----

/// The next whitespace-separated word of a line, removed from it.
[[nodiscard]] std::string_view nextWord(std::string_view& line) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < line.size() && !isBlank(line[end])) {
        ++end;
    }
    const std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

/// A property value without its surrounding blanks and double quotes.
[[nodiscard]] std::string_view stringValue(std::string_view rest) {
    const auto first = rest.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    rest = rest.substr(first, rest.find_last_not_of(" \t\r") - first + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        rest = rest.substr(1, rest.size() - 2);
    }
    return rest;
}

[[nodiscard]] Error lineError(int lineNumber, const std::string& what) {
    return Error{"line " + std::to_string(lineNumber) + ": " + what};
}

/// Reads count numbers from the rest of a line, each within the metric limit.
[[nodiscard]] Result<std::vector<int>> metrics(std::string_view rest, int count, int lineNumber,
                                               std::string_view keyword) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        const auto value = parseNumber<int>(nextWord(rest));
        if (!value || *value < -kBdfMaxMetric || *value > kBdfMaxMetric) {
            return lineError(lineNumber, std::string(keyword) + " needs " + std::to_string(count) +
                                             " numbers within -" + std::to_string(kBdfMaxMetric) +
                                             " to " + std::to_string(kBdfMaxMetric));
        }
        values.push_back(*value);
    }
    return values;
}

/// A glyph as the text gives it; its name and rows still point into the text.
struct RawGlyph {
    int line = 0;
    std::string_view name;
    std::optional<int> encoding;
    std::optional<int> advance;
    int boxWidth = 0;
    int boxHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    int rowCount = 0;
    std::vector<std::string_view> rows;

    [[nodiscard]] bool hasBox() const { return boxWidth > 0 && boxHeight > 0; }
};

/// What the header and the properties of the font say.
struct FontHeader {
    std::optional<int> ascent;
    std::optional<int> descent;
    std::optional<int> boxWidth;
    std::optional<int> boxHeight;
    std::optional<int> boxOffsetY;
    std::string_view fontName;
    std::optional<std::string_view> registry;
    std::optional<std::string_view> encoding;
};

/// Reads the text line by line into the header and the glyphs it holds.
class BdfParser {
public:
    explicit BdfParser(std::string_view text) : text_(text) {}

    [[nodiscard]] Result<void> parse();
    [[nodiscard]] const FontHeader& header() const { return header_; }
    [[nodiscard]] const std::vector<RawGlyph>& glyphs() const { return glyphs_; }

private:
    [[nodiscard]] bool nextLine(std::string_view& line);
    [[nodiscard]] Result<void> headerLine(std::string_view keyword, std::string_view rest);
    [[nodiscard]] Result<void> propertyLine(std::string_view keyword, std::string_view rest);
    [[nodiscard]] Result<void> glyphLine(std::string_view keyword, std::string_view rest);
    [[nodiscard]] Result<void> endGlyph();
    [[nodiscard]] Result<void> fontMetric(std::string_view keyword, std::string_view rest);

    std::string_view text_;
    int lineNumber_ = 0;
    bool started_ = false;
    int propertiesLine_ = 0;     ///< the STARTPROPERTIES line while inside the properties, else 0
    int propertiesDeclared_ = 0; ///< the count STARTPROPERTIES gives
    int propertiesRead_ = 0;     ///< property lines read so far, COMMENT lines included
    int propertyComments_ = 0;   ///< COMMENT lines among them
    bool inGlyph_ = false;
    bool inBitmap_ = false;
    bool ended_ = false;
    FontHeader header_;
    RawGlyph glyph_;
    std::vector<RawGlyph> glyphs_;
};

bool BdfParser::nextLine(std::string_view& line) {
    if (text_.empty()) {
        return false;
    }
    const std::size_t end = text_.find('\n');
    line = text_.substr(0, end);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
    ++lineNumber_;
    return true;
}

Result<void> BdfParser::parse() {
    std::string_view line;
    while (!ended_ && nextLine(line)) {
        std::string_view rest = line;
        const std::string_view keyword = nextWord(rest);
        if (!started_) {
            if (keyword.empty() || keyword == "COMMENT") {
                continue;
            }
            if (keyword != "STARTFONT") {
                return Error{"it does not begin with STARTFONT, so it is not a BDF font"};
            }
            started_ = true;
            continue;
        }
        const Result<void> status = inGlyph_              ? glyphLine(keyword, rest)
                                    : propertiesLine_ > 0 ? propertyLine(keyword, rest)
                                                          : headerLine(keyword, rest);
        if (!status) {
            return status;
        }
    }
    if (!started_) {
        return Error{"it does not begin with STARTFONT, so it is not a BDF font"};
    }
    if (inGlyph_) {
        return lineError(glyph_.line, "the glyph begun here has no ENDCHAR: the font is cut short");
    }
    if (propertiesLine_ > 0) {
        return lineError(propertiesLine_,
                         "the properties begun here have no ENDPROPERTIES: the font is cut short");
    }
    if (!ended_) {
        return Error{"it ends before ENDFONT: the font is cut short"};
    }
    return {};
}

Result<void> BdfParser::fontMetric(std::string_view keyword, std::string_view rest) {
    auto value = metrics(rest, 1, lineNumber_, keyword);
    if (!value) {
        return value.error();
    }
    (keyword == "FONT_ASCENT" ? header_.ascent : header_.descent) = value.value()[0];
    return {};
}

Result<void> BdfParser::headerLine(std::string_view keyword, std::string_view rest) {
    if (keyword == "STARTCHAR") {
        inGlyph_ = true;
        inBitmap_ = false;
        glyph_ = RawGlyph{};
        glyph_.line = lineNumber_;
        glyph_.name = stringValue(rest);
    } else if (keyword == "ENDFONT") {
        ended_ = true;
    } else if (keyword == "STARTPROPERTIES") {
        auto count = metrics(rest, 1, lineNumber_, keyword);
        if (!count) {
            return count.error();
        }
        propertiesLine_ = lineNumber_;
        propertiesDeclared_ = count.value()[0];
        propertiesRead_ = 0;
        propertyComments_ = 0;
    } else if (keyword == "FONT") {
        header_.fontName = stringValue(rest);
    } else if (keyword == "FONTBOUNDINGBOX") {
        auto box = metrics(rest, 4, lineNumber_, keyword);
        if (!box) {
            return box.error();
        }
        header_.boxWidth = box.value()[0];
        header_.boxHeight = box.value()[1];
        header_.boxOffsetY = box.value()[3];
    } else if (keyword == "FONT_ASCENT" || keyword == "FONT_DESCENT") {
        // Not where BDF puts them, but some writers do, and the meaning is plain.
        return fontMetric(keyword, rest);
    }
    // Every other header line (sizes, comments, counts) does not shape the glyphs.
    return {};
}

Result<void> BdfParser::propertyLine(std::string_view keyword, std::string_view rest) {
    // Every line up to ENDPROPERTIES is a property, whatever its name (STARTCHAR and ENDFONT
    // included); the count STARTPROPERTIES gives tells whether the block is whole.
    if (keyword == "ENDPROPERTIES") {
        const int begun = std::exchange(propertiesLine_, 0);
        // Writers differ on whether COMMENT lines among the properties count.
        if (propertiesRead_ != propertiesDeclared_ &&
            propertiesRead_ - propertyComments_ != propertiesDeclared_) {
            return lineError(lineNumber_, "the properties begun at line " + std::to_string(begun) +
                                              " are " + std::to_string(propertiesRead_) +
                                              " lines, but STARTPROPERTIES says " +
                                              std::to_string(propertiesDeclared_));
        }
        return {};
    }
    ++propertiesRead_;
    if (keyword == "COMMENT") {
        ++propertyComments_;
    } else if (keyword == "FONT_ASCENT" || keyword == "FONT_DESCENT") {
        return fontMetric(keyword, rest);
    } else if (keyword == "CHARSET_REGISTRY") {
        header_.registry = stringValue(rest);
    } else if (keyword == "CHARSET_ENCODING") {
        header_.encoding = stringValue(rest);
    }
    // Any other property is a property and nothing more.
    return {};
}

Result<void> BdfParser::endGlyph() {
    inGlyph_ = false;
    if (glyph_.rowCount != glyph_.boxHeight) {
        return lineError(lineNumber_, "the glyph begun at line " + std::to_string(glyph_.line) +
                                          " has " + std::to_string(glyph_.rowCount) +
                                          " BITMAP rows, but its BBX says " +
                                          std::to_string(glyph_.boxHeight));
    }
    glyphs_.push_back(std::move(glyph_));
    return {};
}

Result<void> BdfParser::glyphLine(std::string_view keyword, std::string_view rest) {
    if (keyword == "ENDCHAR") {
        return endGlyph();
    }
    if (inBitmap_) {
        // Rows beyond the box are counted, not kept, so the count costs no memory.
        if (glyph_.rowCount < glyph_.boxHeight) {
            glyph_.rows.push_back(keyword);
        }
        ++glyph_.rowCount;
        return {};
    }
    if (keyword == "ENCODING") {
        // Out-of-range and unparsable encodings alike mean "no code of its own".
        const auto code = parseNumber<int>(nextWord(rest));
        glyph_.encoding = code.value_or(-1);
    } else if (keyword == "DWIDTH") {
        auto advance = metrics(rest, 1, lineNumber_, keyword);
        if (!advance) {
            return advance.error();
        }
        glyph_.advance = advance.value()[0];
    } else if (keyword == "BBX") {
        auto box = metrics(rest, 4, lineNumber_, keyword);
        if (!box) {
            return box.error();
        }
        if (box.value()[0] < 0 || box.value()[1] < 0) {
            return lineError(lineNumber_, "BBX gives a negative size");
        }
        glyph_.boxWidth = box.value()[0];
        glyph_.boxHeight = box.value()[1];
        glyph_.offsetX = box.value()[2];
        glyph_.offsetY = box.value()[3];
    } else if (keyword == "BITMAP") {
        inBitmap_ = true;
    } else if (keyword == "STARTCHAR" || keyword == "ENDFONT") {
        return lineError(lineNumber_, std::string(keyword) + " inside the glyph begun at line " +
                                          std::to_string(glyph_.line));
    }
    return {};
}

// ---- Character sets ----

/// How a font's encodings turn into the codes of the library's code page: as Unicode values,
/// through the font's own 8-bit code page, or taken as they are.
enum class CodeRule : std::uint8_t { Unicode, CharsetTable, AsTheyAre };

/// The rule for a font's character set, with the code page its encodings are in.
struct CharsetCodes {
    CodeRule rule = CodeRule::AsTheyAre;
    std::optional<CodePage> fontPage; ///< the character set's own code page, when Korvel has it
};

/// The character set as REGISTRY-ENCODING in capitals: from the properties, else from the last two
/// fields of an XLFD font name; empty when neither gives one.
[[nodiscard]] std::string charsetOf(const FontHeader& header) {
    if (header.registry && header.encoding) {
        return asciiUpperCase(std::string(*header.registry) + "-" + std::string(*header.encoding));
    }
    const std::string_view name = header.fontName;
    if (!name.starts_with("-") || std::count(name.begin(), name.end(), '-') != 14) {
        return {};
    }
    const std::size_t lastDash = name.rfind('-');
    const std::size_t registryDash = name.rfind('-', lastDash - 1);
    return asciiUpperCase(name.substr(registryDash + 1));
}

/// The supported code page a character set names: "KOI8-R", "ISO8859-5", "MICROSOFT-CP1251",
/// "WINDOWS-1251", "IBM-CP866".
[[nodiscard]] std::optional<CodePage> codePageOfCharset(std::string_view charset) {
    if (const auto whole = codePageByName(charset)) {
        return whole;
    }
    const std::size_t dash = charset.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view registry = charset.substr(0, dash);
    if (registry == "MICROSOFT" || registry == "IBM" || registry == "DOS") {
        return codePageByName(charset.substr(dash + 1));
    }
    return std::nullopt;
}

[[nodiscard]] CharsetCodes charsetCodesOf(std::string_view charset, const BdfCodes& codes) {
    if (charset == "ISO10646-1" || charset == "ISO8859-1") {
        return {CodeRule::Unicode, std::nullopt}; // ISO 8859-1 is the first 256 of Unicode
    }
    const auto fontPage = codePageOfCharset(charset);
    if (fontPage && codes.throughCharsetTable && *fontPage != codes.page) {
        return {CodeRule::CharsetTable, fontPage};
    }
    return {CodeRule::AsTheyAre, fontPage};
}

/// The code of a glyph named as glyphNameOfCode names a code that stands for no character
/// ("code170"), when page leaves that code without a character too; else nothing.
[[nodiscard]] std::optional<int> codeWithoutCharacter(std::string_view name, const CodePage& page) {
    constexpr std::string_view kPrefix = "code";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size() ||
        name[kPrefix.size()] == '0') {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kPrefix.size());
    int code = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (error != std::errc{} || end != digits.data() + digits.size() || code < 0 ||
        code >= kGlyphSlots || page.toUnicode(static_cast<std::uint8_t>(code))) {
        return std::nullopt;
    }
    return code;
}

/// The library code a glyph lands on, or nothing.
[[nodiscard]] std::optional<int> codeOf(const RawGlyph& glyph, const CharsetCodes& charset,
                                        const CodePage& page) {
    const int encoding = glyph.encoding.value_or(-1);
    std::optional<char32_t> character;
    if (encoding < 0) {
        // An unencoded glyph of a Unicode or Latin-1 font may still say by its standard name
        // which character it is. In a font whose codes are taken as they are or read through
        // its own table, a standard name tells no code of that font's own: such a glyph is
        // skipped.
        if (charset.rule != CodeRule::Unicode) {
            return std::nullopt;
        }
        character = characterOfGlyphName(glyph.name);
        if (!character) {
            // A code that stands for no character in the page it was written from comes back
            // to the same code of a page that leaves it so as well.
            return codeWithoutCharacter(glyph.name, page);
        }
    } else if (charset.rule == CodeRule::AsTheyAre) {
        return encoding < kGlyphSlots ? std::optional<int>(encoding) : std::nullopt;
    } else if (charset.rule == CodeRule::Unicode) {
        character = static_cast<char32_t>(encoding);
    } else if (encoding < kGlyphSlots) {
        character = charset.fontPage->toUnicode(static_cast<std::uint8_t>(encoding));
    }
    if (!character) {
        return std::nullopt;
    }
    const auto code = page.fromUnicode(*character);
    return code ? std::optional<int>(*code) : std::nullopt;
}

/// Which glyph of the text each code takes (the first with that code), and how many are left.
struct CodeChoice {
    std::array<const RawGlyph*, kGlyphSlots> glyphOfCode{};
    int taken = 0;
    int skipped = 0;
};

[[nodiscard]] CodeChoice chooseGlyphs(const std::vector<RawGlyph>& glyphs,
                                      const CharsetCodes& charset, const CodePage& page) {
    CodeChoice choice;
    for (const RawGlyph& glyph : glyphs) {
        const auto code = codeOf(glyph, charset, page);
        if (!code || choice.glyphOfCode[static_cast<std::size_t>(*code)] != nullptr) {
            ++choice.skipped;
            continue;
        }
        choice.glyphOfCode[static_cast<std::size_t>(*code)] = &glyph;
        ++choice.taken;
    }
    return choice;
}

/// What a font without any usable glyph holds, for the message that refuses it.
[[nodiscard]] Error noUsableGlyph(const std::vector<RawGlyph>& glyphs, const std::string& charset,
                                  const CodePage& page) {
    int lowest = 0;
    int highest = -1;
    for (const RawGlyph& glyph : glyphs) {
        const int encoding = glyph.encoding.value_or(-1);
        if (encoding >= 0) {
            lowest = highest < 0 ? encoding : std::min(lowest, encoding);
            highest = std::max(highest, encoding);
        }
    }
    std::string what = "it has " + std::to_string(glyphs.size()) + " glyphs";
    what += charset.empty() ? " in no named character set" : " in character set " + charset;
    what += highest < 0
                ? ", none with an encoding"
                : ", encodings " + std::to_string(lowest) + " to " + std::to_string(highest);
    return Error{what + ", and none of them is a " + std::string(page.caption()) + " character"};
}

// ---- Cells ----

/// The cell every glyph is placed in: ascent rows above the baseline, height rows in all.
struct CellMetrics {
    int ascent = 0;
    int height = 0;
    int blankWidth = 0;
};

/// Where one glyph goes: its cell's width and how far its origin lies from the cell's left.
struct GlyphPlace {
    int width = 0;
    int originX = 0;
};

[[nodiscard]] int advanceOf(const RawGlyph& glyph) {
    return glyph.advance.value_or(glyph.boxWidth);
}

[[nodiscard]] GlyphPlace placeOf(const RawGlyph& glyph, BdfCell rule) {
    const int advance = advanceOf(glyph);
    if (rule == BdfCell::Clip || !glyph.hasBox()) {
        return GlyphPlace{advance, 0};
    }
    const int left = std::min(0, glyph.offsetX);
    const int right = std::max(advance, glyph.offsetX + glyph.boxWidth);
    return GlyphPlace{right - left, -left};
}

[[nodiscard]] Result<CellMetrics> cellMetrics(const FontHeader& header, const CodeChoice& choice,
                                              BdfCell rule) {
    std::optional<int> ascent = header.ascent;
    std::optional<int> descent = header.descent;
    if (header.boxHeight && header.boxOffsetY) {
        ascent = ascent.value_or(*header.boxHeight + *header.boxOffsetY);
        descent = descent.value_or(-*header.boxOffsetY);
    }
    if (rule == BdfCell::Clip && (!ascent || !descent)) {
        return Error{"it gives neither FONT_ASCENT and FONT_DESCENT nor a FONTBOUNDINGBOX"};
    }
    int top = ascent.value_or(0);
    int bottom = descent.value_or(0);
    int widest = 0;
    for (const RawGlyph* glyph : choice.glyphOfCode) {
        if (glyph == nullptr) {
            continue;
        }
        widest = std::max(widest, placeOf(*glyph, rule).width);
        if (rule == BdfCell::KeepInk && glyph->hasBox()) {
            top = std::max(top, glyph->offsetY + glyph->boxHeight);
            bottom = std::max(bottom, -glyph->offsetY);
        }
    }
    const int height = top + bottom;
    if (height < 0 || height > kLcmMaxSide) {
        std::string what = "its cell height " + std::to_string(height);
        what += rule == BdfCell::Clip
                    ? " (FONT_ASCENT + FONT_DESCENT)"
                    : " (" + std::to_string(top) + " rows above the baseline and " +
                          std::to_string(bottom) + " below, to keep every glyph's box)";
        return Error{what + " is outside 0 to " + std::to_string(kLcmMaxSide)};
    }
    return CellMetrics{top, height, header.boxWidth.value_or(widest)};
}

/// Refuses cells of more pixels than the text may claim, before any is made.
[[nodiscard]] Result<void> checkPixelBudget(const CodeChoice& choice, const CellMetrics& cell,
                                            BdfCell rule, std::size_t textSize) {
    std::size_t pixels = 0;
    for (const RawGlyph* glyph : choice.glyphOfCode) {
        if (glyph != nullptr) {
            const int width = std::clamp(placeOf(*glyph, rule).width, 0, kLcmMaxSide);
            pixels += static_cast<std::size_t>(width) * static_cast<std::size_t>(cell.height);
        }
    }
    const std::size_t allowed = kBdfBasePixels + kBdfPixelsPerByte * textSize;
    if (pixels > allowed) {
        return Error{"its " + std::to_string(choice.taken) + " glyph cells need " +
                     std::to_string(pixels) + " pixels, more than the " + std::to_string(allowed) +
                     " a BDF text of " + std::to_string(textSize) + " bytes is read with"};
    }
    return {};
}

/// The value of a hexadecimal digit, or -1: looked up from a table, since a large font's bitmap
/// rows hold millions of digits.
[[nodiscard]] int hexNibble(char digit) {
    static constexpr auto kValues = [] {
        std::array<std::int8_t, 256> values{};
        values.fill(-1);
        for (int k = 0; k < 10; ++k) {
            values[static_cast<std::size_t>('0' + k)] = static_cast<std::int8_t>(k);
        }
        for (int k = 0; k < 6; ++k) {
            values[static_cast<std::size_t>('A' + k)] = static_cast<std::int8_t>(10 + k);
            values[static_cast<std::size_t>('a' + k)] = static_cast<std::int8_t>(10 + k);
        }
        return values;
    }();
    return kValues[static_cast<unsigned char>(digit)];
}

/// A glyph cell as the rows of a font library record: one bit per pixel, most significant bit
/// first, 0 for ink and 1 for background, each row padded to whole bytes. The picture is made
/// over these rows, so the cell costs an eighth of a byte per pixel until its pixels are used,
/// and a library writer copies them.
struct InkCell {
    InkCell(int cellWidth, int cellHeight)
        : width(cellWidth), height(cellHeight), rowBytes(paddedBytes(cellWidth)),
          bits(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(cellHeight), 0xFF) {}
    void setInk(int x, int y) {
        bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(rowBytes) +
             static_cast<std::size_t>(x / 8)] &= static_cast<std::uint8_t>(~(0x80U >> (x % 8)));
    }
    int width;
    int height;
    int rowBytes;
    std::vector<std::uint8_t> bits;
};

/// Sets the ink of one bitmap row into the cell; true when some ink fell outside it.
[[nodiscard]] Result<bool> placeRow(InkCell& cell, const RawGlyph& glyph, int rowIndex, int x0,
                                    int y) {
    bool clipped = false;
    const std::string_view row = glyph.rows[static_cast<std::size_t>(rowIndex)];
    const bool rowInside = y >= 0 && y < cell.height;
    // Only the digits present are walked, so the work follows the length of the text.
    const int digits = std::min(static_cast<int>(row.size()), (glyph.boxWidth + 3) / 4);
    for (int d = 0; d < digits; ++d) {
        const int nibble = hexNibble(row[static_cast<std::size_t>(d)]);
        if (nibble < 0) {
            return lineError(glyph.line, "the glyph begun here has a bitmap row that is not hex");
        }
        if (nibble == 0) {
            continue;
        }
        for (int bit = 0; bit < 4; ++bit) {
            const int column = d * 4 + bit;
            if (column >= glyph.boxWidth || (nibble & (0x8 >> bit)) == 0) {
                continue;
            }
            const int x = x0 + column;
            if (!rowInside || x < 0 || x >= cell.width) {
                clipped = true;
            } else {
                cell.setInk(x, y);
            }
        }
    }
    return clipped;
}

/// The glyph's cell with its bitmap placed on the baseline; warns when ink was clipped.
[[nodiscard]] Result<Picture> placeGlyph(const RawGlyph& glyph, int code, const CellMetrics& cell,
                                         BdfCell rule, std::vector<std::string>& warnings) {
    const GlyphPlace place = placeOf(glyph, rule);
    if (place.width < 0 || place.width > kLcmMaxSide) {
        const std::string what = rule == BdfCell::Clip ? "DWIDTH " : "width with its box ";
        return lineError(glyph.line, "the glyph's " + what + std::to_string(place.width) +
                                         " is outside 0 to " + std::to_string(kLcmMaxSide));
    }
    InkCell rows(place.width, std::max(cell.height, 0));
    const int top = cell.ascent - (glyph.offsetY + glyph.boxHeight);
    bool clipped = false;
    for (int r = 0; r < static_cast<int>(glyph.rows.size()); ++r) {
        const auto rowClipped = placeRow(rows, glyph, r, place.originX + glyph.offsetX, top + r);
        if (!rowClipped) {
            return rowClipped.error();
        }
        clipped = clipped || rowClipped.value();
    }
    if (clipped) {
        warnings.push_back("glyph " + std::to_string(code) + " (line " +
                           std::to_string(glyph.line) + "): ink outside its " +
                           std::to_string(place.width) + " x " + std::to_string(cell.height) +
                           " cell was clipped");
    }
    if (rows.bits.empty()) {
        return Picture(place.width, cell.height);
    }
    const int rowBytes = rows.rowBytes;
    const int height = rows.height;
    return Picture(
        place.width, height,
        EncodedRows{shareFileImage(std::move(rows.bits)), 0, rowBytes, height, &inkRows()});
}

} // namespace

std::string encodeBdf(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count,
                      std::string_view fontName, const Baseline& baseline, const CodePage& page) {
    count = std::clamp(count, 0, kGlyphSlots);
    const ExportMetrics metrics = exportMetrics(glyphs, count, baseline);
    std::string out = fontHeader(metrics, familyName(fontName));
    out += "CHARS " + std::to_string(count) + "\n";
    for (int code = 0; code < count; ++code) {
        appendGlyph(out, glyphs[static_cast<std::size_t>(code)], code, metrics.pixelSize, baseline,
                    page);
    }
    out += "ENDFONT\n";
    return out;
}

Result<BdfFont> decodeBdf(std::string_view text, BdfCell cell, const BdfCodes& codes) {
    if (text.size() > kBdfMaxTextSize) {
        return Error{"it is larger than " + std::to_string(kBdfMaxTextSize) + " bytes"};
    }
    BdfParser parser(text);
    if (const Result<void> parsed = parser.parse(); !parsed) {
        return parsed.error();
    }
    BdfFont font;
    font.charset = charsetOf(parser.header());
    const CharsetCodes charset = charsetCodesOf(font.charset, codes);
    font.codesTakenAsTheyAre =
        charset.rule == CodeRule::AsTheyAre && charset.fontPage != codes.page;
    font.readThroughCharset = charset.rule == CodeRule::CharsetTable;
    const CodeChoice choice = chooseGlyphs(parser.glyphs(), charset, codes.page);
    font.skipped = choice.skipped;
    if (parser.glyphs().empty()) {
        return font; // an empty library
    }
    if (choice.taken == 0) {
        return noUsableGlyph(parser.glyphs(), font.charset, codes.page);
    }
    const auto metrics = cellMetrics(parser.header(), choice, cell);
    if (!metrics) {
        return metrics.error();
    }
    if (const Result<void> budget = checkPixelBudget(choice, metrics.value(), cell, text.size());
        !budget) {
        return budget.error();
    }
    bool upperCodes = false;
    for (int code = 0; code < kGlyphSlots; ++code) {
        const RawGlyph* glyph = choice.glyphOfCode[static_cast<std::size_t>(code)];
        if (glyph == nullptr) {
            continue;
        }
        auto picture = placeGlyph(*glyph, code, metrics.value(), cell, font.warnings);
        if (!picture) {
            return picture.error();
        }
        upperCodes = upperCodes || code >= kFirstUpperCode;
        Picture placed = std::move(picture).value();
        const int width = placed.width();
        const int height = placed.height();
        font.library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, width, height, std::move(placed)};
    }
    font.library.count = upperCodes ? kGlyphSlots : kFirstUpperCode;
    const int blankWidth = metrics.value().blankWidth;
    for (int code = 0; code < font.library.count; ++code) {
        if (choice.glyphOfCode[static_cast<std::size_t>(code)] != nullptr) {
            continue;
        }
        if (blankWidth < 0 || blankWidth > kLcmMaxSide) {
            return Error{"its FONTBOUNDINGBOX width " + std::to_string(blankWidth) +
                         ", the width of the codes it lacks, is outside 0 to " +
                         std::to_string(kLcmMaxSide)};
        }
        // A code the font lacks is blank; with no picture it costs no memory.
        font.library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, blankWidth, metrics.value().height, std::nullopt};
    }
    return font;
}

std::vector<std::string> bdfReadNotes(const BdfFont& font, std::string_view pageCaption) {
    std::vector<std::string> notes;
    if (font.codesTakenAsTheyAre) {
        notes.push_back((font.charset.empty() ? std::string("it names no character set")
                                              : "its character set " + font.charset +
                                                    " is neither Unicode nor ISO 8859-1") +
                        ", so its codes 0 to 255 are taken as " + std::string(pageCaption) +
                        " codes as they are");
    }
    for (const std::string& warning : font.warnings) {
        notes.push_back("warning: " + warning);
    }
    if (font.skipped > 0) {
        notes.push_back(std::to_string(font.skipped) + " glyphs skipped (no " +
                        std::string(pageCaption) + " code, or one taken already)");
    }
    return notes;
}

} // namespace korvel
