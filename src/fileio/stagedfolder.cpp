#include "fileio/stagedfolder.h"

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
namespace {

[[nodiscard]] std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

[[nodiscard]] Error folderError(const char* what, const std::string& folder, int error) {
    return Error{std::string(what) + " the folder \"" + folder + "\". " + std::strerror(error),
                 ErrorKind::Access};
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
                             "empty folder.",
                         ErrorKind::Access};
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

Result<void> StagedFolder::add(const std::string& name, std::span<const std::uint8_t> bytes) {
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

Result<void> StagedFolder::commit() {
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

} // namespace korvel
