#include "formats/imageconvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvel {
namespace {

/// An opaque grey picture whose value at (x, y) is shade(x, y).
SourceImage greyImage(int width, int height, const std::function<int(int, int)>& shade) {
    SourceImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(shade(x, y));
            image.at(x, y) = SourcePixel{v, v, v, 255};
        }
    }
    return image;
}

/// A photo-like grey picture: smooth light falling across it, a round highlight and grain from a
/// fixed generator, so that every value from dark to light occurs in irregular places.
SourceImage photoLike(int width, int height) {
    std::uint32_t seed = 12345;
    return greyImage(width, height, [&](int x, int y) {
        seed = seed * 1103515245U + 12345U;
        const double grain = static_cast<double>((seed >> 16) % 41) - 20.0;
        const double dx = x - width * 0.6;
        const double dy = y - height * 0.4;
        const double light =
            40.0 + 150.0 * x / width + 60.0 * std::exp(-(dx * dx + dy * dy) / 60.0);
        return static_cast<int>(std::clamp(light + grain, 0.0, 255.0));
    });
}

ConversionOptions optionsFor(const SourceImage& image, Dither dither) {
    ConversionOptions options;
    options.width = image.width;
    options.height = image.height;
    options.dither = dither;
    return options;
}

/// Which pixels of a converted grey picture are lit (white), row by row.
std::vector<bool> litPixels(const Picture& picture) {
    std::vector<bool> lit;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.pixel(x, y);
            EXPECT_TRUE(c == kWhite || c == kBlack) << x << "," << y;
            lit.push_back(c == kWhite);
        }
    }
    return lit;
}

/// Error diffusion written out from a published kernel: each pixel in reading order is lit at 128
/// or more and its error (value - 0 or 255) goes to the neighbours (dx, dy) by weight / divisor.
struct KernelTap {
    int dx;
    int dy;
    double weight;
};

std::vector<bool> diffusedByHand(const SourceImage& image, const std::vector<KernelTap>& kernel,
                                 double divisor) {
    std::vector<std::vector<double>> value(
        static_cast<std::size_t>(image.height),
        std::vector<double>(static_cast<std::size_t>(image.width)));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            value[y][x] = image.at(x, y).r;
        }
    }
    std::vector<bool> lit;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool on = value[y][x] >= 128;
            lit.push_back(on);
            const double error = value[y][x] - (on ? 255 : 0);
            for (const KernelTap& tap : kernel) {
                const int nx = x + tap.dx;
                const int ny = y + tap.dy;
                if (nx >= 0 && nx < image.width && ny < image.height) {
                    value[ny][nx] += error * tap.weight / divisor;
                }
            }
        }
    }
    return lit;
}

const std::vector<KernelTap> kFloydSteinbergTaps{{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
const std::vector<KernelTap> kAtkinsonTaps{{1, 0, 1}, {2, 0, 1}, {-1, 1, 1},
                                           {0, 1, 1}, {1, 1, 1}, {0, 2, 1}};

TEST(Dithering, ThreeGreysWorkedByHand) {
    // 100 is dark; Floyd-Steinberg passes 7/16 of its error, 43.75, to the right: 143.75 is lit,
    // and its error -111.25 leaves the third at 100 - 48.67: dark. Atkinson passes 1/8 (12.5) to
    // both right neighbours: 112.5 is dark, passing 14.06 on, and 126.56 stays dark.
    const SourceImage row = greyImage(3, 1, [](int, int) { return 100; });
    EXPECT_EQ(litPixels(convertImage(row, optionsFor(row, Dither::FloydSteinberg))),
              (std::vector<bool>{false, true, false}));
    EXPECT_EQ(litPixels(convertImage(row, optionsFor(row, Dither::Atkinson))),
              (std::vector<bool>{false, false, false}));
    EXPECT_EQ(litPixels(convertImage(row, optionsFor(row, Dither::None))),
              (std::vector<bool>{false, false, false}));
}

TEST(Dithering, ErrorDiffusionFollowsThePublishedKernels) {
    const SourceImage ramp = greyImage(32, 6, [](int x, int) { return x * 8; });
    const SourceImage steep = greyImage(7, 5, [](int x, int y) { return (x * 37 + y * 11) % 256; });
    const SourceImage photo = photoLike(48, 32);
    for (const SourceImage* image : {&ramp, &steep, &photo}) {
        EXPECT_EQ(litPixels(convertImage(*image, optionsFor(*image, Dither::FloydSteinberg))),
                  diffusedByHand(*image, kFloydSteinbergTaps, 16));
        EXPECT_EQ(litPixels(convertImage(*image, optionsFor(*image, Dither::Atkinson))),
                  diffusedByHand(*image, kAtkinsonTaps, 8));
    }
}

TEST(Dithering, FloydSteinbergKeepsTheAverageBrightness) {
    // It passes all of its error on, so lit pixels follow the mean grey; Atkinson drops a quarter
    // of it and threshold alone loses the midtones.
    const SourceImage photo = photoLike(64, 48);
    double mean = 0;
    for (const SourcePixel& p : photo.pixels) {
        mean += p.r;
    }
    mean /= 255.0 * static_cast<double>(photo.pixels.size());
    const auto share = [&](Dither dither) {
        const auto lit = litPixels(convertImage(photo, optionsFor(photo, dither)));
        return static_cast<double>(std::count(lit.begin(), lit.end(), true)) /
               static_cast<double>(lit.size());
    };
    EXPECT_NEAR(share(Dither::FloydSteinberg), mean, 0.01);
    EXPECT_NEAR(share(Dither::Bayer), mean, 0.03);
}

TEST(Dithering, BayerLightsTheMatrixCellsBelowTheGrey) {
    // The published 4 x 4 matrix: a grey v lights cell m when v + 16 m - 120 >= 128.
    constexpr int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (const int grey : {0, 8, 9, 100, 128, 200, 247, 248, 255}) {
        const SourceImage tile = greyImage(8, 8, [&](int, int) { return grey; });
        const auto lit = litPixels(convertImage(tile, optionsFor(tile, Dither::Bayer)));
        int count = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool expected = grey + 16 * kMatrix[y % 4][x % 4] - 120 >= 128;
                EXPECT_EQ(lit[static_cast<std::size_t>(y * 8 + x)], expected)
                    << "grey " << grey << " at " << x << "," << y;
                count += expected ? 1 : 0;
            }
        }
        if (grey == 128) {
            EXPECT_EQ(count, 32); // half of the cells
        }
    }
    // A ramp: each column lights the cells its grey reaches, in the matrix's order.
    const SourceImage ramp = greyImage(16, 4, [](int x, int) { return x * 16 + 8; });
    const auto lit = litPixels(convertImage(ramp, optionsFor(ramp, Dither::Bayer)));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(lit[static_cast<std::size_t>(y * 16 + x)],
                      x * 16 + 8 + 16 * kMatrix[y][x % 4] - 120 >= 128);
        }
    }
}

// ---- threshold, invert, alpha, colours ----

TEST(Conversion, EachChannelAgainstItsOwnThreshold) {
    SourceImage image(1, 1);
    image.at(0, 0) = SourcePixel{100, 200, 50, 255};
    ConversionOptions options = optionsFor(image, Dither::None);
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), makeRgb(0, 255, 0)); // 128 each
    options.channelThresholds = {90, 210, 40};
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), makeRgb(255, 0, 255));
    options.invert = true; // 155, 55, 205
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), makeRgb(255, 0, 255));
    options.channelThresholds = {156, 55, 206};
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), makeRgb(0, 255, 0));
}

TEST(Conversion, FontsTakeInkFromTheBrightness) {
    SourceImage image(3, 1);
    image.at(0, 0) = SourcePixel{255, 0, 0, 255}; // brightness 76
    image.at(1, 0) = SourcePixel{0, 255, 0, 255}; // 150
    image.at(2, 0) = SourcePixel{0, 0, 255, 255}; // 29
    ConversionOptions options = optionsFor(image, Dither::None);
    options.target = ColourTarget::Brightness;
    const Picture glyph = convertImage(image, options);
    EXPECT_EQ(glyph.pixel(0, 0), kBlack);
    EXPECT_EQ(glyph.pixel(1, 0), kRed);
    EXPECT_EQ(glyph.pixel(2, 0), kBlack);
    options.brightnessThreshold = 70;
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), kRed);
    options.invert = true; // 179, 105, 226
    const Picture inverted = convertImage(image, options);
    EXPECT_EQ(inverted.pixel(0, 0), kRed);
    EXPECT_EQ(inverted.pixel(1, 0), kRed);
    EXPECT_EQ(inverted.pixel(2, 0), kRed);
    EXPECT_EQ(brightnessOf(255, 255, 255), 255);
    EXPECT_EQ(brightnessOf(0, 255, 0), 150);
}

TEST(Conversion, TransparentPixelsAreBackgroundAndStopTheError) {
    // A logo on a transparent ground: white ground pixels stay dark, also inverted.
    SourceImage image(4, 1);
    image.at(0, 0) = SourcePixel{255, 255, 255, 0};
    image.at(1, 0) = SourcePixel{255, 255, 255, 127};
    image.at(2, 0) = SourcePixel{255, 255, 255, 128};
    image.at(3, 0) = SourcePixel{0, 0, 0, 255};
    ConversionOptions options = optionsFor(image, Dither::None);
    EXPECT_EQ(convertImage(image, options).pixel(1, 0), kBlack);
    EXPECT_EQ(convertImage(image, options).pixel(2, 0), kWhite);
    options.invert = true;
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), kBlack);
    EXPECT_EQ(convertImage(image, options).pixel(3, 0), kWhite);
    options.invert = false;
    options.alphaThreshold = 0;
    EXPECT_EQ(convertImage(image, options).pixel(0, 0), kWhite);

    // Floyd-Steinberg: a grey of 100 next to a transparent pixel passes nothing into it, and the
    // pixel after it starts afresh.
    SourceImage row(3, 1);
    row.at(0, 0) = SourcePixel{100, 100, 100, 255};
    row.at(1, 0) = SourcePixel{255, 255, 255, 0};
    row.at(2, 0) = SourcePixel{100, 100, 100, 255};
    EXPECT_EQ(litPixels(convertImage(row, optionsFor(row, Dither::FloydSteinberg))),
              (std::vector<bool>{false, false, false}));
}

// ---- fit modes and scaling ----

/// A picture whose every pixel is its own colour: red is x, green is y, opaque.
SourceImage numbered(int width, int height) {
    SourceImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.at(x, y) =
                SourcePixel{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0, 255};
        }
    }
    return image;
}

/// "x,y" of the source pixel each placed pixel took, "." where the picture does not reach.
std::vector<std::string> takenFrom(const SourceImage& placed) {
    std::vector<std::string> rows;
    for (int y = 0; y < placed.height; ++y) {
        std::string row;
        for (int x = 0; x < placed.width; ++x) {
            const SourcePixel& p = placed.at(x, y);
            row += p.a == 0 ? std::string(" .") : " " + std::to_string(p.r) + std::to_string(p.g);
        }
        rows.push_back(row);
    }
    return rows;
}

SourceImage placed(const SourceImage& source, FitMode fit, int width, int height) {
    ConversionOptions options;
    options.width = width;
    options.height = height;
    options.fit = fit;
    return placeImage(source, options);
}

TEST(FitModes, WideSourceInASquare) {
    const SourceImage wide = numbered(7, 3);
    // Stretch: each axis by itself, x * 7 / 5 and y * 3 / 5.
    EXPECT_EQ(takenFrom(placed(wide, FitMode::Stretch, 5, 5)),
              (std::vector<std::string>{" 00 10 20 40 50", " 00 10 20 40 50", " 01 11 21 41 51",
                                        " 01 11 21 41 51", " 02 12 22 42 52"}));
    // Inside: 5 wide and 3 * 5 / 7 = 2.14, so 2 rows, centred at row 1.
    EXPECT_EQ(takenFrom(placed(wide, FitMode::Inside, 5, 5)),
              (std::vector<std::string>{" . . . . .", " 00 10 20 40 50", " 01 11 21 41 51",
                                        " . . . . .", " . . . . ."}));
    // Crop: 3 rows give a square of 3 columns, the middle ones 2 to 4.
    EXPECT_EQ(takenFrom(placed(wide, FitMode::Crop, 5, 5)),
              (std::vector<std::string>{" 20 20 30 30 40", " 20 20 30 30 40", " 21 21 31 31 41",
                                        " 21 21 31 31 41", " 22 22 32 32 42"}));
    // Centre: columns 1 to 5 of the 7, the 3 rows in the middle.
    EXPECT_EQ(takenFrom(placed(wide, FitMode::Centre, 5, 5)),
              (std::vector<std::string>{" . . . . .", " 10 20 30 40 50", " 11 21 31 41 51",
                                        " 12 22 32 42 52", " . . . . ."}));
}

TEST(FitModes, TallSourceInAWideEntry) {
    const SourceImage tall = numbered(3, 8);
    EXPECT_EQ(placementOf(FitMode::Inside, 3, 8, 9, 4), (Placement{0, 0, 3, 8, 3, 0, 2, 4}));
    EXPECT_EQ(placementOf(FitMode::Crop, 3, 8, 9, 4), (Placement{0, 3, 3, 1, 0, 0, 9, 4}));
    EXPECT_EQ(placementOf(FitMode::Centre, 3, 8, 9, 4), (Placement{0, 2, 3, 4, 3, 0, 3, 4}));
    EXPECT_EQ(placementOf(FitMode::Stretch, 3, 8, 9, 4), (Placement{0, 0, 3, 8, 0, 0, 9, 4}));
    EXPECT_EQ(takenFrom(placed(tall, FitMode::Inside, 9, 4)),
              (std::vector<std::string>{" . . . 00 10 . . . .", " . . . 02 12 . . . .",
                                        " . . . 04 14 . . . .", " . . . 06 16 . . . ."}));
    // A picture that already has the entry's shape is placed whole in every mode but Centre.
    for (const FitMode fit : {FitMode::Stretch, FitMode::Inside, FitMode::Crop}) {
        EXPECT_EQ(placementOf(fit, 10, 6, 5, 3), (Placement{0, 0, 10, 6, 0, 0, 5, 3}));
    }
    // Extreme shapes keep at least one pixel.
    EXPECT_EQ(placementOf(FitMode::Inside, 1000, 1, 4, 4), (Placement{0, 0, 1000, 1, 0, 1, 4, 1}));
    EXPECT_EQ(placementOf(FitMode::Crop, 1, 1000, 4, 4), (Placement{0, 499, 1, 1, 0, 0, 4, 4}));
}

TEST(FitModes, StretchByNearestNeighbourIsTheModifyDialogsScaling) {
    const SourceImage photo = photoLike(37, 23);
    Picture picture(photo.width, photo.height);
    for (int y = 0; y < photo.height; ++y) {
        for (int x = 0; x < photo.width; ++x) {
            const std::uint8_t v = photo.at(x, y).r >= 128 ? 255 : 0;
            picture.setPixel(x, y, makeRgb(v, v, v));
        }
    }
    for (const auto& [w, h] : {std::pair{10, 10}, {80, 7}, {3, 50}}) {
        ConversionOptions options = optionsFor(photo, Dither::None);
        options.width = w;
        options.height = h;
        EXPECT_EQ(convertImage(photo, options), picture.scaled(w, h)) << w << "x" << h;
    }
}

TEST(Scaling, AreaAverageWeighsTheCoveredParts) {
    // Three pixels into two: the first takes all of pixel 0 and half of pixel 1.
    SourceImage row(3, 1);
    row.at(0, 0) = SourcePixel{0, 30, 255, 255};
    row.at(1, 0) = SourcePixel{90, 30, 0, 255};
    row.at(2, 0) = SourcePixel{255, 30, 0, 255};
    ConversionOptions options;
    options.width = 2;
    options.height = 1;
    options.scaling = Scaling::Area;
    const SourceImage shrunk = placeImage(row, options);
    EXPECT_EQ(shrunk.at(0, 0), (SourcePixel{30, 30, 170, 255}));
    EXPECT_EQ(shrunk.at(1, 0), (SourcePixel{200, 30, 0, 255}));

    // Columns and rows together: a 4 x 4 checkerboard of 2 x 2 blocks into 2 x 2 is exact, and
    // into 1 x 1 is the mean grey.
    const SourceImage board =
        greyImage(4, 4, [](int x, int y) { return (x / 2 + y / 2) % 2 * 255; });
    options.width = 2;
    options.height = 2;
    EXPECT_EQ(placeImage(board, options).at(1, 0), (SourcePixel{255, 255, 255, 255}));
    options.width = 1;
    options.height = 1;
    EXPECT_EQ(placeImage(board, options).at(0, 0), (SourcePixel{128, 128, 128, 255}));

    // Transparent pixels give no colour to the average, only their alpha.
    SourceImage logo(2, 1);
    logo.at(0, 0) = SourcePixel{255, 255, 255, 0};
    logo.at(1, 0) = SourcePixel{255, 0, 0, 255};
    EXPECT_EQ(placeImage(logo, options).at(0, 0), (SourcePixel{255, 0, 0, 128}));

    // An axis being enlarged is taken by nearest neighbour.
    options.width = 4;
    options.height = 1;
    EXPECT_EQ(placeImage(logo, options).at(2, 0), logo.at(1, 0));
}

TEST(Conversion, NamesOfTheChoices) {
    EXPECT_EQ(fitModeNamed("inside"), FitMode::Inside);
    EXPECT_EQ(fitModeNamed("centre"), FitMode::Centre);
    EXPECT_EQ(fitModeNamed("Crop"), std::nullopt);
    EXPECT_EQ(ditherNamed("fs"), Dither::FloydSteinberg);
    EXPECT_EQ(ditherNamed("bayer"), Dither::Bayer);
    EXPECT_EQ(ditherNamed("ordered"), std::nullopt);
}

} // namespace
} // namespace korvel
