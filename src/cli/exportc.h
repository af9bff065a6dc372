#pragma once

#include "commands.h"
#include "options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::cli {

inline constexpr std::string_view kExportCUsage =
    "korvel-cli export-c LIB.lcm -o OUT.h [--layout rows|pages] [--bit-order msb|lsb] "
    "[--ink 1|0]\n"
    "                    [--codes FIRST-LAST] [--name IDENT]\n"
    "korvel-cli export-c LIB.lcm -o OUT.h --format gfx [--baseline ROW] [--codes FIRST-LAST] "
    "[--name IDENT]\n"
    "korvel-cli export-c LIB.bcm -o OUT.h [--pixel rgb565|rgb111|planes] [--endian big|little]\n"
    "                    [--bit-order msb|lsb] [--ink 1|0] [--name IDENT]";

/// The options export-c takes, each with a value.
[[nodiscard]] const std::vector<std::string_view>& exportCValueOptions();

/// Why export-c stopped: refused input or a wrong command line, and the sentence to show.
struct ExportCFailure {
    ExitStatus status = kExitRefused;
    std::string message;
};

/// Writes a font or bitmap library as a C header (the "export-c" command). Returns nothing on
/// success; the output file is written whole or not at all.
[[nodiscard]] std::optional<ExportCFailure> runExportCommand(const ParsedOptions& options);

} // namespace korvel::cli
