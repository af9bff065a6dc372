#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// Where the first pixel of eight goes in a byte of a bit-per-pixel row.
enum class BitOrder : std::uint8_t {
    MsbFirst, ///< the leftmost pixel in bit 7
    LsbFirst, ///< the leftmost pixel in bit 0
};

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

/// The one packer of bit-per-pixel rows: appends one row of width pixels padded to whole bytes,
/// the first pixel of eight in the bit that order names, a lit pixel as a 1 bit when litIsOne
/// (else a 0 bit), the padding dark. The library formats store lit as 0, most significant first;
/// BDF stores ink as 1; the C export lets the user choose.
template <class IsLit>
void appendRowBits(std::vector<std::uint8_t>& out, int width, BitOrder order, bool litIsOne,
                   IsLit&& isLitAt) {
    for (int group = 0; group < paddedBytes(width); ++group) {
        unsigned byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int x = group * 8 + bit;
            if ((x < width && isLitAt(x)) == litIsOne) {
                byte |= order == BitOrder::MsbFirst ? (0x80U >> bit) : (1U << bit);
            }
        }
        out.push_back(static_cast<std::uint8_t>(byte));
    }
}

} // namespace korvel
