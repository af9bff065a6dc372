#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::testing_support {

/// A legal bitmap library file image of count black 1024 x 512 entries named E0, E1, ...:
/// a block of 196 614 bytes per entry in the file, 2 MiB per entry once decoded.
[[nodiscard]] inline std::vector<std::uint8_t> largeBitmapLibraryFile(int count) {
    constexpr std::size_t kRowBytes = 3 * 128;
    constexpr std::size_t kBlock = 6 + kRowBytes * 512;
    const auto entries = static_cast<std::size_t>(count);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + 12 * entries + kBlock * entries);
    const auto put = [&](std::uint64_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    put(entries, 2);
    for (std::size_t k = 0; k < entries; ++k) {
        std::string name = "E" + std::to_string(k);
        name.resize(8, '\0');
        bytes.insert(bytes.end(), name.begin(), name.end());
        put(kBlock * k, 4);
    }
    for (std::size_t k = 0; k < entries; ++k) {
        put(128, 2);                                        // row byte count
        put(1024, 2);                                       // width
        put(512, 2);                                        // height
        bytes.resize(bytes.size() + kRowBytes * 512, 0xFF); // every plane bit dark: black
    }
    return bytes;
}

} // namespace korvel::testing_support
