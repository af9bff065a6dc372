#include "core/fontmetrics.h"

#include "core/colour.h"

#include <algorithm>
#include <limits>

namespace korvel {

bool inkAt(const GlyphRecord& glyph, int x, int y) {
    return glyph.picture && isInk(glyph.picture->pixel(x, y));
}

int widthOf(const GlyphRecord& glyph) {
    return std::max(0, glyph.width);
}

int heightOf(const GlyphRecord& glyph) {
    return std::max(0, glyph.height);
}

InkBox inkBoxOf(const GlyphRecord& glyph) {
    int left = std::numeric_limits<int>::max();
    int top = std::numeric_limits<int>::max();
    int right = -1;
    int bottom = -1;
    if (!glyph.picture) {
        return {};
    }
    const int width = std::min(widthOf(glyph), glyph.picture->width());
    const int height = std::min(heightOf(glyph), glyph.picture->height());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (isInk(glyph.picture->pixel(x, y))) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

Baseline resolveBaseline(const FontLibrary& library, const BaselineChoice& choice) {
    switch (choice.rule) {
    case BaselineRule::Row:
        return Baseline{choice.row, std::nullopt};
    case BaselineRule::Bottom:
        return Baseline{};
    case BaselineRule::Auto:
        break;
    }
    // Letters and digits sit on the baseline in every Latin font, and the ASCII codes stay the
    // same in every 8-bit code page.
    for (const char letter : kBaselineLetters) {
        const int code = static_cast<unsigned char>(letter);
        if (code >= library.count) {
            continue;
        }
        const InkBox ink = inkBoxOf(library.glyphs[static_cast<std::size_t>(code)]);
        if (!ink.empty()) {
            return Baseline{ink.bottom(), code};
        }
    }
    return Baseline{};
}

FontMetrics measureFont(const FontLibrary& library, const BaselineChoice& choice) {
    FontMetrics metrics;
    metrics.baseline = resolveBaseline(library, choice);
    const int count = std::clamp(library.count, 0, kGlyphSlots);
    int tallest = 0;
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = library.glyphs[static_cast<std::size_t>(code)];
        tallest = std::max(tallest, heightOf(glyph));
        const InkBox ink = inkBoxOf(glyph);
        if (ink.empty()) {
            continue;
        }
        const int baseline = metrics.baseline.rowIn(glyph);
        const int left = ink.left;
        const int right = ink.left + ink.width;
        const int above = baseline - ink.top;
        const int below = ink.bottom() - baseline;
        if (!metrics.hasInk) {
            metrics.hasInk = true;
            metrics.inkLeft = left;
            metrics.inkRight = right;
            metrics.inkAbove = above;
            metrics.inkBelow = below;
            continue;
        }
        metrics.inkLeft = std::min(metrics.inkLeft, left);
        metrics.inkRight = std::max(metrics.inkRight, right);
        metrics.inkAbove = std::max(metrics.inkAbove, above);
        metrics.inkBelow = std::max(metrics.inkBelow, below);
    }
    metrics.ascent = metrics.baseline.row.value_or(tallest);
    metrics.descent = tallest - metrics.ascent;
    return metrics;
}

} // namespace korvel
