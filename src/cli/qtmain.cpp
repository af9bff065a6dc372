#include "cli/commands.h"
#include "core/codepage.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    // The code page of the user's language, as Windows would choose it for its 8-bit texts.
    const korvel::CodePage page =
        korvel::defaultCodePageForLocale(korvel::localeNameOfEnvironment());
    return korvel::cli::runCli(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, page);
}
