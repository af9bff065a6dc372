#pragma once

#include "core/bytesink.h"
#include "core/result.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace korvel {

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
using ByteProducer = std::function<Result<void>(ByteSink&)>;

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

/// Writes bytes to a temporary file in the target's folder, then renames it over the target, so
/// the old file stays whole unless the new one was written completely. A new file gets the
/// permissions the user's umask allows; an existing one keeps its own. This is saveFile below,
/// for callers that need not know how the bytes went to the disk. Fails with the system's error
/// text and the file name.
[[nodiscard]] Result<void> writeFileAtomic(const std::string& path,
                                           std::span<const std::uint8_t> bytes);

} // namespace korvel
