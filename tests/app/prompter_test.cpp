#include "app/prompter.h"
#include "app/umodify.h"
#include "support/windowfixture.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

/// Runs every file command of the windows (each cancelled) and returns what they asked for.
std::vector<Prompt> fileQuestions(TForm1& window, ScriptedPrompter& prompter) {
    window.document().appendBitmap({"A", 1, 1, Picture(1, 1)}); // "Save Library" needs an entry
    window.N2->trigger();
    window.N3->trigger();
    window.OpenBitmapFile1->trigger();
    window.SaveBitmapFile1->trigger();
    window.form3()->Button3Click();
    window.form3()->Button6Click();
    std::vector<Prompt> asked = prompter.ofKind(Kind::OpenFile);
    for (const Prompt& save : prompter.ofKind(Kind::SaveFile)) {
        asked.push_back(save);
    }
    return asked;
}

TEST_F(WindowTest, TheRealFileDialogsCarryTheFiltersAndSuffixesTheCommandsAskFor) {
    const std::vector<Prompt> asked = fileQuestions(*window, *prompter);
    ASSERT_EQ(asked.size(), 6U);
    std::vector<std::tuple<QStringList, QString>> opened;
    std::vector<std::tuple<QStringList, QString>> saved;
    for (const Prompt& prompt : asked) {
        if (prompt.kind == Kind::OpenFile) {
            const auto dialog = makeOpenDialog(window.get(), prompt.filter);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile) << "a typed new name is taken";
            EXPECT_EQ(dialog->parentWidget(), window.get());
            EXPECT_FALSE(dialog->isVisible());
            opened.emplace_back(dialog->nameFilters(), dialog->defaultSuffix());
        } else {
            const auto dialog = makeSaveDialog(window.get(), prompt.filter, prompt.defaultSuffix);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite))
                << prompt.filter.toStdString() << ": overwriting asks nothing";
            EXPECT_FALSE(dialog->isVisible());
            saved.emplace_back(dialog->nameFilters(), dialog->defaultSuffix());
        }
    }
    using Row = std::tuple<QStringList, QString>;
    EXPECT_EQ(opened, (std::vector<Row>{{{"Font Library File (*.lcm)"}, ""},
                                        {{"Bitmap Library File (*.bcm)"}, ""},
                                        {{"bmp file (*.bmp)"}, ""}}));
    EXPECT_EQ(saved, (std::vector<Row>{{{"Font Model File (*.lcm)"}, "lcm"},
                                       {{"Bitmap Library File (*.bcm)"}, "bcm"},
                                       {{"BMP File (*.bmp)"}, "bmp"}}));
}

TEST_F(WindowTest, TheRealQuestionAndMessageBoxesCarryTheirButtonsIconsAndTitles) {
    const auto question = makeQuestionBox(window.get(), QStringLiteral("Create Hint"),
                                          QStringLiteral("Do You Want?"), PromptIcon::Information);
    EXPECT_EQ(question->windowTitle(), "Create Hint");
    EXPECT_EQ(question->text(), "Do You Want?");
    EXPECT_EQ(question->icon(), QMessageBox::Information);
    EXPECT_EQ(question->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(question->defaultButton(), question->button(QMessageBox::Ok));
    EXPECT_FALSE(question->isVisible());
    const auto exitQuestion = makeQuestionBox(window.get(), QStringLiteral("Operation Hint"),
                                              QStringLiteral("Exit?"), PromptIcon::None);
    EXPECT_EQ(exitQuestion->icon(), QMessageBox::NoIcon);

    const auto error =
        makeMessageBox(window->form3(), QStringLiteral("disk full"), PromptIcon::Critical);
    EXPECT_EQ(error->icon(), QMessageBox::Critical);
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->text(), "disk full");
    window->form3()->setWindowTitle(QStringLiteral("Modify Font"));
    EXPECT_EQ(makeMessageBox(window->form3(), QString(), PromptIcon::None)->windowTitle(),
              "Modify Font");
    const auto message = makeMessageBox(nullptr, QStringLiteral("Please"), PromptIcon::None);
    EXPECT_EQ(message->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(message->windowTitle(), "Korvel Font/Bitmap Creater");
}

TEST_F(WindowTest, SavingABitmapLibraryShowsItsProgressAndEndsIt) {
    for (const char* name : {"A", "B", "C"}) {
        window->document().appendBitmap({name, 2, 2, Picture(2, 2)});
    }
    prompter->files.push_back(path("three.bcm"));
    window->SaveBitmapFile1->trigger();
    ASSERT_EQ(readBytes(path("three.bcm")).size(), 2U + 3U * (12U + 6U + 2U * 3U));
    // Three entries encoded, then the write: four steps, counted up to the end, which closes it.
    ASSERT_FALSE(prompter->progress.empty());
    EXPECT_EQ(prompter->progress.back(), (std::pair<std::size_t, std::size_t>{4, 4}));
    for (std::size_t k = 1; k < prompter->progress.size(); ++k) {
        EXPECT_LE(prompter->progress[k - 1].first, prompter->progress[k].first);
        EXPECT_EQ(prompter->progress[k].second, 4U);
    }
    EXPECT_EQ(prompter->progressLabel, "Saving \"" + path("three.bcm") + "\"");
}

TEST_F(WindowTest, TheRealProgressDialogIsModalWithoutCancelAndWaitsHalfASecond) {
    auto dialog = makeProgressDialog(window.get(), QStringLiteral("Saving"));
    EXPECT_EQ(dialog->labelText(), "Saving");
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->minimumDuration(), 500);
    EXPECT_EQ(dialog->findChild<QPushButton*>(), nullptr) << "the save cannot be cancelled";
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();

    // The real prompter ends its dialog at the last step, so a failed save's error box stands
    // alone.
    QtPrompter real;
    real.showProgress(window.get(), QStringLiteral("Saving"), 0, 3);
    EXPECT_NE(window->findChild<QProgressDialog*>(), nullptr);
    real.showProgress(window.get(), QStringLiteral("Saving"), 3, 3);
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

} // namespace
} // namespace korvel
