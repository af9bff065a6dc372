#pragma once

// Controls of the editor's own windows made in one call, named for the tests that find them.

#include <QComboBox>
#include <QSpinBox>
#include <QStringList>

namespace korvel {

/// A combo box named name, holding items, the first chosen.
[[nodiscard]] QComboBox* namedComboBox(const char* name, const QStringList& items, QWidget* parent);

/// A spin box named name, from minimum to maximum, showing value.
[[nodiscard]] QSpinBox* namedSpinBox(const char* name, int minimum, int maximum, int value,
                                     QWidget* parent);

} // namespace korvel
