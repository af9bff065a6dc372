#include "core/picture.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <array>

namespace korvel {

using Rows = std::vector<std::string>;

TEST(Picture, StartsBlackAndTreatsNegativeSizesAsZero) {
    const Picture picture(3, 2);
    EXPECT_EQ(pictureToText(picture), (Rows{"...", "..."}));
    EXPECT_EQ(picture.format(), PixelFormat::Rgb24);
    const Picture negative(-4, 5);
    EXPECT_EQ(negative.width(), 0);
    EXPECT_EQ(negative.height(), 5);
    EXPECT_TRUE(negative.isEmpty());
}

TEST(Picture, PixelsOutsideReadBlackAndIgnoreWrites) {
    Picture picture = pictureFromText({"WW", "WW"});
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
        EXPECT_EQ(picture.pixel(x, y), kBlack);
        picture.setPixel(x, y, kRed);
    }
    EXPECT_EQ(pictureToText(picture), (Rows{"WW", "WW"}));
}

TEST(Picture, DrawClipsOnEverySideAndLeavesTheRestAlone) {
    const Picture source = pictureFromText({"RG", "BY"});
    Picture target(3, 3);
    target.draw(source, -1, -1);
    target.draw(source, 2, 2);
    target.draw(source, 1, -1);
    EXPECT_EQ(pictureToText(target), (Rows{"YBY", "...", "..#"}));

    Picture untouched = pictureFromText({"WW"});
    untouched.draw(source, 5, 0);
    untouched.draw(source, -2, 0);
    untouched.draw(Picture(0, 0));
    EXPECT_EQ(pictureToText(untouched), (Rows{"WW"}));
}

TEST(Picture, DrawOfASmallerPictureAtTheOriginKeepsTheUncoveredBlack) {
    Picture canvas(8, 3);
    canvas.draw(pictureFromText({"RRRRR", "RRRRR"}));
    EXPECT_EQ(pictureToText(canvas), (Rows{"#####...", "#####...", "........"}));
}

TEST(Picture, ResizeKeepsTheTopLeftAndAddsBlack) {
    Picture picture = pictureFromText({"RG", "BY"}, PixelFormat::Indexed4);
    picture.resize(3, 1);
    EXPECT_EQ(pictureToText(picture), (Rows{"#G."}));
    picture.resize(1, 3);
    EXPECT_EQ(pictureToText(picture), (Rows{"#", ".", "."}));
    EXPECT_EQ(picture.format(), PixelFormat::Indexed4);
    picture.resize(-1, 2);
    EXPECT_EQ(picture.width(), 0);
    EXPECT_EQ(picture.height(), 2);
}

TEST(Picture, ScaledIsNearestNeighbourOnEachAxis) {
    const Picture source = pictureFromText({"RG", "BY"});
    EXPECT_EQ(pictureToText(source.scaled(4, 2)), (Rows{"##GG", "BBYY"}));
    EXPECT_EQ(pictureToText(source.scaled(2, 4)), (Rows{"#G", "#G", "BY", "BY"}));
    EXPECT_EQ(pictureToText(source.scaled(1, 1)), (Rows{"#"}));
    EXPECT_EQ(pictureToText(pictureFromText({"RGBYW"}).scaled(2, 1)), (Rows{"#B"}));
    const Picture none = source.scaled(0, 3);
    EXPECT_EQ(none.width(), 0);
    EXPECT_EQ(none.height(), 3);
    EXPECT_EQ(Picture(0, 0).scaled(2, 2), Picture(2, 2));
    EXPECT_EQ(source, pictureFromText({"RG", "BY"})); // scaling leaves the source alone
}

TEST(Picture, DrawingIntoAnIndexedPictureSnapsEachPixelByItself) {
    // Runs, alternations and returns of colours, standard and not, mixed on each row.
    const std::array<Rgb, 5> colours{makeRgb(250, 10, 5), kBlack, makeRgb(200, 200, 200),
                                     makeRgb(10, 240, 250), kWhite};
    Picture source(37, 5);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const int pick = (x * x + y * 3 + x / 4) % static_cast<int>(colours.size());
            source.setPixel(x, y, colours[static_cast<std::size_t>(pick)]);
        }
    }
    Picture snapped(source.width(), source.height(), PixelFormat::Indexed4);
    snapped.draw(source);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            ASSERT_EQ(snapped.pixel(x, y), nearestStandard16(source.pixel(x, y))) << x << "," << y;
        }
    }
}

TEST(Picture, IndexedPicturesSnapEveryColourToTheStandardSixteen) {
    Picture picture(3, 1, PixelFormat::Indexed4);
    picture.setPixel(0, 0, makeRgb(250, 10, 5));
    picture.setPixel(1, 0, makeRgb(200, 200, 200));
    EXPECT_EQ(picture.pixel(0, 0), makeRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(1, 0), makeRgb(192, 192, 192));

    Picture source(1, 1);
    source.setPixel(0, 0, makeRgb(10, 240, 250));
    picture.draw(source, 2, 0);
    EXPECT_EQ(picture.pixel(2, 0), makeRgb(0, 255, 255));

    picture.fill(makeRgb(120, 130, 0));
    EXPECT_EQ(picture.pixel(1, 0), makeRgb(128, 128, 0));
    EXPECT_EQ(picture.scaled(2, 1).format(), PixelFormat::Indexed4);

    // A 24-bit picture keeps colours as they are, apart from the unused high byte.
    Picture full(1, 1);
    full.setPixel(0, 0, 0xFF123456);
    EXPECT_EQ(full.pixel(0, 0), 0x123456U);
}

TEST(Picture, RowsSpanOneLineOfPixels) {
    Picture picture = pictureFromText({"RGB", "YAW"});
    ASSERT_EQ(picture.row(1).size(), 3U);
    EXPECT_EQ(picture.row(1)[2], kWhite);
    picture.row(0)[1] = kBlack;
    EXPECT_EQ(pictureToText(picture), (Rows{"#.B", "YAW"}));
}

} // namespace korvel
