#include "widgets/numberbox.h"

#include <QRegularExpression>

#include <algorithm>

namespace korvel {

NumberBox::NumberBox(QWidget* parent) : QSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int NumberBox::clampedValue(const QString& text, int minimum, int maximum) {
    static const QRegularExpression kInteger(QStringLiteral(R"(^\s*([+-]?)([0-9]+)\s*$)"));
    const QRegularExpressionMatch match = kInteger.match(text);
    if (!match.hasMatch()) {
        return minimum;
    }
    const bool negative = match.captured(1) == QStringLiteral("-");
    bool fits = false;
    const qlonglong magnitude = match.captured(2).toLongLong(&fits);
    if (!fits) { // more digits than any bound: the bound on its side
        return negative ? minimum : maximum;
    }
    const qlonglong value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<qlonglong>(value, minimum, maximum));
}

QValidator::State NumberBox::validate(QString& input, int& pos) const {
    return QSpinBox::validate(input, pos) == QValidator::Acceptable ? QValidator::Acceptable
                                                                    : QValidator::Intermediate;
}

void NumberBox::fixup(QString& input) const {
    input = textFromValue(clampedValue(input, minimum(), maximum()));
}

} // namespace korvel
