#include "bcm.h"

#include "bits.h"

#include <algorithm>
#include <string>

namespace korvel {

namespace {
constexpr std::size_t kDirectoryRecord = 12;
constexpr std::size_t kNameField = 8;
constexpr std::size_t kBlockHead = 6;

std::string entryLabel(std::size_t k, const std::string& name) {
    return "Bitmap " + std::to_string(k) + " (\"" + name + "\")";
}

/// Appends one row's groups of red, green and blue plane bytes; columns the picture does not
/// cover are black, that is dark in all three planes.
void packPlanes(std::vector<std::uint8_t>& out, const Picture* picture, int y, int rowBytes) {
    const bool inside = picture != nullptr && y < picture->height();
    const auto row = inside ? picture->row(y) : std::span<const Rgb>{};
    for (int group = 0; group < rowBytes; ++group) {
        std::uint8_t red = 0xFF;
        std::uint8_t green = 0xFF;
        std::uint8_t blue = 0xFF;
        const int first = group * 8;
        const int last = std::min(first + 8, static_cast<int>(row.size()));
        for (int x = first; x < last; ++x) {
            const Rgb c = row[static_cast<std::size_t>(x)];
            const auto mask = static_cast<std::uint8_t>(0x80U >> (x - first));
            if (c & 0x80U) {
                red = static_cast<std::uint8_t>(red & ~mask);
            }
            if (c & 0x8000U) {
                green = static_cast<std::uint8_t>(green & ~mask);
            }
            if (c & 0x800000U) {
                blue = static_cast<std::uint8_t>(blue & ~mask);
            }
        }
        out.push_back(red);
        out.push_back(green);
        out.push_back(blue);
    }
}
} // namespace

Result<std::vector<std::uint8_t>> encodeBcm(std::span<const bitmapInfoList> entries, int count) {
    if (count < 0 || count > kBcmMaxEntries || static_cast<std::size_t>(count) > entries.size()) {
        return Error{"The bitmap count " + std::to_string(count) +
                     " is more than a bitmap library file holds."};
    }
    const auto n = static_cast<std::size_t>(count);
    std::size_t total = 2 + kDirectoryRecord * n;
    for (std::size_t k = 0; k < n; ++k) {
        const bitmapInfoList& entry = entries[k];
        const int width = entry.width == 0 ? 8 : entry.width;
        const int rowBytes = paddedBytes(width);
        if (width < 0 || entry.height < 0 || rowBytes * 8 > kBcmMaxPaddedWidth ||
            entry.height > kBcmMaxRows) {
            return Error{entryLabel(k, entry.name) + " is " + std::to_string(entry.width) + " x " +
                         std::to_string(entry.height) +
                         " pixels; a bitmap library file holds bitmaps of at most 1024 x 513."};
        }
        total += kBlockHead +
                 3 * static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(entry.height);
    }

    std::vector<std::uint8_t> out;
    out.reserve(total);
    appendBigEndian16(out, static_cast<std::uint32_t>(n));
    out.resize(2 + kDirectoryRecord * n, 0);
    std::uint32_t offset = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const bitmapInfoList& entry = entries[k];
        const int width = entry.width == 0 ? 8 : entry.width;
        const int rowBytes = paddedBytes(width);
        const std::size_t start = out.size();
        appendBigEndian16(out, static_cast<std::uint32_t>(rowBytes));
        appendBigEndian16(out, static_cast<std::uint32_t>(width));
        appendBigEndian16(out, static_cast<std::uint32_t>(entry.height));
        const Picture* picture = entry.picture ? &*entry.picture : nullptr;
        for (int y = 0; y < entry.height; ++y) {
            packPlanes(out, picture, y, rowBytes);
        }
        const std::size_t record = 2 + kDirectoryRecord * k;
        for (std::size_t c = 0; c < kNameField && c < entry.name.size(); ++c) {
            out[record + c] = static_cast<std::uint8_t>(entry.name[c]);
        }
        putBigEndian32(out, record + kNameField, offset);
        offset += static_cast<std::uint32_t>(out.size() - start);
    }
    return out;
}

void AnylizeBmpProtol(Picture& target, int paddedWidth, int height, int rowLength,
                      std::span<const std::uint8_t> pixelData) {
    const int columns = std::min(paddedWidth, target.width());
    const int rows = std::min(height, target.height());
    for (int y = 0; y < rows; ++y) {
        const std::size_t base = static_cast<std::size_t>(y) * static_cast<std::size_t>(rowLength);
        const auto row = target.row(y);
        for (int x = 0; x < columns; ++x) {
            const std::size_t group = base + 3 * static_cast<std::size_t>(x / 8);
            if (group + 2 >= pixelData.size()) {
                break;
            }
            const int shift = 7 - x % 8;
            const auto lit = [&](std::size_t plane) -> Rgb {
                return ((pixelData[group + plane] >> shift) & 1U) ? 0U : 0xFFU;
            };
            row[static_cast<std::size_t>(x)] = lit(0) | (lit(1) << 8) | (lit(2) << 16);
        }
    }
}

Result<std::vector<bitmapInfoList>> decodeBcm(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2) {
        return Error{"the file is shorter than its 2-byte entry count"};
    }
    const std::size_t n = getBigEndian16(bytes, 0);
    const std::size_t blocks = 2 + kDirectoryRecord * n;
    if (bytes.size() < blocks) {
        return Error{"the directory of " + std::to_string(n) + " bitmaps needs " +
                     std::to_string(blocks) + " bytes, but the file has " +
                     std::to_string(bytes.size())};
    }
    // Check every block before any picture is allocated.
    struct Layout {
        std::size_t at;
        int rowBytes, width, height;
    };
    // The lists grow one checked record at a time, so a directory whose blocks are not there
    // is refused before room for all its entries is made.
    std::vector<bitmapInfoList> entries;
    std::vector<Layout> layouts;
    std::uint64_t pixels = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t record = 2 + kDirectoryRecord * k;
        bitmapInfoList& entry = entries.emplace_back();
        for (std::size_t c = 0; c < kNameField && bytes[record + c] != 0; ++c) {
            entry.name.push_back(static_cast<char>(bytes[record + c]));
        }
        const std::uint64_t at = blocks + std::uint64_t{getBigEndian32(bytes, record + kNameField)};
        if (at + kBlockHead > bytes.size()) {
            return Error{"the block of " + entryLabel(k, entry.name) + " lies outside the file"};
        }
        const Layout layout{static_cast<std::size_t>(at),
                            static_cast<int>(getBigEndian16(bytes, at)),
                            static_cast<int>(getBigEndian16(bytes, at + 2)),
                            static_cast<int>(getBigEndian16(bytes, at + 4))};
        if (layout.rowBytes * 8 > kBcmMaxPaddedWidth || layout.width > kBcmMaxPaddedWidth ||
            layout.height > kBcmMaxRows) {
            return Error{entryLabel(k, entry.name) + " claims " + std::to_string(layout.width) +
                         " x " + std::to_string(layout.height) + " pixels in rows of " +
                         std::to_string(layout.rowBytes) +
                         " bytes, more than a bitmap library holds (1024 x 513)"};
        }
        const std::uint64_t dataLength = 3ULL * static_cast<std::uint64_t>(layout.rowBytes) *
                                         static_cast<std::uint64_t>(layout.height);
        if (at + kBlockHead + dataLength > bytes.size()) {
            return Error{"the rows of " + entryLabel(k, entry.name) +
                         " run past the end of the file"};
        }
        pixels +=
            static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
        layouts.push_back(layout);
    }
    // Blocks written by this program spend three bits on every pixel; blocks that share rows or
    // claim more width than their rows carry cannot blow up memory beyond that.
    if (pixels > 3 * static_cast<std::uint64_t>(bytes.size()) + 8 * 513) {
        return Error{"the bitmaps claim " + std::to_string(pixels) +
                     " pixels, more than the file's " + std::to_string(bytes.size()) +
                     " bytes can hold"};
    }
    for (std::size_t k = 0; k < n; ++k) {
        const Layout& layout = layouts[k];
        bitmapInfoList& entry = entries[k];
        entry.width = layout.width;
        entry.height = layout.height;
        entry.picture.emplace(layout.width, layout.height);
        const auto dataLength =
            3 * static_cast<std::size_t>(layout.rowBytes) * static_cast<std::size_t>(layout.height);
        AnylizeBmpProtol(*entry.picture, 8 * layout.rowBytes, layout.height, 3 * layout.rowBytes,
                         bytes.subspan(layout.at + kBlockHead, dataLength));
    }
    return entries;
}

} // namespace korvel
