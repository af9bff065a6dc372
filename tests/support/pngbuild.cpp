#include "support/pngbuild.h"

#include <zlib.h>

#include <array>
#include <stdexcept>

namespace korvel::pngtest {

namespace {

void putBig32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

[[nodiscard]] int channelsOf(int colourType) {
    switch (colourType) {
    case 0:
    case 3:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    default:
        return 4;
    }
}

/// The Adam7 passes: first column, first row, column step, row step.
constexpr std::array<std::array<int, 4>, 7> kPasses{{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};

/// The scanlines, each after a filter byte of 0; interlaced ones pass by pass. Interlacing is
/// built for whole-byte pixels only.
[[nodiscard]] Bytes scanlines(const PngPlan& plan) {
    Bytes out;
    if (!plan.interlaced) {
        for (const Bytes& row : plan.rows) {
            out.push_back(0);
            out.insert(out.end(), row.begin(), row.end());
        }
        return out;
    }
    if (plan.bitDepth < 8) {
        throw std::invalid_argument("interlaced test PNGs need whole-byte pixels");
    }
    const int pixelBytes = channelsOf(plan.colourType) * plan.bitDepth / 8;
    for (const auto& [x0, y0, dx, dy] : kPasses) {
        if (x0 >= plan.width || y0 >= plan.height) {
            continue;
        }
        for (int y = y0; y < plan.height; y += dy) {
            out.push_back(0);
            for (int x = x0; x < plan.width; x += dx) {
                const auto& row = plan.rows[static_cast<std::size_t>(y)];
                const auto at = row.begin() + x * pixelBytes;
                out.insert(out.end(), at, at + pixelBytes);
            }
        }
    }
    return out;
}

[[nodiscard]] Bytes headerData(int width, int height, int bitDepth, int colourType,
                               bool interlaced) {
    Bytes data;
    putBig32(data, static_cast<std::uint32_t>(width));
    putBig32(data, static_cast<std::uint32_t>(height));
    data.push_back(static_cast<std::uint8_t>(bitDepth));
    data.push_back(static_cast<std::uint8_t>(colourType));
    data.push_back(0);
    data.push_back(0);
    data.push_back(interlaced ? 1 : 0);
    return data;
}

} // namespace

Bytes pngChunk(std::string_view type, const Bytes& data) {
    Bytes out;
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out,
             static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
    return out;
}

Bytes pngHead(int width, int height, int bitDepth, int colourType) {
    Bytes out{137, 80, 78, 71, 13, 10, 26, 10};
    const Bytes header = pngChunk("IHDR", headerData(width, height, bitDepth, colourType, false));
    out.insert(out.end(), header.begin(), header.end());
    return out;
}

Bytes pngFile(const PngPlan& plan) {
    Bytes out{137, 80, 78, 71, 13, 10, 26, 10};
    const auto append = [&out](const Bytes& chunk) {
        out.insert(out.end(), chunk.begin(), chunk.end());
    };
    append(pngChunk("IHDR", headerData(plan.width, plan.height, plan.bitDepth, plan.colourType,
                                       plan.interlaced)));
    if (!plan.palette.empty()) {
        append(pngChunk("PLTE", plan.palette));
    }
    if (!plan.transparency.empty()) {
        append(pngChunk("tRNS", plan.transparency));
    }
    const Bytes raw = scanlines(plan);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) {
        throw std::runtime_error("zlib cannot compress the test picture");
    }
    packed.resize(packedSize);
    append(pngChunk("IDAT", packed));
    append(pngChunk("IEND", {}));
    return out;
}

} // namespace korvel::pngtest
