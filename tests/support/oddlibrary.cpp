#include "support/oddlibrary.h"

#include <algorithm>

namespace korvel {

namespace {
void putBig(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out[at + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
    }
}

} // namespace

std::vector<std::uint8_t> oddBcm(std::mt19937& random) {
    const int n = 1 + static_cast<int>(random() % 12);
    std::vector<std::uint8_t> file(2 + 12 * static_cast<std::size_t>(n), 0);
    putBig(file, 0, static_cast<std::uint32_t>(n), 2);
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(n));
    const std::size_t blocks = file.size();
    for (int k = n - 1; k >= 0; --k) {
        if (k + 1 < n && random() % 5 == 0) {
            offsets[static_cast<std::size_t>(k)] = offsets[static_cast<std::size_t>(k) + 1];
            continue;
        }
        const int width = static_cast<int>(random() % 41);
        const int needed = (std::max(width, 1) + 7) / 8;
        const int rowBytes = std::max(1, needed + static_cast<int>(random() % 3) - 1);
        const int height = static_cast<int>(random() % 6);
        offsets[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(file.size() - blocks);
        const std::size_t head = file.size();
        file.resize(head + 6);
        putBig(file, head, static_cast<std::uint32_t>(rowBytes), 2);
        putBig(file, head + 2, static_cast<std::uint32_t>(width), 2);
        putBig(file, head + 4, static_cast<std::uint32_t>(height), 2);
        for (int i = 0; i < 3 * rowBytes * height; ++i) {
            file.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    for (int k = 0; k < n; ++k) {
        const std::size_t record = 2 + 12 * static_cast<std::size_t>(k);
        file[record] = static_cast<std::uint8_t>('a' + k);
        putBig(file, record + 8, offsets[static_cast<std::size_t>(k)], 4);
    }
    return file;
}

std::vector<std::uint8_t> oddLcm(std::mt19937& random) {
    const int count = random() % 2 == 0 ? 128 : 256;
    std::vector<std::uint8_t> file(1 + 4 * static_cast<std::size_t>(count), 0);
    file[0] = static_cast<std::uint8_t>(count % 256);
    const std::size_t base = file.size();
    for (int code = count - 1; code >= 0; --code) {
        std::uint32_t offset = static_cast<std::uint32_t>(file.size() - base);
        if (code + 1 < count && random() % 5 == 0) {
            offset = static_cast<std::uint32_t>(
                (file[1 + 4 * static_cast<std::size_t>(code + 1)] << 24) |
                (file[2 + 4 * static_cast<std::size_t>(code + 1)] << 16) |
                (file[3 + 4 * static_cast<std::size_t>(code + 1)] << 8) |
                file[4 + 4 * static_cast<std::size_t>(code + 1)]);
        } else {
            const int width = static_cast<int>(random() % 30);
            const int needed = (std::max(width, 1) + 7) / 8;
            const int rowBytes = std::max(1, needed + static_cast<int>(random() % 3) - 1);
            const int height = static_cast<int>(random() % 7);
            file.push_back(static_cast<std::uint8_t>(rowBytes));
            file.push_back(static_cast<std::uint8_t>(width));
            file.push_back(static_cast<std::uint8_t>(height));
            for (int i = 0; i < rowBytes * height; ++i) {
                file.push_back(static_cast<std::uint8_t>(random()));
            }
        }
        putBig(file, 1 + 4 * static_cast<std::size_t>(code), offset, 4);
    }
    return file;
}

} // namespace korvel
