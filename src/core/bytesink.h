#pragma once

#include "core/encodedrows.h"
#include "core/result.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace korvel {

/// Changes bytes just copied from a file image before they are stored (a writer that copies
/// rows uses it to make their padding dark).
using CopyFix = std::function<void(std::span<std::uint8_t> copied)>;

/// Where a writer puts a file's bytes, front to back: a buffer in memory, or the new file of a
/// save, so that a large file need not be built whole in memory first.
class ByteSink {
public:
    ByteSink() = default;
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;
    virtual ~ByteSink() = default;

    /// Appends bytes. Fails with the system's error text and the file name.
    [[nodiscard]] virtual Result<void> write(std::span<const std::uint8_t> bytes) = 0;
    /// Appends the length bytes at offset of a file image (which the caller has checked lie
    /// inside it), changed by fix when one is given. A file sink copies from a mapped image's
    /// file to the new file without reading the bytes into memory where it can.
    [[nodiscard]] virtual Result<void> copy(const FileImage& image, std::uint64_t offset,
                                            std::size_t length, const CopyFix& fix = {}) = 0;
};

/// A sink that appends to a buffer the caller owns.
class VectorSink final : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
    [[nodiscard]] Result<void> write(std::span<const std::uint8_t> bytes) override {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return {};
    }
    [[nodiscard]] Result<void> copy(const FileImage& image, std::uint64_t offset,
                                    std::size_t length, const CopyFix& fix = {}) override {
        const std::size_t start = out_.size();
        const auto from = image.begin() + static_cast<std::ptrdiff_t>(offset);
        out_.insert(out_.end(), from, from + static_cast<std::ptrdiff_t>(length));
        if (fix) {
            fix(std::span<std::uint8_t>(out_).subspan(start, length));
        }
        return {};
    }

private:
    std::vector<std::uint8_t>& out_;
};

} // namespace korvel
