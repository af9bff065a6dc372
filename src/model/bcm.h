#pragma once

#include "bitmaplibrary.h"
#include "result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// The largest entry a .bcm file is written or read with: padded width and rows.
inline constexpr int kBcmMaxPaddedWidth = 1024;
inline constexpr int kBcmMaxRows = 513;
inline constexpr int kBcmMaxEntries = 65535;

/// The largest .bcm file the reader accepts: the count, 65535 directory records and as many
/// blocks of the largest entry, back to back.
inline constexpr std::uint64_t kBcmMaxFileBytes =
    2 + 12 * std::uint64_t{kBcmMaxEntries} +
    std::uint64_t{kBcmMaxEntries} * (6 + 3 * (kBcmMaxPaddedWidth / 8) * kBcmMaxRows);

/// Encodes entries 0..count-1 as a .bcm file image. Fails, naming the entry, when one is larger
/// than the format is written with. The caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodeBcm(std::span<const bitmapInfoList> entries,
                                                          int count);

/// Decodes a whole .bcm file image into its entries (name, size, 24-bit picture), in file order.
/// Fails, saying what does not add up, when the directory, a block or its rows lie outside the
/// file or an entry is larger than the writer can store; nothing is read past the data.
[[nodiscard]] Result<std::vector<bitmapInfoList>> decodeBcm(std::span<const std::uint8_t> bytes);

/// Decodes one entry's pixel data (rowLength x height bytes of red, green and blue plane bytes)
/// into target, which keeps its size: a plane bit 0 gives 255, a 1 gives 0.
void AnylizeBmpProtol(Picture& target, int paddedWidth, int height, int rowLength,
                      std::span<const std::uint8_t> pixelData);

} // namespace korvel
