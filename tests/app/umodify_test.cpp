#include "app/umodify.h"
#include "document/librarytext.h"
#include "fileio/fileio.h"
#include "formats/bmp.h"
#include "support/picturetext.h"
#include "support/typing.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

constexpr Rgb kGreen = paletteEntry(PaletteColour::Green).value;
constexpr Rgb kBlue = paletteEntry(PaletteColour::Blue).value;

/// A 5 x 7 glyph whose columns 3 and 4 are inked, so a cut there shows.
Picture glyphPicture() {
    return pictureFromText({"#..##", ".#.##", "..###", "...##", "...##", "...##", "#..##"});
}

/// A main window with the modify dialog, opened on a list row with a script run while it shows.
class ModifyDialogTest : public WindowTest {
protected:
    TForm3& dialog() const { return *window->form3(); }

    /// Makes a font library with glyph code listed at row code + 1.
    void putGlyph(int code, const Picture& picture) {
        window->setEditingMode(EditingMode::Font);
        window->advinit();
        window->document().makeFontLibrary([&](FontLibrary& library) {
            library.count = 128;
            library.glyphs[static_cast<std::size_t>(code)] = {code, picture.width(),
                                                              picture.height(), picture};
        });
        listRow(code + 1, QString::number(code), picture);
    }

    /// Makes a bitmap library with one entry per picture, listed in order.
    void putBitmaps(const std::vector<std::pair<std::string, Picture>>& bitmaps) {
        window->setEditingMode(EditingMode::Bitmap);
        window->advinitbmp();
        window->document().clearBitmapLibrary();
        for (const auto& [name, picture] : bitmaps) {
            window->appendBitmap({name, picture.width(), picture.height(), picture});
            listRow(window->bitmapLibrary().count(), fromLibraryText(name), picture);
        }
    }

    void listRow(int row, const QString& id, const Picture& picture) const {
        window->AdvStringGrid2->setCell(2, row, id);
        window->AdvStringGrid2->setCell(3, row, QString::number(picture.width()));
        window->AdvStringGrid2->setCell(4, row, QString::number(picture.height()));
    }

    /// Double-clicks row and runs script while the dialog is shown.
    void open(int row, const std::function<void(TForm3&)>& script) {
        window->AdvStringGrid2->setCurrentGridRow(row);
        prompter->modals.push_back([this, script](QDialog&) { script(dialog()); });
        window->AdvStringGrid2DblClick();
    }

    /// Writes a BMP file of picture and returns its path.
    QString bmpFile(const QString& name, const Picture& picture) const {
        const QString file = path(name);
        EXPECT_TRUE(writeFileAtomic(file.toStdString(), encodeBmp24(picture)).ok());
        return file;
    }

    /// The picture of an exported file, read back.
    static Picture exported(const QString& path) {
        const auto bytes = readWholeFile(path.toStdString());
        EXPECT_TRUE(bytes.ok());
        if (!bytes) {
            return {};
        }
        auto picture = decodeBmp(bytes.value());
        EXPECT_TRUE(picture.ok());
        return picture.ok() ? picture.value() : Picture();
    }

    const GlyphRecord& glyph(int code) const {
        return window->fontLibrary().glyphs[static_cast<std::size_t>(code)];
    }
};

TEST_F(ModifyDialogTest, OpensFontEntryEnlargedWithGreyEdge) {
    putGlyph(65, glyphPicture());
    bool ran = false;
    open(66, [&](TForm3& d) {
        ran = true;
        EXPECT_EQ(d.size(), QSize(360, 284));
        EXPECT_EQ(d.selectedIndex, 65);
        EXPECT_EQ(d.SpinEdit3->value(), 65);
        EXPECT_TRUE(d.Edit1->text().isEmpty());
        EXPECT_EQ(d.SpinEdit1->value(), 5);
        EXPECT_EQ(d.SpinEdit2->value(), 7);
        ASSERT_TRUE(d.Image1->isVisible());
        EXPECT_EQ(d.Image1->size(), QSize(41, 57));
        for (int i = 1; i <= 7; ++i) {
            EXPECT_EQ(d.Image1->pixelAt(i, 1), kRed) << i;
            EXPECT_EQ(d.Image1->pixelAt(1, i), kRed) << i;
        }
        EXPECT_EQ(d.Image1->pixelAt(0, 3), d.Image1->gridColour());
        EXPECT_EQ(d.Image1->pixelAt(9, 1), kBlack); // cell (1, 0)
        for (int y = 0; y < 57; ++y) {
            EXPECT_EQ(d.Image1->pixelAt(40, y), CellCanvas::kBackground) << y;
        }
        for (int x = 0; x < 41; ++x) {
            EXPECT_EQ(d.Image1->pixelAt(x, 56), CellCanvas::kBackground) << x;
        }
        EXPECT_EQ(d.pendingPicture(), glyphPicture());
    });
    EXPECT_TRUE(ran);
    ASSERT_EQ(prompter->ofKind(Kind::Modal).size(), 1U);
    EXPECT_EQ(prompter->ofKind(Kind::Modal)[0].caption, "Modify Font");
}

TEST_F(ModifyDialogTest, ShrinkIsUndoneUntilClearOrImport) {
    putGlyph(3, glyphPicture());
    const QString green = bmpFile("green.bmp", pictureFromText({"GG", "GG"}));
    prompter->files = {green};
    open(4, [&](TForm3& d) {
        d.SpinEdit1->setValue(3);
        EXPECT_EQ(d.Image1->width(), 25);
        EXPECT_EQ(d.pendingPicture().width(), 3);
        d.SpinEdit1->setValue(5);
        EXPECT_EQ(d.pendingPicture(), glyphPicture()) << "columns 3 and 4 come back";

        d.Button3->click();
        EXPECT_TRUE(d.replaced);
        d.SpinEdit1->setValue(3);
        d.SpinEdit1->setValue(5);
        EXPECT_EQ(pictureToText(d.pendingPicture())[0], "GGG..");
        EXPECT_EQ(d.Image1->pixelAt(3 * 8 + 1, 1), kBlack);
        EXPECT_EQ(d.Image1->pixelAt(2 * 8 + 1, 1), kGreen);
    });
}

TEST_F(ModifyDialogTest, ClearThenCancelKeepsEntryAndNextOpeningShowsIt) {
    putGlyph(10, glyphPicture());
    open(11, [&](TForm3& d) {
        d.Button4->click();
        EXPECT_EQ(d.pendingPicture(), Picture(5, 7));
        EXPECT_EQ(d.Image1->pixelAt(1, 1), kBlack);
        d.Button2->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(glyph(10).picture, glyphPicture());
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 11), "5");

    open(11, [&](TForm3& d) {
        EXPECT_FALSE(d.replaced);
        EXPECT_EQ(d.pendingPicture(), glyphPicture());
        d.Button4->click();
        d.Button2->click();
    });

    const Picture own = pictureFromText({"RG", "BW"});
    putBitmaps({{"logo", own}});
    open(1, [&](TForm3& d) {
        EXPECT_EQ(d.pendingPicture(), own);
        EXPECT_EQ(d.Edit1->text(), "logo");
    });
    EXPECT_EQ(prompter->ofKind(Kind::Modal).back().caption, "Modify Bitmap");
}

TEST_F(ModifyDialogTest, ResetAfterImportBringsBackEntryAtStartingSize) {
    putGlyph(7, glyphPicture());
    prompter->files = {bmpFile("g.bmp", pictureFromText({"G"}))};
    open(8, [&](TForm3& d) {
        d.SpinEdit1->setValue(10);
        d.SpinEdit2->setValue(4);
        d.Button3->click();
        EXPECT_EQ(pictureToText(d.pendingPicture()),
                  std::vector<std::string>(4, std::string(10, 'G')));
        d.Button5->click();
        EXPECT_FALSE(d.replaced);
        EXPECT_EQ(d.SpinEdit1->value(), 5);
        EXPECT_EQ(d.SpinEdit2->value(), 7);
        EXPECT_EQ(d.pendingPicture(), glyphPicture());
        EXPECT_EQ(d.Image1->size(), QSize(41, 57));
    });
}

TEST_F(ModifyDialogTest, CancelledModifyQuestionKeepsDialogOpenAndEntry) {
    putGlyph(20, glyphPicture());
    prompter->answers = {false};
    open(21, [&](TForm3& d) {
        d.SpinEdit1->setValue(2);
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
    });
    const auto questions = prompter->ofKind(Kind::Question);
    ASSERT_EQ(questions.size(), 1U);
    EXPECT_EQ(questions[0].caption, "Modify Hint");
    EXPECT_EQ(questions[0].text, "Do You Want to Modify Selected Font?");
    EXPECT_EQ(questions[0].icon, PromptIcon::Information);
    EXPECT_EQ(glyph(20).width, 5);
    EXPECT_EQ(glyph(20).picture, glyphPicture());
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 21), "5");
}

TEST_F(ModifyDialogTest, ModifyWritesEntryRowAndEditCanvas) {
    putGlyph(30, glyphPicture());
    prompter->answers = {true};
    open(31, [&](TForm3& d) {
        d.SpinEdit1->setValue(6);
        d.SpinEdit2->setValue(2);
        d.Button1->click();
        EXPECT_FALSE(d.isVisible());
    });
    const Picture expected = pictureFromText({"#..##.", ".#.##."});
    EXPECT_EQ(glyph(30).width, 6);
    EXPECT_EQ(glyph(30).height, 2);
    EXPECT_EQ(glyph(30).code, 30);
    EXPECT_EQ(glyph(30).picture, expected);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 31), "30");
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 31), "6");
    EXPECT_EQ(window->AdvStringGrid2->cell(4, 31), "2");
    EXPECT_EQ(window->workPicture(), expected);
    EXPECT_EQ(window->Image1->size(), QSize(49, 17));
}

TEST_F(ModifyDialogTest, WidthZeroHidesViewAndStoresEmptyPicture) {
    putGlyph(40, glyphPicture());
    prompter->answers = {true};
    const QString target = path("empty.bmp");
    prompter->files = {target};
    open(41, [&](TForm3& d) {
        d.SpinEdit1->setValue(0);
        EXPECT_FALSE(d.Image1->isVisible());
        d.Button4->click(); // a cleared picture of width 0 exports as an empty file
        EXPECT_FALSE(d.Image1->isVisible());
        d.Button6->click();
        d.Button1->click();
    });
    EXPECT_EQ(QFileInfo(target).size(), 0);
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(glyph(40).width, 0);
    EXPECT_EQ(glyph(40).height, 7);
    ASSERT_TRUE(glyph(40).picture.has_value());
    EXPECT_TRUE(glyph(40).picture->isEmpty());
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 41), "0");
}

TEST_F(ModifyDialogTest, WidthZeroTypedRightAfterOpeningStoresAnEmptyPicture) {
    putBitmaps({{"P", pictureFromText({"RGB", "RGB"})}, {"Q", glyphPicture()}});
    prompter->answers = {true};
    open(2, [&](TForm3& d) {
        activate(d);
        typeAndTab(*d.SpinEdit1, QStringLiteral("0"));
        EXPECT_EQ(d.SpinEdit1->value(), 0);
        EXPECT_FALSE(d.Image1->isVisible());
        d.Button1->click();
    });
    const bitmapInfoList& entry = window->bitmapLibrary().entries[1];
    EXPECT_EQ(entry.width, 0);
    EXPECT_EQ(entry.height, 7);
    ASSERT_TRUE(entry.picture.has_value());
    EXPECT_EQ(entry.picture->width(), 0) << "sized by the boxes, not by the pending picture";
    EXPECT_EQ(entry.picture->height(), 7);
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 2), "0");
    EXPECT_EQ(window->bitmapLibrary().entries[0].picture, pictureFromText({"RGB", "RGB"}));
}

TEST_F(ModifyDialogTest, TypedSizesAreBroughtIntoRangeWhenTheBoxIsLeft) {
    putGlyph(30, glyphPicture());
    prompter->answers = {true};
    open(31, [&](TForm3& d) {
        activate(d);
        typeAndTab(*d.SpinEdit1, QStringLiteral("300"));
        EXPECT_EQ(d.SpinEdit1->value(), 250);
        EXPECT_EQ(d.pendingPicture().width(), 250);
        typeAndTab(*d.SpinEdit2, QStringLiteral("x"));
        EXPECT_EQ(d.SpinEdit2->value(), 0) << "text that is not a number counts as 0";
        typeAndTab(*d.SpinEdit2, QStringLiteral("4"));
        d.Button1->click();
    });
    EXPECT_EQ(glyph(30).width, 250);
    EXPECT_EQ(glyph(30).height, 4);
    EXPECT_EQ(window->AdvStringGrid2->cell(3, 31), "250");
}

TEST_F(ModifyDialogTest, BluePixelShowsBlackButIsStoredAndExportedBlue) {
    const Picture own = pictureFromText({"B.", ".W"});
    putBitmaps({{"first", pictureFromText({"R"})}, {"sky", own}});
    const std::vector<std::string> indexBefore = window->bitmapLibrary().index.lines();
    prompter->answers = {true};
    prompter->files = {path("sky")};
    open(2, [&](TForm3& d) {
        EXPECT_EQ(d.selectedIndex, 1);
        EXPECT_EQ(d.Image1->pixelAt(1, 1), kBlack);
        EXPECT_EQ(d.Image1->pixelAt(9, 9), makeRgb(255, 255, 0));
        d.Button6->click();
        d.Button1->click();
    });
    const auto saves = prompter->ofKind(Kind::SaveFile);
    ASSERT_EQ(saves.size(), 1U);
    EXPECT_EQ(saves[0].filter, "BMP File|*.bmp");
    EXPECT_EQ(saves[0].defaultSuffix, "bmp");
    EXPECT_EQ(exported(path("sky.bmp")), own);
    EXPECT_EQ(prompter->ofKind(Kind::Question).at(0).text,
              "Do You Want to Modify Selected Bitmwp?");
    const bitmapInfoList& entry = window->bitmapLibrary().entries[1];
    EXPECT_EQ(entry.name, "sky");
    EXPECT_EQ(entry.picture, own);
    EXPECT_EQ(window->bitmapLibrary().index.lines(), indexBefore);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 2), "sky");
}

TEST_F(ModifyDialogTest, ImportScalesEachFilePixelToABlock) {
    putBitmaps({{"big", Picture(10, 10)}});
    prompter->files = {bmpFile("four.bmp", pictureFromText({"RG", "BW"}))};
    open(1, [&](TForm3& d) {
        d.Button3->click();
        const Picture& pending = d.pendingPicture();
        ASSERT_EQ(pending.width(), 10);
        ASSERT_EQ(pending.height(), 10);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const Rgb expected = y < 5 ? (x < 5 ? kRed : kGreen) : (x < 5 ? kBlue : kWhite);
                EXPECT_EQ(pending.pixel(x, y), expected) << x << "," << y;
            }
        }
    });
    const auto opens = prompter->ofKind(Kind::OpenFile);
    ASSERT_EQ(opens.size(), 1U);
    EXPECT_EQ(opens[0].filter, "bmp file|*.bmp");
}

TEST_F(ModifyDialogTest, FailedImportReportsFileAndKeepsPendingPicture) {
    putGlyph(50, glyphPicture());
    const QString broken = path("broken.bmp");
    ASSERT_TRUE(writeFileAtomic(broken.toStdString(), std::vector<std::uint8_t>(20, 0)).ok());
    const QString missing = path("missing.bmp");
    prompter->files = {QString(), broken, missing};
    open(51, [&](TForm3& d) {
        d.Button3->click(); // cancelled: nothing changes
        EXPECT_FALSE(d.replaced);
        d.Button3->click();
        d.Button3->click();
        EXPECT_TRUE(d.replaced);
        EXPECT_EQ(d.pendingPicture(), glyphPicture());
        EXPECT_TRUE(d.isVisible());
    });
    const auto errors = prompter->ofKind(Kind::Error);
    ASSERT_EQ(errors.size(), 2U);
    EXPECT_TRUE(errors[0].text.contains(broken)) << errors[0].text.toStdString();
    EXPECT_TRUE(errors[0].text.contains("shorter")) << errors[0].text.toStdString();
    EXPECT_TRUE(errors[1].text.contains(missing)) << errors[1].text.toStdString();
}

TEST_F(ModifyDialogTest, FailedExportKeepsExistingFile) {
    putGlyph(60, glyphPicture());
    const QString old = bmpFile("old.bmp", pictureFromText({"G"}));
    const QString unwritable = path("no/such/folder/x.bmp");
    prompter->files = {unwritable, old};
    open(61, [&](TForm3& d) {
        d.Button6->click();
        d.Button6->click(); // overwrites without a question
    });
    ASSERT_EQ(prompter->ofKind(Kind::Error).size(), 1U);
    EXPECT_TRUE(prompter->ofKind(Kind::Error)[0].text.contains("x.bmp"));
    EXPECT_EQ(exported(old), glyphPicture());
    EXPECT_TRUE(prompter->ofKind(Kind::Question).empty());
}

TEST_F(ModifyDialogTest, RowWhoseNameIsNotIndexedWritesNothing) {
    putBitmaps({{"one", pictureFromText({"R"})}});
    window->AdvStringGrid2->setCell(2, 1, "renamed");
    prompter->answers = {true};
    open(1, [&](TForm3& d) {
        EXPECT_EQ(d.selectedIndex, -1);
        d.Button1->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(prompter->ofKind(Kind::Question).empty());
    EXPECT_EQ(window->bitmapLibrary().entries[0].picture, pictureFromText({"R"}));
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 1), "renamed");
}

} // namespace
} // namespace korvel
