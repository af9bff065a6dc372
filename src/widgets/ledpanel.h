#pragma once

// An LED matrix panel drawn on screen: which dots are lit in which colour, and the picture of
// the panel with its dots round or square, dim where unlit, on a dark board.

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <deque>
#include <vector>

namespace korvel {

/// The largest panel, in dots.
inline constexpr int kLedMaxWidth = 512;
inline constexpr int kLedMaxHeight = 256;
/// The screen pixels from one dot's centre to the next.
inline constexpr int kLedMinPitch = 2;
inline constexpr int kLedMaxPitch = 32;
/// The colour of the board between the dots.
inline constexpr QRgb kLedBoard = 0xFF0C0C0EU;

/// How the dots look.
struct LedLook {
    enum class Shape : std::uint8_t { Round, Square };
    Shape shape = Shape::Round;
    int pitch = 8;       ///< screen pixels per dot, kLedMinPitch to kLedMaxPitch
    int dotPercent = 80; ///< the dot's width as a share of the pitch, 10 to 100
    bool glow = false;   ///< lit dots light the board around them softly
    QRgb unlit = 0;      ///< the colour of an unlit dot (drawn as it is, so pass a dim one)
    friend bool operator==(const LedLook&, const LedLook&) = default;
};

/// The dots of a panel: 0 for an unlit dot, else the opaque colour (0xFFRRGGBB) it shines in.
class DotFrame {
public:
    DotFrame() = default;
    DotFrame(int width, int height);

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] QRgb dot(int x, int y) const {
        return dots_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                     static_cast<std::size_t>(x)];
    }
    void setDot(int x, int y, QRgb colour) {
        dots_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
              static_cast<std::size_t>(x)] = colour;
    }
    [[nodiscard]] const QRgb* row(int y) const {
        return dots_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    friend bool operator==(const DotFrame&, const DotFrame&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<QRgb> dots_;
};

/// A picture to be shown on a panel: each pixel 0 (unlit) or the colour it lights a dot with.
struct LedContent {
    int width = 0;
    int height = 0;
    std::vector<QRgb> pixels;
    [[nodiscard]] QRgb at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

/// The blank columns between the end of a scrolling content and its start coming round again.
inline constexpr int kMarqueeGap = 8;

/// The columns after which a scrolling content comes round again: the panel's width, or the
/// content's width and kMarqueeGap when that is wider.
[[nodiscard]] int marqueePeriod(int panelWidth, int contentWidth);

/// The panel's dots with the content's top-left pixel at dot (left, top). With wrap, the content
/// repeats every marqueePeriod columns, so what leaves one edge comes in at the other.
[[nodiscard]] DotFrame placeContent(const LedContent& content, int panelWidth, int panelHeight,
                                    int left, int top, bool wrap);

/// Draws dot frames. Each dot is a tile of pitch x pitch screen pixels made once per colour and
/// look and then copied, so a frame costs little more than copying its pixels; the glow is
/// a larger tile laid over by the brighter of the two values per channel.
class LedRenderer {
public:
    /// The frame's picture (pitch screen pixels per dot); valid until the next call.
    [[nodiscard]] const QImage& render(const DotFrame& frame, const LedLook& look);
    /// The picture of the last frame rendered.
    [[nodiscard]] const QImage& image() const { return image_; }

private:
    struct Tile {
        QRgb colour = 0;
        std::vector<QRgb> pixels; ///< pitch x pitch, the dot on the board
        std::vector<QRgb> glow;   ///< (3 pitch) x (3 pitch) centred on the dot, or empty
    };
    [[nodiscard]] const Tile& tileOf(QRgb colour);
    void drawDots(const DotFrame& frame);
    void drawGlow(const DotFrame& frame);

    LedLook look_;
    /// A deque, so a tile found stays where it is while others are added.
    std::deque<Tile> tiles_;
    QImage image_;
};

} // namespace korvel
