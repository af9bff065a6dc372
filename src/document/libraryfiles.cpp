#include "document/libraryfiles.h"

#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/formattable.h"
#include "formats/lcm.h"

#include <algorithm>

namespace korvel {

namespace {

/// Reads a library file through the read gate (regular files of at most maxBytes only) and
/// opens it with its pictures left encoded in the shared file image, so opening costs the
/// directory, not the pixels; a picture decodes when it is first used.
template <class T, class Open>
[[nodiscard]] Result<T> readAndOpen(const std::string& path, const FileFormat& format, Open open) {
    auto bytes = readRegularFile(path, format.maxFileBytes, format.fileWhat);
    if (!bytes) {
        return bytes.error();
    }
    auto opened = open(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes).value()));
    if (!opened) {
        return opened.error().about(path);
    }
    return std::move(opened).value();
}

} // namespace

Result<std::vector<GlyphRecord>> readFontLibraryFile(const std::string& path) {
    return readAndOpen<std::vector<GlyphRecord>>(
        path, fileFormat(FormatId::Lcm), [](SharedFileImage file) { return openLcm(file); });
}

Result<std::vector<bitmapInfoList>> readBitmapLibraryFile(const std::string& path) {
    return readAndOpen<std::vector<bitmapInfoList>>(
        path, fileFormat(FormatId::Bcm), [](SharedFileImage file) { return openBcm(file); });
}

Result<FontLibrary> loadFontLibrary(const std::string& path) {
    return transformed(readFontLibraryFile(path), FontLibrary::of);
}

Result<BitmapLibrary> loadBitmapLibrary(const std::string& path) {
    return transformed(readBitmapLibraryFile(path), BitmapLibrary::of);
}

Result<SaveMethod> writeEncodedFile(const std::string& path,
                                    const Result<std::vector<std::uint8_t>>& encoded) {
    if (!encoded) {
        return encoded.error().about(path);
    }
    return saveFile(path, encoded.value());
}

Result<SaveMethod> writeFontLibraryFile(const std::string& path,
                                        const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                        int count) {
    return writeEncodedFile(path, encodeLcm(glyphs, count));
}

Result<SaveMethod> writeBitmapLibraryFile(const std::string& path,
                                          std::span<const bitmapInfoList> entries, int count,
                                          const Progress& progress) {
    const std::size_t steps = static_cast<std::size_t>(std::max(count, 0)) + 1;
    const auto encoded = encodeBcm(
        entries, count, [&](std::size_t done, std::size_t) { report(progress, done, steps); });
    auto saved = writeEncodedFile(path, encoded);
    report(progress, steps, steps);
    return saved;
}

} // namespace korvel
