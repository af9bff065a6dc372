#pragma once

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <unistd.h>
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

/// Writes at path a legal bitmap library of count white 1024 x 512 entries named E0, E1, ... (the
/// first firstHeight rows high) as a sparse file: only its directory and block heads take room
/// on the disk (21845 entries make 4.3 GB, whose last block begins just below 2^32). False when
/// the file cannot be made.
[[nodiscard]] inline bool writeSparseBitmapLibrary(const std::string& path, int count,
                                                   int firstHeight = 512) {
    constexpr std::uint64_t kBlock = 6 + 3 * 128 * 512;
    const std::uint64_t shortBy = 3 * 128 * static_cast<std::uint64_t>(512 - firstHeight);
    const auto entries = static_cast<std::uint64_t>(count);
    // Where block k begins in the block area.
    const auto blockAt = [&](std::uint64_t k) { return k == 0 ? 0 : kBlock * k - shortBy; };
    std::vector<std::uint8_t> head;
    const auto put = [](std::vector<std::uint8_t>& out, std::uint64_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
            out.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    put(head, entries, 2);
    for (std::uint64_t k = 0; k < entries; ++k) {
        std::string name = "E" + std::to_string(k);
        name.resize(8, '\0');
        head.insert(head.end(), name.begin(), name.end());
        put(head, blockAt(k), 4);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool written = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    for (std::uint64_t k = 0; written && k < entries; ++k) {
        std::vector<std::uint8_t> blockHead;
        put(blockHead, 128, 2);
        put(blockHead, 1024, 2);
        put(blockHead, k == 0 ? static_cast<std::uint64_t>(firstHeight) : 512, 2);
        written = ::pwrite(fd, blockHead.data(), blockHead.size(),
                           static_cast<off_t>(head.size() + blockAt(k))) == 6;
    }
    written = written && ::ftruncate(fd, static_cast<off_t>(head.size() + blockAt(entries))) == 0;
    return ::close(fd) == 0 && written;
}

} // namespace korvel::testing_support
