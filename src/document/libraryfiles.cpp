#include "document/libraryfiles.h"

#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/lcm.h"

#include <algorithm>

namespace korvel {

namespace {

/// Reads a library file through the read gate (regular files of at most maxBytes only) and
/// opens it with its pictures left encoded in the shared file image, so opening costs the
/// directory, not the pixels; a picture decodes when it is first used.
template <class T, class Open>
[[nodiscard]] Loaded<T> readAndOpen(const std::string& path, std::uint64_t maxBytes,
                                    std::string_view what, Open open) {
    auto bytes = readRegularFile(path, maxBytes, what);
    if (!bytes) {
        return FileFault{FileFaultKind::Access, bytes.error()};
    }
    auto opened = open(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes).value()));
    if (!opened) {
        return FileFault{FileFaultKind::Content, opened.error()};
    }
    return std::move(opened).value();
}

} // namespace

Loaded<std::vector<GlyphRecord>> readFontLibraryFile(const std::string& path) {
    return readAndOpen<std::vector<GlyphRecord>>(
        path, kLcmMaxFileBytes, "a font library file",
        [](SharedFileImage file) { return openLcm(file); });
}

Loaded<std::vector<bitmapInfoList>> readBitmapLibraryFile(const std::string& path) {
    return readAndOpen<std::vector<bitmapInfoList>>(
        path, kBcmMaxFileBytes, "a bitmap library file",
        [](SharedFileImage file) { return openBcm(file); });
}

Loaded<FontLibrary> loadFontLibrary(const std::string& path) {
    auto glyphs = readFontLibraryFile(path);
    if (auto* fault = std::get_if<FileFault>(&glyphs)) {
        return *fault;
    }
    FontLibrary library;
    library.replaceGlyphs(std::get<std::vector<GlyphRecord>>(std::move(glyphs)));
    return library;
}

Loaded<BitmapLibrary> loadBitmapLibrary(const std::string& path) {
    auto entries = readBitmapLibraryFile(path);
    if (auto* fault = std::get_if<FileFault>(&entries)) {
        return *fault;
    }
    BitmapLibrary library;
    library.assign(std::get<std::vector<bitmapInfoList>>(std::move(entries)));
    return library;
}

std::optional<FileFault> writeEncodedFile(const std::string& path,
                                          const Result<std::vector<std::uint8_t>>& encoded,
                                          SaveMethod* method) {
    if (!encoded) {
        return FileFault{FileFaultKind::Content, encoded.error()};
    }
    const auto written = saveFile(path, encoded.value());
    if (!written) {
        return FileFault{FileFaultKind::Access, written.error()};
    }
    if (method != nullptr) {
        *method = written.value();
    }
    return std::nullopt;
}

std::optional<FileFault> writeFontLibraryFile(const std::string& path,
                                              const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                              int count, SaveMethod* method) {
    return writeEncodedFile(path, encodeLcm(glyphs, count), method);
}

std::optional<FileFault> writeBitmapLibraryFile(const std::string& path,
                                                std::span<const bitmapInfoList> entries, int count,
                                                SaveMethod* method, const Progress& progress) {
    const std::size_t steps = static_cast<std::size_t>(std::max(count, 0)) + 1;
    const auto encoded = encodeBcm(
        entries, count, [&](std::size_t done, std::size_t) { report(progress, done, steps); });
    auto fault = writeEncodedFile(path, encoded, method);
    report(progress, steps, steps);
    return fault;
}

} // namespace korvel
