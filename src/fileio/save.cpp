#include "fileio/save.h"

#include "fileio/posixfile.h"
#include "fileio/readgate.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/falloc.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvel {

using namespace detail;
Result<void> writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return saved.error();
    }
    return {};
}

namespace {

constexpr int kMaxLinkHops = 40;
// Room left in a file name for ".", ".korvel-", a process id, "-" and six random characters.
constexpr std::size_t kMaxNameInPrefix = 200;

/// Whether the process that made a temporary file of this name is gone.
[[nodiscard]] bool ownerIsGone(std::string_view rest) {
    // rest is "PID-XXXXXX"
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || rest.size() != dash + 7) {
        return false;
    }
    long pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 1'000'000'000) {
            return false;
        }
        pid = pid * 10 + (c - '0');
    }
    if (pid <= 0 || pid == ::getpid()) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

/// The folder's modes and owner for a new copy of an existing file (or defaults for a new one).

/// Overwrites the target itself, for folders that refuse a new file or the rename. Room for the
/// new bytes is reserved first, so a full disk fails before a byte of the old file changes.
[[nodiscard]] Result<SaveMethod> writeInPlace(const std::string& path,
                                              std::span<const std::uint8_t> bytes) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return systemError("Cannot create file", path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return systemError("Cannot write file", path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Error{"Cannot write file \"" + path + "\". It is " + kindOf(info.st_mode) +
                         ", not a regular file.",
                     ErrorKind::Access};
    }
    if (!bytes.empty()) {
        const int reserved =
            ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size()));
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
            return systemError("Cannot write file", path, errno);
        }
    }
    if (!writeAll(file.get(), bytes) ||
        ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0 ||
        ::fsync(file.get()) != 0) {
        return systemError("Cannot write file", path, errno);
    }
    if (file.close() != 0) {
        return systemError("Cannot write file", path, errno);
    }
    return SaveMethod::InPlace;
}

/// Errors by which a folder refuses a new file or a rename over a file, though the file itself
/// may be writable: no write permission on the folder, or a sticky folder and another's file.
[[nodiscard]] bool folderRefuses(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

Result<std::string> resolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1,
                           '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            return systemError("Cannot create file", path, errno);
        }
        target.resize(static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : folderOf(current) + "/" + target;
    }
    return systemError("Cannot create file", path, ELOOP);
}

std::string temporaryPrefix(const std::string& path) {
    return "." + nameOf(path).substr(0, kMaxNameInPrefix) + ".korvel-";
}

void sweepStaleTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* item = ::readdir(dir)) {
        const std::string_view name(item->d_name);
        if (name.starts_with(prefix) && ownerIsGone(name.substr(prefix.size()))) {
            stale.emplace_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : stale) {
        std::error_code ignored;
        std::filesystem::remove_all(folder + "/" + name, ignored);
    }
}

namespace {

constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

/// Reads length bytes at offset of fd whole; errno tells why not (EIO for a file cut short).
[[nodiscard]] bool readAllAt(int fd, std::span<std::uint8_t> into, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < into.size()) {
        const ssize_t got =
            ::pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

/// The temporary file of a save as a sink: writes go to its end, copies from a mapped image go
/// file to file.
class DescriptorSink final : public ByteSink {
public:
    DescriptorSink(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    [[nodiscard]] Result<void> write(std::span<const std::uint8_t> bytes) override {
        if (!writeAll(fd_, bytes)) {
            return systemError("Cannot write file", path_, errno);
        }
        return {};
    }

    [[nodiscard]] Result<void> copy(const FileImage& image, std::uint64_t offset,
                                    std::size_t length, const CopyFix& fix) override {
        if (image.descriptor() < 0 || fix) {
            return copyThroughMemory(image, offset, length, fix);
        }
        return copyFileToFile(image.descriptor(), offset, length);
    }

private:
    /// The piece read (from the file, not the mapping, so no page of it stays mapped), fixed and
    /// written.
    [[nodiscard]] Result<void> copyThroughMemory(const FileImage& image, std::uint64_t offset,
                                                 std::size_t length, const CopyFix& fix) {
        if (image.descriptor() < 0 && !fix) {
            return write({image.begin() + static_cast<std::ptrdiff_t>(offset), length});
        }
        scratch_.resize(length);
        if (image.descriptor() < 0) {
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), length,
                        scratch_.begin());
        } else if (!readAllAt(image.descriptor(), scratch_, offset)) {
            return systemError("Cannot write file", path_, errno);
        }
        if (fix) {
            fix(scratch_);
        }
        return write(scratch_);
    }

    [[nodiscard]] Result<void> copyFileToFile(int from, std::uint64_t offset, std::size_t length) {
        auto at = static_cast<off_t>(offset);
        std::size_t left = length;
        while (left > 0) {
            const ssize_t copied = ::copy_file_range(from, &at, fd_, nullptr, left, 0);
            if (copied > 0) {
                left -= static_cast<std::size_t>(copied);
                continue;
            }
            if (copied < 0 && errno == EINTR) {
                continue;
            }
            if (copied < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                // No copy between these files here: read and write the rest in pieces.
                return copyInPieces(from, static_cast<std::uint64_t>(at), left);
            }
            return systemError("Cannot write file", path_, copied == 0 ? EIO : errno);
        }
        return {};
    }

    [[nodiscard]] Result<void> copyInPieces(int from, std::uint64_t offset, std::size_t length) {
        while (length > 0) {
            scratch_.resize(std::min(length, kCopyChunk));
            if (!readAllAt(from, scratch_, offset)) {
                return systemError("Cannot write file", path_, errno);
            }
            if (const Result<void> written = write(scratch_); !written) {
                return written;
            }
            offset += scratch_.size();
            length -= scratch_.size();
        }
        return {};
    }

    int fd_;
    std::string path_;
    std::vector<std::uint8_t> scratch_;
};

/// The producer's bytes gathered in memory, for a save that must overwrite in place.
[[nodiscard]] Result<std::vector<std::uint8_t>> gathered(const ByteProducer& produce) {
    std::vector<std::uint8_t> bytes;
    VectorSink sink(bytes);
    if (const Result<void> made = produce(sink); !made) {
        return made.error();
    }
    return bytes;
}

/// Overwrites in place with the whole bytes when the caller has them, else with the producer's.
[[nodiscard]] Result<SaveMethod>
writeInPlaceFrom(const std::string& target, const ByteProducer& produce,
                 std::optional<std::span<const std::uint8_t>> whole) {
    if (whole) {
        return writeInPlace(target, *whole);
    }
    const auto bytes = gathered(produce);
    if (!bytes) {
        return bytes.error();
    }
    return writeInPlace(target, bytes.value());
}

[[nodiscard]] Result<SaveMethod> saveWith(const std::string& path, const ByteProducer& produce,
                                          std::optional<std::span<const std::uint8_t>> whole) {
    const auto resolved = resolveLinks(path);
    if (!resolved) {
        return resolved.error();
    }
    const std::string& target = resolved.value();
    struct stat info {};
    Ownership old;
    old.exists = ::stat(target.c_str(), &info) == 0;
    if (old.exists && S_ISDIR(info.st_mode)) {
        return systemError("Cannot create file", path, EISDIR);
    }
    if (old.exists && !S_ISREG(info.st_mode)) {
        return Error{"Cannot create file \"" + path + "\". It is " + kindOf(info.st_mode) +
                         ", not a regular file.",
                     ErrorKind::Access};
    }
    // Renaming over a file needs only the folder's permission; a file the user may not write
    // must stay protected as it would be against an ordinary overwrite.
    if (old.exists && ::access(target.c_str(), W_OK) != 0) {
        return systemError("Cannot create file", path, errno);
    }
    old.mode = old.exists ? (info.st_mode & 07777) : newFileMode();
    old.owner = info.st_uid;
    old.group = info.st_gid;

    const std::string folder = folderOf(target);
    const std::string prefix = temporaryPrefix(target);
    sweepStaleTemporaries(folder, prefix);
    std::string temporary = folder + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        const int error = errno;
        if (old.exists && folderRefuses(error)) {
            return writeInPlaceFrom(target, produce, whole);
        }
        return systemError("Cannot create file", path, error);
    }
    keepOwnership(file.get(), old);
    // After fchown, which may clear set-id bits.
    if (::fchmod(file.get(), old.mode) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Cannot write file", path, error);
    }
    {
        DescriptorSink sink(file.get(), path);
        if (const Result<void> made = produce(sink); !made) {
            ::unlink(temporary.c_str());
            return made.error();
        }
    }
    if (::fsync(file.get()) != 0 || file.close() != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Cannot write file", path, error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        if (old.exists && folderRefuses(error)) {
            // The complete copy proved the bytes can be written; the folder only refuses the
            // rename (a sticky folder and another user's file).
            std::optional<std::vector<std::uint8_t>> copy;
            if (!whole) {
                auto bytes = readWholeFile(temporary);
                ::unlink(temporary.c_str());
                if (!bytes) {
                    return bytes.error();
                }
                copy = std::move(bytes).value();
                whole = std::span<const std::uint8_t>(*copy);
            } else {
                ::unlink(temporary.c_str());
            }
            return writeInPlace(target, *whole);
        }
        ::unlink(temporary.c_str());
        return systemError("Cannot create file", path, error);
    }
    if (const Result<void> synced = syncFolder(folder, path); !synced) {
        return synced.error();
    }
    return SaveMethod::Replaced;
}

} // namespace

Result<SaveMethod> saveFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    return saveWith(
        path, [bytes](ByteSink& sink) { return sink.write(bytes); }, bytes);
}

Result<SaveMethod> saveFileStreamed(const std::string& path, const ByteProducer& produce) {
    return saveWith(path, produce, std::nullopt);
}

} // namespace korvel
