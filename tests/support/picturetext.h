#pragma once

#include "core/picture.h"

#include <ostream>
#include <string>
#include <vector>

namespace korvel {

/// Pictures written as text, one string per row, one character per pixel:
/// "." black, "#" or "R" red, "G" green, "Y" yellow, "B" blue, "A" aqua, "W" white, "F" fuchia.
/// Any other colour prints as "?".
[[nodiscard]] Picture pictureFromText(const std::vector<std::string>& rows,
                                      PixelFormat format = PixelFormat::Rgb24);
[[nodiscard]] std::vector<std::string> pictureToText(const Picture& picture);

/// Lets GoogleTest print a picture in the same text form when a comparison fails.
void PrintTo(const Picture& picture, std::ostream* out);

} // namespace korvel
