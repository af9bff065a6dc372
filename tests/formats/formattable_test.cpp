// Every row of the format table that reads and writes, through its own functions: what is
// written reads back as the same library or picture.

#include "core/colour.h"
#include "formats/formattable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace korvel {
namespace {

[[nodiscard]] bool hasCodec(const FileFormat& format) {
    switch (format.holds) {
    case FormatHolds::FontLibrary:
        return format.font.read != nullptr && format.font.write != nullptr;
    case FormatHolds::BitmapLibrary:
        return format.bitmaps.read != nullptr && format.bitmaps.write != nullptr;
    case FormatHolds::Picture:
        return format.picture.read != nullptr && format.picture.write != nullptr;
    }
    return false;
}

[[nodiscard]] std::vector<FileFormat> readWriteRowsWithCodecs() {
    std::vector<FileFormat> rows;
    std::copy_if(fileFormats().begin(), fileFormats().end(), std::back_inserter(rows),
                 [](const FileFormat& f) { return f.readable && f.writable && hasCodec(f); });
    return rows;
}

/// 128 glyphs of one height (BDF stands them all on one baseline) and widths 1 to 9, ink pure
/// red on black in a pattern that differs from glyph to glyph.
[[nodiscard]] FontLibrary sampleFont() {
    FontLibrary library;
    library.count = 128;
    for (int code = 0; code < library.count; ++code) {
        const int width = 1 + code % 9;
        Picture picture(width, 7);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < width; ++x) {
                if ((x * 3 + y + code) % 4 == 0) {
                    picture.setPixel(x, y, kRed);
                }
            }
        }
        library.glyphs[static_cast<std::size_t>(code)] = {code, width, 7, std::move(picture)};
    }
    return library;
}

/// Entries of several sizes (widths that do and do not fill whole bytes) in the eight colours
/// a bitmap library stores.
[[nodiscard]] BitmapLibrary sampleBitmaps() {
    BitmapLibrary library;
    const std::vector<std::pair<int, int>> sizes{{1, 1}, {8, 2}, {13, 5}, {17, 3}};
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        const auto [width, height] = sizes[k];
        Picture picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto colour = static_cast<std::size_t>(x + 2 * y + static_cast<int>(k));
                picture.setPixel(x, y, kPalette[colour % kPalette.size()].value);
            }
        }
        library.entries.push_back({"E" + std::to_string(k), width, height, std::move(picture)});
    }
    return library;
}

[[nodiscard]] Picture samplePicture() {
    Picture picture(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            picture.setPixel(x, y,
                             makeRgb(static_cast<std::uint8_t>(40 * x + 7),
                                     static_cast<std::uint8_t>(90 * y + 1),
                                     static_cast<std::uint8_t>(13 * (x + y))));
        }
    }
    return picture;
}

/// The pixels of a picture that may be missing (a missing one is black) as one text per row.
[[nodiscard]] std::vector<std::string> pixelsOf(const std::optional<Picture>& picture, int width,
                                                int height) {
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += std::to_string(picture ? picture->pixel(x, y) : kBlack) + " ";
        }
        rows.push_back(row);
    }
    return rows;
}

class FormatRoundTrip : public testing::TestWithParam<FileFormat> {};

TEST_P(FormatRoundTrip, WhatIsWrittenReadsBackTheSame) {
    const FileFormat& format = GetParam();
    switch (format.holds) {
    case FormatHolds::FontLibrary: {
        const FontLibrary written = sampleFont();
        const auto bytes = format.font.write(written, "sample");
        ASSERT_TRUE(bytes.ok()) << bytes.error().message;
        EXPECT_LE(bytes.value().size(), format.maxFileBytes);
        const auto read = format.font.read(bytes.value());
        ASSERT_TRUE(read.ok()) << read.error().message;
        ASSERT_EQ(read.value().count, written.count);
        for (std::size_t code = 0; code < static_cast<std::size_t>(written.count); ++code) {
            const GlyphRecord& a = written.glyphs[code];
            const GlyphRecord& b = read.value().glyphs[code];
            ASSERT_EQ(b.width, a.width) << "glyph " << code;
            ASSERT_EQ(b.height, a.height) << "glyph " << code;
            EXPECT_EQ(pixelsOf(b.picture, b.width, b.height),
                      pixelsOf(a.picture, a.width, a.height))
                << "glyph " << code;
        }
        break;
    }
    case FormatHolds::BitmapLibrary: {
        const BitmapLibrary written = sampleBitmaps();
        const auto bytes = format.bitmaps.write(written);
        ASSERT_TRUE(bytes.ok()) << bytes.error().message;
        const auto read = format.bitmaps.read(bytes.value());
        ASSERT_TRUE(read.ok()) << read.error().message;
        ASSERT_EQ(read.value().count(), written.count());
        for (std::size_t k = 0; k < written.entries.size(); ++k) {
            const bitmapInfoList& a = written.entries[k];
            const bitmapInfoList& b = read.value().entries[k];
            EXPECT_EQ(b.name, a.name);
            ASSERT_EQ(b.width, a.width);
            ASSERT_EQ(b.height, a.height);
            EXPECT_EQ(pixelsOf(b.picture, b.width, b.height),
                      pixelsOf(a.picture, a.width, a.height))
                << a.name;
        }
        break;
    }
    case FormatHolds::Picture: {
        const Picture written = samplePicture();
        const auto bytes = format.picture.write(written);
        ASSERT_TRUE(bytes.ok()) << bytes.error().message;
        const auto read = format.picture.read(bytes.value());
        ASSERT_TRUE(read.ok()) << read.error().message;
        EXPECT_EQ(pixelsOf(read.value(), read.value().width(), read.value().height()),
                  pixelsOf(written, written.width(), written.height()));
        EXPECT_EQ(read.value().width(), written.width());
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryReadWriteRow, FormatRoundTrip,
                         testing::ValuesIn(readWriteRowsWithCodecs()),
                         [](const testing::TestParamInfo<FileFormat>& row) {
                             std::string name(row.param.name);
                             name.erase(std::remove_if(name.begin(), name.end(),
                                                       [](char c) { return !std::isalnum(c); }),
                                        name.end());
                             return name;
                         });

TEST(FormatTable, OnlyRowsWhoseCodecsNeedMoreThanThisLayerLeaveTheirFunctionsOut) {
    std::vector<std::string> without;
    for (const FileFormat& format : fileFormats()) {
        if (!hasCodec(format)) {
            without.emplace_back(format.name);
        }
    }
    EXPECT_EQ(without, (std::vector<std::string>{"PNG folder", "PNG"}));
    EXPECT_EQ(readWriteRowsWithCodecs().size(), 4U);
}

TEST(FormatTable, ExtensionsFindTheirSingleFileRowsInAnyCase) {
    EXPECT_EQ(formatOfExtension("LCM")->id, FormatId::Lcm);
    EXPECT_EQ(formatOfExtension("bdf")->id, FormatId::Bdf);
    EXPECT_EQ(formatOfExtension("Png")->id, FormatId::Png);
    EXPECT_EQ(formatOfExtension(""), nullptr) << "the folder row has no extension to match";
    EXPECT_EQ(formatOfExtension("gif"), nullptr);
    EXPECT_EQ(dialogFilter("Bitmap Library File", FormatId::Bcm), "Bitmap Library File|*.bcm");
}

} // namespace
} // namespace korvel
