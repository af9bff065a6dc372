#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QSpinBox;

namespace korvel {

class TForm1;

/// The setup dialog: makes a new font library ("Font Setup") or one new bitmap ("Bitmap Setup")
/// and writes the result straight into the main window.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window it writes into and its Qt parent.
    explicit TForm2(TForm1& main);
    ~TForm2() override;

    /// "Add ": makes the library or the entry of the visible face.
    void Button1Click();

    // Controls the main window and tests reach by their designer names.
    QWidget* fontpanel = nullptr;
    QWidget* bitmapPanel = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    TForm1& main_;
};

} // namespace korvel
