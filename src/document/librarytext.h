#pragma once

#include "core/codepage.h"

#include <QString>

#include <string>

namespace korvel {

/// Single-byte text of the libraries (bitmap names) in a code page as a QString; a byte the page
/// leaves without a character shows as U+FFFD.
[[nodiscard]] QString fromLibraryText(const std::string& bytes,
                                      const CodePage& page = windows1252());
/// A QString as single-byte text of a code page; a character the code page lacks becomes "?".
[[nodiscard]] std::string toLibraryText(const QString& text, const CodePage& page = windows1252());
/// The character a byte code stands for in a code page, as shown in the library list and typed
/// by the user; empty for a code the page leaves without a character.
[[nodiscard]] QString characterOfCode(int code, const CodePage& page = windows1252());

} // namespace korvel
