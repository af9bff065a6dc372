#include "librarytext.h"

#include "codepage.h"

#include <QList>

namespace korvel {

QString fromLibraryText(const std::string& bytes) {
    QString text;
    for (const char byte : bytes) {
        const char32_t character = cp1252ToUnicode(static_cast<std::uint8_t>(byte));
        text += QString::fromUcs4(&character, 1);
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
