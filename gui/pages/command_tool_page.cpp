// SPDX-License-Identifier: MIT
#include "gui/pages/command_tool_page.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "core/files/file_download.h"
#include "core/files/local_file.h"
#include "core/files/raw_send.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"
#include "gui/app_context.h"
#include "gui/pages/command_store.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

QString fromLocal(const std::string& s) {
    QString t = QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
    if (!t.isEmpty()) t[0] = t[0].toUpper();
    return t;
}

// Everything the editor holds, one '\n' between lines. Not toPlainText():
// that turns a no-break space into a plain space, which would change the
// bytes of a command text.
QString editorText(const QPlainTextEdit& editor) {
    QString text = editor.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// What the editor holds with the printer's line breaks: CR LF between lines,
// nothing after the last.
QString withPrinterLineBreaks(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// Text from a file in the editor's own line breaks: CR LF and a lone CR
// become one line break each.
QString withEditorLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The store: the buffers and the history as JSON. Bounded like any input file.
constexpr std::size_t kMaxStoreBytes = 512u * 1024 * 1024;
constexpr std::size_t kMaxLoadBytes = 4u * CommandToolPage::kMaxCharacters;

// A plain-text editor that never grows past its character limit, however the
// text arrives (typing, pasting, dropping).
class CommandEditor final : public QPlainTextEdit {
  public:
    explicit CommandEditor(QWidget* parent) : QPlainTextEdit(parent) {}

    int room() const {
        const int used = document()->characterCount() - 1;
        const int selected = static_cast<int>(textCursor().selectedText().size());
        return std::max(0, CommandToolPage::kMaxCharacters - used + selected);
    }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!e->text().isEmpty() && e->text().at(0).isPrint() && room() < e->text().size()) {
            e->accept();
            return;
        }
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && room() < 1) {
            e->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (!source->hasText()) return;
        QString text = withEditorLineBreaks(source->text());
        const int keep = room();
        if (text.size() > keep) {
            text.truncate(keep);
            // Never half a surrogate pair.
            if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
        }
        textCursor().insertText(text);
        ensureCursorVisible();
    }
};

}  // namespace

CommandToolPage::CommandToolPage(AppContext& app, QWidget* sheet, QString dataFolder)
    : QObject(sheet), app_(app), dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("CommandToolPage"));
    for (int i = 0; i < kBufferCount; ++i) buffers_ << QString();
    base_ = buffers_;
    editor_ = place(new CommandEditor(sheet), "RichEditTText", 4, 4, 592, 500);
    editorGuard_ = editor_;
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList buffers;
    for (int i = 1; i <= kBufferCount; ++i) buffers << QString::number(i);
    selectRadio_ =
        new RadioGroup(sheet, "RadioGroupSelect", "Editor", 604, 4, 105, 200, buffers, 2);
    selectRadio_->setItemIndex(0);
    loadFileButton_ = newButton(sheet, "ButtonLoadFile", "Load", 604, 214, 105);
    saveFileButton_ = newButton(sheet, "ButtonSaveFile", "Save", 604, 245, 105);
    sendButton_ = newButton(sheet, "ButtonSend", "Send", 604, 276, 105);
    sendFileButton_ = newButton(sheet, "ButtonSendFile", "Send File", 604, 307, 105);

    encodingCombo_ = newCombo(sheet, "ComboBoxTextEncoding", {QString()}, 604, 345, 105);
    encodingCombo_->setItemData(0, QString());
    for (std::string_view name : m350::offeredTextEncodings())
        encodingCombo_->addItem(utf8Text(name), utf8Text(name));
    encodingCombo_->setCurrentIndex(0);
    // Auto follows the program's printer text encoding: the interface
    // language's code page unless another is chosen on the configuration page.
    encodingCombo_->setToolTip(QStringLiteral(
        "Encoding of the editor's text on the printer (Auto: the printer text encoding)"));
    historyCombo_ = newCombo(sheet, "ComboBoxHistory", {}, 604, 376, 105);
    historyCombo_->setPlaceholderText(QStringLiteral("History"));
    historyCombo_->setToolTip(QStringLiteral("Texts sent before: choose one to edit it again"));

    // What is typed is kept even when the program does not end normally.
    storeTimer_ = new QTimer(this);
    storeTimer_->setSingleShot(true);
    storeTimer_->setInterval(2000);
    connect(storeTimer_, &QTimer::timeout, this, &CommandToolPage::saveStore);
    connect(editor_, &QPlainTextEdit::textChanged, storeTimer_, qOverload<>(&QTimer::start));

    sheet->installEventFilter(this);
    connect(selectRadio_, &RadioGroup::itemIndexChanged, this, &CommandToolPage::onSelectClicked);
    connect(loadFileButton_, &QPushButton::clicked, this, &CommandToolPage::onLoadClicked);
    connect(saveFileButton_, &QPushButton::clicked, this, &CommandToolPage::onSaveClicked);
    connect(sendFileButton_, &QPushButton::clicked, this, &CommandToolPage::onSendFileClicked);
    connect(sendButton_, &QPushButton::clicked, this, &CommandToolPage::onSendClicked);
    connect(historyCombo_, &QComboBox::activated, this, &CommandToolPage::onHistoryChosen);
    connect(encodingCombo_, &QComboBox::currentIndexChanged, this,
            [this] { refreshEncodingCaption(); });
}

bool CommandToolPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) refreshEncodingCaption();
    return QObject::eventFilter(watched, event);
}

CommandToolPage::~CommandToolPage() {
    saveStore();
}

void CommandToolPage::initialise() {
    loadStore();
    current_ = 0;
    selectRadio_->setItemIndex(0);
    editor_->setPlainText(buffers_[0]);
    refreshHistory();
    refreshEncodingCaption();
}

QString CommandToolPage::storePath() const {
    return dataFolder_.isEmpty() ? QString()
                                 : QDir(dataFolder_).filePath(QStringLiteral("command-tool.json"));
}

std::string CommandToolPage::encoding() const {
    const QString chosen = encodingCombo_->currentData().toString();
    return chosen.isEmpty() ? app_.textEncoding() : chosen.toStdString();
}

void CommandToolPage::refreshEncodingCaption() {
    encodingCombo_->setItemText(0, QStringLiteral("Auto: %1").arg(utf8Text(app_.textEncoding())));
}

void CommandToolPage::message(const QString& text) {
    app_.prompter().message(text);
}

// --- buffers --------------------------------------------------------------

void CommandToolPage::onSelectClicked(int index) {
    if (index == current_ || index < 0 || index >= kBufferCount) return;
    buffers_[current_] = editorText(*editor_);
    editor_->setPlainText(buffers_[index]);
    current_ = index;
    saveStore();
}

namespace {

// The buffers and history a store file holds; false when there is none that
// can be read.
bool readStore(const QString& path, QStringList& buffers, QStringList& history, QByteArray& raw) {
    if (path.isEmpty() || !QFile::exists(path)) return false;
    std::string data, why;
    if (!m350::readLocalFile(localPath(path), kMaxStoreBytes, data, why)) return false;
    raw = QByteArray::fromStdString(data);
    return parseCommandStore(raw,
                             {CommandToolPage::kBufferCount, CommandToolPage::kMaxCharacters,
                              CommandToolPage::kHistoryLength},
                             buffers, history);
}

// Holds an exclusive lock on the store's lock file while it lives, so two
// windows never read and write the store at the same time.
class StoreLock {
  public:
    explicit StoreLock(const QString& storePath) {
        if (storePath.isEmpty()) return;
        fd_ = ::open(localPath(storePath + QStringLiteral(".lock")).c_str(),
                     O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace

void CommandToolPage::loadStore() {
    StoreLock lock(storePath());
    QStringList buffers, history;
    QByteArray raw;
    if (!readStore(storePath(), buffers, history, raw)) return;
    buffers_ = buffers;
    history_ = history;
    base_ = buffers_;
    baseHistory_ = history_;
    stored_ = raw;
}

void CommandToolPage::saveStore() {
    const QString path = storePath();
    if (path.isEmpty()) return;
    storeTimer_->stop();
    if (editorGuard_) buffers_[current_] = editorText(*editorGuard_);
    QDir().mkpath(dataFolder_);
    // Another window of the program may keep its buffers in the same file:
    // under the lock, what this window did not change since it last read or
    // wrote the file is taken from the file, buffer by buffer, and what it
    // changed goes in.
    StoreLock lock(path);
    QStringList disk, diskHistory;
    QByteArray raw;
    if (readStore(path, disk, diskHistory, raw) && raw != stored_) {
        for (int i = 0; i < kBufferCount; ++i) {
            if (buffers_[i] != base_[i] || disk[i] == buffers_[i]) continue;
            buffers_[i] = disk[i];
            if (i == current_ && editorGuard_) editorGuard_->setPlainText(disk[i]);
        }
        QStringList merged;
        for (const QString& text : history_)
            if (!baseHistory_.contains(text)) merged << text;
        for (const QString& text : diskHistory)
            if (!merged.contains(text)) merged << text;
        while (merged.size() > kHistoryLength) merged.removeLast();
        if (merged != history_) {
            history_ = merged;
            refreshHistory();
        }
    }
    base_ = buffers_;
    baseHistory_ = history_;
    stored_ = raw;
    QJsonObject root;
    root.insert(QStringLiteral("buffers"), QJsonArray::fromStringList(buffers_));
    root.insert(QStringLiteral("history"), QJsonArray::fromStringList(history_));
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Compact);
    if (json == raw) return;
    // Nothing typed yet and nothing kept before: no file to write.
    const bool empty = std::all_of(buffers_.begin(), buffers_.end(),
                                   [](const QString& b) { return b.isEmpty(); }) &&
                       history_.isEmpty();
    if (raw.isEmpty() && empty) return;
    if (m350::writeFileAtomically(localPath(path), std::string_view(json.data(), json.size())))
        stored_ = json;
}

// --- files ----------------------------------------------------------------

void CommandToolPage::onLoadClicked() {
    refreshEncodingCaption();
    FileDialogRequest request = anyFileRequest();
    request.title = QStringLiteral("Open");
    const QString path = app_.prompter().openFile(request);
    if (path.isEmpty()) return;
    std::string data, why;
    if (!m350::readLocalFile(localPath(path), kMaxLoadBytes, data, why)) {
        message(fromLocal(why));
        return;
    }
    // The text ends at the first NUL.
    if (const auto nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
    const std::string enc = encoding();
    std::size_t bad = 0;
    const auto text = m350::decodeExactly(data, enc, &bad);
    if (!text) {
        message(QStringLiteral("%1 is not %2 text: the byte at offset %3 does not decode. "
                               "Nothing was loaded; choose the file's encoding and load it again.")
                    .arg(QDir::toNativeSeparators(path), utf8Text(enc))
                    .arg(bad));
        return;
    }
    const QString loaded = withEditorLineBreaks(utf8Text(*text));
    const int used = editor_->document()->characterCount() - 1;
    if (loaded.size() > kMaxCharacters - used) {
        message(QStringLiteral("%1 does not fit: the editor holds at most %2 characters. "
                               "Nothing was loaded.")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(kMaxCharacters));
        return;
    }
    QTextCursor end(editor_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(loaded);
    editor_->setTextCursor(end);
    saveStore();
}

void CommandToolPage::onSaveClicked() {
    refreshEncodingCaption();
    FileDialogRequest request = anyFileRequest();
    request.title = QStringLiteral("Save");
    const QString path = app_.prompter().saveFile(request);
    if (path.isEmpty()) return;
    const auto bytes = editorBytes(false, QStringLiteral("saved"));
    if (!bytes) return;
    std::string why;
    if (!m350::writeFileAtomically(localPath(path), *bytes, &why)) message(fromLocal(why));
}

std::optional<std::string> CommandToolPage::editorBytes(bool selectionOnly, const QString& what) {
    const QTextCursor cursor = editor_->textCursor();
    const QString text =
        selectionOnly && cursor.hasSelection() ? cursor.selectedText() : editorText(*editor_);
    const std::string enc = encoding();
    std::string unheld;
    auto bytes = m350::encodeText(withPrinterLineBreaks(text).toStdString(), enc, &unheld);
    if (!bytes) {
        message(QStringLiteral("The text holds \"%1\", which the encoding %2 cannot hold. "
                               "Nothing was %3.")
                    .arg(utf8Text(unheld), utf8Text(enc), what));
        editor_->setFocus();
    }
    return bytes;
}

// --- sending --------------------------------------------------------------

void CommandToolPage::setSending(bool sending) {
    sendFileButton_->setEnabled(!sending);
    sendButton_->setEnabled(!sending);
}

void CommandToolPage::onSendFileClicked() {
    FileDialogRequest request = anyFileRequest();
    request.title = QStringLiteral("Open");
    const QString path = app_.prompter().openFile(request);
    if (path.isEmpty()) return;
    const std::string file = localPath(path);
    setSending(true);
    const int result = app_.runQuiet(ops::sendFileRaw(file), app_.interfaceIndex());
    setSending(false);
    if (result == m350::kFileOpenError) {
        message(QStringLiteral("Open file Error!!!"));
    } else if (result != m350::kOk) {
        message(utf8Text(m350::resultText(result)));
    }
}

void CommandToolPage::onSendClicked() {
    refreshEncodingCaption();
    const auto bytes = editorBytes(true, QStringLiteral("sent"));
    if (!bytes) return;
    setSending(true);
    const int result = app_.runQuiet(ops::sendRaw(*bytes), app_.interfaceIndex());
    setSending(false);
    if (result != m350::kOk) {
        message(utf8Text(m350::resultText(result)));
    } else {
        const QTextCursor cursor = editor_->textCursor();
        remember(cursor.hasSelection()
                     ? cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
                     : editorText(*editor_));
    }
    editor_->setFocus();
}

// --- history --------------------------------------------------------------

void CommandToolPage::remember(const QString& text) {
    if (text.isEmpty()) return;
    history_.removeAll(text);
    history_.prepend(text);
    while (history_.size() > kHistoryLength) history_.removeLast();
    refreshHistory();
    saveStore();
}

void CommandToolPage::refreshHistory() {
    historyCombo_->clear();
    for (const QString& text : history_) {
        QString first = text.section(QLatin1Char('\n'), 0, 0);
        // A final line break ends the last line; it starts no new one.
        const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) +
                          (text.endsWith(QLatin1Char('\n')) ? 0 : 1);
        if (first.size() > 40) first = first.left(40) + QStringLiteral("...");
        historyCombo_->addItem(lines > 1 ? QStringLiteral("%1 (%2 lines)").arg(first).arg(lines)
                                         : first);
    }
    historyCombo_->setCurrentIndex(-1);
}

// The text sent before replaces the editor's; Undo brings the old one back.
void CommandToolPage::onHistoryChosen(int index) {
    if (index < 0 || index >= history_.size()) return;
    QTextCursor all(editor_->document());
    all.select(QTextCursor::Document);
    all.insertText(history_[index]);
    editor_->setTextCursor(all);
    historyCombo_->setCurrentIndex(-1);
    editor_->setFocus();
}

}  // namespace m350::gui
