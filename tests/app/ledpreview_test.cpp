// The LED preview window: what it shows, the panel, the look of the dots, the marquee and
// "Save Picture…", driven as a user would.

#include "app/ledpreview.h"

#include "support/windowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace korvel {
namespace {

class LedPreviewTest : public WindowTest {
protected:
    LedPreviewTest() {
        // Glyph 'A' is 3 x 3, 'B' 2 x 3: one line of text "AB" is 5 x 3 dots.
        writeBytes(path(QStringLiteral("abc.lcm")), fontFile(glyphsAB()));
    }

    static std::vector<std::vector<std::string>> glyphsAB() {
        std::vector<std::vector<std::string>> glyphs(128, std::vector<std::string>{"..", ".."});
        glyphs['A'] = {".#.", "#.#", "###"};
        glyphs['B'] = {"##", "#.", "##"};
        return glyphs;
    }

    LedPreview& openPreview() {
        window->LedPreview1->trigger();
        LedPreview* preview = window->ledPreview();
        EXPECT_NE(preview, nullptr);
        return *preview;
    }

    /// The screen pixel at the centre of dot (x, y).
    static QRgb centre(LedPreview& preview, int x, int y) {
        const int pitch = preview.Pitch->value();
        return preview.frame().pixel(x * pitch + pitch / 2, y * pitch + pitch / 2) | 0xFF000000U;
    }
    static QRgb litRed() { return ledColours()[0].lit; }
    /// One timeout of the marquee's timer, as the event loop delivers it.
    static void tick(LedPreview& preview) {
        ASSERT_TRUE(QMetaObject::invokeMethod(preview.ScrollTimer, "timeout"));
    }
};

TEST_F(LedPreviewTest, ViewMenuOpensANonModalWindowWithCtrlL) {
    const QList<QAction*> menus = window->menuBar()->actions();
    QStringList titles;
    for (const QAction* menu : menus) {
        titles << menu->text();
    }
    EXPECT_GT(titles.indexOf(QStringLiteral("View")), titles.indexOf(QStringLiteral("Export")));
    EXPECT_EQ(window->LedPreview1->text(), QStringLiteral("LED Preview"));
    EXPECT_EQ(window->LedPreview1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    LedPreview& preview = openPreview();
    EXPECT_TRUE(preview.isVisible());
    EXPECT_FALSE(preview.isModal());
    EXPECT_TRUE(prompter->ofKind(Prompt::Kind::Modal).empty());
}

TEST_F(LedPreviewTest, TypedTextLightsTheGlyphsInkOnThePanel) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("AB"));
    const DotFrame& dots = preview.dots();
    ASSERT_EQ(dots.width(), 32); // the P10 panel it opens with
    ASSERT_EQ(dots.height(), 16);
    const std::vector<std::string> expected{".#.##", "#.##.", "#####"};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool lit =
                x < 5 && expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#';
            EXPECT_EQ(dots.dot(x, y), lit ? litRed() : 0U) << x << "," << y;
        }
    }
    // A character the code page lacks is "?", whose blank glyph lights nothing.
    preview.TextEdit->setPlainText(QStringLiteral("\u4e00A"));
    EXPECT_EQ(preview.dots().dot(2 + 1, 0), litRed());
}

TEST_F(LedPreviewTest, TextAndBitmapNamesAreReadInTheCodePage) {
    std::vector<std::vector<std::string>> glyphs(256, std::vector<std::string>{"..", ".."});
    glyphs[0xC6] = {"#.#", ".#.", "#.#"}; // "Ж" in Windows-1251
    writeBytes(path(QStringLiteral("cyrillic.lcm")), fontFile(glyphs));
    openFont(path(QStringLiteral("cyrillic.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("Ж"));
    EXPECT_EQ(preview.dots().dot(0, 0), 0U) << "Windows-1252 has no Ж: its \"?\" is blank";
    window->document().setCodePage(*codePageByName("cp1251"));
    EXPECT_EQ(preview.dots().dot(0, 0), litRed());
    EXPECT_EQ(preview.dots().dot(1, 0), 0U);
    writeBytes(path(QStringLiteral("names.bcm")), bitmapFile({{"\xC6", {"R"}}}));
    openBitmaps(path(QStringLiteral("names.bcm")));
    ASSERT_EQ(preview.BitmapList->count(), 1);
    EXPECT_EQ(preview.BitmapList->item(0)->text(), QStringLiteral("Ж"));
}

TEST_F(LedPreviewTest, FramePixelsShowLitDimAndBoard) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("A"));
    ASSERT_EQ(preview.Pitch->value(), 8);
    const QImage& frame = preview.frame();
    EXPECT_EQ(frame.size(), QSize(32 * 8, 16 * 8));
    EXPECT_EQ(centre(preview, 1, 0), litRed());            // lit
    EXPECT_EQ(centre(preview, 0, 0), dimOf(litRed()));     // unlit: dim
    EXPECT_EQ(frame.pixel(0, 0) | 0xFF000000U, kLedBoard); // the corner between dots
    EXPECT_EQ(frame.pixel(8 + 7, 7) | 0xFF000000U, kLedBoard);
    // Other colours, square dots filling the pitch: no board left between them.
    preview.ColourBox->setCurrentIndex(2);
    preview.ShapeBox->setCurrentIndex(1);
    preview.DotSize->setValue(100);
    EXPECT_EQ(centre(preview, 1, 0), ledColours()[2].lit);
    EXPECT_EQ(preview.frame().pixel(8, 0) | 0xFF000000U, ledColours()[2].lit);
    // Pitch changes the frame's size; the glow lights the board beside a lit dot.
    preview.ShapeBox->setCurrentIndex(0);
    preview.DotSize->setValue(60);
    preview.Pitch->setValue(12);
    EXPECT_EQ(preview.frame().size(), QSize(32 * 12, 16 * 12));
    const QPoint gap(12 + 1, 12 + 6); // left of dot (1, 1)'s disc, on the board
    EXPECT_EQ(preview.frame().pixel(gap) | 0xFF000000U, kLedBoard);
    preview.Glow->setChecked(true);
    EXPECT_GT(qRed(preview.frame().pixel(QPoint(12 + 11, 6))), qRed(kLedBoard) + 10);
}

TEST_F(LedPreviewTest, PresetsAndCustomSizesAndPosition) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    ASSERT_EQ(preview.PresetBox->count(), 7);
    preview.PresetBox->setCurrentIndex(3);
    emit preview.PresetBox->activated(3);
    EXPECT_EQ(preview.dots().width(), 128);
    EXPECT_EQ(preview.dots().height(), 64);
    preview.PanelWidth->setValue(600); // beyond the largest panel
    preview.PanelHeight->setValue(300);
    EXPECT_EQ(preview.dots().width(), 512);
    EXPECT_EQ(preview.dots().height(), 256);
    EXPECT_EQ(preview.PresetBox->currentText(), QStringLiteral("Custom"));
    preview.PanelWidth->setValue(32);
    preview.PanelHeight->setValue(8);
    EXPECT_EQ(preview.PresetBox->currentIndex(), 0);
    preview.TextEdit->setPlainText(QStringLiteral("A"));
    preview.ContentLeft->setValue(10);
    preview.ContentTop->setValue(5);
    EXPECT_EQ(preview.dots().dot(11, 5), litRed());
    EXPECT_EQ(preview.dots().dot(1, 0), 0U);
    EXPECT_EQ(preview.dots().dot(10, 7), litRed()); // the bottom row, cut below by the panel
}

TEST_F(LedPreviewTest, MarqueeMovesOneDotPerTickAndWrapsRound) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("A"));
    preview.Speed->setValue(25);
    EXPECT_EQ(preview.ScrollTimer->interval(), 40);
    preview.Speed->setValue(200);
    EXPECT_EQ(preview.ScrollTimer->interval(), 5);
    preview.PlayButton->click();
    EXPECT_TRUE(preview.ScrollTimer->isActive());
    EXPECT_EQ(preview.PlayButton->text(), QStringLiteral("Pause"));
    preview.PlayButton->click();
    EXPECT_FALSE(preview.ScrollTimer->isActive());

    const DotFrame before = preview.dots();
    tick(preview);
    const DotFrame& after = preview.dots();
    EXPECT_EQ(preview.scrollOffset(), -1);
    for (int x = 0; x + 1 < 32; ++x) {
        EXPECT_EQ(after.dot(x, 2), before.dot(x + 1, 2)) << x;
    }
    // Column 0 of "A" leaves on the left and comes in again at the right edge.
    EXPECT_EQ(after.dot(31, 1), before.dot(0, 1));
    EXPECT_EQ(after.dot(31, 1), litRed());
    preview.DirectionBox->setCurrentIndex(1);
    tick(preview);
    tick(preview);
    EXPECT_EQ(preview.scrollOffset(), 1);
    EXPECT_EQ(preview.dots().dot(1, 1), litRed());
    // A whole period brings the first frame back.
    for (int step = 0; step < 31; ++step) {
        tick(preview);
    }
    EXPECT_EQ(preview.scrollOffset(), 0);
    EXPECT_EQ(preview.dots(), before);
}

TEST_F(LedPreviewTest, FollowsTheDocumentAsPixelsArePainted) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("A"));
    EXPECT_EQ(preview.dots().dot(0, 0), 0U);
    window->document().paintGlyphPixel('A', 0, 0, kRed);
    EXPECT_EQ(preview.dots().dot(0, 0), litRed());
    window->document().history().undo();
    EXPECT_EQ(preview.dots().dot(0, 0), 0U);
}

TEST_F(LedPreviewTest, BitmapsSideBySideInTheirColours) {
    writeBytes(path(QStringLiteral("pair.bcm")),
               bitmapFile({{"one", {"RG", "B."}}, {"two", {"YAW"}}, {"three", {"F"}}}));
    LedPreview& preview = openPreview();
    openBitmaps(path(QStringLiteral("pair.bcm")));
    EXPECT_FALSE(preview.TextEdit->isVisibleTo(&preview));
    ASSERT_EQ(preview.BitmapList->count(), 3);
    EXPECT_EQ(preview.chosenBitmaps(), std::vector<int>{0});
    preview.BitmapList->item(1)->setSelected(true);
    const DotFrame& dots = preview.dots();
    EXPECT_EQ(dots.dot(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(dots.dot(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(dots.dot(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(dots.dot(1, 1), 0U); // black is unlit
    EXPECT_EQ(dots.dot(2, 0), qRgb(255, 255, 0));
    EXPECT_EQ(dots.dot(4, 0), qRgb(255, 255, 255));
    EXPECT_EQ(centre(preview, 1, 1), kUnlitBitmapDot);
    // Deleting a shown bitmap leaves the other chosen, and only it.
    prompter->answers.push_back(true);
    clickRow(1);
    window->RemoveBitmap1Click();
    ASSERT_EQ(preview.BitmapList->count(), 2);
    EXPECT_EQ(preview.chosenBitmaps(), std::vector<int>{0});
    EXPECT_EQ(preview.dots().dot(0, 0), qRgb(255, 255, 0));
    EXPECT_EQ(preview.dots().dot(3, 0), 0U);
}

TEST_F(LedPreviewTest, SavePictureWritesTheFrameAsPng) {
    openFont(path(QStringLiteral("abc.lcm")));
    LedPreview& preview = openPreview();
    preview.TextEdit->setPlainText(QStringLiteral("AB"));
    const QString file = path(QStringLiteral("frame.png"));
    prompter->files.push_back(file);
    preview.SaveButton->click();
    const QImage saved(file);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              preview.frame().convertToFormat(QImage::Format_RGB32));
    // A folder that cannot be written: the error box, no file.
    prompter->files.push_back(path(QStringLiteral("missing/frame.png")));
    preview.SaveButton->click();
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Error).size(), 1U);
}

} // namespace
} // namespace korvel
