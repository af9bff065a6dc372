#include "cli/commands.h"
#include "document/libraryfactory.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/bmp.h"
#include "formats/lcm.h"
#include "png/pngread.h"
#include "typeface/fontmatch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;

[[nodiscard]] std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

/// What one run of the tool gave.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// The line new-font writes to standard error about glyphs cut sideways, if any.
[[nodiscard]] std::string sidewaysNote(const SystemFontReport& report) {
    if (report.sidewaysCut == 0) {
        return "";
    }
    return "korvel-cli: " + std::to_string(report.sidewaysCut) +
           " glyphs lost ink left of their origin or right of their advance width\n";
}

/// Runs commands in a fresh folder of its own.
class CliTest : public testing::Test {
protected:
    [[nodiscard]] static CliRun run(const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        CliRun result;
        result.status = runCli(arguments, out, err);
        result.out = out.str();
        result.err = err.str();
        return result;
    }
    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }
    [[nodiscard]] static std::vector<std::uint8_t> bytes(const std::string& file) {
        auto read = readWholeFile(file);
        EXPECT_TRUE(read.ok()) << file;
        return read.ok() ? read.value() : std::vector<std::uint8_t>{};
    }
    void expectSameFile(const std::string& made, const std::string& golden) const {
        EXPECT_EQ(bytes(made), bytes(golden)) << made << " differs from " << golden;
    }

private:
    QTemporaryDir folder_;
};

TEST_F(CliTest, InfoListsTheGoldenLibraries) {
    CliRun font = run({"info", kData + "/lcm/blank-5x9-128.lcm"});
    EXPECT_EQ(font.status, kExitOk) << font.err;
    EXPECT_EQ(font.out.rfind("128\n0 5 9\n1 5 9\n", 0), 0U) << font.out.substr(0, 40);
    EXPECT_NE(font.out.find("\n127 5 9\n"), std::string::npos);

    CliRun rows = run({"info", "--rows", kData + "/lcm/width0-height9.lcm"});
    EXPECT_EQ(rows.status, kExitOk) << rows.err;
    std::string blankRows;
    for (int y = 0; y < 9; ++y) {
        blankRows += "........\n";
    }
    EXPECT_EQ(rows.out, "1\n0 8 9\n" + blankRows);

    CliRun bitmaps = run({"info", "--rows", kData + "/bcm/white-and-black-8x2.bcm"});
    EXPECT_EQ(bitmaps.status, kExitOk) << bitmaps.err;
    EXPECT_EQ(bitmaps.out, "2\n0 WHITE 8 2\nWWWWWWWW\nWWWWWWWW\n1 BLACK 8 2\nKKKKKKKK\nKKKKKKKK\n");

    // A name of control characters (a line break, a terminal's escape) keeps to its line, and
    // a backslash of the name is doubled, so that no name reads as another's escape.
    const std::vector<bitmapInfoList> odd{{"a\nb", 1, 1, Picture(1, 1)},
                                          {"\x1B[2J\x81", 1, 1, Picture(1, 1)},
                                          {"a\\x0Ab", 1, 1, Picture(1, 1)}};
    const std::string oddNames = path("odd.bcm");
    ASSERT_TRUE(writeFileAtomic(oddNames, encodeBcm(odd, 3).value()).ok());
    EXPECT_EQ(run({"info", oddNames}).out,
              "3\n0 a\\x0Ab 1 1\n1 \\x1B[2J\\x81 1 1\n2 a\\\\x0Ab 1 1\n");
}

TEST_F(CliTest, NewFontMakesWhatTheSetupDialogMakes) {
    const std::string blank = path("blank.lcm");
    EXPECT_EQ(run({"new-font", "--blank", "5x9", "-o", blank}).status, kExitOk);
    EXPECT_EQ(bytes(blank).size(), 2049U);
    expectSameFile(blank, kData + "/lcm/blank-5x9-128.lcm");

    const std::string full = path("full.lcm");
    EXPECT_EQ(run({"new-font", "--blank", "3x2", "--codes", "256", "-o", full}).status, kExitOk);
    EXPECT_EQ(run({"info", full}).out.substr(0, 4), "256\n");

    const std::string system = path("system.lcm");
    const CliRun made = run({"new-font", "--family", "dejavu sans", "--size", "7", "-o", system});
    ASSERT_EQ(made.status, kExitOk) << made.err;
    FontLibrary expected;
    renderSystemFont(expected, QStringLiteral("DejaVu Sans"), 7, 128);
    EXPECT_EQ(bytes(system), encodeLcm(expected.glyphs, expected.count).value());

    // The family's font file given by itself makes the same library.
    const auto face = matchOutlineFace("DejaVu Sans", 9);
    ASSERT_TRUE(face.has_value());
    const std::string fromFile = path("file.lcm");
    const CliRun fileMade = run({"new-font", "--font", face->file, "--size", "7", "-o", fromFile});
    ASSERT_EQ(fileMade.status, kExitOk) << fileMade.err;
    expectSameFile(fromFile, system);
}

/// korvel-cli remembers fontconfig's answer for a family between runs and asks fontconfig again
/// once anything the answer depends on has changed, here a font added to the only font folder
/// of a configuration of the test's own, or the remembered file is damaged.
TEST_F(CliTest, NewFontRemembersFontconfigsAnswerUntilTheFontsChange) {
    const auto sans = matchOutlineFace("DejaVu Sans", 9);
    const auto serif = matchOutlineFace("DejaVu Serif", 9);
    ASSERT_TRUE(sans && serif);
    const std::filesystem::path root = path("remembered");
    const std::filesystem::path fonts = root / "fonts";
    std::filesystem::create_directories(fonts);
    std::filesystem::create_directories(root / "home");
    std::filesystem::copy_file(sans->file, fonts / "sans.ttf");
    std::filesystem::copy_file(serif->file, root / "serif.ttf");
    std::ofstream(root / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><dir>"
        << fonts.string() << "</dir><cachedir>" << (root / "fccache").string()
        << "</cachedir></fontconfig>\n";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : {std::pair{"FONTCONFIG_FILE", root / "fonts.conf"},
                                      {"HOME", root / "home"},
                                      {"XDG_CACHE_HOME", root / "cache"}}) {
        environment.insert(QString::fromUtf8(name), QString::fromStdString(value.string()));
    }
    const auto made = [&](const std::string& output) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KORVEL_CLI_PROGRAM),
                      {QStringLiteral("new-font"), QStringLiteral("--family"),
                       QStringLiteral("DejaVu Sans"), QStringLiteral("--size"), QStringLiteral("7"),
                       QStringLiteral("-o"), QString::fromStdString(path(output))});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), kExitOk) << process.readAllStandardError().toStdString();
        return bytes(path(output));
    };
    const std::filesystem::path remembered = root / "cache/korvel/font-matches.korvel-cli";
    const auto text = [&] {
        std::ifstream in(remembered, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };

    const auto first = made("first.lcm");
    ASSERT_EQ(run({"new-font", "--font", sans->file, "--size", "7", "-o", path("sans.lcm")}).status,
              kExitOk);
    EXPECT_EQ(first, bytes(path("sans.lcm")));
    const std::string answer = text();
    const std::string sansCopy = (fonts / "sans.ttf").string();
    ASSERT_NE(answer.find("\t" + sansCopy + "\t"), std::string::npos) << answer;

    // The remembered answer is what the next run draws: made to name another file, the run
    // draws that file without asking fontconfig.
    std::string other = answer;
    other.replace(other.find("\t" + sansCopy + "\t"), sansCopy.size() + 2,
                  "\t" + (root / "serif.ttf").string() + "\t");
    std::ofstream(remembered, std::ios::binary | std::ios::trunc) << other;
    ASSERT_EQ(run({"new-font", "--font", (root / "serif.ttf").string(), "--size", "7", "-o",
                   path("serif.lcm")})
                  .status,
              kExitOk);
    EXPECT_EQ(made("second.lcm"), bytes(path("serif.lcm")));

    // A font added to the font folder changes the folder: fontconfig answers again.
    const auto folderTime = std::filesystem::last_write_time(fonts);
    std::filesystem::copy_file(serif->file, fonts / "serif.ttf");
    ASSERT_NE(std::filesystem::last_write_time(fonts), folderTime);
    EXPECT_EQ(made("third.lcm"), first);
    EXPECT_EQ(text().find((root / "serif.ttf").string() + "\t"), std::string::npos) << text();

    // A damaged file is only a lookup more, and is made anew.
    for (const std::string& damage :
         {std::string("korvel font matches 1\n"), answer.substr(0, answer.size() - 1),
          std::string(5000, '\t'), std::string("\0\n\n", 3)}) {
        std::ofstream(remembered, std::ios::binary | std::ios::trunc) << damage;
        EXPECT_EQ(made("damaged.lcm"), first) << testing::PrintToString(damage);
        EXPECT_NE(text().find("\t" + sansCopy + "\t"), std::string::npos);
    }
}

TEST_F(CliTest, ListFontsPrintsTheFamiliesNewFontAccepts) {
    const CliRun listed = run({"list-fonts"});
    ASSERT_EQ(listed.status, kExitOk) << listed.err;
    EXPECT_EQ(listed.out, installedFamilies().join(u'\n').toStdString() + "\n");
    EXPECT_EQ(run({"list-fonts", "extra"}).status, kExitUsage);

    for (const QString& family : installedFamilies()) {
        const CliRun made = run({"new-font", "--family", family.toUpper().toStdString(), "--size",
                                 "5", "-o", path("family.lcm")});
        EXPECT_EQ(made.status, kExitOk) << family.toStdString() << ": " << made.err;
    }

    const CliRun foundry =
        run({"new-font", "--family", "Nimbus Sans [urw]", "--size", "7", "-o", path("n.lcm")});
    EXPECT_EQ(foundry.status, kExitRefused);
    EXPECT_NE(foundry.err.find("\"Nimbus Sans [urw]\" is not installed; the closest installed "
                               "families are \"Nimbus Sans\", "),
              std::string::npos)
        << foundry.err;
}

TEST_F(CliTest, NewFontTellsWhatTheRenderingCouldNotDoAsAsked) {
    // Terminus has strikes of 12 and 14 pixels, none of 13 (10 points).
    const CliRun nearest =
        run({"new-font", "--family", "terminus", "--size", "10", "-o", path("t10.lcm")});
    EXPECT_EQ(nearest.status, kExitOk) << nearest.err;
    EXPECT_EQ(nearest.err, "korvel-cli: Terminus is a bitmap font without a 13-pixel strike; used "
                           "the nearest one, 12 pixels\n");
    EXPECT_EQ(run({"info", path("t10.lcm")}).out.substr(0, 15), "128\n0 6 12\n1 6 ");

    const CliRun exact =
        run({"new-font", "--family", "Terminus", "--size", "12", "-o", path("t12.lcm")});
    EXPECT_EQ(exact.status, kExitOk);
    EXPECT_EQ(exact.err, "");
    EXPECT_NE(run({"info", path("t12.lcm")}).out.find("\n65 8 16\n"), std::string::npos);

    const CliRun cut = run({"new-font", "--family", "DejaVu Sans", "--size", "7", "--codes", "256",
                            "-o", path("sans.lcm")});
    EXPECT_EQ(cut.status, kExitOk);
    FontLibrary library;
    const SystemFontReport report =
        renderSystemFont(library, QStringLiteral("DejaVu Sans"), 7, 256);
    ASSERT_GT(report.sidewaysCut, 0) << "some glyphs of DejaVu Sans reach beyond their advance";
    EXPECT_EQ(cut.err, sidewaysNote(report));
}

TEST_F(CliTest, FontsRoundTripThroughBdf) {
    for (const std::string golden : {"blank-5x9-128.lcm", "full-256.lcm"}) {
        const std::string bdf = path(golden + ".bdf");
        const std::string back = path(golden);
        ASSERT_EQ(run({"convert", kData + "/lcm/" + golden, bdf}).status, kExitOk) << golden;
        const CliRun converted = run({"convert", bdf, back});
        ASSERT_EQ(converted.status, kExitOk) << converted.err;
        EXPECT_TRUE(converted.err.empty()) << converted.err;
        expectSameFile(back, kData + "/lcm/" + golden);
    }
}

TEST_F(CliTest, BdfImportKeepsWholeGlyphsOrClipsThemOnRequest) {
    const std::string bdf = path("hand.bdf");
    const std::string text = "STARTFONT 2.1\nFONTBOUNDINGBOX 3 2 0 0\nSTARTPROPERTIES 2\n"
                             "FONT_ASCENT 2\nFONT_DESCENT 0\nENDPROPERTIES\nCHARS 2\n"
                             "STARTCHAR x\nENCODING 65\nDWIDTH 2 0\nBBX 3 1 0 0\nBITMAP\nE0\n"
                             "ENDCHAR\nSTARTCHAR big\nENCODING 9000\nDWIDTH 2 0\nBBX 1 1 0 0\n"
                             "BITMAP\n80\nENDCHAR\nENDFONT\n";
    ASSERT_TRUE(
        writeFileAtomic(bdf, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})
            .ok());
    const std::string whole = path("whole.lcm");
    const CliRun kept = run({"convert", bdf, whole});
    EXPECT_EQ(kept.status, kExitOk) << kept.err;
    // No character set named: the codes are taken as they are, and the tool says so.
    EXPECT_NE(kept.err.find("names no character set"), std::string::npos) << kept.err;
    EXPECT_NE(kept.err.find("1 glyphs skipped"), std::string::npos) << kept.err;
    EXPECT_NE(run({"info", "--rows", whole}).out.find("\n65 3 2\n...\n###\n"), std::string::npos);

    const std::string lcm = path("clipped.lcm");
    const CliRun clipped = run({"convert", bdf, lcm, "--clip"});
    EXPECT_EQ(clipped.status, kExitOk) << clipped.err;
    EXPECT_NE(clipped.err.find("glyph 65"), std::string::npos) << clipped.err;
    const CliRun rows = run({"info", "--rows", lcm});
    EXPECT_NE(rows.out.find("\n65 2 2\n..\n##\n"), std::string::npos);
    EXPECT_NE(rows.out.find("\n0 3 2\n...\n...\n"), std::string::npos);

    EXPECT_EQ(run({"convert", kData + "/lcm/blank-5x9-128.lcm", path("x.bdf"), "--clip"}).status,
              kExitUsage);
}

TEST_F(CliTest, BdfImportRefusesAFontWithoutWindows1252Characters) {
    const std::string lcm = path("cjk.lcm");
    const CliRun refused = run({"convert", kData + "/bdf/cjk-only.bdf", lcm});
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_NE(refused.err.find("cjk-only.bdf: it has 2 glyphs in character set ISO10646-1"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(lcm)));

    const CliRun koi = run({"convert", kData + "/bdf/koi8-r.bdf", path("koi.lcm")});
    EXPECT_EQ(koi.status, kExitOk);
    EXPECT_NE(koi.err.find("its character set KOI8-R is neither Unicode nor ISO 8859-1"),
              std::string::npos)
        << koi.err;
}

TEST_F(CliTest, RealPngsReadAsQtSeesThemWithInvisiblePixelsBlack) {
    // Icons of every colour type from an installed theme, each compared pixel by pixel with
    // Qt's own reading: a pixel whose alpha is below 128 must be black, any other its colour.
    QDirIterator icons("/usr/share/icons/Adwaita", {"*.png"}, QDir::Files,
                       QDirIterator::Subdirectories);
    int compared = 0;
    int withInvisiblePixels = 0;
    while (icons.hasNext() && compared < 200) {
        const QString file = icons.next();
        QImage image(file, "PNG");
        if (image.isNull() || image.depth() > 32) {
            continue; // 16-bit channels round differently from a plain cut to 8 bits
        }
        image = image.convertToFormat(QImage::Format_ARGB32);
        const auto picture = decodePng(bytes(file.toStdString()));
        ASSERT_TRUE(picture.ok()) << file.toStdString() << ": " << picture.error().message;
        ASSERT_EQ(picture.value().width(), image.width());
        ASSERT_EQ(picture.value().height(), image.height());
        bool invisible = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb seen = image.pixel(x, y);
                invisible = invisible || qAlpha(seen) < 128;
                const Rgb expected = qAlpha(seen) < 128
                                         ? kBlack
                                         : makeRgb(static_cast<std::uint8_t>(qRed(seen)),
                                                   static_cast<std::uint8_t>(qGreen(seen)),
                                                   static_cast<std::uint8_t>(qBlue(seen)));
                ASSERT_EQ(picture.value().pixel(x, y), expected)
                    << file.toStdString() << " at " << x << ", " << y;
            }
        }
        withInvisiblePixels += invisible ? 1 : 0;
        ++compared;
    }
    if (compared == 0) {
        GTEST_SKIP() << "no icons in /usr/share/icons/Adwaita (package adwaita-icon-theme)";
    }
    EXPECT_GT(withInvisiblePixels, 0);
}

TEST_F(CliTest, AddReadsTransparentPixelsAsBlack) {
    const std::string icon = "/usr/share/icons/Adwaita/16x16/places/start-here.png";
    if (!QFile::exists(QString::fromStdString(icon))) {
        GTEST_SKIP() << icon << " is missing (package adwaita-icon-theme)";
    }
    const std::string library = path("s.bcm");
    const CliRun added = run({"add", library, "START", icon});
    ASSERT_EQ(added.status, kExitOk) << added.err;
    const CliRun rows = run({"info", "--rows", library});
    // The icon's frame is invisible white: its first and last rows are black, not white.
    EXPECT_NE(rows.out.find("0 START 16 16\nKKKKKKKKKKKKKKKK\n"), std::string::npos) << rows.out;

    const std::string cut = path("cut.png");
    const auto whole = bytes(icon);
    ASSERT_TRUE(writeFileAtomic(cut, std::span(whole).first(whole.size() / 2)).ok());
    const CliRun refused = run({"add", library, "CUT", cut});
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_EQ(refused.err.rfind("korvel-cli: " + cut + ": it is cut short", 0), 0U) << refused.err;
}

TEST_F(CliTest, BitmapLibrariesRoundTripThroughAFolder) {
    for (const std::string golden :
         {"red-and-logo.bcm", "sizes-and-names.bcm", "many-256.bcm", "empty.bcm"}) {
        const std::string folder = path(golden.substr(0, golden.find('.')));
        const std::string back = path(golden);
        const CliRun out = run({"convert", kData + "/bcm/" + golden, folder});
        ASSERT_EQ(out.status, kExitOk) << out.err;
        const CliRun in = run({"convert", folder, back});
        ASSERT_EQ(in.status, kExitOk) << in.err;
        expectSameFile(back, kData + "/bcm/" + golden);
    }
}

TEST_F(CliTest, EveryNameTheReaderAcceptsSurvivesTheFolderRoundTrip) {
    // Repeated, case-different (in Windows-1252 too: \xE9 and \xC9 are é and É), empty, 8-byte
    // names, and an entry without pixels named like one with.
    std::vector<bitmapInfoList> entries;
    const auto add = [&](const std::string& name, int width, int height, Rgb colour) {
        Picture picture(width, height);
        picture.fill(colour);
        entries.push_back({name, width, height, std::move(picture)});
    };
    add("DUP", 4, 4, kRed);
    add("DUP", 9, 2, kWhite);
    add("Logo", 3, 3, 0xFF0000);
    add("LOGO", 16, 1, kRed);
    add("", 5, 5, kWhite);
    add("", 0, 7, kBlack);
    add("EIGHTCHR", 8, 8, 0xFFFF00);
    add("\xE9t\xE9", 2, 2, kRed);
    add("\xC9T\xC9", 2, 2, kWhite);
    add("\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9", 1, 1, kRed);
    add("DUP", 1, 0, kBlack);
    const auto library = encodeBcm(entries, static_cast<int>(entries.size()));
    ASSERT_TRUE(library.ok());
    const std::string original = path("names.bcm");
    ASSERT_TRUE(writeFileAtomic(original, library.value()).ok());

    const CliRun out = run({"convert", original, path("names")});
    ASSERT_EQ(out.status, kExitOk) << out.err;
    EXPECT_EQ(out.err, "");
    const CliRun in = run({"convert", path("names"), path("back.bcm")});
    ASSERT_EQ(in.status, kExitOk) << in.err;
    expectSameFile(path("back.bcm"), original);
    // One warning names the repeating lines; the library is written all the same.
    EXPECT_EQ(in.err,
              "korvel-cli: " + path("names") +
                  "/index.txt: warning: names repeat (in one letter case or another) and "
                  "are kept as they are: line 2 repeats line 1, line 4 repeats line 3, line "
                  "6 repeats line 5, line 9 repeats line 8, line 11 repeats line 1\n");

    // add still refuses a name the library holds, in any letter case.
    const std::string red = path("red.bmp");
    Picture picture(2, 2);
    ASSERT_TRUE(writeFileAtomic(red, encodeBmp24(picture)).ok());
    const CliRun again = run({"add", path("back.bcm"), "logo", red});
    EXPECT_EQ(again.status, kExitRefused);
    EXPECT_EQ(again.err,
              "korvel-cli: " + path("back.bcm") + ": Please input exclusive bitmap name!\n");
}

TEST_F(CliTest, AddAppendsAPictureUnderTheNameRules) {
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(qRgb(250, 3, 100)); // classified as Red: only the red channel is lit
    const std::string png = path("red.png");
    ASSERT_TRUE(red.save(QString::fromStdString(png), "PNG"));
    const std::string library = path("lib.bcm");
    const CliRun added = run({"add", library, "A", png});
    ASSERT_EQ(added.status, kExitOk) << added.err;
    EXPECT_EQ(bytes(library).size(), 32U);
    expectSameFile(library, kData + "/bcm/one-red-4x4.bcm");

    const CliRun duplicate = run({"add", library, "a", png});
    EXPECT_EQ(duplicate.status, kExitRefused);
    EXPECT_EQ(duplicate.err, "korvel-cli: " + library + ": Please input exclusive bitmap name!\n");
    const CliRun empty = run({"add", library, " \t", png});
    EXPECT_EQ(empty.status, kExitRefused);
    EXPECT_EQ(empty.err, "korvel-cli: " + library + ": Please input your bitmap name!\n");
    EXPECT_EQ(run({"add", library, "NINECHARS", png}).status, kExitRefused);
    expectSameFile(library, kData + "/bcm/one-red-4x4.bcm");

    // A BMP, scaled as the modify dialog's import scales: each pixel becomes a 2 x 2 block.
    Picture small(2, 1);
    small.setPixel(1, 0, kWhite);
    const std::string bmp = path("small.bmp");
    ASSERT_TRUE(writeFileAtomic(bmp, encodeBmp24(small)).ok());
    ASSERT_EQ(run({"add", library, "B", bmp, "--size", "4x2"}).status, kExitOk);
    EXPECT_EQ(run({"info", "--rows", library}).out,
              "2\n0 A 4 4\nRRRR\nRRRR\nRRRR\nRRRR\n1 B 4 2\nKKWW\nKKWW\n");

    // A PNG larger than a bitmap is refused from its header, as a BMP is, naming the picture.
    const auto before = bytes(library);
    const std::string tall = path("tall.png");
    ASSERT_TRUE(QImage(4, 513, QImage::Format_RGB32).save(QString::fromStdString(tall), "PNG"));
    const CliRun tooTall = run({"add", library, "C", tall});
    EXPECT_EQ(tooTall.status, kExitRefused);
    EXPECT_NE(tooTall.err.find(tall + ": its picture of 4 x 513 is larger"), std::string::npos)
        << tooTall.err;
    EXPECT_EQ(bytes(library), before);
}

TEST_F(CliTest, ExportWritesOneGlyphOrEntry) {
    const std::string bmp = path("glyph.bmp");
    ASSERT_EQ(run({"export", kData + "/lcm/ink-widths.lcm", "3", bmp}).status, kExitOk);
    const auto glyphs = decodeLcm(bytes(kData + "/lcm/ink-widths.lcm"));
    ASSERT_TRUE(glyphs.ok());
    EXPECT_EQ(bytes(bmp), encodeBmp24(*glyphs.value()[3].picture));

    const std::string png = path("logo.png");
    ASSERT_EQ(run({"export", kData + "/bcm/red-and-logo.bcm", "logo", png}).status, kExitOk);
    const auto picture = decodePng(bytes(png));
    ASSERT_TRUE(picture.ok());
    const auto entries = decodeBcm(bytes(kData + "/bcm/red-and-logo.bcm"));
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(picture.value(), *entries.value()[1].picture);

    const CliRun missing = run({"export", kData + "/bcm/red-and-logo.bcm", "NOPE", png});
    EXPECT_EQ(missing.status, kExitRefused);
    EXPECT_NE(missing.err.find("red-and-logo.bcm: there is no bitmap named \"NOPE\""),
              std::string::npos)
        << missing.err;
    EXPECT_EQ(run({"export", kData + "/lcm/ink-widths.lcm", "4", bmp}).status, kExitRefused);
}

TEST_F(CliTest, ExportOfAPictureWithoutPixelsWritesAnEmptyBmp) {
    // Glyph 0 of height0.lcm is 0 pixels tall; entry H0 of sizes-and-names.bcm too.
    const std::string glyph = path("glyph.bmp");
    ASSERT_TRUE(writeFileAtomic(glyph, bytesOf("an older file")).ok());
    const CliRun font = run({"export", kData + "/lcm/height0.lcm", "0", glyph});
    ASSERT_EQ(font.status, kExitOk) << font.err;
    expectSameFile(glyph, kData + "/bmp/no-pixels.bmp");

    const std::string entry = path("entry.bmp");
    const CliRun bitmap = run({"export", kData + "/bcm/sizes-and-names.bcm", "h0", entry});
    ASSERT_EQ(bitmap.status, kExitOk) << bitmap.err;
    expectSameFile(entry, kData + "/bmp/no-pixels.bmp");

    const std::string png = path("entry.png");
    const CliRun refused = run({"export", kData + "/bcm/sizes-and-names.bcm", "H0", png});
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_NE(refused.err.find("a PNG file cannot hold"), std::string::npos) << refused.err;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(png)));
}

TEST_F(CliTest, ConvertTakesAnExistingDirectoryAsAFolderWhateverItsName) {
    const std::string golden = kData + "/bcm/red-and-logo.bcm";
    const std::string dotted = path("logos.d");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dotted)));
    const CliRun out = run({"convert", golden, dotted});
    ASSERT_EQ(out.status, kExitOk) << out.err;
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dotted + "/index.txt")));

    const std::string named = path("named.bcm"); // a directory that looks like a library
    ASSERT_TRUE(QDir().rename(QString::fromStdString(dotted), QString::fromStdString(named)));
    const std::string back = path("back.bcm");
    const CliRun in = run({"convert", named, back});
    ASSERT_EQ(in.status, kExitOk) << in.err;
    expectSameFile(back, golden);

    // A new path with an extension no format has is neither a file format nor a folder.
    for (const auto& [input, output] :
         {std::pair{golden, path("new.d")}, std::pair{path("new.d"), back}}) {
        const CliRun unknown = run({"convert", input, output});
        EXPECT_EQ(unknown.status, kExitUsage) << output;
        EXPECT_NE(unknown.err.find("\"" + path("new.d") +
                                   "\" is neither a .lcm, .bdf or .bcm file nor a folder"),
                  std::string::npos)
            << unknown.err;
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("new.d"))));
    expectSameFile(back, golden);
}

TEST_F(CliTest, RefusedInputsExitOneNamingTheFileAndTheReason) {
    const std::string cut = kData + "/lcm/malformed/header-cut.lcm";
    const CliRun malformed = run({"info", cut});
    EXPECT_EQ(malformed.status, kExitRefused);
    EXPECT_EQ(malformed.err.rfind("korvel-cli: " + cut + ": the record of glyph", 0), 0U)
        << malformed.err;
    EXPECT_TRUE(malformed.out.empty());

    const CliRun absent = run({"convert", path("absent.bcm"), path("folder")});
    EXPECT_EQ(absent.status, kExitRefused);
    EXPECT_NE(absent.err.find("absent.bcm"), std::string::npos);

    const CliRun tooWide = run({"new-font", "--blank", "300x9", "-o", path("wide.lcm")});
    EXPECT_EQ(tooWide.status, kExitUsage);
    EXPECT_NE(tooWide.err.find("each from 1 to 255"), std::string::npos) << tooWide.err;

    const CliRun noFamily =
        run({"new-font", "--family", "No Such Family", "--size", "7", "-o", path("n.lcm")});
    EXPECT_EQ(noFamily.status, kExitRefused);
    EXPECT_NE(noFamily.err.find("\"No Such Family\" is not installed"), std::string::npos);

    // A font file that is none, one that is missing, and a font named twice.
    const std::string notFont = kData + "/bcm/palette-and-names.bcm";
    const CliRun notAFont =
        run({"new-font", "--font", notFont, "--size", "7", "-o", path("f.lcm")});
    EXPECT_EQ(notAFont.status, kExitRefused);
    EXPECT_NE(notAFont.err.find("palette-and-names.bcm: is no outline font"), std::string::npos)
        << notAFont.err;
    const CliRun missing =
        run({"new-font", "--font", path("absent.ttf"), "--size", "7", "-o", path("f.lcm")});
    EXPECT_EQ(missing.status, kExitRefused);
    EXPECT_NE(missing.err.find("absent.ttf: cannot be read"), std::string::npos) << missing.err;
    EXPECT_EQ(run({"new-font", "--font", notFont, "--family", "DejaVu Sans", "--size", "7", "-o",
                   path("f.lcm")})
                  .status,
              kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(path("f.lcm")));
}

TEST_F(CliTest, AnOutputThatIsAnInputUnderAnotherNameIsRefused) {
    namespace fs = std::filesystem;
    const std::string font = path("font.lcm");
    ASSERT_EQ(run({"new-font", "--blank", "3x2", "-o", font}).status, kExitOk);
    const std::string library = path("logos.bcm");
    fs::copy_file(kData + "/bcm/one-red-4x4.bcm", library);
    const auto fontBytes = bytes(font);
    const auto libraryBytes = bytes(library);
    // Saving follows links, so either would have replaced the input with the output.
    fs::create_symlink(library, path("linked.png"));
    fs::create_hard_link(font, path("linked.bdf"));
    const CliRun exported = run({"export", library, "A", path("linked.png")});
    EXPECT_EQ(exported.status, kExitRefused);
    EXPECT_NE(exported.err.find("linked.png: is the library itself"), std::string::npos)
        << exported.err;
    const CliRun converted = run({"convert", font, path("linked.bdf")});
    EXPECT_EQ(converted.status, kExitRefused);
    EXPECT_NE(converted.err.find("linked.bdf: is the input itself"), std::string::npos)
        << converted.err;
    EXPECT_EQ(bytes(library), libraryBytes);
    EXPECT_EQ(bytes(font), fontBytes);
    // A folder's library may not be written over a file the folder is read from.
    const std::string folder = path("folder");
    ASSERT_EQ(run({"convert", library, folder}).status, kExitOk);
    const std::string index = folder + "/index.txt";
    const auto indexBytes = bytes(index);
    fs::create_symlink(index, path("linked.bcm"));
    const CliRun imported = run({"convert", folder, path("linked.bcm")});
    EXPECT_EQ(imported.status, kExitRefused);
    EXPECT_NE(imported.err.find("linked.bcm: is the folder's index itself"), std::string::npos)
        << imported.err;
    EXPECT_EQ(bytes(index), indexBytes);
}

/// Output lost to a full disk fails the run, in the Qt-free program and in korvel-cli-qt.
TEST_F(CliTest, OutputThatCannotBeWrittenFailsTheRun) {
    for (const char* command : {"list-codepages", "--help"}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(KORVEL_CLI_PROGRAM), {QString::fromLatin1(command)});
        ASSERT_TRUE(process.waitForFinished(60000)) << command;
        EXPECT_EQ(process.exitCode(), kExitRefused) << command;
        EXPECT_EQ(process.readAllStandardError().toStdString(),
                  "korvel-cli: cannot write to standard output\n")
            << command;
    }
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage) {
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"frobnicate"},
        {"info"},
        {"info", "a.txt"},
        {"info", "--colour", "a.lcm"},
        {"new-font", "--blank", "5x9", "-o", "a.lcm", "--codes", "100"},
        {"new-font", "--blank", "0x9", "-o", "a.lcm"},
        {"new-font", "--blank", "5x9"},
        {"new-font", "--size", "7", "-o", "a.lcm"},
        {"convert", "a.lcm", "b.bcm"},
        {"add", "a.bcm", "A", "b.gif", "--fit", "sideways"},
        {"add", "a.bcm", "A", "b.png", "--size", "4"},
        {"export", "a.lcm", "1", "b.jpg"},
        {"new-font", "-o"},
    };
    for (const auto& arguments : wrong) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kExitUsage) << testing::PrintToString(arguments);
        EXPECT_NE(result.err.find("Usage:"), std::string::npos) << result.err;
    }
    const CliRun help = run({"add", "--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("korvel-cli add LIB.bcm NAME"), std::string::npos);
}

/// The program itself, started as a user would, without a display or a chosen Qt platform.
TEST_F(CliTest, TheProgramRunsWithoutADisplay) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    const std::string output = path("program.lcm");
    process.start(QStringLiteral(KORVEL_CLI_PROGRAM),
                  {QStringLiteral("new-font"), QStringLiteral("--family"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("--size"), QStringLiteral("7"),
                   QStringLiteral("-o"), QString::fromStdString(output)});
    ASSERT_TRUE(process.waitForFinished(60000));
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitCode(), kExitOk) << err;
    FontLibrary library;
    EXPECT_EQ(err, sidewaysNote(renderSystemFont(library, QStringLiteral("DejaVu Sans"), 7, 128)))
        << "nothing but the count of glyphs cut sideways";
    const CliRun result = run({"info", output});
    EXPECT_EQ(result.out.substr(0, 4), "128\n");
}

/// korvel-cli as a user starts it: the Qt-free commands run in a process that has no Qt
/// linked, every other command line is handed to korvel-cli-qt with the same result, and a
/// missing korvel-cli-qt is said, not hidden.
TEST_F(CliTest, TheProgramRunsQtFreeCommandsWithoutQtAndHandsOverTheRest) {
    const auto started = [](const QString& program, const std::vector<std::string>& arguments) {
        QStringList list;
        for (const std::string& argument : arguments) {
            list << QString::fromStdString(argument);
        }
        QProcess process;
        // The in-process runs' default code page, Windows-1252, whatever the machine's language.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(environment);
        process.start(program, list);
        EXPECT_TRUE(process.waitForFinished(60000));
        return CliRun{process.exitCode(), process.readAllStandardOutput().toStdString(),
                      process.readAllStandardError().toStdString()};
    };
    const QString program = QStringLiteral(KORVEL_CLI_PROGRAM);

    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), program});
    ASSERT_TRUE(readelf.waitForFinished(60000));
    const std::string dynamic = readelf.readAllStandardOutput().toStdString();
    ASSERT_NE(dynamic.find("NEEDED"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("libQt6"), std::string::npos) << dynamic;

    // Names as typed: in another letter case, and in UTF-8 for a Windows-1252 name.
    const std::string library = kData + "/bcm/palette-and-names.bcm";
    const std::vector<std::vector<std::string>> lines{
        {"info", library},
        {"export", library, "all", path("front.png")},
        {"export", library, "\"?\\*/\u00c9", path("front.bmp")},
        {"export", library, "\"?\\*/e", path("front.png")},
        {"list-codepages"},
        {"--version"},
        {"help"},
        {"new-font", "--help"},
        // Outline fonts are drawn without Qt; a bitmap font and an unknown family are handed
        // over, which names the closest installed families.
        {"new-font", "--family", "DejaVu Sans", "--size", "72", "--codes", "256", "-o",
         path("front.lcm")},
        {"new-font", "--family", "dejavu serif", "--size", "7", "--codepage", "cp1251", "--codes",
         "256", "-o", path("front.lcm")},
        {"new-font", "--family", "Terminus", "--size", "10", "-o", path("front.lcm")},
        {"new-font", "--family", "No Such Family", "--size", "7", "-o", path("front.lcm")},
        {"new-font", "--blank", "5x7", "-o", path("front.lcm")},
        {"no-such-command"},
    };
    for (const auto& line : lines) {
        const CliRun inProcess = run(line);
        const auto written = [&] {
            const std::string file = line[0] == "export"                        ? line[3]
                                     : line[0] == "new-font" && line.size() > 2 ? line.back()
                                                                                : "";
            std::ifstream in(file, std::ios::binary);
            std::string bytes{std::istreambuf_iterator<char>(in), {}};
            std::filesystem::remove(file);
            return bytes;
        };
        const std::string inProcessBytes = written();
        const CliRun front = started(program, line);
        EXPECT_EQ(written(), inProcessBytes) << testing::PrintToString(line);
        EXPECT_EQ(front.status, inProcess.status) << testing::PrintToString(line);
        EXPECT_EQ(front.out, inProcess.out) << testing::PrintToString(line);
        EXPECT_EQ(front.err, inProcess.err) << testing::PrintToString(line);
    }

    const std::string alone = path("alone");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(alone)));
    const QString copy = QString::fromStdString(alone + "/korvel-cli");
    ASSERT_TRUE(QFile::copy(program, copy));
    const CliRun handedOver = started(copy, {"list-fonts"});
    EXPECT_EQ(handedOver.status, kExitRefused);
    EXPECT_EQ(handedOver.err.rfind("korvel-cli: cannot run korvel-cli-qt", 0), 0U)
        << handedOver.err;
    EXPECT_EQ(started(copy, {"list-codepages"}).out, run({"list-codepages"}).out);
    const std::string drawn = path("alone.lcm");
    EXPECT_EQ(
        started(copy, {"new-font", "--family", "DejaVu Sans", "--size", "9", "-o", drawn}).status,
        kExitOk);
    EXPECT_EQ(run({"info", drawn}).out.substr(0, 4), "128\n");
    const CliRun bitmapFont =
        started(copy, {"new-font", "--family", "Terminus", "--size", "9", "-o", drawn});
    EXPECT_EQ(bitmapFont.err.rfind("korvel-cli: cannot run korvel-cli-qt", 0), 0U)
        << bitmapFont.err;
}

} // namespace
} // namespace korvel::cli
