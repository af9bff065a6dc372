#include "app/editorstyle.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyleOption>

#include <algorithm>
#include <utility>
#include <vector>

namespace korvel {

namespace {

/// Every size of one of the arrows Qt's built-in styles give a tool bar's extension button
/// (name-8.png, name-16.png, ...), as this Qt holds them; null when it holds none or one cannot
/// be read, so that the base style's arrow is used instead.
[[nodiscard]] QIcon builtInArrow(const QString& name) {
    const QDir folder(QStringLiteral(":/qt-project.org/styles/commonstyle/images"));
    const QRegularExpression sized(QStringLiteral("^%1-(\\d+)\\.png$").arg(name));
    std::vector<std::pair<int, QString>> found;
    for (const QString& file : folder.entryList({name + QStringLiteral("-*.png")}, QDir::Files)) {
        if (const QRegularExpressionMatch match = sized.match(file); match.hasMatch()) {
            found.emplace_back(match.captured(1).toInt(), folder.filePath(file));
        }
    }
    std::sort(found.begin(), found.end());
    QStringList files;
    for (const auto& [size, file] : found) {
        files << file;
    }
    QIcon icon = pngIcon(files);
    return icon.availableSizes().size() == files.size() ? icon : QIcon();
}

} // namespace

QIcon pngIcon(const QStringList& files) {
    QIcon icon;
    for (const QString& file : files) {
        QImageReader reader(file, "png");
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
    QIcon arrow;
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        const bool rightToLeft = option != nullptr ? option->direction == Qt::RightToLeft
                                                   : QGuiApplication::isRightToLeft();
        arrow = builtInArrow(rightToLeft ? QStringLiteral("toolbar-ext-h-rtl")
                                         : QStringLiteral("toolbar-ext-h"));
    } else if (icon == SP_ToolBarVerticalExtensionButton) {
        arrow = builtInArrow(QStringLiteral("toolbar-ext-v"));
    }
    return arrow.isNull() ? QProxyStyle::standardIcon(icon, option, widget) : arrow;
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
