#pragma once

#include "core/colour.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace korvel {

/// The bytes of a whole library file, read-only: read into memory, or mapped from the file on
/// disk so that only the pages used are read. A mapped image also keeps the file open, so that a
/// writer can copy its blocks file to file without reading them.
class FileImage {
public:
    /// An image read into memory.
    explicit FileImage(std::vector<std::uint8_t> bytes)
        : owned_(std::move(bytes)), bytes_(owned_) {}
    /// An image whose bytes lie elsewhere (a mapping of the file whose open descriptor is given);
    /// release undoes the mapping and closes the descriptor when the image goes.
    FileImage(std::span<const std::uint8_t> bytes, int descriptor, std::function<void()> release)
        : bytes_(bytes), descriptor_(descriptor), release_(std::move(release)) {}
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;
    ~FileImage() {
        if (release_) {
            release_();
        }
    }

    [[nodiscard]] const std::uint8_t* data() const { return bytes_.data(); }
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }
    [[nodiscard]] const std::uint8_t* begin() const { return bytes_.data(); }
    [[nodiscard]] const std::uint8_t* end() const { return bytes_.data() + bytes_.size(); }
    /// The open file a mapped image was mapped from, or -1 for an image in memory.
    [[nodiscard]] int descriptor() const { return descriptor_; }

private:
    std::vector<std::uint8_t> owned_;
    std::span<const std::uint8_t> bytes_;
    int descriptor_ = -1;
    std::function<void()> release_;
};

/// A whole library file image shared, read-only, by every picture still encoded in it.
using SharedFileImage = std::shared_ptr<const FileImage>;

/// The bytes as a shared file image in memory.
[[nodiscard]] inline SharedFileImage shareFileImage(std::vector<std::uint8_t> bytes) {
    return std::make_shared<const FileImage>(std::move(bytes));
}

/// How the rows of a library file store their pixels.
enum class RowEncoding : std::uint8_t {
    InkBits,      ///< .lcm: one bit per pixel, 0 ink (pure red), 1 background (black)
    ColourPlanes, ///< .bcm: groups of red, green and blue plane bytes, 0 lit (255), 1 dark (0)
};

/// The pixel rows of one glyph record or bitmap block, left encoded in the file image they were
/// read from. The reader has checked that the rows lie inside the image.
struct EncodedRows {
    SharedFileImage file;
    std::size_t offset = 0; ///< where the first row begins in the file image
    int rowBytes = 0;       ///< bytes per row in one plane (the record's or block's byte count)
    int rows = 0;
    RowEncoding encoding = RowEncoding::InkBits;

    /// Bytes one row occupies: rowBytes, three times that for colour planes.
    [[nodiscard]] std::size_t rowLength() const;
    /// All rows, top row first.
    [[nodiscard]] std::span<const std::uint8_t> bytes() const;
};

/// Decodes one .lcm row into row: bit 0 gives pure red, bit 1 black. Pixels beyond the bits the
/// row carries are left as they are.
void decodeInkRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row);

/// Decodes one .bcm row of plane-byte groups into row: a plane bit 0 gives 255, a 1 gives 0.
/// Pixels beyond the whole groups the row carries are left as they are.
void decodeColourPlaneRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row);

/// Decodes encoded rows into pixels of width x height (row-major, black beforehand): columns and
/// rows the encoding does not carry stay black.
void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels);

} // namespace korvel
