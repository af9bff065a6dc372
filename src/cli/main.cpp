// korvel-cli: runs the commands that need no Qt itself, in a process that never loads Qt, and
// hands every other command line, help and --version included, to korvel-cli-qt, which runs them
// all.

#include "cli/commandline.h"
#include "cli/commands/commandlist.h"
#include "cli/qtprogram.h"
#include "core/codepage.h"
#include "typeface/fontmatch.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    using namespace korvel::cli;
    const Command* command = argc > 1 ? findCommand(qtFreeCommands(), argv[1]) : nullptr;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The code page of the user's language, as Windows would choose it for its 8-bit texts.
    const korvel::CodePage defaultPage =
        korvel::defaultCodePageForLocale(korvel::localeNameOfEnvironment());
    // new-font draws outline fonts with FreeType alone; bitmap and symbol fonts need Qt's.
    if (command == nullptr ||
        (command == &newFontCommand() && newFontNeedsQt(arguments, defaultPage))) {
        korvel::releaseFontLookup(); // the check may have looked the family up
        return runQtProgram(argv);
    }
    Context context{std::cout, std::cerr, nullptr, ::isatty(STDERR_FILENO) == 1, defaultPage};
    const int status = runCommandLine(context, arguments, qtFreeCommands());
    korvel::releaseFontLookup();
    return status;
}
