#include "support/gifbuild.h"

#include <algorithm>

namespace korvel::giftest {

namespace {

void putU16(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

/// Packs 9-bit codes least significant bit first, as GIF's LZW stream is read.
class CodeWriter {
public:
    void put(unsigned code) {
        buffer_ |= code << bits_;
        bits_ += 9;
        while (bits_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    [[nodiscard]] Bytes finish() {
        if (bits_ > 0) {
            bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
        }
        return bytes_;
    }

private:
    Bytes bytes_;
    unsigned buffer_ = 0;
    unsigned bits_ = 0;
};

/// Every index a literal code; a clear code every 254 of them keeps the decoder's table from
/// reaching 512 entries, where the code width would grow.
Bytes lzwOf(const Frame& frame) {
    constexpr unsigned kClear = 256;
    constexpr unsigned kEnd = 257;
    CodeWriter writer;
    writer.put(kClear);
    int sinceClear = 0;
    for (const std::uint8_t index : frame) {
        if (sinceClear == 254) {
            writer.put(kClear);
            sinceClear = 0;
        }
        writer.put(index);
        ++sinceClear;
    }
    writer.put(kEnd);
    return writer.finish();
}

} // namespace

Bytes gifFile(int width, int height, const Bytes& palette, const std::vector<Frame>& frames) {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    putU16(out, width);
    putU16(out, height);
    out.push_back(0xF7); // a global table of 256 colours, 8 bits a channel
    out.push_back(0);
    out.push_back(0);
    Bytes table = palette;
    table.resize(256 * 3, 0);
    out.insert(out.end(), table.begin(), table.end());
    // Loop forever (the NETSCAPE2.0 extension), so readers treat it as an animation.
    const Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                     'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    out.insert(out.end(), loop.begin(), loop.end());
    for (const Frame& frame : frames) {
        // Graphic control: a delay of 10 ms, no transparency, nothing disposed.
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x04, 0x01, 0x00, 0x00, 0x00});
        out.push_back(0x2C);
        putU16(out, 0);
        putU16(out, 0);
        putU16(out, width);
        putU16(out, height);
        out.push_back(0);
        out.push_back(8); // minimum code size
        const Bytes data = lzwOf(frame);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t length = std::min<std::size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(length));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

} // namespace korvel::giftest
