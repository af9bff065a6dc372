// Makes the pictures of the user documentation: the LED preview and the C header dialog, each
// grabbed from its real window. Run it on a display (or under xvfb-run) with an output folder:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/korvel_docshots docs/images

#include "app/exportcdialog.h"
#include "app/ledpreview.h"
#include "app/libraryexchange.h"
#include "app/umain.h"
#include "document/libraryfactory.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

void settle() {
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

bool save(QWidget& widget, const QDir& folder, const QString& name) {
    settle();
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvel_docshots OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    korvel::TForm1 window(std::make_unique<korvel::QtPrompter>());
    window.createDialogs();
    window.document().makeFontLibrary([](korvel::FontLibrary& font) {
        static_cast<void>(korvel::renderSystemFont(font, QStringLiteral("DejaVu Sans"), 9,
                                                   korvel::kSmallCodeRange));
    });
    window.setEditingMode(korvel::EditingMode::Font);
    window.show();

    window.LedPreview1->trigger();
    korvel::LedPreview& preview = *window.ledPreview();
    preview.PresetBox->setCurrentIndex(2);
    emit preview.PresetBox->activated(2);
    preview.TextEdit->setPlainText(QStringLiteral("Korvel\nLED 42"));
    preview.ContentLeft->setValue(2);
    preview.ContentTop->setValue(2);
    preview.Pitch->setValue(9);
    preview.Glow->setChecked(true);
    preview.resize(1000, 600);
    bool ok = save(preview, folder, QStringLiteral("led-preview.png"));

    preview.ColourBox->setCurrentIndex(2);
    preview.ShapeBox->setCurrentIndex(1);
    preview.DotSize->setValue(85);
    preview.Glow->setChecked(false);
    ok = save(preview, folder, QStringLiteral("led-preview-amber-square.png")) && ok;
    preview.close();

    korvel::ExportCDialog& dialog = window.exchange().exportDialog();
    dialog.FormatBox->setCurrentIndex(3); // u8g2, drawn back through u8g2's own lookup
    dialog.CodesEdit->setText(QStringLiteral("32-126"));
    dialog.show();
    ok = save(dialog, folder, QStringLiteral("export-c-header.png")) && ok;
    return ok ? 0 : 1;
}
