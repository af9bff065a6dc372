#include "cli/commands.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return korvel::cli::runCli(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
