#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// Bytes per row of one bit per pixel, padded to whole bytes.
[[nodiscard]] constexpr int paddedBytes(int width) {
    return (width + 7) / 8;
}

inline void putBigEndian32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 24);
    out[at + 1] = static_cast<std::uint8_t>(value >> 16);
    out[at + 2] = static_cast<std::uint8_t>(value >> 8);
    out[at + 3] = static_cast<std::uint8_t>(value);
}

inline void appendBigEndian16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

/// The caller has checked that four bytes are there.
[[nodiscard]] inline std::uint32_t getBigEndian32(std::span<const std::uint8_t> in,
                                                  std::size_t at) {
    return (std::uint32_t{in[at]} << 24) | (std::uint32_t{in[at + 1]} << 16) |
           (std::uint32_t{in[at + 2]} << 8) | std::uint32_t{in[at + 3]};
}

/// The caller has checked that two bytes are there.
[[nodiscard]] inline std::uint32_t getBigEndian16(std::span<const std::uint8_t> in,
                                                  std::size_t at) {
    return (std::uint32_t{in[at]} << 8) | std::uint32_t{in[at + 1]};
}

/// Appends rowBytes bytes of one row, leftmost pixel in the most significant bit; a lit pixel is
/// a 0 bit and a dark one a 1 bit, as both library formats store them.
template <class IsLit> void packRow(std::vector<std::uint8_t>& out, int rowBytes, IsLit&& isLitAt) {
    for (int group = 0; group < rowBytes; ++group) {
        std::uint8_t byte = 0xFF;
        for (int bit = 0; bit < 8; ++bit) {
            if (isLitAt(group * 8 + bit)) {
                byte = static_cast<std::uint8_t>(byte & ~(0x80U >> bit));
            }
        }
        out.push_back(byte);
    }
}

} // namespace korvel
