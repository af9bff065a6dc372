#include "document/imagefiles.h"
#include "document/textcompose.h"
#include "formats/bmp.h"
#include "libraryio/pictureformats.h"
#include "png/pngwrite.h"
#include "support/picturetext.h"

#include <QImage>

#include <gtest/gtest.h>

namespace korvel {
namespace {

Picture decodedPng(const std::vector<std::uint8_t>& bytes) {
    QImage image;
    EXPECT_TRUE(image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG"));
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            picture.setPixel(x, y,
                             makeRgb(static_cast<std::uint8_t>(qRed(pixel)),
                                     static_cast<std::uint8_t>(qGreen(pixel)),
                                     static_cast<std::uint8_t>(qBlue(pixel))));
        }
    }
    return picture;
}

TEST(PictureFormats, ExtensionsAreFoundInAnyLetterCase) {
    ASSERT_EQ(pictureFormats().size(), 2U);
    EXPECT_EQ(pictureFormatOfExtension("BmP"), &pictureFormats()[0]);
    EXPECT_EQ(pictureFormatOfExtension("png")->name, "PNG");
    EXPECT_EQ(pictureFormatOfExtension("gif"), nullptr);
    EXPECT_EQ(pictureFormatOfExtension(""), nullptr);
}

TEST(PictureFormats, EveryFormatKeepsEveryPaletteColour) {
    const Picture picture = pictureFromText({"RGYB", "AWF."});
    const auto bmp = pictureFormatOfExtension("bmp")->encode(picture);
    ASSERT_TRUE(bmp.ok());
    EXPECT_EQ(bmp.value(), encodeBmp24(picture)) << "the modify dialog's export, byte for byte";
    const auto decoded = decodeBmp(bmp.value());
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value(), picture);

    const auto png = pictureFormatOfExtension("png")->encode(picture);
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(decodedPng(png.value()), picture);
}

TEST(PictureFormats, APictureWithoutPixelsIsNoPngButAnEmptyBmp) {
    const auto png = encodePng(Picture(0, 3));
    ASSERT_FALSE(png.ok());
    EXPECT_NE(png.error().message.find("0 x 3"), std::string::npos);
    const auto bmp = pictureFormatOfExtension("bmp")->encode(Picture(3, 0));
    ASSERT_TRUE(bmp.ok());
    EXPECT_TRUE(bmp.value().empty());
}

TEST(TextCompose, GlyphsStandOnEachLinesBottomEdge) {
    FontLibrary font;
    font.glyphs['a'] = {'a', 2, 1, pictureFromText({"##"})};
    font.glyphs['b'] = {'b', 1, 3, pictureFromText({"B", "B", "B"})};
    const std::vector<std::string> lines{"ab", "b", "aa"};
    const TextMeasure measure = measureText(lines, font);
    EXPECT_EQ(measure.width, 4);
    EXPECT_EQ(measure.lineHeight, 3);
    EXPECT_EQ(measure.height, 9);
    EXPECT_EQ(pictureToText(composeText(lines, measure, font)),
              (std::vector<std::string>{"..B.", "..B.", "##B.", "B...", "B...", "B...", "....",
                                        "....", "####"}));
}

TEST(TextCompose, LineBytesAreWindows1252AndDropForcedBreaks) {
    EXPECT_EQ(lineBytes(QString::fromUtf8("a\u20ac\u2028\u4e00")), std::string("a\x80?"));
}

} // namespace
} // namespace korvel
