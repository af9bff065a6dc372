#include "glyphrender.h"

#include "librarytext.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstddef>

namespace korvel {

namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

/// A pixel that the rasteriser lit in any channel counts as ink; everything else is background.
[[nodiscard]] bool drawnAsInk(QRgb pixel) {
    return qRed(pixel) >= 128 || qGreen(pixel) >= 128 || qBlue(pixel) >= 128;
}

/// Copies the drawn image into picture, every pixel exactly pure red or black.
void threshold(const QImage& drawn, Picture& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        auto target = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            // Pure red and black are both standard colours, so writing them as they are keeps
            // the 16-colour picture valid.
            target[static_cast<std::size_t>(x)] = drawnAsInk(source[x]) ? kRed : kBlack;
        }
    }
}

} // namespace

int pointsToPixels(int points) {
    return (points * kDotsPerInch + kPointsPerInch / 2) / kPointsPerInch;
}

QFont glyphFont(const QString& family, int points) {
    QFont font(family);
    font.setPixelSize(std::max(1, pointsToPixels(points)));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

GlyphRenderer::GlyphRenderer(const QString& family, int points)
    : font_(QRawFont::fromFont(glyphFont(family, points))) {}

int GlyphRenderer::cellHeight() const {
    return qRound(font_.ascent()) + qRound(font_.descent());
}

quint32 GlyphRenderer::glyphOf(int code) const {
    const QList<quint32> glyphs = font_.glyphIndexesForString(characterOfCode(code));
    // A character the font lacks maps to glyph 0, the font's "missing character" box.
    return glyphs.isEmpty() ? 0 : glyphs.front();
}

int GlyphRenderer::advance(int code) const {
    const QList<QPointF> advances = font_.advancesForGlyphIndexes({glyphOf(code)});
    return advances.isEmpty() ? 0 : std::max(0, qRound(advances.front().x()));
}

GlyphRecord GlyphRenderer::render(int code) const {
    GlyphRecord glyph;
    glyph.code = code;
    glyph.width = advance(code);
    glyph.height = cellHeight();
    Picture picture(glyph.width, glyph.height, PixelFormat::Indexed4);
    if (!picture.isEmpty()) {
        QImage drawn(glyph.width, glyph.height, QImage::Format_RGB32);
        drawn.fill(Qt::black);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(QColor(255, 0, 0));
        QGlyphRun run;
        run.setRawFont(font_);
        run.setGlyphIndexes({glyphOf(code)});
        run.setPositions({QPointF(0, qRound(font_.ascent()))});
        painter.drawGlyphRun(QPointF(0, 0), run);
        painter.end();
        threshold(drawn, picture);
    }
    glyph.picture = std::move(picture);
    return glyph;
}

} // namespace korvel
