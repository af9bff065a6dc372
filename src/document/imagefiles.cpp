#include "document/imagefiles.h"

#include "fileio/readgate.h"
#include "formats/bmp.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace korvel {

namespace {

static_assert(sizeof(SourcePixel) == 4, "a source pixel is laid out as Qt's RGBA8888");

[[nodiscard]] bool startsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

/// Whether text occurs among the last bytes of the file.
[[nodiscard]] bool endsNear(std::span<const std::uint8_t> bytes, std::string_view text,
                            std::size_t within) {
    const std::size_t from = bytes.size() > within ? bytes.size() - within : 0;
    const auto tail = bytes.subspan(from);
    return std::search(tail.begin(), tail.end(), text.begin(), text.end(),
                       [](std::uint8_t byte, char wanted) {
                           return byte == static_cast<std::uint8_t>(wanted);
                       }) != tail.end();
}

/// Whether a file of a format Korvel knows the end of stops before that end. libjpeg and Qt's
/// GIF reader give what they have of a picture cut short without saying so; the import refuses
/// such a file, as the BMP and PNG readers refuse theirs.
[[nodiscard]] bool isCutShort(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n")) {
        return !endsNear(bytes, "IEND", 1024);
    }
    if (startsWith(bytes, "\xFF\xD8\xFF")) {
        return !endsNear(bytes, "\xFF\xD9", 1024);
    }
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) {
        // The trailer byte, possibly followed by padding.
        auto last = bytes.end();
        while (last != bytes.begin() && *(last - 1) == 0) {
            --last;
        }
        return last == bytes.begin() || *(last - 1) != 0x3B;
    }
    if (startsWith(bytes, "RIFF") && bytes.size() >= 12 &&
        std::memcmp(bytes.data() + 8, "WEBP", 4) == 0) {
        const std::uint64_t riffSize = std::uint64_t{bytes[4]} | (std::uint64_t{bytes[5]} << 8) |
                                       (std::uint64_t{bytes[6]} << 16) |
                                       (std::uint64_t{bytes[7]} << 24);
        return bytes.size() < 8 + riffSize;
    }
    return false;
}

[[nodiscard]] std::string sizeText(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

[[nodiscard]] bool withinLimits(QSize size) {
    return size.width() >= 1 && size.height() >= 1 && size.width() <= kBmpMaxSide &&
           size.height() <= kBmpMaxSide &&
           std::int64_t{size.width()} * size.height() <= kImageMaxPixels;
}

[[nodiscard]] Error tooLarge(QSize size) {
    return Error{"its picture of " + sizeText(size) +
                 " pixels is larger than the image import takes (" + std::to_string(kBmpMaxSide) +
                 " on a side, " + std::to_string(kImageMaxPixels) + " pixels)"};
}

[[nodiscard]] SourceImage toSourceImage(QImage image) {
    if (image.format() != QImage::Format_RGBA8888) {
        image = std::move(image).convertToFormat(QImage::Format_RGBA8888);
    }
    SourceImage result(image.width(), image.height());
    const auto rowBytes = static_cast<std::size_t>(result.width) * sizeof(SourcePixel);
    for (int y = 0; y < result.height; ++y) {
        std::memcpy(&result.at(0, y), image.constScanLine(y), rowBytes);
    }
    return result;
}

[[nodiscard]] SourceImage toSourceImage(const Picture& picture) {
    SourceImage result(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        const auto row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = row[static_cast<std::size_t>(x)];
            result.at(x, y) = SourcePixel{redOf(c), greenOf(c), blueOf(c), 255};
        }
    }
    return result;
}

/// The size to have the reader decode a picture of fullSize at, for the request.
[[nodiscard]] QSize decodeSizeFor(const QByteArray& format, QSize fullSize,
                                  const ImageRequest& request) {
    if (!request.conversion || request.conversion->fit == FitMode::Centre) {
        return fullSize;
    }
    const ConversionOptions& options = *request.conversion;
    const Placement p = placementOf(options.fit, fullSize.width(), fullSize.height(), options.width,
                                    options.height);
    if (p.sw <= 0 || p.sh <= 0) {
        return fullSize;
    }
    if (format == "svg" || format == "svgz") {
        // Drawn so that the part taken fills its place pixel for pixel.
        const double scale = std::max(double(p.dw) / p.sw, double(p.dh) / p.sh);
        const QSize drawn(std::max(1, static_cast<int>(std::ceil(fullSize.width() * scale))),
                          std::max(1, static_cast<int>(std::ceil(fullSize.height() * scale))));
        return withinLimits(drawn) ? drawn : fullSize;
    }
    if (format == "jpeg" && options.scaling == Scaling::Area) {
        for (const int factor : {8, 4, 2}) {
            if (p.sw / factor >= p.dw && p.sh / factor >= p.dh) {
                return {(fullSize.width() + factor - 1) / factor,
                        (fullSize.height() + factor - 1) / factor};
            }
        }
    }
    return fullSize;
}

[[nodiscard]] Error unreadable(const QImageReader& reader) {
    if (reader.error() == QImageReader::UnsupportedFormatError) {
        std::string formats;
        for (const std::string& name : readableImageFormats()) {
            formats += (formats.empty() ? "" : ", ") + name;
        }
        return Error{"it is not a picture the image readers take (" + formats + ")"};
    }
    return Error{"its picture cannot be read (" + reader.errorString().toStdString() + ")"};
}

[[nodiscard]] Result<ImageFrames> decodeWithQt(std::span<const std::uint8_t> bytes,
                                               const ImageRequest& request) {
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true); // a photo stands as its camera's orientation tag says
    if (!reader.canRead()) {
        return unreadable(reader);
    }
    ImageFrames result;
    result.fullSize = reader.size();
    if (result.fullSize.isValid()) {
        const QSize decodeSize = decodeSizeFor(reader.format(), result.fullSize, request);
        if (!withinLimits(decodeSize)) {
            return tooLarge(result.fullSize);
        }
        if (decodeSize != result.fullSize) {
            reader.setScaledSize(decodeSize);
        }
    }
    // Guards formats whose header does not give the size.
    QImageReader::setAllocationLimit(static_cast<int>(kImageMaxPixels * 4 / (1024 * 1024)) + 1);
    std::int64_t pixels = 0;
    while (true) {
        QImage image = reader.read();
        if (image.isNull()) {
            if (result.frames.empty()) {
                return unreadable(reader);
            }
            break; // the frames read so far are the animation
        }
        if (!result.fullSize.isValid()) {
            result.fullSize = image.size();
        }
        if (!withinLimits(image.size())) {
            return tooLarge(image.size());
        }
        pixels += std::int64_t{image.width()} * image.height();
        if (pixels > kImageMaxPixels) {
            return Error{"its frames hold more than " + std::to_string(kImageMaxPixels) +
                         " pixels together, more than the image import takes"};
        }
        result.frames.push_back(toSourceImage(std::move(image)));
        if (!request.allFrames || static_cast<int>(result.frames.size()) >= kImageMaxFrames ||
            !reader.canRead()) {
            break;
        }
    }
    return result;
}

} // namespace

Result<ImageFrames> decodeImage(std::span<const std::uint8_t> bytes, const ImageRequest& request) {
    if (bytes.empty()) {
        return Error{"the file is empty"};
    }
    if (startsWith(bytes, "BM")) {
        const auto header = bmpSize(bytes);
        if (!header) {
            return header.error();
        }
        if (const QSize size(header.value().width, header.value().height); !withinLimits(size)) {
            return tooLarge(size);
        }
        auto picture = decodeBmp(bytes);
        if (!picture) {
            return picture.error();
        }
        ImageFrames result;
        result.fullSize = QSize(picture.value().width(), picture.value().height());
        result.frames.push_back(toSourceImage(picture.value()));
        return result;
    }
    if (isCutShort(bytes)) {
        return Error{"it is cut short"};
    }
    return decodeWithQt(bytes, request);
}

Result<ImageFrames> readImageFile(const std::string& path, const ImageRequest& request) {
    const auto bytes = readRegularFile(path, kImageMaxFileBytes, "a picture file");
    if (!bytes) {
        return bytes.error();
    }
    auto decoded = decodeImage(bytes.value(), request);
    if (!decoded) {
        return decoded.error().about(path);
    }
    return std::move(decoded).value();
}

std::vector<std::string> readableImageFormats() {
    std::set<std::string> names{"bmp"};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        names.insert(format.toLower().toStdString());
    }
    return {names.begin(), names.end()};
}

std::string imageFileFilter() {
    std::string patterns;
    for (const std::string& name : readableImageFormats()) {
        patterns += (patterns.empty() ? "*." : " *.") + name;
    }
    return "Image Files|" + patterns;
}

QImage toQImage(const Picture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto source = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb colour = source[static_cast<std::size_t>(x)];
            target[x] = qRgb(redOf(colour), greenOf(colour), blueOf(colour));
        }
    }
    return image;
}

} // namespace korvel
