#pragma once

#include "bytesink.h"
#include "bytesource.h"
#include "encodedrows.h"
#include "result.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Reads the whole file in one go through the read gate below, without a size cap. Fails with
/// the system's error text and the file name; the caller owns the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

/// No size cap for readRegularFile.
inline constexpr std::uint64_t kNoSizeCap = std::numeric_limits<std::uint64_t>::max();

/// The read gate: reads a whole regular file of at most maxBytes bytes. A FIFO, a device, a
/// socket or a directory is refused at once, without blocking and without reading; a file larger
/// than maxBytes is refused before anything is read, naming what (e.g. "a font library file")
/// cannot be that large. Fails with the system's error text and the file name; the caller owns
/// the returned bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>>
readRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what);

/// Writes bytes to a temporary file in the target's folder, then renames it over the target, so
/// the old file stays whole unless the new one was written completely. A new file gets the
/// permissions the user's umask allows; an existing one keeps its own. This is saveFile below,
/// for callers that need not know how the bytes went to the disk. Fails with the system's error
/// text and the file name.
[[nodiscard]] Status writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes);

/// The read gate's checks (a regular file of at most maxBytes, refused as readRegularFile refuses
/// it), then the file mapped read-only instead of read: pages are read from the disk only where
/// the image is used, and the image keeps the file open for copies file to file. For a command
/// that holds the file for a short run; a file cut short by another program while it is mapped
/// ends the process when the lost part is used.
[[nodiscard]] Result<SharedFileImage> mapRegularFile(const std::string& path, std::uint64_t maxBytes,
                                                    std::string_view what);

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
    [[nodiscard]] static Result<std::unique_ptr<FileSource>> openDescriptor(int fd,
                                                                            const std::string& path);
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
    std::uint64_t bytesRead_ = 0;
};

/// How saveFile put the bytes on the disk.
enum class SaveMethod {
    Replaced, ///< a complete new file was renamed over the target
    InPlace,  ///< the folder allows no new file (or no rename over the target), so the target
              ///< itself was overwritten after room for the new bytes was secured
};

/// The hardened save every writer goes through (writeFileAtomic is this without the method).
/// Writes through symbolic links to the file they name; a new file in the same folder, named
/// ".TARGET.korvel-PID-XXXXXX", takes the bytes, is synced and renamed over the target, and then
/// the folder is synced. The target keeps its mode and, where the system permits, its owner and
/// group. The temporary file is removed on every failure, and a stale one left by a killed save
/// of the same target (its process gone) is swept first. Only when the folder refuses a new file
/// or the rename is the target overwritten in place, which the result says. Refuses a target that
/// is a directory or not a regular file. Fails with the system's error text and the file name.
[[nodiscard]] Result<SaveMethod> saveFile(const std::string& path,
                                          std::span<const std::uint8_t> bytes);

/// Makes the bytes of a file being saved: writes them into the sink, front to back. A failure it
/// returns ends the save, which then leaves the old file as it was.
using ByteProducer = std::function<Status(ByteSink&)>;

/// saveFile for bytes made piece by piece, so that a large file is never whole in memory: the
/// producer writes into the temporary file (copies from a mapped image go file to file with
/// copy_file_range, which may also share the blocks). Where the folder allows no new file, the
/// producer's bytes are gathered in memory and written in place, as saveFile does.
[[nodiscard]] Result<SaveMethod> saveFileStreamed(const std::string& path,
                                                  const ByteProducer& produce);

/// The path a chain of symbolic links ends at (the path itself when it is no link). A link to a
/// missing file gives that file's path. Fails on a loop or an unreadable link.
[[nodiscard]] Result<std::string> resolveLinks(const std::string& path);

/// The prefix of the names saveFile gives its temporary files for the target at path: the
/// target's own name, hidden. Folder writers use the same naming for their temporary folders.
[[nodiscard]] std::string temporaryPrefix(const std::string& path);

/// Removes the temporary files and folders named with prefix in folder whose process is gone
/// (left by a killed save). Failures are ignored: a stale file costs room, not data.
void sweepStaleTemporaries(const std::string& folder, const std::string& prefix);

/// A folder written whole beside its target and then swapped in, so that a failure at any point
/// leaves the old folder as it was and no half-written folder under the target's name. Files go
/// into a hidden sibling folder (named as saveFile names its temporary files) without a sync
/// each; commit syncs them all at once, then the folder, and renames it over the target (an old
/// folder is exchanged with it and removed only after the swap). The temporary folder is removed
/// on every failure and on destruction without commit.
class StagedFolder {
public:
    /// Prepares the temporary sibling of folder (through symbolic links to the folder they
    /// name). An existing folder is replaced only when every item in it is a regular file whose
    /// name replaceable accepts; otherwise, or when folder is a file, this fails naming it.
    [[nodiscard]] static Result<StagedFolder>
    begin(const std::string& folder, const std::function<bool(std::string_view)>& replaceable);
    StagedFolder(StagedFolder&& other) noexcept;
    StagedFolder& operator=(StagedFolder&&) = delete;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    ~StagedFolder();

    /// Writes one new file of the folder. Fails with the system's error text and its name.
    [[nodiscard]] Status add(const std::string& name, std::span<const std::uint8_t> bytes);
    /// Syncs everything and swaps the folder in. Fails with the system's error text.
    [[nodiscard]] Status commit();

private:
    StagedFolder(std::string target, std::string staging, bool replaces, int fd)
        : target_(std::move(target)), staging_(std::move(staging)), replaces_(replaces), fd_(fd) {}
    std::string target_;
    std::string staging_;
    bool replaces_ = false;
    int fd_ = -1;
};

/// An advisory lock (flock) on the folder a file lies in, held until destruction, so that
/// read-modify-write runs on files of that folder take turns. Locks through symbolic links.
class FolderLock {
public:
    /// Waits for the lock on the folder of path. A folder the user may not list, a missing one
    /// or one on a file system without locks gives no lock (and no failure). Fails with the
    /// system's error text when the folder cannot be opened or locked otherwise.
    [[nodiscard]] static Result<FolderLock> acquire(const std::string& path);
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

} // namespace korvel
