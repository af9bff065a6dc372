#pragma once

#include "core/fontlibrary.h"
#include "document/glyphrender.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QSpinBox;

namespace korvel {

class TForm1;

/// The setup dialog: makes a new font library ("Font Setup") or one new bitmap ("Bitmap Setup")
/// and hands it to the main window's document.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window it writes into and its Qt parent.
    explicit TForm2(TForm1& main);

    /// Sets the caption and shows the font panel (fontFace) or the bitmap panel, before each
    /// showing; the fields keep the values of the last showing.
    void prepare(const QString& caption, bool fontFace);
    /// Empties the bitmap name field, so each "Add  Bitmap " starts without a name.
    void clearBitmapName();
    ~TForm2() override;

    /// "Add ": makes the library or the entry of the visible face.
    void Button1Click();
    /// "Cancel": closes the dialog without changing anything.
    void Button2Click();
    /// "System Font" chosen: its group becomes usable, the "User-Defined Font" group not.
    void RadioButton3Click();
    /// "User-Defined Font" chosen: the opposite of RadioButton3Click.
    void RadioButton4Click();
    // The font name, size and sample text all refresh the preview the same way.
    void tFontNameChange();
    void tFontsizeChange();
    void Edit1Change();
    /// Whether a character typed or pasted into the bitmap name is kept. In Windows-1252: only
    /// characters with a byte of at most 128. In any other code page, every character the page
    /// has: there the letters of its script lie above 128, and the page is chosen to write them.
    [[nodiscard]] static bool Edit2KeyPress(char32_t character,
                                            const CodePage& page = windows1252());

    // Controls the main window and tests reach by their designer names.
    QWidget* fontpanel = nullptr;
    QWidget* bitmapPanel = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* tFontName = nullptr;
    QSpinBox* tFontsize = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label_p = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QSpinBox* SpinEdit3 = nullptr;
    QSpinBox* SpinEdit4 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    void buildFontPanel();
    void buildPreviewPanel();
    void buildBitmapPanel();
    void buildButtons();
    void connectHandlers();
    void FormCreate();
    void getfont();
    void refreshPreview();
    void enableSystemFontGroup(bool systemFont);

    void addFontLibrary();
    /// Tells the user when the new glyphs are larger than a font library file holds.
    void warnIfUnsavable(const FontLibrary& library, int count);
    void addBitmap();

    /// What the preview's height was last computed for; the height needs every code rendered.
    struct PreviewKey {
        QString family;
        int points = 0;
        int count = 0;
        CodePage page;
        bool operator==(const PreviewKey&) const = default;
    };

    TForm1& main_;
    PreviewKey previewKey_;
    GlyphCell previewCell_;
};

} // namespace korvel
