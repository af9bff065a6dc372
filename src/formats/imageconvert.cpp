#include "formats/imageconvert.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace korvel {

SourceImage::SourceImage(int w, int h)
    : width(std::max(w, 0)), height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
             SourcePixel{0, 0, 0, 0}) {}

namespace {

/// a * b / c rounded to the nearest integer, for the sides of a kept aspect ratio.
[[nodiscard]] int scaledSide(std::int64_t a, std::int64_t b, std::int64_t c) {
    return static_cast<int>((2 * a * b + c) / (2 * c));
}

/// One axis of a Centre placement: the source taken and where it goes.
void centreAxis(int source, int target, int& from, int& length, int& to) {
    if (source >= target) {
        from = (source - target) / 2;
        length = target;
        to = 0;
    } else {
        from = 0;
        length = source;
        to = (target - source) / 2;
    }
}

} // namespace

Placement placementOf(FitMode fit, int sourceWidth, int sourceHeight, int width, int height) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) {
        return {};
    }
    Placement p{0, 0, sourceWidth, sourceHeight, 0, 0, width, height};
    const std::int64_t sourceWide = std::int64_t{sourceWidth} * height;
    const std::int64_t targetWide = std::int64_t{sourceHeight} * width;
    switch (fit) {
    case FitMode::Stretch:
        break;
    case FitMode::Inside:
        if (sourceWide <= targetWide) { // the picture is taller than the entry: its height limits
            p.dw = std::clamp(scaledSide(sourceWidth, height, sourceHeight), 1, width);
        } else {
            p.dh = std::clamp(scaledSide(sourceHeight, width, sourceWidth), 1, height);
        }
        p.dx = (width - p.dw) / 2;
        p.dy = (height - p.dh) / 2;
        break;
    case FitMode::Crop:
        if (sourceWide >= targetWide) { // the picture is wider than the entry: its sides go
            p.sw = std::clamp(scaledSide(sourceHeight, width, height), 1, sourceWidth);
        } else {
            p.sh = std::clamp(scaledSide(sourceWidth, height, width), 1, sourceHeight);
        }
        p.sx = (sourceWidth - p.sw) / 2;
        p.sy = (sourceHeight - p.sh) / 2;
        break;
    case FitMode::Centre:
        centreAxis(sourceWidth, width, p.sx, p.sw, p.dx);
        centreAxis(sourceHeight, height, p.sy, p.sh, p.dy);
        p.dw = p.sw;
        p.dh = p.sh;
        break;
    }
    return p;
}

namespace {

// ---- scaling ----

/// One source pixel an output pixel takes part of, and how much (in units the tap list shares).
struct Tap {
    int index;
    std::uint32_t weight;
};

/// For each of count output positions, the source positions from..from + length - 1 it takes.
/// Nearest, or an axis being enlarged: one tap, the pixel Picture::scaled takes. Area: the
/// source pixels the output pixel's span covers, each weighted by how much of it is covered;
/// every list's weights sum to length.
[[nodiscard]] std::vector<std::vector<Tap>> tapsOf(Scaling scaling, int from, int length,
                                                   int count) {
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(count));
    const bool average = scaling == Scaling::Area && length > count;
    for (int i = 0; i < count; ++i) {
        auto& list = taps[static_cast<std::size_t>(i)];
        if (!average) {
            const auto k = static_cast<int>(std::int64_t{i} * length / count);
            list.push_back({from + k, static_cast<std::uint32_t>(length)});
            continue;
        }
        // In units of 1 / count source pixels, output pixel i spans [i * length, (i + 1) * length)
        // and source pixel k spans [k * count, (k + 1) * count).
        const std::int64_t begin = std::int64_t{i} * length;
        const std::int64_t end = begin + length;
        for (std::int64_t k = begin / count; k * count < end; ++k) {
            const std::int64_t covered =
                std::min(end, (k + 1) * count) - std::max(begin, k * count);
            list.push_back({from + static_cast<int>(k), static_cast<std::uint32_t>(covered)});
        }
    }
    return taps;
}

/// Sums of alpha-weighted colour and of alpha, so transparent pixels give no colour to an average.
struct Sums {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 0;
};

[[nodiscard]] SourcePixel averageOf(const Sums& sums, double total) {
    if (sums.a <= 0) {
        return SourcePixel{0, 0, 0, 0};
    }
    const auto channel = [](double value) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    };
    return SourcePixel{channel(sums.r / sums.a), channel(sums.g / sums.a), channel(sums.b / sums.a),
                       channel(sums.a / total)};
}

/// Scales the placement's source part into its target part, columns first, then rows.
void scaleInto(const SourceImage& source, const Placement& p, Scaling scaling,
               SourceImage& result) {
    const auto columns = tapsOf(scaling, p.sx, p.sw, p.dw);
    const auto rows = tapsOf(scaling, p.sy, p.sh, p.dh);
    const auto width = static_cast<std::size_t>(p.dw);
    // Only the source rows some output row takes are reduced.
    std::vector<int> rowSlot(static_cast<std::size_t>(source.height), -1);
    int usedRows = 0;
    for (const auto& list : rows) {
        for (const Tap& tap : list) {
            if (rowSlot[static_cast<std::size_t>(tap.index)] < 0) {
                rowSlot[static_cast<std::size_t>(tap.index)] = usedRows++;
            }
        }
    }
    std::vector<Sums> reduced(static_cast<std::size_t>(usedRows) * width);
    for (int y = 0; y < source.height; ++y) {
        const int slot = rowSlot[static_cast<std::size_t>(y)];
        if (slot < 0) {
            continue;
        }
        const SourcePixel* line =
            &source.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width)];
        Sums* out = &reduced[static_cast<std::size_t>(slot) * width];
        for (std::size_t x = 0; x < width; ++x) {
            std::uint64_t r = 0, g = 0, b = 0, a = 0;
            for (const Tap& tap : columns[x]) {
                const SourcePixel& px = line[tap.index];
                const std::uint64_t weight = std::uint64_t{tap.weight} * px.a;
                r += weight * px.r;
                g += weight * px.g;
                b += weight * px.b;
                a += weight;
            }
            out[x] = Sums{static_cast<double>(r), static_cast<double>(g), static_cast<double>(b),
                          static_cast<double>(a)};
        }
    }
    const double total = double(p.sw) * double(p.sh);
    for (int y = 0; y < p.dh; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            Sums sums;
            for (const Tap& tap : rows[static_cast<std::size_t>(y)]) {
                const Sums& part =
                    reduced[static_cast<std::size_t>(rowSlot[static_cast<std::size_t>(tap.index)]) *
                                width +
                            x];
                sums.r += part.r * tap.weight;
                sums.g += part.g * tap.weight;
                sums.b += part.b * tap.weight;
                sums.a += part.a * tap.weight;
            }
            result.at(p.dx + static_cast<int>(x), p.dy + y) = averageOf(sums, total);
        }
    }
}

/// Nearest neighbour needs no sums: each output pixel is a copy.
void sampleInto(const SourceImage& source, const Placement& p, SourceImage& result) {
    const auto columns = tapsOf(Scaling::Nearest, p.sx, p.sw, p.dw);
    const auto rows = tapsOf(Scaling::Nearest, p.sy, p.sh, p.dh);
    for (int y = 0; y < p.dh; ++y) {
        const int sourceRow = rows[static_cast<std::size_t>(y)].front().index;
        for (int x = 0; x < p.dw; ++x) {
            result.at(p.dx + x, p.dy + y) =
                source.at(columns[static_cast<std::size_t>(x)].front().index, sourceRow);
        }
    }
}

// ---- reduction to lit and dark ----

/// One plane of values to reduce: width x height, with the pixels that are background whatever
/// their value.
struct Plane {
    int width;
    int height;
    std::vector<int> values;
    const std::vector<bool>& transparent;
};

/// Diffuses the quantisation error of every pixel to its neighbours by kernel (dx, dy, weight),
/// the weights over divisor. Errors falling on background pixels or outside are dropped.
template <std::size_t N>
[[nodiscard]] std::vector<bool> diffuse(const Plane& plane, int threshold,
                                        const std::array<std::array<int, 3>, N>& kernel,
                                        double divisor) {
    const auto size =
        static_cast<std::size_t>(plane.width) * static_cast<std::size_t>(plane.height);
    std::vector<double> error(size, 0.0);
    std::vector<bool> lit(size, false);
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < plane.width; ++x) {
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width) +
                static_cast<std::size_t>(x);
            if (plane.transparent[at]) {
                continue;
            }
            const double value = plane.values[at] + error[at];
            lit[at] = value >= threshold;
            const double rest = value - (lit[at] ? 255.0 : 0.0);
            for (const auto& [kx, ky, weight] : kernel) {
                const int nx = x + kx;
                const int ny = y + ky;
                if (nx >= 0 && nx < plane.width && ny < plane.height) {
                    error[static_cast<std::size_t>(ny) * static_cast<std::size_t>(plane.width) +
                          static_cast<std::size_t>(nx)] += rest * weight / divisor;
                }
            }
        }
    }
    return lit;
}

constexpr std::array<std::array<int, 3>, 4> kFloydSteinberg{{
    {1, 0, 7},
    {-1, 1, 3},
    {0, 1, 5},
    {1, 1, 1},
}};

constexpr std::array<std::array<int, 3>, 6> kAtkinson{{
    {1, 0, 1},
    {2, 0, 1},
    {-1, 1, 1},
    {0, 1, 1},
    {1, 1, 1},
    {0, 2, 1},
}};

[[nodiscard]] std::vector<bool> reduce(const Plane& plane, int threshold, Dither dither) {
    const auto size = plane.values.size();
    switch (dither) {
    case Dither::FloydSteinberg:
        return diffuse(plane, threshold, kFloydSteinberg, 16.0);
    case Dither::Atkinson:
        return diffuse(plane, threshold, kAtkinson, 8.0);
    case Dither::None:
    case Dither::Bayer:
        break;
    }
    std::vector<bool> lit(size, false);
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < plane.width; ++x) {
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width) +
                static_cast<std::size_t>(x);
            const int bias = dither == Dither::Bayer
                                 ? 16 * kBayer4[static_cast<std::size_t>(y % 4)]
                                               [static_cast<std::size_t>(x % 4)] -
                                       120
                                 : 0;
            lit[at] = !plane.transparent[at] && plane.values[at] + bias >= threshold;
        }
    }
    return lit;
}

} // namespace

int brightnessOf(int red, int green, int blue) {
    return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

SourceImage placeImage(const SourceImage& source, const ConversionOptions& options) {
    SourceImage result(options.width, options.height);
    if (source.isEmpty() || result.isEmpty() ||
        source.pixels.size() !=
            static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height)) {
        return result;
    }
    const Placement p =
        placementOf(options.fit, source.width, source.height, result.width, result.height);
    if (options.scaling == Scaling::Nearest) {
        sampleInto(source, p, result);
    } else {
        scaleInto(source, p, options.scaling, result);
    }
    return result;
}

Picture quantizeImage(const SourceImage& placed, const ConversionOptions& options) {
    Picture result(placed.width, placed.height);
    const std::size_t size = placed.pixels.size();
    if (result.isEmpty() ||
        size != static_cast<std::size_t>(placed.width) * static_cast<std::size_t>(placed.height)) {
        return result;
    }
    std::vector<bool> transparent(size);
    for (std::size_t i = 0; i < size; ++i) {
        transparent[i] = placed.pixels[i].a < options.alphaThreshold;
    }
    const auto channel = [&](std::uint8_t value) { return options.invert ? 255 - value : value; };
    const auto planeOf = [&](auto valueOf) {
        Plane plane{placed.width, placed.height, std::vector<int>(size), transparent};
        for (std::size_t i = 0; i < size; ++i) {
            plane.values[i] = valueOf(placed.pixels[i]);
        }
        return plane;
    };
    std::array<std::vector<bool>, 3> lit;
    if (options.target == ColourTarget::Brightness) {
        lit[0] = reduce(planeOf([&](const SourcePixel& p) {
                            return channel(static_cast<std::uint8_t>(brightnessOf(p.r, p.g, p.b)));
                        }),
                        options.brightnessThreshold, options.dither);
    } else {
        lit[0] = reduce(planeOf([&](const SourcePixel& p) { return channel(p.r); }),
                        options.channelThresholds[0], options.dither);
        lit[1] = reduce(planeOf([&](const SourcePixel& p) { return channel(p.g); }),
                        options.channelThresholds[1], options.dither);
        lit[2] = reduce(planeOf([&](const SourcePixel& p) { return channel(p.b); }),
                        options.channelThresholds[2], options.dither);
    }
    for (int y = 0; y < placed.height; ++y) {
        std::span<Rgb> row = result.row(y);
        for (int x = 0; x < placed.width; ++x) {
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(placed.width) +
                static_cast<std::size_t>(x);
            const auto level = [&](std::size_t plane) -> std::uint8_t {
                return !lit[plane].empty() && lit[plane][at] ? 255 : 0;
            };
            row[static_cast<std::size_t>(x)] = options.target == ColourTarget::Brightness
                                                   ? (level(0) != 0 ? kRed : kBlack)
                                                   : makeRgb(level(0), level(1), level(2));
        }
    }
    return result;
}

Picture convertImage(const SourceImage& source, const ConversionOptions& options) {
    return quantizeImage(placeImage(source, options), options);
}

std::optional<FitMode> fitModeNamed(std::string_view name) {
    if (name == "stretch") {
        return FitMode::Stretch;
    }
    if (name == "inside") {
        return FitMode::Inside;
    }
    if (name == "crop") {
        return FitMode::Crop;
    }
    if (name == "centre" || name == "center") {
        return FitMode::Centre;
    }
    return std::nullopt;
}

std::optional<Dither> ditherNamed(std::string_view name) {
    if (name == "none") {
        return Dither::None;
    }
    if (name == "fs") {
        return Dither::FloydSteinberg;
    }
    if (name == "atkinson") {
        return Dither::Atkinson;
    }
    if (name == "bayer") {
        return Dither::Bayer;
    }
    return std::nullopt;
}

} // namespace korvel
