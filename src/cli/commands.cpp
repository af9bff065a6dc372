#include "cli/commands.h"

#include "cli/commandline.h"
#include "cli/commands/commandlist.h"
#include "cli/qtfontdrawing.h"
#include "cli/qtsession.h"

#include <array>

namespace korvel::cli {

std::span<const Command* const> allCommands() {
    static const std::array<const Command*, 9> kCommands{
        &infoCommand(),    &newFontCommand(),   &convertCommand(),
        &addCommand(),     &importCommand(),    &exportCommand(),
        &exportCCommand(), &listFontsCommand(), &listCodePagesCommand()};
    return kCommands;
}

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal, const CodePage& defaultPage) {
    QtSession qt;
    QtSessionFonts fonts(qt);
    Context context{out, err, &qt, errIsTerminal, defaultPage, &fonts};
    return runCommandLine(context, arguments, allCommands());
}

} // namespace korvel::cli
