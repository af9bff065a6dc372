// The image import's figures: a camera-sized JPEG into a small entry (read through the read
// gate, decoded, fitted and dithered, as korvel-cli import and the editor do it), and the work
// one change of an option costs the dialog's preview.

#include "document/imagefiles.h"
#include "formats/imageconvert.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <string>

namespace korvel {
namespace {

/// A photo-like picture with detail everywhere, so the JPEG is as large as a camera's.
QImage photo(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = static_cast<int>(128 + 100 * std::sin(x * 0.01)) + (x * y % 37);
            const int g = static_cast<int>(128 + 100 * std::cos(y * 0.013));
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), (x + y) / 30 % 256);
        }
    }
    return image;
}

/// The 4000 x 3000 JPEG, written once.
const std::string& cameraJpeg() {
    static QTemporaryDir folder;
    static const std::string path = [] {
        const std::string file = folder.filePath(QStringLiteral("camera.jpg")).toStdString();
        photo(4000, 3000).save(QString::fromStdString(file), "JPEG", 90);
        return file;
    }();
    return path;
}

ConversionOptions entryOptions(int width, int height, Scaling scaling) {
    ConversionOptions options;
    options.width = width;
    options.height = height;
    options.scaling = scaling;
    options.dither = Dither::FloydSteinberg;
    return options;
}

void importJpeg(benchmark::State& state, Scaling scaling) {
    const std::string& file = cameraJpeg();
    const ConversionOptions options = entryOptions(128, 64, scaling);
    for (auto _ : state) {
        ImageRequest request;
        request.conversion = options;
        auto read = readImageFile(file, request);
        if (!read) {
            state.SkipWithError("the JPEG was refused");
            return;
        }
        benchmark::DoNotOptimize(convertImage(read.value().frames.front(), options));
    }
}

void BM_ImportJpeg_4000x3000_To128x64_FloydSteinberg_Area(benchmark::State& state) {
    importJpeg(state, Scaling::Area);
}
void BM_ImportJpeg_4000x3000_To128x64_FloydSteinberg_Nearest(benchmark::State& state) {
    importJpeg(state, Scaling::Nearest);
}

/// What the preview redoes when a threshold, the dithering or the inversion changes.
void BM_PreviewReduce_256x256_FloydSteinberg(benchmark::State& state) {
    ImageFrames frames = readImageFile(cameraJpeg()).value();
    const ConversionOptions options = entryOptions(256, 256, Scaling::Area);
    const SourceImage placed = placeImage(frames.frames.front(), options);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quantizeImage(placed, options));
    }
}

/// What it redoes when the size, the fit or the scaling changes, from the whole photo.
void BM_PreviewPlaceAndReduce_4000x3000_To256x256(benchmark::State& state) {
    ImageFrames frames = readImageFile(cameraJpeg()).value();
    const ConversionOptions options = entryOptions(256, 256, Scaling::Area);
    for (auto _ : state) {
        benchmark::DoNotOptimize(convertImage(frames.frames.front(), options));
    }
}

BENCHMARK(BM_ImportJpeg_4000x3000_To128x64_FloydSteinberg_Area)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportJpeg_4000x3000_To128x64_FloydSteinberg_Nearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewReduce_256x256_FloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewPlaceAndReduce_4000x3000_To256x256)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvel

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
