#include "document/glyphrender.h"
#include "document/librarytext.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

namespace korvel {
namespace {

const QString kDejaVu = QStringLiteral("DejaVu Sans");
const QString kFreeSans = QStringLiteral("FreeSans");
const QString kTerminus = QStringLiteral("Terminus");

/// Ink pixels as (x, y) from the glyph's origin on the baseline.
using InkSet = std::set<std::pair<int, int>>;

/// Code's glyph drawn on its own in a scratch picture four times the pixel size each way and
/// more (hinting smears some glyphs of tiny sizes sideways), with the origin in the middle:
/// everything the rasteriser lights, with no cell around it.
[[nodiscard]] InkSet scratchInk(const QRawFont& font, int code,
                                const CodePage& page = windows1252()) {
    const int pixels = qRound(font.pixelSize());
    const int side = 4 * pixels + 160;
    const int origin = side / 2;
    QImage drawn(side, side, QImage::Format_RGB32);
    drawn.fill(Qt::black);
    QPainter painter(&drawn);
    painter.setPen(QColor(255, 0, 0));
    QGlyphRun run;
    run.setRawFont(font);
    const QList<quint32> glyphs = font.glyphIndexesForString(characterOfCode(code, page));
    run.setGlyphIndexes({glyphs.isEmpty() ? 0U : glyphs.front()});
    run.setPositions({QPointF(origin, origin)});
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.end();
    InkSet ink;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (qRed(drawn.pixel(x, y)) >= 128) {
                EXPECT_TRUE(x > 0 && y > 0 && x < side - 1 && y < side - 1)
                    << "the scratch picture is too small for code " << code;
                ink.emplace(x - origin, y - origin);
            }
        }
    }
    return ink;
}

/// The ink of a library glyph, from its origin on the baseline row.
[[nodiscard]] InkSet libraryInk(const GlyphRecord& glyph, int baseline) {
    InkSet ink;
    for (int y = 0; y < glyph.picture->height(); ++y) {
        for (int x = 0; x < glyph.picture->width(); ++x) {
            if (glyph.picture->pixel(x, y) == kRed) {
                ink.emplace(x, y - baseline);
            }
        }
    }
    return ink;
}

/// Family and size of the fonts whose libraries lost ink before their cell covered it.
class InkPreservation : public testing::TestWithParam<std::tuple<QString, int>> {};

TEST_P(InkPreservation, EveryGlyphKeepsItsInkWithinTheAdvance) {
    const auto& [family, points] = GetParam();
    ASSERT_TRUE(findInstalledFamily(family).has_value()) << family.toStdString();
    // The library's glyphs come from FreeType, the scratch ones from Qt's drawing.
    ASSERT_TRUE(GlyphRenderer(family, points).drawsOutlines());
    const QRawFont font = QRawFont::fromFont(glyphFont(family, points));
    const RenderedCodes rendered = renderCodes(family, points, 256);
    ASSERT_EQ(rendered.glyphs.size(), 256U);
    EXPECT_GE(rendered.cell.ascent, font.ascent());
    EXPECT_GE(rendered.cell.descent, font.descent());

    int cutSideways = 0;
    for (int code = 0; code < 256; ++code) {
        const GlyphRecord& glyph = rendered.glyphs[static_cast<std::size_t>(code)];
        ASSERT_EQ(glyph.height, rendered.cell.height()) << "one height for the whole library";
        ASSERT_EQ(glyph.picture->height(), glyph.height);
        ASSERT_EQ(glyph.width, qRound(font.advancesForGlyphIndexes(
                                              font.glyphIndexesForString(characterOfCode(code)))
                                          .front()
                                          .x()))
            << "the width stays the advance, code " << code;
        InkSet kept;
        bool lostSideways = false;
        for (const auto& pixel : scratchInk(font, code)) {
            if (pixel.first >= 0 && pixel.first < glyph.width) {
                kept.insert(pixel);
            } else {
                lostSideways = true;
            }
        }
        cutSideways += lostSideways ? 1 : 0;
        EXPECT_EQ(libraryInk(glyph, rendered.cell.ascent), kept) << "code " << code;
    }
    EXPECT_EQ(rendered.sidewaysCut, cutSideways);
}

INSTANTIATE_TEST_SUITE_P(OutlineFonts, InkPreservation,
                         testing::Combine(testing::Values(kDejaVu, kFreeSans),
                                          testing::Values(7, 9, 13, 16)));
// The largest size at which Qt draws hinted glyphs too (62 pixels; from 64 it fills outlines
// unhinted).
INSTANTIATE_TEST_SUITE_P(LargeOutline, InkPreservation,
                         testing::Combine(testing::Values(kDejaVu), testing::Values(47)));
// At one or two pixels hinting smears some glyphs far beyond their outline's box.
INSTANTIATE_TEST_SUITE_P(TinySizes, InkPreservation,
                         testing::Combine(testing::Values(QStringLiteral("DejaVu Serif")),
                                          testing::Values(1, 2)));

TEST(InkPreservation, CodesRenderTheCharactersOfTheirCodePage) {
    const CodePage cp1251 = *codePageByName("cp1251");
    const QRawFont font = QRawFont::fromFont(glyphFont(kDejaVu, 12));
    const RenderedCodes cyrillic = renderCodes(kDejaVu, 12, 256, cp1251);
    const RenderedCodes western = renderCodes(kDejaVu, 12, 256);
    ASSERT_EQ(cyrillic.glyphs.size(), 256U);
    // The Cyrillic letters "А" (U+0410) to "я" (U+044F) sit at 192 to 255, each with the ink the
    // rasteriser gives that character (DejaVu Sans cuts none of them sideways).
    for (int code = 192; code < 256; ++code) {
        const GlyphRecord& glyph = cyrillic.glyphs[static_cast<std::size_t>(code)];
        EXPECT_EQ(characterOfCode(code, cp1251), QString(QChar(0x0410 + code - 192)));
        EXPECT_EQ(libraryInk(glyph, cyrillic.cell.ascent), scratchInk(font, code, cp1251))
            << "code " << code;
    }
    EXPECT_NE(libraryInk(cyrillic.glyphs[192], cyrillic.cell.ascent),
              libraryInk(western.glyphs[192], western.cell.ascent)); // "А" is no "À"
    // ASCII is the same in every code page.
    EXPECT_EQ(libraryInk(cyrillic.glyphs['A'], cyrillic.cell.ascent),
              libraryInk(western.glyphs['A'], western.cell.ascent));
    // A code Windows-1253 leaves undefined (0xAA) has no character: the font's missing glyph.
    const CodePage greek = *codePageByName("windows-1253");
    EXPECT_TRUE(characterOfCode(0xAA, greek).isEmpty());
    const RenderedCodes greekCodes = renderCodes(kDejaVu, 12, 256, greek);
    EXPECT_EQ(greekCodes.glyphs[0xAA].width, qRound(font.advancesForGlyphIndexes({0}).front().x()));
}

TEST(InkPreservation, TheCellGrowsWithTheCodesRendered) {
    const RenderedCodes small = renderCodes(kDejaVu, 7, 128);
    const RenderedCodes full = renderCodes(kDejaVu, 7, 256);
    EXPECT_LT(small.cell.ascent, full.cell.ascent) << "accented capitals come with 0-255 only";
    EXPECT_EQ(small.glyphs['A'].width, full.glyphs['A'].width);
    EXPECT_EQ(libraryInk(small.glyphs['A'], small.cell.ascent),
              libraryInk(full.glyphs['A'], full.cell.ascent));
}

TEST(FamilyList, EachFamilyOnceByItsPlainName) {
    const QStringList families = installedFamilies();
    ASSERT_TRUE(families.contains(kDejaVu));
    EXPECT_EQ(QSet<QString>(families.begin(), families.end()).size(), families.size());
    QStringList sorted = families;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(families, sorted);
    EXPECT_FALSE(families.join(QString()).contains(u'@'));

    // Qt names a family several foundries provide "Family [foundry]"; the URW fonts are such.
    const QRegularExpression withFoundry(QStringLiteral("^(.*) \\[[^\\]]*\\]$"));
    int foundryNames = 0;
    for (const QString& qtName : QFontDatabase::families()) {
        const QRegularExpressionMatch match = withFoundry.match(qtName);
        if (!match.hasMatch()) {
            continue;
        }
        ++foundryNames;
        const QString plain = match.captured(1);
        EXPECT_TRUE(families.contains(plain)) << qtName.toStdString();
        EXPECT_FALSE(families.contains(qtName)) << qtName.toStdString();
        // The font engine may name the foundry it took as well.
        const QString rendered = QRawFont::fromFont(glyphFont(plain, 12)).familyName();
        const QRegularExpressionMatch renderedMatch = withFoundry.match(rendered);
        EXPECT_EQ(renderedMatch.hasMatch() ? renderedMatch.captured(1) : rendered, plain)
            << "choosing the plain name renders that family";
    }
    EXPECT_GT(foundryNames, 0) << "fonts-urw-base35 gives families of several foundries";
    EXPECT_TRUE(families.contains(QStringLiteral("Nimbus Sans")));
}

/// The family names of one line of "fc-list : family": a font with names in several languages
/// lists them separated by commas, and a backslash escapes the character after it ("Unifont\-JP"
/// is Unifont-JP, "a\,b" one name with a comma).
[[nodiscard]] QStringList fcListNames(const QString& line) {
    QStringList names;
    QString name;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\' && i + 1 < line.size()) {
            name += line[++i];
        } else if (line[i] == u',') {
            names.append(std::exchange(name, QString()));
        } else {
            name += line[i];
        }
    }
    names.append(name);
    names.removeAll(QString());
    return names;
}

TEST(FamilyList, FcListLinesAreUnescaped) {
    EXPECT_EQ(fcListNames(QStringLiteral("Unifont\\-JP")),
              QStringList{QStringLiteral("Unifont-JP")});
    EXPECT_EQ(
        fcListNames(QStringLiteral("Noto Sans\\,Extra,Noto Sans Ünicode")),
        (QStringList{QStringLiteral("Noto Sans,Extra"), QStringLiteral("Noto Sans Ünicode")}));
    EXPECT_EQ(fcListNames(QStringLiteral("a\\\\b,")), QStringList{QStringLiteral("a\\b")});
}

TEST(FamilyList, OnlyFamiliesOfInstalledFontFiles) {
    // fc-list reads the same font configuration.
    QProcess fcList;
    fcList.start(QStringLiteral("fc-list"), {QStringLiteral(":"), QStringLiteral("family")});
    ASSERT_TRUE(fcList.waitForFinished(30000));
    QSet<QString> installed;
    for (const QString& line : QString::fromUtf8(fcList.readAllStandardOutput()).split(u'\n')) {
        for (const QString& name : fcListNames(line)) {
            installed.insert(name);
        }
    }
    const QStringList families = installedFamilies();
    for (const QString& family : families) {
        EXPECT_TRUE(installed.contains(family)) << family.toStdString();
    }
    for (const QString& qtName : QFontDatabase::families()) {
        if (installed.contains(qtName)) {
            EXPECT_TRUE(families.contains(qtName)) << qtName.toStdString();
        }
    }
    EXPECT_FALSE(families.contains(QStringLiteral("Sans Serif"))) << "a generic name of Qt's";
}

TEST(FamilyList, NamesMatchInAnyLetterCaseAndRefusalsSuggestTheClosest) {
    EXPECT_EQ(findInstalledFamily(QStringLiteral("dejavu SANS")), kDejaVu);
    EXPECT_EQ(findInstalledFamily(QStringLiteral("Nimbus Sans [urw]")), std::nullopt);
    EXPECT_EQ(findInstalledFamily(QStringLiteral("DejaVu")), std::nullopt);

    EXPECT_EQ(closestFamilies(QStringLiteral("Nimbus Sans [urw]")).value(0),
              QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(closestFamilies(QStringLiteral("FreeSnas")).value(0), kFreeSans);
    const QStringList dejavu = closestFamilies(QStringLiteral("dejavu"), 2);
    ASSERT_EQ(dejavu.size(), 2);
    for (const QString& family : dejavu) {
        EXPECT_TRUE(family.startsWith(QStringLiteral("DejaVu"))) << family.toStdString();
    }
}

TEST(BitmapFont, RendersTheStrikeOfTheSizeAsked) {
    ASSERT_TRUE(findInstalledFamily(kTerminus).has_value()) << "fonts-terminus-otb";
    EXPECT_FALSE(GlyphRenderer(kTerminus, 9).drawsOutlines()) << "Qt draws bitmap fonts";
    // Terminus has strikes of 6 x 12, 8 x 16 and 16 x 32 pixels among others.
    const auto expectCells = [](int points, int width, int height) {
        const RenderedCodes rendered = renderCodes(kTerminus, points, 128);
        ASSERT_TRUE(rendered.strike.has_value());
        EXPECT_EQ(rendered.strike->askedPixels, pointsToPixels(points));
        EXPECT_EQ(rendered.strike->usedPixels, height);
        for (int code = 32; code < 127; ++code) {
            const GlyphRecord& glyph = rendered.glyphs[static_cast<std::size_t>(code)];
            ASSERT_EQ(std::pair(glyph.width, glyph.height), std::pair(width, height))
                << points << " points, code " << code;
        }
        EXPECT_EQ(rendered.sidewaysCut, 0) << "a character cell font draws inside its cells";
        const InkSet g = libraryInk(rendered.glyphs['g'], rendered.cell.ascent);
        EXPECT_TRUE(std::any_of(g.begin(), g.end(), [](const auto& pixel) {
            return pixel.second > 0;
        })) << "the tail of g lies below the baseline";
    };
    expectCells(9, 6, 12);
    expectCells(12, 8, 16);
    expectCells(24, 16, 32);

    // 13 pixels lie between the 12 and 14 pixel strikes; the font system takes the smaller.
    const RenderedCodes between = renderCodes(kTerminus, 10, 128);
    ASSERT_TRUE(between.strike.has_value());
    EXPECT_EQ(between.strike->askedPixels, 13);
    EXPECT_EQ(between.strike->usedPixels, 12);
    EXPECT_FALSE(renderCodes(kDejaVu, 12, 1).strike.has_value()) << "outline fonts scale";
}

} // namespace
} // namespace korvel
