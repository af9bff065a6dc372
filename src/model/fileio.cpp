#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <linux/falloc.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t newFileMode() {
    return static_cast<mode_t>(0666 & ~currentUmask());
}
} // namespace

Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    return readRegularFile(path, kNoSizeCap, "a file");
}

Status writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto saved = saveFile(path, bytes);
    if (!saved) {
        return saved.error();
    }
    return {};
}

// ---- The read gate ----

namespace {

/// What a file that is not a regular file is, for the refusal.
[[nodiscard]] const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

[[nodiscard]] Error notRegular(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) {
        return systemError("Cannot read file", path, EISDIR);
    }
    return Error{"Cannot read file \"" + path + "\". It is " + kindOf(mode) +
                 ", not a regular file."};
}

[[nodiscard]] Error tooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes,
                             std::string_view what) {
    return Error{"Cannot read file \"" + path + "\". It has " + std::to_string(size) +
                 " bytes, more than " + std::string(what) + " can hold (" +
                 std::to_string(maxBytes) + " bytes)."};
}

} // namespace

Result<std::vector<std::uint8_t>> readRegularFile(const std::string& path, std::uint64_t maxBytes,
                                                  std::string_view what) {
    // Looked at before opening, so that no device is ever opened; checked again on the open
    // descriptor, which a FIFO cannot block because of O_NONBLOCK.
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
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return systemError("Cannot open file", path, errno);
    }
    if (::fstat(file.get(), &info) != 0) {
        return systemError("Cannot read file", path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return notRegular(path, info.st_mode);
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > maxBytes) {
        return tooLarge(path, size, maxBytes, what);
    }
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
            const std::uint64_t room = std::min<std::uint64_t>(65536, maxBytes - done);
            bytes.resize(done + static_cast<std::size_t>(room));
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

namespace {

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
        return systemError("Cannot read file", path, error);
    }
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(mapped),
                                              static_cast<std::size_t>(size));
    return std::make_shared<const FileImage>(bytes, fd, [mapped, size = bytes.size(), fd = fd] {
        ::munmap(mapped, size);
        ::close(fd);
    });
}

// ---- The hardened save ----

namespace {

constexpr int kMaxLinkHops = 40;
// Room left in a file name for ".", ".korvel-", a process id, "-" and six random characters.
constexpr std::size_t kMaxNameInPrefix = 200;

[[nodiscard]] std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
struct Ownership {
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

/// Gives the new file the old one's owner and group where the system permits: root keeps both,
/// a member of the old group keeps the group. What is not permitted stays the saver's own.
void keepOwnership(int fd, const Ownership& old) {
    if (!old.exists) {
        return;
    }
    if (::fchown(fd, old.owner, old.group) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.group);
    }
}

[[nodiscard]] Status syncFolder(const std::string& folder, const std::string& path) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        return systemError("Cannot write file", path, errno);
    }
    // Some file systems cannot sync a folder at all; that is no failure of this save.
    if (::fsync(dir.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return systemError("Cannot write file", path, errno);
    }
    return {};
}

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
                     ", not a regular file."};
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
        const ssize_t got = ::pread(fd, into.data() + done, into.size() - done,
                                    static_cast<off_t>(offset + done));
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

    [[nodiscard]] Status write(std::span<const std::uint8_t> bytes) override {
        if (!writeAll(fd_, bytes)) {
            return systemError("Cannot write file", path_, errno);
        }
        return {};
    }

    [[nodiscard]] Status copy(const FileImage& image, std::uint64_t offset, std::size_t length,
                              const CopyFix& fix) override {
        if (image.descriptor() < 0 || fix) {
            return copyThroughMemory(image, offset, length, fix);
        }
        return copyFileToFile(image.descriptor(), offset, length);
    }

private:
    /// The piece read (from the file, not the mapping, so no page of it stays mapped), fixed and
    /// written.
    [[nodiscard]] Status copyThroughMemory(const FileImage& image, std::uint64_t offset,
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

    [[nodiscard]] Status copyFileToFile(int from, std::uint64_t offset, std::size_t length) {
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
            if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                               errno == EOPNOTSUPP)) {
                // No copy between these files here: read and write the rest in pieces.
                return copyInPieces(from, static_cast<std::uint64_t>(at), left);
            }
            return systemError("Cannot write file", path_, copied == 0 ? EIO : errno);
        }
        return {};
    }

    [[nodiscard]] Status copyInPieces(int from, std::uint64_t offset, std::size_t length) {
        while (length > 0) {
            scratch_.resize(std::min(length, kCopyChunk));
            if (!readAllAt(from, scratch_, offset)) {
                return systemError("Cannot write file", path_, errno);
            }
            if (const Status written = write(scratch_); !written) {
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
    if (const Status made = produce(sink); !made) {
        return made.error();
    }
    return bytes;
}

/// Overwrites in place with the whole bytes when the caller has them, else with the producer's.
[[nodiscard]] Result<SaveMethod> writeInPlaceFrom(const std::string& target,
                                                  const ByteProducer& produce,
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
                     ", not a regular file."};
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
        if (const Status made = produce(sink); !made) {
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
    if (const Status synced = syncFolder(folder, path); !synced) {
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

// ---- The folder lock ----

Result<FolderLock> FolderLock::acquire(const std::string& path) {
    const auto resolved = resolveLinks(path);
    if (!resolved) {
        return resolved.error();
    }
    const std::string folder = folderOf(resolved.value());
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == ENOENT || errno == ENOTDIR) {
            // A folder the user may enter but not list has no lock to take; a missing one makes
            // the command fail where it reads or writes, with the usual message.
            return FolderLock(-1);
        }
        return systemError("Cannot lock the folder of", path, errno);
    }
    FolderLock lock(fd);
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == ENOLCK || errno == EOPNOTSUPP) {
            return FolderLock(-1); // a file system without locks: the runs cannot take turns
        }
        if (errno != EINTR) {
            return systemError("Cannot lock the folder of", path, errno);
        }
    }
    return lock;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_); // closing the last descriptor releases the flock
    }
}

} // namespace korvel

// ---- The staged folder ----

namespace korvel {

namespace {

[[nodiscard]] std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

[[nodiscard]] Error folderError(const char* what, const std::string& folder, int error) {
    return Error{std::string(what) + " the folder \"" + folder + "\". " + std::strerror(error)};
}

/// The first item of folder that replacing it would lose: a sub-folder, a special file or a file
/// the caller does not write. Empty when the whole folder may be replaced.
[[nodiscard]] std::string foreignItem(const std::string& folder,
                                      const std::function<bool(std::string_view)>& replaceable) {
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        if (!item.is_regular_file(error) || item.is_symlink(error) || !replaceable(name)) {
            return name;
        }
    }
    return error ? std::string(".") : std::string();
}

/// Removes a folder and what it holds. Files go in the order of their inode numbers, which on
/// ext4 turns a folder of tens of thousands of files from random inode reads into a sweep.
void removeFolder(const std::string& folder) {
    std::vector<std::pair<ino_t, std::string>> items;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string_view name(item->d_name);
            if (name != "." && name != "..") {
                items.emplace_back(item->d_ino, name);
            }
        }
        ::closedir(dir);
    }
    std::sort(items.begin(), items.end());
    for (const auto& item : items) {
        const std::string path = folder + "/" + item.second;
        if (::unlink(path.c_str()) != 0) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
    ::rmdir(folder.c_str());
}

} // namespace

Result<StagedFolder> StagedFolder::begin(const std::string& folder,
                                         const std::function<bool(std::string_view)>& replaceable) {
    const auto resolved = resolveLinks(withoutTrailingSlashes(folder));
    if (!resolved) {
        return resolved.error();
    }
    const std::string& target = resolved.value();
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISDIR(info.st_mode)) {
        return folderError("Cannot create", folder, ENOTDIR);
    }
    if (exists) {
        if (const std::string item = foreignItem(target, replaceable); !item.empty()) {
            return Error{"Cannot replace the folder \"" + folder + "\". It holds \"" + item +
                         "\", which is not part of what is written there; choose a new or an "
                         "empty folder."};
        }
    }
    const std::string parent = folderOf(target);
    const std::string prefix = temporaryPrefix(target);
    sweepStaleTemporaries(parent, prefix);
    std::string staging = parent + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(staging.data()) == nullptr) {
        return folderError("Cannot create", folder, errno);
    }
    const int fd = ::open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        ::rmdir(staging.c_str());
        return folderError("Cannot create", folder, error);
    }
    StagedFolder staged(target, staging, exists, fd);
    if (exists) {
        Ownership old{true, static_cast<mode_t>(info.st_mode & 07777), info.st_uid, info.st_gid};
        keepOwnership(fd, old);
    }
    const mode_t folderMode = exists ? static_cast<mode_t>(info.st_mode & 07777)
                                     : static_cast<mode_t>(0777 & ~currentUmask());
    if (::fchmod(fd, folderMode) != 0) {
        return folderError("Cannot create", folder, errno);
    }
    return staged;
}

StagedFolder::StagedFolder(StagedFolder&& other) noexcept
    : target_(std::move(other.target_)), staging_(std::exchange(other.staging_, std::string())),
      replaces_(other.replaces_), fd_(std::exchange(other.fd_, -1)) {}

StagedFolder::~StagedFolder() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!staging_.empty()) {
        removeFolder(staging_);
    }
}

Status StagedFolder::add(const std::string& name, std::span<const std::uint8_t> bytes) {
    const std::string shown = target_ + "/" + name;
    Descriptor file(
        ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        return systemError("Cannot create file", shown, errno);
    }
    if (!writeAll(file.get(), bytes) || file.close() != 0) {
        return systemError("Cannot write file", shown, errno);
    }
    return {};
}

Status StagedFolder::commit() {
    // One sync of the file system writes every new file; then the folder's own entries.
    if (::syncfs(fd_) != 0 || ::fsync(fd_) != 0) {
        return folderError("Cannot write", target_, errno);
    }
    if (!replaces_) {
        if (::rename(staging_.c_str(), target_.c_str()) != 0) {
            return folderError("Cannot create", target_, errno);
        }
    } else if (::renameat2(AT_FDCWD, staging_.c_str(), AT_FDCWD, target_.c_str(),
                           RENAME_EXCHANGE) != 0) {
        // No atomic exchange here: move the old folder aside, put the new one in its place, and
        // put the old one back if that fails.
        const std::string aside = staging_ + "-old";
        if (::rename(target_.c_str(), aside.c_str()) != 0) {
            return folderError("Cannot replace", target_, errno);
        }
        if (::rename(staging_.c_str(), target_.c_str()) != 0) {
            const int error = errno;
            [[maybe_unused]] const int restored = ::rename(aside.c_str(), target_.c_str());
            return folderError("Cannot replace", target_, error);
        }
        removeFolder(aside);
        ::close(std::exchange(fd_, -1));
        staging_.clear();
        return syncFolder(folderOf(target_), target_);
    }
    // After the exchange the staging name holds the old folder, which the destructor removes;
    // after a plain rename there is nothing left to remove.
    if (!replaces_) {
        staging_.clear();
    }
    return syncFolder(folderOf(target_), target_);
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
