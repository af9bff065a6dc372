// export-c: golden headers byte for byte, refusals, and headers compiled by the system's C and
// C++ compilers with decoders written here from the documented layouts, whose output must equal
// "korvel-cli info --rows" of the same library.
#include "cli/commands.h"
#include "core/codepage.h"
#include "document/librarytext.h"
#include "fileio/fileio.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;

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

[[nodiscard]] std::string textOf(const std::string& file) {
    const auto bytes = readWholeFile(file);
    EXPECT_TRUE(bytes.ok()) << file;
    return bytes.ok() ? std::string(bytes.value().begin(), bytes.value().end()) : std::string();
}

[[nodiscard]] std::vector<std::string> split(const std::string& words) {
    std::vector<std::string> parts;
    std::istringstream stream(words);
    for (std::string word; stream >> word;) {
        parts.push_back(word);
    }
    return parts;
}

/// GFXglyph and GFXfont as Adafruit GFX documents them, written here, as a sketch gets them.
constexpr std::string_view kGfxTypes = R"(#ifndef GFX_TYPES_H
#define GFX_TYPES_H
#include <stdint.h>

typedef struct {
    uint16_t bitmapOffset;
    uint8_t width;
    uint8_t height;
    uint8_t xAdvance;
    int8_t xOffset;
    int8_t yOffset;
} GFXglyph;

typedef struct {
    uint8_t *bitmap;
    GFXglyph *glyph;
    uint16_t first;
    uint16_t last;
    uint8_t yAdvance;
} GFXfont;
#endif
)";

/// Temporary folder for the headers, decoders and programs of one test.
class ExportCTest : public testing::Test {
protected:
    ExportCTest() { EXPECT_TRUE(write("gfxtypes.h", std::string(kGfxTypes))); }

    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    /// Runs export-c on library with the options, writing name.h; the tool must succeed.
    std::string exportHeader(const std::string& library, const std::string& options,
                             const std::string& name) {
        std::vector<std::string> arguments{"export-c", library, "-o", path(name + ".h")};
        for (std::string& word : split(options)) {
            arguments.push_back(std::move(word));
        }
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kExitOk) << options << ": " << result.err;
        return path(name + ".h");
    }

    /// Writes the decoder, compiles it with the headers of this folder and runs it; the text it
    /// printed, or a failure naming what went wrong.
    [[nodiscard]] testing::AssertionResult decode(const std::string& compiler,
                                                  const std::string& source,
                                                  const QStringList& flags, std::string& output,
                                                  const std::string& secondSource = "") {
        const QString program = QString::fromStdString(path("decoder"));
        QStringList sources;
        for (const auto& [name, text] :
             {std::pair{"decoder.c", source}, std::pair{"second.c", secondSource}}) {
            if (text.empty()) {
                continue;
            }
            sources.push_back(QString::fromStdString(path(name)));
            if (!write(name, text)) {
                return testing::AssertionFailure() << "cannot write " << name;
            }
        }
        QProcess compile;
        compile.start(
            QString::fromStdString(compiler),
            QStringList{"-Wall", "-Wextra", "-pedantic", "-Werror", "-I", folder_.path()} + flags +
                sources + QStringList{"-o", program});
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

    [[nodiscard]] bool write(const std::string& name, const std::string& text) const {
        QFile file(QString::fromStdString(path(name)));
        return file.open(QIODevice::WriteOnly) &&
               file.write(text.data(), static_cast<qint64>(text.size())) ==
                   static_cast<qint64>(text.size());
    }

private:
    QTemporaryDir folder_;
};

// ---- Golden headers ----

struct Golden {
    std::string library;
    std::string options;
    std::string header;
};

TEST_F(ExportCTest, HeadersEqualTheGoldenOnesByteForByte) {
    const std::vector<Golden> goldens{
        {"lcm/ink-widths.lcm", "", "ink-widths-rows.h"},
        {"lcm/ink-widths.lcm", "--bit-order lsb --ink 0 --codes 1-3", "ink-widths-rows-lsb-ink0.h"},
        {"lcm/ink-widths.lcm", "--layout pages", "ink-widths-pages.h"},
        {"lcm/ink-widths.lcm", "--layout pages --ink 0 --name pages0", "ink-widths-pages-ink0.h"},
        {"lcm/ink-widths.lcm", "--format gfx", "ink-widths-gfx.h"},
        {"lcm/ink-widths.lcm", "--format gfx --baseline 1", "ink-widths-gfx-baseline1.h"},
        {"bcm/palette-and-names.bcm", "", "palette-and-names-rgb565.h"},
        {"bcm/palette-and-names.bcm", "--endian little", "palette-and-names-rgb565-little.h"},
        {"bcm/palette-and-names.bcm", "--pixel rgb111", "palette-and-names-rgb111.h"},
        {"bcm/palette-and-names.bcm", "--pixel planes", "palette-and-names-planes.h"},
        {"bcm/palette-and-names.bcm", "--pixel planes --bit-order lsb --ink 0",
         "palette-and-names-planes-lsb-ink0.h"},
    };
    for (const Golden& golden : goldens) {
        // The file name is the one of the library, so the default names come from it.
        const std::string made = exportHeader(kData + "/" + golden.library, golden.options, "made");
        EXPECT_EQ(textOf(made), textOf(kData + "/c/" + golden.header))
            << golden.library << " " << golden.options;
    }
}

// ---- Refusals ----

TEST_F(ExportCTest, RefusesWhatCannotBecomeAHeaderAndWritesNothing) {
    const std::string font = kData + "/lcm/ink-widths.lcm";
    const std::string bitmaps = kData + "/bcm/red-and-logo.bcm";
    const std::vector<std::vector<std::string>> refused{
        {kData + "/lcm/empty.lcm"},
        {kData + "/bcm/empty.bcm"},
        {font, "--codes", "2-4"},
        {font, "--codes", "4"},
        {font, "--codes", "-1-2"},
        {font, "--name", "9lives"},
        {font, "--name", "int"},
        {bitmaps, "--name", "my-logos"},
        {font, "--codes", "3-1"},
        {bitmaps, "--name", ""},
        {kData + "/lcm/malformed/header-cut.lcm"},
    };
    for (std::vector<std::string> arguments : refused) {
        arguments.insert(arguments.begin(), "export-c");
        arguments.insert(arguments.end(), {"-o", path("out.h")});
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kExitRefused) << arguments[1] << " " << arguments.back();
        EXPECT_FALSE(result.err.empty());
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.h"))));
    }
    // The library named as the output is not overwritten by its own header.
    const std::string copy = path("copy.lcm");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(font), QString::fromStdString(copy)));
    EXPECT_EQ(run({"export-c", copy, "-o", copy}).status, kExitRefused);
    EXPECT_EQ(textOf(copy), textOf(font));

    const CliRun outside = run({"export-c", font, "--codes", "2-4", "-o", path("out.h")});
    EXPECT_NE(outside.err.find("codes 0 to 3"), std::string::npos) << outside.err;

    // A library called cmaps.lcm names an LVGL font font_cmaps, not the file's own cmaps; given
    // with --name, that name is refused.
    const std::string cmaps = path("cmaps.lcm");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(font), QString::fromStdString(cmaps)));
    EXPECT_NE(
        textOf(exportHeader(cmaps, "--format lvgl", "cmaps_lvgl")).find("lv_font_t font_cmaps"),
        std::string::npos);
    EXPECT_EQ(
        run({"export-c", cmaps, "--format", "lvgl", "--name", "cmaps", "-o", path("c.h")}).status,
        kExitRefused);
}

TEST_F(ExportCTest, OptionsThatDoNotFitTheLibraryAreUsageErrors) {
    const std::string font = kData + "/lcm/ink-widths.lcm";
    const std::string bitmaps = kData + "/bcm/red-and-logo.bcm";
    const std::vector<std::vector<std::string>> wrong{
        {font, "--pixel", "rgb565"},
        {font, "--format", "gfx", "--ink", "0"},
        {font, "--format", "gfx", "--layout", "rows"},
        {font, "--layout", "pages", "--bit-order", "lsb"},
        {font, "--baseline", "3"},
        {font, "--format", "gfx", "--baseline", "256"},
        {font, "--layout", "columns"},
        {bitmaps, "--codes", "0-1"},
        {bitmaps, "--pixel", "rgb111", "--endian", "big"},
        {bitmaps, "--pixel", "rgb565", "--ink", "0"},
        {bitmaps, "--pixel", "rgb888"},
        {kData + "/lcm/ink-widths.bdf"},
    };
    EXPECT_EQ(run({"export-c", font}).status, kExitUsage) << "no -o";
    for (std::vector<std::string> arguments : wrong) {
        arguments.insert(arguments.begin(), "export-c");
        arguments.insert(arguments.end(), {"-o", path("out.h")});
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kExitUsage) << arguments.back() << ": " << result.err;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.h"))));
    }
}

// ---- The round trip through the C compiler ----

/// "korvel-cli info --rows" split into one block per glyph or bitmap ("CODE W H" and its rows).
[[nodiscard]] std::vector<std::string> infoBlocks(const std::string& library) {
    const CliRun info = run({"info", "--rows", library});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    std::istringstream lines(info.out);
    std::string line;
    std::getline(lines, line); // the count
    std::vector<std::string> blocks;
    while (std::getline(lines, line)) {
        const auto words = split(line);
        const int height = words.empty() ? 0 : std::stoi(words.back());
        std::string block = line + "\n";
        for (int y = 0; y < height && std::getline(lines, line); ++y) {
            block += line + "\n";
        }
        blocks.push_back(block);
    }
    return blocks;
}

[[nodiscard]] std::string joined(const std::vector<std::string>& blocks, std::size_t first,
                                 std::size_t last) {
    std::string text;
    for (std::size_t k = first; k <= last && k < blocks.size(); ++k) {
        text += blocks[k];
    }
    return text;
}

/// Prints the glyphs of a rows or pages header as "CODE W H" and rows of "#" and "."; fails
/// (exit 3) on a padding bit that is not dark.
constexpr std::string_view kPlainDecoder = R"(#include <stdio.h>
#include "font.h"

static int bitAt(const uint8_t *bytes, const font_glyph *g, int x, int y) {
#if PAGES
    return (bytes[(y / 8) * g->width + x] >> (y % 8)) & 1;
#else
    const uint8_t byte = bytes[y * ((g->width + 7) / 8) + x / 8];
    return MSB ? (byte >> (7 - x % 8)) & 1 : (byte >> (x % 8)) & 1;
#endif
}

int main(void) {
    int code, x, y;
    for (code = font_first; code <= font_last; ++code) {
        const font_glyph *g = &font_glyphs[code - font_first];
        const uint8_t *bytes = font_bitmaps + g->offset;
#if PAGES
        const int columns = g->width, rows = (g->height + 7) / 8 * 8;
#else
        const int columns = (g->width + 7) / 8 * 8, rows = g->height;
#endif
        printf("%d %d %d\n", code, g->width, g->height);
        for (y = 0; y < rows; ++y) {
            for (x = 0; x < columns; ++x) {
                const int lit = bitAt(bytes, g, x, y) == INK;
                if (x < g->width && y < g->height) {
                    putchar(lit ? '#' : '.');
                } else if (lit) {
                    printf("lit padding at %d, %d of %d\n", x, y, code);
                    return 3;
                }
            }
            if (y < g->height) {
                putchar('\n');
            }
        }
    }
    return 0;
}
)";

/// Draws each glyph of an Adafruit GFX font into its cell as that library's drawChar does: bits
/// continuous, most significant first, at the cursor on the baseline plus the glyph's offsets.
constexpr std::string_view kGfxDecoder = R"(#include <stdio.h>
#include <string.h>

#include "gfxtypes.h"
#include "font.h"

static char cell[256][256];

int main(void) {
    const GFXfont *f = &font;
    int code, x, y;
    for (code = f->first; code <= f->last; ++code) {
        const GFXglyph *g = &f->glyph[code - f->first];
        const int w = g->xAdvance, h = f->yAdvance, baseline = BASELINE < 0 ? h : BASELINE;
        uint16_t bo = g->bitmapOffset;
        uint8_t bits = 0, bit = 0, xx, yy;
        memset(cell, '.', sizeof cell);
        for (yy = 0; yy < g->height; yy++) {
            for (xx = 0; xx < g->width; xx++) {
                if (!(bit++ & 7)) {
                    bits = f->bitmap[bo++];
                }
                if (bits & 0x80) {
                    x = g->xOffset + xx;
                    y = baseline + g->yOffset + yy;
                    if (x < 0 || x >= w || y < 0 || y >= h) {
                        printf("ink outside the cell at %d, %d of %d\n", x, y, code);
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

/// A variant of the font export and what its decoder needs to know.
struct FontVariant {
    std::string options;
    std::string_view decoder;
    QStringList defines;
    int first = 0;
    int last = 255;
};

class ExportCRoundTrip : public ExportCTest {
protected:
    static void SetUpTestSuite() {
        font_ = new QTemporaryDir();
        const CliRun made = run({"new-font", "--family", "DejaVu Sans", "--size", "9", "--codes",
                                 "256", "-o", library()});
        ASSERT_EQ(made.status, kExitOk) << made.err;
        glyphs_ = new std::vector<std::string>(infoBlocks(library()));
        ASSERT_EQ(glyphs_->size(), 256U);
    }
    static void TearDownTestSuite() {
        delete font_;
        delete glyphs_;
    }
    [[nodiscard]] static std::string library() {
        return font_->filePath("sans9.lcm").toStdString();
    }
    static const std::vector<std::string>& glyphs() { return *glyphs_; }

private:
    static inline QTemporaryDir* font_ = nullptr;
    static inline std::vector<std::string>* glyphs_ = nullptr;
};

const std::string kCompilerC = KORVEL_C_COMPILER;
const std::string kCompilerCxx = KORVEL_CXX_COMPILER;

TEST_F(ExportCRoundTrip, EveryFontLayoutDecodesToTheLibrarysPixels) {
    const std::vector<FontVariant> variants{
        {"", kPlainDecoder, {"-DPAGES=0", "-DMSB=1", "-DINK=1"}},
        {"--bit-order lsb", kPlainDecoder, {"-DPAGES=0", "-DMSB=0", "-DINK=1"}},
        {"--ink 0", kPlainDecoder, {"-DPAGES=0", "-DMSB=1", "-DINK=0"}},
        {"--bit-order lsb --ink 0", kPlainDecoder, {"-DPAGES=0", "-DMSB=0", "-DINK=0"}},
        {"--layout rows --bit-order msb --ink 1 --codes 32-126",
         kPlainDecoder,
         {"-DPAGES=0", "-DMSB=1", "-DINK=1"},
         32,
         126},
        {"--layout pages", kPlainDecoder, {"-DPAGES=1", "-DMSB=0", "-DINK=1"}},
        {"--layout pages --ink 0 --codes 200-255",
         kPlainDecoder,
         {"-DPAGES=1", "-DMSB=0", "-DINK=0"},
         200,
         255},
        {"--format gfx --baseline bottom", kGfxDecoder, {"-DBASELINE=-1"}},
        {"--format gfx --baseline 11", kGfxDecoder, {"-DBASELINE=11"}},
        {"--format gfx --baseline bottom --codes 32-126", kGfxDecoder, {"-DBASELINE=-1"}, 32, 126},
    };
    for (const FontVariant& variant : variants) {
        SCOPED_TRACE(variant.options);
        exportHeader(library(), variant.options + " --name font", "font");
        const std::string expected = joined(glyphs(), static_cast<std::size_t>(variant.first),
                                            static_cast<std::size_t>(variant.last));
        std::string decodedC;
        ASSERT_TRUE(decode(kCompilerC, std::string(variant.decoder),
                           QStringList{"-std=c99"} + variant.defines, decodedC));
        EXPECT_EQ(decodedC, expected);
    }
}

TEST_F(ExportCTest, GoldenFontLibrariesDecodeInEveryLayout) {
    // Odd sizes: glyphs of height 0 (no bytes at all), blank glyphs (no ink for gfx), a glyph of
    // 255 x 255, 256 codes of width 8. (The glyphs of each share one height, which a GFX font
    // keeps only as its line height.)
    for (const char* file : {"height0.lcm", "blank-5x9-128.lcm", "ink-255x255.lcm", "full-256.lcm",
                             "width0-height9.lcm"}) {
        const std::string library = kData + "/lcm/" + file;
        const auto blocks = infoBlocks(library);
        for (const FontVariant& variant :
             {FontVariant{"--layout rows", kPlainDecoder, {"-DPAGES=0", "-DMSB=1", "-DINK=1"}},
              FontVariant{"--layout pages", kPlainDecoder, {"-DPAGES=1", "-DMSB=0", "-DINK=1"}},
              FontVariant{"--format gfx --baseline 128", kGfxDecoder, {"-DBASELINE=128"}}}) {
            SCOPED_TRACE(std::string(file) + " " + variant.options);
            exportHeader(library, variant.options + " --name font", "font");
            std::string decoded;
            ASSERT_TRUE(decode(kCompilerC, std::string(variant.decoder),
                               QStringList{"-std=c99"} + variant.defines, decoded));
            EXPECT_EQ(decoded, joined(blocks, 0, 255));
        }
    }
}

TEST_F(ExportCRoundTrip, HeadersAreValidCxxToo) {
    for (const FontVariant& variant :
         {FontVariant{"--layout rows", kPlainDecoder, {"-DPAGES=0", "-DMSB=1", "-DINK=1"}},
          FontVariant{"--layout pages", kPlainDecoder, {"-DPAGES=1", "-DMSB=0", "-DINK=1"}},
          FontVariant{"--format gfx --baseline bottom", kGfxDecoder, {"-DBASELINE=-1"}}}) {
        SCOPED_TRACE(variant.options);
        exportHeader(library(), variant.options + " --name font", "font");
        std::string decoded;
        ASSERT_TRUE(decode(kCompilerCxx, std::string(variant.decoder),
                           QStringList{"-x", "c++", "-std=c++11"} + variant.defines, decoded));
        EXPECT_EQ(decoded, joined(glyphs(), 0, 255));
    }
}

TEST_F(ExportCTest, AHeaderIncludedTwiceAndByTwoFilesBuildsOneProgram) {
    // The include guard keeps a second #include harmless, and static data lets two files of one
    // program include the same header.
    const std::string second = "#include \"gfxtypes.h\"\n#include \"font.h\"\n"
                               "#include \"font.h\"\n"
                               "int second(void);\n"
                               "int second(void) { return (int)sizeof font_glyphs[0]; }\n";
    const std::string library = kData + "/lcm/blank-5x9-128.lcm";
    for (const FontVariant& variant :
         {FontVariant{"--layout rows", kPlainDecoder, {"-DPAGES=0", "-DMSB=1", "-DINK=1"}},
          FontVariant{"--format gfx", kGfxDecoder, {"-DBASELINE=-1"}}}) {
        SCOPED_TRACE(variant.options);
        exportHeader(library, variant.options + " --name font", "font");
        std::string decoded;
        ASSERT_TRUE(
            decode(kCompilerC,
                   "#include \"gfxtypes.h\"\n#include \"font.h\"\n" + std::string(variant.decoder),
                   QStringList{"-std=c99"} + variant.defines, decoded, second));
        EXPECT_EQ(decoded, joined(infoBlocks(library), 0, 127));
    }
}

/// Prints every bitmap of the headers lib0.h, lib1.h, ... as "INDEX NAME W H" and rows of
/// palette letters; fails (exit 3) on a pixel no palette colour explains or a lit padding bit.
constexpr std::string_view kBitmapDecoder = R"(#include <stdio.h>
%INCLUDES%

#if FORMAT == 111
static int bitAt(const uint8_t *bytes, int index) {
    return (bytes[index / 8] >> (7 - index % 8)) & 1;
}
#endif

/* The lit channels of pixel x, y as red << 2 | green << 1 | blue, or -1. */
static int channels(const uint8_t *p, int w, int h, int x, int y) {
#if FORMAT == 565
    const int i = (y * w + x) * 2;
    const unsigned v = BIG ? (unsigned)(p[i] << 8 | p[i + 1]) : (unsigned)(p[i + 1] << 8 | p[i]);
    const unsigned r = v >> 11, g = (v >> 5) & 0x3F, b = v & 0x1F;
    (void)h;
    if ((r != 0 && r != 0x1F) || (g != 0 && g != 0x3F) || (b != 0 && b != 0x1F)) {
        return -1;
    }
    return (r != 0) << 2 | (g != 0) << 1 | (b != 0);
#elif FORMAT == 111
    const int i = (y * w + x) * 3;
    (void)h;
    return bitAt(p, i) << 2 | bitAt(p, i + 1) << 1 | bitAt(p, i + 2);
#else
    const int perRow = (w + 7) / 8, plane = perRow * h;
    int c, lit = 0;
    for (c = 0; c < 3; ++c) {
        const uint8_t byte = p[c * plane + y * perRow + x / 8];
        const int bit = MSB ? (byte >> (7 - x % 8)) & 1 : (byte >> (x % 8)) & 1;
        lit = lit << 1 | (bit == INK);
    }
    return lit;
#endif
}

static int dump(int k, const char *name, int w, int h, const uint8_t *p) {
    int x, y;
    const char *c;
    /* The name as info lists it, a backslash doubled. */
    printf("%d ", k);
    for (c = name; *c != 0; ++c) {
        if (*c == '\\') {
            putchar('\\');
        }
        putchar(*c);
    }
    printf(" %d %d\n", w, h);
    if ((p == 0) != (w * h == 0)) {
        return 3;
    }
    for (y = 0; y < h; ++y) {
#if FORMAT == 0
        for (x = w; x < (w + 7) / 8 * 8; ++x) {
            if (channels(p, w, h, x, y) != 0) {
                return 3;
            }
        }
#endif
        for (x = 0; x < w; ++x) {
            const int c = channels(p, w, h, x, y);
            if (c < 0) {
                return 3;
            }
            putchar("KBGARFYW"[c]);
        }
        putchar('\n');
    }
    return 0;
}

#define DUMP(lib)                                                                        \
    for (k = 0; k < lib##_count; ++k) {                                                  \
        if (dump(k, lib##_bitmaps[k].name, lib##_bitmaps[k].width, lib##_bitmaps[k].height, \
                 lib##_bitmaps[k].pixels)) {                                             \
            return 3;                                                                    \
        }                                                                                \
    }

int main(void) {
    int k;
%DUMPS%
    return 0;
}
)";

TEST_F(ExportCTest, EveryBitmapPixelFormatDecodesToTheLibrarysPixels) {
    std::vector<std::string> libraries;
    for (const QString& file : QDir(QString::fromStdString(kData + "/bcm"))
                                   .entryList({"*.bcm"}, QDir::Files, QDir::Name)) {
        if (file != "empty.bcm") {
            libraries.push_back(kData + "/bcm/" + file.toStdString());
        }
    }
    ASSERT_GE(libraries.size(), 6U);
    std::string includes;
    std::string dumps;
    std::string expected;
    for (std::size_t k = 0; k < libraries.size(); ++k) {
        const std::string name = "lib" + std::to_string(k);
        includes += "#include \"" + name + ".h\"\n";
        dumps += "    DUMP(" + name + ")\n";
        expected += joined(infoBlocks(libraries[k]), 0, 65535);
    }
    std::string source(kBitmapDecoder);
    source.replace(source.find("%INCLUDES%"), 10, includes);
    source.replace(source.find("%DUMPS%"), 7, dumps);

    const std::vector<std::pair<std::string, QStringList>> variants{
        {"", {"-DFORMAT=565", "-DBIG=1"}},
        {"--pixel rgb565 --endian little", {"-DFORMAT=565", "-DBIG=0"}},
        {"--pixel rgb111", {"-DFORMAT=111"}},
        {"--pixel planes", {"-DFORMAT=0", "-DMSB=1", "-DINK=1"}},
        {"--pixel planes --bit-order lsb --ink 0", {"-DFORMAT=0", "-DMSB=0", "-DINK=0"}},
    };
    for (const auto& [options, defines] : variants) {
        SCOPED_TRACE(options);
        for (std::size_t k = 0; k < libraries.size(); ++k) {
            exportHeader(libraries[k], options + " --name lib" + std::to_string(k),
                         "lib" + std::to_string(k));
        }
        std::string decoded;
        ASSERT_TRUE(decode(kCompilerC, source, QStringList{"-std=c99"} + defines, decoded));
        // Names are Windows-1252 bytes in the header, as in the library; info shows them as UTF-8.
        EXPECT_EQ(fromLibraryText(decoded).toStdString(), expected);
        if (options.empty()) {
            ASSERT_TRUE(decode(kCompilerCxx, source,
                               QStringList{"-x", "c++", "-std=c++11"} + defines, decoded));
            EXPECT_EQ(fromLibraryText(decoded).toStdString(), expected);
        }
    }
}

} // namespace
} // namespace korvel::cli

namespace korvel::cli {
namespace {

// ---- NAME_code: UTF-8 text to the font's codes ----

/// Bytes as a C string literal of octal escapes only.
[[nodiscard]] std::string octalLiteral(std::string_view bytes) {
    std::string literal = "\"";
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned>(static_cast<std::uint8_t>(byte));
        literal += '\\';
        literal += static_cast<char>('0' + ((value >> 6) & 7));
        literal += static_cast<char>('0' + ((value >> 3) & 7));
        literal += static_cast<char>('0' + (value & 7));
    }
    return literal + "\"";
}

[[nodiscard]] std::string utf8Of(char32_t character) {
    return QString::fromUcs4(&character, 1).toStdString();
}

/// A C program that runs NAME_code ("font_code") over each text and compares the codes it gives
/// with the expected ones; it prints the number of mismatches and a line for each.
[[nodiscard]] std::string
codeChecker(const std::vector<std::pair<std::string, std::vector<int>>>& cases) {
    std::string source = "#include <stdio.h>\n#include \"font.h\"\n\n"
                         "struct text_case { const char *text; int count; int codes[4]; };\n"
                         "static const struct text_case cases[] = {\n";
    for (const auto& [text, codes] : cases) {
        source += "    {" + octalLiteral(text) + ", " + std::to_string(codes.size()) + ", {";
        for (const int code : codes) {
            source += std::to_string(code) + ", ";
        }
        source += "}},\n";
    }
    source += "};\n\n"
              "int main(void) {\n"
              "    int failures = 0;\n"
              "    size_t k;\n"
              "    for (k = 0; k < sizeof cases / sizeof cases[0]; ++k) {\n"
              "        const char *p = cases[k].text;\n"
              "        int n = 0;\n"
              "        while (*p != '\\0' && n < 4) {\n"
              "            int code = font_code(&p);\n"
              "            if (n >= cases[k].count || code != cases[k].codes[n]) {\n"
              "                printf(\"case %u: code %d at %d\\n\", (unsigned)k, code, n);\n"
              "                ++failures;\n"
              "            }\n"
              "            ++n;\n"
              "        }\n"
              "        if (n != cases[k].count) {\n"
              "            printf(\"case %u: %d codes\\n\", (unsigned)k, n);\n"
              "            ++failures;\n"
              "        }\n"
              "    }\n"
              "    printf(\"%d\\n\", failures);\n"
              "    return 0;\n"
              "}\n";
    return source;
}

TEST_F(ExportCTest, Utf8CodeGivesEveryCharacterItsCodeAndMalformedTextQuestionMarks) {
    const std::string library = path("blank.lcm");
    ASSERT_EQ(run({"new-font", "--blank", "2x2", "--codes", "256", "-o", library}).status, kExitOk);
    const int q = '?';
    for (const std::string name :
         {"cp1251", "koi8-r", "cp437", "windows-1253", "iso-8859-11", "windows-1252"}) {
        const CodePage page = *codePageByName(name);
        exportHeader(library, "--codepage " + name + " --name font", "font");
        std::vector<std::pair<std::string, std::vector<int>>> cases;
        for (int code = 1; code < 256; ++code) {
            if (const auto character = page.toUnicode(static_cast<std::uint8_t>(code))) {
                cases.push_back({utf8Of(*character), {code}});
            }
        }
        cases.insert(cases.end(), {
                                      {"\x80", {q}},             // a lone continuation byte
                                      {"\xC0\x80", {q, q}},      // never a lead byte
                                      {"\xC3(", {q, '('}},       // cut short
                                      {"\xE2\x82", {q}},         // cut short by the end
                                      {"\xE0\x80\xAF", {q}},     // an overlong "/"
                                      {"\xED\xA0\x80", {q}},     // a surrogate
                                      {"\xF4\x90\x80\x80", {q}}, // beyond U+10FFFF
                                      {"\xFF"
                                       "A",
                                       {q, 'A'}},                // no UTF-8 byte
                                      {"\xF0\x9F\x98\x80", {q}}, // an emoji
                                      {"\xE4\xB8\xAD"
                                       "Z",
                                       {q, 'Z'}}, // a CJK character
                                  });
        std::string output;
        ASSERT_TRUE(decode(kCompilerC, codeChecker(cases), QStringList{"-std=c99"}, output))
            << name;
        EXPECT_EQ(output, "0\n") << name;
    }
    std::string output;
    ASSERT_TRUE(decode(kCompilerCxx, codeChecker({{"\xD0\x90", {'?'}}}),
                       QStringList{"-x", "c++", "-std=c++11"}, output));
    EXPECT_EQ(output, "0\n") << "the header is Windows-1252's, which has no \"А\"";
    const std::string header = textOf(path("font.h"));
    EXPECT_NE(header.find("static inline uint8_t font_code(const char **utf8) {"),
              std::string::npos);
    EXPECT_NE(header.find("while (*p != '\\0') {"), std::string::npos);
}

TEST_F(ExportCTest, CommentsNameTheCharactersOfTheCodePage) {
    const std::string library = path("blank.lcm");
    ASSERT_EQ(run({"new-font", "--blank", "2x2", "--codes", "256", "-o", library}).status, kExitOk);
    const std::string cyrillic = textOf(exportHeader(library, "--codepage cp1251", "cyrillic"));
    EXPECT_NE(cyrillic.find("/* 192 U+0410: 2 x 2, offset 384"), std::string::npos);
    EXPECT_NE(cyrillic.find("{384, 2, 2}, /* 192 U+0410 */"), std::string::npos);
    EXPECT_NE(cyrillic.find("/* 65 'A' */"), std::string::npos);
    EXPECT_NE(cyrillic.find("/* 152 */"), std::string::npos); // undefined in Windows-1251
    const std::string western = textOf(exportHeader(library, "--format gfx", "western"));
    EXPECT_NE(western.find("/* 192 U+00C0 */"), std::string::npos);
    EXPECT_NE(western.find("/* 129 */"), std::string::npos); // undefined in Windows-1252
    EXPECT_NE(western.find("/* 128 U+20AC */"), std::string::npos);
}

} // namespace
} // namespace korvel::cli
