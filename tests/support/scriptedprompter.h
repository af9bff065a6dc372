#pragma once

#include "app/prompter.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QDialog;

namespace korvel {

/// One thing the program asked or told the user.
struct Prompt {
    enum class Kind { Question, Message, Error, OpenFile, SaveFile, Modal, Folder };
    Kind kind = Kind::Message;
    QString caption; // question caption, or the dialog's title for Modal
    QString text;    // question or message text
    PromptIcon icon = PromptIcon::None;
    QString filter;        // file dialogs
    QString defaultSuffix; // save dialog
};

/// A prompter that answers from a script and records every prompt. Unscripted questions are
/// answered Cancel, unscripted file dialogs are cancelled, and unscripted modal showings return
/// at once, as if the user closed the dialog.
class ScriptedPrompter : public Prompter {
public:
    std::deque<bool> answers;  // for askOkCancel, in order
    std::deque<QString> files; // for askOpenFile / askSaveFile / askFolder; "" cancels
    std::deque<std::function<void(QDialog&)>> modals; // run while a dialog is "shown"
    std::vector<Prompt> asked;
    /// Every (done, total) of showProgress, in order, and the label of the last one.
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    QString progressLabel;

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

    /// The prompts of one kind, in order.
    [[nodiscard]] std::vector<Prompt> ofKind(Prompt::Kind kind) const;

private:
    [[nodiscard]] std::optional<QString> nextFile();
};

} // namespace korvel
