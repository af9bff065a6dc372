#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <new>
#include <optional>

class QDialog;
class QFileDialog;
class QMessageBox;
class QProgressDialog;
class QWidget;

namespace korvel {

/// The icon a question or message box carries.
enum class PromptIcon { None, Information, Critical };

/// Every question, message, error box, file dialog and modal showing of the program goes
/// through this interface, so the windows' logic can be driven from a script in tests.
class Prompter {
public:
    virtual ~Prompter() = default;

    /// A modal box with OK and Cancel buttons; true when the user chose OK.
    [[nodiscard]] virtual bool askOkCancel(QWidget* parent, const QString& caption,
                                           const QString& text, PromptIcon icon) = 0;
    /// A plain message box with one OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    /// The application's error box: a critical message box with the given text.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    /// A file-open dialog; filter as "Description|*.ext". Nothing when the user cancels.
    [[nodiscard]] virtual std::optional<QString> askOpenFile(QWidget* parent,
                                                             const QString& filter) = 0;
    /// A file-save dialog; defaultSuffix is added to a name typed without an extension.
    /// Nothing when the user cancels.
    [[nodiscard]] virtual std::optional<QString> askSaveFile(QWidget* parent, const QString& filter,
                                                             const QString& defaultSuffix) = 0;
    /// A folder dialog: an existing folder, or one the user makes in it. Nothing when the user
    /// cancels, and nothing from a prompter that offers no folders.
    [[nodiscard]] virtual std::optional<QString> askFolder(QWidget* parent) {
        static_cast<void>(parent);
        return std::nullopt;
    }
    /// Shows a dialog modally and returns when it has closed.
    virtual void showModal(QDialog& dialog) = 0;
    /// Tells how far long work has come: done of total steps, label saying what is being done.
    /// The first call starts a showing, done == total ends it. Work that ends within half a
    /// second shows nothing. The one thread runs the work, so each call also lets the window
    /// repaint. Does nothing unless a prompter shows progress.
    virtual void showProgress(QWidget* parent, const QString& label, std::size_t done,
                              std::size_t total) {
        static_cast<void>(parent);
        static_cast<void>(label);
        static_cast<void>(done);
        static_cast<void>(total);
    }
};

/// The real prompter: Qt's message boxes and file dialogs, and QDialog::exec.
class QtPrompter : public Prompter {
public:
    QtPrompter();
    ~QtPrompter() override;
    QtPrompter(const QtPrompter&) = delete;
    QtPrompter& operator=(const QtPrompter&) = delete;

    [[nodiscard]] bool askOkCancel(QWidget* parent, const QString& caption, const QString& text,
                                   PromptIcon icon) override;
    void showMessage(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    [[nodiscard]] std::optional<QString> askOpenFile(QWidget* parent,
                                                     const QString& filter) override;
    [[nodiscard]] std::optional<QString> askSaveFile(QWidget* parent, const QString& filter,
                                                     const QString& defaultSuffix) override;
    [[nodiscard]] std::optional<QString> askFolder(QWidget* parent) override;
    void showModal(QDialog& dialog) override;
    void showProgress(QWidget* parent, const QString& label, std::size_t done,
                      std::size_t total) override;

private:
    /// The file dialog's choice; the folder it was made in opens the next dialog, for the run.
    [[nodiscard]] std::optional<QString> chooseIn(QFileDialog& dialog);

    std::unique_ptr<QProgressDialog> progress_;
    QString lastFolder_;
};

/// "Description|*.ext" as a Qt file dialog filter, "Description (*.ext)".
[[nodiscard]] QString toQtFilter(const QString& filter);

// The dialogs QtPrompter shows, set up but not shown; the caller owns them.

/// The question box of askOkCancel: OK (the default) and Cancel, the caption as its title.
[[nodiscard]] std::unique_ptr<QMessageBox> makeQuestionBox(QWidget* parent, const QString& caption,
                                                           const QString& text, PromptIcon icon);
/// The box of showMessage (no icon) or showError (critical icon): one OK button, titled with
/// the title of parent's window.
[[nodiscard]] std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& text,
                                                          PromptIcon icon);
/// The file-open dialog of askOpenFile: any typed name is accepted, existing or not.
[[nodiscard]] std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& filter);
/// The folder dialog of askFolder: folders only, any typed name accepted.
[[nodiscard]] std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent);
/// The file-save dialog of askSaveFile: defaultSuffix ("bmp" or "*.bmp") is added to a name
/// typed without an extension, and an existing file is overwritten without a question.
[[nodiscard]] std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& filter,
                                                          const QString& defaultSuffix);

/// The progress dialog of showProgress: window-modal, no cancel button (the work cannot stop
/// half-way without losing what it writes), shown only when the work takes over half a second.
[[nodiscard]] std::unique_ptr<QProgressDialog> makeProgressDialog(QWidget* parent,
                                                                  const QString& label);

/// Runs the body of a command that allocates from file contents or user input. Running out of
/// memory ends the command with one error box, "SUBJECT does not fit in memory; nothing was
/// changed.", instead of ending the program; the commands change the library only after their
/// large allocations. Returns whether the body ran to its end.
template <class Body>
bool runWithinMemory(Prompter& prompter, QWidget* parent, const QString& subject, Body&& body) {
    try {
        body();
        return true;
    } catch (const std::bad_alloc&) {
        prompter.showError(
            parent, QStringLiteral("%1 does not fit in memory; nothing was changed.").arg(subject));
        return false;
    }
}

/// A file name quoted for runWithinMemory's subject.
[[nodiscard]] inline QString quotedFile(const QString& fileName) {
    return QStringLiteral("\"%1\"").arg(fileName);
}

} // namespace korvel
