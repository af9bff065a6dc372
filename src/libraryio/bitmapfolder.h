#pragma once

// A bitmap library as a folder: one PNG per entry and an index.txt that lists the entries in
// order, one line "POSITION NAME FILE" each. Names are escaped (every byte but letters, digits,
// "-" and "_" as %XX) so that any name is one word of the index and part of a safe file name;
// the empty name is written "" (a quote is always escaped in a name). An entry without pixels
// has "-" for its file and its size as a fourth word, "WIDTHxHEIGHT". Names may repeat, in one
// letter case or another, as they may in a .bcm file.

#include "core/bitmaplibrary.h"
#include "core/bytesource.h"
#include "core/codepage.h"
#include "core/progress.h"
#include "core/result.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/formattable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

inline constexpr std::string_view kIndexFileName = "index.txt";
/// The largest index.txt read.
inline constexpr std::uint64_t kIndexMaxFileBytes = kPngFolderIndexMaxBytes;

/// How index.txt writes the empty name.
inline constexpr std::string_view kEmptyNameWord = "\"\"";

/// The name with every byte other than A-Z, a-z, 0-9, "-" and "_" written as %XX.
[[nodiscard]] std::string escapeName(std::string_view name);
/// The bytes an escaped name stands for, or nothing when an escape is broken.
[[nodiscard]] std::optional<std::string> unescapeName(std::string_view escaped);

/// The PNG file of the entry at position: unique by the position, readable by the name.
[[nodiscard]] std::string pictureFileName(int position, std::string_view name);

/// One line of index.txt.
struct IndexLine {
    int position = 0;
    std::string name;
    std::string file; ///< empty for an entry without pixels
    int width = 0;    ///< for an entry without pixels; for a PNG once its header is read
    int height = 0;
    int lineNumber = 0;
    int repeatsLine = 0; ///< the earlier line of the same name regardless of letter case, or 0
};

/// The index.txt text of entries of these names and sizes.
[[nodiscard]] std::string indexText(std::span<const BcmShape> shapes);
[[nodiscard]] std::string indexText(std::span<const bitmapInfoList> entries);

/// Reads index.txt text. Fails, naming the line, when a line is malformed, lists its position
/// out of order, names a file outside the folder or gives a name longer than 8 bytes. A name
/// that repeats an earlier one in page's letter case is taken, and its line says which
/// (repeatsLine).
[[nodiscard]] Result<std::vector<IndexLine>> parseIndex(std::string_view text,
                                                        const CodePage& page = CodePage());

/// The one warning that names the lines of index.txt whose names repeat earlier ones (the first
/// ten of them), or "" when none does.
[[nodiscard]] std::string repeatedNamesWarning(std::span<const IndexLine> lines);

/// Whether a file of that name is one writeBitmapFolder writes (index.txt or a PNG), so that a
/// folder holding only such files may be replaced by a new export.
[[nodiscard]] bool isBitmapFolderFile(std::string_view name);

/// The picture of entry k, made when the folder writer needs it.
using PictureOf = std::function<Result<Picture>(std::size_t k)>;

/// Writes entries of these names and sizes as a new folder, PNGs and index.txt, into a hidden
/// sibling folder and swaps it in for folder only when all is written and synced: a failure
/// leaves an old folder whole. One picture is made and written at a time. An old folder holding
/// anything else than such files is refused. Progress counts the
/// entries written.
[[nodiscard]] Result<void> writeBitmapFolder(std::span<const BcmShape> shapes,
                                             const PictureOf& pictureOf, const std::string& folder,
                                             const Progress& progress = {});
/// The same for entries in memory.
[[nodiscard]] Result<void> writeBitmapFolder(std::span<const bitmapInfoList> entries,
                                             const std::string& folder,
                                             const Progress& progress = {});
/// The same for the entries of a .bcm file read through source: only its directory, block heads
/// and one entry at a time are read.
[[nodiscard]] Result<void> writeBitmapFolder(ByteSource& source, std::span<const BcmBlock> blocks,
                                             const std::string& folder,
                                             const Progress& progress = {});

/// What a folder holds, from index.txt and the header of every PNG it lists, before any pixel
/// is decoded.
struct FolderPlan {
    std::string folder;
    std::vector<IndexLine> lines; ///< every line with its picture's width and height
};

/// Reads and checks index.txt and every PNG's header: each picture no larger than a bitmap
/// library file holds (1024 x 513), and the whole library addressable by one. Fails naming the
/// file or the line and why, as soon as the first that does not fit is seen.
/// Repeated names are told in page's letter case.
[[nodiscard]] Result<FolderPlan> planBitmapFolder(const std::string& folder,
                                                  const CodePage& page = CodePage());

/// Saves the library a folder plans as a .bcm file at path (through saveFileStreamed), decoding
/// one PNG at a time straight into its block, so memory holds one picture and the directory
/// whatever the folder's size. Each PNG is read as decodePng reads it (alpha below 128 is
/// black) and must still have the size its header gave. Fails, naming the file and the reason,
/// on the first entry that cannot be read; the old file at path stays as it was.
[[nodiscard]] Result<SaveMethod>
saveFolderAsLibrary(const FolderPlan& plan, const std::string& path, const Progress& progress = {});

/// Reads the entries a folder lists into memory, each PNG as saveFolderAsLibrary reads it;
/// page gives the names of the PNG files of a folder without index.txt, as planBitmapFolder.
[[nodiscard]] Result<std::vector<bitmapInfoList>> readBitmapFolder(const std::string& folder,
                                                                   const CodePage& page);

} // namespace korvel
