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

bool QtPrompter::askOkCancel(QWidget* parent, const QString& caption, const QString& text,
                             PromptIcon icon) {
    QMessageBox box(icon == PromptIcon::Information ? QMessageBox::Information
                                                    : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void QtPrompter::showMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(parent), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtPrompter::showError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, applicationTitle(parent), text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtPrompter::askOpenFile(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent, QString(), QString(), toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompter::askSaveFile(QWidget* parent, const QString& filter,
                                               const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QString(), toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString suffix = defaultSuffix;
    suffix.remove(QStringLiteral("*."));
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

void QtPrompter::showModal(QDialog& dialog) {
    dialog.exec();
}

} // namespace korvel
