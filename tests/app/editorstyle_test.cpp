#include "app/editorstyle.h"
#include "app/umain.h"
#include "support/scriptedprompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvel {
namespace {

/// Whether any of Qt's image-format plugins is loaded into this process.
[[nodiscard]] bool imagePluginLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

/// Whether this Qt has any image-format plugin installed to load.
[[nodiscard]] bool imagePluginsInstalled() {
    const QDir folder(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                      QStringLiteral("/imageformats"));
    return !folder.entryList({QStringLiteral("*.so")}, QDir::Files).isEmpty();
}

void expectSameIcon(const QIcon& ours, const QIcon& qts, const std::string& what) {
    for (const qreal ratio : {1.0, 2.0}) {
        for (const int size : {5, 8, 10, 16, 20, 24, 32, 64}) {
            EXPECT_EQ(ours.pixmap(QSize(size, size), ratio).toImage(),
                      qts.pixmap(QSize(size, size), ratio).toImage())
                << what << " at " << size << ", ratio " << ratio;
        }
    }
}

// The main window's tool bar takes its extension arrows from the editor's style, which reads
// Qt's own pictures as PNG: showing the window loads none of Qt's image plugins, and the arrows
// are those of Qt's Fusion and Windows styles, pixel for pixel, in either direction.
TEST(EditorStyle, ToolBarArrowsAreQtsOwnAndLoadNoImagePlugin) {
    if (imagePluginLoaded()) {
        GTEST_SKIP() << "an earlier test in this process loaded the image plugins";
    }
    useEditorStyle();
    useEditorStyle();
    const auto* style = dynamic_cast<const EditorStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr) << "over " << QApplication::style()->name().toStdString();
    ASSERT_EQ(dynamic_cast<const EditorStyle*>(style->baseStyle()), nullptr) << "wrapped twice";
    {
        TForm1 window(std::make_unique<ScriptedPrompter>());
        window.resize(200, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const auto* more = window.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        ASSERT_NE(more, nullptr);
        EXPECT_TRUE(more->isVisible()) << "the tool bar does not fit 200 pixels";
        EXPECT_FALSE(more->icon().isNull());
        EXPECT_FALSE(imagePluginLoaded());
    }
    // Qt's own reading of the arrows loads the plugins, so it comes last.
    QStyleOption rightToLeft;
    rightToLeft.direction = Qt::RightToLeft;
    const QStyleOption leftToRight;
    for (const char* name : {"fusion", "windows"}) {
        const std::unique_ptr<QStyle> qt(QStyleFactory::create(QString::fromLatin1(name)));
        ASSERT_NE(qt, nullptr) << name;
        const EditorStyle ours(QStyleFactory::create(QString::fromLatin1(name)));
        for (const QStyle::StandardPixmap arrow : {QStyle::SP_ToolBarHorizontalExtensionButton,
                                                   QStyle::SP_ToolBarVerticalExtensionButton}) {
            const std::string what = std::string(name) + " arrow " + std::to_string(arrow);
            expectSameIcon(ours.standardIcon(arrow, &leftToRight, nullptr),
                           qt->standardIcon(arrow, &leftToRight, nullptr), what + ", ltr");
            expectSameIcon(ours.standardIcon(arrow, &rightToLeft, nullptr),
                           qt->standardIcon(arrow, &rightToLeft, nullptr), what + ", rtl");
            // Without an option, the direction is the application's (the menu bar's button).
            for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
                QGuiApplication::setLayoutDirection(direction);
                expectSameIcon(ours.standardIcon(arrow, nullptr, nullptr),
                               qt->standardIcon(arrow, nullptr, nullptr),
                               what + ", application " + std::to_string(direction));
            }
            QGuiApplication::setLayoutDirection(Qt::LeftToRight);
        }
        // Every other icon is the base style's.
        expectSameIcon(ours.standardIcon(QStyle::SP_DialogOkButton, nullptr, nullptr),
                       qt->standardIcon(QStyle::SP_DialogOkButton, nullptr, nullptr),
                       std::string(name) + " OK button");
    }
    if (imagePluginsInstalled()) {
        EXPECT_TRUE(imagePluginLoaded()) << "the check above could not have seen a plugin";
    }
}

} // namespace
} // namespace korvel
