#include "libraryfiles.h"

#include "bcm.h"
#include "fileio.h"
#include "lcm.h"

namespace korvel {

namespace {

template <class T, class Decode>
[[nodiscard]] Loaded<T> readAndDecode(const std::string& path, Decode decode) {
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        return FileFault{FileFaultKind::Access, bytes.error()};
    }
    auto decoded = decode(bytes.value());
    if (!decoded) {
        return FileFault{FileFaultKind::Content, decoded.error()};
    }
    return std::move(decoded).value();
}

} // namespace

Loaded<std::vector<GlyphRecord>> readFontLibraryFile(const std::string& path) {
    return readAndDecode<std::vector<GlyphRecord>>(
        path, [](std::span<const std::uint8_t> bytes) { return decodeLcm(bytes); });
}

Loaded<std::vector<bitmapInfoList>> readBitmapLibraryFile(const std::string& path) {
    return readAndDecode<std::vector<bitmapInfoList>>(
        path, [](std::span<const std::uint8_t> bytes) { return decodeBcm(bytes); });
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
                                          const Result<std::vector<std::uint8_t>>& encoded) {
    if (!encoded) {
        return FileFault{FileFaultKind::Content, encoded.error()};
    }
    if (const Status written = writeFileAtomic(path, encoded.value()); !written) {
        return FileFault{FileFaultKind::Access, written.error()};
    }
    return std::nullopt;
}

std::optional<FileFault> writeFontLibraryFile(const std::string& path,
                                              const std::array<GlyphRecord, kGlyphSlots>& glyphs,
                                              int count) {
    return writeEncodedFile(path, encodeLcm(glyphs, count));
}

std::optional<FileFault> writeBitmapLibraryFile(const std::string& path,
                                                std::span<const bitmapInfoList> entries,
                                                int count) {
    return writeEncodedFile(path, encodeBcm(entries, count));
}

} // namespace korvel
