#pragma once

#include "core/picture.h"
#include "document/document.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;
class QScrollArea;
class QShowEvent;
class QSpinBox;

namespace korvel {

class CellCanvas;
class TForm1;

/// The modify dialog: changes the size and picture of one glyph or bitmap entry, imports and
/// exports BMP files, and hands the result to the main window's document on "Modify".
class TForm3 : public QDialog {
    Q_OBJECT

public:
    /// Created once at start-up, hidden; main is the window it works on and its Qt parent.
    explicit TForm3(TForm1& main);
    ~TForm3() override;

    /// What the main window hands over before each showing: the entry of the row double-clicked.
    struct Target {
        bool fontMode = false;
        QString name;     ///< the bitmap's name as listed; empty for a glyph
        int selected = 0; ///< the glyph code or the bitmap's position (-1 for none)
        int width = 0;
        int height = 0;
    };
    /// Sets the caption, the fields and the state for target, with no picture shown yet.
    void prepare(const Target& target);

    // The dialog's state, set by prepare and changed by the dialog's own controls.
    int selectedIndex = 0;
    int startingWidth = 0;
    int startingHeight = 0;
    bool replaced = false;

    /// The picture being prepared, in full colour; Modify and export write it.
    [[nodiscard]] const Picture& pendingPicture() const { return pending_; }

    /// Rebuilds the pending picture from the entry (unless replaced) and the enlarged view.
    void makegrid(int width, int height);
    void SpinEdit1Change(int value);
    void SpinEdit2Change(int value);
    void Button1Click(); // Modify
    void Button2Click(); // Cancel
    void Button3Click(); // BMP File Import
    void Button4Click(); // Clear
    void Button5Click(); // Reset
    void Button6Click(); // BMP File Export

    // Controls the main window and tests reach by their designer names.
    QSpinBox* SpinEdit3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    CellCanvas* Image1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Reads and decodes a BMP file into the pending picture, or shows why it cannot.
    void importBmp(const QString& fileName);
    /// The size and picture of the entry at the selected index, in the current mode.
    struct EntryFields {
        std::int32_t width;
        std::int32_t height;
        const std::optional<Picture>& picture;
    };

    void FormCreate();
    void FormShow();
    void buildControls();
    void connectHandlers();
    [[nodiscard]] bool fontMode() const;
    [[nodiscard]] std::optional<EntryFields> selectedEntry() const;
    [[nodiscard]] bool selectedRowExists() const;
    /// The size in the number boxes with the pending picture cut or padded to it.
    [[nodiscard]] EntryShape modifiedShape() const;

    TForm1& main_;
    Picture pending_;
};

} // namespace korvel
