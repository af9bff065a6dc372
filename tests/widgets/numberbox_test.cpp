#include "widgets/numberbox.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>

namespace korvel {
namespace {

/// A number box beside a line edit in a shown, active window, typed into as a user would.
class NumberBoxTest : public testing::Test {
protected:
    NumberBoxTest() {
        auto* layout = new QHBoxLayout(&window);
        box = new NumberBox(&window);
        next = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(next);
        box->setRange(0, 250);
        box->setValue(17);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    /// Selects the box's text, types text and presses key (Tab leaves the box, Enter does not).
    void type(const QString& text, Qt::Key key = Qt::Key_Tab) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, key);
    }

    QWidget window;
    NumberBox* box = nullptr;
    QLineEdit* next = nullptr;
};

TEST_F(NumberBoxTest, TypedNumbersOutsideTheRangeBecomeTheNearestBoundWhenFocusLeaves) {
    QSignalSpy changes(box, &QSpinBox::valueChanged);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("300"));
    EXPECT_EQ(box->text(), "300") << "the third digit is kept while typing";
    EXPECT_EQ(box->value(), 30);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus());
    EXPECT_EQ(box->value(), 250);
    EXPECT_EQ(box->text(), "250");
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toInt(), 250);

    type(QStringLiteral("-7"));
    EXPECT_EQ(box->value(), 0);
    type(QStringLiteral("99999999999999999999999"));
    EXPECT_EQ(box->value(), 250);
    type(QStringLiteral("120"));
    EXPECT_EQ(box->value(), 120);
    type(QStringLiteral("1000"), Qt::Key_Return);
    EXPECT_EQ(box->value(), 250) << "Enter ends the editing too";
}

TEST_F(NumberBoxTest, TextThatIsNotANumberBecomesTheMinimum) {
    box->setRange(4, 1024);
    box->setValue(16);
    type(QStringLiteral("abc"));
    EXPECT_EQ(box->value(), 4);
    EXPECT_EQ(box->text(), "4");
    type(QString());
    EXPECT_EQ(box->value(), 4);
    type(QStringLiteral("5000"));
    EXPECT_EQ(box->value(), 1024);
}

TEST(NumberBox, ClampedValueReadsSignsSpacesAndHugeNumbers) {
    EXPECT_EQ(NumberBox::clampedValue(" 42 ", 0, 250), 42);
    EXPECT_EQ(NumberBox::clampedValue("+9", 1, 576), 9);
    EXPECT_EQ(NumberBox::clampedValue("-99999999999999999999", -5, 5), -5);
    EXPECT_EQ(NumberBox::clampedValue("99999999999999999999", -5, 5), 5);
    EXPECT_EQ(NumberBox::clampedValue("12a", 1, 250), 1);
    EXPECT_EQ(NumberBox::clampedValue("\u0663", 1, 250), 1) << "only ASCII digits make a number";
    EXPECT_EQ(NumberBox::clampedValue("2147483648", INT_MIN, INT_MAX), INT_MAX);
}

} // namespace
} // namespace korvel
