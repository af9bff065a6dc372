#include "prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace korvel {

namespace {
QString applicationTitle(QWidget* parent) {
    QWidget* top = parent ? parent->window() : nullptr;
    return top && !top->windowTitle().isEmpty() ? top->windowTitle()
                                                : QStringLiteral("Korvel Font/Bitmap Creater");
}
} // namespace

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int k = 0; k + 1 < parts.size(); k += 2) {
        filters << parts[k] + QStringLiteral(" (") + parts[k + 1] + QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

std::unique_ptr<QMessageBox> makeQuestionBox(QWidget* parent, const QString& caption,
                                             const QString& text, PromptIcon icon) {
    auto box = std::make_unique<QMessageBox>(
        icon == PromptIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon, caption,
        text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& text, PromptIcon icon) {
    return std::make_unique<QMessageBox>(icon == PromptIcon::Critical ? QMessageBox::Critical
                                                                      : QMessageBox::NoIcon,
                                         applicationTitle(parent), text, QMessageBox::Ok, parent);
}

std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& filter) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(), toQtFilter(filter));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile);
    return dialog;
}

std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& filter,
                                            const QString& defaultSuffix) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(), toQtFilter(filter));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QString suffix = defaultSuffix;
    suffix.remove(QStringLiteral("*."));
    dialog->setDefaultSuffix(suffix);
    return dialog;
}

namespace {
/// The file the user chose in a dialog, or nothing when it was cancelled.
std::optional<QString> chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

bool QtPrompter::askOkCancel(QWidget* parent, const QString& caption, const QString& text,
                             PromptIcon icon) {
    return makeQuestionBox(parent, caption, text, icon)->exec() == QMessageBox::Ok;
}

void QtPrompter::showMessage(QWidget* parent, const QString& text) {
    makeMessageBox(parent, text, PromptIcon::None)->exec();
}

void QtPrompter::showError(QWidget* parent, const QString& text) {
    makeMessageBox(parent, text, PromptIcon::Critical)->exec();
}

std::optional<QString> QtPrompter::askOpenFile(QWidget* parent, const QString& filter) {
    return chosenFile(*makeOpenDialog(parent, filter));
}

std::optional<QString> QtPrompter::askSaveFile(QWidget* parent, const QString& filter,
                                               const QString& defaultSuffix) {
    return chosenFile(*makeSaveDialog(parent, filter, defaultSuffix));
}

void QtPrompter::showModal(QDialog& dialog) {
    dialog.exec();
}

} // namespace korvel
