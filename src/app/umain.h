#pragma once

#include "app/prompter.h"
#include "core/bitmaplibrary.h"
#include "core/colour.h"
#include "core/fontlibrary.h"
#include "core/picture.h"
#include "core/result.h"
#include "document/document.h"
#include "widgets/cellcanvas.h"
#include "widgets/stringgrid.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QToolBar;
class QToolButton;

namespace korvel {

class TForm2;
class TForm3;
class TForm4;

/// A canvas position (left, top) in screen pixels.
struct CanvasPoint {
    int left = 0;
    int top = 0;
    friend bool operator==(const CanvasPoint&, const CanvasPoint&) = default;
};

/// A cell of the edit canvas.
struct CanvasCell {
    int row = 0;
    int column = 0;
};

/// The main window: owns the document, the library list, the edit canvas with the colour
/// buttons, the menus and the three dialogs, and turns the user's commands into document calls.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    /// Builds the window and its state; the window keeps the prompter for the whole run.
    explicit TForm1(std::unique_ptr<Prompter> prompter, QWidget* parent = nullptr);
    ~TForm1() override;

    /// Creates the setup dialog, the modify dialog and the preview window, in that order.
    void createDialogs();

    // The document, through which the dialogs change the libraries, and the window's state.
    [[nodiscard]] Document& document() { return *document_; }
    [[nodiscard]] const FontLibrary& fontLibrary() const { return document_->fontLibrary(); }
    [[nodiscard]] const BitmapLibrary& bitmapLibrary() const { return document_->bitmapLibrary(); }
    [[nodiscard]] EditingMode editingMode() const { return document_->mode(); }
    void setEditingMode(EditingMode mode) { document_->setMode(mode); }
    /// Appends a bitmap made in the setup dialog; its row is written, the canvas stays.
    void appendBitmap(bitmapInfoList entry);
    [[nodiscard]] int zoomSize() const { return zoom_; }
    [[nodiscard]] Rgb currentColour() const { return currentColour_; }
    [[nodiscard]] Rgb sampledColour() const { return sampledColour_; }
    [[nodiscard]] Rgb restoreColour() const { return restoreColour_; }
    [[nodiscard]] int viewWidth() const { return viewWidth_; }
    [[nodiscard]] int viewHeight() const { return viewHeight_; }
    [[nodiscard]] CanvasPoint highlightPosition() const { return highlight_; }
    [[nodiscard]] CanvasPoint pointerPosition() const { return pointer_; }
    [[nodiscard]] const Picture& workPicture() const { return workPicture_; }
    [[nodiscard]] Prompter& prompter() { return *prompter_; }
    [[nodiscard]] TForm2* form2() const { return form2_; }
    [[nodiscard]] TForm3* form3() const { return form3_; }
    [[nodiscard]] TForm4* form4() const { return form4_; }

    /// The text of status bar panel 0..5 ("x:", "y:", "mode:", "R:", "G:", "B:").
    [[nodiscard]] QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);
    /// Enables the colour buttons of a mode: "Red" and "Fuchia" for fonts, all for bitmaps.
    void enableColourButtons(EditingMode mode);
    /// Enters mode for a library the setup dialog is about to make or add to: sets the mode,
    /// its "mode:" panel and its colour buttons. Opening a file sets the mode and the buttons
    /// but leaves the panel's text as it was, and a failed open leaves the buttons too, so the
    /// chrome is set here and by the openers, not from every change of mode.
    void beginEditing(EditingMode mode);
    /// The colour button of a palette colour.
    [[nodiscard]] QToolButton* colourButton(PaletteColour colour) const;

    // Library list layouts and the list's click handlers.
    void advinit();
    void advinitbmp();
    /// The bitmap layout of the list with rows rows (header included), all empty, without
    /// touching the name index.
    void showBitmapLayout(int rows);
    void AdvStringGrid2Click();
    void AdvStringGrid2DblClick();

    // Pixel editor.
    void bmpopen(int width, int height, int zoom);
    [[nodiscard]] std::optional<CanvasCell> MouseToColor(int x, int y) const;
    void Image1MouseMove(int x, int y);
    void Image1MouseUp(int x, int y);
    void ToolButton7Click();
    void ToolButton8Click();
    void ToolButton10Click();
    void ToolButton11Click();
    void ToolButton18Click();
    void ToolButton19Click();
    void ToolButton20Click();
    void ToolButton1Click();

    // Font library.
    /// Writes slots 0..count-1 to fileName; reports a failure in the error box and returns false.
    bool SaveProtolFile(int count, const QString& fileName);
    /// Replaces the font library by the file's; on failure reports it and changes nothing.
    bool OpenProtolFile(const QString& fileName);
    void N2Click();
    void NewFontFile1Click();
    void N3Click();
    void AllFont1Click();
    void De1Click();
    void N8pixels2Click();
    void N10pixels2Click();
    void N14pixels1Click();

    // Bitmap library.
    /// Writes entries 0..count-1 to fileName; reports a failure in the error box.
    bool SaveBmpProtolFile(int count, const QString& fileName);
    /// Replaces the bitmap library by the file's; on failure reports it and changes nothing.
    bool OpenBmpProtolFile(const QString& fileName);
    void BitmapLibrary1Click();
    void OpenBitmapFile1Click();
    void NewBitampFile1Click();
    void SaveBitmapFile1Click();
    void AddBitmapFile1Click();
    void RemoveBitmap1Click();

    // Controls that the dialogs and tests reach by their designer names.
    StringGrid* AdvStringGrid2 = nullptr;
    CellCanvas* Image1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* N2 = nullptr;
    QAction* NewFontFile1 = nullptr;
    QAction* N3 = nullptr;
    QAction* AllFont1 = nullptr;
    QAction* De1 = nullptr;
    QAction* N8pixels2 = nullptr;
    QAction* N10pixels2 = nullptr;
    QAction* N14pixels1 = nullptr;
    QMenu* BitmapLibrary1 = nullptr;
    QAction* OpenBitmapFile1 = nullptr;
    QAction* NewBitampFile1 = nullptr;
    QAction* SaveBitmapFile1 = nullptr;
    QAction* AddBitmapFile1 = nullptr;
    QAction* RemoveBitmap1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildToolBar();
    void buildMenus();
    void buildCentralArea();
    void buildStatusBar();
    void colourButtonClick(PaletteColour colour);
    void setZoom(int zoom, QAction* item);
    void showSetupDialog(const QString& caption, bool fontFace);
    void showPreview(const QString& caption, bool allFont);
    void buildEditMenu();
    void showFileError(const QString& text);
    void reportOpenFault(const QString& fileName, const QString& kind, const Error& fault);
    /// Reports a failed save, or a save that had to overwrite the file in place; returns whether
    /// the save succeeded.
    bool reportSaveFault(const QString& fileName, const Result<SaveMethod>& saved);
    /// The entry a list row stands for in the current mode: row r holds entry r - 1 while its
    /// column 2 names that entry (its code, or its name exactly as listed).
    [[nodiscard]] std::optional<int> entryOfRow(int row) const;
    [[nodiscard]] bool fontLayoutShown() const { return listLayout_ == ListLayout::Font; }
    [[nodiscard]] bool bitmapLayoutShown() const { return listLayout_ == ListLayout::Bitmap; }
    /// Lets undo reach the edited library only while the list shows that library's layout.
    void refreshHistory();

    // The list rows and the canvas follow the document from here.
    void connectDocument();
    void fontLibraryReset(LibraryReset why);
    void glyphChanged(int code);
    void bitmapLibraryReset(LibraryReset why);
    void bitmapInserted(int position);
    void bitmapRemoved(int position);
    void bitmapChanged(int position);
    /// Writes the row of glyph code (columns 1 to 4): the one place the font rows are written.
    void writeGlyphRow(int code);
    /// Writes the row of bitmap entry position (columns 2 to 4): the one place bitmap rows are.
    void writeBitmapRow(int position);
    /// Re-shows the canvas after an undo or redo changed the entry of row.
    void refreshShownRow(int row);

    std::unique_ptr<Prompter> prompter_;
    std::unique_ptr<Document> document_;
    /// Set while the window makes an edit whose canvas it updates itself (paint, add).
    bool ownEdit_ = false;
    int viewHeight_ = 0;
    int viewWidth_ = 0;
    int cellHeight_ = 0;
    int cellWidth_ = 0;
    Picture workPicture_;
    CanvasPoint highlight_;
    CanvasPoint pointer_;
    Rgb sampledColour_ = kNoColour;
    Rgb restoreColour_ = kNoColour;
    Rgb currentColour_ = kBlack;
    int zoom_ = 8;
    /// The layout the list was last given (advinit, or the bitmap layout).
    enum class ListLayout { None, Font, Bitmap };
    ListLayout listLayout_ = ListLayout::None;

    std::array<QToolButton*, 8> colourButtons_{};
    std::array<QLabel*, 6> statusPanels_{};
    QWidget* canvasHolder_ = nullptr;
    // The dialogs, owned by this window as their Qt parent.
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
};

} // namespace korvel
