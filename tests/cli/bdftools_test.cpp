// The BDF files korvel-cli writes, as the X11 font tools and fontconfig read them: bdftopcf
// compiles them without a word, fc-scan lists their characters, and pcf2bdf's rendering of the
// compiled font converts back to the same library.
#include "cli/commands.h"
#include "document/libraryfactory.h"
#include "fileio/fileio.h"
#include "formats/lcm.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

const std::string kData = KORVEL_TEST_DATA;

/// What one run of an outside tool gave.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolRun result;
    if (!process.waitForFinished(60000)) {
        result.err = "did not finish";
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

class BdfTools : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"bdftopcf", "pcf2bdf", "fc-scan"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty()) {
                GTEST_SKIP() << tool
                             << " is not installed (packages xfonts-utils, pcf2bdf, "
                                "fontconfig; scripts/korvel.sh installs them)";
            }
        }
    }

    [[nodiscard]] std::string path(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    /// Runs korvel-cli in this process; fails the test when it does not succeed quietly.
    static void convert(const std::string& from, const std::string& to) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCli({"convert", from, to}, out, err), kExitOk) << err.str();
        EXPECT_EQ(err.str(), "") << from;
    }

    static std::vector<std::uint8_t> bytes(const std::string& file) {
        auto read = readWholeFile(file);
        EXPECT_TRUE(read.ok()) << file;
        return read.ok() ? read.value() : std::vector<std::uint8_t>{};
    }

    /// .lcm -> .bdf (Korvel) -> .pcf (bdftopcf) -> .bdf (pcf2bdf) -> .lcm (Korvel), which must
    /// give the same bytes; returns fc-scan's character set of the compiled font.
    std::string roundTrip(const std::string& library, const std::string& name) {
        const std::string bdf = path(name + ".bdf");
        const std::string pcf = path(name + ".pcf");
        const std::string back = path(name + ".back.bdf");
        const std::string lcm = path(name + ".lcm");
        convert(library, bdf);
        const ToolRun compiled =
            runTool("bdftopcf", {"-o", QString::fromStdString(pcf), QString::fromStdString(bdf)});
        EXPECT_EQ(compiled.status, 0) << name << ": " << compiled.err;
        EXPECT_EQ(compiled.err + compiled.out, "") << name;
        const ToolRun decompiled =
            runTool("pcf2bdf", {"-o", QString::fromStdString(back), QString::fromStdString(pcf)});
        EXPECT_EQ(decompiled.status, 0) << name << ": " << decompiled.err;
        convert(back, lcm);
        EXPECT_EQ(bytes(lcm), bytes(library)) << name << " changed on the way through the tools";
        const ToolRun scanned =
            runTool("fc-scan", {"--format", "%{charset}", QString::fromStdString(pcf)});
        EXPECT_EQ(scanned.status, 0) << scanned.err;
        return scanned.out;
    }

private:
    QTemporaryDir folder_;
};

TEST_F(BdfTools, LibrariesOfTheSetupDialogSurviveTheX11Tools) {
    const std::string blank = path("blank256.lcm");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runCli({"new-font", "--blank", "5x9", "--codes", "256", "-o", blank}, out, err),
              kExitOk);
    const std::string charset = roundTrip(blank, "blank256");
    // Every Windows-1252 character is listed, the euro sign and the quotes included.
    EXPECT_EQ(charset, "0-7f a0-ff 152-153 160-161 178 17d-17e 192 2c6 2dc 2013-2014 2018-201a "
                       "201c-201e 2020-2022 2026 2030 2039-203a 20ac 2122");

    FontLibrary rendered;
    renderSystemFont(rendered, QStringLiteral("DejaVu Sans"), 7, 128);
    const auto encoded = encodeLcm(rendered.glyphs, rendered.count);
    ASSERT_TRUE(encoded.ok());
    const std::string sans = path("sans7.lcm");
    ASSERT_TRUE(writeFileAtomic(sans, encoded.value()).ok());
    EXPECT_EQ(roundTrip(sans, "sans7"), "0-7f");
    EXPECT_EQ(roundTrip(kData + "/lcm/blank-5x9-128.lcm", "blank"), "0-7f");
}

TEST_F(BdfTools, ImportedFontsSurviveTheX11Tools) {
    for (const std::string name : {"unicode-euro", "latin1", "proportional-accents"}) {
        const std::string charset = roundTrip(kData + "/bdf/" + name + ".lcm", name);
        EXPECT_NE(charset.find("20ac"), std::string::npos) << name << ": " << charset;
    }
}

} // namespace
} // namespace korvel::cli
