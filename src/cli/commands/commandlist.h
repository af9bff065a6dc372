#pragma once

#include "cli/support.h"

#include <span>

namespace korvel::cli {

// Each command of korvel-cli lives in a file of its own here and is listed once, in
// allCommands(): a new command is one more file and one more line there.

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

} // namespace korvel::cli
