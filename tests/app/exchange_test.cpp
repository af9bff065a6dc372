// The "Import" and "Export" menus against korvel-cli: the C header dialog writes what export-c
// writes with the same options and decodes it back to the library; the BDF and PNG folder items
// give what convert gives.

#include "app/exportcdialog.h"
#include "app/libraryexchange.h"

#include "cli/commands.h"
#include "core/codepage.h"
#include "core/fontmetrics.h"
#include "document/libraryfactory.h"
#include "libraryio/bitmapfolder.h"
#include "libraryio/libraryfiles.h"
#include "support/windowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

namespace korvel {
namespace {

/// The first line where two texts differ, both versions; empty when they are equal.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream left(a);
    std::istringstream right(b);
    std::string lineA;
    std::string lineB;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(left, lineA));
        const bool moreB = static_cast<bool>(std::getline(right, lineB));
        if (!moreA && !moreB) {
            return a == b ? "" : "the texts differ in their last line ending";
        }
        if (moreA != moreB || lineA != lineB) {
            return "line " + std::to_string(line) + ": \"" + (moreA ? lineA : "(end)") +
                   "\" against \"" + (moreB ? lineB : "(end)") + "\"";
        }
    }
}

class ExchangeTest : public WindowTest {
protected:
    [[nodiscard]] static std::string textOf(const std::string& file) {
        const auto bytes = readBytes(QString::fromStdString(file));
        return {bytes.begin(), bytes.end()};
    }
    /// Runs korvel-cli; it must succeed.
    static void cli(const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(cli::runCli(arguments, out, err), 0) << err.str();
    }
    [[nodiscard]] std::string file(const char* name) const {
        return path(QString::fromLatin1(name)).toStdString();
    }
    LibraryExchange& exchange() { return window->exchange(); }
    ExportCDialog& dialog() { return exchange().exportDialog(); }

    /// Shows "C Header…", sets the options and saves to out.
    void saveHeader(const std::function<void(ExportCDialog&)>& choose, const std::string& out) {
        prompter->modals.push_back([this, choose, out](QDialog&) {
            choose(dialog());
            EXPECT_TRUE(dialog().refusal().isEmpty()) << dialog().refusal().toStdString();
            prompter->files.push_back(QString::fromStdString(out));
            dialog().SaveButton->click();
        });
        exchange().ExportCHeader1->trigger();
    }

    /// A font of glyphs of differing sizes for codes 0..127, 'A' and 'g' drawn.
    void writeFont(const std::string& name) {
        std::vector<std::vector<std::string>> glyphs(128, {"...", "...", "..."});
        glyphs['A'] = {".##.", "#..#", "####", "#..#", "...."};
        glyphs['g'] = {"...", ".##", "#.#", ".##", "..#", "##."};
        glyphs['!'] = {"#", "#", ".", "#"};
        glyphs[' '] = {"....", "....", "....", "...."};
        writeBytes(QString::fromStdString(name), fontFile(glyphs));
    }

    /// The decoded glyphs equal the library's: as wide, the same ink at the same places measured
    /// from the baseline the header was made with (each glyph's bottom for rows and pages, which
    /// know none), and none of the library's ink left out of the cell the display library gives.
    void expectDecodedEqualsLibrary() {
        const FontLibrary& font = window->fontLibrary();
        const FontExportOptions options = dialog().fontOptions();
        const bool plain =
            options.layout == FontLayout::Rows || options.layout == FontLayout::Pages;
        const Baseline baseline = plain ? Baseline{} : resolveBaseline(font, options.baseline);
        ASSERT_FALSE(dialog().decodedGlyphs().empty());
        for (const DecodedGlyph& decoded : dialog().decodedGlyphs()) {
            const GlyphRecord& glyph = font.glyphs[static_cast<std::size_t>(decoded.code)];
            ASSERT_EQ(decoded.picture.width(), glyph.width) << decoded.code;
            const int shift = baseline.rowIn(glyph) - decoded.baseline;
            int shown = 0;
            for (int y = 0; y < decoded.picture.height(); ++y) {
                for (int x = 0; x < decoded.picture.width(); ++x) {
                    const bool ink = decoded.picture.pixel(x, y) != kBlack;
                    EXPECT_EQ(ink, inkAt(glyph, x, y + shift))
                        << "code " << decoded.code << " at " << x << "," << y;
                    shown += ink ? 1 : 0;
                }
            }
            int inGlyph = 0;
            for (int y = 0; y < glyph.height; ++y) {
                for (int x = 0; x < glyph.width; ++x) {
                    inGlyph += inkAt(glyph, x, y) ? 1 : 0;
                }
            }
            EXPECT_EQ(shown, inGlyph) << "code " << decoded.code;
        }
    }
};

TEST_F(ExchangeTest, MenusComeInTheMenuBarsOrder) {
    QStringList titles;
    for (const QAction* menu : window->menuBar()->actions()) {
        titles << menu->text();
    }
    const auto edit = titles.indexOf(QStringLiteral("Edit"));
    EXPECT_LT(edit, titles.indexOf(QStringLiteral("Import")));
    EXPECT_LT(titles.indexOf(QStringLiteral("Import")), titles.indexOf(QStringLiteral("Export")));
    EXPECT_LT(titles.indexOf(QStringLiteral("Export")), titles.indexOf(QStringLiteral("View")));
    EXPECT_EQ(titles.indexOf(QStringLiteral("Font Library      ")), 0);
    EXPECT_EQ(exchange().ExportCHeader1->text(), QStringLiteral("C Header\u2026"));
}

TEST_F(ExchangeTest, FontHeaderIsExportCsByteForByteInEveryFormat) {
    const std::string library = file("my font.lcm");
    writeFont(library);
    openFont(QString::fromStdString(library));
    struct Case {
        std::vector<std::string> options;
        std::function<void(ExportCDialog&)> choose;
        std::size_t glyphs; ///< how many the header holds
    };
    const std::vector<Case> cases{
        {{}, [](ExportCDialog&) {}, 128},
        {{"--layout", "rows", "--bit-order", "lsb", "--ink", "0", "--codes", "60-110"},
         [](ExportCDialog& d) {
             d.BitOrderBox->setCurrentIndex(1);
             d.InkBox->setCurrentIndex(1);
             d.CodesEdit->setText(QStringLiteral("60-110"));
         },
         51},
        {{"--layout", "pages", "--ink", "0", "--name", "page_font"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(1);
             d.InkBox->setCurrentIndex(1);
             d.BitOrderBox->setCurrentIndex(1); // disabled for pages: no effect
             d.NameEdit->setText(QStringLiteral("page_font"));
         },
         128},
        {{"--format", "gfx", "--codes", "32-127"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(2);
             d.InkBox->setCurrentIndex(1); // disabled for gfx: no effect
             d.CodesEdit->setText(QStringLiteral("32-127"));
         },
         96},
        {{"--format", "gfx", "--baseline", "4"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(2);
             d.BaselineBox->setCurrentIndex(2);
             d.BaselineRow->setValue(4);
         },
         128},
        {{"--format", "u8g2", "--encoding", "unicode", "--codes", "32-90,103", "--baseline",
          "bottom"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(3);
             d.EncodingBox->setCurrentIndex(1);
             d.CodesEdit->setText(QStringLiteral("32-90,103"));
             d.BaselineBox->setCurrentIndex(1);
         },
         60},
        {{"--format", "u8g2", "--baseline", "4"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(3);
             d.BaselineBox->setCurrentIndex(2);
             d.BaselineRow->setValue(4);
         },
         128},
        {{"--format", "lvgl", "--codes", "32-127", "--baseline", "2"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(4);
             d.CodesEdit->setText(QStringLiteral("32-127"));
             d.BaselineBox->setCurrentIndex(2);
             d.BaselineRow->setValue(2);
         },
         96},
        {{"--format", "lvgl", "--chars", "Ag!"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(4);
             d.CharsEdit->setText(QStringLiteral("Ag!"));
         },
         4}, // with the space every text brings
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(k);
        const Case& c = cases[k];
        const std::string fromCli = file("cli.h");
        std::vector<std::string> arguments{"export-c", library, "-o", fromCli};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        cli(arguments);
        const std::string fromDialog = file("dialog.h");
        saveHeader(
            [&](ExportCDialog& d) {
                // Each case starts from the defaults; the dialog keeps what the last one chose.
                d.FormatBox->setCurrentIndex(0);
                d.BitOrderBox->setCurrentIndex(0);
                d.InkBox->setCurrentIndex(0);
                d.CodesEdit->clear();
                d.CharsEdit->clear();
                d.BaselineBox->setCurrentIndex(0);
                d.EncodingBox->setCurrentIndex(0);
                d.NameEdit->setText(QStringLiteral("my_font"));
                c.choose(d);
            },
            fromDialog);
        EXPECT_EQ(firstDifference(textOf(fromDialog), textOf(fromCli)), "");
        expectDecodedEqualsLibrary();
        EXPECT_TRUE(
            dialog().TextView->toPlainText().startsWith(QStringLiteral("/* my font.lcm as ")));
        EXPECT_EQ(dialog().decodedGlyphs().size(), c.glyphs);
    }
    EXPECT_TRUE(prompter->ofKind(Prompt::Kind::Error).empty());
}

TEST_F(ExchangeTest, FontHeaderIsMadeWithTheEditorsCodePage) {
    const std::string library = file("cyrillic.lcm");
    std::vector<std::vector<std::string>> glyphs(256, {"..", ".."});
    glyphs[0xC0] = {".#.", "#.#", "###", "#.#"}; // А in Windows-1251
    glyphs[0xE0] = {"...", "##.", ".##", "###"}; // а
    glyphs[0xA8] = {"#.#", "###", "#..", "###"}; // Ё
    writeBytes(QString::fromStdString(library), fontFile(glyphs));
    openFont(QString::fromStdString(library));
    window->setCodePage(*codePageByName("windows-1251"));
    struct Case {
        std::vector<std::string> options;
        std::function<void(ExportCDialog&)> choose;
        std::vector<int> codes; ///< the codes the header holds
    };
    const std::vector<Case> cases{
        {{"--format", "lvgl", "--chars", "Аа"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(4);
             d.CharsEdit->setText(QStringLiteral("Аа"));
         },
         {32, 0xC0, 0xE0}},
        {{"--format", "u8g2", "--encoding", "unicode", "--codes", "168,192-193"},
         [](ExportCDialog& d) {
             d.FormatBox->setCurrentIndex(3);
             d.EncodingBox->setCurrentIndex(1);
             d.CodesEdit->setText(QStringLiteral("168,192-193"));
         },
         {0xA8, 0xC0, 0xC1}},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(k);
        const std::string fromCli = file("cli.h");
        std::vector<std::string> arguments{"export-c", library,      "-o",
                                           fromCli,    "--codepage", "windows-1251"};
        arguments.insert(arguments.end(), cases[k].options.begin(), cases[k].options.end());
        cli(arguments);
        const std::string fromDialog = file("dialog.h");
        saveHeader(
            [&](ExportCDialog& d) {
                EXPECT_EQ(d.CodePageLabel->text(), QStringLiteral("Windows-1251"));
                d.FormatBox->setCurrentIndex(0);
                d.CodesEdit->clear();
                d.CharsEdit->clear();
                d.EncodingBox->setCurrentIndex(0);
                cases[k].choose(d);
            },
            fromDialog);
        EXPECT_EQ(firstDifference(textOf(fromDialog), textOf(fromCli)), "");
        std::vector<int> codes;
        for (const DecodedGlyph& glyph : dialog().decodedGlyphs()) {
            codes.push_back(glyph.code);
        }
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, cases[k].codes);
        expectDecodedEqualsLibrary();
    }
}

TEST_F(ExchangeTest, BitmapHeaderIsExportCsByteForByteForEachPixelFormat) {
    const std::string library = file("logos.bcm");
    writeBytes(QString::fromStdString(library),
               bitmapFile({{"red", {"RRG", "B.Y"}}, {"wide", {"AWFKRGBYAWF"}}, {"q\"x", {"W"}}}));
    openBitmaps(QString::fromStdString(library));
    const std::vector<std::pair<std::vector<std::string>, std::function<void(ExportCDialog&)>>>
        cases{
            {{}, [](ExportCDialog&) {}},
            {{"--pixel", "rgb565", "--endian", "little"},
             [](ExportCDialog& d) { d.ByteOrderBox->setCurrentIndex(1); }},
            {{"--pixel", "rgb111"}, [](ExportCDialog& d) { d.PixelBox->setCurrentIndex(1); }},
            {{"--pixel", "planes", "--bit-order", "lsb", "--ink", "0"},
             [](ExportCDialog& d) {
                 d.PixelBox->setCurrentIndex(2);
                 d.PlaneOrderBox->setCurrentIndex(1);
                 d.PlaneInkBox->setCurrentIndex(1);
             }},
        };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(k);
        const std::string fromCli = file("cli.h");
        std::vector<std::string> arguments{"export-c", library, "-o", fromCli};
        arguments.insert(arguments.end(), cases[k].first.begin(), cases[k].first.end());
        cli(arguments);
        const std::string fromDialog = file("dialog.h");
        saveHeader(
            [&](ExportCDialog& d) {
                d.PixelBox->setCurrentIndex(0);
                d.ByteOrderBox->setCurrentIndex(0);
                d.PlaneOrderBox->setCurrentIndex(0);
                d.PlaneInkBox->setCurrentIndex(0);
                cases[k].second(d);
            },
            fromDialog);
        EXPECT_EQ(firstDifference(textOf(fromDialog), textOf(fromCli)), "");
        const auto& entries = window->bitmapLibrary().entries;
        ASSERT_EQ(dialog().decodedBitmaps().size(), entries.size());
        for (std::size_t e = 0; e < entries.size(); ++e) {
            EXPECT_EQ(dialog().decodedBitmaps()[e].name, entries[e].name);
            EXPECT_EQ(pictureToText(dialog().decodedBitmaps()[e].picture),
                      pictureToText(*entries[e].picture));
        }
    }
}

TEST_F(ExchangeTest, RefusalsShowKorvelCliMessageAndWriteNothing) {
    const std::string library = file("f.lcm");
    writeFont(library);
    const auto libraryBytes = readBytes(QString::fromStdString(library));
    openFont(QString::fromStdString(library));
    const std::string out = file("out.h");
    prompter->modals.push_back([this, out, library](QDialog&) {
        dialog().NameEdit->setText(QStringLiteral("int"));
        EXPECT_FALSE(dialog().header().has_value());
        EXPECT_TRUE(dialog().TextView->toPlainText().isEmpty());
        dialog().SaveButton->click(); // refused before any file is asked for
        EXPECT_TRUE(prompter->ofKind(Prompt::Kind::SaveFile).empty());
        // The library itself is refused as export-c refuses it.
        dialog().NameEdit->setText(QStringLiteral("ok_name"));
        prompter->files.push_back(QString::fromStdString(library));
        dialog().SaveButton->click();
    });
    exchange().ExportCHeader1->trigger();
    const auto errors = prompter->ofKind(Prompt::Kind::Error);
    ASSERT_EQ(errors.size(), 2U);
    std::ostringstream cliOut;
    std::ostringstream cliErr;
    EXPECT_EQ(cli::runCli({"export-c", library, "-o", out, "--name", "int"}, cliOut, cliErr), 1);
    EXPECT_EQ(QStringLiteral("korvel-cli: ") + errors[0].text + QStringLiteral("\n"),
              QString::fromStdString(cliErr.str()));
    EXPECT_TRUE(errors[1].text.endsWith(
        QStringLiteral("is the library itself; the header would overwrite it")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    EXPECT_EQ(readBytes(QString::fromStdString(library)), libraryBytes);
}

TEST_F(ExchangeTest, BdfImportEqualsConvertAndExportEqualsConvert) {
    const std::string bdf = std::string(KORVEL_TEST_DATA) + "/bdf/proportional-accents.bdf";
    const std::string converted = file("converted.lcm");
    cli({"convert", bdf, converted});
    prompter->files.push_back(QString::fromStdString(bdf));
    exchange().ImportBdf1->trigger();
    EXPECT_EQ(window->editingMode(), EditingMode::Font);
    const auto expected = loadFontLibrary(converted);
    ASSERT_TRUE(expected.ok());
    const FontLibrary& fromCli = expected.value();
    const FontLibrary& imported = window->fontLibrary();
    ASSERT_EQ(imported.count, fromCli.count);
    for (int code = 0; code < fromCli.count; ++code) {
        const GlyphRecord& a = imported.glyphs[static_cast<std::size_t>(code)];
        const GlyphRecord& b = fromCli.glyphs[static_cast<std::size_t>(code)];
        ASSERT_EQ(a.width, b.width) << code;
        ASSERT_EQ(a.height, b.height) << code;
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x) {
                EXPECT_EQ(a.picture && isInk(a.picture->pixel(x, y)),
                          b.picture && isInk(b.picture->pixel(x, y)))
                    << code;
            }
        }
    }
    EXPECT_EQ(window->AdvStringGrid2->rows(), fromCli.count + 1);
    // Exported again, it is convert's BDF of the converted library, but for the family name.
    const std::string again = file("converted.bdf");
    cli({"convert", converted, again});
    const std::string exported = file("exported.bdf");
    prompter->files.push_back(QString::fromStdString(exported));
    exchange().ExportBdf1->trigger();
    auto text = [](const std::vector<std::uint8_t>& bytes) {
        return std::string(bytes.begin(), bytes.end());
    };
    std::string fromEditor = text(readBytes(QString::fromStdString(exported)));
    std::string fromTool = text(readBytes(QString::fromStdString(again)));
    const auto family = [](std::string& bdfText) {
        const std::size_t at = bdfText.find("FAMILY_NAME");
        bdfText.erase(at, bdfText.find('\n', at) - at);
        const std::size_t font = bdfText.find("\nFONT ") + 1;
        bdfText.erase(font, bdfText.find('\n', font) - font);
    };
    family(fromEditor);
    family(fromTool);
    EXPECT_EQ(firstDifference(fromEditor, fromTool), "");
}

TEST_F(ExchangeTest, BdfImportShowsItsNotesInOneMessageAndRefusalsChangeNothing) {
    const std::string bdf = std::string(KORVEL_TEST_DATA) + "/bdf/koi8-r.bdf";
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::runCli({"convert", bdf, file("k.lcm")}, out, err), 0);
    prompter->files.push_back(QString::fromStdString(bdf));
    exchange().ImportBdf1->trigger();
    const auto messages = prompter->ofKind(Prompt::Kind::Message);
    ASSERT_EQ(messages.size(), 1U);
    QString expected = QString::fromStdString(err.str()).trimmed();
    expected.replace(QStringLiteral("korvel-cli: "), QString());
    EXPECT_EQ(messages[0].text, expected);
    EXPECT_FALSE(expected.isEmpty());

    // Not a BDF font: korvel-cli's refusal, and the library stays.
    const int count = window->fontLibrary().count;
    const std::string broken = file("broken.bdf");
    writeBytes(QString::fromStdString(broken), {'S', 'T', 'A', 'R', 'T', '\n'});
    std::ostringstream brokenErr;
    EXPECT_EQ(cli::runCli({"convert", broken, file("b.lcm")}, out, brokenErr), 1);
    prompter->files.push_back(QString::fromStdString(broken));
    exchange().ImportBdf1->trigger();
    const auto errors = prompter->ofKind(Prompt::Kind::Error);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_EQ(QStringLiteral("korvel-cli: ") + errors[0].text + QStringLiteral("\n"),
              QString::fromStdString(brokenErr.str()));
    EXPECT_EQ(window->fontLibrary().count, count);
}

TEST_F(ExchangeTest, ClipRuleCutsInkAsConvertClipDoes) {
    const std::string bdf = std::string(KORVEL_TEST_DATA) + "/bdf/proportional-accents.bdf";
    const std::string clipped = file("clipped.lcm");
    cli({"convert", bdf, clipped, "--clip"});
    exchange().ClipBdf1->setChecked(true);
    prompter->files.push_back(QString::fromStdString(bdf));
    exchange().ImportBdf1->trigger();
    const auto expected = loadFontLibrary(clipped);
    ASSERT_TRUE(expected.ok());
    for (int code = 0; code < expected.value().count; ++code) {
        EXPECT_EQ(window->fontLibrary().glyphs[static_cast<std::size_t>(code)].height,
                  expected.value().glyphs[static_cast<std::size_t>(code)].height);
    }
}

TEST_F(ExchangeTest, PngFolderExportAndImportEqualConvert) {
    const std::string library = file("logos.bcm");
    writeBytes(QString::fromStdString(library),
               bitmapFile({{"red", {"RRG", "B.Y"}}, {"sp ace", {"AWFKRGBYAWF"}}}));
    openBitmaps(QString::fromStdString(library));
    const std::string exportedFolder = file("exported");
    prompter->files.push_back(QString::fromStdString(exportedFolder));
    exchange().ExportPngFolder1->trigger();
    EXPECT_TRUE(prompter->ofKind(Prompt::Kind::Error).empty());
    const std::string viaCli = file("viacli");
    cli({"convert", library, viaCli});
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(viaCli)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(readBytes(QString::fromStdString(exportedFolder + "/" + name)),
                  readBytes(QString::fromStdString(entry.path().string())))
            << name;
        ++files;
    }
    EXPECT_EQ(files, 3); // the index and two pictures
    // Read back: the library convert makes of the exportedFolder.
    const std::string back = file("back.bcm");
    cli({"convert", viaCli, back});
    window->document().clearBitmapLibrary();
    prompter->files.push_back(QString::fromStdString(exportedFolder));
    exchange().ImportPngFolder1->trigger();
    EXPECT_EQ(window->editingMode(), EditingMode::Bitmap);
    const auto expected = loadBitmapLibrary(back);
    ASSERT_TRUE(expected.ok());
    const auto& want = expected.value().entries;
    const auto& got = window->bitmapLibrary().entries;
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(got[k].name, want[k].name);
        EXPECT_EQ(pictureToText(*got[k].picture), pictureToText(*want[k].picture));
    }
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 2), QStringLiteral("sp ace"));
    // A folder that is not there: korvel-cli's refusal, nothing changes.
    prompter->files.push_back(path(QStringLiteral("no-such-folder")));
    exchange().ImportPngFolder1->trigger();
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Error).size(), 1U);
    EXPECT_EQ(window->bitmapLibrary().entries.size(), want.size());

    // PNG files without an index are named in the editor's code page, as convert names them.
    const std::string pictures = file("pictures");
    std::filesystem::create_directory(pictures);
    std::filesystem::copy_file(viaCli + "/" + pictureFileName(0, "red"),
                               pictures + "/\xD0\xBF\xD1\x80\xD0\xB8.png"); // при
    window->setCodePage(*codePageByName("windows-1251"));
    prompter->files.push_back(QString::fromStdString(pictures));
    exchange().ImportPngFolder1->trigger();
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Error).size(), 1U);
    const std::string converted = file("pictures.bcm");
    cli({"convert", pictures, converted, "--codepage", "windows-1251"});
    const auto cyrillic = loadBitmapLibrary(converted);
    ASSERT_TRUE(cyrillic.ok());
    ASSERT_EQ(window->bitmapLibrary().entries.size(), 1U);
    EXPECT_EQ(window->bitmapLibrary().entries[0].name, cyrillic.value().entries[0].name);
    EXPECT_EQ(window->AdvStringGrid2->cell(2, 1), QStringLiteral("при"));
}

TEST_F(ExchangeTest, TheDefaultNameFollowsTheFormatAsExportCChoosesIt) {
    const std::string library = file("cmaps.lcm");
    writeFont(library);
    openFont(QString::fromStdString(library));
    prompter->modals.push_back([this](QDialog&) {
        EXPECT_EQ(dialog().NameEdit->text(), QStringLiteral("cmaps"));
        // An LVGL font file has arrays of that name itself.
        dialog().FormatBox->setCurrentText(QStringLiteral("lvgl"));
        EXPECT_EQ(dialog().NameEdit->text(), QStringLiteral("font_cmaps"));
        EXPECT_TRUE(dialog().header().has_value());
        dialog().FormatBox->setCurrentText(QStringLiteral("gfx"));
        EXPECT_EQ(dialog().NameEdit->text(), QStringLiteral("cmaps"));
        // A name the user typed stays whatever the format.
        dialog().NameEdit->setText(QStringLiteral("mine"));
        dialog().FormatBox->setCurrentText(QStringLiteral("lvgl"));
        EXPECT_EQ(dialog().NameEdit->text(), QStringLiteral("mine"));
    });
    exchange().ExportCHeader1->trigger();
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Modal).size(), 1U);
}

TEST_F(ExchangeTest, AHeaderOfALibraryNeverSavedNamesItUntitled) {
    window->document().makeFontLibrary([](FontLibrary& font) { makeBlankFont(font, 3, 4, 128); });
    window->setEditingMode(EditingMode::Font);
    prompter->modals.push_back([this](QDialog&) {
        EXPECT_EQ(dialog().NameEdit->text(), QStringLiteral("font"));
        EXPECT_TRUE(dialog().TextView->toPlainText().startsWith(
            QStringLiteral("/* untitled.lcm as C source, made by korvel-cli export-c")));
        EXPECT_EQ(dialog().decodedGlyphs().size(), 128U);
    });
    exchange().ExportCHeader1->trigger();
    EXPECT_EQ(prompter->ofKind(Prompt::Kind::Modal).size(), 1U);
}

} // namespace
} // namespace korvel
