#pragma once

#include "core/result.h"

#include <string>

namespace korvel {

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
