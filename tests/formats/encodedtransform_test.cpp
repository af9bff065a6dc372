// Transforms worked on a picture's encoded rows (core/encodedtransform) must give exactly the
// pixels the transform of the decoded picture gives, in the row layouts of both library formats
// and for rows of any shape a library file may hold, and rows that a writer copies as they are.

#include "core/bits.h"
#include "core/encodedtransform.h"
#include "formats/rows.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace korvel {
namespace {

/// The shape of one picture's encoded rows against the picture's own size.
struct RowShape {
    int width;
    int height;
    int rowBytes; ///< may carry fewer or more columns than the width
    int rows;     ///< may be fewer or more than the height
};

/// A picture of the shape held encoded in random bytes (padding bits random too), behind a few
/// random bytes so that its rows start inside the file image.
Picture encodedPicture(const RowShape& shape, const PlaneRows& layout, std::mt19937& random) {
    const auto planes = static_cast<std::size_t>(layout.bitPlanes());
    const std::size_t offset = 5;
    std::vector<std::uint8_t> bytes(offset + planes * static_cast<std::size_t>(shape.rowBytes) *
                                                 static_cast<std::size_t>(shape.rows));
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(byte(random));
    }
    return Picture(
        shape.width, shape.height,
        EncodedRows{shareFileImage(std::move(bytes)), offset, shape.rowBytes, shape.rows, &layout});
}

/// The same pixels, decoded and held as pixels only.
Picture decodedCopy(const Picture& picture) {
    Picture copy(picture.width(), picture.height());
    copy.draw(picture);
    return copy;
}

std::string describe(const RowShape& s, const PlaneRows& layout, PictureKind kind,
                     const TransformName& name) {
    return std::string(name.caption) + " of " + std::to_string(s.width) + "x" +
           std::to_string(s.height) + " rows " + std::to_string(s.rowBytes) + "x" +
           std::to_string(s.rows) + (&layout == &inkRows() ? " ink rows" : " colour plane rows") +
           (kind == PictureKind::Glyph ? " glyph" : " bitmap");
}

/// Every bit right of the width in the rows is 1 (dark), as the writers pack.
bool paddingIsDark(const EncodedRows& rows, int width) {
    const int used = width % 8;
    if (used == 0) {
        return true;
    }
    const auto mask = static_cast<std::uint8_t>(0xFF >> used);
    const auto bytes = rows.bytes();
    const std::size_t length = rows.rowLength();
    const std::size_t group = length / static_cast<std::size_t>(rows.rowBytes);
    for (std::size_t end = length; end <= bytes.size(); end += length) {
        for (std::size_t at = end - group; at < end; ++at) {
            if ((bytes[at] & mask) != mask) {
                return false;
            }
        }
    }
    return true;
}

TEST(EncodedTransformTest, EveryTransformOfEncodedRowsEqualsTheTransformOfTheDecodedPicture) {
    std::mt19937 random(26);
    const std::vector<RowShape> shapes{
        {1, 1, 1, 1}, {3, 2, 1, 2},  {8, 8, 1, 8}, {9, 5, 2, 5},    {17, 13, 3, 13}, {16, 3, 2, 3},
        {5, 9, 1, 4}, {12, 4, 1, 4}, {7, 3, 3, 5}, {255, 7, 32, 7}, {40, 33, 5, 33}};
    for (const RowShape& shape : shapes) {
        for (const PlaneRows* layout : {&inkRows(), &colourPlaneRows()}) {
            const EncodedRows sourceRows = *encodedPicture(shape, *layout, random).encodedRows();
            const Picture decoded = decodedCopy(Picture(shape.width, shape.height, sourceRows));
            for (const PictureKind kind : {PictureKind::Glyph, PictureKind::Bitmap}) {
                for (const TransformName& name : kTransformNames) {
                    const std::string what = describe(shape, *layout, kind, name);
                    const Picture source(shape.width, shape.height, sourceRows);
                    const Picture fromRows = transformed(source, name.transform, kind);
                    if (transformsEncoded(name.transform, kind, sourceRows)) {
                        EXPECT_FALSE(source.isDecoded()) << what;
                        const EncodedRows* rows = fromRows.encodedRows();
                        ASSERT_NE(rows, nullptr) << what;
                        EXPECT_FALSE(fromRows.isDecoded()) << what;
                        EXPECT_EQ(rows->decoder, layout) << what;
                        EXPECT_EQ(rows->rowBytes, paddedBytes(fromRows.width())) << what;
                        EXPECT_EQ(rows->rows, fromRows.height()) << what;
                        EXPECT_TRUE(paddingIsDark(*rows, fromRows.width())) << what;
                    }
                    EXPECT_EQ(fromRows, transformed(decoded, name.transform, kind)) << what;
                }
            }
        }
    }
}

TEST(EncodedTransformTest, ALargeBitmapTurnsAndFlipsInItsRows) {
    std::mt19937 random(1024);
    const RowShape shape{1024, 512, 128, 512};
    const Picture source = encodedPicture(shape, colourPlaneRows(), random);
    const Picture decoded = decodedCopy(source);
    for (const PictureTransform transform :
         {PictureTransform::RotateClockwise, PictureTransform::RotateCounterClockwise,
          PictureTransform::FlipHorizontally, PictureTransform::Invert}) {
        const Picture fromRows = transformed(source, transform, PictureKind::Bitmap);
        EXPECT_NE(fromRows.encodedRows(), nullptr);
        EXPECT_EQ(fromRows, transformed(decoded, transform, PictureKind::Bitmap));
    }
}

TEST(EncodedTransformTest, EncodedPicturesWithoutPixelsKeepOrSwapTheirSize) {
    std::mt19937 random(0);
    for (const RowShape& shape : {RowShape{0, 4, 0, 4}, RowShape{6, 0, 1, 0}}) {
        const Picture source = encodedPicture(shape, colourPlaneRows(), random);
        for (const TransformName& name : kTransformNames) {
            const Picture result = transformed(source, name.transform, PictureKind::Bitmap);
            const bool swap = swapsSides(name.transform);
            EXPECT_EQ(result.width(), swap ? shape.height : shape.width) << name.caption;
            EXPECT_EQ(result.height(), swap ? shape.width : shape.height) << name.caption;
        }
    }
}

/// Rows of one byte a pixel, its value the grey level: a layout that is no bit planes.
class GreyRows final : public EncodedRowDecoder {
public:
    [[nodiscard]] std::size_t rowLength(int rowBytes) const override {
        return static_cast<std::size_t>(rowBytes);
    }
    void decodeRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) const override {
        for (std::size_t x = 0; x < row.size() && x < rowData.size(); ++x) {
            row[x] = makeRgb(rowData[x], rowData[x], rowData[x]);
        }
    }
};

TEST(EncodedTransformTest, RowsOfAnotherLayoutAreTransformedAsPixels) {
    static const GreyRows grey;
    const EncodedRows rows{shareFileImage({10, 20, 30, 40, 50, 60}), 0, 3, 2, &grey};
    EXPECT_FALSE(transformsEncoded(PictureTransform::FlipVertically, PictureKind::Bitmap, rows));
    const Picture turned =
        transformed(Picture(3, 2, rows), PictureTransform::RotateClockwise, PictureKind::Bitmap);
    EXPECT_EQ(turned.encodedRows(), nullptr);
    EXPECT_EQ(turned.pixel(0, 0), makeRgb(40, 40, 40));
    EXPECT_EQ(turned.pixel(1, 2), makeRgb(30, 30, 30));
}

} // namespace
} // namespace korvel
