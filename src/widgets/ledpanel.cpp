#include "widgets/ledpanel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace korvel {

namespace {

/// Sub-samples per screen pixel side when the dot's edge is smoothed.
constexpr int kSamples = 4;
/// The inner share of the dot's radius that shines at full colour; beyond it the lens darkens
/// towards the rim.
constexpr double kCore = 0.55;
constexpr double kRimShade = 0.72;
/// The glow's brightness next to the dot and how far it reaches, in pitches.
constexpr double kGlowStrength = 0.42;
constexpr double kGlowReach = 0.38;

struct Channels {
    double red = 0;
    double green = 0;
    double blue = 0;
};

[[nodiscard]] Channels channelsOf(QRgb colour) {
    return {static_cast<double>(qRed(colour)), static_cast<double>(qGreen(colour)),
            static_cast<double>(qBlue(colour))};
}

[[nodiscard]] QRgb toRgb(const Channels& c) {
    const auto clamp = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    return qRgb(clamp(c.red), clamp(c.green), clamp(c.blue));
}

[[nodiscard]] Channels mix(const Channels& under, const Channels& over, double share) {
    return {under.red + (over.red - under.red) * share,
            under.green + (over.green - under.green) * share,
            under.blue + (over.blue - under.blue) * share};
}

/// The dot's geometry within a tile: its centre and half its width, in screen pixels.
struct DotShape {
    LedLook::Shape shape = LedLook::Shape::Round;
    double centreX = 0;
    double centreY = 0;
    double radius = 0;

    /// The distance of a point from the centre, in the dot's own measure: round dots by the
    /// circle, square ones by the larger of the two offsets.
    [[nodiscard]] double distance(double x, double y) const {
        const double dx = x - centreX;
        const double dy = y - centreY;
        if (shape == LedLook::Shape::Square) {
            return std::max(std::abs(dx), std::abs(dy));
        }
        return std::sqrt(dx * dx + dy * dy);
    }

    /// How much of the screen pixel (x, y) the dot covers, 0 to 1.
    [[nodiscard]] double coverage(int x, int y) const {
        int inside = 0;
        for (int sy = 0; sy < kSamples; ++sy) {
            for (int sx = 0; sx < kSamples; ++sx) {
                const double px = x + (sx + 0.5) / kSamples;
                const double py = y + (sy + 0.5) / kSamples;
                inside += distance(px, py) <= radius ? 1 : 0;
            }
        }
        return static_cast<double>(inside) / (kSamples * kSamples);
    }

    /// The share of the full colour the dot shows at distance d: full in the core, darker
    /// towards the rim, like the lens of a real LED.
    [[nodiscard]] double shade(double d) const {
        const double core = radius * kCore;
        // A square dot is a flat chip; a round one has a lens.
        if (shape == LedLook::Shape::Square || d <= core || radius <= core) {
            return 1.0;
        }
        const double t = std::min(1.0, (d - core) / (radius - core));
        return 1.0 - (1.0 - kRimShade) * t * t;
    }
};

[[nodiscard]] DotShape shapeFor(const LedLook& look, double originX, double originY) {
    const double pitch = look.pitch;
    const double side = std::max(1.0, pitch * std::clamp(look.dotPercent, 10, 100) / 100.0);
    return {look.shape, originX + pitch / 2.0, originY + pitch / 2.0, side / 2.0};
}

/// One screen pixel of a dot of colour on the board, at (x, y) of a tile whose dot is dot.
[[nodiscard]] Channels dotPixel(const DotShape& dot, Channels colour, int x, int y) {
    const double cover = dot.coverage(x, y);
    const double shade = dot.shade(dot.distance(x + 0.5, y + 0.5));
    const Channels lit{colour.red * shade, colour.green * shade, colour.blue * shade};
    return mix(channelsOf(kLedBoard), lit, cover);
}

void fillTile(std::vector<QRgb>& pixels, int side, const DotShape& dot, QRgb colour, bool withGlow,
              double pitch) {
    pixels.resize(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    const Channels lit = channelsOf(colour);
    const Channels board = channelsOf(kLedBoard);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            Channels value = dotPixel(dot, lit, x, y);
            if (withGlow) {
                // Outside the dot the light falls off with the distance from its rim.
                const double beyond = std::max(0.0, dot.distance(x + 0.5, y + 0.5) - dot.radius) /
                                      (kGlowReach * pitch);
                const double glow = kGlowStrength * std::exp(-beyond * beyond);
                const Channels haze = mix(board, lit, glow);
                value = {std::max(value.red, haze.red), std::max(value.green, haze.green),
                         std::max(value.blue, haze.blue)};
            }
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(side) +
                   static_cast<std::size_t>(x)] = toRgb(value);
        }
    }
}

/// Each byte of dest raised to the larger of it and the same byte of source. The two never
/// overlap, which lets the compiler take many bytes a step.
void brighterOf(std::uint8_t* __restrict dest, const std::uint8_t* __restrict source,
                std::size_t bytes) {
    for (std::size_t k = 0; k < bytes; ++k) {
        dest[k] = std::max(dest[k], source[k]);
    }
}

} // namespace

DotFrame::DotFrame(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      dots_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

int marqueePeriod(int panelWidth, int contentWidth) {
    return std::max(panelWidth, contentWidth + kMarqueeGap);
}

DotFrame placeContent(const LedContent& content, int panelWidth, int panelHeight, int left, int top,
                      bool wrap) {
    DotFrame frame(panelWidth, panelHeight);
    if (content.width <= 0 || content.height <= 0) {
        return frame;
    }
    const int period = marqueePeriod(panelWidth, content.width);
    for (int y = std::max(0, top); y < std::min(panelHeight, top + content.height); ++y) {
        const int sourceY = y - top;
        for (int x = 0; x < panelWidth; ++x) {
            int sourceX = x - left;
            if (wrap) {
                sourceX = ((sourceX % period) + period) % period;
            }
            if (sourceX >= 0 && sourceX < content.width) {
                frame.setDot(x, y, content.at(sourceX, sourceY));
            }
        }
    }
    return frame;
}

const LedRenderer::Tile& LedRenderer::tileOf(QRgb colour) {
    for (const Tile& tile : tiles_) {
        if (tile.colour == colour) {
            return tile;
        }
    }
    Tile tile;
    tile.colour = colour;
    const int pitch = look_.pitch;
    const QRgb shown = colour == 0 ? look_.unlit : colour;
    fillTile(tile.pixels, pitch, shapeFor(look_, 0, 0), shown, false, pitch);
    if (look_.glow && colour != 0) {
        fillTile(tile.glow, 3 * pitch, shapeFor(look_, pitch, pitch), shown, true, pitch);
    }
    tiles_.push_back(std::move(tile));
    return tiles_.back();
}

void LedRenderer::drawDots(const DotFrame& frame) {
    const int pitch = look_.pitch;
    const std::size_t tileRowBytes = static_cast<std::size_t>(pitch) * sizeof(QRgb);
    // The last tile found: neighbouring dots mostly share a colour.
    const Tile* last = &tileOf(0);
    for (int dy = 0; dy < frame.height(); ++dy) {
        const QRgb* dots = frame.row(dy);
        for (int line = 0; line < pitch; ++line) {
            auto* out = reinterpret_cast<QRgb*>(image_.scanLine(dy * pitch + line));
            for (int dx = 0; dx < frame.width(); ++dx) {
                if (last->colour != dots[dx]) {
                    last = &tileOf(dots[dx]);
                }
                std::memcpy(out + static_cast<std::ptrdiff_t>(dx) * pitch,
                            last->pixels.data() + static_cast<std::size_t>(line) * pitch,
                            tileRowBytes);
            }
        }
    }
}

void LedRenderer::drawGlow(const DotFrame& frame) {
    const int pitch = look_.pitch;
    const int side = 3 * pitch;
    const int imageWidth = image_.width();
    const int imageHeight = image_.height();
    for (int dy = 0; dy < frame.height(); ++dy) {
        const QRgb* dots = frame.row(dy);
        for (int dx = 0; dx < frame.width(); ++dx) {
            if (dots[dx] == 0) {
                continue;
            }
            const Tile& tile = tileOf(dots[dx]);
            // The glow tile's top-left corner lies one pitch up and left of the dot's tile.
            const int x0 = (dx - 1) * pitch;
            const int y0 = (dy - 1) * pitch;
            const int left = std::max(0, x0);
            const int right = std::min(imageWidth, x0 + side);
            for (int y = std::max(0, y0); y < std::min(imageHeight, y0 + side); ++y) {
                auto* out = reinterpret_cast<QRgb*>(image_.scanLine(y)) + left;
                const QRgb* in = tile.glow.data() + static_cast<std::size_t>(y - y0) * side +
                                 static_cast<std::size_t>(left - x0);
                brighterOf(reinterpret_cast<std::uint8_t*>(out),
                           reinterpret_cast<const std::uint8_t*>(in),
                           static_cast<std::size_t>(right - left) * sizeof(QRgb));
            }
        }
    }
}

const QImage& LedRenderer::render(const DotFrame& frame, const LedLook& look) {
    LedLook wanted = look;
    wanted.pitch = std::clamp(look.pitch, kLedMinPitch, kLedMaxPitch);
    if (!(wanted == look_)) {
        look_ = wanted;
        tiles_.clear();
    }
    const QSize size(frame.width() * look_.pitch, frame.height() * look_.pitch);
    if (image_.size() != size) {
        image_ = QImage(size, QImage::Format_RGB32);
    }
    if (size.isEmpty()) {
        return image_;
    }
    drawDots(frame);
    if (look_.glow) {
        drawGlow(frame);
    }
    return image_;
}

} // namespace korvel
