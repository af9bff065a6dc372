#pragma once

// The picture options korvel-cli's add and import share: how a picture file is fitted, scaled
// and reduced to the library's colours (the editor's "Image into Entry" gives the same choices).

#include "cli/options.h"
#include "cli/support.h"
#include "core/result.h"
#include "formats/imageconvert.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace korvel::cli {

/// The usage line of the options, for the commands' usage texts.
inline constexpr std::string_view kImageOptionsUsage =
    "[--fit stretch|inside|crop|centre] [--scaling nearest|area] [--threshold N|R,G,B]\n"
    "    [--dither none|fs|atkinson|bayer] [--invert] [--alpha N] [--frames]";

/// The options that take a value, and the flags.
[[nodiscard]] std::vector<std::string_view> imageValueOptions();
[[nodiscard]] std::vector<std::string_view> imageFlagOptions();

/// Whether any of the picture options was given.
[[nodiscard]] bool hasImageOptions(const ParsedOptions& options);

/// The conversion the options ask for, into width x height for target (size and target are the
/// caller's). Fails with the usage message of the first option whose value is wrong.
[[nodiscard]] Result<ConversionOptions> conversionFrom(const ParsedOptions& options,
                                                       ColourTarget target, int width, int height);

/// The size a picture goes into: one given, or the picture's own, shrunk keeping its shape
/// where it is larger than maxWidth x maxHeight.
struct ImageSize {
    std::optional<std::pair<int, int>> given;
    int maxWidth = 0;
    int maxHeight = 0;
};

/// Reads the picture file at path through the read gate and converts it (every frame with
/// --frames) as the options say; the size and target are the caller's. The same conversion the
/// editor's "Image into Entry" makes.
[[nodiscard]] Result<std::vector<Picture>>
convertImageFile(Context& context, const std::string& path, const ParsedOptions& options,
                 ColourTarget target, const ImageSize& size);

} // namespace korvel::cli
