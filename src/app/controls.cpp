#include "app/controls.h"

namespace korvel {

QComboBox* namedComboBox(const char* name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

QSpinBox* namedSpinBox(const char* name, int minimum, int maximum, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

} // namespace korvel
