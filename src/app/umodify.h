#pragma once

#include "picture.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace korvel {

class CellCanvas;
class TForm1;

/// The modify dialog: changes the size and picture of one glyph or bitmap entry, imports and
/// exports BMP files, and writes the result back into the main window's library on "Modify".
class TForm3 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window it works on and its Qt parent.
    explicit TForm3(TForm1& main);
    ~TForm3() override;

    // The dialog's state, filled by the main window before each showing.
    int selectedIndex = 0;
    int startingWidth = 0;
    int startingHeight = 0;
    bool replaced = false;

    // Controls the main window and tests reach by their designer names.
    QSpinBox* SpinEdit3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    CellCanvas* Image1 = nullptr;

private:
    TForm1& main_;
};

} // namespace korvel
