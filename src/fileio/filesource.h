#pragma once

#include "core/bytesource.h"
#include "core/result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace korvel {

/// A regular file opened for reading pieces of it where they are asked for (pread), so a reader
/// that needs only a library's directory does not read its pixels. Small pieces are served from
/// one window of a few KiB read at a time, so walking heads that lie close together costs few
/// system calls.
class FileSource final : public ByteSource {
public:
    /// Opens path. Fails with the system's error text and the file name, also when it is not a
    /// regular file.
    [[nodiscard]] static Result<std::unique_ptr<FileSource>> open(const std::string& path);
    /// Reads the file a descriptor is open on (through a duplicate of it), named path in
    /// messages.
    [[nodiscard]] static Result<std::unique_ptr<FileSource>>
    openDescriptor(int fd, const std::string& path);
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override;

    [[nodiscard]] std::uint64_t size() const override { return size_; }
    /// Fails with the system's error text, or when the file has become shorter since it was
    /// opened.
    [[nodiscard]] Result<std::span<const std::uint8_t>> read(std::uint64_t offset,
                                                             std::size_t length) override;
    /// Bytes read from the file so far, windows included.
    [[nodiscard]] std::uint64_t bytesRead() const { return bytesRead_; }

private:
    FileSource(int fd, std::uint64_t size, std::string path);

    int fd_;
    std::uint64_t size_;
    std::string path_;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowAt_ = 0;
    /// How much the next window reads at least: doubles while reads go on one after the other.
    std::size_t windowBytes_ = 8192;
    std::uint64_t bytesRead_ = 0;
};

} // namespace korvel
