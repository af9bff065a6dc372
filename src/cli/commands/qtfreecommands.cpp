#include "cli/commands/commandlist.h"

#include <array>

namespace korvel::cli {

std::span<const Command* const> qtFreeCommands() {
    static const std::array<const Command*, 6> kCommands{
        &infoCommand(),   &newFontCommand(), &convertCommand(),
        &exportCommand(), &exportCCommand(), &listCodePagesCommand()};
    return kCommands;
}

} // namespace korvel::cli
