#include "imageio.h"

#include "bmp.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstddef>
#include <string>

namespace korvel::cli {

namespace {

[[nodiscard]] Rgb fromQRgb(QRgb pixel) {
    return makeRgb(static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
                   static_cast<std::uint8_t>(qBlue(pixel)));
}

[[nodiscard]] QRgb toQRgb(Rgb colour) {
    return qRgb(redOf(colour), greenOf(colour), blueOf(colour));
}

} // namespace

Result<Picture> decodePng(std::span<const std::uint8_t> bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid()) {
        return Error{"it is not a PNG picture"};
    }
    if (size.width() > kBmpMaxSide || size.height() > kBmpMaxSide) {
        return Error{"its picture of " + std::to_string(size.width()) + " x " +
                     std::to_string(size.height()) + " is larger than " +
                     std::to_string(kBmpMaxSide) + " x " + std::to_string(kBmpMaxSide)};
    }
    QImage image;
    if (!reader.read(&image)) {
        return Error{"its PNG data cannot be read (" + reader.errorString().toStdString() + ")"};
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture(image.width(), image.height());
    for (int y = 0; y < picture.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto target = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            target[static_cast<std::size_t>(x)] = fromQRgb(source[x]);
        }
    }
    return picture;
}

Result<std::vector<std::uint8_t>> encodePng(const Picture& picture) {
    if (picture.isEmpty()) {
        return Error{"a picture of " + std::to_string(picture.width()) + " x " +
                     std::to_string(picture.height()) + " has no pixels for a PNG"};
    }
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto source = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            target[x] = toQRgb(source[static_cast<std::size_t>(x)]);
        }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        return Error{"the PNG cannot be made (" + writer.errorString().toStdString() + ")"};
    }
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

} // namespace korvel::cli
