// The editor's current code page: "Options" > "Code Page", and what it decides: column 0 of the
// upper codes, "Font Setup" (the rendered codes and the sample text), the text preview's codes,
// and bitmap names typed, listed and compared in it.
#include "app/uallpreview.h"
#include "app/usetup.h"
#include "core/codepage.h"
#include "document/glyphrender.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace korvel {
namespace {

const QString kDejaVu = QStringLiteral("DejaVu Sans");

/// The pixels of a glyph as rows of "#" (ink) and "." (background).
[[nodiscard]] std::vector<std::string> inkRows(const GlyphRecord& glyph) {
    std::vector<std::string> rows;
    for (int y = 0; glyph.picture && y < glyph.picture->height(); ++y) {
        std::string row;
        for (int x = 0; x < glyph.picture->width(); ++x) {
            row += isInk(glyph.picture->pixel(x, y)) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

/// Types text into a widget one character at a time, each a key press and release carrying its
/// character, as a keyboard layout of that script delivers it (QTest::keyClicks sends Latin-1
/// only).
void typeText(QWidget* widget, const QString& text) {
    for (const char32_t character : text.toUcs4()) {
        const QString piece = QString::fromUcs4(&character, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, piece);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, piece);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

class CodePageEditorTest : public WindowTest {
protected:
    [[nodiscard]] const StringGrid& list() const { return *window->AdvStringGrid2; }
    [[nodiscard]] TForm2& setup() const { return *window->form2(); }

    /// Chooses a code page through its menu item, as a user does.
    void choose(const std::string& name) {
        QAction* item = window->codePageItem(*codePageByName(name));
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
        ASSERT_EQ(window->document().codePage(), *codePageByName(name));
    }
    /// "Font Library" > "New Library" with DejaVu Sans 12 points, codes 0-255.
    void newDejaVuFont() {
        prompter->answers.push_back(true);
        prompter->modals.push_back([this](QDialog&) {
            setup().RadioButton3->click();
            setup().tFontName->setCurrentText(kDejaVu);
            setup().tFontsize->setValue(12);
            setup().ComboBox2->setCurrentIndex(1);
            setup().Button1->click();
        });
        window->NewFontFile1Click();
    }
    /// "Bitmap Library" > "Add Bitmap" (or "New Library" for the first) with name typed key by
    /// key; what the field held.
    QString typeBitmapName(const QString& name) {
        QString typed;
        prompter->modals.push_back([&](QDialog&) {
            setup().Edit2->clear();
            typeText(setup().Edit2, name);
            typed = setup().Edit2->text();
            setup().Button1->click();
        });
        if (window->editingMode() == EditingMode::Bitmap) {
            window->AddBitmapFile1Click();
        } else {
            prompter->answers.push_back(true); // "Bitmap Library" > "New Library"
            window->NewBitampFile1Click();
        }
        return typed;
    }
};

TEST_F(CodePageEditorTest, TheOptionsMenuComesLastWithOneCodePageChecked) {
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.front()->text(), "Font Library      ");
    EXPECT_EQ(menus.back()->text(), "Options");
    ASSERT_NE(window->CodePage1, nullptr);
    EXPECT_EQ(window->CodePage1->title(), "Code Page");
    // One submenu per script, each code page once, Windows-1252 checked at the start.
    QStringList scripts;
    int items = 0;
    for (QAction* scriptItem : window->CodePage1->actions()) {
        ASSERT_NE(scriptItem->menu(), nullptr);
        scripts.push_back(scriptItem->text());
        for (QAction* item : scriptItem->menu()->actions()) {
            ++items;
            EXPECT_TRUE(item->isCheckable());
            EXPECT_EQ(item->isChecked(), item->text() == "Windows-1252")
                << item->text().toStdString();
        }
    }
    EXPECT_EQ(items, static_cast<int>(allCodePages().size()));
    EXPECT_EQ(scripts.front(), "Western European");
    EXPECT_TRUE(scripts.contains("Cyrillic"));
    EXPECT_EQ(scripts.removeDuplicates(), 0);
    choose("windows-1251");
    EXPECT_TRUE(window->codePageItem(*codePageByName("cp1251"))->isChecked());
    EXPECT_FALSE(window->codePageItem(windows1252())->isChecked());
}

TEST_F(CodePageEditorTest, FontSetupRendersCyrillicAndColumnZeroShowsIt) {
    choose("windows-1251");
    // The sample text shows what "Add " would make: "é" has no Windows-1251 code.
    setup().Edit1->setText(QStringLiteral("Жé"));
    setup().tFontName->setCurrentText(kDejaVu);
    setup().tFontsize->setValue(12);
    EXPECT_EQ(setup().Label_p->text(), QStringLiteral("Ж?"));
    newDejaVuFont();
    const FontLibrary& font = window->fontLibrary();
    ASSERT_EQ(font.count, 256);
    const RenderedCodes expected = renderCodes(kDejaVu, 12, 256, *codePageByName("cp1251"));
    for (const int code : {int{'A'}, 192, 255}) {
        EXPECT_EQ(inkRows(font.glyphs[static_cast<std::size_t>(code)]),
                  inkRows(expected.glyphs[static_cast<std::size_t>(code)]))
            << "code " << code;
    }
    EXPECT_EQ(list().cell(0, 193), QStringLiteral("А"));
    EXPECT_EQ(list().cell(0, 256), QStringLiteral("я"));
    EXPECT_EQ(list().cell(0, 66), "A");
    EXPECT_EQ(list().cell(0, 153), "") << "0x98 is undefined in Windows-1251";
    // Another code page relabels column 0 and leaves the glyphs as they are; in Windows-1252 the
    // rows of the upper codes show no character, as they always did.
    choose("koi8-r");
    EXPECT_EQ(list().cell(0, 193), QStringLiteral("ю"));
    choose("windows-1252");
    EXPECT_EQ(list().cell(0, 193), "");
    EXPECT_EQ(list().cell(0, 66), "A");
    EXPECT_EQ(inkRows(font.glyphs[192]), inkRows(expected.glyphs[192]));
    setup().Edit1->setText(QStringLiteral("Жé"));
    EXPECT_EQ(setup().Label_p->text(), QStringLiteral("Жé")) << "shown as typed in Windows-1252";
}

TEST_F(CodePageEditorTest, DefinedFontTurnsTypedTextIntoCodesOfTheCodePage) {
    window->document().makeFontLibrary([](FontLibrary& library) {
        library.count = 256;
        for (int code = 0; code < 256; ++code) {
            library.glyphs[static_cast<std::size_t>(code)] = GlyphRecord{code, 1, 5, std::nullopt};
        }
        library.glyphs[0xDF].width = 3; // "Я" in Windows-1251, "ß" in Windows-1252
        library.glyphs['?'].width = 7;
        library.glyphs[0xF1].width = 20; // "Я" in KOI8-R
    });
    const auto previewWidth = [this](const QString& text) {
        int width = -1;
        prompter->modals.push_back([&](QDialog&) {
            TForm4& form = *window->form4();
            form.Memo1->setPlainText(text);
            form.Button1->click();
            width = form.textPicture().width();
        });
        window->De1Click();
        return width;
    };
    choose("cp1251");
    EXPECT_EQ(previewWidth(QStringLiteral("Яé")), 3 + 7); // "é" lacks a code: "?"
    choose("koi8-r");
    EXPECT_EQ(previewWidth(QStringLiteral("Я")), 20);
    choose("windows-1252");
    EXPECT_EQ(previewWidth(QStringLiteral("Я")), 7);
    EXPECT_EQ(previewWidth(QStringLiteral("ß")), 3);
}

TEST_F(CodePageEditorTest, BitmapNamesAreTypedListedAndComparedInTheCodePage) {
    choose("cp1251");
    EXPECT_EQ(typeBitmapName(QStringLiteral("Лого")), QStringLiteral("Лого"));
    ASSERT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(window->bitmapLibrary().entries[0].name, "\xCB\xEE\xE3\xEE");
    EXPECT_EQ(list().cell(2, 1), QStringLiteral("Лого"));
    // The same name in capitals is refused.
    EXPECT_EQ(typeBitmapName(QStringLiteral("ЛОГО")), QStringLiteral("ЛОГО"));
    EXPECT_EQ(window->bitmapLibrary().count(), 1);
    ASSERT_FALSE(prompter->ofKind(Prompt::Kind::Message).empty());
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Message).back().text,
              "Please input exclusive bitmap name!");
    setup().reject(); // the refused name keeps the dialog open

    // Windows-1252 reads the same bytes as Latin letters; they are not rewritten.
    choose("windows-1252");
    EXPECT_EQ(list().cell(2, 1), QStringLiteral("Ëîãî"));
    EXPECT_EQ(window->bitmapLibrary().entries[0].name, "\xCB\xEE\xE3\xEE");
    EXPECT_EQ(window->bitmapLibrary().index.find("\xEB\xEE\xE3\xEE"), 0); // "ëîãî"
    // There, as specified, a character above code 128 cannot be typed at all.
    EXPECT_EQ(typeBitmapName(QStringLiteral("Жé1")), QStringLiteral("1"));
    choose("cp1251");
    EXPECT_EQ(list().cell(2, 1), QStringLiteral("Лого"));
    EXPECT_EQ(list().cell(2, 2), "1");
    // "Ё" and "ё" pair up in Windows-1251 only: the index compares in the current code page.
    EXPECT_EQ(window->bitmapLibrary().index.find("\xB8\xEE"), std::nullopt);
    EXPECT_EQ(typeBitmapName(QStringLiteral("Ёо")), QStringLiteral("Ёо"));
    EXPECT_EQ(window->bitmapLibrary().index.find("\xB8\xEE"), 2); // "ёо"
    choose("windows-1252");
    EXPECT_EQ(window->bitmapLibrary().index.find("\xB8\xEE"), std::nullopt); // "¸î"
}

} // namespace
} // namespace korvel
