#include "fileio/readgate.h"

#include "fileio/posixfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/falloc.h>
#include <new>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvel {

using namespace detail;

Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    return readRegularFile(path, kNoSizeCap, "a file");
}

namespace {

[[nodiscard]] Error tooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes,
                             std::string_view what) {
    return Error{"Cannot read file \"" + path + "\". It has " + std::to_string(size) +
                     " bytes, more than " + std::string(what) + " can hold (" +
                     std::to_string(maxBytes) + " bytes).",
                 ErrorKind::Access};
}

/// The read gate's checks before a file is read: a regular file of at most maxBytes, looked at
/// before opening so that no device is ever opened, and again on the open descriptor. Gives the
/// descriptor, open without blocking, and the file's size.
[[nodiscard]] Result<std::pair<int, std::uint64_t>>
openGated(const std::string& path, std::uint64_t maxBytes, std::string_view what) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return systemError("Cannot open file", path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return notRegular(path, info.st_mode);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return tooLarge(path, static_cast<std::uint64_t>(info.st_size), maxBytes, what);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return systemError("Cannot open file", path, errno);
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        const int error = errno;
        ::close(fd);
        if (!S_ISREG(info.st_mode)) {
            return notRegular(path, info.st_mode);
        }
        if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
            return tooLarge(path, static_cast<std::uint64_t>(info.st_size), maxBytes, what);
        }
        return systemError("Cannot read file", path, error);
    }
    return std::pair{fd, static_cast<std::uint64_t>(info.st_size)};
}

} // namespace

Result<std::vector<std::uint8_t>> readRegularFile(const std::string& path, std::uint64_t maxBytes,
                                                  std::string_view what) {
    const auto opened = openGated(path, maxBytes, what);
    if (!opened) {
        return opened.error();
    }
    const Descriptor file(opened.value().first);
    const std::uint64_t size = opened.value().second;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file may have grown since fstat: look for more, within the cap.
            if (done >= maxBytes) {
                std::uint8_t probe = 0;
                const ssize_t more = ::read(file.get(), &probe, 1);
                if (more > 0) {
                    return tooLarge(path, done + 1, maxBytes, what);
                }
                if (more < 0 && errno == EINTR) {
                    continue;
                }
                if (more < 0) {
                    return systemError("Cannot read file", path, errno);
                }
                break;
            }
            // Looked for in a chunk of its own: growing the buffer first would copy the whole
            // file into fresh pages when, as nearly always, nothing follows.
            std::array<std::uint8_t, 16384> chunk{};
            const std::uint64_t room = std::min<std::uint64_t>(chunk.size(), maxBytes - done);
            const ssize_t more = ::read(file.get(), chunk.data(), static_cast<std::size_t>(room));
            if (more < 0 && errno == EINTR) {
                continue;
            }
            if (more < 0) {
                return systemError("Cannot read file", path, errno);
            }
            if (more == 0) {
                break;
            }
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + more);
            done += static_cast<std::size_t>(more);
            continue;
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError("Cannot read file", path, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

Result<SharedFileImage> mapRegularFile(const std::string& path, std::uint64_t maxBytes,
                                       std::string_view what) {
    const auto opened = openGated(path, maxBytes, what);
    if (!opened) {
        return opened.error();
    }
    const auto [fd, size] = opened.value();
    if (size == 0) {
        ::close(fd);
        return shareFileImage({});
    }
    void* mapped = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        if (error == ENOMEM) {
            // No room left in the address space: the same as running out of memory reading it,
            // which the commands report as such.
            throw std::bad_alloc();
        }
        return systemError("Cannot read file", path, error);
    }
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(mapped),
                                              static_cast<std::size_t>(size));
    return std::make_shared<const FileImage>(bytes, fd, [mapped, size = bytes.size(), fd = fd] {
        ::munmap(mapped, size);
        ::close(fd);
    });
}

} // namespace korvel
