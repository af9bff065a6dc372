#include "cli/imageoptions.h"

#include "cli/qtsession.h"
#include "document/imagefiles.h"

#include <QSize>

#include <algorithm>
#include <array>
#include <string>

namespace korvel::cli {

namespace {

/// A level 0 to 255, the whole word.
[[nodiscard]] std::optional<int> parseLevel(std::string_view word) {
    const auto value = parseInteger(word);
    if (!value || *value < 0 || *value > 255) {
        return std::nullopt;
    }
    return value;
}

/// "N" for all three channels or "R,G,B".
[[nodiscard]] std::optional<std::array<int, 3>> parseThresholds(std::string_view word) {
    if (word.find(',') == std::string_view::npos) {
        const auto level = parseLevel(word);
        if (!level) {
            return std::nullopt;
        }
        return std::array<int, 3>{*level, *level, *level};
    }
    std::array<int, 3> levels{};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t comma = word.find(',');
        if ((k < 2) == (comma == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto level = parseLevel(word.substr(0, comma));
        if (!level) {
            return std::nullopt;
        }
        levels[k] = *level;
        word.remove_prefix(comma == std::string_view::npos ? word.size() : comma + 1);
    }
    return levels;
}

[[nodiscard]] Error wrong(std::string_view option, const std::string& value,
                          std::string_view expected) {
    return Error{std::string(option) + " is " + std::string(expected) + ", not \"" + value + "\""};
}

} // namespace

std::vector<std::string_view> imageValueOptions() {
    return {"--fit", "--scaling", "--threshold", "--dither", "--alpha"};
}

std::vector<std::string_view> imageFlagOptions() {
    return {"--invert", "--frames"};
}

bool hasImageOptions(const ParsedOptions& options) {
    for (const std::string_view option : imageValueOptions()) {
        if (options.value(option) != nullptr) {
            return true;
        }
    }
    for (const std::string_view flag : imageFlagOptions()) {
        if (options.has(flag)) {
            return true;
        }
    }
    return false;
}

Result<ConversionOptions> conversionFrom(const ParsedOptions& options, ColourTarget target,
                                         int width, int height) {
    ConversionOptions conversion;
    conversion.width = width;
    conversion.height = height;
    conversion.target = target;
    if (const std::string* fit = options.value("--fit")) {
        const auto mode = fitModeNamed(*fit);
        if (!mode) {
            return wrong("--fit", *fit, "stretch, inside, crop or centre");
        }
        conversion.fit = *mode;
    }
    if (const std::string* scaling = options.value("--scaling")) {
        if (*scaling != "nearest" && *scaling != "area") {
            return wrong("--scaling", *scaling, "nearest or area");
        }
        conversion.scaling = *scaling == "area" ? Scaling::Area : Scaling::Nearest;
    }
    if (const std::string* threshold = options.value("--threshold")) {
        if (target == ColourTarget::Brightness) {
            const auto level = parseLevel(*threshold);
            if (!level) {
                return wrong("--threshold", *threshold,
                             "one brightness 0 to 255 for a font library");
            }
            conversion.brightnessThreshold = *level;
        } else {
            const auto levels = parseThresholds(*threshold);
            if (!levels) {
                return wrong("--threshold", *threshold, "N or R,G,B, each 0 to 255");
            }
            conversion.channelThresholds = *levels;
        }
    }
    if (const std::string* dither = options.value("--dither")) {
        const auto kind = ditherNamed(*dither);
        if (!kind) {
            return wrong("--dither", *dither, "none, fs, atkinson or bayer");
        }
        conversion.dither = *kind;
    }
    if (const std::string* alpha = options.value("--alpha")) {
        const auto level = parseLevel(*alpha);
        if (!level) {
            return wrong("--alpha", *alpha, "a level 0 to 255");
        }
        conversion.alphaThreshold = *level;
    }
    conversion.invert = options.has("--invert");
    return conversion;
}

namespace {

/// The picture's own size, shrunk keeping its shape to fit the limits.
[[nodiscard]] std::pair<int, int> ownSizeWithin(QSize size, int maxWidth, int maxHeight) {
    if (size.width() <= maxWidth && size.height() <= maxHeight) {
        return {size.width(), size.height()};
    }
    const QSize fitted =
        size.scaled(maxWidth, maxHeight, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return {fitted.width(), fitted.height()};
}

} // namespace

Result<std::vector<Picture>> convertImageFile(Context& context, const std::string& path,
                                              const ParsedOptions& options, ColourTarget target,
                                              const ImageSize& size) {
    // Checked before anything is read, so a wrong option costs no decoding.
    const auto checked = conversionFrom(options, target, 1, 1);
    if (!checked) {
        return usageError(checked.error().message);
    }
    context.qt->ensureStarted();
    ImageRequest request;
    request.allFrames = options.has("--frames");
    if (size.given) {
        ConversionOptions known = checked.value();
        known.width = size.given->first;
        known.height = size.given->second;
        request.conversion = known;
    }
    auto read = readImageFile(path, request);
    if (!read) {
        return read.error();
    }
    const ImageFrames& frames = read.value();
    const auto [width, height] =
        size.given ? *size.given : ownSizeWithin(frames.fullSize, size.maxWidth, size.maxHeight);
    ConversionOptions conversion = checked.value();
    conversion.width = width;
    conversion.height = height;
    std::vector<Picture> pictures;
    for (const SourceImage& frame : frames.frames) {
        pictures.push_back(convertImage(frame, conversion));
    }
    return pictures;
}

} // namespace korvel::cli
