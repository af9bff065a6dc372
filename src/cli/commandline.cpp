#include "cli/commandline.h"

#include "core/version.h"

#include <algorithm>
#include <new>

namespace korvel::cli {

namespace {

/// Writes each line of a usage text indented by two spaces.
void printIndented(std::ostream& stream, std::string_view usage) {
    while (!usage.empty()) {
        const std::size_t end = usage.find('\n');
        stream << "  " << usage.substr(0, end) << '\n';
        usage.remove_prefix(end == std::string_view::npos ? usage.size() : end + 1);
    }
}

void printUsage(std::ostream& stream, std::span<const Command* const> commands) {
    stream << "Usage:\n";
    for (const Command* command : commands) {
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

[[nodiscard]] int report(Context& context, const Error& failure, const Command* command,
                         std::span<const Command* const> commands) {
    context.err << "korvel-cli: " << failure.text() << '\n';
    const ExitStatus status = exitStatusOf(failure);
    if (status == kExitUsage) {
        if (command != nullptr) {
            printCommandHelp(context.err, *command);
        } else {
            printUsage(context.err, commands);
        }
    }
    return status;
}

[[nodiscard]] int runArguments(Context& context, const std::vector<std::string>& arguments,
                               std::span<const Command* const> commands) {
    if (arguments.empty()) {
        return report(context, usageError("no command given"), nullptr, commands);
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        printUsage(context.out, commands);
        return kExitOk;
    }
    if (arguments[0] == "--version") {
        context.out << "korvel-cli " << kVersion << '\n';
        return kExitOk;
    }
    const Command* command = findCommand(commands, arguments[0]);
    if (command == nullptr) {
        return report(context, usageError("unknown command \"" + arguments[0] + "\""), nullptr,
                      commands);
    }
    const auto options =
        parseOptions(std::span(arguments).subspan(1), command->valueOptions, command->flagOptions);
    if (!options) {
        return report(context, options.error(), command, commands);
    }
    if (options.value().help) {
        printCommandHelp(context.out, *command);
        return kExitOk;
    }
    if (const Result<void> ran = runGuarded(context, *command, options.value()); !ran) {
        return report(context, ran.error(), command, commands);
    }
    return kExitOk;
}

/// The status once the output is flushed: a run whose output could not all be written (a full
/// disk, a closed pipe or descriptor) has failed, whatever the command made of it.
[[nodiscard]] int withOutputWritten(Context& context, int status) {
    context.out.flush();
    if (context.out) {
        return status;
    }
    context.err << "korvel-cli: cannot write to standard output\n";
    return status == kExitOk ? static_cast<int>(kExitRefused) : status;
}

} // namespace

const Command* findCommand(std::span<const Command* const> commands, std::string_view name) {
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const Command* c) { return c->name == name; });
    return found == commands.end() ? nullptr : *found;
}

int runCommandLine(Context& context, const std::vector<std::string>& arguments,
                   std::span<const Command* const> commands) {
    return withOutputWritten(context, runArguments(context, arguments, commands));
}

} // namespace korvel::cli
