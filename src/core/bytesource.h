#pragma once

#include "core/result.h"

#include <cstdint>
#include <span>

namespace korvel {

/// Where a library reader takes a file's bytes from: a whole file image in memory, or pieces of
/// a file on disk read as they are asked for.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    virtual ~ByteSource() = default;

    /// The file's length in bytes.
    [[nodiscard]] virtual std::uint64_t size() const = 0;
    /// The length bytes at offset, which the caller has checked lie inside size(). The span is
    /// owned by the source and stays valid until the next call. Fails with the system's error text
    /// and the file name.
    [[nodiscard]] virtual Result<std::span<const std::uint8_t>> read(std::uint64_t offset,
                                                                     std::size_t length) = 0;
};

/// A file image in memory as a byte source; the caller keeps the bytes alive.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    [[nodiscard]] std::uint64_t size() const override { return bytes_.size(); }
    [[nodiscard]] Result<std::span<const std::uint8_t>> read(std::uint64_t offset,
                                                             std::size_t length) override {
        return bytes_.subspan(static_cast<std::size_t>(offset), length);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace korvel
