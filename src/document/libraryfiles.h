#pragma once

// Reading and writing whole library files: the one read-check and encode-write path that the
// editor and the command-line tool share.

#include "core/bitmaplibrary.h"
#include "core/fontlibrary.h"
#include "core/progress.h"
#include "core/result.h"
#include "fileio/fileio.h"

#include <string>
#include <variant>
#include <vector>

namespace korvel {

/// Where reading or writing a library file failed.
enum class FileFaultKind {
    Access,  ///< the file could not be read or written; the message is the system's, naming it
    Content, ///< its bytes do not make a library, or the library cannot be encoded
};

/// A failed read or write: where it failed and the sentence that says why.
struct FileFault {
    FileFaultKind kind = FileFaultKind::Access;
    Error error;
};

/// A library read from a file, or why it could not be.
template <class T> using Loaded = std::variant<T, FileFault>;

/// Reads and checks a whole .lcm file; the caller owns the glyph records (code order).
[[nodiscard]] Loaded<std::vector<GlyphRecord>> readFontLibraryFile(const std::string& path);
/// How a library file's bytes are held while its pictures stay encoded in them.
enum class LibraryReading {
    Whole,  ///< read into memory: the editor, whose file others may change while it is open
    Mapped, ///< mapped from the file, read only where used, copied file to file on saving: a
            ///< command that holds the file (under its folder lock) for a short run
};

/// Reads and checks a whole .bcm file; the caller owns the entries (file order).
[[nodiscard]] Loaded<std::vector<bitmapInfoList>>
readBitmapLibraryFile(const std::string& path, LibraryReading reading = LibraryReading::Whole);

/// Reads a .lcm file into a library of its own (the command-line tool's one-shot use).
[[nodiscard]] Loaded<FontLibrary> loadFontLibrary(const std::string& path);
/// Reads a .bcm file into a library of its own, with its name index.
[[nodiscard]] Loaded<BitmapLibrary> loadBitmapLibrary(const std::string& path);

/// Encodes slots 0..count-1 and saves them with saveFile; nothing is written when encoding fails.
/// When method is given, it receives how the file was saved (InPlace where the folder allows no
/// new file), which the caller tells the user.
[[nodiscard]] std::optional<FileFault>
writeFontLibraryFile(const std::string& path, const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                     int count, SaveMethod* method = nullptr);
/// Saves entries 0..count-1 as writeFontLibraryFile does, written into the new file one block
/// at a time (unchanged blocks copied from the file image they were read from), so that the new
/// file is never whole in memory. A library the format cannot hold (an entry too large, blocks
/// past what 32-bit offsets address) is refused before anything is written. Progress counts the
/// entries written and then the sync as one more step (count + 1 steps in all).
[[nodiscard]] std::optional<FileFault>
writeBitmapLibraryFile(const std::string& path, std::span<const bitmapInfoList> entries, int count,
                       SaveMethod* method = nullptr, const Progress& progress = {});

/// Saves already encoded bytes with saveFile; an Access fault on failure.
[[nodiscard]] std::optional<FileFault>
writeEncodedFile(const std::string& path, const Result<std::vector<std::uint8_t>>& encoded,
                 SaveMethod* method = nullptr);

} // namespace korvel
