#include "app/startup.h"

#include "app/umain.h"

#include <QApplication>

namespace korvel {

int runEditor(int argc, char** argv) {
    QApplication application(argc, argv);
    TForm1 mainWindow(std::make_unique<QtPrompter>());
    mainWindow.createDialogs();
    mainWindow.showMaximized();
    return QApplication::exec();
}

} // namespace korvel
