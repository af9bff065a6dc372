#include "document/libraryfactory.h"

#include "core/codepage.h"
#include "document/glyphrender.h"
#include "document/librarytext.h"

#include <cstddef>
#include <optional>

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

/// The first character of name that page has no byte for, or that would be a 0 byte, which
/// ends a name in a .bcm directory record.
[[nodiscard]] std::optional<QString> unwritableCharacter(const QString& name,
                                                         const CodePage& page) {
    for (const uint character : name.toUcs4()) {
        const auto byte = page.fromUnicode(static_cast<char32_t>(character));
        if (!byte.has_value() || *byte == 0) {
            const auto unicode = static_cast<char32_t>(character);
            return QString::fromUcs4(&unicode, 1);
        }
    }
    return std::nullopt;
}

} // namespace

SystemFontReport renderSystemFont(FontLibrary& library, const QString& family, int points,
                                  int count, const CodePage& page) {
    return fillFontLibrary(library, renderCodes(family, points, count, page));
}

Result<void> checkBitmapName(const QString& name, const NameIndex& index) {
    if (withoutSurroundingBlanks(name).isEmpty()) {
        return refusal("Please input your bitmap name!");
    }
    const CodePage page = index.codePage();
    // Before the look-up: a character the page lacks would be looked for as '?', and found in a
    // bitmap that is really named so.
    if (const auto unwritable = unwritableCharacter(name, page)) {
        return refusal("A bitmap name is at most 8 " + std::string(page.caption()) +
                       " characters, and " + std::string(page.caption()) + " has no \"" +
                       unwritable->toStdString() + "\".");
    }
    if (!index.empty() && index.find(toLibraryText(name, page)).has_value()) {
        return Error{"Please input exclusive bitmap name!", ErrorKind::Duplicate};
    }
    if (name.toUcs4().size() > kBitmapNameLength) {
        return refusal("A bitmap name is at most 8 " + std::string(page.caption()) +
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
