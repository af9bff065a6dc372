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
    auto opened = open(korvel::shareFileImage(std::move(bytes).value()));
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

Loaded<std::vector<bitmapInfoList>> readBitmapLibraryFile(const std::string& path,
                                                          LibraryReading reading) {
    constexpr std::string_view kWhat = "a bitmap library file";
    if (reading == LibraryReading::Whole) {
        return readAndOpen<std::vector<bitmapInfoList>>(
            path, kBcmMaxFileBytes, kWhat, [](SharedFileImage file) { return openBcm(file); });
    }
    auto image = mapRegularFile(path, kBcmMaxFileBytes, kWhat);
    if (!image) {
        return FileFault{FileFaultKind::Access, image.error()};
    }
    const SharedFileImage& file = image.value();
    // The directory and block heads are read with pread, so no page of the mapping is touched
    // until a picture is decoded. An empty file has no mapping and nothing to touch.
    auto opened = Result<std::vector<bitmapInfoList>>(Error{});
    if (file->descriptor() < 0) {
        opened = openBcm(file);
    } else {
        auto source = FileSource::openDescriptor(file->descriptor(), path);
        if (!source) {
            return FileFault{FileFaultKind::Access, source.error()};
        }
        opened = openBcm(file, *source.value());
    }
    if (!opened) {
        return FileFault{FileFaultKind::Content, opened.error()};
    }
    return std::move(opened).value();
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
    if (count < 0 || static_cast<std::size_t>(count) > entries.size()) {
        return FileFault{FileFaultKind::Content,
                         Error{"The bitmap count " + std::to_string(count) +
                               " is more than a bitmap library file holds."}};
    }
    std::vector<BcmShape> shapes;
    shapes.reserve(static_cast<std::size_t>(count));
    for (const bitmapInfoList& entry : entries.first(static_cast<std::size_t>(count))) {
        shapes.push_back({entry.name, entry.width, entry.height});
    }
    if (const Status fits = checkBcmShapes(shapes); !fits) {
        return FileFault{FileFaultKind::Content, fits.error()};
    }
    shapes = {};
    const std::size_t steps = static_cast<std::size_t>(count) + 1;
    const auto saved = saveFileStreamed(path, [&](ByteSink& sink) {
        return writeBcm(entries, count, sink,
                        [&](std::size_t done, std::size_t) { report(progress, done, steps); });
    });
    if (!saved) {
        return FileFault{FileFaultKind::Access, saved.error()};
    }
    if (method != nullptr) {
        *method = saved.value();
    }
    report(progress, steps, steps);
    return std::nullopt;
}

} // namespace korvel
