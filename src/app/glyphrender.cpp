#include "glyphrender.h"

#include "librarytext.h"

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
    : font_(glyphFont(family, points)), metrics_(font_) {}

int GlyphRenderer::cellHeight() const {
    return metrics_.ascent() + metrics_.descent();
}

int GlyphRenderer::advance(int code) const {
    return std::max(0, metrics_.horizontalAdvance(characterOfCode(code)));
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
        painter.setFont(font_);
        painter.setPen(QColor(255, 0, 0));
        painter.drawText(0, metrics_.ascent(), characterOfCode(code));
        painter.end();
        threshold(drawn, picture);
    }
    glyph.picture = std::move(picture);
    return glyph;
}

} // namespace korvel
