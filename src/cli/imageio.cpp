#include "imageio.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstddef>
#include <string>

namespace korvel::cli {

namespace {

[[nodiscard]] QRgb toQRgb(Rgb colour) {
    return qRgb(redOf(colour), greenOf(colour), blueOf(colour));
}

} // namespace

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
