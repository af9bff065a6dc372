#include "app/startup.h"

#include "app/umain.h"
#include "core/codepage.h"

#include <QApplication>

namespace korvel {

int runEditor(int argc, char** argv) {
    QApplication application(argc, argv);
    TForm1 mainWindow(std::make_unique<QtPrompter>());
    mainWindow.createDialogs();
    // The code page of the user's language, as Windows would choose it for its 8-bit texts.
    mainWindow.setCodePage(defaultCodePageForLocale(localeNameOfEnvironment()));
    mainWindow.showMaximized();
    return QApplication::exec();
}

} // namespace korvel
