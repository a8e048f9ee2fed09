// SPDX-License-Identifier: MIT
// The "Command Tool" page (TabSheet4): twelve buffers of raw printer command
// text, loaded, saved and sent in a chosen printer text encoding, with a
// history of what was sent. The buffers and the history are kept between
// runs in the user's data folder; windows of the program that share it merge
// their buffers one by one (see saveStore).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace m350::gui {

class AppContext;
class RadioGroup;

class CommandToolPage : public QObject {
    Q_OBJECT
  public:
    static constexpr int kBufferCount = 12;
    static constexpr int kMaxCharacters = 10485760;
    static constexpr int kHistoryLength = 20;

    // dataFolder: where the buffers and the history are kept between runs.
    CommandToolPage(AppContext& app, QWidget* sheet, QString dataFolder);
    ~CommandToolPage() override;

    // Start-up state of the page, set while the main window is built: the
    // buffers and history of the last run, buffer 1 shown.
    void initialise();

    // The file that keeps the buffers and history, inside the data folder.
    QString storePath() const;
    // The encoding the editor's bytes are read and sent in.
    std::string encoding() const;

    // Writes the buffers and history when they changed since the last write,
    // under a lock on the store: a buffer this window did not change takes
    // the store's text (another window's), one it changed goes in; the
    // history keeps both windows' texts, this window's new ones first.
    void saveStore();

    // The Auto item names the program's printer text encoding as it is now
    // (after a change of language or of the configuration page's choice).
    Q_INVOKABLE void refreshEncodingCaption();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onSelectClicked(int index);
    void onLoadClicked();
    void onSaveClicked();
    void onSendFileClicked();
    void onSendClicked();
    void onHistoryChosen(int index);

    void loadStore();
    // The editor's text (or the selection) as the printer's bytes; nothing
    // after a message when a character does not fit the encoding.
    std::optional<std::string> editorBytes(bool selectionOnly, const QString& what);
    void setSending(bool sending);
    void remember(const QString& text);
    void refreshHistory();
    void message(const QString& text);

    QPlainTextEdit* editor_;
    QPointer<QPlainTextEdit> editorGuard_;
    RadioGroup* selectRadio_;
    QPushButton *loadFileButton_, *saveFileButton_, *sendButton_, *sendFileButton_;
    QComboBox* encodingCombo_;
    QComboBox* historyCombo_;
    QTimer* storeTimer_;  // writes the store a moment after the typing stops

    AppContext& app_;
    QString dataFolder_;
    QStringList buffers_;
    int current_ = 0;
    QStringList history_;  // newest first
    // The buffers and history as this window last read or wrote the store:
    // a buffer that still equals its base was not changed here, and another
    // window's change to it in the store is taken over.
    QStringList base_;
    QStringList baseHistory_;
    QByteArray stored_;  // what the store file held when this window last read or wrote it
};

}  // namespace m350::gui
