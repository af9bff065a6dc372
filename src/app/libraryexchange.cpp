#include "app/libraryexchange.h"

#include "app/exportcdialog.h"
#include "app/umain.h"
#include "core/fontmetrics.h"
#include "fileio/fileio.h"
#include "formats/bdf.h"
#include "libraryio/bitmapfolder.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

#include <filesystem>
#include <span>

namespace korvel {

namespace {

const QString kBdfFilter = QStringLiteral("BDF Font File|*.bdf");
const QString kBdfSuffix = QStringLiteral("*.bdf");

[[nodiscard]] std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

[[nodiscard]] std::string_view textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

/// A refusal as korvel-cli words it: the file's name before the reason, when it names one.
[[nodiscard]] QString refusal(const std::string& path, const std::string& reason) {
    return QString::fromStdString(path.empty() ? reason : path + ": " + reason);
}

} // namespace

LibraryExchange::LibraryExchange(TForm1& main) : QObject(&main), main_(main) {}

LibraryExchange::~LibraryExchange() = default;

void LibraryExchange::fillImportMenu(QMenu& menu) {
    ImportBdf1 = menu.addAction(QStringLiteral("BDF Font\u2026"));
    ImportBdf1->setObjectName(QStringLiteral("ImportBdf1"));
    connect(ImportBdf1, &QAction::triggered, this, &LibraryExchange::importBdf);
    ClipBdf1 = menu.addAction(QStringLiteral("Clip BDF Glyphs to the Font's Cell"));
    ClipBdf1->setObjectName(QStringLiteral("ClipBdf1"));
    ClipBdf1->setCheckable(true);
    ImportPngFolder1 = menu.addAction(QStringLiteral("PNG Folder\u2026"));
    ImportPngFolder1->setObjectName(QStringLiteral("ImportPngFolder1"));
    connect(ImportPngFolder1, &QAction::triggered, this, &LibraryExchange::importPngFolder);
}

void LibraryExchange::fillExportMenu(QMenu& menu) {
    ExportCHeader1 = menu.addAction(QStringLiteral("C Header\u2026"));
    ExportCHeader1->setObjectName(QStringLiteral("ExportCHeader1"));
    connect(ExportCHeader1, &QAction::triggered, this, &LibraryExchange::exportCHeader);
    ExportBdf1 = menu.addAction(QStringLiteral("BDF Font\u2026"));
    ExportBdf1->setObjectName(QStringLiteral("ExportBdf1"));
    connect(ExportBdf1, &QAction::triggered, this, &LibraryExchange::exportBdf);
    ExportPngFolder1 = menu.addAction(QStringLiteral("PNG Folder\u2026"));
    ExportPngFolder1->setObjectName(QStringLiteral("ExportPngFolder1"));
    connect(ExportPngFolder1, &QAction::triggered, this, &LibraryExchange::exportPngFolder);
    connect(&main_.document(), &Document::modeChanged, this, &LibraryExchange::enableExportItems);
    enableExportItems();
}

void LibraryExchange::enableExportItems() {
    const EditingMode mode = main_.editingMode();
    ExportCHeader1->setEnabled(mode != EditingMode::None);
    ExportBdf1->setEnabled(mode == EditingMode::Font);
    ExportPngFolder1->setEnabled(mode == EditingMode::Bitmap);
}

ExportCDialog& LibraryExchange::exportDialog() {
    if (dialog_ == nullptr) {
        dialog_ = new ExportCDialog(main_);
    }
    return *dialog_;
}

void LibraryExchange::exportCHeader() {
    if (main_.editingMode() == EditingMode::None) {
        return;
    }
    main_.prompter().showModal(exportDialog());
}

void LibraryExchange::exportBdf() {
    if (main_.editingMode() != EditingMode::Font) {
        return;
    }
    const auto chosen = main_.prompter().askSaveFile(&main_, kBdfFilter, kBdfSuffix);
    if (!chosen) {
        return;
    }
    const std::string output = chosen->toStdString();
    // korvel-cli names the font after the library's file; a library never saved, after the
    // BDF file itself.
    const std::string library = main_.document().fontFilePath();
    const std::string family =
        std::filesystem::path(library.empty() ? output : library).stem().string();
    runWithinMemory(main_.prompter(), &main_, quotedFile(*chosen), [&] {
        const FontLibrary& font = main_.fontLibrary();
        // The baseline export-c and convert find by themselves (auto).
        const FontMetrics metrics = measureFont(font, BaselineChoice{});
        if (metrics.descent < 0) {
            main_.prompter().showError(
                &main_, refusal(library, "the baseline row " + std::to_string(metrics.ascent) +
                                             " lies below its tallest glyph, " +
                                             std::to_string(metrics.ascent + metrics.descent) +
                                             " rows high"));
            return;
        }
        const auto saved =
            saveFile(output, bytesOf(encodeBdf(font.glyphs, font.count, family, metrics.baseline,
                                               main_.document().codePage())));
        if (!saved) {
            main_.prompter().showError(&main_, QString::fromStdString(saved.error().message));
        } else if (saved.value() == SaveMethod::InPlace) {
            main_.prompter().showMessage(&main_, QStringLiteral("\"%1\" was overwritten in place: "
                                                                "its folder allows no new file.")
                                                     .arg(*chosen));
        }
    });
}

void LibraryExchange::exportPngFolder() {
    if (main_.editingMode() != EditingMode::Bitmap) {
        return;
    }
    const auto chosen = main_.prompter().askFolder(&main_);
    if (!chosen) {
        return;
    }
    const QString label = QStringLiteral("Writing \"%1\"").arg(*chosen);
    runWithinMemory(main_.prompter(), &main_, quotedFile(*chosen), [&] {
        const auto& entries = main_.bitmapLibrary().entries;
        const Result<void> written = writeBitmapFolder(
            entries, chosen->toStdString(), [&](std::size_t done, std::size_t total) {
                main_.prompter().showProgress(&main_, label, done, total);
            });
        main_.prompter().showProgress(&main_, label, entries.size(), entries.size());
        if (!written) {
            main_.prompter().showError(&main_, QString::fromStdString(written.error().message));
        }
    });
}

void LibraryExchange::importBdf() {
    const auto chosen = main_.prompter().askOpenFile(&main_, kBdfFilter);
    if (!chosen) {
        return;
    }
    const std::string input = chosen->toStdString();
    const BdfCell cell = ClipBdf1->isChecked() ? BdfCell::Clip : BdfCell::KeepInk;
    runWithinMemory(main_.prompter(), &main_, quotedFile(*chosen), [&] {
        const auto bytes = readRegularFile(input, kBdfMaxTextSize, "a BDF font");
        if (!bytes) {
            main_.prompter().showError(&main_, refusal("", bytes.error().message));
            return;
        }
        // The editor's code page decides where the glyphs go, as korvel-cli's --codepage does.
        const CodePage& page = main_.document().codePage();
        auto font = decodeBdf(textOf(bytes.value()), cell, BdfCodes{page, page != windows1252()});
        if (!font) {
            main_.prompter().showError(&main_, refusal(input, font.error().message));
            return;
        }
        const std::vector<std::string> notes =
            bdfReadNotes(font.value(), std::string(page.caption()));
        main_.document().openFontLibrary(std::move(font.value().library), input);
        main_.enableColourButtons(EditingMode::Font);
        if (!notes.empty()) {
            QStringList lines;
            for (const std::string& note : notes) {
                lines << refusal(input, note);
            }
            main_.prompter().showMessage(&main_, lines.join(QLatin1Char('\n')));
        }
    });
}

void LibraryExchange::importPngFolder() {
    const auto chosen = main_.prompter().askFolder(&main_);
    if (!chosen) {
        return;
    }
    runWithinMemory(main_.prompter(), &main_, quotedFile(*chosen), [&] {
        auto entries = readBitmapFolder(chosen->toStdString(), main_.document().codePage());
        if (!entries) {
            main_.prompter().showError(&main_, refusal("", entries.error().message));
            return;
        }
        main_.document().openBitmapEntries(std::move(entries).value(), chosen->toStdString());
        main_.enableColourButtons(EditingMode::Bitmap);
    });
}

} // namespace korvel
