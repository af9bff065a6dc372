#include "app/uallpreview.h"
#include "app/umodify.h"
#include "app/usetup.h"
#include "support/windowfixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <string>
#include <vector>

namespace korvel {
namespace {

/// A description of every label and button under root whose text does not fit in it, measured
/// with the widget's own font: labels by the size they ask for, buttons by their text's advance
/// and line height plus what the style puts beside the text (margins, the radio indicator).
std::vector<std::string> clippedTexts(const QWidget& root) {
    std::vector<std::string> clipped;
    const auto check = [&](const QWidget& widget, const QString& text, QSize needed) {
        if (needed.width() > widget.width() || needed.height() > widget.height()) {
            clipped.push_back(text.toStdString() + " needs " + std::to_string(needed.width()) +
                              " x " + std::to_string(needed.height()) + ", has " +
                              std::to_string(widget.width()) + " x " +
                              std::to_string(widget.height()));
        }
    };
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->isVisibleTo(&root)) {
            check(*label, label->text(), label->minimumSizeHint());
        }
    }
    for (const QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || !button->isVisibleTo(&root)) {
            continue;
        }
        const QStyle& style = *button->style();
        const QFontMetrics metrics = button->fontMetrics();
        const int advance = metrics.horizontalAdvance(button->text());
        if (qobject_cast<const QPushButton*>(button) != nullptr) {
            const int margin = style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            check(*button, button->text(), {advance + 2 * margin, metrics.height()});
        } else { // a radio button: its round indicator, a gap, then the text
            const int indicator =
                style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                style.pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
            check(*button, button->text(), {indicator + advance, metrics.height()});
        }
    }
    return clipped;
}

TEST_F(WindowTest, TheMainWindowUsesEightPointTypeAndShowsEveryTextWhole) {
    EXPECT_EQ(window->font().pointSize(), 8);
    window->show();
    EXPECT_EQ(clippedTexts(*window), std::vector<std::string>{});
    // The widest texts the status panels take.
    window->setStatusPanelText(0, QStringLiteral("x:511"));
    window->setStatusPanelText(1, QStringLiteral("y:1023"));
    window->setStatusPanelText(2, QStringLiteral("mode:bitmap"));
    window->setStatusPanelText(3, QStringLiteral("R:255"));
    EXPECT_EQ(clippedTexts(*window), std::vector<std::string>{});
}

TEST_F(WindowTest, EveryDialogUsesTheWindowsTypeAndShowsEveryTextWhole) {
    TForm2& setup = *window->form2();
    for (const bool fontFace : {true, false}) {
        setup.fontpanel->setVisible(fontFace);
        setup.bitmapPanel->setVisible(!fontFace);
        setup.show();
        EXPECT_EQ(setup.font(), window->font());
        EXPECT_EQ(clippedTexts(setup), std::vector<std::string>{}) << "font face " << fontFace;
        setup.hide();
    }

    TForm3& modify = *window->form3();
    modify.show();
    EXPECT_EQ(modify.font(), window->font());
    EXPECT_EQ(clippedTexts(modify), std::vector<std::string>{});
    modify.hide();

    TForm4& preview = *window->form4();
    for (const bool allFont : {true, false}) {
        preview.Panelall->setVisible(allFont);
        preview.Panelsingal->setVisible(!allFont);
        preview.show();
        EXPECT_EQ(preview.font(), window->font());
        EXPECT_EQ(clippedTexts(preview), std::vector<std::string>{}) << "all font " << allFont;
        preview.hide();
    }
}

} // namespace
} // namespace korvel
