#pragma once

// Reading and writing whole library files: the one read-check and encode-write path that the
// editor and the command-line tool share.

#include "core/bitmaplibrary.h"
#include "core/fontlibrary.h"
#include "core/progress.h"
#include "core/result.h"
#include "fileio/fileio.h"

#include <string>
#include <vector>

namespace korvel {

// A failed read or write gives an Error of kind Access when the file itself could not be read or
// written (the file layer's sentence, naming it), or else of kind Content (its bytes make no
// library) or Refused (the library cannot be encoded), with Error::file set to the path.

/// Reads and checks a whole .lcm file; the caller owns the glyph records (code order).
[[nodiscard]] Result<std::vector<GlyphRecord>> readFontLibraryFile(const std::string& path);
/// How a library file's bytes are held while its pictures stay encoded in them.
enum class LibraryReading {
    Whole,  ///< read into memory: the editor, whose file others may change while it is open
    Mapped, ///< mapped from the file, read only where used, copied file to file on saving: a
            ///< command that holds the file (under its folder lock) for a short run
};

/// Reads and checks a whole .bcm file; the caller owns the entries (file order).
[[nodiscard]] Result<std::vector<bitmapInfoList>>
readBitmapLibraryFile(const std::string& path, LibraryReading reading = LibraryReading::Whole);

/// Reads a .lcm file into a library of its own (the command-line tool's one-shot use).
[[nodiscard]] Result<FontLibrary> loadFontLibrary(const std::string& path);
/// Reads a .bcm file into a library of its own, with its name index.
[[nodiscard]] Result<BitmapLibrary> loadBitmapLibrary(const std::string& path);

/// Encodes slots 0..count-1 and saves them with saveFile; nothing is written when encoding fails.
/// Gives how the file was saved (InPlace where the folder allows no new file), which the caller
/// tells the user.
[[nodiscard]] Result<SaveMethod>
writeFontLibraryFile(const std::string& path, const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                     int count);
/// Saves entries 0..count-1 as writeFontLibraryFile does, written into the new file one block
/// at a time (unchanged blocks copied from the file image they were read from), so that the new
/// file is never whole in memory. A library the format cannot hold (an entry too large, blocks
/// past what 32-bit offsets address) is refused before anything is written. Progress counts the
/// entries written and then the sync as one more step (count + 1 steps in all).
[[nodiscard]] Result<SaveMethod> writeBitmapLibraryFile(const std::string& path,
                                                        std::span<const bitmapInfoList> entries,
                                                        int count, const Progress& progress = {});

/// Saves already encoded bytes with saveFile: the encoder's error said of path, or the save's.
[[nodiscard]] Result<SaveMethod> writeEncodedFile(const std::string& path,
                                                  const Result<std::vector<std::uint8_t>>& encoded);

} // namespace korvel
