#include "app/editorstyle.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>
#include <QStyleOption>

#include <initializer_list>

namespace korvel {

namespace {

/// The arrow pictures Qt's built-in styles give a tool bar's extension button.
[[nodiscard]] QIcon builtInArrow(const char* name, std::initializer_list<int> sizes) {
    QStringList files;
    for (const int size : sizes) {
        files << QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                     .arg(QLatin1String(name))
                     .arg(size);
    }
    return pngIcon(files);
}

} // namespace

QIcon pngIcon(const QStringList& files) {
    QIcon icon;
    for (const QString& file : files) {
        QImageReader reader(file, "png");
        // Told the format and not to guess, the reader goes straight to Qt's PNG reader.
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

EditorStyle::EditorStyle(QStyle* base) : QProxyStyle(base) {}

QIcon EditorStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        const bool rightToLeft = option != nullptr ? option->direction == Qt::RightToLeft
                                                   : QGuiApplication::isRightToLeft();
        return rightToLeft ? builtInArrow("toolbar-ext-h-rtl", {8, 16, 32})
                           : builtInArrow("toolbar-ext-h", {8, 16, 32});
    }
    if (icon == SP_ToolBarVerticalExtensionButton) {
        return builtInArrow("toolbar-ext-v", {5, 10, 20});
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void useEditorStyle() {
    QStyle* style = QApplication::style();
    if (dynamic_cast<EditorStyle*>(style) != nullptr) {
        return;
    }
    const QString name = style->name().toLower();
    if (name == QLatin1String("fusion") || name == QLatin1String("windows")) {
        QApplication::setStyle(new EditorStyle(style));
    }
}

} // namespace korvel
