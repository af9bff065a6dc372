#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace korvel {

class ExportCDialog;
class TForm1;

/// The "Import" and "Export" menus: libraries to and from the formats korvel-cli converts, each
/// through the functions korvel-cli uses, its refusals shown with korvel-cli's messages.
class LibraryExchange : public QObject {
    Q_OBJECT

public:
    explicit LibraryExchange(TForm1& main);
    ~LibraryExchange() override;

    /// Adds the items to the two menus (made by the main window in the menu bar's order).
    void fillImportMenu(QMenu& menu);
    void fillExportMenu(QMenu& menu);

    /// "Import" > "BDF Font…": opens a BDF font as the font library, as "Open Library" does.
    void importBdf();
    /// "Import" > "PNG Folder…": opens a PNG folder as the bitmap library.
    void importPngFolder();
    /// "Export" > "C Header…".
    void exportCHeader();
    /// "Export" > "BDF Font…" (font mode).
    void exportBdf();
    /// "Export" > "PNG Folder…" (bitmap mode).
    void exportPngFolder();

    [[nodiscard]] ExportCDialog& exportDialog();

    QAction* ImportBdf1 = nullptr;
    /// Checked: BDF glyphs are cut to the font's cell (korvel-cli convert --clip).
    QAction* ClipBdf1 = nullptr;
    QAction* ImportPngFolder1 = nullptr;
    QAction* ExportCHeader1 = nullptr;
    QAction* ExportBdf1 = nullptr;
    QAction* ExportPngFolder1 = nullptr;

private:
    void enableExportItems();

    TForm1& main_;
    ExportCDialog* dialog_ = nullptr;
};

} // namespace korvel
