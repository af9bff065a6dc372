// export-c's u8g2 and LVGL fonts, sparse code sets and the real baseline: golden files byte for
// byte, refusals, and fonts compiled by the system's C and C++ compilers together with decoders
// written from the formats' documentation (tests/firmware/decoders), whose drawing of every glyph
// on its baseline must equal "korvel-cli info --rows" of the same library. The baseline found is
// checked against FreeType's for installed outline fonts, and FreeType reads the BDF export.
#include "cli/commands.h"
#include "core/codeselection.h"
#include "core/colour.h"
#include "fileio/fileio.h"
#include "firmware/cexport.h"
#include "firmware/headerdecode.h"
#include "formats/lcm.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;
const std::string kDecoders = KORVEL_DECODERS_DIR;
const std::string kCompilerC = KORVEL_C_COMPILER;
const std::string kCompilerCxx = KORVEL_CXX_COMPILER;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

[[nodiscard]] CliRun run(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.status = runCli(arguments, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

[[nodiscard]] std::vector<std::string> split(const std::string& words) {
    std::vector<std::string> parts;
    std::istringstream stream(words);
    for (std::string word; stream >> word;) {
        parts.push_back(word);
    }
    return parts;
}

[[nodiscard]] std::string textOf(const std::string& file) {
    const auto bytes = readWholeFile(file);
    return bytes.ok() ? std::string(bytes.value().begin(), bytes.value().end()) : std::string();
}

/// "korvel-cli info --rows" as one block ("CODE W H" and its rows) per code.
[[nodiscard]] std::map<int, std::string> infoBlocks(const std::string& library) {
    const CliRun info = run({"info", "--rows", library});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    std::istringstream lines(info.out);
    std::string line;
    std::getline(lines, line); // the count
    std::map<int, std::string> blocks;
    while (std::getline(lines, line)) {
        const auto words = split(line);
        std::string block = line + "\n";
        for (int y = 0; y < std::stoi(words.at(2)) && std::getline(lines, line); ++y) {
            block += line + "\n";
        }
        blocks[std::stoi(words.at(0))] = block;
    }
    return blocks;
}

/// The baseline row and the cell height "info --metrics" reports (ascent + descent).
struct Metrics {
    int baseline = 0;
    int height = 0;
};

[[nodiscard]] Metrics metricsOf(const std::string& library) {
    const CliRun info = run({"info", "--metrics", library});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    Metrics metrics;
    int descent = 0;
    std::istringstream lines(info.out);
    for (std::string line; std::getline(lines, line);) {
        const auto words = split(line);
        if (words.size() >= 2 && words[0] == "ascent:") {
            metrics.baseline = std::stoi(words[1]);
        } else if (words.size() >= 2 && words[0] == "descent:") {
            descent = std::stoi(words[1]);
        }
    }
    metrics.height = metrics.baseline + descent;
    return metrics;
}

/// The Unicode value of a Windows-1252 code as glibc's iconv converts it; the five codes it
/// leaves undefined stand for the control characters of their number, as in Korvel's exports.
[[nodiscard]] unsigned long unicodeOf(int code, const char* codePage = "CP1252") {
    iconv_t converter = iconv_open("UTF-32LE", codePage);
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(code)};
    unsigned char out[4] = {};
    char* from = in;
    char* to = reinterpret_cast<char*>(out);
    std::size_t fromLeft = 1;
    std::size_t toLeft = 4;
    const std::size_t converted = iconv(converter, &from, &fromLeft, &to, &toLeft);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1)) {
        return static_cast<unsigned long>(code);
    }
    return out[0] | (out[1] << 8U) | (out[2] << 16U) | (static_cast<unsigned long>(out[3]) << 24U);
}

/// The codes "0-255", "32-126,176" names.
[[nodiscard]] std::vector<int> codesOf(const std::string& list) {
    std::vector<int> codes;
    std::istringstream parts(list);
    for (std::string part; std::getline(parts, part, ',');) {
        const auto dash = part.find('-');
        const int first = std::stoi(part.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(part.substr(dash + 1));
        for (int code = first; code <= last; ++code) {
            codes.push_back(code);
        }
    }
    return codes;
}

/// A folder for the fonts, decoders and programs of one test.
class FirmwareFontTest : public testing::Test {
protected:
    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    [[nodiscard]] bool write(const std::string& name, const std::string& text) const {
        QFile file(QString::fromStdString(path(name)));
        return file.open(QIODevice::WriteOnly) &&
               file.write(text.data(), static_cast<qint64>(text.size())) ==
                   static_cast<qint64>(text.size());
    }

    /// export-c of library with the options into file; the tool must succeed.
    void exportFont(const std::string& library, const std::string& options,
                    const std::string& file) {
        std::vector<std::string> arguments{"export-c", library, "-o", path(file)};
        for (std::string& word : split(options)) {
            arguments.push_back(std::move(word));
        }
        const CliRun result = run(arguments);
        ASSERT_EQ(result.status, kExitOk) << options << ": " << result.err;
    }

    /// letters.h: {code, number the font keeps it under} for each code, in code order.
    void writeLetters(const std::vector<int>& codes, bool unicode,
                      const char* codePage = "CP1252") {
        std::string text = "static const long letters[][2] = {\n";
        for (const int code : codes) {
            const unsigned long number =
                unicode ? unicodeOf(code, codePage) : static_cast<unsigned long>(code);
            text += "    {" + std::to_string(code) + ", " + std::to_string(number) + "},\n";
        }
        ASSERT_TRUE(write("letters.h", text + "};\n"));
    }

    /// Compiles the sources (in this folder or the decoders' folder) and runs the program.
    [[nodiscard]] testing::AssertionResult decode(const std::string& compiler,
                                                  const QStringList& sources,
                                                  const QStringList& flags, std::string& output) {
        const QString program = QString::fromStdString(path("decoder"));
        QProcess compile;
        compile.start(QString::fromStdString(compiler),
                      QStringList{"-Wall", "-Wextra", "-pedantic", "-Werror", "-I", folder_.path(),
                                  "-I", QString::fromStdString(kDecoders)} +
                          flags + sources + QStringList{"-o", program});
        if (!compile.waitForFinished(120000) || compile.exitStatus() != QProcess::NormalExit ||
            compile.exitCode() != 0) {
            return testing::AssertionFailure()
                   << compiler << " " << flags.join(' ').toStdString() << " failed:\n"
                   << compile.readAllStandardError().toStdString();
        }
        QProcess decoded;
        decoded.start(program, {});
        if (!decoded.waitForFinished(60000) || decoded.exitCode() != 0) {
            return testing::AssertionFailure() << "the decoder failed:\n"
                                               << decoded.readAllStandardOutput().toStdString();
        }
        output = decoded.readAllStandardOutput().toStdString();
        return testing::AssertionSuccess();
    }

    [[nodiscard]] QString decoder(const std::string& name) const {
        return QString::fromStdString(kDecoders + "/" + name);
    }

private:
    QTemporaryDir folder_;
};

// ---- Golden files ----

TEST_F(FirmwareFontTest, FontsEqualTheGoldenOnesByteForByte) {
    // The font bytes of the u8g2 goldens are those bdfconv writes for the BDF export of the same
    // library with the same map.
    const std::string library = kData + "/lcm/terminus12.lcm";
    const std::vector<std::pair<std::string, std::string>> goldens{
        {"--format u8g2 --codes 32-126", "terminus12-u8g2.h"},
        {"--format u8g2 --encoding unicode --codes 48-57,128,176,196", "terminus12-u8g2-unicode.h"},
        {"--format u8g2 --chars 25°C --baseline bottom", "terminus12-u8g2-chars-bottom.h"},
        {"--format lvgl --codes 32-126", "terminus12-lvgl.h"},
        {"--format lvgl --chars Grüße€ --baseline 11", "terminus12-lvgl-chars-row11.h"},
        {"--format gfx --codes 48-57,65", "terminus12-gfx-gaps.h"},
        {"--codes 48-50,65", "terminus12-rows-gaps.h"},
        {"--layout pages --chars 0123", "terminus12-pages-chars.h"},
    };
    for (const auto& [options, golden] : goldens) {
        exportFont(library, options, "terminus12.h");
        EXPECT_EQ(textOf(path("terminus12.h")), textOf(kData + "/c/" + golden)) << options;
    }
}

TEST_F(FirmwareFontTest, BdfExportStandsOnTheFoundBaselineAndComesBackWhole) {
    const std::string library = kData + "/lcm/terminus12.lcm";
    const std::string bdf = path("terminus12.bdf");
    ASSERT_EQ(run({"convert", library, bdf}).status, kExitOk);
    EXPECT_EQ(textOf(bdf), textOf(kData + "/bdf/terminus12.bdf"));
    const std::string back = path("back.lcm");
    ASSERT_EQ(run({"convert", bdf, back}).status, kExitOk);
    EXPECT_EQ(textOf(back), textOf(library));

    // "bottom" keeps the old placement: every glyph on its bottom edge.
    ASSERT_EQ(run({"convert", library, bdf, "--baseline", "bottom"}).status, kExitOk);
    EXPECT_NE(textOf(bdf).find("FONT_ASCENT 12\nFONT_DESCENT 0\n"), std::string::npos);
    ASSERT_EQ(run({"convert", library, bdf, "--baseline", "11"}).status, kExitOk);
    EXPECT_NE(textOf(bdf).find("FONT_ASCENT 11\nFONT_DESCENT 1\n"), std::string::npos);
    EXPECT_EQ(run({"convert", library, bdf, "--baseline", "13"}).status, kExitRefused);
    EXPECT_EQ(run({"convert", bdf, back, "--baseline", "3"}).status, kExitUsage);
    EXPECT_EQ(run({"convert", library, bdf, "--baseline", "low"}).status, kExitUsage);
}

// ---- Refusals ----

/// A 256-code library of blank 6 x 12 glyphs with the given glyphs at their codes.
[[nodiscard]] std::vector<std::uint8_t>
libraryWith(const std::vector<std::pair<int, GlyphRecord>>& glyphs) {
    std::array<GlyphRecord, kGlyphSlots> table;
    for (int code = 0; code < kGlyphSlots; ++code) {
        table[static_cast<std::size_t>(code)] = GlyphRecord{code, 6, 12, std::nullopt};
    }
    for (const auto& [code, glyph] : glyphs) {
        table[static_cast<std::size_t>(code)] = glyph;
    }
    return encodeLcm(table, kGlyphSlots).value();
}

TEST_F(FirmwareFontTest, WhatTheFormatsCannotHoldIsRefusedNamingTheGlyphAndNothingIsWritten) {
    // A checkerboard of 60 x 60 runs of one pixel each: far more than a u8g2 record's 255 bytes.
    Picture board(60, 60);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            if (((x ^ y) & 1) != 0) {
                board.setPixel(x, y, kRed);
            }
        }
    }
    // Ink 200 pixels right of the origin: more than LVGL's and u8g2's signed offsets hold.
    Picture far(220, 12);
    far.setPixel(200, 5, kRed);
    const std::string library = path("odd.lcm");
    const auto bytes = libraryWith(
        {{'B', GlyphRecord{'B', 60, 60, board}}, {'F', GlyphRecord{'F', 220, 12, far}}});
    ASSERT_TRUE(writeFileAtomic(library, bytes).ok());

    const std::vector<std::pair<std::string, std::string>> refusals{
        {"--format u8g2 --codes 66", "Glyph 66 'B' needs a u8g2 record of"},
        {"--format u8g2 --codes 70", "Glyph 70 'F' advances 220 pixels"},
        {"--format lvgl --codes 70", "Glyph 70 'F'"},
        {"--format lvgl --chars Жук", "U+0416"},
        {"--format u8g2 --codes 32-126,", "\"\" in the --codes list"},
        {"--format gfx --codes 3-1", "\"3-1\" in the --codes list"},
        {"--format lvgl --codes 300", "\"300\" in the --codes list"},
        {"--format lvgl --chars \xC3(", "not UTF-8"},
    };
    for (const auto& [options, message] : refusals) {
        std::vector<std::string> arguments{"export-c", library, "-o", path("out.c")};
        for (std::string& word : split(options)) {
            arguments.push_back(std::move(word));
        }
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kExitRefused) << options;
        EXPECT_NE(result.err.find(message), std::string::npos) << options << ": " << result.err;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.c")))) << options;
    }
    // Codes beyond a 128-code library.
    const CliRun outside = run({"export-c", kData + "/lcm/blank-5x9-128.lcm", "--format", "u8g2",
                                "--codes", "120-130", "-o", path("out.c")});
    EXPECT_EQ(outside.status, kExitRefused);
    EXPECT_NE(outside.err.find("codes 0 to 127"), std::string::npos) << outside.err;

    for (const std::string options :
         {"--format u8g2 --ink 0", "--format lvgl --encoding unicode", "--encoding code",
          "--format lvgl --baseline top", "--format bdf"}) {
        std::vector<std::string> arguments{"export-c", library, "-o", path("out.c")};
        for (std::string& word : split(options)) {
            arguments.push_back(std::move(word));
        }
        EXPECT_EQ(run(arguments).status, kExitUsage) << options;
    }
}

// ---- Drawn back through the compiler ----

/// Rows or pages with a code-to-glyph table: prints the glyphs that are there, in code order.
constexpr std::string_view kSparsePlainDecoder = R"(#include <stdio.h>
#include "font.h"

int main(void) {
    int code, x, y;
    for (code = font_first; code <= font_last; ++code) {
        const int k = font_index[code - font_first];
        const font_glyph *g;
        const uint8_t *bytes;
        if (k == font_none) {
            continue;
        }
        g = &font_glyphs[k];
        bytes = font_bitmaps + g->offset;
        printf("%d %d %d\n", code, g->width, g->height);
        for (y = 0; y < g->height; ++y) {
            for (x = 0; x < g->width; ++x) {
#if PAGES
                const int bit = (bytes[(y / 8) * g->width + x] >> (y % 8)) & 1;
#else
                const int bit = (bytes[y * ((g->width + 7) / 8) + x / 8] >> (7 - x % 8)) & 1;
#endif
                putchar(bit ? '#' : '.');
            }
            putchar('\n');
        }
    }
    return 0;
}
)";

/// Adafruit GFX's drawChar loop over our own GFXglyph and GFXfont: each glyph from first to last
/// in a cell of its advance and the font's line, its box placed from the baseline.
constexpr std::string_view kGfxDecoder = R"(#include <stdio.h>
#include <string.h>
#include <stdint.h>

typedef struct {
    uint16_t bitmapOffset;
    uint8_t width, height, xAdvance;
    int8_t xOffset, yOffset;
} GFXglyph;
typedef struct {
    uint8_t *bitmap;
    GFXglyph *glyph;
    uint16_t first, last;
    uint8_t yAdvance;
} GFXfont;

#include "font.h"

static char cell[256][256];

int main(void) {
    const GFXfont *f = &font;
    int code, x, y;
    for (code = f->first; code <= f->last; ++code) {
        const GFXglyph *g = &f->glyph[code - f->first];
        const int w = g->xAdvance, h = f->yAdvance;
        int bo = g->bitmapOffset, bit = 0, bits = 0, xx, yy;
        memset(cell, '.', sizeof cell);
        for (yy = 0; yy < g->height; yy++) {
            for (xx = 0; xx < g->width; xx++) {
                if (!(bit++ & 7)) {
                    bits = f->bitmap[bo++];
                }
                if (bits & 0x80) {
                    x = g->xOffset + xx;
                    y = BASELINE + g->yOffset + yy;
                    if (x < 0 || x >= w || y < 0 || y >= h) {
                        return 3;
                    }
                    cell[y][x] = '#';
                }
                bits <<= 1;
            }
        }
        printf("%d %d %d\n", code, w, h);
        for (y = 0; y < h; ++y) {
            fwrite(cell[y], 1, (size_t)w, stdout);
            putchar('\n');
        }
    }
    return 0;
}
)";

/// The glyphs of codes as the editor's decoded view draws them from the header at path, in the
/// decoders' text: "CODE WIDTH HEIGHT" and rows of '#' and '.', each glyph's ink moved into the
/// library's cell of metrics.height rows by the baselines, ink that does not fit named. Glyphs
/// of the codes passed over are neither drawn nor counted.
[[nodiscard]] std::string drawnByHeaderDecode(const std::string& path, FontLayout layout,
                                              bool unicode, const std::vector<int>& codes,
                                              const Metrics& metrics,
                                              const std::vector<int>& passedOver = {}) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return "cannot read " + path;
    }
    FontExportOptions options;
    options.layout = layout;
    options.encoding = unicode ? U8g2Encoding::Unicode : U8g2Encoding::Code;
    options.name = "font";
    const auto decoded = decodeFontHeader(file.readAll().toStdString(), options);
    if (!decoded) {
        return decoded.error().message;
    }
    std::string text;
    const auto counted =
        std::count_if(decoded.value().begin(), decoded.value().end(), [&](const DecodedGlyph& g) {
            return std::find(passedOver.begin(), passedOver.end(), g.code) == passedOver.end();
        });
    if (static_cast<std::size_t>(counted) != codes.size()) {
        text += std::to_string(counted) + " glyphs decoded\n";
    }
    for (const int code : codes) {
        const auto found = std::find_if(decoded.value().begin(), decoded.value().end(),
                                        [code](const DecodedGlyph& g) { return g.code == code; });
        if (found == decoded.value().end()) {
            text += "code " + std::to_string(code) + " missing\n";
            continue;
        }
        const Picture& picture = found->picture;
        text += std::to_string(code) + " " + std::to_string(picture.width()) + " " +
                std::to_string(metrics.height) + "\n";
        const int shift = found->baseline - metrics.baseline;
        int placed = 0;
        for (int y = 0; y < metrics.height; ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const bool ink = picture.pixel(x, y + shift) != kBlack;
                text += ink ? '#' : '.';
                placed += ink ? 1 : 0;
            }
            text += '\n';
        }
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                inked += picture.pixel(x, y) != kBlack ? 1 : 0;
            }
        }
        if (inked != placed) {
            text += "ink of code " + std::to_string(code) + " outside the library's cell\n";
        }
    }
    return text;
}

enum class Decoder { U8g2, Lvgl, Gfx, SparseRows, SparsePages };

/// One export to draw back: its options, the decoder, and the codes it holds.
struct Variant {
    std::string options;
    Decoder decoder;
    std::string codes;      ///< as a list; the codes the font holds
    bool unicode = false;   ///< whether the font finds glyphs by Unicode value
    bool alsoAsCxx = false; ///< compile once more as C++
};

class FirmwareFontRoundTrip : public FirmwareFontTest {
protected:
    /// Exports library in the variant, draws it back and compares with info --rows.
    void drawBack(const std::string& library, const Variant& v) {
        SCOPED_TRACE(library + " " + v.options);
        const auto blocks = infoBlocks(library);
        const Metrics metrics = metricsOf(library);
        const std::vector<int> codes = codesOf(v.codes);
        std::string expected;
        if (v.decoder == Decoder::Gfx) {
            // GFX keeps every code from the first to the last; those left out are blank.
            for (int code = codes.front(); code <= codes.back(); ++code) {
                const bool kept = std::find(codes.begin(), codes.end(), code) != codes.end();
                expected += kept ? blocks.at(code) : blank(blocks.at(code));
            }
        } else {
            for (const int code : codes) {
                expected += blocks.at(code);
            }
        }
        writeLetters(codes, v.unicode);
        const QStringList cell{"-DCELL_HEIGHT=" + QString::number(metrics.height),
                               "-DBASELINE=" + QString::number(metrics.baseline)};
        std::string decoded;
        switch (v.decoder) {
        case Decoder::U8g2:
            exportFont(library, v.options + " --name font", "font.h");
            ASSERT_TRUE(decode(kCompilerC, {decoder("u8g2_decoder.c")},
                               QStringList{"-std=c99"} + cell, decoded));
            EXPECT_EQ(decoded, expected);
            // The editor's decoded view draws what the compiled decoder draws.
            EXPECT_EQ(
                drawnByHeaderDecode(path("font.h"), FontLayout::U8g2, v.unicode, codes, metrics),
                expected);
            if (v.alsoAsCxx) {
                ASSERT_TRUE(decode(kCompilerCxx, {"-x", "c++", decoder("u8g2_decoder.c")},
                                   QStringList{"-std=c++20"} + cell, decoded));
                EXPECT_EQ(decoded, expected);
            }
            return;
        case Decoder::Lvgl:
            exportFont(library, v.options + " --name font", "font.c");
            {
                // LVGL takes U+0000 for the end of a text and never draws its glyph, and draws
                // a tab as a wide space, so the editor's view leaves out codes 0 and 9 (the
                // firmware tests check what it shows for them).
                std::vector<int> drawable;
                std::string drawn;
                for (const int code : codes) {
                    if (code != 0 && code != '\t') {
                        drawable.push_back(code);
                        drawn += blocks.at(code);
                    }
                }
                EXPECT_EQ(drawnByHeaderDecode(path("font.c"), FontLayout::Lvgl, true, drawable,
                                              metrics, {'\t'}),
                          drawn);
            }
            // 9.0 to 9.2 lack two fields of 9.3, which the file must leave out.
            using Version = std::pair<const char*, const char*>;
            for (const auto& [major, minor] :
                 {Version{"8", "3"}, Version{"9", "0"}, Version{"9", "3"}}) {
                SCOPED_TRACE(std::string("LVGL ") + major + "." + minor);
                const QStringList define{QString("-DLVGL_VERSION_MAJOR=") + major,
                                         QString("-DLVGL_VERSION_MINOR=") + minor};
                const QStringList sources{decoder("lvgl_decoder.c"),
                                          QString::fromStdString(path("font.c"))};
                ASSERT_TRUE(decode(kCompilerC, sources, QStringList{"-std=c99"} + define, decoded));
                EXPECT_EQ(decoded, expected);
                if (v.alsoAsCxx) {
                    ASSERT_TRUE(decode(kCompilerCxx, QStringList{"-x", "c++"} + sources,
                                       QStringList{"-std=c++20"} + define, decoded));
                    EXPECT_EQ(decoded, expected);
                }
            }
            return;
        case Decoder::Gfx:
        case Decoder::SparseRows:
        case Decoder::SparsePages:
            break;
        }
        exportFont(library, v.options + " --name font", "font.h");
        const std::string_view source =
            v.decoder == Decoder::Gfx ? kGfxDecoder : kSparsePlainDecoder;
        ASSERT_TRUE(write("plain.c", std::string(source)));
        const QStringList defines{v.decoder == Decoder::SparsePages ? "-DPAGES=1" : "-DPAGES=0"};
        ASSERT_TRUE(decode(kCompilerC, {QString::fromStdString(path("plain.c"))},
                           QStringList{"-std=c99"} + cell + defines, decoded));
        EXPECT_EQ(decoded, expected);
    }

    /// A block of info --rows with its ink taken away.
    [[nodiscard]] static std::string blank(const std::string& block) {
        std::string text = block;
        for (std::size_t k = text.find('\n'); k < text.size(); ++k) {
            if (text[k] == '#') {
                text[k] = '.';
            }
        }
        return text;
    }

    /// A font made with new-font, once per test suite.
    [[nodiscard]] std::string madeFont(const std::string& family, int size) {
        const std::string file = path(family + std::to_string(size) + ".lcm");
        const CliRun made = run({"new-font", "--family", family, "--size", std::to_string(size),
                                 "--codes", "256", "-o", file});
        EXPECT_EQ(made.status, kExitOk) << made.err;
        return file;
    }
};

const std::string kEveryCode = "0-255";
// Gaps in every part of the code page, and characters above 255 in Unicode (128 is the euro).
const std::string kGaps = "32-47,65-90,97,99,128,150-160,176,192-200,255";

TEST_F(FirmwareFontRoundTrip, DejaVuSansDrawsBackInEveryFormat) {
    for (const int size : {9, 12}) {
        const std::string library = madeFont("DejaVu Sans", size);
        for (const Variant& v : {
                 Variant{"--format u8g2", Decoder::U8g2, kEveryCode, false, size == 12},
                 Variant{"--format u8g2 --encoding unicode", Decoder::U8g2, kEveryCode, true},
                 Variant{"--format lvgl", Decoder::Lvgl, kEveryCode, true, size == 12},
                 Variant{"--format u8g2 --codes " + kGaps, Decoder::U8g2, kGaps},
                 Variant{"--format u8g2 --encoding unicode --codes " + kGaps, Decoder::U8g2, kGaps,
                         true},
                 Variant{"--format lvgl --codes " + kGaps, Decoder::Lvgl, kGaps, true},
                 Variant{"--format gfx --codes " + kGaps, Decoder::Gfx, kGaps},
                 Variant{"--codes " + kGaps, Decoder::SparseRows, kGaps},
                 Variant{"--layout pages --codes " + kGaps, Decoder::SparsePages, kGaps},
             }) {
            drawBack(library, v);
        }
    }
}

TEST_F(FirmwareFontRoundTrip, OnlyTheCharactersOfATextAreExported) {
    const std::string library = madeFont("DejaVu Sans", 12);
    // "Grüße, 25 °C – 3 €" and the space.
    const std::string text = "Grüße,25°C–3€";
    const std::string codes = "32,44,50,51,53,67,71,101,114,128,150,176,223,252";
    for (const Variant& v : {
             Variant{"--format u8g2 --chars " + text, Decoder::U8g2, codes},
             Variant{"--format u8g2 --encoding unicode --chars " + text, Decoder::U8g2, codes,
                     true},
             Variant{"--format lvgl --chars " + text, Decoder::Lvgl, codes, true},
             Variant{"--format gfx --chars " + text, Decoder::Gfx, codes},
             Variant{"--chars " + text, Decoder::SparseRows, codes},
         }) {
        drawBack(library, v);
    }
}

TEST_F(FirmwareFontRoundTrip, ABitmapFontStrikeDrawsBack) {
    for (const std::string& library : {madeFont("Terminus", 12), kData + "/lcm/terminus12.lcm"}) {
        for (const Variant& v : {
                 Variant{"--format u8g2", Decoder::U8g2, kEveryCode},
                 Variant{"--format lvgl", Decoder::Lvgl, kEveryCode, true, true},
                 Variant{"--format gfx", Decoder::Gfx, kEveryCode},
             }) {
            drawBack(library, v);
        }
    }
}

TEST_F(FirmwareFontRoundTrip, OddLibrariesDrawBack) {
    // Glyphs of height 0, blank glyphs (no box at all), 256 codes of width 8, a glyph of
    // 255 x 255 (too wide an advance for u8g2, whose dx is a signed byte).
    for (const char* file :
         {"height0.lcm", "blank-5x9-128.lcm", "full-256.lcm", "width0-height9.lcm"}) {
        const std::string library = kData + "/lcm/" + file;
        const std::string codes = "0-" + std::to_string(infoBlocks(library).size() - 1);
        drawBack(library, Variant{"--format u8g2", Decoder::U8g2, codes});
        drawBack(library, Variant{"--format lvgl", Decoder::Lvgl, codes, true});
    }
    drawBack(kData + "/lcm/ink-255x255.lcm", Variant{"--format lvgl", Decoder::Lvgl, "0", true});
}

TEST_F(FirmwareFontRoundTrip, ACyrillicCodePageFindsEveryGlyphUnderItsCharacter) {
    // The library's glyphs are taken as Windows-1251 codes: each must be found under the
    // character iconv gives for its code in that code page. Its upper half is nearly all above
    // 255, more than one block of u8g2's Unicode lookup table.
    const std::string file = madeFont("DejaVu Sans", 12);
    const auto bytes = readWholeFile(file);
    ASSERT_TRUE(bytes.ok());
    auto glyphs = decodeLcm(bytes.value());
    ASSERT_TRUE(glyphs.ok());
    auto library = std::make_unique<FontLibrary>();
    library->replaceGlyphs(std::move(glyphs).value());
    const auto blocks = infoBlocks(file);
    const Metrics metrics = metricsOf(file);
    std::vector<int> codes;
    std::string expected;
    for (int code = 0; code < kGlyphSlots; ++code) {
        codes.push_back(code);
        expected += blocks.at(code);
    }
    writeLetters(codes, true, "CP1251");
    FontExportOptions options;
    options.name = "font";
    options.source = "sans12.lcm";
    options.codePage = codePageByName("cp1251").value();
    const QStringList cell{"-DCELL_HEIGHT=" + QString::number(metrics.height),
                           "-DBASELINE=" + QString::number(metrics.baseline)};
    std::string decoded;

    options.layout = FontLayout::U8g2;
    options.encoding = U8g2Encoding::Unicode;
    auto u8g2 = exportFontC(*library, options);
    ASSERT_TRUE(u8g2.ok()) << u8g2.error().message;
    ASSERT_TRUE(write("font.h", u8g2.value()));
    ASSERT_TRUE(
        decode(kCompilerC, {decoder("u8g2_decoder.c")}, QStringList{"-std=c99"} + cell, decoded));
    EXPECT_EQ(decoded, expected);

    options.layout = FontLayout::Lvgl;
    auto lvgl = exportFontC(*library, options);
    ASSERT_TRUE(lvgl.ok()) << lvgl.error().message;
    ASSERT_TRUE(write("font.c", lvgl.value()));
    ASSERT_TRUE(decode(kCompilerC,
                       {decoder("lvgl_decoder.c"), QString::fromStdString(path("font.c"))},
                       {"-std=c99", "-DLVGL_VERSION_MAJOR=9"}, decoded));
    EXPECT_EQ(decoded, expected);
    EXPECT_NE(lvgl.value().find("Windows-1251 characters"), std::string::npos);

    // --chars maps through the same code page.
    const auto chars = codesOfCharacters("Жук", options.codePage);
    ASSERT_TRUE(chars.ok());
    EXPECT_EQ(chars.value(), (CodeList{' ', 0xC6, 0xEA, 0xF3}));
}

// ---- The baseline against FreeType ----

/// The row of a Korvel cell that FreeType puts the baseline on for a font file rendered at size
/// points and 96 dpi: its ascender, or higher where a glyph of the 256 codes reaches above it.
[[nodiscard]] int freeTypeBaseline(const std::string& file, int size) {
    FT_Library freetype = nullptr;
    EXPECT_EQ(FT_Init_FreeType(&freetype), 0);
    FT_Face face = nullptr;
    EXPECT_EQ(FT_New_Face(freetype, file.c_str(), 0, &face), 0) << file;
    EXPECT_EQ(FT_Set_Char_Size(face, 0, size * 64, 96, 96), 0);
    int row = static_cast<int>((face->size->metrics.ascender + 63) / 64);
    for (int code = 32; code < 256; ++code) {
        const unsigned long character = unicodeOf(code);
        if (FT_Get_Char_Index(face, character) == 0 ||
            FT_Load_Char(face, character, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
            continue;
        }
        if (face->glyph->bitmap.rows > 0) {
            row = std::max(row, face->glyph->bitmap_top);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(freetype);
    return row;
}

TEST_F(FirmwareFontRoundTrip, TheFoundBaselineIsFreeTypesForOutlineFonts) {
    const std::vector<std::pair<std::string, std::string>> fonts{
        {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
        {"Liberation Sans", "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"},
        {"FreeSans", "/usr/share/fonts/truetype/freefont/FreeSans.ttf"},
    };
    for (const auto& [family, file] : fonts) {
        for (const int size : {9, 12, 16}) {
            SCOPED_TRACE(family + " " + std::to_string(size));
            const std::string library = madeFont(family, size);
            EXPECT_EQ(metricsOf(library).baseline, freeTypeBaseline(file, size));
        }
    }
}

TEST_F(FirmwareFontRoundTrip, FreeTypeReadsTheBdfExportWithDescendersBelowTheBaseline) {
    const std::string library = madeFont("DejaVu Sans", 12);
    const Metrics metrics = metricsOf(library);
    const std::string bdf = path("sans12.bdf");
    ASSERT_EQ(run({"convert", library, bdf}).status, kExitOk);
    FT_Library freetype = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&freetype), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(freetype, bdf.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(face->available_sizes[0].height)),
              0);
    EXPECT_EQ(face->size->metrics.ascender / 64, metrics.baseline);
    EXPECT_EQ(-face->size->metrics.descender / 64, metrics.height - metrics.baseline);
    // 'g' hangs below the baseline, 'H' stands on it: the row of their lowest ink, counted
    // upwards from the baseline, is below 0 for 'g' and 0 for 'H'.
    for (const auto& [character, descends] : {std::pair{'g', true}, std::pair{'H', false}}) {
        ASSERT_EQ(FT_Load_Char(face, static_cast<FT_ULong>(character),
                               FT_LOAD_RENDER | FT_LOAD_TARGET_MONO),
                  0);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        int lowest = -1;
        for (int y = 0; y < static_cast<int>(bitmap.rows); ++y) {
            for (int x = 0; x < static_cast<int>(bitmap.width); ++x) {
                const unsigned char byte = bitmap.buffer[y * bitmap.pitch + x / 8];
                if ((byte >> (7 - x % 8)) & 1) {
                    lowest = y;
                }
            }
        }
        ASSERT_GE(lowest, 0) << character;
        const int aboveBaseline = face->glyph->bitmap_top - 1 - lowest;
        if (descends) {
            EXPECT_LT(aboveBaseline, 0) << character;
        } else {
            EXPECT_EQ(aboveBaseline, 0) << character;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(freetype);
}

} // namespace
} // namespace korvel::cli
