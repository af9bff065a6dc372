#include "support/windowfixture.h"

#include "app/umodify.h"
#include "app/usetup.h"
#include "formats/bcm.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>

namespace korvel {
namespace {

/// Undo and Redo of the Edit menu, and entries identified by their row, through the window.
class EditMenuTest : public WindowTest {
protected:
    /// Opens a bitmap library of named entries made from rows of text.
    void openNamed(const std::vector<std::pair<std::string, std::vector<std::string>>>& entries) {
        writeBytes(path("named.bcm"), bitmapFile(entries));
        openBitmaps(path("named.bcm"));
    }
    /// Paints the cell (x, y) of row's entry in the current colour, at zoom 8.
    void paint(int row, int x, int y) {
        clickRow(row);
        window->Image1MouseUp(x * 8 + 3, y * 8 + 3);
    }
    void deleteRow(int row) {
        window->AdvStringGrid2->setCurrentGridRow(row);
        prompter->answers.push_back(true);
        window->RemoveBitmap1->trigger();
    }
    /// Double-clicks row and presses "Modify" with a cleared picture of width x height.
    void modifyRow(int row, int width, int height) {
        window->AdvStringGrid2->setCurrentGridRow(row);
        prompter->answers.push_back(true);
        prompter->modals.push_back([width, height](QDialog& dialog) {
            auto& modify = static_cast<TForm3&>(dialog);
            modify.SpinEdit1->setValue(width);
            modify.SpinEdit2->setValue(height);
            modify.Button4->click(); // Clear
            modify.Button1->click(); // Modify
        });
        window->AdvStringGrid2DblClick();
    }
    void addBitmap(const QString& name, int width, int height) {
        prompter->modals.push_back([name, width, height](QDialog& dialog) {
            auto& setup = static_cast<TForm2&>(dialog);
            setup.Edit2->setText(name);
            setup.SpinEdit3->setValue(width);
            setup.SpinEdit4->setValue(height);
            setup.Button1->click();
        });
        window->AddBitmapFile1Click();
    }
    /// Column 2 to 4 of every data row, "name width height".
    [[nodiscard]] QStringList rows() const {
        QStringList list;
        const StringGrid& grid = *window->AdvStringGrid2;
        for (int row = 1; row < grid.rows(); ++row) {
            list << grid.cell(2, row) + " " + grid.cell(3, row) + " " + grid.cell(4, row);
        }
        return list;
    }
    [[nodiscard]] std::vector<std::uint8_t> libraryBytes() const {
        const BitmapLibrary& library = window->bitmapLibrary();
        return encodeBcm(library.entries, library.count()).value();
    }
    [[nodiscard]] std::vector<std::string> entryText(int position) const {
        return pictureToText(
            *window->bitmapLibrary().entries[static_cast<std::size_t>(position)].picture);
    }
};

TEST_F(EditMenuTest, EditMenuFollowsItsFirstThreeNeighboursWithUndoAndRedo) {
    const QList<QAction*> menus = window->menuBar()->actions();
    // The menus added after the specified ones follow Edit.
    ASSERT_GE(menus.size(), 4);
    EXPECT_EQ(menus[3]->menu(), window->Edit1);
    EXPECT_EQ(window->Edit1->actions().mid(0, 2), (QList<QAction*>{window->Undo1, window->Redo1}));
    EXPECT_EQ(window->Undo1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(window->Redo1->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    for (int k = 0; k < 3; ++k) {
        for (QAction* item : menus[k]->menu()->actions()) {
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
        }
    }
    EXPECT_FALSE(window->Undo1->isEnabled());
    EXPECT_FALSE(window->Redo1->isEnabled());
    EXPECT_EQ(window->Undo1->text(), "Undo");
}

TEST_F(EditMenuTest, UndoOfAPaintRestoresThePixelAndTheCanvas) {
    openNamed({{"P", {"RR", "RR"}}});
    const std::vector<std::uint8_t> opened = libraryBytes();
    window->ToolButton18Click(); // Blue
    paint(1, 1, 0);
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"#B", "##"}));
    ASSERT_TRUE(window->Undo1->isEnabled());
    EXPECT_EQ(window->Undo1->text(), "Undo Paint");

    window->Undo1->trigger();
    EXPECT_EQ(libraryBytes(), opened);
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"##", "##"}));
    EXPECT_EQ(window->Image1->pixelAt(8 + 3, 3), kRed) << "the canvas shows the undone pixel";
    EXPECT_EQ(window->Redo1->text(), "Redo Paint");

    window->Redo1->trigger();
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"#B", "##"}));
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"#B", "##"}));
}

TEST_F(EditMenuTest, UndoOfADeleteBringsTheBitmapBackAtItsRow) {
    openNamed({{"P", {"RR"}}, {"Q", {"GGG", "GGG"}}, {"R", {"B"}}});
    const std::vector<std::uint8_t> opened = libraryBytes();
    const QStringList listed = rows();
    deleteRow(2);
    EXPECT_EQ(rows(), QStringList({"P 2 1", "R 1 1"}));
    EXPECT_EQ(window->Undo1->text(), "Undo Delete Bitmap");

    window->Undo1->trigger();
    EXPECT_EQ(rows(), listed);
    EXPECT_EQ(libraryBytes(), opened);
    EXPECT_EQ(window->bitmapLibrary().index.find("R"), 2);
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 3) << "the shown entry keeps its row";
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"B"}));

    window->Redo1->trigger();
    EXPECT_EQ(rows(), QStringList({"P 2 1", "R 1 1"}));
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 2);
}

TEST_F(EditMenuTest, UndoOfDeletingTheLastBitmapRefillsTheEmptyList) {
    openNamed({{"P", {"RR"}}});
    deleteRow(1);
    EXPECT_EQ(rows(), QStringList({"  "}));
    EXPECT_TRUE(window->Image1->isHidden());
    window->Undo1->trigger();
    EXPECT_EQ(rows(), QStringList({"P 2 1"}));
    EXPECT_FALSE(window->Image1->isHidden()) << "row 1 is current and holds the entry again";
}

TEST_F(EditMenuTest, ItemsThatActOnEntriesWaitForALibraryThatHasSome) {
    const auto enabled = [this] {
        std::vector<bool> states;
        for (const QAction* action : {window->Cut1, window->Copy1, window->SelectAll1,
                                      window->Transform1->menuAction(), window->ImageIntoEntry1}) {
            states.push_back(action->isEnabled());
        }
        return states;
    };
    const std::vector<bool> none(5, false);
    const std::vector<bool> all(5, true);
    EXPECT_EQ(enabled(), none) << "no library at start";
    openNamed({{"P", {"RR"}}});
    EXPECT_EQ(enabled(), all);
    deleteRow(1);
    EXPECT_EQ(enabled(), none) << "the last bitmap deleted";
    window->Undo1->trigger();
    EXPECT_EQ(enabled(), all);
    writeBytes(path("font.lcm"), fontFile({{"#"}}));
    openFont(path("font.lcm"));
    EXPECT_EQ(enabled(), all) << "the font library, now edited, has a glyph";
}

TEST_F(EditMenuTest, UndoOfAModifyRestoresSizeRowAndCanvas) {
    openNamed({{"P", {"RR"}}, {"Q", {"GGG", "GGG"}}});
    const std::vector<std::uint8_t> opened = libraryBytes();
    modifyRow(2, 5, 1);
    EXPECT_EQ(rows(), QStringList({"P 2 1", "Q 5 1"}));
    EXPECT_EQ(window->Undo1->text(), "Undo Modify");

    window->Undo1->trigger();
    EXPECT_EQ(rows(), QStringList({"P 2 1", "Q 3 2"}));
    EXPECT_EQ(libraryBytes(), opened);
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"GGG", "GGG"}));
}

TEST_F(EditMenuTest, UndoOfAddsEndsWithTheEmptyNewLibrary) {
    prompter->answers.push_back(true);
    prompter->modals.push_back([](QDialog& dialog) {
        auto& setup = static_cast<TForm2&>(dialog);
        setup.Edit2->setText("P");
        setup.Button1->click();
    });
    window->NewBitampFile1->trigger();
    addBitmap("Q", 4, 5);
    EXPECT_EQ(rows(), QStringList({"P 16 16", "Q 4 5"}));

    window->Undo1->trigger();
    EXPECT_EQ(rows(), QStringList({"P 16 16"}));
    EXPECT_EQ(window->Undo1->text(), "Undo Add Bitmap");
    window->Undo1->trigger();
    EXPECT_EQ(rows(), QStringList({"  "}));
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
    EXPECT_FALSE(window->Undo1->isEnabled()) << "the new library starts the history";

    window->Redo1->trigger();
    window->Redo1->trigger();
    EXPECT_EQ(rows(), QStringList({"P 16 16", "Q 4 5"}));
    EXPECT_EQ(window->bitmapLibrary().index.find("q"), 1);
}

TEST_F(EditMenuTest, UndoNeverReachesTheLibraryThatIsNotShown) {
    openNamed({{"P", {"RR"}}});
    paint(1, 0, 0);
    ASSERT_TRUE(window->Undo1->isEnabled());

    // "New Library" of the font menu, cancelled: the list shows the font layout, the mode stays.
    prompter->answers.push_back(true);
    prompter->modals.push_back([](QDialog& dialog) { dialog.reject(); });
    window->NewFontFile1->trigger();
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    EXPECT_FALSE(window->Undo1->isEnabled());

    writeBytes(path("font.lcm"), fontFile({{"#"}}));
    openFont(path("font.lcm"));
    EXPECT_FALSE(window->Undo1->isEnabled()) << "an opened font starts its own history";
    window->ToolButton7Click(); // Red
    paint(1, 0, 0);
    EXPECT_EQ(window->Undo1->text(), "Undo Paint");
    window->Undo1->trigger();
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[0].picture),
              (std::vector<std::string>{"#"}));
    EXPECT_EQ(entryText(0), (std::vector<std::string>{".#"})) << "the bitmap paint stays";
}

TEST_F(EditMenuTest, UndoRewritesOnlyRowsThatStillShowTheirGlyph) {
    writeBytes(path("font.lcm"), fontFile({{"#."}, {".#"}}));
    openFont(path("font.lcm"));
    window->ToolButton7Click(); // Red
    modifyRow(2, 3, 2);
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "3");
    window->Undo1->trigger();
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "2") << "the row shows the glyph again";
    window->Redo1->trigger();

    // "New Library" cancelled: the list is emptied, the font library stays and so does its
    // history, but an undo no longer writes into the emptied rows.
    prompter->answers.push_back(true);
    prompter->modals.push_back([](QDialog& dialog) { dialog.reject(); });
    window->NewFontFile1->trigger();
    ASSERT_TRUE(window->Undo1->isEnabled());
    window->Undo1->trigger();
    EXPECT_EQ(window->fontLibrary().glyphs[1].width, 2);
    EXPECT_TRUE(window->AdvStringGrid2->cell(2, 2).isEmpty());
    EXPECT_TRUE(window->AdvStringGrid2->cell(3, 2).isEmpty());
}

// A library may hold repeated names and names that differ only in letter case; every command
// acts on the row the user chose.
TEST_F(EditMenuTest, RepeatedNamesArePaintedModifiedAndDeletedByRow) {
    openNamed({{"LOGO", {"RRRR"}}, {"logo", {"G"}}, {"LOGO", {"BB", "BB"}}});
    window->ToolButton20Click(); // White
    paint(3, 1, 1);
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"####"}));
    EXPECT_EQ(entryText(2), (std::vector<std::string>{"BB", "BW"}));

    modifyRow(3, 3, 1);
    EXPECT_EQ(rows(), QStringList({"LOGO 4 1", "logo 1 1", "LOGO 3 1"}));
    EXPECT_EQ(window->bitmapLibrary().entries[0].width, 4);
    EXPECT_EQ(window->bitmapLibrary().entries[2].width, 3);

    deleteRow(2);
    EXPECT_EQ(rows(), QStringList({"LOGO 4 1", "LOGO 3 1"}));
    ASSERT_EQ(window->bitmapLibrary().count(), 2);
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"####"}));
    EXPECT_EQ(entryText(1), (std::vector<std::string>{
                                "...",
                            }));
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"..."}))
        << "the canvas shows the entry now in row 2";

    deleteRow(2);
    EXPECT_EQ(rows(), QStringList({"LOGO 4 1"}));
    EXPECT_EQ(entryText(0), (std::vector<std::string>{"####"}));
}

} // namespace
} // namespace korvel
