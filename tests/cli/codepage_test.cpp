// korvel-cli in other code pages than Windows-1252: --codepage on new-font, info, add, import,
// export and convert, the refusal of unknown names, list-codepages, the default the program takes
// from the locale, and BDF fonts through the X11 tools (bdftopcf and fc-scan, pcf2bdf on the KOI8-R
// fonts of xfonts-base).
#include "cli/commands.h"
#include "core/codepage.h"
#include "document/glyphrender.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/lcm.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;
const std::string kKoi8Font = "/usr/share/fonts/X11/misc/6x13-KOI8-R.pcf.gz";

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

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

class CodePageCli : public testing::Test {
protected:
    [[nodiscard]] static CliRun run(const std::vector<std::string>& arguments,
                                    const CodePage& defaultPage = windows1252()) {
        std::ostringstream out;
        std::ostringstream err;
        CliRun result;
        result.status = runCli(arguments, out, err, false, defaultPage);
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
    [[nodiscard]] static FontLibrary font(const std::string& file) {
        FontLibrary library;
        const auto data = bytes(file);
        auto decoded = decodeLcm(data);
        EXPECT_TRUE(decoded.ok()) << file;
        if (decoded.ok()) {
            library.count = static_cast<int>(decoded.value().size());
            for (GlyphRecord& glyph : decoded.value()) {
                const auto code = static_cast<std::size_t>(glyph.code);
                library.glyphs[code] = std::move(glyph);
            }
        }
        return library;
    }
    /// A line of info's output: the one that starts with prefix.
    [[nodiscard]] static std::string lineStarting(const std::string& text,
                                                  const std::string& prefix) {
        const std::size_t at = text.find("\n" + prefix);
        if (at == std::string::npos) {
            return {};
        }
        return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
    }

private:
    QTemporaryDir folder_;
};

TEST_F(CodePageCli, NewFontRendersTheCyrillicLettersOfWindows1251) {
    const std::string made = path("cyrillic.lcm");
    const CliRun result = run({"new-font", "--family", "DejaVu Sans", "--size", "12", "--codes",
                               "256", "--codepage", "cp1251", "-o", made});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    // The glyphs are the renderer's for Windows-1251, whose ink the rasteriser test checks
    // against the font's own rendering of each character.
    const RenderedCodes expected =
        renderCodes(QStringLiteral("DejaVu Sans"), 12, 256, *codePageByName("windows-1251"));
    const FontLibrary library = font(made);
    ASSERT_EQ(library.count, 256);
    for (const int code : {int{'A'}, 192, 223, 224, 255}) {
        EXPECT_EQ(inkRows(library.glyphs[static_cast<std::size_t>(code)]),
                  inkRows(expected.glyphs[static_cast<std::size_t>(code)]))
            << "code " << code;
    }
    const RenderedCodes western = renderCodes(QStringLiteral("DejaVu Sans"), 12, 256);
    EXPECT_NE(inkRows(library.glyphs[192]), inkRows(western.glyphs[192]));

    // info names each code's character in the chosen code page, and lists as before without.
    const CliRun shown = run({"info", made, "--codepage", "Windows-1251"});
    EXPECT_EQ(lineStarting(shown.out, "192 "),
              "192 " + std::to_string(library.glyphs[192].width) + " " +
                  std::to_string(library.glyphs[192].height) + " U+0410 \xD0\x90");
    EXPECT_EQ(lineStarting(shown.out, "255 ").substr(lineStarting(shown.out, "255 ").size() - 9),
              "U+044F \xD1\x8F");
    EXPECT_EQ(lineStarting(shown.out, "152 ").substr(lineStarting(shown.out, "152 ").size() - 2),
              " -"); // 0x98 is undefined in Windows-1251
    EXPECT_EQ(lineStarting(shown.out, "9 ").substr(lineStarting(shown.out, "9 ").size() - 7),
              " U+0009");
    const CliRun plain = run({"info", made});
    EXPECT_EQ(lineStarting(plain.out, "192 "), "192 " + std::to_string(library.glyphs[192].width) +
                                                   " " +
                                                   std::to_string(library.glyphs[192].height));
}

TEST_F(CodePageCli, UnknownCodePagesAreRefusedWithTheKnownNames) {
    const std::string font = kData + "/lcm/ink-widths.lcm";
    const std::vector<std::vector<std::string>> commands{
        {"new-font", "--blank", "2x2", "-o", path("new.lcm")},
        {"info", font},
        {"convert", font, path("out.bdf")},
        {"add", path("new.bcm"), "name", kData + "/png/grey-1bit-9x1.png"},
        {"export-c", font, "-o", path("out.h")},
        {"export-c", kData + "/bcm/red-and-logo.bcm", "-o", path("out.h")},
        {"info", "--metrics", font},
    };
    for (std::vector<std::string> command : commands) {
        command.insert(command.end(), {"--codepage", "cp1259"});
        const CliRun result = run(command);
        EXPECT_EQ(result.status, kExitRefused) << command[0] << ": " << result.err;
        EXPECT_NE(result.err.find("\"cp1259\" is no code page"), std::string::npos) << result.err;
        for (const CodePage& page : allCodePages()) {
            EXPECT_NE(result.err.find(std::string(page.name())), std::string::npos) << page.name();
        }
    }
    for (const std::string made : {"new.lcm", "out.bdf", "new.bcm", "out.h"}) {
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path(made)))) << made;
    }
    const CliRun listed = run({"list-codepages"}, *codePageByName("koi8-u"));
    ASSERT_EQ(listed.status, kExitOk);
    std::istringstream lines(listed.out);
    std::vector<std::string> first;
    for (std::string line; std::getline(lines, line);) {
        first.push_back(line.substr(0, line.find(' ')));
        EXPECT_EQ(line.ends_with("(the default here)"), first.back() == "koi8-u") << line;
    }
    ASSERT_EQ(first.size(), allCodePages().size());
    for (std::size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(first[k], allCodePages()[k].name());
        EXPECT_TRUE(codePageByName(first[k]).has_value());
    }
    const CliRun help = run({"--help"});
    EXPECT_NE(help.out.find("korvel-cli list-codepages"), std::string::npos);
    EXPECT_NE(help.out.find("[--codepage NAME]"), std::string::npos);
}

TEST_F(CodePageCli, TheProgramTakesItsCodePageFromTheLocale) {
    // C, POSIX and Western languages keep Windows-1252; the user's language chooses otherwise.
    const std::vector<std::pair<QString, std::string>> cases{
        {"C", "windows-1252"},           {"POSIX", "windows-1252"},
        {"de_DE.UTF-8", "windows-1252"}, {"ru_RU.UTF-8", "windows-1251"},
        {"pl_PL.UTF-8", "windows-1250"}, {"el_GR.UTF-8", "windows-1253"},
    };
    for (const auto& [locale, page] : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KORVEL_CLI_PROGRAM), {QStringLiteral("list-codepages")});
        ASSERT_TRUE(process.waitForFinished(60000));
        const std::string out = process.readAllStandardOutput().toStdString();
        const std::size_t marked = out.find("(the default here)");
        ASSERT_NE(marked, std::string::npos) << locale.toStdString();
        const std::size_t lineStart = out.rfind('\n', marked) + 1;
        EXPECT_EQ(out.substr(lineStart, page.size() + 1), page + " ") << locale.toStdString();
    }
}

TEST_F(CodePageCli, AddWritesAndComparesNamesInItsCodePage) {
    const std::string library = path("names.bcm");
    const std::string picture = kData + "/png/grey-1bit-9x1.png";
    const CliRun added = run({"add", library, "Лого", picture, "--codepage", "cp1251"});
    ASSERT_EQ(added.status, kExitOk) << added.err;
    // "Лого" is stored as its Windows-1251 bytes.
    const auto file = bytes(library);
    const std::string stored(file.begin(), file.end());
    EXPECT_NE(stored.find("\xCB\xEE\xE3\xEE"), std::string::npos);
    // The same name in capitals is the same name in Windows-1251.
    const CliRun again = run({"add", library, "ЛОГО", picture}, *codePageByName("cp1251"));
    EXPECT_EQ(again.status, kExitRefused);
    EXPECT_NE(again.err.find("Please input exclusive bitmap name!"), std::string::npos)
        << again.err;
    // In Windows-1252 the name has no bytes, as before.
    const CliRun western = run({"add", library, "ЛОГО", picture});
    EXPECT_EQ(western.status, kExitRefused);
    EXPECT_NE(western.err.find("at most 8 Windows-1252 characters, and Windows-1252 has no \"Л\""),
              std::string::npos)
        << western.err;
    // "Ё" and "ё" are a pair in Windows-1251 (0xA8, 0xB8), not in KOI8-U, where those bytes are
    // box-drawing signs; the bytes decide, not the characters typed.
    ASSERT_EQ(run({"add", library, "Ё", picture, "--codepage", "cp1251"}).status, kExitOk);
    EXPECT_EQ(run({"add", library, "ё", picture, "--codepage", "cp1251"}).status, kExitRefused);
    const CliRun shown = run({"info", library, "--codepage", "cp1251"});
    EXPECT_NE(shown.out.find("0 Лого 9 1\n1 Ё 9 1\n"), std::string::npos) << shown.out;
    // A picture converted on the way (here a threshold) is named in the same code page.
    const CliRun converted =
        run({"add", library, "Знак", picture, "--threshold", "128", "--codepage", "cp1251"});
    ASSERT_EQ(converted.status, kExitOk) << converted.err;
    const CliRun listed = run({"info", library, "--codepage", "cp1251"});
    EXPECT_NE(listed.out.find("2 Знак 9 1\n"), std::string::npos) << listed.out;
}

TEST_F(CodePageCli, ExportAndImportFindNamesInTheirCodePage) {
    const std::string library = path("names.bcm");
    const std::string picture = kData + "/png/grey-1bit-9x1.png";
    const CodePage cyrillic = *codePageByName("cp1251");
    ASSERT_EQ(run({"add", library, "Лого", picture, "--codepage", "cp1251"}).status, kExitOk);
    // Found in any letter case of the page, named on the command line or by the locale.
    const CliRun named = run({"export", library, "ЛОГО", path("named.bmp"), "--codepage", "1251"});
    EXPECT_EQ(named.status, kExitOk) << named.err;
    const CliRun byLocale = run({"export", library, "лого", path("locale.bmp")}, cyrillic);
    EXPECT_EQ(byLocale.status, kExitOk) << byLocale.err;
    const auto exported = bytes(path("locale.bmp"));
    ASSERT_GT(exported.size(), 22U);
    EXPECT_EQ(exported[18], 9) << "the BMP of the 9 x 1 entry";
    EXPECT_EQ(exported, bytes(path("named.bmp")));
    // Windows-1252 has no such letters, so it has no such name.
    const CliRun western = run({"export", library, "ЛОГО", path("western.png")});
    EXPECT_EQ(western.status, kExitRefused);
    EXPECT_NE(western.err.find("there is no bitmap named \"ЛОГО\""), std::string::npos)
        << western.err;
    EXPECT_EQ(run({"import", library, "ЛОГО", picture, "--size", "3x2"}).status, kExitRefused);
    const CliRun imported =
        run({"import", library, "лОгО", picture, "--size", "3x2", "--codepage", "cp1251"});
    ASSERT_EQ(imported.status, kExitOk) << imported.err;
    const CliRun shown = run({"info", library}, cyrillic);
    EXPECT_NE(shown.out.find("0 Лого 3 2\n"), std::string::npos) << shown.out;
    EXPECT_EQ(run({"export", library, "Лого", path("x.png"), "--codepage", "cp9999"}).status,
              kExitRefused);
    // A name the page cannot write is no entry's, not the entry "?" that a stand-in would find.
    ASSERT_EQ(run({"add", library, "?", picture}).status, kExitOk);
    for (const char* verb : {"export", "import"}) {
        const CliRun unwritable =
            run({verb, library, "Ж", verb == std::string("export") ? path("ж.png") : picture});
        EXPECT_EQ(unwritable.status, kExitRefused) << verb;
        EXPECT_NE(unwritable.err.find("there is no bitmap named \"Ж\": Windows-1252 has no code"),
                  std::string::npos)
            << unwritable.err;
    }
    EXPECT_NE(run({"info", library}).out.find("\n1 ? 9 1\n"), std::string::npos);
    // add says so too, rather than taking the name for the entry "?" again.
    const CliRun added = run({"add", library, "Ж", picture});
    EXPECT_EQ(added.status, kExitRefused);
    EXPECT_NE(added.err.find("Windows-1252 has no \"Ж\""), std::string::npos) << added.err;
}

TEST_F(CodePageCli, FolderNamesRepeatInTheLetterCaseOfTheCodePage) {
    const std::string folder = path("folder");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string picture = kData + "/png/grey-1bit-9x1.png";
    for (const char* file : {"/a.png", "/b.png"}) {
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(picture), QString::fromStdString(folder + file)));
    }
    const auto writeIndex = [&](const std::string& text) {
        QFile index(QString::fromStdString(folder + "/index.txt"));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
        index.write(text.data(), static_cast<qint64>(text.size()));
    };
    // 0xA8 and 0xB8 are "Ё" and "ё" in Windows-1251, and two signs in Windows-1252.
    writeIndex("0 %A8 a.png\n1 %B8 b.png\n");
    const std::string warning = "line 2 repeats line 1";
    const CliRun cyrillic = run({"convert", folder, path("a.bcm"), "--codepage", "cp1251"});
    ASSERT_EQ(cyrillic.status, kExitOk) << cyrillic.err;
    EXPECT_NE(cyrillic.err.find(warning), std::string::npos) << cyrillic.err;
    const CliRun western = run({"convert", folder, path("b.bcm")});
    ASSERT_EQ(western.status, kExitOk) << western.err;
    EXPECT_EQ(western.err.find(warning), std::string::npos) << western.err;
    // 0x9F and 0xFF are "Ÿ" and "ÿ" in Windows-1252, and "џ" and "я" in Windows-1251.
    writeIndex("0 %9F a.png\n1 %FF b.png\n");
    EXPECT_EQ(run({"convert", folder, path("c.bcm"), "--codepage", "cp1251"}).err.find(warning),
              std::string::npos);
    EXPECT_NE(run({"convert", folder, path("d.bcm")}).err.find(warning), std::string::npos);
}

TEST_F(CodePageCli, UnicodeBdfGlyphsGoToTheCodesOfTheirCharacters) {
    const std::string input = kData + "/bdf/unicode-euro.bdf";
    // Windows-1252 has no "Ж" (U+0416), which is skipped and counted as before.
    const CliRun western = run({"convert", input, path("western.lcm")});
    ASSERT_EQ(western.status, kExitOk) << western.err;
    EXPECT_NE(western.err.find("1 glyphs skipped (no Windows-1252 code"), std::string::npos)
        << western.err;
    // Windows-1251 has every character of the font: "Ж" at 0xC6, the euro sign at 0x88, the
    // quotes at 0x93 and 0x94, the en dash at 0x96.
    const CliRun cyrillic = run({"convert", input, path("cyrillic.lcm"), "--codepage", "cp1251"});
    ASSERT_EQ(cyrillic.status, kExitOk) << cyrillic.err;
    EXPECT_EQ(cyrillic.err, "");
    const FontLibrary west = font(path("western.lcm"));
    const FontLibrary east = font(path("cyrillic.lcm"));
    const auto hasInk = [](const GlyphRecord& glyph) {
        const auto rows = inkRows(glyph);
        return std::any_of(rows.begin(), rows.end(), [](const std::string& row) {
            return row.find('#') != std::string::npos;
        });
    };
    EXPECT_TRUE(hasInk(east.glyphs[0xC6]));
    EXPECT_FALSE(hasInk(west.glyphs[0xC6])) << "Windows-1252 has \"Æ\" there, which the font lacks";
    for (const auto& [western1252, cyrillic1251] : std::vector<std::pair<int, int>>{
             {0x80, 0x88}, {0x93, 0x93}, {0x94, 0x94}, {0x96, 0x96}, {'A', 'A'}}) {
        EXPECT_EQ(inkRows(east.glyphs[static_cast<std::size_t>(cyrillic1251)]),
                  inkRows(west.glyphs[static_cast<std::size_t>(western1252)]))
            << western1252;
    }
    // A KOI8-R code page gets the Cyrillic letter from a font of another code page too.
    const CliRun koi = run({"convert", input, path("koi.lcm"), "--codepage", "koi8-r"});
    ASSERT_EQ(koi.status, kExitOk) << koi.err;
    EXPECT_EQ(inkRows(font(path("koi.lcm")).glyphs[0xF6]), inkRows(east.glyphs[0xC6]));
}

/// The X11 tools the BDF tests need, or the reason they are skipped.
[[nodiscard]] std::string missingTool() {
    for (const char* tool : {"bdftopcf", "pcf2bdf", "fc-scan"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            return std::string(tool) + " is not installed (scripts/korvel.sh installs it)";
        }
    }
    return {};
}

[[nodiscard]] int runTool(const QString& program, const QStringList& arguments,
                          std::string* out = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    if (out != nullptr) {
        *out = process.readAllStandardOutput().toStdString();
    }
    return process.exitCode();
}

TEST_F(CodePageCli, ACyrillicBdfExportListsTheCyrillicLettersInFontconfig) {
    if (const std::string missing = missingTool(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const std::string library = path("blank.lcm");
    ASSERT_EQ(run({"new-font", "--blank", "5x9", "--codes", "256", "-o", library}).status, kExitOk);
    const std::string bdf = path("blank.bdf");
    const CliRun exported = run({"convert", library, bdf, "--codepage", "cp1251"});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    const auto text = bytes(bdf);
    const std::string written(text.begin(), text.end());
    EXPECT_NE(written.find("STARTCHAR uni0410\nENCODING 1040\n"), std::string::npos);
    EXPECT_NE(written.find("STARTCHAR Euro\nENCODING 8364\n"), std::string::npos);
    const QString pcf = QString::fromStdString(path("blank.pcf"));
    ASSERT_EQ(runTool(QStringLiteral("bdftopcf"), {"-o", pcf, QString::fromStdString(bdf)}), 0);
    std::string charset;
    ASSERT_EQ(runTool(QStringLiteral("fc-scan"), {"--format", "%{charset}", pcf}, &charset), 0);
    // U+0400 to U+045F less the two Windows-1251 lacks (U+040D and U+045D), and U+0490-0491.
    EXPECT_NE(charset.find(" 401-40c 40e-44f 451-45c 45e-45f 490-491 "), std::string::npos)
        << charset;
    // Back from BDF in the same code page, every glyph lands where it was.
    const CliRun back = run({"convert", bdf, path("back.lcm"), "--codepage", "cp1251"});
    ASSERT_EQ(back.status, kExitOk) << back.err;
    EXPECT_EQ(bytes(path("back.lcm")), bytes(library));
}

TEST_F(CodePageCli, AKoi8rFontOfTheX11FontsLandsOnItsWindows1251Codes) {
    if (const std::string missing = missingTool(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    if (!QFile::exists(QString::fromStdString(kKoi8Font))) {
        GTEST_SKIP() << kKoi8Font << " is missing (package xfonts-base; scripts/korvel.sh "
                     << "installs it)";
    }
    const std::string bdf = path("koi8.bdf");
    ASSERT_EQ(runTool(QStringLiteral("pcf2bdf"),
                      {"-o", QString::fromStdString(bdf), QString::fromStdString(kKoi8Font)}),
              0);
    // Without a chosen code page the codes are taken as they are, with the note of before.
    const CliRun asTheyAre = run({"convert", bdf, path("koi8.lcm")});
    ASSERT_EQ(asTheyAre.status, kExitOk) << asTheyAre.err;
    EXPECT_NE(asTheyAre.err.find("its character set KOI8-R is neither Unicode nor ISO 8859-1, so "
                                 "its codes 0 to 255 are taken as Windows-1252 codes as they are"),
              std::string::npos)
        << asTheyAre.err;
    const CliRun through = run({"convert", bdf, path("cp1251.lcm"), "--codepage", "cp1251"});
    ASSERT_EQ(through.status, kExitOk) << through.err;
    const FontLibrary koi8 = font(path("koi8.lcm"));
    const FontLibrary cp1251 = font(path("cp1251.lcm"));
    const CodePage koi8r = *codePageByName("koi8-r");
    const CodePage windows = *codePageByName("cp1251");
    int moved = 0;
    int lacking = 0;
    for (int code = 0; code < 256; ++code) {
        const auto character = koi8r.toUnicode(static_cast<std::uint8_t>(code));
        const auto target = character ? windows.fromUnicode(*character) : std::nullopt;
        if (!target) {
            ++lacking; // box drawing and the like, which Windows-1251 lacks
            continue;
        }
        EXPECT_EQ(inkRows(cp1251.glyphs[*target]),
                  inkRows(koi8.glyphs[static_cast<std::size_t>(code)]))
            << "KOI8-R " << code << " to Windows-1251 " << int{*target};
        moved += *target != code ? 1 : 0;
    }
    EXPECT_GE(moved, 66); // the 66 Cyrillic letters, and signs such as the degree sign
    // Every glyph whose character Windows-1251 lacks is skipped and counted (the font has no
    // glyph for code 127, which would have had its place).
    EXPECT_NE(through.err.find(": " + std::to_string(lacking) +
                               " glyphs skipped (no Windows-1251 code, or one taken already)"),
              std::string::npos)
        << through.err;
}

} // namespace
} // namespace korvel::cli
