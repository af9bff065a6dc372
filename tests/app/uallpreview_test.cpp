#include "app/uallpreview.h"

#include "app/umain.h"
#include "support/picturetext.h"
#include "support/scriptedprompter.h"
#include "widgets/cellcanvas.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvel {
namespace {

enum ZoomItem { Zoom1 = 0, Zoom5 = 1, Zoom8 = 2, Zoom12 = 3 };

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() {
        auto scripted = std::make_unique<ScriptedPrompter>();
        prompter = scripted.get();
        window = std::make_unique<TForm1>(std::move(scripted));
        window->createDialogs();
    }

    /// The library the next showing hands to the window's document.
    FontLibrary& font() { return draft_; }
    /// Makes the drafted library the document's font library.
    void handOver() {
        window->document().makeFontLibrary([this](FontLibrary& library) { library = draft_; });
    }
    TForm4& preview() { return *window->form4(); }

    void setGlyph(int code, const std::vector<std::string>& rows) {
        GlyphRecord& glyph = font().glyphs[static_cast<std::size_t>(code)];
        glyph.code = code;
        glyph.picture = pictureFromText(rows);
        glyph.width = glyph.picture->width();
        glyph.height = glyph.picture->height();
    }
    void setBlankGlyph(int code, int width, int height) {
        GlyphRecord& glyph = font().glyphs[static_cast<std::size_t>(code)];
        glyph.code = code;
        glyph.picture.reset();
        glyph.width = width;
        glyph.height = height;
    }
    void fillLibrary(int count) {
        for (int code = 0; code < count; ++code) {
            setGlyph(code, {"#...#", ".....", "..#.."});
        }
        font().count = count;
    }

    /// Opens "All Font" and runs check while the window is shown.
    void allFont(const std::function<void(TForm4&)>& check) {
        prompter->modals.push_back([this, check](QDialog&) { check(preview()); });
        handOver();
        window->AllFont1Click();
    }
    /// Opens "Defined Font" and runs script while the window is shown.
    void definedFont(const std::function<void(TForm4&)>& script) {
        prompter->modals.push_back([this, script](QDialog&) { script(preview()); });
        handOver();
        window->De1Click();
    }
    static void preview(TForm4& form, const QString& text, ZoomItem zoom) {
        form.ComboBox1->setCurrentIndex(zoom);
        form.Memo1->setPlainText(text);
        form.Button1->click();
    }

    ScriptedPrompter* prompter = nullptr;
    std::unique_ptr<TForm1> window;

private:
    FontLibrary draft_;
};

// Glyphs 'a' (5 x 7, red frame corner) and 'b' (6 x 7, blue first column).
class TextPreviewTest : public PreviewTest {
protected:
    TextPreviewTest() {
        setGlyph('a', {"#....", ".....", ".....", ".....", ".....", ".....", "....#"});
        setGlyph('b', {"B.....", "B.....", "B.....", "B.....", "B.....", "B.....", "B....#"});
        font().count = 128;
    }
};

TEST_F(PreviewTest, GridLayoutAndPlacementByCode) {
    fillLibrary(128);
    allFont([](TForm4& form) {
        EXPECT_TRUE(form.Panelall->isVisible());
        EXPECT_FALSE(form.Panelsingal->isVisible());
        EXPECT_EQ(form.AdvStringGrid1->columnCount() + 1, 9);
        EXPECT_EQ(form.AdvStringGrid1->verticalHeader()->width(), 8);
        EXPECT_EQ(form.AdvStringGrid1->horizontalHeader()->height(), 8);
        EXPECT_EQ(form.AdvStringGrid1->columnWidth(7), 80);
        EXPECT_EQ(form.AdvStringGrid1->rowHeight(16), 80);
        EXPECT_EQ(form.AdvStringGrid1->font().family(), "Tahoma");

        ASSERT_EQ(form.gridRows(), 18);
        for (int row = 1; row <= 16; ++row) {
            for (int column = 1; column <= 8; ++column) {
                EXPECT_EQ(form.cellText(column, row), QString::number((row - 1) * 8 + column - 1))
                    << column << "," << row;
            }
        }
        for (int column = 1; column <= 8; ++column) {
            EXPECT_TRUE(form.cellText(column, 17).isEmpty());
            EXPECT_TRUE(form.cellPicture(column, 17).isNull());
        }
        EXPECT_EQ(form.cellText(2, 2), "9");
        EXPECT_EQ(form.cellText(1, 1), "0");
    });
    ASSERT_EQ(prompter->ofKind(Prompt::Kind::Modal).size(), 1U);
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Modal)[0].caption, "All Font Preview");

    // A smaller library empties the cells but keeps the rows.
    font().count = 3;
    allFont([](TForm4& form) {
        EXPECT_EQ(form.gridRows(), 18);
        EXPECT_EQ(form.cellText(3, 1), "2");
        EXPECT_TRUE(form.cellText(4, 1).isEmpty());
        EXPECT_TRUE(form.cellText(1, 2).isEmpty());
    });
}

TEST_F(PreviewTest, RowIsAddedOnlyWhenTheNextPositionReachesIt) {
    fillLibrary(7);
    allFont([](TForm4& form) { EXPECT_EQ(form.gridRows(), 2); });
    fillLibrary(8);
    allFont([](TForm4& form) {
        EXPECT_EQ(form.gridRows(), 3);
        EXPECT_EQ(form.AdvStringGrid1->rowHeight(1), 80);
    });
    fillLibrary(9);
    allFont([](TForm4& form) { EXPECT_EQ(form.gridRows(), 3); });
}

TEST_F(PreviewTest, CellPicturesKeepTheirAspectAndFillTheCellLessMargin) {
    setGlyph(0, {"#....", ".....", ".....", ".....", ".....", ".....", "....."}); // tall
    setGlyph(1, {std::string(20, '.'), std::string(20, '.'), std::string(20, '.'),
                 std::string(19, '.') + "B"}); // wide
    setBlankGlyph(2, 5, 7);
    setGlyph(3, {"#.", ".."}); // small, enlarged
    font().count = 4;
    allFont([](TForm4& form) {
        EXPECT_EQ(form.cellPicture(1, 1).size(), QSize(39, 55)); // 5 * 55 / 7 = 39.3
        EXPECT_EQ(form.cellPicture(2, 1).size(), QSize(55, 11));
        EXPECT_TRUE(form.cellPicture(3, 1).isNull());
        EXPECT_EQ(form.cellText(3, 1), "2");
        EXPECT_EQ(form.cellPicture(4, 1).size(), QSize(55, 55));

        const QImage wide = form.cellPicture(2, 1);
        EXPECT_EQ(wide.pixel(54, 10), qRgb(0, 0, 255));
        EXPECT_EQ(wide.pixel(0, 0), qRgb(0, 0, 0));

        // Drawn opaque and centred across the cell, black background included.
        const QRect place = form.cellPictureRect(1, 1);
        EXPECT_EQ(place.size(), QSize(39, 55));
        EXPECT_EQ(place.left(), (79 - 39) / 2); // the cell less its grid line
        const QImage shown = form.AdvStringGrid1->viewport()->grab().toImage();
        const QPoint cell =
            form.AdvStringGrid1->visualItemRect(form.AdvStringGrid1->item(0, 0)).topLeft();
        const QPoint picture = cell + place.topLeft();
        EXPECT_EQ(shown.pixel(picture), qRgb(255, 0, 0));
        EXPECT_EQ(shown.pixel(picture + QPoint(38, 54)), qRgb(0, 0, 0));
        EXPECT_NE(shown.pixel(cell + QPoint(2, 2)), qRgb(0, 0, 0));
    });
}

TEST_F(PreviewTest, ResizingOneColumnResizesAllColumns) {
    fillLibrary(1);
    allFont([](TForm4& form) {
        form.AdvStringGrid1->horizontalHeader()->resizeSection(3, 100);
        for (int column = 0; column < 8; ++column) {
            EXPECT_EQ(form.AdvStringGrid1->columnWidth(column), 100);
        }
    });
    // The next showing scales pictures into the wider cells.
    allFont([](TForm4& form) { EXPECT_EQ(form.cellPicture(1, 1).size(), QSize(75, 45)); });
}

TEST_F(PreviewTest, BothCommandsDoNothingWithoutGlyphs) {
    window->AllFont1Click();
    window->De1Click();
    EXPECT_TRUE(prompter->asked.empty());
}

TEST_F(TextPreviewTest, GlyphsFollowEachOtherAtZoomOne) {
    definedFont([](TForm4& form) {
        EXPECT_TRUE(form.Panelsingal->isVisible());
        EXPECT_FALSE(form.Panelall->isVisible());
        EXPECT_EQ(form.Memo1->size(), QSize(185, 42));
        ASSERT_EQ(form.ComboBox1->count(), 4);
        EXPECT_EQ(form.ComboBox1->itemText(0), "1*1");
        EXPECT_EQ(form.ComboBox1->itemText(3), "12*12");
        EXPECT_EQ(form.previewZoom(), 8);
        preview(form, "ab", Zoom1);
        const Picture& text = form.textPicture();
        EXPECT_EQ(text.format(), PixelFormat::Indexed4);
        EXPECT_EQ(pictureToText(text), (std::vector<std::string>{
                                           "#....B.....",
                                           ".....B.....",
                                           ".....B.....",
                                           ".....B.....",
                                           ".....B.....",
                                           ".....B.....",
                                           "....#B....#",
                                       }));
        EXPECT_TRUE(form.Image1->isVisible());
        EXPECT_TRUE(form.plainView().isVisible());
        EXPECT_FALSE(form.zoomedView().isVisible());
        EXPECT_EQ(form.plainView().size(), QSize(11, 7));
        EXPECT_EQ(form.Image1->size(), QSize(11, 7));
        const QImage shown = form.plainView().pixmap().toImage();
        EXPECT_EQ(shown.pixel(5, 0), qRgb(0, 0, 255));
        EXPECT_EQ(shown.pixel(4, 6), qRgb(255, 0, 0));
    });
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Modal)[0].caption, "Defined Font Preview");
}

TEST_F(TextPreviewTest, LinesStackAndGlyphsStandOnTheLineBottom) {
    setGlyph('c', {"#....", ".....", ".....", ".....", "....#"}); // 5 x 5
    definedFont([](TForm4& form) {
        preview(form, "a\nab", Zoom1);
        const Picture& text = form.textPicture();
        ASSERT_EQ(text.width(), 11);
        ASSERT_EQ(text.height(), 14);
        EXPECT_EQ(text.pixel(0, 7), kRed);      // second line's 'a' starts at y = 7
        EXPECT_EQ(text.pixel(4, 13), kRed);     // and ends on the picture's bottom row
        EXPECT_EQ(text.pixel(5, 7), 0xFF0000U); // 'b' of the second line
        EXPECT_EQ(text.pixel(5, 0), kBlack);    // the first line is one glyph wide

        preview(form, "a\naa", Zoom1);
        EXPECT_EQ(form.textPicture().width(), 10);
        EXPECT_EQ(form.textPicture().height(), 14);
        EXPECT_EQ(form.textPicture().pixel(5, 7), kRed);

        preview(form, "ac", Zoom1);
        EXPECT_EQ(form.textPicture().width(), 10);
        EXPECT_EQ(form.textPicture().height(), 7);
        EXPECT_EQ(form.textPicture().pixel(5, 2), kRed); // 5 x 5 glyph 2 pixels lower
        EXPECT_EQ(form.textPicture().pixel(5, 0), kBlack);
        EXPECT_EQ(form.textPicture().pixel(9, 6), kRed);

        // An empty last line does not count.
        preview(form, "ab\n", Zoom1);
        EXPECT_EQ(form.textPicture().height(), 7);
    });
}

TEST_F(TextPreviewTest, LineHeightIsOneValueForTheWholeText) {
    setGlyph('c', {"#....", ".....", ".....", ".....", "....#"}); // 5 x 5
    definedFont([](TForm4& form) {
        // A short line above a tall one and an empty line: every line is 7 tall and nothing of
        // the last line is cut off.
        preview(form, "c\n\na", Zoom1);
        const Picture& text = form.textPicture();
        ASSERT_EQ(text.height(), 21);
        EXPECT_EQ(text.pixel(0, 2), kRed);  // 'c' on the first line's bottom edge
        EXPECT_EQ(text.pixel(4, 20), kRed); // 'a' on the third line, whole
    });
}

TEST_F(TextPreviewTest, CharactersBecomeWindows1252Bytes) {
    setBlankGlyph(0x80, 3, 7); // euro sign, above the glyph count
    setBlankGlyph('?', 4, 7);
    setBlankGlyph(0xE9, 2, 7); // e acute
    definedFont([](TForm4& form) {
        preview(form, QString::fromUtf8("\u20AC\u0436\u00E9"), Zoom1);
        EXPECT_EQ(form.textPicture().width(), 3 + 4 + 2);
        preview(form, QString::fromUtf8("\U0001F600"), Zoom1); // one character, not two
        EXPECT_EQ(form.textPicture().width(), 4);
    });
}

TEST_F(TextPreviewTest, EnlargedViewShowsEachPixelsOwnColour) {
    GlyphRecord& a = font().glyphs['a'];
    a.picture->setPixel(1, 1, makeRgb(250, 10, 10)); // not a standard colour: snaps to red
    definedFont([](TForm4& form) {
        EXPECT_EQ(form.ComboBox1->currentText(), "8*8");
        preview(form, "ab", Zoom8);
        const CellCanvas& view = form.zoomedView();
        EXPECT_TRUE(view.isVisible());
        EXPECT_FALSE(form.plainView().isVisible());
        EXPECT_EQ(view.size(), QSize(89, 57));
        EXPECT_EQ(form.Image1->size(), QSize(89, 57));
        EXPECT_EQ(view.pixelAt(4, 4), kRed);
        EXPECT_EQ(view.pixelAt(12, 12), kRed);
        EXPECT_EQ(view.pixelAt(5 * 8 + 4, 4), 0xFF0000U); // blue stays blue
        EXPECT_EQ(view.pixelAt(0, 3), view.gridColour());
        EXPECT_EQ(view.pixelAt(88, 20), CellCanvas::kBackground);
    });
}

TEST_F(TextPreviewTest, EmptyBoxDrawsNothing) {
    definedFont([](TForm4& form) {
        preview(form, "", Zoom8);
        EXPECT_FALSE(form.Image1->isVisible());
        EXPECT_TRUE(form.textPicture().isEmpty());

        preview(form, "ab", Zoom8);
        preview(form, "", Zoom8);
        EXPECT_TRUE(form.Image1->isVisible());
        EXPECT_EQ(form.textPicture().width(), 11);
        EXPECT_EQ(form.zoomedView().size(), QSize(89, 57));
    });
}

TEST_F(TextPreviewTest, ZoomChangeRedrawsAtOnce) {
    definedFont([](TForm4& form) {
        preview(form, "ab", Zoom8);
        form.ComboBox1->setCurrentIndex(Zoom5);
        EXPECT_EQ(form.previewZoom(), 5);
        EXPECT_EQ(form.zoomedView().size(), QSize(56, 36));
        form.ComboBox1->setCurrentIndex(Zoom12);
        EXPECT_EQ(form.zoomedView().size(), QSize(133, 85));
        form.ComboBox1->setCurrentIndex(Zoom1);
        EXPECT_TRUE(form.plainView().isVisible());
        EXPECT_FALSE(form.zoomedView().isVisible());
        EXPECT_EQ(form.Image1->size(), QSize(11, 7));
    });
}

TEST_F(TextPreviewTest, WrappedLineCountsAsSeveralLines) {
    definedFont([](TForm4& form) {
        const int length = 40;
        preview(form, QString(length, 'a'), Zoom1);
        const QTextLayout* shown = form.Memo1->document()->firstBlock().layout();
        ASSERT_NE(shown, nullptr);
        const int lines = shown->lineCount();
        ASSERT_GE(lines, 2) << "the box should wrap a line this long";
        EXPECT_EQ(form.textPicture().height(), 7 * lines);
        EXPECT_EQ(form.textPicture().width(), 5 * shown->lineAt(0).textLength());
        EXPECT_LT(form.textPicture().width(), 5 * length);
    });
}

TEST_F(TextPreviewTest, ZoomChoiceLastsAndOpeningResetsTheText) {
    definedFont([](TForm4& form) { preview(form, "ab", Zoom1); });
    allFont([](TForm4&) {});
    definedFont([](TForm4& form) {
        EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
        EXPECT_FALSE(form.Image1->isVisible());
        EXPECT_EQ(form.ComboBox1->currentIndex(), Zoom1);
        EXPECT_EQ(form.previewZoom(), 1);
        form.Memo1->setPlainText("a");
        form.Button1->click();
        EXPECT_TRUE(form.plainView().isVisible());
        EXPECT_EQ(form.Image1->size(), QSize(5, 7));
    });
}

TEST_F(TextPreviewTest, TooLargeTextIsRefusedAndChangesNothing) {
    setBlankGlyph('w', 3000, 1);
    setBlankGlyph('x', 9000, 1);
    definedFont([](TForm4& form) {
        preview(form, "ab", Zoom12);
        form.Memo1->setPlainText("w"); // 36001 screen pixels wide at zoom 12
        form.Button1->click();
        EXPECT_EQ(form.textPicture().width(), 11);
        EXPECT_EQ(form.zoomedView().size(), QSize(133, 85));

        form.ComboBox1->setCurrentIndex(Zoom8); // 24001 screen pixels fit
        EXPECT_EQ(form.textPicture().width(), 3000);
        EXPECT_EQ(form.zoomedView().size(), QSize(24001, 9));

        form.Memo1->setPlainText("xx"); // 18000 pixels wide before zooming
        form.ComboBox1->setCurrentIndex(Zoom1);
        EXPECT_EQ(form.textPicture().width(), 3000);
        EXPECT_TRUE(form.zoomedView().isVisible());
        EXPECT_FALSE(form.plainView().isVisible());
    });
    const auto messages = prompter->ofKind(Prompt::Kind::Message);
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_FALSE(messages[0].text.isEmpty());
}

} // namespace
} // namespace korvel
