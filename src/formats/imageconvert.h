#pragma once

// Turning any picture (a photo, a logo, an icon) into an entry of a library: placing it in the
// entry's size (fit and scaling), then reducing it to the library's colours (threshold,
// dithering, inversion, transparency). Pure functions over pixels; the editor's image import and
// korvel-cli's add and import commands both go through convertImage.

#include "core/picture.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace korvel {

/// One pixel of a picture read from an image file: 8 bits each of red, green, blue and alpha
/// (255 opaque), in that order in memory.
struct SourcePixel {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    friend bool operator==(const SourcePixel&, const SourcePixel&) = default;
};

/// A picture with transparency, as an image file gives it: width x height pixels, row by row from
/// the top.
struct SourceImage {
    int width = 0;
    int height = 0;
    std::vector<SourcePixel> pixels;

    SourceImage() = default;
    /// A transparent black picture; negative sizes count as 0.
    SourceImage(int width, int height);

    [[nodiscard]] bool isEmpty() const { return width <= 0 || height <= 0; }
    [[nodiscard]] const SourcePixel& at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    [[nodiscard]] SourcePixel& at(int x, int y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

/// How the picture is placed in the entry's size.
enum class FitMode : std::uint8_t {
    Stretch, ///< each axis scaled by itself to fill the entry (the modify dialog's BMP import)
    Inside,  ///< scaled keeping the aspect ratio until it touches two sides; the rest background
    Crop,    ///< scaled keeping the aspect ratio until it covers the entry; the overflow cut off
    Centre,  ///< not scaled, centred; cut off where larger, background around it where smaller
};

/// How the pixels are taken from the picture when its size changes.
enum class Scaling : std::uint8_t {
    Nearest, ///< each pixel takes one picture pixel, as Picture::scaled does
    Area,    ///< a picture being shrunk: each pixel the average of the area it covers
};

/// How lit and dark pixels are spread to show the shades in between.
enum class Dither : std::uint8_t {
    None,           ///< each pixel against the threshold alone
    FloydSteinberg, ///< the error spread 7/16 right, 3/16 below left, 5/16 below, 1/16 below right
    Atkinson,       ///< 1/8 of the error to each of six neighbours; the rest dropped
    Bayer,          ///< the ordered 4 x 4 Bayer matrix
};

/// Which colours the result takes.
enum class ColourTarget : std::uint8_t {
    Channels,   ///< a bitmap library: red, green and blue each lit or dark (eight colours)
    Brightness, ///< a font library: ink (red) where the brightness is lit, else background
};

/// Everything that decides the result besides the picture.
struct ConversionOptions {
    int width = 0;
    int height = 0;
    FitMode fit = FitMode::Stretch;
    Scaling scaling = Scaling::Nearest;
    ColourTarget target = ColourTarget::Channels;
    /// Lit at this value or above, for red, green and blue (Channels).
    std::array<int, 3> channelThresholds{128, 128, 128};
    /// Ink at this brightness or above (Brightness).
    int brightnessThreshold = 128;
    Dither dither = Dither::None;
    /// Each channel v read as 255 - v before the threshold.
    bool invert = false;
    /// A pixel whose alpha is below this is background, whatever its colour.
    int alphaThreshold = 128;

    friend bool operator==(const ConversionOptions&, const ConversionOptions&) = default;
};

/// Where the placed picture lies: the part of the source taken (sx, sy, sw x sh) and the part of
/// the result it fills (dx, dy, dw x dh). Everything outside the filled part is background.
struct Placement {
    int sx = 0;
    int sy = 0;
    int sw = 0;
    int sh = 0;
    int dx = 0;
    int dy = 0;
    int dw = 0;
    int dh = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

/// The placement of a sourceWidth x sourceHeight picture in a width x height result.
[[nodiscard]] Placement placementOf(FitMode fit, int sourceWidth, int sourceHeight, int width,
                                    int height);

/// The first stage: the picture placed and scaled into width x height, transparent where it does
/// not reach. Depends only on the size, fit and scaling of the options.
[[nodiscard]] SourceImage placeImage(const SourceImage& source, const ConversionOptions& options);

/// The second stage: a placed picture of the options' size reduced to the library's colours, as
/// a 24-bit picture (channels 0 or 255; ink is pure red). Transparent pixels are black and take
/// no part in the dithering.
[[nodiscard]] Picture quantizeImage(const SourceImage& placed, const ConversionOptions& options);

/// Both stages: the entry's picture made from source.
[[nodiscard]] Picture convertImage(const SourceImage& source, const ConversionOptions& options);

/// The brightness of a colour, 0 to 255: (299 red + 587 green + 114 blue) / 1000, rounded.
[[nodiscard]] int brightnessOf(int red, int green, int blue);

/// The 4 x 4 Bayer matrix, row by row: a pixel at (x, y) of value v is lit when
/// v + 16 * kBayer4[y % 4][x % 4] - 120 >= the threshold, so a grey of 128 lights half the cells.
inline constexpr std::array<std::array<int, 4>, 4> kBayer4{{
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
}};

// The words korvel-cli and the dialog use for the choices, lower case.

[[nodiscard]] std::optional<FitMode> fitModeNamed(std::string_view name);
[[nodiscard]] std::optional<Dither> ditherNamed(std::string_view name);

} // namespace korvel
