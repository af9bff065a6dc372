#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QApplication;
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

/// Gives the application its name, organisation, version and desktop file name (which names the
/// installed menu entry to the desktop).
void setApplicationIdentity();

/// Makes the editor's application with make, as the editor starts: fontconfig loads on a thread
/// of its own while make runs (Qt loading its platform plugin and connecting to the display) and
/// is joined before anything can look fonts up; the application then gets the editor's identity
/// and style (useEditorStyle).
[[nodiscard]] std::unique_ptr<QApplication>
makeEditorApplication(const std::function<std::unique_ptr<QApplication>()>& make);

/// Gives the application its window icon, in every size built in.
void setApplicationIcon();

class Prompter;
class TForm1;

/// The editor's main window as it starts, and the work that waits for its first paint.
struct StartedEditor {
    std::unique_ptr<TForm1> window;
    /// Makes the window icon and the dialogs, and reads the clipboard's state, once the window
    /// has painted; kept with the window.
    std::unique_ptr<QObject> afterFirstPaint;
};

/// Shows the main window as the editor starts it, within a running application: the locale's
/// code page, maximized; the window icon, the dialogs and the paste items' state follow its
/// first paint.
[[nodiscard]] StartedEditor showEditorWindow(std::unique_ptr<Prompter> prompter);

/// Starts the editor: the application and the main window, shown maximized, and once it has
/// painted the window icon, the setup, modify and preview dialogs and the paste items' state;
/// runs the message loop, from which library files named on the command line open. Returns the
/// exit code.
int runEditor(int argc, char** argv);

} // namespace korvel
