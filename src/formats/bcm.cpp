#include "formats/bcm.h"

#include "core/bits.h"
#include "formats/rows.h"

#include <algorithm>
#include <array>
#include <string>

namespace korvel {

namespace {
constexpr std::size_t kDirectoryRecord = 12;
constexpr std::size_t kNameField = 8;
constexpr std::size_t kBlockHead = 6;

std::string entryLabel(std::size_t k, const std::string& name) {
    return "Bitmap " + std::to_string(k) + " (\"" + name + "\")";
}

} // namespace

std::uint64_t bcmBlockBytes(int width, int height) {
    const int stored = storedWidth(width);
    return kBlockHead + 3 * static_cast<std::uint64_t>(paddedBytes(stored)) *
                            static_cast<std::uint64_t>(std::max(height, 0));
}

Result<void> checkBcmShapes(std::span<const BcmShape> shapes) {
    if (shapes.size() > static_cast<std::size_t>(kBcmMaxEntries)) {
        return Error{"The bitmap count " + std::to_string(shapes.size()) +
                     " is more than a bitmap library file holds."};
    }
    std::uint64_t offset = 0;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const BcmShape& shape = shapes[k];
        const int width = storedWidth(shape.width);
        if (width < 0 || shape.height < 0 || paddedBytes(width) * 8 > kBcmMaxPaddedWidth ||
            shape.height > kBcmMaxRows) {
            return Error{entryLabel(k, shape.name) + " is " + std::to_string(shape.width) + " x " +
                         std::to_string(shape.height) +
                         " pixels; a bitmap library file holds bitmaps of at most 1024 x 513."};
        }
        if (offset > kBcmMaxBlockOffset) {
            return Error{entryLabel(k, shape.name) + " would begin " + std::to_string(offset) +
                         " bytes into the bitmaps' blocks, but the 32-bit block offsets of a "
                         "bitmap library file reach only " +
                         std::to_string(kBcmMaxBlockOffset) +
                         " (4 GiB); the library is too large to be saved."};
        }
        offset += bcmBlockBytes(shape.width, shape.height);
    }
    return {};
}

std::vector<std::uint8_t> bcmDirectory(std::span<const BcmShape> shapes) {
    std::vector<std::uint8_t> out;
    appendBigEndian16(out, static_cast<std::uint32_t>(shapes.size()));
    out.resize(2 + kDirectoryRecord * shapes.size(), 0);
    std::uint64_t offset = 0;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const std::size_t record = 2 + kDirectoryRecord * k;
        const std::string& name = shapes[k].name;
        for (std::size_t c = 0; c < kNameField && c < name.size(); ++c) {
            out[record + c] = static_cast<std::uint8_t>(name[c]);
        }
        putBigEndian32(out, record + kNameField, static_cast<std::uint32_t>(offset));
        offset += bcmBlockBytes(shapes[k].width, shapes[k].height);
    }
    return out;
}

namespace {
void appendBlockHead(std::vector<std::uint8_t>& out, int width, int height) {
    const int stored = storedWidth(width);
    appendBigEndian16(out, static_cast<std::uint32_t>(paddedBytes(stored)));
    appendBigEndian16(out, static_cast<std::uint32_t>(stored));
    appendBigEndian16(out, static_cast<std::uint32_t>(height));
}
} // namespace

void appendBcmBlock(std::vector<std::uint8_t>& out, const Picture* picture, int width, int height) {
    appendBlockHead(out, width, height);
    const int rowBytes = paddedBytes(storedWidth(width));
    // Columns the picture does not cover are black, that is dark in all three planes.
    for (int y = 0; y < height; ++y) {
        const bool inside = picture != nullptr && y < picture->height();
        colourPlaneRows().packRow(out, inside ? picture->row(y) : std::span<const Rgb>{}, rowBytes);
    }
}

Result<void> writeBcm(std::span<const bitmapInfoList> entries, int count, ByteSink& sink,
                      const Progress& progress) {
    if (count < 0 || static_cast<std::size_t>(count) > entries.size()) {
        return Error{"The bitmap count " + std::to_string(count) +
                     " is more than a bitmap library file holds."};
    }
    const auto n = static_cast<std::size_t>(count);
    std::vector<BcmShape> shapes;
    shapes.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        shapes.push_back({entries[k].name, entries[k].width, entries[k].height});
    }
    if (const Result<void> fits = checkBcmShapes(shapes); !fits) {
        return fits;
    }
    if (const Result<void> written = sink.write(bcmDirectory(shapes)); !written) {
        return written;
    }
    shapes = {};
    // One block at a time: memory holds the directory and the block being written.
    std::vector<std::uint8_t> block;
    for (std::size_t k = 0; k < n; ++k) {
        const bitmapInfoList& entry = entries[k];
        const int width = storedWidth(entry.width);
        block.clear();
        Result<void> written;
        if (const EncodedRows* rows = colourPlaneRows().copyableRows(
                entry.picture, entry.width, entry.height, paddedBytes(width))) {
            appendBlockHead(block, entry.width, entry.height);
            written = sink.write(block);
            if (written) {
                const bool padded = rows->rowBytes * 8 != width;
                written = sink.copy(*rows->file, rows->offset, rows->bytes().size(),
                                    padded ? CopyFix([rows, width](std::span<std::uint8_t> copied) {
                                        colourPlaneRows().darkenPadding(copied, *rows, width);
                                    })
                                           : CopyFix());
            }
        } else {
            appendBcmBlock(block, entry.picture ? &*entry.picture : nullptr, entry.width,
                           entry.height);
            written = sink.write(block);
        }
        if (!written) {
            return written;
        }
        report(progress, k + 1, n);
    }
    return {};
}

Result<std::vector<std::uint8_t>> encodeBcm(std::span<const bitmapInfoList> entries, int count,
                                            const Progress& progress) {
    std::uint64_t total = 2;
    for (std::size_t k = 0; count > 0 && k < static_cast<std::size_t>(count) && k < entries.size();
         ++k) {
        total += kDirectoryRecord + bcmBlockBytes(entries[k].width, entries[k].height);
    }
    std::vector<std::uint8_t> out;
    VectorSink sink(out);
    // Only sizes that can be written are reserved for; the others are refused before a byte.
    if (total <= kBcmMaxFileBytes) {
        out.reserve(static_cast<std::size_t>(total));
    }
    if (const Result<void> written = writeBcm(entries, count, sink, progress); !written) {
        return written.error();
    }
    return out;
}

void AnylizeBmpProtol(Picture& target, int paddedWidth, int height, int rowLength,
                      std::span<const std::uint8_t> pixelData) {
    colourPlaneRows().decodeInto(target, paddedWidth, height, rowLength, pixelData);
}

std::size_t BcmBlock::rowsLength() const {
    return 3 * static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height);
}

namespace {

/// The entry count's promise checked against the file: how many entries, and where the blocks
/// begin (after the directory).
struct DirectoryExtent {
    std::size_t count = 0;
    std::uint64_t blocksAt = 0;
};

[[nodiscard]] Result<DirectoryExtent> readDirectoryExtent(ByteSource& source) {
    const std::uint64_t size = source.size();
    if (size < 2) {
        return Error{"the file is shorter than its 2-byte entry count"};
    }
    const auto head = source.read(0, 2);
    if (!head) {
        return head.error();
    }
    const std::size_t n = getBigEndian16(head.value(), 0);
    const std::size_t blocks = 2 + kDirectoryRecord * n;
    if (size < blocks) {
        return Error{"the directory of " + std::to_string(n) + " bitmaps needs " +
                     std::to_string(blocks) + " bytes, but the file has " + std::to_string(size)};
    }
    return DirectoryExtent{n, blocks};
}

/// The name and block offset that one 12-byte directory record gives.
[[nodiscard]] BcmBlock recordOf(std::span<const std::uint8_t> record, std::uint64_t blocksAt) {
    BcmBlock entry;
    const auto name = record.first(kNameField);
    entry.name.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0}));
    entry.at = blocksAt + std::uint64_t{getBigEndian32(record, kNameField)};
    return entry;
}

/// Reads the head of entry k's block into entry and checks it: the block and its rows lie inside
/// the file, and no larger than the writer stores.
[[nodiscard]] Result<void> readBlockHead(ByteSource& source, std::size_t k, BcmBlock& entry) {
    const std::uint64_t size = source.size();
    if (entry.at + kBlockHead > size) {
        return Error{"the block of " + entryLabel(k, entry.name) + " lies outside the file"};
    }
    const auto blockHead = source.read(entry.at, kBlockHead);
    if (!blockHead) {
        return blockHead.error();
    }
    entry.rowBytes = static_cast<int>(getBigEndian16(blockHead.value(), 0));
    entry.width = static_cast<int>(getBigEndian16(blockHead.value(), 2));
    entry.height = static_cast<int>(getBigEndian16(blockHead.value(), 4));
    if (entry.rowBytes * 8 > kBcmMaxPaddedWidth || entry.width > kBcmMaxPaddedWidth ||
        entry.height > kBcmMaxRows) {
        return Error{entryLabel(k, entry.name) + " claims " + std::to_string(entry.width) + " x " +
                     std::to_string(entry.height) + " pixels in rows of " +
                     std::to_string(entry.rowBytes) +
                     " bytes, more than a bitmap library holds (1024 x 513)"};
    }
    if (entry.rowsAt() + entry.rowsLength() > size) {
        return Error{"the rows of " + entryLabel(k, entry.name) + " run past the end of the file"};
    }
    return {};
}

} // namespace

std::uint64_t bcmEnd(std::span<const BcmBlock> blocks) {
    std::uint64_t end = 2 + kDirectoryRecord * std::uint64_t{blocks.size()};
    for (const BcmBlock& block : blocks) {
        end = std::max(end, block.rowsAt() + block.rowsLength());
    }
    return end;
}

Result<std::vector<BcmBlock>> readBcmDirectory(ByteSource& source) {
    const auto extent = readDirectoryExtent(source);
    if (!extent) {
        return extent.error();
    }
    const std::size_t n = extent.value().count;
    // The directory is copied out before the block heads are read, since reading may reuse its
    // bytes; the copy is no larger than the directory. The entry list grows one checked block at
    // a time, so a directory whose blocks are not there is refused before room for all its
    // entries is made.
    std::vector<std::array<std::uint8_t, kDirectoryRecord>> records(n);
    {
        const auto directory = source.read(2, kDirectoryRecord * n);
        if (!directory) {
            return directory.error();
        }
        for (std::size_t k = 0; k < n; ++k) {
            std::copy_n(directory.value().begin() +
                            static_cast<std::ptrdiff_t>(kDirectoryRecord * k),
                        kDirectoryRecord, records[k].begin());
        }
    }
    std::vector<BcmBlock> entries;
    std::uint64_t pixels = 0;
    for (std::size_t k = 0; k < n; ++k) {
        BcmBlock& entry = entries.emplace_back(recordOf(records[k], extent.value().blocksAt));
        if (Result<void> checked = readBlockHead(source, k, entry); !checked) {
            return checked.error();
        }
        pixels +=
            static_cast<std::uint64_t>(entry.width) * static_cast<std::uint64_t>(entry.height);
    }
    // Blocks written by this program spend three bits on every pixel; blocks that share rows or
    // claim more width than their rows carry cannot blow up memory beyond that.
    const std::uint64_t size = source.size();
    if (pixels > 3 * size + 8 * 513) {
        return Error{"the bitmaps claim " + std::to_string(pixels) +
                     " pixels, more than the file's " + std::to_string(size) + " bytes can hold"};
    }
    return entries;
}

Result<std::optional<BcmBlock>> findBcmBlock(ByteSource& source,
                                             const std::function<bool(std::string_view)>& wanted) {
    const auto extent = readDirectoryExtent(source);
    if (!extent) {
        return extent.error();
    }
    const std::size_t n = extent.value().count;
    const auto directory = source.read(2, kDirectoryRecord * n);
    if (!directory) {
        return directory.error();
    }
    std::optional<BcmBlock> found;
    std::size_t foundAt = 0;
    for (std::size_t k = 0; k < n; ++k) {
        BcmBlock entry = recordOf(directory.value().subspan(kDirectoryRecord * k, kDirectoryRecord),
                                  extent.value().blocksAt);
        if (entry.at + kBlockHead > source.size()) {
            return Error{"the block of " + entryLabel(k, entry.name) + " lies outside the file"};
        }
        if (!found && wanted(entry.name)) {
            found = std::move(entry);
            foundAt = k;
        }
    }
    if (found) {
        if (Result<void> checked = readBlockHead(source, foundAt, *found); !checked) {
            return checked.error();
        }
    }
    return found;
}

Result<Picture> readBcmPicture(ByteSource& source, const BcmBlock& block) {
    const auto rows = source.read(block.rowsAt(), block.rowsLength());
    if (!rows) {
        return rows.error();
    }
    Picture picture(block.width, block.height);
    AnylizeBmpProtol(picture, 8 * block.rowBytes, block.height, 3 * block.rowBytes, rows.value());
    return picture;
}

namespace {
/// The entries of a file image's directory, each with the picture make gives for its block.
template <class MakePicture>
Result<std::vector<bitmapInfoList>> entriesOf(ByteSource& source, MakePicture&& make) {
    const auto blocks = readBcmDirectory(source);
    if (!blocks) {
        return blocks.error();
    }
    std::vector<bitmapInfoList> entries;
    entries.reserve(blocks.value().size());
    for (const BcmBlock& block : blocks.value()) {
        entries.push_back({block.name, block.width, block.height, make(block)});
    }
    return entries;
}
} // namespace

Result<std::vector<bitmapInfoList>> decodeBcm(std::span<const std::uint8_t> bytes) {
    MemorySource source(bytes);
    return entriesOf(source,
                     [&](const BcmBlock& block) { return readBcmPicture(source, block).value(); });
}

Result<std::vector<bitmapInfoList>> openBcm(SharedFileImage file) {
    MemorySource source(*file);
    return openBcm(std::move(file), source);
}

Result<std::vector<bitmapInfoList>> openBcm(SharedFileImage file, ByteSource& source) {
    return entriesOf(source, [&](const BcmBlock& block) {
        return Picture(block.width, block.height,
                       EncodedRows{file, static_cast<std::size_t>(block.rowsAt()), block.rowBytes,
                                   block.height, &colourPlaneRows()});
    });
}

} // namespace korvel
