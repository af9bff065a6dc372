#include "cli/commands.h"

#include "cli/commands/commandlist.h"
#include "cli/qtsession.h"
#include "cli/support.h"
#include "core/version.h"

#include <algorithm>
#include <array>
#include <new>

namespace korvel::cli {

std::span<const Command* const> allCommands() {
    static const std::array<const Command*, 9> kCommands{
        &infoCommand(),    &newFontCommand(),   &convertCommand(),
        &addCommand(),     &importCommand(),    &exportCommand(),
        &exportCCommand(), &listFontsCommand(), &listCodePagesCommand()};
    return kCommands;
}

namespace {

/// Writes each line of a usage text indented by two spaces.
void printIndented(std::ostream& stream, std::string_view usage) {
    while (!usage.empty()) {
        const std::size_t end = usage.find('\n');
        stream << "  " << usage.substr(0, end) << '\n';
        usage.remove_prefix(end == std::string_view::npos ? usage.size() : end + 1);
    }
}

void printUsage(std::ostream& stream) {
    stream << "Usage:\n";
    for (const Command* command : allCommands()) {
        printIndented(stream, command->usage);
    }
    printIndented(stream, "korvel-cli COMMAND --help");
    printIndented(stream, "korvel-cli --version");
}

void printCommandHelp(std::ostream& stream, const Command& command) {
    stream << "Usage:\n";
    printIndented(stream, command.usage);
    stream << command.summary << '\n';
}

/// Runs the command; running out of memory refuses it. Every command writes its output only at
/// the end, through a complete temporary file, so nothing has changed then.
[[nodiscard]] Result<void> runGuarded(Context& context, const Command& command,
                                      const ParsedOptions& options) {
    try {
        return command.run(context, options);
    } catch (const std::bad_alloc&) {
        const std::string subject = options.positional.empty() ? "" : options.positional[0];
        return refused(subject, "it does not fit in memory; nothing was changed");
    }
}

[[nodiscard]] int report(Context& context, const Error& failure, const Command* command) {
    context.err << "korvel-cli: " << failure.text() << '\n';
    const ExitStatus status = exitStatusOf(failure);
    if (status == kExitUsage) {
        if (command != nullptr) {
            printCommandHelp(context.err, *command);
        } else {
            printUsage(context.err);
        }
    }
    return status;
}

} // namespace

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal, const CodePage& defaultPage) {
    QtSession qt;
    Context context{out, err, qt, errIsTerminal, defaultPage};
    if (arguments.empty()) {
        return report(context, usageError("no command given"), nullptr);
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        printUsage(out);
        return kExitOk;
    }
    if (arguments[0] == "--version") {
        out << "korvel-cli " << kVersion << '\n';
        return kExitOk;
    }
    const auto known = allCommands();
    const auto found = std::find_if(known.begin(), known.end(),
                                    [&](const Command* c) { return c->name == arguments[0]; });
    if (found == known.end()) {
        return report(context, usageError("unknown command \"" + arguments[0] + "\""), nullptr);
    }
    const Command* command = *found;
    const auto options =
        parseOptions(std::span(arguments).subspan(1), command->valueOptions, command->flagOptions);
    if (!options) {
        return report(context, options.error(), command);
    }
    if (options.value().help) {
        printCommandHelp(out, *command);
        return kExitOk;
    }
    if (const Result<void> ran = runGuarded(context, *command, options.value()); !ran) {
        return report(context, ran.error(), command);
    }
    return kExitOk;
}

} // namespace korvel::cli
