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

namespace korvel::detail {

Error systemError(const char* what, const std::string& path, int error) {
    return Error{std::string(what) + " \"" + path + "\". " + std::strerror(error),
                 ErrorKind::Access};
}

Descriptor::~Descriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

int Descriptor::close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}

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
    // The umask can only be read by setting it; it is set straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t newFileMode() {
    return static_cast<mode_t>(0666 & ~currentUmask());
}

/// What a file that is not a regular file is, for the refusal.
const char* kindOf(mode_t mode) {
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

Error notRegular(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) {
        return systemError("Cannot read file", path, EISDIR);
    }
    return Error{"Cannot read file \"" + path + "\". It is " + kindOf(mode) +
                     ", not a regular file.",
                 ErrorKind::Access};
}

Result<void> syncFolder(const std::string& folder, const std::string& path) {
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

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void keepOwnership(int fd, const Ownership& old) {
    if (!old.exists) {
        return;
    }
    if (::fchown(fd, old.owner, old.group) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.group);
    }
}

} // namespace korvel::detail
