#include "document/librarytext.h"

#include "core/codepage.h"

#include <QList>

namespace korvel {

QString fromLibraryText(const std::string& bytes) {
    // Every Windows-1252 character lies in the Basic Multilingual Plane: one QChar per byte,
    // written in place (the library list turns tens of thousands of names into text at once).
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        *out++ = QChar(static_cast<char16_t>(cp1252ToUnicode(static_cast<std::uint8_t>(byte))));
    }
    return text;
}

std::string toLibraryText(const QString& text) {
    std::string bytes;
    for (const char32_t character : text.toUcs4()) {
        const auto byte = unicodeToCp1252(character);
        bytes.push_back(static_cast<char>(byte ? *byte : '?'));
    }
    return bytes;
}

QString characterOfCode(int code) {
    const char32_t character = cp1252ToUnicode(static_cast<std::uint8_t>(code));
    return QString::fromUcs4(&character, 1);
}

} // namespace korvel
