#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

namespace {
Error systemError(const char* what, const std::string& path, int error) {
    return Error{std::string(what) + " \"" + path + "\". " + std::strerror(error)};
}

/// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const { return fd_; }
    /// Closes now and reports the result, for writes whose last error shows only at close.
    [[nodiscard]] int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}
} // namespace

Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return systemError("Cannot open file", path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return systemError("Cannot read file", path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return systemError("Cannot read file", path, EISDIR);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0);
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError("Cannot read file", path, errno);
        }
        if (got == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

Status writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat target {};
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) {
        return systemError("Cannot create file", path, EISDIR);
    }
    // Renaming over a file needs only the folder's permission; a file the user may not write
    // must stay protected as it would be against an ordinary overwrite.
    if (exists && ::access(path.c_str(), W_OK) != 0) {
        return systemError("Cannot create file", path, errno);
    }
    std::string temporary = folderOf(path) + "/.korvel-XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        return systemError("Cannot create file", path, errno);
    }
    const mode_t mode = exists ? (target.st_mode & 07777) : newFileMode();
    if (::fchmod(file.get(), mode) != 0 || !writeAll(file.get(), bytes) ||
        ::fsync(file.get()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Cannot write file", path, error);
    }
    if (file.close() != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Cannot write file", path, error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Cannot create file", path, error);
    }
    return {};
}

namespace {
/// The least a piece read from a file reads at once: heads close together come in one call.
constexpr std::size_t kWindowBytes = 8192;
} // namespace

FileSource::FileSource(int fd, std::uint64_t size, std::string path)
    : fd_(fd), size_(size), path_(std::move(path)) {}

FileSource::~FileSource() {
    ::close(fd_);
}

Result<std::unique_ptr<FileSource>> FileSource::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
        return systemError("Cannot read file", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    source->size_ = static_cast<std::uint64_t>(info.st_size);
    return source;
}

Result<std::span<const std::uint8_t>> FileSource::read(std::uint64_t offset, std::size_t length) {
    const bool inWindow = offset >= windowAt_ && offset - windowAt_ + length <= window_.size();
    if (!inWindow) {
        const std::uint64_t want = std::max<std::uint64_t>(length, kWindowBytes);
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
