#include "document/glyphrender.h"

#include "document/librarytext.h"
#include "typeface/fontmatch.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QtMath>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>

namespace korvel {

namespace {

/// Glyphs are drawn in white on black in an 8-bit grey picture; a pixel the rasteriser lit at
/// least half counts as ink (unsmoothed drawing lights pixels fully or not at all).
[[nodiscard]] bool drawnAsInk(uchar grey) {
    return grey >= 128;
}

/// Qt's "Family [foundry]" as the plain family name; other names as they are.
[[nodiscard]] QString withoutFoundry(const QString& name) {
    const qsizetype bracket = name.lastIndexOf(QStringLiteral(" ["));
    if (bracket <= 0 || !name.endsWith(u']')) {
        return name;
    }
    return name.left(bracket);
}

/// The number of single-character edits that turn a into b.
[[nodiscard]] int editDistance(const QString& a, const QString& b) {
    std::vector<int> previous(static_cast<std::size_t>(b.size()) + 1);
    std::vector<int> current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j) {
        previous[j] = static_cast<int>(j);
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        current[0] = static_cast<int>(i) + 1;
        for (qsizetype j = 0; j < b.size(); ++j) {
            const auto k = static_cast<std::size_t>(j);
            const int replace = previous[k] + (a[i] == b[j] ? 0 : 1);
            current[k + 1] = std::min({previous[k + 1] + 1, current[k] + 1, replace});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

/// Frees what fontconfig handed out, for std::unique_ptr.
struct FontconfigFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
    void operator()(FcObjectSet* objects) const { FcObjectSetDestroy(objects); }
    void operator()(FcFontSet* fonts) const { FcFontSetDestroy(fonts); }
};
template <typename T> using FontconfigPointer = std::unique_ptr<T, FontconfigFree>;

/// Every family name of every font file fontconfig has installed, in each of the names' languages;
/// empty when fontconfig lists nothing.
[[nodiscard]] QSet<QString> fontconfigFamilies() {
    QSet<QString> families;
    const FontconfigPointer<FcPattern> all(FcPatternCreate());
    const FontconfigPointer<FcObjectSet> wanted(FcObjectSetBuild(FC_FAMILY, nullptr));
    if (!all || !wanted) {
        return families;
    }
    const FontconfigPointer<FcFontSet> fonts(FcFontList(nullptr, all.get(), wanted.get()));
    for (int font = 0; fonts && font < fonts->nfont; ++font) {
        FcChar8* name = nullptr;
        for (int k = 0;
             FcPatternGetString(fonts->fonts[font], FC_FAMILY, k, &name) == FcResultMatch; ++k) {
            families.insert(QString::fromUtf8(reinterpret_cast<const char*>(name)));
        }
    }
    return families;
}

/// A font file holding a bitmap strike, and the pixel size of the strike in it.
struct StrikeFile {
    QString path;
    int pixels = 0;
};

/// For a family without outlines, the file and strike that fontconfig matches for pixels; none
/// for an outline family (Qt renders those at any size) or when fontconfig finds no such family.
[[nodiscard]] std::optional<StrikeFile> bitmapStrikeFile(const QString& family, int pixels) {
    if (family.isEmpty() || QFontDatabase::isSmoothlyScalable(family) ||
        QFontDatabase::isBitmapScalable(family)) {
        return std::nullopt;
    }
    const auto match = matchFont(family.toStdString(), pixels);
    if (!match || match->scalable || !match->pixels) {
        return std::nullopt;
    }
    // fontconfig falls back to another family rather than failing; only the asked one counts,
    // under any of the names the font carries.
    const bool asFamily =
        std::any_of(match->families.begin(), match->families.end(), [&](const std::string& name) {
            return QString::fromStdString(name).compare(family, Qt::CaseInsensitive) == 0;
        });
    if (!asFamily) {
        return std::nullopt;
    }
    return StrikeFile{QString::fromStdString(match->face.file), qRound(*match->pixels)};
}

/// The tight box of the ink in drawn, whose top-left pixel lies at (left, top) from the origin.
[[nodiscard]] GlyphInk inkOf(const QImage& drawn, int left, int top) {
    return tightInk(drawn.width(), drawn.height(), left, top,
                    [&](int x, int y) { return drawnAsInk(drawn.constScanLine(y)[x]); });
}

/// Whether ink reaches the outermost pixels of a drawing of width x height at (left, top).
[[nodiscard]] bool touchesBorder(const GlyphInk& ink, int left, int top, int width, int height) {
    return !ink.empty() &&
           (ink.left == left || ink.top == top || ink.left + ink.width == left + width ||
            ink.top + ink.height == top + height);
}

} // namespace

QFont glyphFont(const QString& family, int points) {
    QFont font(family);
    font.setPixelSize(std::max(1, pointsToPixels(points)));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QStringList installedFamilies() {
    // Qt adds generic names ("Sans Serif", "Serif", "Monospace") that stand for other families;
    // only names of installed font files are offered.
    const QSet<QString> installed = fontconfigFamilies();
    QStringList families;
    for (const QString& name : QFontDatabase::families()) {
        const QString family = withoutFoundry(name);
        if (!family.contains(u'@') && (installed.isEmpty() || installed.contains(family))) {
            families.append(family);
        }
    }
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    return families;
}

std::optional<QString> findInstalledFamily(const QString& name) {
    for (const QString& family : installedFamilies()) {
        if (family.compare(name, Qt::CaseInsensitive) == 0) {
            return family;
        }
    }
    return std::nullopt;
}

QStringList closestFamilies(const QString& name, int limit) {
    const QString wanted = name.toCaseFolded();
    struct Candidate {
        bool related; // one name holds the other
        int distance;
        QString family;
    };
    std::vector<Candidate> candidates;
    for (const QString& family : installedFamilies()) {
        const QString folded = family.toCaseFolded();
        const bool related = folded.contains(wanted) || wanted.contains(folded);
        candidates.push_back({related, editDistance(wanted, folded), family});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                         if (a.related != b.related) {
                             return a.related;
                         }
                         return a.distance < b.distance;
                     });
    QStringList closest;
    for (const Candidate& candidate : candidates) {
        if (closest.size() >= limit) {
            break;
        }
        closest.append(candidate.family);
    }
    return closest;
}

GlyphRenderer::GlyphRenderer(const QString& family, int points, const CodePage& page)
    : page_(page) {
    const int pixels = std::max(1, pointsToPixels(points));
    if (const auto face = matchOutlineFace(family.toStdString(), pixels)) {
        outline_ = OutlineFont::open(*face, pixels, page);
        if (outline_) {
            return;
        }
    }
    if (const auto strike = bitmapStrikeFile(family, pixels)) {
        // Qt's font database knows only the first strike of a bitmap font, so the strike the font
        // system matched is loaded from its file.
        font_ = QRawFont(strike->path, strike->pixels, QFont::PreferFullHinting);
        if (font_.isValid()) {
            strike_ = BitmapStrike{pixels, strike->pixels};
            return;
        }
    }
    font_ = QRawFont::fromFont(glyphFont(family, points));
}

GlyphRenderer::~GlyphRenderer() = default;

// Rounded up, as the rasteriser's hinted metrics are: the cell covers the whole of both.
int GlyphRenderer::ascent() const {
    return outline_ ? outline_->ascent() : std::max(0, qCeil(font_.ascent()));
}

int GlyphRenderer::descent() const {
    return outline_ ? outline_->descent() : std::max(0, qCeil(font_.descent()));
}

DrawnGlyph GlyphRenderer::drawCode(int code) const {
    if (outline_) {
        return outline_->drawCode(code);
    }
    const quint32 glyph = glyphOf(characterOfCode(code, page_));
    return DrawnGlyph{advanceOfGlyph(glyph), inkOfGlyph(glyph)};
}

DrawnGlyph GlyphRenderer::drawCharacter(char32_t character) const {
    if (outline_) {
        return outline_->drawCharacter(character);
    }
    const quint32 glyph = glyphOf(QString::fromUcs4(&character, 1));
    return DrawnGlyph{advanceOfGlyph(glyph), inkOfGlyph(glyph)};
}

quint32 GlyphRenderer::glyphOf(const QString& character) const {
    const QList<quint32> glyphs = font_.glyphIndexesForString(character);
    // A character the font lacks maps to glyph 0, the font's "missing character" box.
    return glyphs.isEmpty() ? 0 : glyphs.front();
}

int GlyphRenderer::advanceOfGlyph(quint32 glyph) const {
    const QList<QPointF> advances = font_.advancesForGlyphIndexes({glyph});
    return advances.isEmpty() ? 0 : std::max(0, qRound(advances.front().x()));
}

int GlyphRenderer::advance(int code) const {
    if (outline_) {
        return outline_->drawCode(code).advance;
    }
    return advanceOfGlyph(glyphOf(characterOfCode(code, page_)));
}

int GlyphRenderer::textAdvance(const QString& text) const {
    int total = 0;
    for (const char32_t character : text.toUcs4()) {
        total += outline_ ? outline_->drawCharacter(character).advance
                          : advanceOfGlyph(glyphOf(QString::fromUcs4(&character, 1)));
    }
    return total;
}

GlyphInk GlyphRenderer::ink(int code) const {
    return drawCode(code).ink;
}

GlyphInk GlyphRenderer::inkOfGlyph(quint32 glyph) const {
    const QRectF outline = font_.boundingRect(glyph);
    // Hinting may move ink a pixel or two beyond the outline's box; a drawing whose ink reaches
    // its border is made again with a wider margin, so no ink is ever lost here.
    int margin = std::max(4, qCeil(font_.pixelSize() / 16));
    constexpr int kAttempts = 4;
    GlyphInk ink;
    for (int attempt = 0; attempt < kAttempts; ++attempt, margin *= 4) {
        const int left = qFloor(outline.left()) - margin;
        const int top = qFloor(outline.top()) - margin;
        const int width = qCeil(outline.right()) + margin - left;
        const int height = qCeil(outline.bottom()) + margin - top;
        QImage drawn(width, height, QImage::Format_Grayscale8);
        drawn.fill(0);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(Qt::white);
        QGlyphRun run;
        run.setRawFont(font_);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(-left, -top)});
        painter.drawGlyphRun(QPointF(0, 0), run);
        painter.end();
        ink = inkOf(drawn, left, top);
        if (!touchesBorder(ink, left, top, width, height)) {
            break;
        }
    }
    return ink;
}

QImage GlyphRenderer::textPicture(const QString& text, const GlyphCell& cell) const {
    std::vector<DrawnGlyph> glyphs;
    int width = 0;
    for (const char32_t character : text.toUcs4()) {
        width += glyphs.emplace_back(drawCharacter(character)).advance;
    }
    QImage drawn(std::max(1, width), std::max(1, cell.height()), QImage::Format_RGB32);
    drawn.fill(Qt::black);
    int x = 0;
    for (const DrawnGlyph& glyph : glyphs) {
        for (int row = 0; row < glyph.ink.height; ++row) {
            const int y = cell.ascent + glyph.ink.top + row;
            for (int column = 0; column < glyph.ink.width; ++column) {
                const int at = x + glyph.ink.left + column;
                if (glyph.ink.at(column, row) && drawn.rect().contains(at, y)) {
                    drawn.setPixel(at, y, qRgb(255, 255, 255));
                }
            }
        }
        x += glyph.advance;
    }
    return drawn;
}

RenderedCodes renderCodes(const QString& family, int points, int count, const CodePage& page) {
    const GlyphRenderer renderer(family, points, page);
    RenderedCodes rendered = renderCodesOf(renderer, count);
    rendered.strike = renderer.strike();
    return rendered;
}

} // namespace korvel
