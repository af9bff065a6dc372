#pragma once

#include "core/codepage.h"

#include "cli/support.h"

#include <span>
#include <string>

namespace korvel::cli {

// Each command of korvel-cli lives in a file of its own here and is listed in allCommands(): a
// new command is one more file and one more line there, and one more in qtFreeCommands() when
// none of its work needs Qt.

[[nodiscard]] const Command& infoCommand();
[[nodiscard]] const Command& newFontCommand();
[[nodiscard]] const Command& convertCommand();
[[nodiscard]] const Command& addCommand();
[[nodiscard]] const Command& importCommand();
[[nodiscard]] const Command& exportCommand();
[[nodiscard]] const Command& exportCCommand();
[[nodiscard]] const Command& listFontsCommand();
[[nodiscard]] const Command& listCodePagesCommand();

/// Every command, in the order the usage lists them.
[[nodiscard]] std::span<const Command* const> allCommands();

/// Whether a new-font command line needs Qt's font system: a family that is no outline font
/// fontconfig and FreeType can draw alone. Any other new-font command line, a wrong one
/// included, runs without Qt. defaultPage is the code page the command runs in without
/// --codepage; the font opened to decide is kept for the command's run that follows.
[[nodiscard]] bool newFontNeedsQt(std::span<const std::string> arguments,
                                  const CodePage& defaultPage);

/// The commands that neither render text nor read images through Qt, which korvel-cli runs
/// without loading Qt at all: a quick export starts in a fraction of Qt's start-up.
[[nodiscard]] std::span<const Command* const> qtFreeCommands();

} // namespace korvel::cli
