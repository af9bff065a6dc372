#pragma once

// The table of file formats: every library and picture format Korvel reads or writes, one row
// each. korvel-cli's convert picks its formats here, the editor's file dialogs take their
// extensions from here, and the read gate's size caps come from here. A new format is one codec
// plus one row.

#include "core/bitmaplibrary.h"
#include "core/fontlibrary.h"
#include "core/picture.h"
#include "core/result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// The largest index.txt of a PNG folder read: 65535 lines of at most 128 bytes (the longest
/// line an export writes is 67 bytes, so blank lines and CRLF endings fit too).
inline constexpr std::uint64_t kPngFolderIndexMaxBytes = 65535 * 128;

/// The rows of the table.
enum class FormatId { Lcm, Bcm, Bdf, PngFolder, Bmp, Png };

/// What a row holds: a font library, a bitmap library, or one picture.
enum class FormatHolds { FontLibrary, BitmapLibrary, Picture };

/// The codec of a font library format; write takes the font's name, for formats that store one.
struct FontCodec {
    Result<FontLibrary> (*read)(std::span<const std::uint8_t> bytes) = nullptr;
    Result<std::vector<std::uint8_t>> (*write)(const FontLibrary& library,
                                               std::string_view name) = nullptr;
};

/// The codec of a bitmap library format.
struct BitmapCodec {
    Result<BitmapLibrary> (*read)(std::span<const std::uint8_t> bytes) = nullptr;
    Result<std::vector<std::uint8_t>> (*write)(const BitmapLibrary& library) = nullptr;
};

/// The codec of a picture format.
struct PictureCodec {
    Result<Picture> (*read)(std::span<const std::uint8_t> bytes) = nullptr;
    Result<std::vector<std::uint8_t>> (*write)(const Picture& picture) = nullptr;
};

/// One file format. A row whose codec lives outside this layer (the PNG reader needs libpng, the
/// PNG writer Qt, the PNG folder the file layer) says what it can do but leaves its functions
/// null; those are found where its codec is.
struct FileFormat {
    FormatId id;
    std::string_view name;      ///< as the user reads it ("BDF", "PNG folder")
    std::string_view extension; ///< lower case, without the dot; empty for a folder
    FormatHolds holds;
    bool folder = false; ///< a folder of files rather than one file
    bool readable = false;
    bool writable = false;
    std::uint64_t maxFileBytes = 0; ///< the largest file read (for a folder: its index)
    std::string_view fileWhat;      ///< what the read gate says cannot be larger ("a BMP file")
    FontCodec font;                 ///< set where holds is FontLibrary
    BitmapCodec bitmaps;            ///< set where holds is BitmapLibrary
    PictureCodec picture;           ///< set where holds is Picture
};

/// Every row: the library formats first (.lcm, .bcm, BDF, PNG folder), then the picture formats
/// (BMP, PNG).
[[nodiscard]] std::span<const FileFormat> fileFormats();

/// The row of id.
[[nodiscard]] const FileFormat& fileFormat(FormatId id);

/// The single-file row of a file extension in any letter case (without the dot), or nullptr.
[[nodiscard]] const FileFormat* formatOfExtension(std::string_view extension);

/// A file dialog filter "TITLE|*.EXT" for a single-file row, with the dialog's own title.
[[nodiscard]] std::string dialogFilter(std::string_view title, FormatId id);

} // namespace korvel
