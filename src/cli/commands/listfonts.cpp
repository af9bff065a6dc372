#include "cli/commands/commandlist.h"

#include "cli/qtsession.h"
#include "cli/support.h"
#include "document/libraryfactory.h"

#include <QString>

namespace korvel::cli {

namespace {

constexpr std::string_view kListFontsUsage = "korvel-cli list-fonts";

[[nodiscard]] Result<void> runListFonts(Context& context, const ParsedOptions& options) {
    if (!options.positional.empty()) {
        return usageError("list-fonts takes no words");
    }
    context.qt->ensureStarted();
    for (const QString& family : installedFamilies()) {
        context.out << family.toStdString() << '\n';
    }
    return {};
}

} // namespace

const Command& listFontsCommand() {
    static const Command kCommand{"list-fonts",
                                  kListFontsUsage,
                                  "list the installed font families that new-font --family accepts",
                                  {},
                                  {},
                                  runListFonts};
    return kCommand;
}

} // namespace korvel::cli
