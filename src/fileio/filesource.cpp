#include "fileio/filesource.h"

#include "fileio/posixfile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/falloc.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvel {

using namespace detail;
namespace {
/// The least a piece read from a file reads at once: heads close together come in one call.
constexpr std::size_t kWindowBytes = 8192;
/// The most a window grows to while reads go on where the last one ended.
constexpr std::size_t kLargestWindowBytes = std::size_t{1} << 20;
} // namespace

FileSource::FileSource(int fd, std::uint64_t size, std::string path)
    : fd_(fd), size_(size), path_(std::move(path)) {}

FileSource::~FileSource() {
    ::close(fd_);
}

Result<std::unique_ptr<FileSource>> FileSource::open(const std::string& path) {
    // Not blocking, so a FIFO is refused below instead of waiting for a writer; reads of a
    // regular file are not affected.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return systemError("Cannot open file", path, errno);
    }
    // Owned by the source from here on, which closes it also when a check below fails.
    std::unique_ptr<FileSource> source(new FileSource(fd, 0, path));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return systemError("Cannot read file", path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return notRegular(path, info.st_mode);
    }
    source->size_ = static_cast<std::uint64_t>(info.st_size);
    return source;
}

Result<std::unique_ptr<FileSource>> FileSource::openDescriptor(int fd, const std::string& path) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) {
        return systemError("Cannot read file", path, errno);
    }
    std::unique_ptr<FileSource> source(new FileSource(own, 0, path));
    struct stat info {};
    if (::fstat(own, &info) != 0) {
        return systemError("Cannot read file", path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return notRegular(path, info.st_mode);
    }
    source->size_ = static_cast<std::uint64_t>(info.st_size);
    return source;
}

Result<std::span<const std::uint8_t>> FileSource::read(std::uint64_t offset, std::size_t length) {
    const bool inWindow = offset >= windowAt_ && offset - windowAt_ + length <= window_.size();
    if (!inWindow) {
        // Reads that go on where the window ended (the heads of small blocks, one after the
        // other) take windows twice as large each time, so a file read front to back costs a
        // few calls; reads further apart keep the smallest window.
        const std::uint64_t windowEnd = windowAt_ + window_.size();
        const bool goesOn =
            !window_.empty() && offset >= windowAt_ && offset <= windowEnd + kWindowBytes / 2;
        windowBytes_ = goesOn ? std::min(windowBytes_ * 2, kLargestWindowBytes) : kWindowBytes;
        const std::uint64_t want = std::max<std::uint64_t>(length, windowBytes_);
        window_.resize(static_cast<std::size_t>(std::min(want, size_ - std::min(offset, size_))));
        windowAt_ = offset;
        std::size_t done = 0;
        while (done < window_.size()) {
            const ssize_t got = ::pread(fd_, window_.data() + done, window_.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                const int error = got < 0 ? errno : EIO;
                window_.clear();
                return systemError("Cannot read file", path_, error);
            }
            done += static_cast<std::size_t>(got);
        }
        bytesRead_ += done;
        if (window_.size() < length) {
            window_.clear();
            return systemError("Cannot read file", path_, EIO);
        }
    }
    return std::span<const std::uint8_t>(window_).subspan(
        static_cast<std::size_t>(offset - windowAt_), length);
}

} // namespace korvel
