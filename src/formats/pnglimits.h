#pragma once

#include <cstdint>

namespace korvel {

/// The largest PNG file read: the rows of a picture of 16384 x 16384 pixels at 64 bits per pixel
/// with their filter bytes, stored uncompressed, plus a quarter for block and chunk framing and
/// 1 MiB of other chunks.
inline constexpr std::uint64_t kPngMaxFileBytes =
    std::uint64_t{16384} * (1 + std::uint64_t{16384} * 8) / 4 * 5 + (std::uint64_t{1} << 20);

} // namespace korvel
