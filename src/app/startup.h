#pragma once

#include <QStringList>

#include <optional>

class QTextStream;

namespace korvel {

/// What korvel's command line asks for.
struct EditorCommandLine {
    /// The library files to open once the editor has started.
    QStringList libraryFiles;
    /// Set when the command line has been answered instead (--help, --version or an error): the
    /// program ends with this status without showing a window.
    std::optional<int> exitCode;
};

/// Reads korvel's command line, as QCoreApplication::arguments() gives it (program name first,
/// Qt's own options already taken out). --help and --version write their text to out; a wrong
/// command line writes what is wrong, and how to get help, to err.
[[nodiscard]] EditorCommandLine readEditorCommandLine(const QStringList& arguments,
                                                      QTextStream& out, QTextStream& err);

/// Gives the application its name, organisation, version, desktop file name (which names the
/// installed menu entry to the desktop) and window icon.
void setApplicationIdentity();

/// Starts the editor: the application, the main window, then the setup, modify and preview
/// dialogs, and runs the message loop with the main window maximized; library files named on
/// the command line open from the loop. Returns the exit code.
int runEditor(int argc, char** argv);

} // namespace korvel
