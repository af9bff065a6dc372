#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace korvel {

class TForm1;

/// The preview window: every glyph of the font library in a grid ("All Font Preview"), or a
/// typed text set with the glyphs and enlarged ("Defined Font Preview").
class TForm4 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window whose glyphs it shows.
    explicit TForm4(TForm1& main);
    ~TForm4() override;

    // Controls the main window and tests reach by their designer names.
    QWidget* Panelall = nullptr;
    QWidget* Panelsingal = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* Image1 = nullptr;

private:
    TForm1& main_;
};

} // namespace korvel
