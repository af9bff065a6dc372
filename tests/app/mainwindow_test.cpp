#include "support/windowfixture.h"

#include "app/lazyicon.h"
#include "app/uallpreview.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <sys/stat.h>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

const std::vector<std::string> kGlyphA{
    ".#.",
    "#.#",
    "###",
};

TEST_F(WindowTest, StartsWithAnEmptyFontLayoutAndNothingToEdit) {
    EXPECT_EQ(window->windowTitle(), "Korvel Font/Bitmap Creater");
    const StringGrid& list = *window->AdvStringGrid2;
    EXPECT_EQ(list.rows(), 129);
    EXPECT_EQ(list.cell(2, 0), "Id");
    EXPECT_EQ(list.cell(3, 0), "Width");
    EXPECT_EQ(list.cell(4, 0), "Height");
    EXPECT_EQ(list.cell(0, 66), "A");
    EXPECT_EQ(list.cell(1, 66), "65");
    EXPECT_EQ(list.cell(1, 128), "127");
    EXPECT_FALSE(list.cell(0, 1).isEmpty()) << "control characters get a visible form";
    for (int row = 1; row < list.rows(); ++row) {
        ASSERT_TRUE(list.cell(2, row).isEmpty()) << "row " << row;
    }
    EXPECT_EQ(window->editingMode(), EditingMode::None);
    EXPECT_EQ(window->zoomSize(), 8);
    EXPECT_TRUE(window->N10pixels2->font().bold());
    EXPECT_FALSE(window->N8pixels2->font().bold());
    EXPECT_EQ(window->currentColour(), kBlack);
    EXPECT_EQ(window->sampledColour(), kNoColour);
    EXPECT_EQ(window->restoreColour(), kNoColour);
    EXPECT_EQ(window->workPicture(), Picture(96, 96));
    for (const PaletteEntry& entry : kPalette) {
        EXPECT_FALSE(window->colourButton(entry.id)->isEnabled()) << entry.name;
        EXPECT_EQ(window->colourButton(entry.id)->isChecked(), entry.id == PaletteColour::Black);
        EXPECT_EQ(window->colourButton(entry.id)->toolTip().toStdString(), entry.name);
    }
    const QStringList panels{"x:", "y:", "mode:", "R:", "G:", "B:"};
    for (int panel = 0; panel < panels.size(); ++panel) {
        EXPECT_EQ(window->statusPanelText(panel), panels[panel]);
    }
    EXPECT_TRUE(window->Image1->isHidden());
}

TEST_F(WindowTest, MenusCarryTheirExactCaptions) {
    QStringList titles;
    for (QAction* menu : window->menuBar()->actions()) {
        titles << menu->text();
    }
    // The specified menus first, then the ones added beside them, in the menu bar's order.
    EXPECT_EQ(titles.mid(0, 4),
              QStringList({"Font Library      ", "Bitmap Library     ", "Zoom    ", "Edit"}));
    QStringList added = titles.mid(4);
    added.removeIf([](const QString& title) {
        return !QStringList({"Tools", "Import", "Export", "View", "Options"}).contains(title);
    });
    EXPECT_EQ(added, titles.mid(4)) << "no other menu";
    EXPECT_LT(titles.indexOf("Import"), titles.indexOf("Export"));
    EXPECT_LT(titles.indexOf("Export"), titles.indexOf("View"));
    EXPECT_EQ(titles.back(), "Options"); // the menus of later work stand between
    EXPECT_EQ(window->N2->text(), "Open Library");
    EXPECT_EQ(window->NewFontFile1->text(), "New Library");
    EXPECT_EQ(window->N3->text(), "Save Library");
    EXPECT_EQ(window->AllFont1->text(), "All Font");
    EXPECT_EQ(window->De1->text(), "Defined Font");
    EXPECT_EQ(window->N8pixels2->text(), "  8 pixels");
    EXPECT_EQ(window->N10pixels2->text(), "10 pixels");
    EXPECT_EQ(window->N14pixels1->text(), "12 pixels");
    EXPECT_EQ(window->NewBitampFile1->text(), "New  Library");
    EXPECT_EQ(window->AddBitmapFile1->text(), "Add  Bitmap ");
    EXPECT_EQ(window->RemoveBitmap1->text(), "Delete Bitmap");
    EXPECT_TRUE(window->N8pixels2->icon().isNull());
    EXPECT_FALSE(window->N2->icon().isNull());
    // Made when first drawn, the style's own icon.
    const QImage drawn = window->N2->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(drawn,
              window->style()->standardIcon(QStyle::SP_DialogOpenButton).pixmap(16, 16).toImage());
    EXPECT_FALSE(drawn.isNull());
}

TEST(LazyIcon, IsMadeOnceWhenFirstDrawnAndSharedByItsCopies) {
    int made = 0;
    const QIcon icon = lazyIcon([&made] {
        ++made;
        QPixmap red(8, 8);
        red.fill(Qt::red);
        return QIcon(red);
    });
    const QIcon copy = icon;
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(made, 0);
    EXPECT_EQ(copy.pixmap(8, 8).toImage().pixel(3, 3), QColor(Qt::red).rgb());
    EXPECT_EQ(icon.actualSize(QSize(32, 32)), QSize(8, 8));
    EXPECT_EQ(made, 1);
}

TEST_F(WindowTest, ClicksBeforeAnyLibraryShowNothing) {
    clickRow(5);
    EXPECT_TRUE(window->Image1->isHidden());
    clickRow(0);
    EXPECT_TRUE(window->Image1->isHidden());
    window->AllFont1->trigger();
    window->De1->trigger();
    window->AdvStringGrid2DblClick();
    EXPECT_TRUE(prompter->asked.empty()) << "no preview or modify dialog without a library";
}

TEST_F(WindowTest, SavingRightAfterStartWritesAnEmptyFontLibrary) {
    prompter->files.push_back(path("empty.lcm"));
    window->N3->trigger();
    ASSERT_EQ(prompter->asked.size(), 1U);
    EXPECT_EQ(prompter->asked[0].kind, Kind::SaveFile);
    EXPECT_EQ(prompter->asked[0].filter, "Font Model File|*.lcm");
    EXPECT_EQ(prompter->asked[0].defaultSuffix, "*.lcm");
    EXPECT_EQ(readBytes(path("empty.lcm")), std::vector<std::uint8_t>{0x00});
}

TEST_F(WindowTest, OpenListsTheGlyphsAndSaveWritesThemBackUnchanged) {
    const auto original = fontFile({kGlyphA, {"#", "."}, {"##########"}});
    writeBytes(path("in.lcm"), original);
    openFont(path("in.lcm"));
    EXPECT_EQ(prompter->asked.at(0).filter, "Font Library File|*.lcm");
    EXPECT_EQ(window->editingMode(), EditingMode::Font);
    EXPECT_EQ(window->fontLibrary().count, 3);
    const StringGrid& list = *window->AdvStringGrid2;
    EXPECT_EQ(list.cell(2, 1), "0");
    EXPECT_EQ(list.cell(3, 1), "3");
    EXPECT_EQ(list.cell(4, 1), "3");
    EXPECT_EQ(list.cell(2, 3), "2");
    EXPECT_EQ(list.cell(3, 3), "10");
    EXPECT_EQ(list.cell(4, 3), "1");
    EXPECT_TRUE(list.cell(2, 4).isEmpty());
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[0].picture), kGlyphA);
    for (const PaletteEntry& entry : kPalette) {
        const bool fontColour = entry.id == PaletteColour::Red || entry.id == PaletteColour::Fuchia;
        EXPECT_EQ(window->colourButton(entry.id)->isEnabled(), fontColour) << entry.name;
    }
    EXPECT_EQ(window->statusPanelText(2), "mode:") << "opening leaves the mode panel alone";

    prompter->files.push_back(path("out.lcm"));
    window->N3->trigger();
    EXPECT_EQ(readBytes(path("out.lcm")), original);
}

TEST_F(WindowTest, OpeningALibraryHidesTheCanvasUntilARowOfItIsClicked) {
    writeBytes(path("a.lcm"), fontFile({{"..", ".."}, {"...", "..."}}));
    writeBytes(path("b.bcm"), bitmapFile({{"P", {"GG", "GG"}}, {"Q", {std::string(300, 'G')}}}));
    const auto bitmapRows = [this] {
        std::vector<std::vector<std::string>> rows;
        for (const bitmapInfoList& entry : window->bitmapLibrary().entries) {
            rows.push_back(pictureToText(*entry.picture));
        }
        return rows;
    };
    openFont(path("a.lcm"));
    clickRow(2);
    ASSERT_FALSE(window->Image1->isHidden());
    window->ToolButton20Click(); // White

    openBitmaps(path("b.bcm"));
    EXPECT_TRUE(window->Image1->isHidden());
    const auto opened = bitmapRows();
    window->Image1MouseUp(3, 3); // a release where the old glyph was shown paints nothing
    EXPECT_EQ(bitmapRows(), opened);
    clickRow(1);
    EXPECT_FALSE(window->Image1->isHidden());
    window->Image1MouseUp(3, 3);
    EXPECT_EQ(pictureToText(*window->bitmapLibrary().entries[0].picture),
              (std::vector<std::string>{"WG", "GG"}));
    window->show(); // a hidden scroll area sets its scroll bars only once shown
    clickRow(2);    // wider than the canvas's area
    const QScrollBar* across = window->ScrollBox1->horizontalScrollBar();
    ASSERT_GT(across->maximum(), 0);

    openFont(path("a.lcm"));
    EXPECT_TRUE(window->Image1->isHidden());
    EXPECT_EQ(across->maximum(), 0) << "no scroll bar is left of a picture no longer shown";
    window->Image1MouseUp(3, 3);
    EXPECT_EQ(pictureToText(*window->fontLibrary().glyphs[0].picture),
              (std::vector<std::string>{"..", ".."}));
}

TEST_F(WindowTest, AFullFontFileGetsARowForEveryGlyph) {
    std::vector<std::vector<std::string>> glyphs(256, {"#."});
    writeBytes(path("full.lcm"), fontFile(glyphs));
    openFont(path("full.lcm"));
    EXPECT_EQ(window->fontLibrary().count, 256);
    EXPECT_EQ(window->AdvStringGrid2->rows(), 257);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 256), "255");
    EXPECT_EQ(window->AdvStringGrid2->cell(1, 256), "255");
}

TEST_F(WindowTest, AFailedOpenChangesNothing) {
    writeBytes(path("good.bcm"), bitmapFile({{"P", {"RG", "BW"}}}));
    openBitmaps(path("good.bcm"));
    ASSERT_EQ(window->editingMode(), EditingMode::Bitmap);
    const auto rowsBefore = window->AdvStringGrid2->rows();

    writeBytes(path("broken.lcm"), {0x80, 0x00, 0x00});
    openFont(path("broken.lcm"));
    openFont(path("missing.lcm"));
    writeBytes(path("broken.bcm"), {0x00, 0x05, 'X'});
    openBitmaps(path("broken.bcm"));

    const auto errors = prompter->ofKind(Kind::Error);
    ASSERT_EQ(errors.size(), 3U);
    EXPECT_TRUE(errors[0].text.contains(path("broken.lcm"))) << errors[0].text.toStdString();
    EXPECT_TRUE(errors[1].text.contains("No such file or directory"));
    EXPECT_TRUE(errors[1].text.contains(path("missing.lcm")));
    EXPECT_TRUE(errors[2].text.contains(path("broken.bcm")));
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    EXPECT_EQ(window->AdvStringGrid2->rows(), rowsBefore);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 0), "Name");
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 1), "P");
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(window->bitmapLibrary().index.find("P"), 0);
    EXPECT_EQ(window->fontLibrary().count, 0);
    EXPECT_TRUE(window->colourButton(PaletteColour::Green)->isEnabled());
}

TEST_F(WindowTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    const std::vector<std::uint8_t> old{1, 2, 3};
    writeBytes(path("keep.lcm"), old);
    window->document().makeFontLibrary([](FontLibrary& made) {
        made.count = 2;
        made.glyphs[1] = {1, 300, 4, Picture(300, 4)};
    });
    const FontLibrary& font = window->fontLibrary();
    prompter->files.push_back(path("keep.lcm"));
    window->N3->trigger();
    auto errors = prompter->ofKind(Kind::Error);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_TRUE(errors[0].text.contains("Glyph 1 is 300 x 4")) << errors[0].text.toStdString();
    EXPECT_EQ(readBytes(path("keep.lcm")), old);

    window->document().makeFontLibrary([](FontLibrary& made) {
        made.glyphs[1] = {1, 4, 4, Picture(4, 4)};
    });
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.lcm"));
    prompter->files.push_back(path("folder.lcm"));
    window->N3->trigger();
    errors = prompter->ofKind(Kind::Error);
    ASSERT_EQ(errors.size(), 2U);
    EXPECT_TRUE(errors[1].text.contains("Is a directory")) << errors[1].text.toStdString();
    EXPECT_TRUE(errors[1].text.contains(path("folder.lcm")));
    EXPECT_EQ(font.count, 2) << "the library in memory is unchanged";
}

TEST_F(WindowTest, ZoomCommandsMoveTheMarkAndRedrawTheShownEntry) {
    writeBytes(path("in.lcm"), fontFile({kGlyphA}));
    openFont(path("in.lcm"));
    clickRow(1);
    ASSERT_FALSE(window->Image1->isHidden());
    EXPECT_EQ(window->Image1->size(), QSize(25, 25));

    window->N14pixels1->trigger();
    EXPECT_EQ(window->zoomSize(), 12);
    EXPECT_EQ(window->Image1->size(), QSize(37, 37));
    EXPECT_TRUE(window->N14pixels1->font().bold());
    EXPECT_FALSE(window->N10pixels2->font().bold());

    clickRow(0);
    window->N10pixels2->trigger();
    EXPECT_EQ(window->zoomSize(), 10);
    EXPECT_TRUE(window->N10pixels2->font().bold());
    EXPECT_FALSE(window->N14pixels1->font().bold());
    EXPECT_EQ(window->Image1->size(), QSize(37, 37)) << "header row: only the size and mark";

    clickRow(2);
    EXPECT_TRUE(window->Image1->isHidden()) << "a row without a glyph hides the canvas";
}

TEST_F(WindowTest, ClosingAsksFirstAndCancelKeepsRunning) {
    window->show();
    prompter->answers.push_back(false);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompter->asked.size(), 1U);
    EXPECT_EQ(prompter->asked[0].caption, "Operation Hint");
    EXPECT_EQ(prompter->asked[0].text, "Are You Sure to Exit This Application?");
    EXPECT_EQ(prompter->asked[0].icon, PromptIcon::None);

    prompter->answers.push_back(true);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, BitmapLayoutHidesTheLeadingColumnsAndEmptiesTheIndex) {
    window->document().appendBitmap({"X", 1, 1, Picture(1, 1)});
    window->advinitbmp();
    const StringGrid& list = *window->AdvStringGrid2;
    EXPECT_EQ(list.rows(), 2);
    EXPECT_EQ(list.cell(2, 0), "Name");
    EXPECT_TRUE(list.isColumnHidden(0));
    EXPECT_TRUE(list.isColumnHidden(1));
    EXPECT_EQ(list.columnWidth(2), 80);
    EXPECT_TRUE(list.cell(0, 1).isEmpty());
    EXPECT_TRUE(window->bitmapLibrary().index.empty());

    window->advinit();
    EXPECT_EQ(list.rows(), 129);
    EXPECT_FALSE(list.isColumnHidden(0));
    EXPECT_EQ(list.columnWidth(0), 25);
    EXPECT_EQ(list.cell(2, 0), "Id");
}

TEST_F(WindowTest, PreviewCommandsWorkWhileABitmapLibraryIsEdited) {
    writeBytes(path("in.lcm"), fontFile({kGlyphA}));
    openFont(path("in.lcm"));
    writeBytes(path("in.bcm"), bitmapFile({{"P", {"RG"}}}));
    openBitmaps(path("in.bcm"));
    window->AllFont1->trigger();
    const auto modals = prompter->ofKind(Kind::Modal);
    ASSERT_EQ(modals.size(), 1U);
    EXPECT_EQ(modals[0].caption, "All Font Preview");
    EXPECT_FALSE(window->form4()->Panelall->isHidden());
    EXPECT_TRUE(window->form4()->Panelsingal->isHidden());
}

} // namespace
} // namespace korvel
