#include "app/uimageimport.h"
#include "core/codepage.h"
#include "document/imagefiles.h"
#include "support/gifbuild.h"
#include "support/picturetext.h"
#include "support/windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace korvel {
namespace {

using Kind = Prompt::Kind;

/// A logo: a red square on a transparent ground, 20 x 10.
QImage logo() {
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 2; y < 8; ++y) {
        for (int x = 4; x < 10; ++x) {
            image.setPixel(x, y, qRgba(255, 0, 0, 255));
        }
    }
    return image;
}

/// A grey ramp from left to right, for dithering.
QImage ramp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int v = 255 * x / (width - 1);
            image.setPixel(x, y, qRgb(v, v, v));
        }
    }
    return image;
}

class ImageImportTest : public WindowTest {
protected:
    ImageImportDialog& dialog() { return window->imageImportDialog(); }

    QString saved(const QString& name, const QImage& image) const {
        const QString file = path(name);
        EXPECT_TRUE(image.save(file)) << file.toStdString();
        return file;
    }

    /// Opens a bitmap library of one black entry (LOGO) of width x height, its row clicked.
    void bitmapLibrary(int width, int height, const std::string& name = "LOGO") {
        const std::string row(static_cast<std::size_t>(width), 'K');
        const QString file = path(QStringLiteral("lib.bcm"));
        writeBytes(
            file,
            bitmapFile({{name, std::vector<std::string>(static_cast<std::size_t>(height), row)}}));
        openBitmaps(file);
        clickRow(1);
    }

    /// Chooses "Image into Entry..." with file and runs script while the dialog shows.
    void importInto(const QString& file, const std::function<void(ImageImportDialog&)>& script) {
        prompter->files.push_back(file);
        prompter->modals.push_back([this, script](QDialog&) { script(dialog()); });
        window->ImageIntoEntry1->trigger();
    }

    [[nodiscard]] Picture decodedFirstFrame(const QString& file, const ConversionOptions& o) {
        auto read = readImageFile(file.toStdString());
        EXPECT_TRUE(read.ok());
        return read.ok() ? convertImage(read.value().frames.front(), o) : Picture();
    }
};

TEST_F(ImageImportTest, ImportMenuComesAfterEditWithItsShortcut) {
    QStringList titles;
    for (QAction* action : window->menuBar()->actions()) {
        titles << action->text();
    }
    const auto edit = titles.indexOf(QStringLiteral("Edit"));
    const auto import = titles.indexOf(QStringLiteral("Import"));
    ASSERT_GE(edit, 0);
    EXPECT_GT(import, edit);
    EXPECT_EQ(window->importMenu(), window->importMenu()); // made once, then found
    EXPECT_EQ(window->ImageIntoEntry1->text(), QStringLiteral("Image into Entry\u2026"));
    EXPECT_EQ(window->ImageIntoEntry1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    // Without a selected entry, nothing is asked.
    window->ImageIntoEntry1->trigger();
    EXPECT_TRUE(prompter->asked.empty());
}

TEST_F(ImageImportTest, LogoIntoABitmapIsOneUndoStep) {
    bitmapLibrary(8, 8);
    const QString file = saved(QStringLiteral("logo.png"), logo());
    bool shown = false;
    importInto(file, [&](ImageImportDialog& d) {
        shown = true;
        EXPECT_TRUE(d.keepSize->isChecked());
        EXPECT_EQ(d.frameCount(), 1);
        EXPECT_FALSE(d.allFramesBox->isEnabled());
        EXPECT_FALSE(d.brightnessThreshold->isEnabled());
        // Stretch: 20 x 10 into 8 x 8; the preview shows the result as the canvas does.
        const int zoom = window->zoomSize();
        EXPECT_EQ(d.preview->size(), QSize(8 * zoom + 1, 8 * zoom + 1));
        d.fitBox->setCurrentIndex(1); // Fit Inside: 8 x 4 in the middle
        EXPECT_EQ(d.result().pixel(3, 0), kBlack);
        EXPECT_EQ(d.result().pixel(2, 3), kRed);
        EXPECT_EQ(d.preview->pixelAt(2 * zoom + 2, 3 * zoom + 2), kRed);
        d.invertBox->setChecked(true); // the transparent ground stays background
        EXPECT_EQ(d.result().pixel(0, 0), kBlack);
        EXPECT_EQ(d.result().pixel(2, 3), makeRgb(0, 255, 255));
        EXPECT_EQ(d.preview->pixelAt(2 * zoom + 2, 3 * zoom + 2), makeRgb(0, 255, 0));
        d.okButton->click();
    });
    ASSERT_TRUE(shown);
    const bitmapInfoList& entry = window->bitmapLibrary().entries[0];
    ConversionOptions options;
    options.width = 8;
    options.height = 8;
    options.fit = FitMode::Inside;
    options.invert = true;
    ASSERT_TRUE(entry.picture.has_value());
    EXPECT_EQ(*entry.picture, decodedFirstFrame(file, options));
    EXPECT_EQ(window->workPicture().pixel(2, 3), makeRgb(0, 255, 255));
    window->Undo1->trigger();
    EXPECT_EQ(window->bitmapLibrary().entries[0].picture->pixel(2, 3), kBlack);
}

TEST_F(ImageImportTest, TypedSizeDitheringAndCancel) {
    bitmapLibrary(8, 8);
    const QString file = saved(QStringLiteral("ramp.png"), ramp(64, 16));
    importInto(file, [&](ImageImportDialog& d) {
        d.typedSize->setChecked(true);
        d.widthBox->setValue(32);
        d.heightBox->setValue(4);
        EXPECT_EQ(d.result().width(), 32);
        d.scalingBox->setCurrentIndex(1); // area average
        const Picture plain = d.result();
        d.ditherBox->setCurrentIndex(2); // Atkinson
        EXPECT_NE(d.result(), plain);
        ConversionOptions options = d.conversionOptions();
        EXPECT_EQ(options.dither, Dither::Atkinson);
        EXPECT_EQ(options.scaling, Scaling::Area);
        EXPECT_EQ(d.result(), decodedFirstFrame(file, options));
        d.cancelButton->click();
    });
    EXPECT_EQ(window->bitmapLibrary().entries[0].width, 8);
    EXPECT_EQ(window->document().bitmapHistory().count(), 0);
}

TEST_F(ImageImportTest, AllFramesOfAGifAsNewBitmaps) {
    bitmapLibrary(6, 4);
    giftest::Bytes palette{0, 0, 0, 255, 0, 0, 0, 255, 0};
    std::vector<giftest::Frame> frames(2, giftest::Frame(6 * 4, 0));
    frames[0][0] = 1;
    frames[1][0] = 2;
    const QString file = path(QStringLiteral("anim.gif"));
    writeBytes(file, giftest::gifFile(6, 4, palette, frames));
    importInto(file, [&](ImageImportDialog& d) {
        EXPECT_EQ(d.frameCount(), 2);
        EXPECT_TRUE(d.allFramesBox->isEnabled());
        d.frameBox->setValue(2);
        EXPECT_EQ(d.result().pixel(0, 0), makeRgb(0, 255, 0));
        d.allFramesBox->setChecked(true);
        d.okButton->click();
    });
    const BitmapLibrary& library = window->bitmapLibrary();
    ASSERT_EQ(library.count(), 3);
    EXPECT_EQ(library.entries[1].name, "LOGO1");
    EXPECT_EQ(library.entries[1].picture->pixel(0, 0), kRed);
    EXPECT_EQ(library.entries[2].name, "LOGO2");
    EXPECT_EQ(library.entries[2].picture->pixel(0, 0), makeRgb(0, 255, 0));
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 3), QStringLiteral("LOGO2"));
    window->Undo1->trigger(); // both frames in one step
    EXPECT_EQ(window->bitmapLibrary().count(), 1);

    // The frames of a bitmap named in another code page are named in it too.
    window->document().setCodePage(*codePageByName("cp1251"));
    bitmapLibrary(6, 4, "\xC6"); // "Ж"
    importInto(file, [&](ImageImportDialog& d) {
        EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral("\"Ж\"")))
            << d.windowTitle().toStdString();
        d.allFramesBox->setChecked(true);
        d.okButton->click();
    });
    ASSERT_EQ(window->bitmapLibrary().count(), 3);
    EXPECT_EQ(window->bitmapLibrary().entries[2].name, "\xC6"
                                                       "2");
}

TEST_F(ImageImportTest, GlyphsTakeInkFromOneBrightness) {
    const QString font = path(QStringLiteral("font.lcm"));
    writeBytes(font, fontFile({{"....", "...."}, {"....", "...."}}));
    openFont(font);
    clickRow(2);
    const QString file = saved(QStringLiteral("ramp.png"), ramp(8, 2));
    importInto(file, [&](ImageImportDialog& d) {
        EXPECT_TRUE(d.brightnessThreshold->isEnabled());
        EXPECT_FALSE(d.redThreshold->isEnabled());
        d.brightnessThreshold->setValue(200);
        d.okButton->click();
    });
    const GlyphRecord& glyph = window->fontLibrary().glyphs[1];
    ASSERT_TRUE(glyph.picture.has_value());
    EXPECT_EQ(glyph.width, 4);
    // The ramp at x = 0, 2, 4, 6 of 8: 0, 72, 145, 218; only the last is 200 or more.
    EXPECT_EQ(pictureToText(*glyph.picture), (std::vector<std::string>{"...#", "...#"}));
}

TEST_F(ImageImportTest, AFileThatIsNoPictureIsRefusedAndNothingOpens) {
    bitmapLibrary(4, 4);
    const QString file = path(QStringLiteral("notes.jpg"));
    writeBytes(file, {'n', 'o', 't', 'e', 's'});
    prompter->files.push_back(file);
    window->ImageIntoEntry1->trigger();
    ASSERT_EQ(prompter->ofKind(Kind::Error).size(), 1U);
    EXPECT_TRUE(prompter->ofKind(Kind::Error)[0].text.contains(QStringLiteral("notes.jpg")));
    EXPECT_TRUE(prompter->ofKind(Kind::Modal).empty());
    EXPECT_EQ(window->document().bitmapHistory().count(), 0);
    // Cancelling the file dialog asks nothing more.
    window->ImageIntoEntry1->trigger();
    EXPECT_EQ(prompter->ofKind(Kind::Error).size(), 1U);
}

} // namespace
} // namespace korvel
