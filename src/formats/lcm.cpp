#include "formats/lcm.h"

#include "core/bits.h"
#include "formats/rows.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace korvel {

bool fitsLcmRecord(const GlyphRecord& glyph) {
    const int width = storedWidth(glyph.width);
    return width >= 0 && width <= kLcmMaxSide && glyph.height >= 0 && glyph.height <= kLcmMaxSide;
}

Result<std::vector<std::uint8_t>> encodeLcm(const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                            int count) {
    if (count < 0 || count > kGlyphSlots) {
        return Error{"The glyph count " + std::to_string(count) + " is outside 0 to 256."};
    }
    std::size_t total = 1 + 4 * static_cast<std::size_t>(count);
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        if (!fitsLcmRecord(glyph)) {
            return Error{"Glyph " + std::to_string(code) + " is " + std::to_string(glyph.width) +
                         " x " + std::to_string(glyph.height) +
                         " pixels; a font library file holds glyphs of at most 255 x 255."};
        }
        total += 3 + static_cast<std::size_t>(paddedBytes(storedWidth(glyph.width))) *
                         static_cast<std::size_t>(glyph.height);
    }

    std::vector<std::uint8_t> out;
    out.reserve(total);
    out.push_back(static_cast<std::uint8_t>(count % 256));
    out.resize(1 + 4 * static_cast<std::size_t>(count), 0);
    std::uint32_t offset = 0;
    for (int code = 0; code < count; ++code) {
        const GlyphRecord& glyph = glyphs[static_cast<std::size_t>(code)];
        const int width = storedWidth(glyph.width);
        const int height = glyph.height;
        const int rowBytes = paddedBytes(width);
        const std::size_t start = out.size();
        out.push_back(static_cast<std::uint8_t>(rowBytes));
        out.push_back(static_cast<std::uint8_t>(width));
        out.push_back(static_cast<std::uint8_t>(height));
        const PlaneRows& layout = inkRows();
        if (const EncodedRows* rows =
                layout.copyableRows(glyph.picture, glyph.width, glyph.height, rowBytes)) {
            layout.appendWithDarkPadding(out, *rows, width);
        } else {
            for (int y = 0; y < height; ++y) {
                // The picture is drawn on a black canvas of the padded width: what it does not
                // cover is background, and a dark bit is 1.
                layout.packRow(out, rowOf(glyph.picture, y), rowBytes);
            }
        }
        putBigEndian32(out, 1 + 4 * static_cast<std::size_t>(code), offset);
        offset += static_cast<std::uint32_t>(out.size() - start);
    }
    return out;
}

void AnylizeProtol(Picture& target, int decodeWidth, int height, int rowByteCount,
                   std::span<const std::uint8_t> rowBytes) {
    inkRows().decodeInto(target, decodeWidth, height, rowByteCount, rowBytes);
}

std::size_t LcmRecord::rowsLength() const {
    return static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height);
}

std::uint64_t lcmEnd(std::span<const LcmRecord> records) {
    std::uint64_t end = 1 + 4 * std::uint64_t{records.size()};
    for (const LcmRecord& record : records) {
        end = std::max(end, record.rowsAt() + record.rowsLength());
    }
    return end;
}

Result<std::vector<LcmRecord>> readLcmTable(ByteSource& source) {
    const std::uint64_t size = source.size();
    if (size == 0) {
        return Error{"the file is empty"};
    }
    const auto countByte = source.read(0, 1);
    if (!countByte) {
        return countByte.error();
    }
    std::size_t count = countByte.value()[0];
    if (count == 0 && size > 1) {
        count = kGlyphSlots;
    }
    const std::size_t base = 1 + 4 * count;
    if (size < base) {
        return Error{"the offset table of " + std::to_string(count) + " glyphs needs " +
                     std::to_string(base) + " bytes, but the file has " + std::to_string(size)};
    }
    // The table is copied out before the record heads are read, since reading may reuse its
    // bytes.
    std::array<std::uint32_t, kGlyphSlots> offsets{};
    {
        const auto table = source.read(1, 4 * count);
        if (!table) {
            return table.error();
        }
        for (std::size_t code = 0; code < count; ++code) {
            offsets[code] = getBigEndian32(table.value(), 4 * code);
        }
    }
    // Grown one checked record at a time: a table pointing past the end allocates nothing.
    std::vector<LcmRecord> records;
    std::uint64_t pixels = 0;
    for (std::size_t code = 0; code < count; ++code) {
        const std::uint64_t at = base + std::uint64_t{offsets[code]};
        if (at + 3 > size) {
            return Error{"the record of glyph " + std::to_string(code) + " lies outside the file"};
        }
        const auto head = source.read(at, 3);
        if (!head) {
            return head.error();
        }
        const LcmRecord record{head.value()[0], head.value()[1], head.value()[2], at};
        if (record.rowsAt() + record.rowsLength() > size) {
            return Error{"the rows of glyph " + std::to_string(code) +
                         " run past the end of the file"};
        }
        pixels +=
            static_cast<std::uint64_t>(record.width) * static_cast<std::uint64_t>(record.height);
        records.push_back(record);
    }
    // Records written by this program hold at least one bit per pixel; records that share rows
    // or claim more width than their rows carry cannot blow up memory beyond that.
    if (pixels > 8 * size + 8 * 255) {
        return Error{"the glyphs claim " + std::to_string(pixels) +
                     " pixels, more than the file's " + std::to_string(size) + " bytes can hold"};
    }
    return records;
}

Result<Picture> readLcmPicture(ByteSource& source, const LcmRecord& record) {
    const auto rows = source.read(record.rowsAt(), record.rowsLength());
    if (!rows) {
        return rows.error();
    }
    Picture picture(record.width, record.height);
    AnylizeProtol(picture, record.rowBytes * 8, record.height, record.rowBytes, rows.value());
    return picture;
}

namespace {
/// The glyphs of a file image's table, each with the picture make gives for its record.
template <class MakePicture>
Result<std::vector<GlyphRecord>> glyphsOf(MemorySource& source, MakePicture&& make) {
    const auto records = readLcmTable(source);
    if (!records) {
        return records.error();
    }
    std::vector<GlyphRecord> glyphs;
    glyphs.reserve(records.value().size());
    for (const LcmRecord& record : records.value()) {
        glyphs.push_back(
            {static_cast<std::int32_t>(glyphs.size()), record.width, record.height, make(record)});
    }
    return glyphs;
}
} // namespace

Result<std::vector<GlyphRecord>> decodeLcm(std::span<const std::uint8_t> bytes) {
    MemorySource source(bytes);
    return glyphsOf(
        source, [&](const LcmRecord& record) { return readLcmPicture(source, record).value(); });
}

Result<std::vector<GlyphRecord>> openLcm(SharedFileImage file) {
    MemorySource source(*file);
    return glyphsOf(source, [&](const LcmRecord& record) {
        return Picture(record.width, record.height,
                       EncodedRows{file, static_cast<std::size_t>(record.rowsAt()), record.rowBytes,
                                   record.height, &inkRows()});
    });
}

} // namespace korvel
