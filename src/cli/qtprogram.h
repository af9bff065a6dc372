#pragma once

namespace korvel::cli {

/// The file name of the program that runs every command, Qt's included.
inline constexpr const char* kQtProgramName = "korvel-cli-qt";

/// Replaces this process with korvel-cli-qt, given argv as it is: it is looked for beside this
/// program (the build tree), then where the installation puts it (KORVEL_QT_PROGRAM_DIR, relative
/// to this program's folder). Returns only when it cannot be run, with exit status 1 and the
/// reason said on stderr.
[[nodiscard]] int runQtProgram(char* argv[]);

} // namespace korvel::cli
