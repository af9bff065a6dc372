#pragma once

#include "app/prompter.h"
#include "core/bitmaplibrary.h"
#include "core/cellshapes.h"
#include "core/colour.h"
#include "core/fontlibrary.h"
#include "core/picture.h"
#include "core/picturetransform.h"
#include "core/result.h"
#include "document/document.h"
#include "widgets/cellcanvas.h"
#include "widgets/stringgrid.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QScrollArea;
class QToolBar;
class QToolButton;

namespace korvel {

class LedPreview;
class LibraryExchange;
class TForm2;
class TForm3;
class TForm4;
class ImageImportDialog;

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

/// How the left button draws on the edit canvas. Pixel paints the cell under the pointer when
/// a button is released; the others work on whole gestures from press to release.
enum class EditTool { Pixel, Pencil, Line, Rectangle, FilledRectangle, Fill, PickColour };

/// The main window: owns the document, the library list, the edit canvas with the colour
/// buttons, the menus and the three dialogs, and turns the user's commands into document calls.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    /// Builds the window and its state; the window keeps the prompter for the whole run.
    explicit TForm1(std::unique_ptr<Prompter> prompter, QWidget* parent = nullptr);
    ~TForm1() override;

    /// Creates the setup dialog, the modify dialog and the preview window, in that order, those
    /// not made yet. Each is otherwise made when it is first shown, so the editor can start by
    /// painting its window and make them after.
    void createDialogs();
    /// The work the editor leaves until its window is on the screen: the dialogs, and the state
    /// of the paste items, for which the clipboard asks the program that holds it.
    void finishStart();

    // The document, through which the dialogs change the libraries, and the window's state.
    [[nodiscard]] Document& document() { return *document_; }
    [[nodiscard]] const FontLibrary& fontLibrary() const { return document_->fontLibrary(); }
    [[nodiscard]] const BitmapLibrary& bitmapLibrary() const { return document_->bitmapLibrary(); }
    [[nodiscard]] EditingMode editingMode() const { return document_->mode(); }
    void setEditingMode(EditingMode mode) { document_->setMode(mode); }
    /// Makes page the current code page, as its item of "Options", "Code Page" does.
    void setCodePage(const CodePage& page);
    /// The item of "Options", "Code Page" that chooses page.
    [[nodiscard]] QAction* codePageItem(const CodePage& page) const;
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
    /// The "Import" and "Export" menus' commands.
    [[nodiscard]] LibraryExchange& exchange() { return *exchange_; }
    /// The LED preview window; none until "LED Preview" first opens it.
    [[nodiscard]] LedPreview* ledPreview() const { return ledPreview_; }
    /// "View" > "LED Preview": shows the LED preview window, non-modal.
    void LedPreview1Click();

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
    /// Hides the canvas until a row is clicked, and the scroll bars of the picture it showed.
    void hideCanvas();
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

    // Edit menu and tools beyond the single-pixel painting.
    [[nodiscard]] EditTool tool() const { return tool_; }
    void setTool(EditTool tool);
    [[nodiscard]] QAction* toolAction(EditTool tool) const;
    /// The tool's button on the tool bar, after the colour buttons.
    [[nodiscard]] QToolButton* toolButton(EditTool tool) const;
    [[nodiscard]] QAction* transformAction(PictureTransform transform) const;
    /// The entries of the selected list rows (glyph codes or bitmap positions), ascending; the
    /// current row's entry when no row is selected.
    [[nodiscard]] std::vector<int> selectedEntries() const;
    void cutClick();
    void copyClick();
    void pasteClick();
    void pasteAsNewBitmapClick();
    void transformClick(PictureTransform transform);
    void selectAllClick();
    void zoomInClick();
    void zoomOutClick();
    /// The screen pixels per cell that Zoom In and Zoom Out step through.
    static constexpr std::array<int, 11> kZoomSizes{1, 2, 3, 4, 6, 8, 10, 12, 16, 24, 32};

    // Font library.
    /// Writes slots 0..count-1 to fileName; reports a failure in the error box and returns false.
    bool SaveProtolFile(int count, const QString& fileName);
    /// Replaces the font library by the file's; on failure reports it and changes nothing.
    bool OpenProtolFile(const QString& fileName);
    void N2Click();
    /// What "Open Library" does with the file the user picked.
    void openFontLibrary(const QString& fileName);
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
    /// What "Open Library" of the bitmap menu does with the file the user picked.
    void openBitmapLibrary(const QString& fileName);
    void NewBitampFile1Click();
    void SaveBitmapFile1Click();
    void AddBitmapFile1Click();
    void RemoveBitmap1Click();

    // Import.
    /// "Image into Entry...": asks for a picture file and opens the image import on the
    /// selected entry; nothing happens without one.
    void ImageIntoEntry1Click();
    /// The image import dialog, made on first use.
    [[nodiscard]] ImageImportDialog& imageImportDialog();
    /// The "Import" menu, made on first call, in its place among the menus.
    [[nodiscard]] QMenu* importMenu();
    /// Opens library files named at start or dropped on the window, each as "Open Library" of
    /// its kind: the last of each kind, the last file's kind last. A file of any other kind is
    /// reported in the error box.
    void openLibraryFiles(const QStringList& fileNames);

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
    QAction* ImageIntoEntry1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* CodePage1 = nullptr;
    QMenu* Import1 = nullptr;
    QMenu* Export1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* LedPreview1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* PasteAsNewBitmap1 = nullptr;
    QMenu* Transform1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QMenu* Tools1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void buildImportMenu();
    void buildOptionsMenu();
    /// Rewrites what the list shows through the code page: column 0 of the codes from 128 on,
    /// and the names of the bitmap rows that showed their entry's name in the page before.
    void codePageChanged(const CodePage& previous);
    /// Column 0 of an upper code's row: its character in a code page other than Windows-1252,
    /// empty in Windows-1252, where those rows show no character.
    [[nodiscard]] QString upperCodeCharacter(int code) const;
    /// "Import", "Export" and "View", after the specified menus.
    void buildExchangeMenus();
    void buildEditGroups();
    void buildToolsMenu();
    void buildZoomSteps(QMenu* zoomMenu);
    /// The Zoom menu item of a zoom size, or nullptr for the sizes only the zoom steps reach.
    [[nodiscard]] QAction* zoomItemOf(int zoom) const;
    /// Enables Paste and Paste as New Bitmap by the clipboard's content and the mode.
    void refreshPasteActions();
    /// Enables the items that act on entries (Cut, Copy, Transform, Select All, Image into
    /// Entry) while the library being edited has any.
    void refreshEntryActions();
    /// The library kind of the editing mode, for pictures.
    [[nodiscard]] PictureKind pictureKind() const;
    /// The picture of the current row's entry, blank in the entry's size when it has none.
    [[nodiscard]] std::optional<Picture> currentPicture() const;
    /// Presses the colour button of colour, releasing the others, and makes it current.
    void pressColourButton(PaletteColour colour);

    // Drawing gestures of the tools other than Pixel.
    void canvasPressed(int x, int y, Qt::MouseButton button);
    void canvasMoved(int x, int y);
    void canvasReleased(int x, int y, Qt::MouseButton button);
    /// The cell of a canvas position, also left of, above or beyond the picture.
    [[nodiscard]] CellPoint cellAt(int x, int y) const;
    /// Paints cells into the entry of the gesture and onto the canvas, as part of the gesture.
    void paintGestureCells(const std::vector<CellPoint>& cells);
    /// Shows cells in the gesture's colour on the canvas only, putting back the earlier preview.
    void previewCells(const std::vector<CellPoint>& cells);
    void dropShapePreview();
    [[nodiscard]] std::vector<CellPoint> shapeCells(CellPoint to) const;
    /// The picture of glyph or bitmap entry in the mode being edited.
    [[nodiscard]] const std::optional<Picture>& entryPicture(int entry) const;
    void fillRegionAt(CellPoint cell, Rgb colour);
    void pickColourAt(CellPoint cell);
    /// The canvas has just changed cell: forget its outline if the pointer's was there.
    void canvasCellChanged(CellPoint cell);
    void showFileError(const QString& text);
    void reportOpenFault(const QString& fileName, const QString& kind, const Error& fault);
    /// Reports a failed save, or a save that had to overwrite the file in place; returns whether
    /// the save succeeded.
    bool reportSaveFault(const QString& fileName, const Result<SaveMethod>& saved);
    /// The entry a list row stands for in the current mode: row r holds entry r - 1 while its
    /// column 2 names that entry (its code, or its name exactly as listed).
    [[nodiscard]] std::optional<int> entryOfRow(int row) const;
    /// Selects the current row alone, as the list shows the row that commands act on after its
    /// library is replaced; nothing when no data row is current.
    void highlightCurrentRow();
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
    EditTool tool_ = EditTool::Pixel;

    /// A drawing gesture from a button press to its release.
    struct Gesture {
        int entry = 0;
        int number = 0;
        Qt::MouseButton button = Qt::NoButton;
        Rgb colour = kBlack;
        CellPoint start;
        CellPoint last;
    };
    std::optional<Gesture> gesture_;
    int gestures_ = 0;
    /// Cells a shape preview covers, with the colours they showed before it.
    std::vector<std::pair<CellPoint, Rgb>> preview_;
    std::array<QAction*, 7> toolActions_{};
    std::array<QToolButton*, 7> toolButtons_{};
    QActionGroup* toolGroup_ = nullptr;
    std::vector<std::pair<PictureTransform, QAction*>> transformActions_;
    /// The layout the list was last given (advinit, or the bitmap layout).
    enum class ListLayout { None, Font, Bitmap };
    ListLayout listLayout_ = ListLayout::None;

    std::array<QToolButton*, 8> colourButtons_{};
    std::array<QLabel*, 6> statusPanels_{};
    QWidget* canvasHolder_ = nullptr;
    /// The dialogs, made on first need.
    [[nodiscard]] TForm2& setupDialog();
    [[nodiscard]] TForm3& modifyDialog();
    [[nodiscard]] TForm4& previewDialog();

    // The dialogs, owned by this window as their Qt parent.
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    ImageImportDialog* imageImport_ = nullptr;
    LibraryExchange* exchange_ = nullptr;
    LedPreview* ledPreview_ = nullptr;
};

} // namespace korvel
