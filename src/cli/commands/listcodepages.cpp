#include "cli/commands/commandlist.h"

#include "cli/support.h"
#include "core/codepage.h"

#include <iomanip>

namespace korvel::cli {

namespace {

constexpr std::string_view kListCodePagesUsage = "korvel-cli list-codepages";

/// Every name of the page after its canonical one, separated by commas.
[[nodiscard]] std::string otherNames(const CodePage& page) {
    std::string names;
    for (const std::string_view name : page.names().subspan(1)) {
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

[[nodiscard]] Result<void> runListCodePages(Context& context, const ParsedOptions& options) {
    if (!options.positional.empty()) {
        return usageError("list-codepages takes no words");
    }
    // One line a code page: its name, its script, the other names it goes by, and which one
    // commands use without --codepage.
    for (const CodePage& page : allCodePages()) {
        context.out << std::left << std::setw(14) << page.name() << std::setw(18) << page.script()
                    << "also " << otherNames(page)
                    << (page == context.defaultPage ? "  (the default here)" : "") << '\n';
    }
    return {};
}

} // namespace

const Command& listCodePagesCommand() {
    static const Command kCommand{
        "list-codepages",
        kListCodePagesUsage,
        "list the code pages --codepage NAME takes, any of their names in any letter case; without "
        "--codepage commands use the Windows code page of the locale's language (LC_ALL, LC_CTYPE "
        "or LANG), Windows-1252 in the C and POSIX locales",
        {},
        {},
        runListCodePages};
    return kCommand;
}

} // namespace korvel::cli
