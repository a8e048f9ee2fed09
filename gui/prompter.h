// SPDX-License-Identifier: MIT
// Every message box, confirmation, file dialog, font dialog and modal dialog of
// the windows goes through a Prompter. The application uses QtPrompter; tests
// use a scripted one that answers at once and records every text shown, so no
// test ever waits on a box nobody will press.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

class QDialog;
class QMessageBox;
class QWidget;

namespace m350::gui {

struct FileDialogRequest {
    QString title;
    QString filter;     // "Configuration files (*.dcf);;All files (*)"
    QString directory;  // where the dialog starts; empty = the current directory
    QString fileName;   // proposed name (save dialogs)
    QString defaultSuffix;
    // Folders offered beside the file list (open dialogs), e.g. every font folder.
    QStringList places{};
};

// A dialog for any file ("*.* (*)"), starting in the current directory.
FileDialogRequest anyFileRequest();

// A path a file dialog gave, as the file functions take it: the file
// system's own bytes.
std::string localPath(const QString& path);

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A plain message box with one OK button.
    virtual void message(const QString& text) = 0;
    // The same box with more to read behind a details button (the cause of
    // a failed operation); without details it is message(text).
    virtual void messageWithDetails(const QString& text, const QString& details) {
        (void)details;
        message(text);
    }
    // A Yes/No question; true for Yes.
    virtual bool question(const QString& text) = 0;
    // A confirmation with OK and Cancel; true for OK. Cancel is the default
    // button, so Enter alone never confirms.
    virtual bool confirm(const QString& text) = 0;
    // The chosen path, or empty when the operator cancelled.
    virtual QString openFile(const FileDialogRequest& request) = 0;
    virtual QString saveFile(const FileDialogRequest& request) = 0;
    // The chosen font, or nothing when the operator cancelled.
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // Shows a dialog modally and returns its result (QDialog::Accepted or
    // QDialog::Rejected).
    virtual int runModal(QDialog& dialog) = 0;
};

// The real boxes and dialogs of the desktop.
class QtPrompter final : public Prompter {
  public:
    // Where the message boxes learn the interface language their buttons
    // speak; without it they are in English.
    void setLanguage(std::function<int()> language) { language_ = std::move(language); }

    void message(const QString& text) override;
    void messageWithDetails(const QString& text, const QString& details) override;
    bool question(const QString& text) override;
    bool confirm(const QString& text) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    int runModal(QDialog& dialog) override;

  private:
    int run(QMessageBox& box) const;

    std::function<int()> language_;
};

// The width a window needs for its whole title in a window manager's title
// bar, beside the bar's buttons.
int titleBarWidth(const QWidget& window);

// Keeps a window (a message box, a small dialog) at least titleBarWidth wide;
// run once its title is in its language.
void keepTitleWhole(QWidget& window);

// caption of the message boxes: the program's title.
extern const char* const kProgramTitle;

}  // namespace m350::gui
