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

/// How a library format stores the pixels of one row. The formats implement it (one object per
/// format, living as long as the program); a picture left encoded keeps a pointer to its own.
class EncodedRowDecoder {
public:
    EncodedRowDecoder() = default;
    EncodedRowDecoder(const EncodedRowDecoder&) = delete;
    EncodedRowDecoder& operator=(const EncodedRowDecoder&) = delete;
    virtual ~EncodedRowDecoder() = default;

    /// Bytes one row occupies, for rows of rowBytes bytes per plane.
    [[nodiscard]] virtual std::size_t rowLength(int rowBytes) const = 0;
    /// Decodes one row into row. Pixels beyond what the row carries are left as they are.
    virtual void decodeRow(std::span<const std::uint8_t> rowData, std::span<Rgb> row) const = 0;
    /// The number of bit planes when a row is laid out as bit planes: rowBytes groups of one
    /// byte from every plane, a byte holding eight pixels (the leftmost in its most significant
    /// bit), a 0 bit lighting channel p (red, green, blue) of plane p and a 1 bit leaving it dark.
    /// 0 for any other layout. Transforms move such bits without decoding them.
    [[nodiscard]] virtual int bitPlanes() const { return 0; }
};

/// The pixel rows of one glyph record or bitmap block, left encoded in the file image they were
/// read from. The reader has checked that the rows lie inside the image.
struct EncodedRows {
    SharedFileImage file;
    std::size_t offset = 0; ///< where the first row begins in the file image
    int rowBytes = 0;       ///< bytes per row in one plane (the record's or block's byte count)
    int rows = 0;
    const EncodedRowDecoder* decoder = nullptr; ///< the format's, never null once read

    /// Bytes one row occupies.
    [[nodiscard]] std::size_t rowLength() const { return decoder->rowLength(rowBytes); }
    /// All rows, top row first.
    [[nodiscard]] std::span<const std::uint8_t> bytes() const;
};

/// Decodes encoded rows into pixels of width x height (row-major, black beforehand): columns and
/// rows the encoding does not carry stay black.
void decodeRows(const EncodedRows& encoded, int width, int height, std::span<Rgb> pixels);

} // namespace korvel
