#include "document/pictureclipboard.h"

#include "document/imagefiles.h"
#include "libraryio/pictureformats.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QMimeData>

#include <algorithm>

namespace korvel {

namespace {

constexpr quint32 kMagic = 0x4B565043; // "KVPC"

[[nodiscard]] Error refusal(const QString& why) {
    return Error{why.toStdString()};
}

[[nodiscard]] QByteArray encodeOwn(const Picture& picture, PictureKind kind) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << kMagic << static_cast<quint8>(kind == PictureKind::Glyph ? 1 : 2)
        << static_cast<qint32>(picture.width()) << static_cast<qint32>(picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        for (const Rgb c : picture.row(y)) {
            out << static_cast<quint32>(c);
        }
    }
    return bytes;
}

struct OwnPicture {
    PictureKind kind;
    Picture picture;
};

[[nodiscard]] Result<OwnPicture> decodeOwn(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    quint32 magic = 0;
    quint8 kind = 0;
    qint32 width = -1;
    qint32 height = -1;
    in >> magic >> kind >> width >> height;
    if (in.status() != QDataStream::Ok || magic != kMagic || (kind != 1 && kind != 2) ||
        width < 0 || height < 0) {
        return refusal(QStringLiteral("The clipboard's Korvel picture is damaged."));
    }
    const qint64 pixels = qint64{width} * qint64{height};
    constexpr qint64 kHeader = 13;
    if (bytes.size() != kHeader + pixels * 4) {
        return refusal(QStringLiteral("The clipboard's Korvel picture is damaged."));
    }
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (Rgb& c : picture.row(y)) {
            quint32 value = 0;
            in >> value;
            c = value & 0xFFFFFF;
        }
    }
    return OwnPicture{kind == 1 ? PictureKind::Glyph : PictureKind::Bitmap, std::move(picture)};
}

[[nodiscard]] Picture fromImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Picture picture(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        auto to = picture.row(y);
        std::transform(line, line + rgb.width(), to.begin(), [](QRgb p) {
            return makeRgb(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                           static_cast<std::uint8_t>(qBlue(p)));
        });
    }
    return picture;
}

void classifyAll(Picture& picture, PictureKind kind) {
    for (int y = 0; y < picture.height(); ++y) {
        for (Rgb& c : picture.row(y)) {
            c = writtenColour(c, kind);
        }
    }
}

} // namespace

Rgb writtenColour(Rgb colour, PictureKind kind) {
    if (kind == PictureKind::Glyph) {
        return isInk(colour) ? kRed : kBlack;
    }
    return paletteEntry(classify(colour)).value;
}

std::unique_ptr<QMimeData> pictureMimeData(const Picture& picture, PictureKind kind) {
    auto data = std::make_unique<QMimeData>();
    data->setImageData(toQImage(picture));
    data->setData(kPictureMimeType, encodeOwn(picture, kind));
    return data;
}

bool holdsPicture(const QMimeData* data) {
    return data != nullptr && (data->hasFormat(kPictureMimeType) || data->hasImage());
}

Result<Picture> pictureFromMimeData(const QMimeData* data, PictureKind kind) {
    if (data == nullptr || data->formats().isEmpty()) {
        return refusal(QStringLiteral("The clipboard is empty."));
    }
    Picture picture;
    if (data->hasFormat(kPictureMimeType)) {
        auto own = decodeOwn(data->data(kPictureMimeType));
        if (!own.ok()) {
            return own.error();
        }
        picture = std::move(own.value().picture);
        if (own.value().kind != kind) {
            classifyAll(picture, kind);
        }
    } else if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull()) {
            return refusal(QStringLiteral("The clipboard's image cannot be read."));
        }
        picture = fromImage(image);
        classifyAll(picture, kind);
    } else {
        return refusal(QStringLiteral("The clipboard holds no picture."));
    }
    const SideLimits limits = sideLimitsOf(kind);
    if (picture.isEmpty()) {
        return refusal(QStringLiteral("The clipboard's picture has no pixels."));
    }
    if (picture.width() > limits.width || picture.height() > limits.height) {
        return refusal(QStringLiteral("The clipboard's picture is %1 x %2 pixels; %3 may be at "
                                      "most %4 x %5.")
                           .arg(picture.width())
                           .arg(picture.height())
                           .arg(kind == PictureKind::Glyph ? QStringLiteral("a glyph")
                                                           : QStringLiteral("a bitmap"))
                           .arg(limits.width)
                           .arg(limits.height));
    }
    return picture;
}

} // namespace korvel
