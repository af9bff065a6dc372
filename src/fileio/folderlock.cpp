#include "fileio/folderlock.h"

#include "fileio/posixfile.h"
#include "fileio/save.h"

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
