#pragma once

namespace korvel {

/// Starts the editor: the application, the main window, then the setup, modify and preview
/// dialogs, and runs the message loop with the main window maximized. Returns the exit code.
int runEditor(int argc, char** argv);

} // namespace korvel
