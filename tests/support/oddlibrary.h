#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace korvel {

/// A .bcm file of random blocks that the reader accepts but this program's writer would not have
/// made: row byte counts larger or smaller than the width needs, lit padding bits, widths of 0,
/// blocks stored in reverse order and blocks shared by two entries. Entry k is named "a" + k.
[[nodiscard]] std::vector<std::uint8_t> oddBcm(std::mt19937& random);

/// A .lcm file of 128 or 256 random records in the same spirit as oddBcm.
[[nodiscard]] std::vector<std::uint8_t> oddLcm(std::mt19937& random);

} // namespace korvel
