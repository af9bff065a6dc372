#include "cli/qtsession.h"

#include <cstdio>

namespace korvel::cli {

namespace {

// The application keeps argc and argv for its whole life, so they live as long as the process.
char programName[] = "korvel-cli";
char platformOption[] = "-platform";
char offscreenPlatform[] = "offscreen";
char* offscreenArguments[] = {programName, platformOption, offscreenPlatform, nullptr};
int offscreenArgumentCount = 3;

/// Passes on only Qt's serious messages: its notes about the session (a missing runtime folder
/// and the like) are no concern of someone running the tool.
void seriousMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "korvel-cli: %s\n", qPrintable(message));
    }
}

} // namespace

QtSession::QtSession() = default;
QtSession::~QtSession() = default;

void QtSession::ensureStarted() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    qInstallMessageHandler(seriousMessagesOnly);
    // The platform comes from these arguments alone, which outrank QT_QPA_PLATFORM.
    application_ = std::make_unique<QGuiApplication>(offscreenArgumentCount, offscreenArguments);
}

} // namespace korvel::cli
