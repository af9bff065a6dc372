#pragma once

#include "core/bitmaplibrary.h"
#include "core/bytesink.h"
#include "core/bytesource.h"
#include "core/encodedrows.h"
#include "core/progress.h"
#include "core/result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// The largest entry a .bcm file is written or read with: padded width and rows.
inline constexpr int kBcmMaxPaddedWidth = 1024;
inline constexpr int kBcmMaxRows = 513;
inline constexpr int kBcmMaxEntries = 65535;

/// The largest block a .bcm file holds: its head and 513 rows of 128 groups.
inline constexpr std::uint64_t kBcmMaxBlockBytes =
    6 + 3 * std::uint64_t{kBcmMaxPaddedWidth / 8} * kBcmMaxRows;
/// A block offset is 32 bits: the last block must begin at most this far into the block area.
inline constexpr std::uint64_t kBcmMaxBlockOffset = 0xFFFFFFFFU;

/// The largest .bcm file the format can address: the count, 65535 directory records and a block
/// area whose last block, of the largest size, begins at the last offset 32 bits hold.
inline constexpr std::uint64_t kBcmMaxFileBytes =
    2 + 12 * std::uint64_t{kBcmMaxEntries} + kBcmMaxBlockOffset + kBcmMaxBlockBytes;

/// What the directory and the block head of one entry store: its name and size.
struct BcmShape {
    std::string name;
    int width = 0;
    int height = 0;
};

/// The bytes the block of a width x height entry takes (a width of 0 is stored as 8).
[[nodiscard]] std::uint64_t bcmBlockBytes(int width, int height);

/// Whether entries of these shapes can be written as one .bcm file: at most 65535 of them, none
/// larger than 1024 x 513, and every block beginning where a 32-bit offset reaches. Fails with a
/// sentence naming the first entry that does not fit and why.
[[nodiscard]] Result<void> checkBcmShapes(std::span<const BcmShape> shapes);

/// The entry count and the directory of a .bcm file of entries of these shapes, which
/// checkBcmShapes accepts.
[[nodiscard]] std::vector<std::uint8_t> bcmDirectory(std::span<const BcmShape> shapes);

/// Appends the block of a width x height entry packed from picture (black where it does not
/// reach, all black without one); the size is one checkBcmShapes accepts.
void appendBcmBlock(std::vector<std::uint8_t>& out, const Picture* picture, int width, int height);

/// Writes entries 0..count-1 as a .bcm file into sink, front to back. Checks every entry's
/// shape first (checkBcmShapes) and writes nothing when one does not fit. An entry whose picture
/// is still its block in a file image read earlier is copied from there (file to file for a
/// mapped image), not decoded. Progress counts entries.
[[nodiscard]] Result<void> writeBcm(std::span<const bitmapInfoList> entries, int count,
                                    ByteSink& sink, const Progress& progress = {});

/// Encodes entries 0..count-1 as a .bcm file image. Fails, naming the entry, when one is larger
/// than the format is written with or its block lies beyond what the format addresses. An entry
/// whose picture is still its block in a file image read earlier is copied from there, not
/// decoded. Progress counts entries. The caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodeBcm(std::span<const bitmapInfoList> entries,
                                                          int count, const Progress& progress = {});

/// Where one entry of a .bcm file lies and what its directory record and block head say.
struct BcmBlock {
    std::string name;
    int width = 0;
    int height = 0;
    int rowBytes = 0;     ///< B, bytes per row in one colour plane
    std::uint64_t at = 0; ///< file offset of the block's head

    /// File offset of the first pixel row.
    [[nodiscard]] std::uint64_t rowsAt() const { return at + 6; }
    /// Bytes of all pixel rows: 3 x B x height.
    [[nodiscard]] std::size_t rowsLength() const;
};

/// Where the library that a directory and its blocks describe ends: the end of the block that
/// ends last, or of the directory when no block ends after it. No reader looks past it.
[[nodiscard]] std::uint64_t bcmEnd(std::span<const BcmBlock> blocks);

/// Reads a .bcm file's entry count, directory and block heads, without any pixel row, and checks
/// them as decodeBcm does (same refusals, same messages): every block and its rows lie inside the
/// file, no entry is larger than the writer stores, the pixels fit the file's size.
[[nodiscard]] Result<std::vector<BcmBlock>> readBcmDirectory(ByteSource& source);

/// The first entry whose name wanted accepts, reading only the entry count, the directory and
/// that entry's block head: the directory and that block are checked as readBcmDirectory checks
/// them (every block begins inside the file), the other blocks are not read. Nothing when no
/// name is accepted.
[[nodiscard]] Result<std::optional<BcmBlock>>
findBcmBlock(ByteSource& source, const std::function<bool(std::string_view)>& wanted);

/// One entry's picture, as decodeBcm gives it, read from the source and decoded. Fails only when
/// the source cannot be read.
[[nodiscard]] Result<Picture> readBcmPicture(ByteSource& source, const BcmBlock& block);

/// The entries of a whole .bcm file image, checked as decodeBcm does, whose pictures stay
/// encoded in the shared image until first used. Takes time in proportion to the directory.
[[nodiscard]] Result<std::vector<bitmapInfoList>> openBcm(SharedFileImage file);
/// The same, with the directory and block heads read from source, which holds the same bytes
/// (a mapped image is then not touched until a picture is used).
[[nodiscard]] Result<std::vector<bitmapInfoList>> openBcm(SharedFileImage file, ByteSource& source);

/// Decodes a whole .bcm file image into its entries (name, size, 24-bit picture), in file order.
/// Fails, saying what does not add up, when the directory, a block or its rows lie outside the
/// file or an entry is larger than the writer can store; nothing is read past the data.
[[nodiscard]] Result<std::vector<bitmapInfoList>> decodeBcm(std::span<const std::uint8_t> bytes);

/// Decodes one entry's pixel data (rowLength x height bytes of red, green and blue plane bytes)
/// into target, which keeps its size: a plane bit 0 gives 255, a 1 gives 0.
void AnylizeBmpProtol(Picture& target, int paddedWidth, int height, int rowLength,
                      std::span<const std::uint8_t> pixelData);

} // namespace korvel
