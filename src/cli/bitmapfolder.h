#pragma once

// A bitmap library as a folder: one PNG per entry and an index.txt that lists the entries in
// order, one line "POSITION NAME FILE" each. Names are escaped (every byte but letters, digits,
// "-" and "_" as %XX) so that any name is one word of the index and part of a safe file name;
// an entry without pixels has "-" for its file and its size as a fourth word, "WIDTHxHEIGHT".

#include "core/bitmaplibrary.h"
#include "core/progress.h"
#include "core/result.h"
#include "formats/formattable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::cli {

inline constexpr std::string_view kIndexFileName = "index.txt";
/// The largest index.txt read.
inline constexpr std::uint64_t kIndexMaxFileBytes = kPngFolderIndexMaxBytes;

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
    int width = 0;    ///< only for an entry without pixels
    int height = 0;
};

/// The index.txt text of the entries.
[[nodiscard]] std::string indexText(std::span<const bitmapInfoList> entries);

/// Reads index.txt text. Fails, naming the line, when a line is malformed, lists its position
/// out of order, names a file outside the folder or gives a name longer than 8 bytes.
[[nodiscard]] Result<std::vector<IndexLine>> parseIndex(std::string_view text);

/// Whether a file of that name is one writeBitmapFolder writes (index.txt or a PNG), so that a
/// folder holding only such files may be replaced by a new export.
[[nodiscard]] bool isBitmapFolderFile(std::string_view name);

/// Writes the entries as a new folder, PNGs and index.txt, into a hidden sibling folder and
/// swaps it in for folder only when all is written and synced: a failure leaves an old folder
/// whole. An old folder holding anything else than such files is refused. Needs a running
/// QtSession. Progress counts the entries written.
[[nodiscard]] Result<void> writeBitmapFolder(std::span<const bitmapInfoList> entries,
                                             const std::string& folder,
                                             const Progress& progress = {});

/// Reads the entries a folder lists; each PNG is read as decodePng reads it (alpha below 128 is
/// black). Fails, naming the file and the reason, on the first entry that cannot be read.
[[nodiscard]] Result<std::vector<bitmapInfoList>> readBitmapFolder(const std::string& folder);

} // namespace korvel::cli
