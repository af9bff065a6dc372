#pragma once

#include <QString>

#include <string>

namespace korvel {

/// Single-byte Windows-1252 text of the libraries (bitmap names) as a QString.
[[nodiscard]] QString fromLibraryText(const std::string& bytes);
/// A QString as single-byte Windows-1252 text; a character the code page lacks becomes "?".
[[nodiscard]] std::string toLibraryText(const QString& text);
/// The character a byte code stands for, as shown in the library list and typed by the user.
[[nodiscard]] QString characterOfCode(int code);

} // namespace korvel
