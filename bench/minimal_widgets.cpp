// The least a Qt Widgets program does to show a window: the application, one maximized main
// window with a menu bar, ended as soon as it has painted. bench/window-actions.sh sets the
// editor's start-up beside it. The window has the editor's own size before it is maximized, so
// that where nothing maximizes it (a bare X server) both programs still paint the same area.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

#include <cstdlib>

namespace {

/// The application, ending the process once the first paint of a window is done.
class FirstPaintApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool result = QApplication::notify(receiver, event);
        if (type == QEvent::Paint || type == QEvent::UpdateRequest || type == QEvent::Expose) {
            painted = true;
        }
        return result;
    }
    bool painted = false;
};

} // namespace

int main(int argc, char** argv) {
    FirstPaintApplication application(argc, argv);
    QMainWindow window;
    window.setGeometry(457, 163, 889, 529);
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.showMaximized();
    while (!application.painted) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::_Exit(0);
}
