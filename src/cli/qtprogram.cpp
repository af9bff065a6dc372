#include "cli/qtprogram.h"

#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace korvel::cli {

int runQtProgram(char* argv[]) {
    std::error_code failed;
    // The program's own file, through any symbolic links it was started by.
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed) {
        std::fprintf(stderr, "korvel-cli: cannot find its own program file: %s\n",
                     failed.message().c_str());
        return kExitRefused;
    }
    const std::filesystem::path folder = self.parent_path();
    const std::filesystem::path candidates[] = {
        folder / kQtProgramName,
        (folder / KORVEL_QT_PROGRAM_DIR / kQtProgramName).lexically_normal(),
    };
    int reason = ENOENT;
    for (const std::filesystem::path& candidate : candidates) {
        argv[0] = const_cast<char*>(candidate.c_str());
        ::execv(candidate.c_str(), argv);
        // Not there: the next place. Anything else (not executable, ...) is the answer.
        reason = errno;
        if (reason != ENOENT) {
            break;
        }
    }
    std::fprintf(stderr, "korvel-cli: cannot run %s (looked for beside %s and in %s): %s\n",
                 kQtProgramName, self.c_str(), candidates[1].parent_path().c_str(),
                 std::strerror(reason));
    return kExitRefused;
}

} // namespace korvel::cli
