#pragma once

#include "core/codepage.h"

#include <ostream>
#include <string>
#include <vector>

namespace korvel::cli {

/// Exit statuses of the tool.
enum ExitStatus : int {
    kExitOk = 0,      ///< the command did its work
    kExitRefused = 1, ///< an input was refused; stderr names the file and the reason
    kExitUsage = 2,   ///< the command line was wrong; stderr shows the usage
};

/// Runs one command line (without the program name), writing results to out and messages to err.
/// errIsTerminal: err is a terminal, where long work shows its progress.
/// defaultPage: the code page of commands given no --codepage (the locale's, in the program).
[[nodiscard]] int runCli(const std::vector<std::string>& arguments, std::ostream& out,
                         std::ostream& err, bool errIsTerminal = false,
                         const CodePage& defaultPage = windows1252());

} // namespace korvel::cli
