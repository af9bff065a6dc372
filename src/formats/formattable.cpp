#include "formats/formattable.h"

#include "core/textcodes.h"
#include "formats/bcm.h"
#include "formats/bdf.h"
#include "formats/bmp.h"
#include "formats/lcm.h"
#include "formats/pnglimits.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korvel {

namespace {

// The codecs in the table's shapes.

[[nodiscard]] Result<FontLibrary> readLcm(std::span<const std::uint8_t> bytes) {
    return transformed(decodeLcm(bytes), FontLibrary::of);
}

[[nodiscard]] Result<std::vector<std::uint8_t>> writeLcm(const FontLibrary& library,
                                                         std::string_view) {
    return encodeLcm(library.glyphs, library.count);
}

[[nodiscard]] Result<FontLibrary> readBdf(std::span<const std::uint8_t> bytes) {
    return transformed(decodeBdf({reinterpret_cast<const char*>(bytes.data()), bytes.size()}),
                       [](BdfFont&& font) { return std::move(font.library); });
}

[[nodiscard]] Result<std::vector<std::uint8_t>> writeBdf(const FontLibrary& library,
                                                         std::string_view name) {
    const std::string text = encodeBdf(library.glyphs, library.count, name);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

[[nodiscard]] Result<BitmapLibrary> readBcm(std::span<const std::uint8_t> bytes) {
    return transformed(decodeBcm(bytes), BitmapLibrary::of);
}

[[nodiscard]] Result<std::vector<std::uint8_t>> writeBcm(const BitmapLibrary& library) {
    return encodeBcm(library.entries, static_cast<int>(library.entries.size()));
}

[[nodiscard]] Result<std::vector<std::uint8_t>> writeBmp(const Picture& picture) {
    return encodeBmp24(picture);
}

constexpr std::array kFormats{
    FileFormat{FormatId::Lcm,
               ".lcm",
               "lcm",
               FormatHolds::FontLibrary,
               false,
               true,
               true,
               kLcmMaxFileBytes,
               "a font library file",
               FontCodec{readLcm, writeLcm},
               {},
               {}},
    FileFormat{FormatId::Bcm,
               ".bcm",
               "bcm",
               FormatHolds::BitmapLibrary,
               false,
               true,
               true,
               kBcmMaxFileBytes,
               "a bitmap library file",
               {},
               BitmapCodec{readBcm, writeBcm},
               {}},
    FileFormat{FormatId::Bdf,
               "BDF",
               "bdf",
               FormatHolds::FontLibrary,
               false,
               true,
               true,
               kBdfMaxTextSize,
               "a BDF font",
               FontCodec{readBdf, writeBdf},
               {},
               {}},
    // One PNG a bitmap and an index.txt: written and read by the file layer's staged folder.
    FileFormat{FormatId::PngFolder,
               "PNG folder",
               "",
               FormatHolds::BitmapLibrary,
               true,
               true,
               true,
               kPngFolderIndexMaxBytes,
               "an index of 65535 bitmaps",
               {},
               {},
               {}},
    FileFormat{FormatId::Bmp,
               "BMP",
               "bmp",
               FormatHolds::Picture,
               false,
               true,
               true,
               kBmpMaxFileBytes,
               "a BMP file",
               {},
               {},
               PictureCodec{decodeBmp, writeBmp}},
    // Read and written through libpng (src/png).
    FileFormat{FormatId::Png,
               "PNG",
               "png",
               FormatHolds::Picture,
               false,
               true,
               true,
               kPngMaxFileBytes,
               "a PNG file",
               {},
               {},
               {}},
};

} // namespace

std::span<const FileFormat> fileFormats() {
    return kFormats;
}

const FileFormat& fileFormat(FormatId id) {
    return *std::find_if(kFormats.begin(), kFormats.end(),
                         [&](const FileFormat& format) { return format.id == id; });
}

const FileFormat* formatOfExtension(std::string_view extension) {
    const auto found = std::find_if(kFormats.begin(), kFormats.end(), [&](const FileFormat& f) {
        return !f.folder && sameIgnoringCase(f.extension, extension);
    });
    return found == kFormats.end() ? nullptr : &*found;
}

std::string dialogFilter(std::string_view title, FormatId id) {
    return std::string(title) + "|*." + std::string(fileFormat(id).extension);
}

} // namespace korvel
