#include "imageio.h"

#include "bmp.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstddef>
#include <string>

namespace korvel::cli {

namespace {

[[nodiscard]] Rgb fromQRgb(QRgb pixel) {
    return makeRgb(static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
                   static_cast<std::uint8_t>(qBlue(pixel)));
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

} // namespace korvel::cli
