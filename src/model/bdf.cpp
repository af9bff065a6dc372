#include "bdf.h"

#include "lcm.h"
#include "textcodes.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>

namespace korvel {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kFirstUpperCode = 128;

// ---- Writing ----

[[nodiscard]] bool inkAt(const GlyphRecord& glyph, int x, int y) {
    return glyph.picture.has_value() && isInk(glyph.picture->pixel(x, y));
}

/// One bitmap row: the row's pixels in bytes of 8, leftmost pixel in the top bit, as hex digits.
[[nodiscard]] std::string bitmapRow(const GlyphRecord& glyph, int width, int y) {
    std::string row;
    for (int byteStart = 0; byteStart < width; byteStart += 8) {
        int byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int x = byteStart + bit;
            if (x < width && inkAt(glyph, x, y)) {
                byte |= 0x80 >> bit;
            }
        }
        row += kHexDigits[byte >> 4];
        row += kHexDigits[byte & 0x0F];
    }
    return row;
}

/// The font name as one word: whitespace would end the FONT value for some readers.
[[nodiscard]] std::string fontWord(std::string_view name) {
    std::string word(name.empty() ? std::string_view("korvel") : name);
    std::replace_if(
        word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }, '-');
    return word;
}

void appendGlyph(std::string& out, const GlyphRecord& glyph, int code, int pixelSize) {
    const int width = std::max(0, glyph.width);
    const int height = std::max(0, glyph.height);
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    out += "STARTCHAR char" + std::to_string(code) + "\n";
    out += "ENCODING " + std::to_string(code) + "\n";
    // The scalable width in thousandths of the point size, which is the pixel size at 72 dpi.
    out += "SWIDTH " + std::to_string((width * 1000 + pixelSize / 2) / pixelSize) + " 0\n";
    out += "DWIDTH " + w + " 0\n";
    out += "BBX " + w + " " + h + " 0 0\n";
    out += "BITMAP\n";
    if (width > 0) {
        for (int y = 0; y < height; ++y) {
            out += bitmapRow(glyph, width, y) + "\n";
        }
    }
    out += "ENDCHAR\n";
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

[[nodiscard]] std::optional<int> parseNumber(std::string_view word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

[[nodiscard]] Error lineError(int lineNumber, const std::string& what) {
    return Error{"line " + std::to_string(lineNumber) + ": " + what};
}

/// Reads count numbers from the rest of a line, each within the metric limit.
[[nodiscard]] Result<std::vector<int>> metrics(std::string_view rest, int count, int lineNumber,
                                               std::string_view keyword) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        const auto value = parseNumber(nextWord(rest));
        if (!value || *value < -kBdfMaxMetric || *value > kBdfMaxMetric) {
            return lineError(lineNumber, std::string(keyword) + " needs " + std::to_string(count) +
                                             " numbers within -" + std::to_string(kBdfMaxMetric) +
                                             " to " + std::to_string(kBdfMaxMetric));
        }
        values.push_back(*value);
    }
    return values;
}

/// A glyph as the text gives it; its rows still point into the text.
struct RawGlyph {
    int line = 0;
    std::optional<int> encoding;
    std::optional<int> advance;
    int boxWidth = 0;
    int boxHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    std::vector<std::string_view> rows;
};

/// What the header of the font says.
struct FontHeader {
    std::optional<int> ascent;
    std::optional<int> descent;
    std::optional<int> boxWidth;
    std::optional<int> boxHeight;
    std::optional<int> boxOffsetY;
};

/// Reads the text line by line into the header and the glyphs it holds.
class BdfParser {
public:
    explicit BdfParser(std::string_view text) : text_(text) {}

    [[nodiscard]] Status parse();
    [[nodiscard]] const FontHeader& header() const { return header_; }
    [[nodiscard]] const std::vector<RawGlyph>& glyphs() const { return glyphs_; }

private:
    [[nodiscard]] bool nextLine(std::string_view& line);
    [[nodiscard]] Status headerLine(std::string_view keyword, std::string_view rest);
    [[nodiscard]] Status glyphLine(std::string_view keyword, std::string_view rest);

    std::string_view text_;
    int lineNumber_ = 0;
    bool started_ = false;
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

Status BdfParser::parse() {
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
        const Status status = inGlyph_ ? glyphLine(keyword, rest) : headerLine(keyword, rest);
        if (!status) {
            return status;
        }
    }
    if (!started_) {
        return Error{"it does not begin with STARTFONT, so it is not a BDF font"};
    }
    if (inGlyph_) {
        return lineError(glyph_.line, "the glyph begun here has no ENDCHAR");
    }
    return {};
}

Status BdfParser::headerLine(std::string_view keyword, std::string_view rest) {
    if (keyword == "STARTCHAR") {
        inGlyph_ = true;
        inBitmap_ = false;
        glyph_ = RawGlyph{};
        glyph_.line = lineNumber_;
    } else if (keyword == "ENDFONT") {
        ended_ = true;
    } else if (keyword == "FONTBOUNDINGBOX") {
        auto box = metrics(rest, 4, lineNumber_, keyword);
        if (!box) {
            return box.error();
        }
        header_.boxWidth = box.value()[0];
        header_.boxHeight = box.value()[1];
        header_.boxOffsetY = box.value()[3];
    } else if (keyword == "FONT_ASCENT" || keyword == "FONT_DESCENT") {
        auto value = metrics(rest, 1, lineNumber_, keyword);
        if (!value) {
            return value.error();
        }
        (keyword == "FONT_ASCENT" ? header_.ascent : header_.descent) = value.value()[0];
    }
    // Every other header line (properties, sizes, comments) does not shape the glyphs.
    return {};
}

Status BdfParser::glyphLine(std::string_view keyword, std::string_view rest) {
    if (keyword == "ENDCHAR") {
        inGlyph_ = false;
        glyphs_.push_back(std::move(glyph_));
        return {};
    }
    if (inBitmap_) {
        if (static_cast<int>(glyph_.rows.size()) < glyph_.boxHeight) {
            glyph_.rows.push_back(keyword);
        }
        return {};
    }
    if (keyword == "ENCODING") {
        // Out-of-range and unparsable encodings alike mean "no code of ours".
        const auto code = parseNumber(nextWord(rest));
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

/// The font's baseline and cell height, from its properties or else its bounding box.
struct CellMetrics {
    int ascent = 0;
    int height = 0;
    int blankWidth = 0;
};

[[nodiscard]] Result<CellMetrics> cellMetrics(const FontHeader& header,
                                              const std::vector<RawGlyph>& glyphs) {
    std::optional<int> ascent = header.ascent;
    std::optional<int> descent = header.descent;
    if (header.boxHeight && header.boxOffsetY) {
        ascent = ascent.value_or(*header.boxHeight + *header.boxOffsetY);
        descent = descent.value_or(-*header.boxOffsetY);
    }
    if (!ascent || !descent) {
        return Error{"it gives neither FONT_ASCENT and FONT_DESCENT nor a FONTBOUNDINGBOX"};
    }
    const int height = *ascent + *descent;
    if (height < 0 || height > kLcmMaxSide) {
        return Error{"its cell height FONT_ASCENT + FONT_DESCENT = " + std::to_string(height) +
                     " is outside 0 to " + std::to_string(kLcmMaxSide)};
    }
    int blankWidth = 0;
    if (header.boxWidth) {
        blankWidth = *header.boxWidth;
    } else {
        for (const RawGlyph& glyph : glyphs) {
            blankWidth = std::max(blankWidth, glyph.advance.value_or(glyph.boxWidth));
        }
    }
    return CellMetrics{*ascent, height, blankWidth};
}

/// Sets the ink of one bitmap row into the cell; true when some ink fell outside it.
[[nodiscard]] Result<bool> placeRow(Picture& cell, const RawGlyph& glyph, int rowIndex, int y) {
    bool clipped = false;
    const std::string_view row = glyph.rows[static_cast<std::size_t>(rowIndex)];
    // Only the digits present are walked, so the work follows the length of the text.
    const int digits = std::min(static_cast<int>(row.size()), (glyph.boxWidth + 3) / 4);
    for (int d = 0; d < digits; ++d) {
        const auto nibble = hexDigitValue(row[static_cast<std::size_t>(d)]);
        if (!nibble) {
            return lineError(glyph.line, "the glyph begun here has a bitmap row that is not hex");
        }
        for (int bit = 0; bit < 4; ++bit) {
            const int column = d * 4 + bit;
            if (column >= glyph.boxWidth || (*nibble & (0x8 >> bit)) == 0) {
                continue;
            }
            const int x = glyph.offsetX + column;
            if (x < 0 || x >= cell.width() || y < 0 || y >= cell.height()) {
                clipped = true;
            } else {
                cell.setPixel(x, y, kRed);
            }
        }
    }
    return clipped;
}

/// The glyph's cell with its bitmap placed on the baseline; warns when ink was clipped.
[[nodiscard]] Result<Picture> placeGlyph(const RawGlyph& glyph, const CellMetrics& cell,
                                         std::vector<std::string>& warnings) {
    const int width = glyph.advance.value_or(glyph.boxWidth);
    if (width < 0 || width > kLcmMaxSide) {
        return lineError(glyph.line, "the glyph's DWIDTH " + std::to_string(width) +
                                         " is outside 0 to " + std::to_string(kLcmMaxSide));
    }
    Picture picture(width, cell.height);
    const int top = cell.ascent - (glyph.offsetY + glyph.boxHeight);
    bool clipped = false;
    for (int r = 0; r < static_cast<int>(glyph.rows.size()); ++r) {
        const auto rowClipped = placeRow(picture, glyph, r, top + r);
        if (!rowClipped) {
            return rowClipped.error();
        }
        clipped = clipped || rowClipped.value();
    }
    if (clipped) {
        warnings.push_back("glyph " + std::to_string(*glyph.encoding) + " (line " +
                           std::to_string(glyph.line) + "): ink outside its " +
                           std::to_string(width) + " x " + std::to_string(cell.height) +
                           " cell was clipped");
    }
    return picture;
}

} // namespace

std::string encodeBdf(const std::array<GlyphRecord, kGlyphSlots>& glyphs, int count,
                      std::string_view fontName) {
    count = std::clamp(count, 0, kGlyphSlots);
    int widest = 0;
    int tallest = 0;
    for (int code = 0; code < count; ++code) {
        widest = std::max(widest, glyphs[static_cast<std::size_t>(code)].width);
        tallest = std::max(tallest, glyphs[static_cast<std::size_t>(code)].height);
    }
    const int pixelSize = std::max(1, tallest);
    const std::string ascent = std::to_string(tallest);
    std::string out = "STARTFONT 2.1\n";
    out += "FONT " + fontWord(fontName) + "\n";
    out += "SIZE " + std::to_string(pixelSize) + " 72 72\n";
    out += "FONTBOUNDINGBOX " + std::to_string(widest) + " " + ascent + " 0 0\n";
    out += "STARTPROPERTIES 4\n";
    out += "FONT_ASCENT " + ascent + "\n";
    out += "FONT_DESCENT 0\n";
    out += "CHARSET_REGISTRY \"microsoft\"\n";
    out += "CHARSET_ENCODING \"cp1252\"\n";
    out += "ENDPROPERTIES\n";
    out += "CHARS " + std::to_string(count) + "\n";
    for (int code = 0; code < count; ++code) {
        appendGlyph(out, glyphs[static_cast<std::size_t>(code)], code, pixelSize);
    }
    out += "ENDFONT\n";
    return out;
}

Result<BdfFont> decodeBdf(std::string_view text) {
    if (text.size() > kBdfMaxTextSize) {
        return Error{"it is larger than " + std::to_string(kBdfMaxTextSize) + " bytes"};
    }
    BdfParser parser(text);
    if (const Status parsed = parser.parse(); !parsed) {
        return parsed.error();
    }
    const auto cell = cellMetrics(parser.header(), parser.glyphs());
    if (!cell) {
        return cell.error();
    }
    BdfFont font;
    std::array<bool, kGlyphSlots> present{};
    bool upperCodes = false;
    for (const RawGlyph& glyph : parser.glyphs()) {
        const int code = glyph.encoding.value_or(-1);
        if (code < 0 || code >= kGlyphSlots || present[static_cast<std::size_t>(code)]) {
            ++font.skipped;
            continue;
        }
        auto picture = placeGlyph(glyph, cell.value(), font.warnings);
        if (!picture) {
            return picture.error();
        }
        present[static_cast<std::size_t>(code)] = true;
        upperCodes = upperCodes || code >= kFirstUpperCode;
        Picture placed = std::move(picture).value();
        const int width = placed.width();
        const int height = placed.height();
        font.library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, width, height, std::move(placed)};
    }
    font.library.count = upperCodes ? kGlyphSlots : kFirstUpperCode;
    const int blankWidth = cell.value().blankWidth;
    for (int code = 0; code < font.library.count; ++code) {
        if (present[static_cast<std::size_t>(code)]) {
            continue;
        }
        if (blankWidth < 0 || blankWidth > kLcmMaxSide) {
            return Error{"its FONTBOUNDINGBOX width " + std::to_string(blankWidth) +
                         ", the width of the codes it lacks, is outside 0 to " +
                         std::to_string(kLcmMaxSide)};
        }
        const int height = cell.value().height;
        font.library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, blankWidth, height, Picture(blankWidth, height)};
    }
    return font;
}

} // namespace korvel
