#pragma once

#include <QSpinBox>

namespace korvel {

/// A spin box that takes whatever is typed and brings it into range when editing ends (the box
/// loses focus or Enter is pressed): a number outside the range becomes the nearest bound, and
/// text that is not a number becomes the minimum.
class NumberBox : public QSpinBox {
    Q_OBJECT

public:
    explicit NumberBox(QWidget* parent = nullptr);

    /// The value typed text stands for in minimum..maximum: the nearest bound for a number
    /// outside it, however many digits it has; minimum for anything that is not a number.
    [[nodiscard]] static int clampedValue(const QString& text, int minimum, int maximum);

protected:
    /// Any text may stand while it is typed; only a number in range is final.
    QValidator::State validate(QString& input, int& pos) const override;
    /// Replaces the typed text by the number clampedValue gives.
    void fixup(QString& input) const override;
};

} // namespace korvel
