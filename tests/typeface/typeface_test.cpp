#include "core/picturetransform.h"
#include "typeface/fontmatch.h"
#include "typeface/glyphcell.h"
#include "typeface/outlinefont.h"
#include "typeface/rememberedmatch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace korvel {
namespace {

/// Frees fontconfig's state once every test has run, as the Qt-free korvel-cli does, so that
/// the leak checker sees only what the tests themselves leave.
class FontLookupRelease final : public testing::Environment {
public:
    void TearDown() override { releaseFontLookup(); }
};
[[maybe_unused]] const testing::Environment* const kFontLookupRelease =
    testing::AddGlobalTestEnvironment(new FontLookupRelease);

/// A 1-bit drawing with random ink and random bits in the padding right of its width.
struct BitDrawing {
    int width = 0;
    int rows = 0;
    int pitch = 0;
    std::vector<std::uint8_t> buffer;

    [[nodiscard]] bool lit(int x, int y) const {
        return (buffer[static_cast<std::size_t>(y * pitch + x / 8)] & (0x80U >> (x % 8))) != 0;
    }
};

[[nodiscard]] BitDrawing randomDrawing(std::mt19937& random) {
    BitDrawing drawing;
    drawing.width = std::uniform_int_distribution(0, 40)(random);
    drawing.rows = std::uniform_int_distribution(0, 12)(random);
    drawing.pitch = (drawing.width + 7) / 8 + std::uniform_int_distribution(0, 2)(random);
    drawing.buffer.resize(static_cast<std::size_t>(drawing.pitch * drawing.rows));
    const int density = std::uniform_int_distribution(0, 3)(random);
    for (auto& byte : drawing.buffer) {
        // Sparse drawings as well as dense ones, so tight boxes come in every shape.
        std::uint8_t value = 0xFF;
        for (int k = 0; k < density; ++k) {
            value &= static_cast<std::uint8_t>(random());
        }
        byte = density == 0 ? 0 : value;
    }
    return drawing;
}

TEST(GlyphInk, TheByteWiseTightBoxEqualsThePixelWiseOne) {
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const BitDrawing drawing = randomDrawing(random);
        const int left = std::uniform_int_distribution(-9, 9)(random);
        const int top = std::uniform_int_distribution(-20, 3)(random);
        const GlyphInk expected = tightInk(drawing.width, drawing.rows, left, top,
                                           [&](int x, int y) { return drawing.lit(x, y); });
        const GlyphInk got = tightInkOfBits(drawing.buffer.data(), drawing.pitch, drawing.width,
                                            drawing.rows, left, top);
        ASSERT_EQ(got.empty(), expected.empty()) << "round " << round;
        if (expected.empty()) {
            continue;
        }
        ASSERT_EQ(got.left, expected.left) << "round " << round;
        ASSERT_EQ(got.top, expected.top) << "round " << round;
        ASSERT_EQ(got.width, expected.width) << "round " << round;
        ASSERT_EQ(got.height, expected.height) << "round " << round;
        ASSERT_EQ(got.bits, expected.bits) << "round " << round;
    }
}

/// Glyphs given as they are, for placing them.
class GivenGlyphs final : public CodeGlyphs {
public:
    GivenGlyphs(int ascent, int descent, std::vector<DrawnGlyph> glyphs)
        : ascent_(ascent), descent_(descent), glyphs_(std::move(glyphs)) {}
    [[nodiscard]] int ascent() const override { return ascent_; }
    [[nodiscard]] int descent() const override { return descent_; }
    [[nodiscard]] DrawnGlyph drawCode(int code) const override {
        return glyphs_[static_cast<std::size_t>(code)];
    }

private:
    int ascent_;
    int descent_;
    std::vector<DrawnGlyph> glyphs_;
};

TEST(GlyphCell, GlyphsArePlacedOnTheBaselineOfOneCellCutOnlyBySideways) {
    std::mt19937 random(11);
    std::vector<DrawnGlyph> glyphs;
    for (int code = 0; code < 256; ++code) {
        const BitDrawing drawing = randomDrawing(random);
        DrawnGlyph glyph;
        glyph.advance = std::uniform_int_distribution(0, 30)(random);
        glyph.ink = tightInkOfBits(drawing.buffer.data(), drawing.pitch, drawing.width,
                                   drawing.rows, std::uniform_int_distribution(-6, 12)(random),
                                   std::uniform_int_distribution(-16, 4)(random));
        glyphs.push_back(std::move(glyph));
    }
    const RenderedCodes rendered = renderCodesOf(GivenGlyphs(5, 2, glyphs), 256);

    GlyphCell cell{5, 2};
    for (const DrawnGlyph& glyph : glyphs) {
        if (!glyph.ink.empty()) {
            cell.ascent = std::max(cell.ascent, -glyph.ink.top);
            cell.descent = std::max(cell.descent, glyph.ink.top + glyph.ink.height);
        }
    }
    EXPECT_EQ(rendered.cell.ascent, cell.ascent);
    EXPECT_EQ(rendered.cell.descent, cell.descent);
    ASSERT_EQ(rendered.glyphs.size(), 256U);
    int cut = 0;
    for (int code = 0; code < 256; ++code) {
        const DrawnGlyph& glyph = glyphs[static_cast<std::size_t>(code)];
        const GlyphRecord& record = rendered.glyphs[static_cast<std::size_t>(code)];
        ASSERT_EQ(record.code, code);
        ASSERT_EQ(record.width, glyph.advance);
        ASSERT_EQ(record.height, cell.height());
        ASSERT_TRUE(record.picture.has_value());
        EXPECT_EQ(record.picture->format(), PixelFormat::Indexed4);
        // Turned while still held as rows, a glyph stays a 16-colour picture.
        EXPECT_EQ(
            transformed(*record.picture, PictureTransform::RotateClockwise, PictureKind::Glyph)
                .format(),
            PixelFormat::Indexed4);
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(glyph.advance * cell.height()),
                                           0);
        bool lost = false;
        for (int y = 0; y < glyph.ink.height; ++y) {
            for (int x = 0; x < glyph.ink.width; ++x) {
                const int column = glyph.ink.left + x;
                if (!glyph.ink.at(x, y)) {
                    continue;
                }
                if (column < 0 || column >= glyph.advance) {
                    lost = true;
                    continue;
                }
                expected[static_cast<std::size_t>(
                    (cell.ascent + glyph.ink.top + y) * glyph.advance + column)] = 1;
            }
        }
        cut += lost ? 1 : 0;
        for (int y = 0; y < cell.height(); ++y) {
            for (int x = 0; x < glyph.advance; ++x) {
                const Rgb pixel = record.picture->pixel(x, y);
                ASSERT_EQ(pixel, expected[static_cast<std::size_t>(y * glyph.advance + x)] != 0
                                     ? kRed
                                     : kBlack)
                    << "code " << code << " at " << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(rendered.sidewaysCut, cut);
}

TEST(OutlineFont, FontconfigFindsOnlyTheOutlineFamilyAsked) {
    const auto dejaVu = matchOutlineFace("dejavu SANS", 12);
    ASSERT_TRUE(dejaVu.has_value());
    EXPECT_EQ(dejaVu->family, "DejaVu Sans");
    EXPECT_NE(dejaVu->file.find("DejaVuSans"), std::string::npos) << dejaVu->file;
    EXPECT_FALSE(matchOutlineFace("No Such Family", 12).has_value()) << "no fallback family";
    EXPECT_FALSE(matchOutlineFace("Terminus", 12).has_value()) << "a bitmap font";
    EXPECT_FALSE(matchOutlineFace("", 12).has_value());
}

// The editor starts fontconfig's load on a thread of its own. A lookup made as soon as it starts
// (Qt's, were the thread not yet joined) may run beside the load, and loads a second copy then;
// either way its answer is the one a lookup after the join gets. The sanitizer run checks the
// overlap for memory errors.
TEST(OutlineFont, ALookupBesideThePreloadGetsTheSameAnswer) {
    releaseFontLookup();
    std::jthread loading = preloadFontLookup();
    ASSERT_TRUE(loading.joinable());
    const auto beside = matchOutlineFace("DejaVu Sans", 12);
    loading.join();
    const auto after = matchOutlineFace("DejaVu Sans", 12);
    ASSERT_TRUE(beside.has_value() && after.has_value());
    EXPECT_EQ(beside->file, after->file);
    EXPECT_EQ(beside->index, after->index);
}

TEST(OutlineFont, CodesDrawTheCharactersOfTheirCodePage) {
    const auto face = matchOutlineFace("DejaVu Sans", 16);
    ASSERT_TRUE(face.has_value());
    const auto western = OutlineFont::open(*face, 16);
    const auto cyrillic = OutlineFont::open(*face, 16, *codePageByName("cp1251"));
    ASSERT_TRUE(western && cyrillic);
    EXPECT_GT(western->ascent(), 10);
    EXPECT_GT(western->descent(), 0);
    EXPECT_LT(western->ascent() + western->descent(), 25);

    const DrawnGlyph a = western->drawCode('A');
    EXPECT_EQ(a.ink.top + a.ink.height, 0) << "A stands on the baseline";
    EXPECT_EQ(cyrillic->drawCode('A').ink.bits, a.ink.bits);
    EXPECT_EQ(cyrillic->drawCode(0xC0).ink.bits, western->drawCharacter(U'\u0410').ink.bits);
    EXPECT_NE(western->drawCode(0xC0).ink.bits, cyrillic->drawCode(0xC0).ink.bits);
    // A code without a character draws the missing-character glyph, a character the font
    // lacks the same.
    const auto greek = OutlineFont::open(*face, 16, *codePageByName("windows-1253"));
    ASSERT_TRUE(greek);
    const DrawnGlyph missing = greek->drawCode(0xAA);
    EXPECT_FALSE(missing.ink.empty());
    EXPECT_EQ(missing.ink.bits, western->drawCharacter(U'\U0010FFFD').ink.bits);
    // A tab shows as a space.
    EXPECT_EQ(western->drawCode('\t').advance, western->drawCode(' ').advance);
    EXPECT_TRUE(western->drawCode('\t').ink.empty());

    EXPECT_EQ(OutlineFont::open(FontFace{KORVEL_TEST_DATA "/bcm/palette-and-names.bcm", 0, ""}, 16),
              nullptr);
}

[[nodiscard]] std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void expectSameMatch(const std::optional<FontMatch>& got, const std::optional<FontMatch>& asked,
                     const std::string& context) {
    ASSERT_EQ(got.has_value(), asked.has_value()) << context;
    if (got) {
        EXPECT_EQ(got->face.file, asked->face.file) << context;
        EXPECT_EQ(got->face.index, asked->face.index) << context;
        EXPECT_EQ(got->scalable, asked->scalable) << context;
        EXPECT_EQ(got->pixels, asked->pixels) << context;
        EXPECT_EQ(got->families, asked->families) << context;
    }
}

/// Whatever part of the remembered file survives, the answer is fontconfig's, and the file
/// holds it again afterwards.
TEST(RememberedMatch, AnyCutOfTheFileGivesFontconfigsAnswer) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "korvel-matches.XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::filesystem::path file = std::filesystem::path(folder) / "sub" / "matches";
    const auto asked = matchFont("DejaVu Sans", 9);
    ASSERT_TRUE(asked.has_value());
    expectSameMatch(matchFontRemembered("DejaVu Sans", 9, file), asked, "first");
    expectSameMatch(matchFontRemembered("DejaVu Sans", 9, file), asked, "remembered");
    expectSameMatch(matchFontRemembered("DejaVu Serif", 30, file), matchFont("DejaVu Serif", 30),
                    "a second answer");
    const std::string whole = fileText(file);
    ASSERT_NE(whole.find("\tDejaVu Serif\t"), std::string::npos) << whole;
    expectSameMatch(matchFontRemembered("DejaVu Sans", 9, file), asked, "both remembered");

    std::vector<std::size_t> cuts{0, whole.size() - 1};
    for (std::size_t end = whole.find('\n'); end != std::string::npos;
         end = whole.find('\n', end + 1)) {
        cuts.insert(cuts.end(), {end, end + 1, end + 2});
    }
    for (const std::size_t cut : cuts) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        expectSameMatch(matchFontRemembered("DejaVu Sans", 9, file), asked,
                        "cut at " + std::to_string(cut));
        EXPECT_NE(fileText(file).find("\tDejaVu Sans\t" + asked->face.file + "\t"),
                  std::string::npos)
            << "cut at " << cut;
    }
    expectSameMatch(matchFontRemembered("DejaVu Sans", 9, {}), asked, "nothing remembered");
    // A pipe where the file should be is not read, which would wait for a writer.
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    expectSameMatch(matchFontRemembered("DejaVu Sans", 9, file), asked, "a pipe");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace korvel
