#pragma once

// Pictures and Qt's images. Reading any picture file for the image import: BMP through Korvel's
// own decoder, everything else (PNG, JPEG, GIF, WebP, SVG, ...) through the image readers Qt has
// on the machine. Needs a Qt application (the offscreen platform will do), not a display.

#include "core/result.h"
#include "formats/imageconvert.h"
#include "libraryio/libraryfiles.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvel {

/// The largest picture the image import decodes: at most kBmpMaxSide on a side and this many
/// pixels (a square of 8192), checked from the file's header before anything is decoded.
inline constexpr std::int64_t kImageMaxPixels = std::int64_t{8192} * 8192;
/// The largest image file read.
inline constexpr std::uint64_t kImageMaxFileBytes = std::uint64_t{1} << 30;
/// The most frames of an animation read.
inline constexpr int kImageMaxFrames = 1000;

/// What the import will do with the picture, so that the reader can decode no more than it needs.
struct ImageRequest {
    /// Every frame of an animation, not only the first.
    bool allFrames = false;
    /// The conversion the picture is read for, when known. A JPEG that is to be shrunk by area
    /// average is then decoded at a half, a quarter or an eighth of its size where that still
    /// gives the placed part as many pixels as it fills, and an SVG is drawn at the scale its
    /// placement needs instead of at its own size.
    std::optional<ConversionOptions> conversion;
};

/// The frames of a picture file (one for a still picture), each the size of the first.
struct ImageFrames {
    std::vector<SourceImage> frames;
    /// The picture's own size, as its header gives it (a reduced decode gives smaller frames).
    QSize fullSize;
};

/// Decodes a whole image file held in memory. Fails with a sentence in Korvel's words: "it is not
/// a picture ..." for bytes no reader takes, "it is cut short" for a file that ends before its
/// end marker, the size for a picture beyond the limits above, or the reader's own reason.
[[nodiscard]] Result<ImageFrames> decodeImage(std::span<const std::uint8_t> bytes,
                                              const ImageRequest& request = {});

/// Reads the file at path through the read gate (a FIFO or a device is refused without blocking;
/// a file above kImageMaxFileBytes before it is read) and decodes it. An Access error carries
/// the system's text naming the file; a Content error decodeImage's reason, said of path.
[[nodiscard]] Result<ImageFrames> readImageFile(const std::string& path,
                                                const ImageRequest& request = {});

/// The names of the picture formats the readers take on this machine, lower case ("bmp", "gif",
/// "jpeg", "png", "svg", "webp", ...).
[[nodiscard]] std::vector<std::string> readableImageFormats();

/// A file dialog filter of every readable format, "Image Files|*.bmp *.gif *.jpg ...".
[[nodiscard]] std::string imageFileFilter();

/// The picture as an opaque 32-bit Qt image of its own size, each pixel its own colour.
[[nodiscard]] QImage toQImage(const Picture& picture);

} // namespace korvel
