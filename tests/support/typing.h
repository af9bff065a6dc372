#pragma once

#include <QAbstractSpinBox>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace korvel {

/// Makes a shown window the active one, so that focus moves inside it as for a user.
inline void activate(QWidget& window) {
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

/// Selects everything in a number box, types text and presses Tab to leave the box, as a user
/// would. The box's window must be active.
inline void typeAndTab(QAbstractSpinBox& box, const QString& text) {
    box.setFocus(Qt::MouseFocusReason);
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&box, text);
    QTest::keyClick(&box, Qt::Key_Tab);
    EXPECT_FALSE(box.hasFocus()) << "Tab did not leave the box";
}

} // namespace korvel
