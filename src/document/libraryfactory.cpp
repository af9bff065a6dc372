#include "document/libraryfactory.h"

#include "core/codepage.h"
#include "document/glyphrender.h"
#include "document/librarytext.h"

#include <cstddef>

namespace korvel {

namespace {

/// The name with leading and trailing spaces and control characters removed.
[[nodiscard]] QString withoutSurroundingBlanks(const QString& name) {
    const auto blank = [](QChar c) { return c.unicode() <= u' '; };
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && blank(name[first])) {
        ++first;
    }
    while (last > first && blank(name[last - 1])) {
        --last;
    }
    return name.mid(first, last - first);
}

/// Whether every character has a byte in page and there are at most 8 of them.
[[nodiscard]] bool fitsLibraryName(const QString& name, const CodePage& page) {
    const QList<uint> characters = name.toUcs4();
    if (characters.size() > kBitmapNameLength) {
        return false;
    }
    for (const uint character : characters) {
        const auto byte = page.fromUnicode(static_cast<char32_t>(character));
        // A 0 byte would end the name in a .bcm directory record.
        if (!byte.has_value() || *byte == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

SystemFontReport renderSystemFont(FontLibrary& library, const QString& family, int points,
                                  int count, const CodePage& page) {
    RenderedCodes rendered = renderCodes(family, points, count, page);
    library.count = count;
    for (int code = 0; code < count; ++code) {
        library.glyphs[static_cast<std::size_t>(code)] =
            std::move(rendered.glyphs[static_cast<std::size_t>(code)]);
    }
    return SystemFontReport{rendered.sidewaysCut, rendered.strike};
}

void makeBlankFont(FontLibrary& library, int width, int height, int count) {
    library.count = count;
    for (int code = 0; code < count; ++code) {
        library.glyphs[static_cast<std::size_t>(code)] =
            GlyphRecord{code, width, height, Picture(width, height, PixelFormat::Indexed4)};
    }
}

Result<void> checkBitmapName(const QString& name, const NameIndex& index) {
    if (withoutSurroundingBlanks(name).isEmpty()) {
        return refusal("Please input your bitmap name!");
    }
    if (!index.empty() && index.find(toLibraryText(name, index.codePage())).has_value()) {
        return Error{"Please input exclusive bitmap name!", ErrorKind::Duplicate};
    }
    if (!fitsLibraryName(name, index.codePage())) {
        return refusal("A bitmap name is at most 8 " + std::string(index.codePage().caption()) +
                       " characters.");
    }
    return {};
}

std::vector<QString> frameNames(const QString& base, int count) {
    std::vector<QString> names;
    for (int k = 1; k <= count; ++k) {
        names.push_back(base + QString::number(k));
    }
    return names;
}

} // namespace korvel
