#include "app/prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <climits>

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

std::unique_ptr<QProgressDialog> makeProgressDialog(QWidget* parent, const QString& label) {
    auto dialog = std::make_unique<QProgressDialog>(label, QString(), 0, 1, parent);
    dialog->setCancelButton(nullptr);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(500);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    return dialog;
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

std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    return dialog;
}

std::optional<QString> QtPrompter::chooseIn(QFileDialog& dialog) {
    if (!lastFolder_.isEmpty()) {
        dialog.setDirectory(lastFolder_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    lastFolder_ = dialog.directory().absolutePath();
    return dialog.selectedFiles().constFirst();
}

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
    return chooseIn(*makeOpenDialog(parent, filter));
}

std::optional<QString> QtPrompter::askSaveFile(QWidget* parent, const QString& filter,
                                               const QString& defaultSuffix) {
    return chooseIn(*makeSaveDialog(parent, filter, defaultSuffix));
}

std::optional<QString> QtPrompter::askFolder(QWidget* parent) {
    return chooseIn(*makeFolderDialog(parent));
}

void QtPrompter::showModal(QDialog& dialog) {
    dialog.exec();
}

QtPrompter::QtPrompter() = default;
QtPrompter::~QtPrompter() = default;

void QtPrompter::showProgress(QWidget* parent, const QString& label, std::size_t done,
                              std::size_t total) {
    if (!progress_) {
        progress_ = makeProgressDialog(parent, label);
    }
    const auto steps = static_cast<int>(std::min<std::size_t>(total, INT_MAX));
    progress_->setMaximum(std::max(steps, 1));
    // A window-modal progress dialog processes events in setValue, so the window repaints.
    progress_->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
    if (done >= total) {
        progress_.reset();
    }
}

} // namespace korvel
