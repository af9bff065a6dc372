#pragma once

#include "cli/support.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::cli {

/// The command of that name among commands, or nullptr.
[[nodiscard]] const Command* findCommand(std::span<const Command* const> commands,
                                         std::string_view name);

/// Runs one command line (without the program name) over commands: the usage, --help, --version,
/// and the command named first with its options. Returns the exit status.
[[nodiscard]] int runCommandLine(Context& context, const std::vector<std::string>& arguments,
                                 std::span<const Command* const> commands);

} // namespace korvel::cli
