#include "support/scriptedprompter.h"

#include <QDialog>

namespace korvel {

std::optional<QString> ScriptedPrompter::nextFile() {
    if (files.empty()) {
        return std::nullopt;
    }
    const QString file = files.front();
    files.pop_front();
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return file;
}

bool ScriptedPrompter::askOkCancel(QWidget*, const QString& caption, const QString& text,
                                   PromptIcon icon) {
    asked.push_back({Prompt::Kind::Question, caption, text, icon, {}, {}});
    if (answers.empty()) {
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPrompter::showMessage(QWidget*, const QString& text) {
    asked.push_back({Prompt::Kind::Message, {}, text, PromptIcon::None, {}, {}});
}

void ScriptedPrompter::showError(QWidget*, const QString& text) {
    asked.push_back({Prompt::Kind::Error, {}, text, PromptIcon::Critical, {}, {}});
}

std::optional<QString> ScriptedPrompter::askOpenFile(QWidget*, const QString& filter) {
    asked.push_back({Prompt::Kind::OpenFile, {}, {}, PromptIcon::None, filter, {}});
    return nextFile();
}

std::optional<QString> ScriptedPrompter::askSaveFile(QWidget*, const QString& filter,
                                                     const QString& defaultSuffix) {
    asked.push_back({Prompt::Kind::SaveFile, {}, {}, PromptIcon::None, filter, defaultSuffix});
    return nextFile();
}

std::optional<QString> ScriptedPrompter::askFolder(QWidget*) {
    asked.push_back({Prompt::Kind::Folder, {}, {}, PromptIcon::None, {}, {}});
    return nextFile();
}

void ScriptedPrompter::showModal(QDialog& dialog) {
    asked.push_back({Prompt::Kind::Modal, dialog.windowTitle(), {}, PromptIcon::None, {}, {}});
    if (modals.empty()) {
        return;
    }
    auto script = std::move(modals.front());
    modals.pop_front();
    dialog.show();
    script(dialog);
    dialog.hide();
}

std::vector<Prompt> ScriptedPrompter::ofKind(Prompt::Kind kind) const {
    std::vector<Prompt> result;
    for (const Prompt& prompt : asked) {
        if (prompt.kind == kind) {
            result.push_back(prompt);
        }
    }
    return result;
}

void ScriptedPrompter::showProgress(QWidget* /*parent*/, const QString& label, std::size_t done,
                                    std::size_t total) {
    progress.emplace_back(done, total);
    progressLabel = label;
}

} // namespace korvel
