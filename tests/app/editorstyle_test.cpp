#include "app/editorstyle.h"
#include "app/umain.h"
#include "support/scriptedprompter.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace korvel {
namespace {

/// Whether any of Qt's image-format plugins is loaded into this process.
[[nodiscard]] bool imagePluginLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

void expectSameIcon(const QIcon& ours, const QIcon& qts, const char* what) {
    for (const int size : {5, 8, 10, 16, 20, 24, 32}) {
        EXPECT_EQ(ours.pixmap(size, size).toImage(), qts.pixmap(size, size).toImage())
            << what << " at " << size;
    }
}

// The main window's tool bar takes its extension arrows from the editor's style, which reads
// Qt's own pictures as PNG: showing the window loads none of Qt's image plugins, and the arrows
// are Qt's, pixel for pixel, in either direction.
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
    const std::unique_ptr<QStyle> qt(QStyleFactory::create(style->baseStyle()->name()));
    ASSERT_NE(qt, nullptr);
    QStyleOption rightToLeft;
    rightToLeft.direction = Qt::RightToLeft;
    QStyleOption leftToRight;
    using Arrow = QStyle::StandardPixmap;
    for (const Arrow arrow :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        expectSameIcon(style->standardIcon(arrow, nullptr, nullptr),
                       qt->standardIcon(arrow, nullptr, nullptr), "no option");
        expectSameIcon(style->standardIcon(arrow, &leftToRight, nullptr),
                       qt->standardIcon(arrow, &leftToRight, nullptr), "left to right");
        expectSameIcon(style->standardIcon(arrow, &rightToLeft, nullptr),
                       qt->standardIcon(arrow, &rightToLeft, nullptr), "right to left");
    }
    // Every other icon is the base style's.
    expectSameIcon(style->standardIcon(QStyle::SP_DialogOkButton, nullptr, nullptr),
                   qt->standardIcon(QStyle::SP_DialogOkButton, nullptr, nullptr), "OK button");
}

} // namespace
} // namespace korvel
