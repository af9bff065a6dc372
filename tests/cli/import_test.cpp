// korvel-cli import and add with the picture options: any picture file, converted by the same
// function the editor's "Image into Entry" uses.
#include "cli/commands.h"
#include "document/imagefiles.h"
#include "fileio/fileio.h"
#include "formats/imageconvert.h"
#include "libraryio/libraryfiles.h"
#include "support/gifbuild.h"
#include "support/pngbuild.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;

struct CliRun {
    int status = -1;
    std::string err;
};

/// A photo-like picture: light falling across it, a bright disc, and colour in every channel.
QImage photo(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = x - width * 0.6;
            const double dy = y - height * 0.4;
            const double disc = std::exp(-(dx * dx + dy * dy) / (width * height * 0.02));
            image.setPixel(
                x, y,
                qRgb(std::clamp(static_cast<int>(255.0 * x / width + 60 * disc), 0, 255),
                     std::clamp(static_cast<int>(200.0 * y / height + 50 * disc), 0, 255),
                     std::clamp(static_cast<int>(120 + 100 * std::sin(x * 0.3)), 0, 255)));
        }
    }
    return image;
}

std::vector<std::uint8_t> encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return {data.begin(), data.end()};
}

class ImportTest : public testing::Test {
protected:
    [[nodiscard]] static CliRun run(const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        CliRun result;
        result.status = runCli(arguments, out, err);
        result.err = err.str();
        return result;
    }
    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string file = path(name);
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    /// A bitmap library of one black entry BASE of width x height.
    std::string library(int width, int height) const {
        const std::string file = path("lib.bcm");
        const std::string blank = write("blank.bmp", encodedBlank(width, height));
        EXPECT_EQ(run({"add", file, "BASE", blank}).status, kExitOk);
        return file;
    }
    static std::vector<std::uint8_t> encodedBlank(int width, int height) {
        QImage black(width, height, QImage::Format_RGB32);
        black.fill(Qt::black);
        return encoded(black, "bmp");
    }
    static std::vector<bitmapInfoList> entries(const std::string& file) {
        auto read = readBitmapLibraryFile(file);
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(read).value() : std::vector<bitmapInfoList>{};
    }
    /// The picture the conversion makes of a file's first frame, as the editor would.
    static Picture converted(const std::vector<std::uint8_t>& file,
                             const ConversionOptions& options) {
        const auto decoded = decodeImage(file);
        EXPECT_TRUE(decoded.ok()) << (decoded.ok() ? "" : decoded.error().message);
        return decoded.ok() ? convertImage(decoded.value().frames.front(), options) : Picture();
    }

private:
    QTemporaryDir folder_;
};

TEST_F(ImportTest, JpegIntoABitmapEntryIsTheEditorsConversion) {
    const std::vector<std::uint8_t> jpeg = encoded(photo(300, 200), "jpeg");
    const std::string image = write("photo.jpg", jpeg);
    const std::string lib = library(40, 24);
    const CliRun done = run({"import", lib, "BASE", image, "--fit", "inside", "--dither", "fs",
                             "--threshold", "100,128,160"});
    ASSERT_EQ(done.status, kExitOk) << done.err;
    const auto stored = entries(lib);
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].width, 40); // the entry's own size
    EXPECT_EQ(stored[0].height, 24);
    ConversionOptions options;
    options.width = 40;
    options.height = 24;
    options.fit = FitMode::Inside;
    options.dither = Dither::FloydSteinberg;
    options.channelThresholds = {100, 128, 160};
    ASSERT_TRUE(stored[0].picture.has_value());
    EXPECT_EQ(*stored[0].picture, converted(jpeg, options));
    // 300 x 200 inside 40 x 24 is 36 x 24: two background columns either side.
    for (int y = 0; y < 24; ++y) {
        EXPECT_EQ(stored[0].picture->pixel(0, y), kBlack);
        EXPECT_EQ(stored[0].picture->pixel(39, y), kBlack);
    }

    // An area-averaged shrink decodes the JPEG at an eighth; the result still follows the
    // picture. It is another decode, so pixels on the threshold's contours may differ: a smooth
    // picture of light and a disc has two such contours.
    QImage smooth = photo(1600, 1200);
    for (int y = 0; y < smooth.height(); ++y) {
        for (int x = 0; x < smooth.width(); ++x) {
            smooth.setPixel(x, y, smooth.pixel(x, y) & 0xFFFFFF00); // no blue stripes
        }
    }
    const std::vector<std::uint8_t> bigJpeg = encoded(smooth, "jpeg");
    const std::string big = write("big.jpg", bigJpeg);
    ASSERT_EQ(run({"import", lib, "BASE", big, "--size", "64x48", "--scaling", "area"}).status,
              kExitOk);
    const Picture reduced = *entries(lib)[0].picture;
    ConversionOptions full;
    full.width = 64;
    full.height = 48;
    full.scaling = Scaling::Area;
    const Picture exact = converted(bigJpeg, full);
    int differing = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            differing += reduced.pixel(x, y) != exact.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_LT(differing, 2 * (64 + 48));
}

TEST_F(ImportTest, GlyphsTakeOneBrightnessThreshold) {
    // A logo: a dark ring on white; inverted, the ring is the ink.
    QImage logo(32, 32, QImage::Format_RGB32);
    logo.fill(Qt::white);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double r = std::hypot(x - 15.5, y - 15.5);
            if (r > 9 && r < 14) {
                logo.setPixel(x, y, qRgb(20, 20, 90));
            }
        }
    }
    const std::string image = write("logo.png", encoded(logo, "png"));
    const std::string font = path("font.lcm");
    ASSERT_EQ(run({"new-font", "--blank", "8x8", "-o", font}).status, kExitOk);
    ASSERT_EQ(run({"import", font, "65", image, "--invert", "--threshold", "100"}).status, kExitOk);
    auto read = readFontLibraryFile(font);
    ASSERT_TRUE(read.ok());
    const GlyphRecord& glyph = read.value()[65];
    EXPECT_EQ(glyph.width, 8);
    ASSERT_TRUE(glyph.picture.has_value());
    EXPECT_TRUE(isInk(glyph.picture->pixel(1, 4)));  // on the ring
    EXPECT_FALSE(isInk(glyph.picture->pixel(4, 4))); // inside it
    EXPECT_FALSE(isInk(glyph.picture->pixel(0, 0))); // the white corner, inverted

    // The picture's own size; a font takes no R,G,B thresholds nor frames.
    ASSERT_EQ(run({"import", font, "66", image, "--size", "picture"}).status, kExitOk);
    read = readFontLibraryFile(font);
    EXPECT_EQ(read.value()[66].width, 32);
    EXPECT_EQ(run({"import", font, "65", image, "--threshold", "1,2,3"}).status, kExitUsage);
    EXPECT_EQ(run({"import", font, "65", image, "--frames"}).status, kExitUsage);
    EXPECT_EQ(run({"import", font, "300", image}).status, kExitRefused);
}

TEST_F(ImportTest, FramesOfAnAnimatedGifBecomeNumberedBitmaps) {
    giftest::Bytes palette{0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 255, 255};
    std::vector<giftest::Frame> frames;
    for (int f = 0; f < 3; ++f) {
        giftest::Frame frame(6 * 4, 0);
        for (int x = 0; x < 6; ++x) {
            frame[static_cast<std::size_t>(x + 6 * f)] = static_cast<std::uint8_t>(1 + f);
        }
        frames.push_back(frame);
    }
    const std::string gif = write("anim.gif", giftest::gifFile(6, 4, palette, frames));
    const std::string lib = library(6, 4);
    const CliRun added = run({"add", lib, "RUN", gif, "--frames"});
    ASSERT_EQ(added.status, kExitOk) << added.err;
    const auto stored = entries(lib);
    ASSERT_EQ(stored.size(), 4U);
    const std::vector<Rgb> colours{kRed, makeRgb(0, 255, 0), kWhite};
    for (int f = 0; f < 3; ++f) {
        const bitmapInfoList& entry = stored[static_cast<std::size_t>(1 + f)];
        EXPECT_EQ(entry.name, "RUN" + std::to_string(f + 1));
        ASSERT_TRUE(entry.picture.has_value());
        EXPECT_EQ(entry.picture->pixel(2, f), colours[static_cast<std::size_t>(f)]) << f;
        EXPECT_EQ(entry.picture->pixel(2, (f + 1) % 4), kBlack) << f;
    }
    // Without --frames only the first frame is taken; names already used are refused whole.
    ASSERT_EQ(run({"add", lib, "ONE", gif, "--fit", "stretch"}).status, kExitOk);
    EXPECT_EQ(entries(lib).size(), 5U);
    EXPECT_EQ(run({"add", lib, "RUN", gif, "--frames"}).status, kExitRefused);
    EXPECT_EQ(run({"import", lib, "BASE", gif, "--frames"}).status, kExitOk);
    EXPECT_EQ(entries(lib).size(), 8U); // BASE1 to BASE3 after the others
    EXPECT_EQ(entries(lib)[7].name, "BASE3");
}

TEST_F(ImportTest, VectorAndWebPPictures) {
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10' viewBox='0 0 10 10'>"
        "<rect x='0' y='0' width='5' height='10' fill='#ff0000'/></svg>";
    const std::string svgFile =
        write("logo.svg", std::vector<std::uint8_t>(svg.begin(), svg.end()));
    const std::string lib = library(40, 40);
    const CliRun drawn = run({"import", lib, "BASE", svgFile, "--alpha", "1"});
    ASSERT_EQ(drawn.status, kExitOk) << drawn.err;
    // Drawn at the entry's size, not scaled up from 10 x 10.
    const Picture logo = *entries(lib)[0].picture;
    EXPECT_EQ(logo.pixel(19, 20), kRed);
    EXPECT_EQ(logo.pixel(20, 20), kBlack);

    const std::string webp = write("photo.webp", encoded(photo(50, 30), "webp"));
    EXPECT_EQ(run({"import", lib, "BASE", webp, "--dither", "atkinson"}).status, kExitOk);
}

TEST_F(ImportTest, BadPicturesAreRefusedAndChangeNothing) {
    const std::string lib = library(8, 8);
    const auto before = entries(lib);
    const std::vector<std::uint8_t> jpeg = encoded(photo(64, 64), "jpeg");
    const std::string cut =
        write("cut.jpg", std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
    const std::string text = write("notes.png", {'h', 'e', 'l', 'l', 'o'});
    const std::string fifo = path("pipe.gif");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [file, said] : {std::pair{cut, std::string("cut short")},
                                     {text, std::string("not a picture")},
                                     {fifo, std::string("pipe.gif")}}) {
        const CliRun refused = run({"import", lib, "BASE", file});
        EXPECT_EQ(refused.status, kExitRefused) << file;
        EXPECT_NE(refused.err.find(said), std::string::npos) << refused.err;
        const CliRun notAdded = run({"add", lib, "NEW", file, "--invert"});
        EXPECT_EQ(notAdded.status, kExitRefused) << file;
    }
    EXPECT_EQ(entries(lib).size(), before.size());
    EXPECT_EQ(*entries(lib)[0].picture, *before[0].picture);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--fit", "cover"},
                                                  {"--dither", "floyd"},
                                                  {"--threshold", "256"},
                                                  {"--threshold", "1,2"},
                                                  {"--alpha", "-1"},
                                                  {"--scaling", "cubic"}}) {
        std::vector<std::string> arguments{"import", lib, "BASE", cut};
        arguments.insert(arguments.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(run(arguments).status, kExitUsage) << wrong[0] << " " << wrong[1];
    }
}

TEST(ImageFiles, PictureSizesAreCheckedFromTheHeader) {
    // A PNG header claiming 20000 x 20000 in a few dozen bytes: refused before decoding.
    std::vector<std::uint8_t> png = pngtest::pngHead(20000, 20000, 8, 2);
    for (const char* type : {"IDAT", "IEND"}) {
        const auto chunk = pngtest::pngChunk(type, {});
        png.insert(png.end(), chunk.begin(), chunk.end());
    }
    const auto refused = decodeImage(png);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("20000 x 20000"), std::string::npos)
        << refused.error().message;
    // BMP files go through Korvel's own decoder, RLE and OS/2 included.
    const auto empty = decodeImage({});
    EXPECT_FALSE(empty.ok());
    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(Qt::red);
    const std::vector<std::uint8_t> bmp = encoded(small, "bmp");
    const auto decoded = decodeImage(bmp);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().frames.front().at(3, 3), (SourcePixel{255, 0, 0, 255}));
}

} // namespace
} // namespace korvel::cli
