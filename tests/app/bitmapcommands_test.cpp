#include "support/windowfixture.h"

#include "app/usetup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

/// The bitmap library menu, with new bitmaps made through the setup dialog's bitmap face.
class BitmapCommandsTest : public WindowTest {
protected:
    /// Scripts the setup dialog to add a bitmap of the given name and size.
    void scriptAdd(const QString& name, int width, int height) {
        prompter->modals.push_back([name, width, height](QDialog& dialog) {
            auto& setup = static_cast<TForm2&>(dialog);
            setup.Edit2->setText(name);
            setup.SpinEdit3->setValue(width);
            setup.SpinEdit4->setValue(height);
            setup.Button1->click();
        });
    }
    void newLibraryWith(const QString& name, int width = 4, int height = 4) {
        prompter->answers.push_back(true);
        scriptAdd(name, width, height);
        window->NewBitampFile1->trigger();
    }
    void addBitmap(const QString& name, int width = 4, int height = 4) {
        scriptAdd(name, width, height);
        window->AddBitmapFile1Click();
    }
    [[nodiscard]] bool canAddAndDelete() {
        window->BitmapLibrary1Click();
        EXPECT_EQ(window->AddBitmapFile1->isEnabled(), window->RemoveBitmap1->isEnabled());
        return window->AddBitmapFile1->isEnabled();
    }
    void deleteRow(int row) {
        window->AdvStringGrid2->setCurrentGridRow(row);
        prompter->answers.push_back(true);
        window->RemoveBitmap1->trigger();
    }
    [[nodiscard]] QStringList names() const {
        QStringList list;
        for (int row = 1; row < window->AdvStringGrid2->rows(); ++row) {
            list << window->AdvStringGrid2->cell(2, row);
        }
        return list;
    }
};

TEST_F(BitmapCommandsTest, AddAndDeleteAreOfferedOnlyInBitmapMode) {
    EXPECT_FALSE(canAddAndDelete());
    newLibraryWith("P");
    EXPECT_TRUE(canAddAndDelete());
    const auto question = prompter->ofKind(Kind::Question).at(0);
    EXPECT_EQ(question.caption, "Create Hint");
    EXPECT_EQ(question.text, "Do You Want to Create New Bitmap Library File?");
    EXPECT_EQ(question.icon, PromptIcon::Information);
    EXPECT_EQ(prompter->ofKind(Kind::Modal).at(0).caption, "Bitmap Setup");

    writeBytes(path("font.lcm"), fontFile({{"#"}}));
    openFont(path("font.lcm"));
    EXPECT_FALSE(canAddAndDelete());
    prompter->files.push_back(path("left.bcm"));
    window->SaveBitmapFile1->trigger();
    EXPECT_EQ(prompter->ofKind(Kind::SaveFile).back().filter, "Bitmap Library File|*.bcm");
    EXPECT_EQ(prompter->ofKind(Kind::SaveFile).back().defaultSuffix, "*.bcm");
    EXPECT_EQ(readBytes(path("left.bcm")).size(), 2U + 12U + 6U + 3U * 4U)
        << "the bitmap entries left in memory are saved";
}

TEST_F(BitmapCommandsTest, NewThenCancelLeavesAnEmptyLibrary) {
    prompter->answers.push_back(true);
    window->NewBitampFile1->trigger();
    EXPECT_EQ(window->AdvStringGrid2->rows(), 2);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 0), "Name");
    EXPECT_TRUE(window->AdvStringGrid2->cell(2, 1).isEmpty());
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
    EXPECT_EQ(window->editingMode(), EditingMode::None);
    window->SaveBitmapFile1->trigger();
    EXPECT_TRUE(prompter->ofKind(Kind::SaveFile).empty()) << "nothing to save, nothing asked";
    EXPECT_FALSE(canAddAndDelete());
    window->AddBitmapFile1Click();
    EXPECT_EQ(prompter->ofKind(Kind::Modal).size(), 1U) << "Add does nothing outside bitmap mode";
}

TEST_F(BitmapCommandsTest, NewKeepsTheLastNameWhileAddEmptiesIt) {
    newLibraryWith("P");
    window->form2()->Edit2->setText("typed");
    prompter->answers.push_back(true);
    prompter->modals.push_back(
        [](QDialog& dialog) { EXPECT_EQ(static_cast<TForm2&>(dialog).Edit2->text(), "typed"); });
    window->NewBitampFile1->trigger();
    newLibraryWith("Q");
    window->form2()->Edit2->setText("typed");
    prompter->modals.push_back(
        [](QDialog& dialog) { EXPECT_TRUE(static_cast<TForm2&>(dialog).Edit2->text().isEmpty()); });
    window->AddBitmapFile1Click();
}

TEST_F(BitmapCommandsTest, DeletingTheOnlyEntryResetsTheList) {
    newLibraryWith("P");
    clickRow(1);
    ASSERT_FALSE(window->Image1->isHidden());
    deleteRow(1);
    const auto question = prompter->ofKind(Kind::Question).back();
    EXPECT_EQ(question.caption, "Operation Hint");
    EXPECT_EQ(question.text, "Do You Want to Delete Selected Bitmap?");
    EXPECT_EQ(question.icon, PromptIcon::Information);
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
    EXPECT_EQ(window->AdvStringGrid2->rows(), 2);
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 1);
    EXPECT_TRUE(window->Image1->isHidden());
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    window->SaveBitmapFile1->trigger();
    EXPECT_TRUE(prompter->ofKind(Kind::SaveFile).empty());
}

TEST_F(BitmapCommandsTest, DeletingInTheMiddleMovesTheLaterEntriesUpIntact) {
    writeBytes(path("pqr.bcm"),
               bitmapFile({{"P", {"RR"}}, {"Q", {"GGG", "GGG"}}, {"R", {"B", "W", "F"}}}));
    openBitmaps(path("pqr.bcm"));
    deleteRow(2);
    EXPECT_EQ(names(), QStringList({"P", "R"}));
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "1");
    EXPECT_EQ(window->AdvStringGrid2->cell(4, 2), "3");
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 2) << "the entry after the deleted one";
    EXPECT_EQ(window->bitmapLibrary().index.find("R"), 1);
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"B", "W", "F"}));

    window->ToolButton11Click(); // Black
    window->Image1MouseUp(3, 3);
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[1].picture),
              (std::vector<std::string>{".", "W", "F"}));

    deleteRow(2);
    EXPECT_EQ(names(), QStringList({"P"}));
    EXPECT_EQ(window->AdvStringGrid2->currentGridRow(), 1) << "the last row after the last entry";
}

TEST_F(BitmapCommandsTest, DeletingSelectsTheRowThatTookTheDeletedEntrysPlace) {
    writeBytes(path("pqrs.bcm"),
               bitmapFile({{"P", {"R"}}, {"Q", {"GG"}}, {"R", {"BBB"}}, {"S", {"WWWW"}}}));
    openBitmaps(path("pqrs.bcm"));
    const auto selected = [this] {
        const int row = window->AdvStringGrid2->currentGridRow();
        return std::pair{row, window->AdvStringGrid2->cell(2, row)};
    };
    deleteRow(2);
    EXPECT_EQ(names(), QStringList({"P", "R", "S"}));
    EXPECT_EQ(selected(), std::pair(2, QStringLiteral("R"))) << "the entry after Q, not after R";
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"BBB"}));

    deleteRow(3); // the last entry: the row before it is the last one left
    EXPECT_EQ(names(), QStringList({"P", "R"}));
    EXPECT_EQ(selected(), std::pair(2, QStringLiteral("R")));
    EXPECT_FALSE(window->Image1->isHidden());
    EXPECT_EQ(pictureToText(window->workPicture()), (std::vector<std::string>{"BBB"}));

    deleteRow(1);
    EXPECT_EQ(names(), QStringList({"R"}));
    EXPECT_EQ(selected(), std::pair(1, QStringLiteral("R")));
    EXPECT_EQ(window->bitmapLibrary().index.find("r"), 0);
}

TEST_F(BitmapCommandsTest, CancelOrNoSelectionDeletesNothing) {
    newLibraryWith("P");
    window->AdvStringGrid2->setCurrentGridRow(1);
    prompter->answers.push_back(false);
    window->RemoveBitmap1->trigger();
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
    window->AdvStringGrid2->setCurrentGridRow(0);
    const auto asked = prompter->asked.size();
    window->RemoveBitmap1->trigger();
    EXPECT_EQ(prompter->asked.size(), asked) << "no question without a selected entry";
}

TEST_F(BitmapCommandsTest, OpeningEnablesAllColoursAndLeavesTheRestAlone) {
    writeBytes(path("one.bcm"), bitmapFile({{"P", {"R"}}}));
    openBitmaps(path("one.bcm"));
    EXPECT_EQ(prompter->ofKind(Kind::OpenFile).at(0).filter, "Bitmap Library File|*.bcm");
    for (const PaletteEntry& entry : kPalette) {
        EXPECT_TRUE(window->colourButton(entry.id)->isEnabled()) << entry.name;
    }
    EXPECT_EQ(window->statusPanelText(2), "mode:");
    EXPECT_TRUE(window->Image1->isHidden());

    writeBytes(path("none.bcm"), {0x00, 0x00});
    openBitmaps(path("none.bcm"));
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
    EXPECT_EQ(window->AdvStringGrid2->rows(), 2) << "an empty library keeps its empty row";
    addBitmap("NEW");
    EXPECT_EQ(names(), QStringList({"NEW"}));
}

TEST_F(BitmapCommandsTest, AWholeSessionSurvivesSaveAndOpen) {
    newLibraryWith("LOGO", 9, 4);
    addBitmap("icon", 4, 5);
    clickRow(1);
    window->ToolButton18Click(); // Blue
    window->Image1MouseUp(8 * 8 + 3, 3);
    window->ToolButton20Click(); // White
    window->Image1MouseUp(3, 3 * 8 + 3);
    clickRow(2);
    window->ToolButton1Click(); // Fuchia
    window->Image1MouseUp(3 * 8 + 3, 4 * 8 + 3);
    prompter->files.push_back(path("session.bcm"));
    window->SaveBitmapFile1->trigger();
    const auto saved = readBytes(path("session.bcm"));

    ScriptedPrompter* second = nullptr;
    auto fresh = std::make_unique<ScriptedPrompter>();
    second = fresh.get();
    TForm1 later(std::move(fresh));
    later.createDialogs();
    second->files.push_back(path("session.bcm"));
    later.OpenBitmapFile1->trigger();
    const BitmapLibrary& library = later.bitmapLibrary();
    ASSERT_EQ(library.count(), 2);
    EXPECT_EQ(library.entries[0].name, "LOGO");
    EXPECT_EQ(library.entries[1].name, "icon");
    EXPECT_EQ(pictureToText(*library.entries[0].picture),
              (std::vector<std::string>{"........B", ".........", ".........", "W........"}));
    EXPECT_EQ(pictureToText(*library.entries[1].picture),
              (std::vector<std::string>{"....", "....", "....", "....", "...F"}));
    second->files.push_back(path("again.bcm"));
    later.SaveBitmapFile1->trigger();
    EXPECT_EQ(readBytes(path("again.bcm")), saved);
}

} // namespace
} // namespace korvel
