#include "document/librarytext.h"

#include "core/codeselection.h"

#include <QList>

namespace korvel {

namespace {
constexpr char16_t kNoCharacter = u'\uFFFD';
}

QString fromLibraryText(const std::string& bytes, const CodePage& page) {
    // Every character of the supported code pages lies in the Basic Multilingual Plane: one
    // QChar per byte, written in place (the library list turns tens of thousands of names into
    // text at once).
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto character = page.toUnicode(static_cast<std::uint8_t>(byte));
        *out++ = QChar(character ? static_cast<char16_t>(*character) : kNoCharacter);
    }
    return text;
}

std::string toLibraryText(const QString& text, const CodePage& page) {
    const QList<uint> characters = text.toUcs4();
    return libraryTextOf(std::u32string(characters.begin(), characters.end()), page);
}

QString characterOfCode(int code, const CodePage& page) {
    const auto character = page.toUnicode(static_cast<std::uint8_t>(code));
    return character ? QString::fromUcs4(&*character, 1) : QString();
}

} // namespace korvel
