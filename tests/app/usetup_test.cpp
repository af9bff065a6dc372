#include "app/usetup.h"
#include "document/glyphrender.h"
#include "document/librarytext.h"
#include "support/picturetext.h"
#include "support/typing.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <tuple>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

const QString kDejaVu = QStringLiteral("DejaVu Sans");

/// A main window whose setup dialog is driven through the menu commands and a script.
class SetupDialogTest : public WindowTest {
protected:
    /// "Font Library" > "New Library", answered OK, with the dialog driven by script.
    void newFont(const std::function<void(TForm2&)>& script) {
        prompter->answers.push_back(true);
        prompter->modals.push_back([this, script](QDialog&) { script(*dialog); });
        window->NewFontFile1Click();
    }
    /// "Font Library" > "New Library" with "User-Defined Font" of one size and code range.
    void newBlankFont(int rangeIndex, int width, int height) {
        newFont([&](TForm2& form) {
            form.RadioButton4->click();
            form.ComboBox1->setCurrentIndex(rangeIndex);
            form.SpinEdit1->setValue(width);
            form.SpinEdit2->setValue(height);
            form.Button1->click();
        });
    }
    /// Types name into the bitmap face and presses "Add "; true when the dialog closed.
    bool addNamed(const QString& name, int width = 16, int height = 16) {
        bool closed = false;
        prompter->modals.push_back([&](QDialog&) {
            dialog->Edit2->setText(name);
            dialog->SpinEdit3->setValue(width);
            dialog->SpinEdit4->setValue(height);
            dialog->Button1->click();
            closed = !dialog->isVisible();
        });
        window->AddBitmapFile1Click();
        return closed;
    }
    /// "Bitmap Library" > "New Library" with a first bitmap of that name.
    void newBitmaps(const QString& name) {
        prompter->answers.push_back(true);
        prompter->modals.push_back([this, name](QDialog&) {
            dialog->Edit2->setText(name);
            dialog->Button1->click();
        });
        window->NewBitampFile1Click();
    }
    [[nodiscard]] std::vector<QString> messages() const {
        std::vector<QString> texts;
        for (const Prompt& prompt : prompter->ofKind(Kind::Message)) {
            texts.push_back(prompt.text);
        }
        return texts;
    }
    [[nodiscard]] const StringGrid& list() const { return *window->AdvStringGrid2; }

    TForm2* dialog = window->form2();
};

[[nodiscard]] QColor background(const QWidget& control) {
    return control.palette().color(QPalette::Base);
}

[[nodiscard]] auto fields(const GlyphRecord& glyph) {
    return std::tuple{glyph.code, glyph.width, glyph.height, glyph.picture};
}

[[nodiscard]] bool sameGlyphs(const FontLibrary& a, const FontLibrary& b) {
    return std::equal(
        a.glyphs.begin(), a.glyphs.end(), b.glyphs.begin(),
        [](const GlyphRecord& x, const GlyphRecord& y) { return fields(x) == fields(y); });
}

[[nodiscard]] bool onlyRedAndBlack(const Picture& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (const Rgb pixel : picture.row(y)) {
            if (pixel != kRed && pixel != kBlack) {
                return false;
            }
        }
    }
    return true;
}

[[nodiscard]] int inkCount(const Picture& picture) {
    int ink = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (const Rgb pixel : picture.row(y)) {
            ink += pixel == kRed ? 1 : 0;
        }
    }
    return ink;
}

TEST_F(SetupDialogTest, StartsWithTheControlsOfBothFaces) {
    EXPECT_EQ(dialog->size(), QSize(351, 199));
    EXPECT_EQ(dialog->fontpanel->geometry(), dialog->bitmapPanel->geometry());
    EXPECT_EQ(dialog->fontpanel->size(), QSize(342, 155));
    EXPECT_EQ(dialog->Button1->text(), "Add ");
    EXPECT_EQ(dialog->Button2->text(), "Cancel");
    EXPECT_EQ(dialog->RadioButton3->text(), "System Font");
    EXPECT_TRUE(dialog->RadioButton3->isChecked());
    EXPECT_EQ(dialog->RadioButton4->text(), "User-Defined Font");
    EXPECT_FALSE(dialog->RadioButton4->isChecked());
    for (const QComboBox* range : {dialog->ComboBox1, dialog->ComboBox2}) {
        ASSERT_EQ(range->count(), 2);
        EXPECT_EQ(range->itemText(0), "0-127");
        EXPECT_EQ(range->itemText(1), "0-255");
        EXPECT_EQ(range->currentIndex(), 0);
    }
    const auto range = [](const QSpinBox* box) {
        return std::tuple{box->minimum(), box->maximum(), box->value()};
    };
    EXPECT_EQ(range(dialog->tFontsize), std::tuple(1, 250, 7));
    EXPECT_EQ(range(dialog->SpinEdit1), std::tuple(1, 1024, 5));
    EXPECT_EQ(range(dialog->SpinEdit2), std::tuple(1, 576, 9));
    EXPECT_EQ(range(dialog->SpinEdit3), std::tuple(4, 1024, 16));
    EXPECT_EQ(range(dialog->SpinEdit4), std::tuple(4, 512, 16));
    EXPECT_EQ(dialog->Edit1->text(), "A");
    EXPECT_TRUE(dialog->Edit2->text().isEmpty());
    EXPECT_EQ(dialog->Edit2->maxLength(), 8);
    EXPECT_EQ(dialog->Panel1->size(), QSize(327, 49));
    EXPECT_EQ(dialog->Panel1->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(dialog->Label_p->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(dialog->Label7->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(dialog->Label8->palette().color(QPalette::WindowText), QColor(Qt::yellow));
}

TEST_F(SetupDialogTest, ListsInstalledFontsSortedWithoutAtNames) {
    const QComboBox& names = *dialog->tFontName;
    QStringList listed;
    for (int k = 0; k < names.count(); ++k) {
        listed << names.itemText(k);
    }
    ASSERT_TRUE(listed.contains(kDejaVu)) << "DejaVu Sans belongs to every Debian machine";
    QStringList sorted = listed;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, sorted);
    EXPECT_FALSE(listed.join(QString()).contains(u'@'));
    EXPECT_EQ(listed, installedFamilies()) << "the list korvel-cli list-fonts prints";
    EXPECT_EQ(names.currentIndex(), names.findText(QStringLiteral("Microsoft Sans Serif")))
        << "Microsoft Sans Serif is selected when installed, else nothing is";
}

TEST_F(SetupDialogTest, RadioButtonsSwapTheEnabledGroup) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    const std::vector<QWidget*> system{dialog->ComboBox2, dialog->tFontName, dialog->tFontsize,
                                       dialog->Edit1};
    const std::vector<QWidget*> user{dialog->ComboBox1, dialog->SpinEdit1, dialog->SpinEdit2};
    const auto expectEnabled = [&](const std::vector<QWidget*>& group, bool enabled) {
        for (const QWidget* control : group) {
            EXPECT_EQ(control->isEnabled(), enabled);
            EXPECT_EQ(background(*control), enabled ? QColor(Qt::white) : face);
        }
    };
    expectEnabled(system, true);
    expectEnabled(user, false);
    dialog->RadioButton4->click();
    expectEnabled(system, false);
    expectEnabled(user, true);
    dialog->RadioButton3->click();
    expectEnabled(system, true);
    expectEnabled(user, false);
    const std::vector<QWidget*> bitmapControls{dialog->Edit2, dialog->SpinEdit3, dialog->SpinEdit4};
    for (const QWidget* control : bitmapControls) {
        EXPECT_TRUE(control->isEnabled());
        EXPECT_EQ(background(*control), QColor(Qt::white));
    }
}

TEST_F(SetupDialogTest, PreviewShowsTheSampleSizeInPixels) {
    const auto shown = [&] { return std::pair{dialog->Label7->text(), dialog->Label8->text()}; };
    dialog->tFontName->setCurrentText(kDejaVu);
    dialog->tFontsize->setValue(7);
    const QSize small = dialog->Label_p->size();
    EXPECT_EQ(shown(), std::pair(QStringLiteral("width:%1").arg(small.width()),
                                 QStringLiteral("heihgt:%1").arg(small.height())));
    EXPECT_EQ(dialog->Label_p->text(), "A");
    EXPECT_GT(small.width(), 0);

    dialog->Edit1->setText(QStringLiteral("AAAA"));
    EXPECT_EQ(dialog->Label_p->text(), "AAAA");
    EXPECT_EQ(dialog->Label_p->width(), 4 * small.width());
    EXPECT_EQ(dialog->Label_p->height(), small.height());

    dialog->tFontsize->setValue(70);
    EXPECT_GT(dialog->Label_p->height(), 5 * small.height());
    EXPECT_EQ(shown().second, QStringLiteral("heihgt:%1").arg(dialog->Label_p->height()));

    const QString other = dialog->tFontName->itemText(0) == kDejaVu
                              ? dialog->tFontName->itemText(1)
                              : dialog->tFontName->itemText(0);
    dialog->tFontName->setCurrentText(other);
    EXPECT_EQ(dialog->Label_p->font().family(), other);
}

TEST_F(SetupDialogTest, PreviewSizeIsTheSizeTheGlyphsGet) {
    // FreeSans draws "g" below its descent; DejaVu Sans draws accented capitals above its ascent.
    const std::vector<std::tuple<QString, int, int, QString>> cases{
        {QStringLiteral("FreeSans"), 9, 0, QStringLiteral("gjpqy")},
        {kDejaVu, 7, 1, QStringLiteral("\u00C9A")},
        {kDejaVu, 7, 0, QStringLiteral("Ag")},
    };
    for (const auto& [family, points, range, sample] : cases) {
        int shownWidth = 0;
        int shownHeight = 0;
        newFont([&](TForm2& form) {
            form.tFontName->setCurrentText(family);
            form.tFontsize->setValue(points);
            form.ComboBox2->setCurrentIndex(range);
            form.Edit1->setText(sample);
            shownWidth = form.Label7->text().mid(6).toInt();
            shownHeight = form.Label8->text().mid(7).toInt();
            form.Button1->click();
        });
        const FontLibrary& font = window->fontLibrary();
        int width = 0;
        for (const QChar character : sample) {
            const int code = static_cast<unsigned char>(toLibraryText(QString(character))[0]);
            width += font.glyphs[static_cast<std::size_t>(code)].width;
        }
        EXPECT_EQ(shownHeight, font.glyphs['A'].height) << family.toStdString() << " " << points;
        EXPECT_EQ(shownWidth, width) << family.toStdString() << " " << points;
    }
    // The 0-127 and 0-255 libraries of DejaVu Sans at 7 points differ in height, and so does the
    // preview when the code range changes.
    dialog->ComboBox2->setCurrentIndex(1);
    const QString full = dialog->Label8->text();
    dialog->ComboBox2->setCurrentIndex(0);
    EXPECT_NE(dialog->Label8->text(), full);
}

TEST_F(SetupDialogTest, PreviewOfABitmapFontShowsTheStrikeInUse) {
    QImage shown;
    newFont([&](TForm2& form) {
        form.tFontName->setCurrentText(QStringLiteral("Terminus"));
        form.tFontsize->setValue(12);
        form.ComboBox2->setCurrentIndex(0);
        form.Edit1->setText(QStringLiteral("Ag"));
        shown = form.Label_p->pixmap().toImage();
        EXPECT_EQ(form.Label7->text(), "width:16");
        EXPECT_EQ(form.Label8->text(), "heihgt:16");
        form.Button1->click();
    });
    ASSERT_EQ(shown.size(), QSize(16, 16)) << "two glyphs of the 8 x 16 strike";
    const FontLibrary& font = window->fontLibrary();
    int x = 0;
    for (const int code : {'A', 'g'}) {
        const Picture& glyph = *font.glyphs[static_cast<std::size_t>(code)].picture;
        for (int y = 0; y < glyph.height(); ++y) {
            for (int column = 0; column < glyph.width(); ++column) {
                const bool white = qRed(shown.pixel(x + column, y)) >= 128;
                ASSERT_EQ(white, glyph.pixel(column, y) == kRed)
                    << "code " << code << " at " << column << ", " << y;
            }
        }
        x += glyph.width();
    }
}

TEST_F(SetupDialogTest, SystemFontDefaultsMake128GlyphsOfOneHeight) {
    newFont([](TForm2& form) {
        form.tFontName->setCurrentText(kDejaVu);
        form.Button1->click();
        EXPECT_FALSE(form.isVisible()) << "Add closes the dialog";
    });
    ASSERT_EQ(prompter->ofKind(Kind::Modal).size(), 1U);
    EXPECT_EQ(prompter->ofKind(Kind::Modal)[0].caption, "Font Setup");
    const FontLibrary& font = window->fontLibrary();
    EXPECT_EQ(font.count, 128);
    EXPECT_EQ(list().rows(), 129);
    EXPECT_EQ(window->editingMode(), EditingMode::Font);
    EXPECT_EQ(window->statusPanelText(2), "mode:font");
    for (const PaletteEntry& entry : kPalette) {
        const bool fontColour = entry.id == PaletteColour::Red || entry.id == PaletteColour::Fuchia;
        EXPECT_EQ(window->colourButton(entry.id)->isEnabled(), fontColour) << entry.name;
    }
    const int height = font.glyphs[0].height;
    EXPECT_GT(height, 0);
    for (int code = 0; code < 128; ++code) {
        const GlyphRecord& glyph = font.glyphs[static_cast<std::size_t>(code)];
        ASSERT_EQ(glyph.code, code);
        ASSERT_EQ(glyph.height, height) << "code " << code;
        ASSERT_TRUE(glyph.picture.has_value());
        ASSERT_EQ(glyph.picture->width(), glyph.width);
        ASSERT_EQ(glyph.picture->height(), glyph.height);
        ASSERT_EQ(glyph.picture->format(), PixelFormat::Indexed4);
        ASSERT_TRUE(onlyRedAndBlack(*glyph.picture)) << "code " << code;
        const int row = code + 1;
        ASSERT_EQ(list().cell(1, row), QString::number(code));
        ASSERT_EQ(list().cell(2, row), QString::number(code));
        ASSERT_EQ(list().cell(3, row), QString::number(glyph.width));
        ASSERT_EQ(list().cell(4, row), QString::number(glyph.height));
    }
    EXPECT_GT(inkCount(*font.glyphs['A'].picture), 0);
    EXPECT_EQ(inkCount(*font.glyphs[' '].picture), 0);
    EXPECT_EQ(fields(font.glyphs['A']), fields(renderCodes(kDejaVu, 7, 128).glyphs['A']));
}

TEST_F(SetupDialogTest, SystemFontOf256CodesUsesWindows1252) {
    newFont([](TForm2& form) {
        form.tFontName->setCurrentText(kDejaVu);
        form.tFontsize->setValue(12);
        form.ComboBox2->setCurrentIndex(1);
        form.Button1->click();
    });
    const FontLibrary& font = window->fontLibrary();
    EXPECT_EQ(font.count, 256);
    EXPECT_EQ(list().rows(), 257);
    const GlyphRenderer renderer(kDejaVu, 12);
    EXPECT_EQ(font.glyphs[0x80].width, renderer.advance(0x80));
    EXPECT_GT(inkCount(*font.glyphs[0x80].picture), 0) << "code 128 is the euro sign";
    EXPECT_EQ(list().cell(2, 256), "255");
}

TEST_F(SetupDialogTest, EmptyFontNameLetsQtPickItsDefault) {
    newFont([](TForm2& form) {
        form.tFontName->setCurrentIndex(-1);
        form.Button1->click();
    });
    EXPECT_EQ(window->fontLibrary().count, 128);
    EXPECT_GT(inkCount(*window->fontLibrary().glyphs['A'].picture), 0);
}

TEST_F(SetupDialogTest, UserDefinedFontMakesBlankGlyphsAndLeavesLaterSlots) {
    newBlankFont(1, 5, 9);
    const FontLibrary& font = window->fontLibrary();
    EXPECT_EQ(font.count, 256);
    EXPECT_EQ(list().rows(), 257);
    for (int code = 0; code < 256; ++code) {
        const GlyphRecord& glyph = font.glyphs[static_cast<std::size_t>(code)];
        ASSERT_EQ(glyph.code, code);
        ASSERT_EQ(glyph.picture, Picture(5, 9, PixelFormat::Indexed4)) << "code " << code;
        ASSERT_EQ(std::tuple(glyph.width, glyph.height), std::tuple(5, 9));
    }
    for (int row = 129; row <= 256; ++row) {
        ASSERT_EQ(list().cell(1, row), QString::number(row - 1));
        ASSERT_EQ(list().cell(2, row), QString::number(row - 1));
        ASSERT_EQ(list().cell(3, row), "5");
        ASSERT_EQ(list().cell(4, row), "9");
    }

    window->document().paintGlyphPixel(200, 1, 1, kRed);
    const GlyphRecord kept = font.glyphs[200];
    newBlankFont(0, 3, 4);
    EXPECT_EQ(font.count, 128);
    EXPECT_EQ(list().rows(), 129);
    EXPECT_EQ(font.glyphs[127].picture, Picture(3, 4, PixelFormat::Indexed4));
    EXPECT_EQ(fields(font.glyphs[200]), fields(kept));
    EXPECT_EQ(font.glyphs[128].width, 5);
}

TEST_F(SetupDialogTest, GlyphsLargerThanTheFileHoldsAreMadeAndToldAtOnce) {
    newBlankFont(0, 255, 255);
    EXPECT_TRUE(messages().empty());
    newBlankFont(0, 300, 20);
    EXPECT_EQ(window->fontLibrary().glyphs[0].width, 300);
    EXPECT_EQ(messages(), (std::vector<QString>{
                              "The glyphs are up to 300 x 20 pixels, more than the 255 x 255 a "
                              "font library file holds: Save Library will refuse them until they "
                              "are made smaller."}));
}

TEST_F(SetupDialogTest, CancelChangesNothingAndValuesCarryOver) {
    newBlankFont(0, 7, 11);
    const FontLibrary before = window->fontLibrary();
    newFont([](TForm2& form) {
        EXPECT_TRUE(form.RadioButton4->isChecked());
        EXPECT_EQ(form.SpinEdit1->value(), 7);
        EXPECT_EQ(form.SpinEdit2->value(), 11);
        form.SpinEdit1->setValue(20);
        form.ComboBox1->setCurrentIndex(1);
        form.Button2->click();
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(window->fontLibrary().count, before.count);
    EXPECT_TRUE(sameGlyphs(window->fontLibrary(), before));
    EXPECT_EQ(dialog->SpinEdit1->value(), 20) << "the dialog keeps its values";
}

TEST_F(SetupDialogTest, TypedSizesAreBroughtIntoRangeWhenTheBoxIsLeft) {
    newFont([](TForm2& form) {
        activate(form);
        typeAndTab(*form.tFontsize, QStringLiteral("300"));
        EXPECT_EQ(form.tFontsize->value(), 250);
        typeAndTab(*form.tFontsize, QStringLiteral("big"));
        EXPECT_EQ(form.tFontsize->value(), 1) << "text that is not a number counts as the minimum";
        form.RadioButton4->click();
        typeAndTab(*form.SpinEdit1, QStringLiteral("2000"));
        EXPECT_EQ(form.SpinEdit1->value(), 1024);
        typeAndTab(*form.SpinEdit2, QStringLiteral("0"));
        EXPECT_EQ(form.SpinEdit2->value(), 1);
        typeAndTab(*form.SpinEdit1, QStringLiteral("12"));
        typeAndTab(*form.SpinEdit2, QStringLiteral("9999"));
        EXPECT_EQ(form.SpinEdit2->value(), 576);
        form.Button1->click();
    });
    EXPECT_EQ(window->fontLibrary().glyphs[65].width, 12);
    EXPECT_EQ(window->fontLibrary().glyphs[65].height, 576);

    prompter->answers.push_back(true);
    prompter->modals.push_back([this](QDialog&) {
        activate(*dialog);
        dialog->Edit2->setText(QStringLiteral("BIG"));
        typeAndTab(*dialog->SpinEdit3, QStringLiteral("5000"));
        typeAndTab(*dialog->SpinEdit4, QStringLiteral("-3"));
        dialog->Button1->click();
    });
    window->NewBitampFile1Click();
    ASSERT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(window->bitmapLibrary().entries[0].width, 1024);
    EXPECT_EQ(window->bitmapLibrary().entries[0].height, 4);
}

TEST_F(SetupDialogTest, BitmapNamesMustBeGivenAndUnique) {
    newBitmaps(QStringLiteral("  "));
    EXPECT_EQ(messages(), std::vector<QString>{"Please input your bitmap name!"});
    EXPECT_EQ(window->bitmapLibrary().count(), 0);
    EXPECT_NE(window->editingMode(), EditingMode::Bitmap);

    newBitmaps(QStringLiteral("Logo"));
    ASSERT_EQ(window->bitmapLibrary().count(), 1);
    EXPECT_EQ(list().rows(), 2) << "the first bitmap fills the empty row 1";
    EXPECT_EQ(list().cell(2, 1), "Logo");
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    EXPECT_EQ(window->statusPanelText(2), "mode:bitmap");
    for (const PaletteEntry& entry : kPalette) {
        EXPECT_TRUE(window->colourButton(entry.id)->isEnabled()) << entry.name;
    }

    prompter->asked.clear();
    bool fieldEmptied = false;
    prompter->modals.push_back([&](QDialog&) {
        dialog->Edit2->setText(QStringLiteral("LOGO"));
        dialog->Button1->click();
        fieldEmptied = dialog->Edit2->text().isEmpty();
        EXPECT_TRUE(dialog->isVisible()) << "a refused name keeps the dialog open";
    });
    window->AddBitmapFile1Click();
    EXPECT_EQ(messages(), std::vector<QString>{"Please input exclusive bitmap name!"});
    EXPECT_TRUE(fieldEmptied);
    EXPECT_EQ(window->bitmapLibrary().count(), 1);

    EXPECT_TRUE(addNamed(QStringLiteral(" Logo"), 20, 8));
    ASSERT_EQ(window->bitmapLibrary().count(), 2);
    const bitmapInfoList& second = window->bitmapLibrary().entries[1];
    EXPECT_EQ(second.name, " Logo");
    EXPECT_EQ(second.picture, Picture(20, 8, PixelFormat::Indexed4));
    EXPECT_EQ(list().rows(), 3);
    EXPECT_EQ(list().cell(2, 2), " Logo");
    EXPECT_EQ(list().cell(3, 2), "20");
    EXPECT_EQ(list().cell(4, 2), "8");

    EXPECT_TRUE(addNamed(QStringLiteral("a=b")));
    EXPECT_NE(window->bitmapLibrary().findEntry("a=b"), nullptr);
    EXPECT_FALSE(addNamed(QStringLiteral("A=B")));
}

TEST_F(SetupDialogTest, BitmapNameKeepsOnlyCodesUpTo128) {
    QLineEdit& name = *dialog->Edit2;
    const auto type = [&](char32_t character) {
        const QString text = QString::fromUcs4(&character, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&name, &press);
    };
    type(U'a');
    type(U'\u20AC'); // code 128
    type(U'\u0081'); // code 129
    type(U'\u00E9'); // code 233
    type(U'\u0416'); // not in the code page
    EXPECT_EQ(name.text(), QStringLiteral("a\u20AC"));

    name.insert(QStringLiteral("\u201A\u00FFb\u0416c")); // as pasted
    EXPECT_EQ(name.text(), QStringLiteral("a\u20ACbc"));
    EXPECT_EQ(name.cursorPosition(), 4);

    name.insert(QStringLiteral("123456"));
    EXPECT_EQ(name.text().size(), 8);
}

TEST(GlyphRenderer, DrawsEachCodeInRedOnItsBaseline) {
    ASSERT_TRUE(QFontDatabase::families().contains(kDejaVu));
    EXPECT_EQ(pointsToPixels(7), 9);
    EXPECT_EQ(pointsToPixels(12), 16);
    EXPECT_EQ(pointsToPixels(250), 333);

    const RenderedCodes rendered = renderCodes(kDejaVu, 20, 128);
    const GlyphRenderer renderer(kDejaVu, 20);
    const GlyphRecord& letter = rendered.glyphs['I'];
    EXPECT_EQ(letter.code, 'I');
    EXPECT_EQ(letter.width, renderer.advance('I'));
    EXPECT_EQ(letter.height, rendered.cell.height());
    EXPECT_GE(rendered.cell.ascent, renderer.ascent());
    EXPECT_GE(rendered.cell.descent, renderer.descent());
    EXPECT_GT(letter.width, 0);
    ASSERT_TRUE(letter.picture.has_value());
    EXPECT_EQ(letter.picture->format(), PixelFormat::Indexed4);
    EXPECT_TRUE(onlyRedAndBlack(*letter.picture));
    // The stem of an "I" is a column of ink from the cap line down to the baseline row.
    EXPECT_GE(inkCount(*letter.picture), letter.height / 2);
    EXPECT_EQ(letter.picture->pixel(letter.width / 2, rendered.cell.ascent - 1), kRed);
    EXPECT_EQ(letter.picture->pixel(letter.width / 2, rendered.cell.ascent), kBlack);
    EXPECT_EQ(inkCount(rendered.glyphs[' '].picture.value()), 0);
    EXPECT_LT(renderer.advance('\t'), 2 * renderer.advance('n'))
        << "a tab is the font's own glyph, not text laid out to a tab stop";
    EXPECT_EQ(fields(renderCodes(kDejaVu, 20, 128).glyphs['I']), fields(letter));

    const RenderedCodes large = renderCodes(kDejaVu, 250, 128);
    EXPECT_GT(large.glyphs['W'].height, 255) << "large sizes go beyond what a font file stores";
    EXPECT_TRUE(onlyRedAndBlack(*large.glyphs['W'].picture));
}

} // namespace
} // namespace korvel
