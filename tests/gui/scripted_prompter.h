// SPDX-License-Identifier: MIT
// A prompter for window tests: every box and dialog answers at once from a
// script, and every text shown is recorded. A dialog without a script is
// recorded and closed as cancelled, so no test waits for a click.
#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>

#include "gui/prompter.h"

namespace m350test {

class ScriptedPrompter final : public m350::gui::Prompter {
  public:
    // "message: <text>", "question: <text>", "confirm: <text>", "open: <title>", "save: <title>",
    // "font", "dialog: <object name>", in the order they came.
    QStringList shown;
    // Texts of the plain message boxes only.
    QStringList messages;
    std::deque<bool> answers;   // questions; No when empty
    std::deque<bool> confirms;  // OK/Cancel confirmations; Cancel when empty
    std::deque<QString> files;  // open and save dialogs; cancelled when empty
    std::deque<QFont> fonts;    // font dialog; cancelled when empty
    std::vector<m350::gui::FileDialogRequest> fileRequests;
    // Scripts for modal dialogs by object name; each drives the dialog (set
    // controls, click buttons) and returns the dialog's result.
    std::map<QString, std::function<int(QDialog&)>> dialogs;
    // Called for every message box, e.g. to look at the window meanwhile.
    std::function<void(const QString&)> onMessage;

    void message(const QString& text) override {
        shown << QStringLiteral("message: ") + text;
        messages << text;
        if (onMessage) onMessage(text);
    }
    // A box with details is recorded as a message; its details go here, one
    // entry per such box.
    QStringList details;
    void messageWithDetails(const QString& text, const QString& more) override {
        details << more;
        message(text);
    }
    bool question(const QString& text) override {
        shown << QStringLiteral("question: ") + text;
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool confirm(const QString& text) override {
        shown << QStringLiteral("confirm: ") + text;
        if (confirms.empty()) return false;
        bool a = confirms.front();
        confirms.pop_front();
        return a;
    }
    QString openFile(const m350::gui::FileDialogRequest& r) override {
        shown << QStringLiteral("open: ") + r.title;
        return nextFile(r);
    }
    QString saveFile(const m350::gui::FileDialogRequest& r) override {
        shown << QStringLiteral("save: ") + r.title;
        return nextFile(r);
    }
    std::optional<QFont> chooseFont(const QFont&) override {
        shown << QStringLiteral("font");
        if (fonts.empty()) return std::nullopt;
        QFont f = fonts.front();
        fonts.pop_front();
        return f;
    }
    int runModal(QDialog& dialog) override {
        shown << QStringLiteral("dialog: ") + dialog.objectName();
        auto it = dialogs.find(dialog.objectName());
        if (it == dialogs.end()) return QDialog::Rejected;
        return it->second(dialog);
    }

  private:
    QString nextFile(const m350::gui::FileDialogRequest& r) {
        fileRequests.push_back(r);
        if (files.empty()) return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};

}  // namespace m350test
