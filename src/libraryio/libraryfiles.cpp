#include "libraryio/libraryfiles.h"

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
    auto opened = open(korvel::shareFileImage(std::move(bytes).value()));
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

Result<std::vector<bitmapInfoList>> readBitmapLibraryFile(const std::string& path,
                                                          LibraryReading reading) {
    const FileFormat& format = fileFormat(FormatId::Bcm);
    if (reading == LibraryReading::Whole) {
        return readAndOpen<std::vector<bitmapInfoList>>(
            path, format, [](SharedFileImage file) { return openBcm(file); });
    }
    auto image = mapRegularFile(path, format.maxFileBytes, format.fileWhat);
    if (!image) {
        return image.error();
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
            return source.error();
        }
        opened = openBcm(file, *source.value());
    }
    if (!opened) {
        return opened.error().about(path);
    }
    return std::move(opened).value();
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
    if (count < 0 || static_cast<std::size_t>(count) > entries.size()) {
        return Error{"The bitmap count " + std::to_string(count) +
                         " is more than a bitmap library file holds.",
                     ErrorKind::Content, path};
    }
    std::vector<BcmShape> shapes;
    shapes.reserve(static_cast<std::size_t>(count));
    for (const bitmapInfoList& entry : entries.first(static_cast<std::size_t>(count))) {
        shapes.push_back({entry.name, entry.width, entry.height});
    }
    if (const Result<void> fits = checkBcmShapes(shapes); !fits) {
        return fits.error().about(path);
    }
    shapes = {};
    const std::size_t steps = static_cast<std::size_t>(count) + 1;
    auto saved = saveFileStreamed(path, [&](ByteSink& sink) {
        return writeBcm(entries, count, sink,
                        [&](std::size_t done, std::size_t) { report(progress, done, steps); });
    });
    if (saved) {
        report(progress, steps, steps);
    }
    return saved;
}

} // namespace korvel
