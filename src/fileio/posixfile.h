#pragma once

#include "core/result.h"

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

// Helpers the file units share; not for use outside src/fileio.
namespace korvel::detail {

/// "WHAT \"PATH\". " followed by the system's text for error.
[[nodiscard]] Error systemError(const char* what, const std::string& path, int error);

/// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();
    [[nodiscard]] int get() const { return fd_; }
    /// Closes now and reports the result, for writes whose last error shows only at close.
    [[nodiscard]] int close();

private:
    int fd_;
};

/// Writes all bytes, retrying after interruptions; false with errno set on failure.
[[nodiscard]] bool writeAll(int fd, std::span<const std::uint8_t> bytes);
/// The folder a path lies in ("." for a bare name).
[[nodiscard]] std::string folderOf(const std::string& path);
/// The last part of a path.
[[nodiscard]] std::string nameOf(const std::string& path);
/// The user's file mode creation mask.
[[nodiscard]] mode_t currentUmask();
/// The mode a new file gets under the user's umask.
[[nodiscard]] mode_t newFileMode();
/// What a file that is not a regular file is, for a refusal ("a directory", "a FIFO", ...).
[[nodiscard]] const char* kindOf(mode_t mode);
/// The refusal of something that is not a regular file, saying what it is.
[[nodiscard]] Error notRegular(const std::string& path, mode_t mode);
/// What a file looked like before a save replaced it.
struct Ownership {
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

/// Gives the new file the old one's owner and group where the system permits: root keeps both,
/// a member of the old group keeps the group. What is not permitted stays the saver's own.
void keepOwnership(int fd, const Ownership& old);

/// Syncs a folder after a rename in it; file systems that cannot are no failure.
[[nodiscard]] Result<void> syncFolder(const std::string& folder, const std::string& path);

} // namespace korvel::detail
