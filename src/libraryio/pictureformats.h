#pragma once

// The picture formats one glyph or bitmap can be exported in. Adding a format is adding one
// entry to pictureFormats(): the modify dialog's export and `korvel-cli export` both look here.

#include "core/picture.h"

#include "core/result.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace korvel {

/// One export format: its name, its file extension (lower case, no dot) and its encoder, which
/// returns a file image the caller owns.
struct PictureFormat {
    std::string_view name;
    std::string_view extension;
    Result<std::vector<std::uint8_t>> (*encode)(const Picture& picture);
};

/// Every export format, BMP first.
[[nodiscard]] std::span<const PictureFormat> pictureFormats();

/// The format of a file extension in any letter case (without the dot), or nullptr.
[[nodiscard]] const PictureFormat* pictureFormatOfExtension(std::string_view extension);

} // namespace korvel
