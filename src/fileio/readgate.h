#pragma once

#include "core/encodedrows.h"
#include "core/result.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Reads the whole file in one go through the read gate below, without a size cap. Fails with
/// the system's error text and the file name; the caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

/// No size cap for readRegularFile.
inline constexpr std::uint64_t kNoSizeCap = std::numeric_limits<std::uint64_t>::max();

/// The read gate: reads a whole regular file of at most maxBytes bytes. A FIFO, a device, a
/// socket or a directory is refused at once, without blocking and without reading; a file larger
/// than maxBytes is refused before anything is read, naming what (e.g. "a font library file")
/// cannot be that large. Fails with the system's error text and the file name; the caller owns
/// the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>>
readRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what);

/// The read gate's checks (a regular file of at most maxBytes, refused as readRegularFile refuses
/// it), then the file mapped read-only instead of read: pages are read from the disk only where
/// the image is used, and the image keeps the file open for copies file to file. For a command
/// that holds the file for a short run; a file cut short by another program while it is mapped
/// ends the process when the lost part is used. Throws std::bad_alloc when the address space has
/// no room for the mapping, as a read that runs out of memory does.
[[nodiscard]] Result<SharedFileImage> mapRegularFile(const std::string& path,
                                                     std::uint64_t maxBytes, std::string_view what);

} // namespace korvel
