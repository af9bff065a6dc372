#pragma once

#include "result.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel {

/// Reads the whole file in one go. Fails with the system's error text and the file name; the
/// caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

/// Writes bytes to a temporary file in the target's folder, then renames it over the target, so
/// the old file stays whole unless the new one was written completely. A new file gets the
/// permissions the user's umask allows; an existing one keeps its own. Fails with the system's
/// error text and the file name.
[[nodiscard]] Status writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace korvel
