#include "core/cellshapes.h"
#include "core/picturetransform.h"
#include "support/picturetext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace korvel {
namespace {

using Rows = std::vector<std::string>;

Rows after(const Rows& rows, PictureTransform transform, PictureKind kind = PictureKind::Bitmap) {
    return pictureToText(transformed(pictureFromText(rows), transform, kind));
}

TEST(PictureTransformTest, FlipsAndTurnsMovePixelsOfAnOddSizedPicture) {
    // 3 x 2, every pixel different, so each pixel's place is checked.
    const Rows picture{"RGY", "BAW"};
    EXPECT_EQ(after(picture, PictureTransform::FlipHorizontally), (Rows{"YG#", "WAB"}));
    EXPECT_EQ(after(picture, PictureTransform::FlipVertically), (Rows{"BAW", "#GY"}));
    EXPECT_EQ(after(picture, PictureTransform::Rotate180), (Rows{"WAB", "YG#"}));
    EXPECT_EQ(after(picture, PictureTransform::RotateClockwise), (Rows{"B#", "AG", "WY"}));
    EXPECT_EQ(after(picture, PictureTransform::RotateCounterClockwise), (Rows{"YW", "GA", "#B"}));
}

TEST(PictureTransformTest, ShiftsLoseWhatLeavesAndBringInBackground) {
    const Rows picture{"RG.", "BAW", "..F"};
    EXPECT_EQ(after(picture, PictureTransform::ShiftUp), (Rows{"BAW", "..F", "..."}));
    EXPECT_EQ(after(picture, PictureTransform::ShiftDown), (Rows{"...", "#G.", "BAW"}));
    EXPECT_EQ(after(picture, PictureTransform::ShiftLeft), (Rows{"G..", "AW.", ".F."}));
    EXPECT_EQ(after(picture, PictureTransform::ShiftRight), (Rows{".#G", ".BA", "..."}));
}

TEST(PictureTransformTest, InvertSwapsInkInGlyphsAndEachChannelInBitmaps) {
    EXPECT_EQ(after({"#.", "FG"}, PictureTransform::Invert, PictureKind::Glyph),
              (Rows{".#", ".#"}));
    EXPECT_EQ(after({"RGY.", "BAWF"}, PictureTransform::Invert, PictureKind::Bitmap),
              (Rows{"AFBW", "Y#.G"}));
    // Off-palette colours are judged channel by channel by the lit rule.
    EXPECT_EQ(invertedColour(makeRgb(200, 100, 128), PictureKind::Bitmap), makeRgb(0, 255, 0));
    EXPECT_EQ(after({"RG", "BW"}, PictureTransform::Clear), (Rows{"..", ".."}));
}

TEST(PictureTransformTest, EmptyPicturesKeepTheirSizeOrSwapItWhenTurned) {
    for (const TransformName& name : kTransformNames) {
        const Picture narrow = transformed(Picture(0, 4), name.transform, PictureKind::Glyph);
        EXPECT_EQ(narrow.width(), swapsSides(name.transform) ? 4 : 0) << name.caption;
        EXPECT_EQ(narrow.height(), swapsSides(name.transform) ? 0 : 4) << name.caption;
        EXPECT_TRUE(transformed(Picture(), name.transform, PictureKind::Bitmap).isEmpty());
    }
}

TEST(PictureTransformTest, SixteenColourPicturesStaySixteenColour) {
    Picture glyph(3, 2, PixelFormat::Indexed4);
    glyph.setPixel(0, 0, kRed);
    for (const TransformName& name : kTransformNames) {
        EXPECT_EQ(transformed(glyph, name.transform, PictureKind::Glyph).format(),
                  PixelFormat::Indexed4)
            << name.caption;
    }
}

/// A large bitmap whose every pixel tells its place.
Picture numbered(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, static_cast<Rgb>(y * width + x));
        }
    }
    return picture;
}

TEST(PictureTransformTest, QuarterTurnsOfALargeBitmapPutEveryPixelInItsPlace) {
    // The turn walks tiles: 1024 x 512 is whole tiles, 37 x 70 leaves part tiles at both edges.
    for (const auto& [w, h] : {std::pair{1024, 512}, std::pair{37, 70}}) {
        const Picture source = numbered(w, h);
        const Picture clockwise =
            transformed(source, PictureTransform::RotateClockwise, PictureKind::Bitmap);
        const Picture counter =
            transformed(source, PictureTransform::RotateCounterClockwise, PictureKind::Bitmap);
        ASSERT_EQ(clockwise.width(), h);
        ASSERT_EQ(clockwise.height(), w);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(clockwise.pixel(h - 1 - y, x), source.pixel(x, y)) << x << "," << y;
                ASSERT_EQ(counter.pixel(y, w - 1 - x), source.pixel(x, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(
            transformed(clockwise, PictureTransform::RotateCounterClockwise, PictureKind::Bitmap),
            source);
    }
}

TEST(PictureTransformTest, EveryMovingTransformIsUndoneByItsInverse) {
    const Picture source = numbered(5, 3);
    int reversible = 0;
    for (const TransformName& name : kTransformNames) {
        if (const auto inverse = inverseOf(name.transform)) {
            ++reversible;
            const Picture done = transformed(source, name.transform, PictureKind::Bitmap);
            EXPECT_EQ(transformed(done, *inverse, PictureKind::Bitmap), source) << name.caption;
        }
    }
    EXPECT_EQ(reversible, 5);
}

TEST(CellShapesTest, LinesStepFromCellToNeighbouringCell) {
    for (const auto& [a, b] :
         {std::pair{CellPoint{0, 0}, CellPoint{19, 0}}, std::pair{CellPoint{2, 9}, CellPoint{7, 0}},
          std::pair{CellPoint{-3, 4}, CellPoint{5, 6}},
          std::pair{CellPoint{4, 4}, CellPoint{4, 4}}}) {
        const std::vector<CellPoint> cells = lineCells(a, b);
        ASSERT_FALSE(cells.empty());
        EXPECT_EQ(cells.front(), a);
        EXPECT_EQ(cells.back(), b);
        EXPECT_EQ(static_cast<int>(cells.size()),
                  std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) + 1);
        for (std::size_t k = 1; k < cells.size(); ++k) {
            EXPECT_LE(std::abs(cells[k].x - cells[k - 1].x), 1);
            EXPECT_LE(std::abs(cells[k].y - cells[k - 1].y), 1);
        }
    }
}

TEST(CellShapesTest, RectanglesCoverTheirOutlineOrTheirWholeArea) {
    const std::vector<CellPoint> outline = rectangleCells({4, 3}, {1, 0}, false);
    const std::vector<CellPoint> filled = rectangleCells({1, 0}, {4, 3}, true);
    EXPECT_EQ(outline.size(), 12U);
    EXPECT_EQ(filled.size(), 16U);
    EXPECT_EQ(std::count(outline.begin(), outline.end(), CellPoint{2, 1}), 0);
    EXPECT_EQ(std::count(filled.begin(), filled.end(), CellPoint{2, 1}), 1);
    EXPECT_EQ(rectangleCells({2, 2}, {2, 2}, false).size(), 1U);
}

TEST(CellShapesTest, FloodStopsAtAnotherColourAndGoesNoWayButFour) {
    const Picture picture = pictureFromText({"..#..", ".#.#.", "#...#", ".###.", "....."});
    const auto same = [](Rgb a, Rgb b) { return a == b; };
    // The hole in the ring: its three cells, not the outside (only diagonally next to it).
    std::vector<CellPoint> inside = floodRegion(picture, {2, 2}, same);
    std::set<std::pair<int, int>> cells;
    for (const CellPoint c : inside) {
        cells.insert({c.x, c.y});
    }
    EXPECT_EQ(cells, (std::set<std::pair<int, int>>{{2, 1}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(floodRegion(picture, {0, 0}, same).size(), 3U);
    EXPECT_TRUE(floodRegion(picture, {5, 0}, same).empty());
}

} // namespace
} // namespace korvel
