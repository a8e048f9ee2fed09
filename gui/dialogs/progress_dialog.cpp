// SPDX-License-Identifier: MIT
#include "gui/dialogs/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "core/i18n/language_table.h"
#include "gui/language_apply.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {
constexpr int kWidth = 241;
constexpr int kHeight = 49;
// With an operation's lines and Cancel.
constexpr int kWideWidth = 321;
constexpr int kTallHeight = 107;
constexpr int kCancelKey = 2;  // "Cancel" of the language table
// The caption while the link exchanges bytes with the printer.
const QString kExchangeCaption = QStringLiteral("Communicating...");
}  // namespace

QString progressCancelText(int language) {
    return utf8Text(m350::languageText(kCancelKey, language));
}

ProgressDialog::ProgressDialog(QSize screen, QWidget* parent)
    // No close box: nothing but the exchange's end (or Cancel) ends it.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      screen_(screen) {
    setObjectName(QStringLiteral("TFormProcess"));
    setWindowTitle(kExchangeCaption);
    setFixedSize(kWidth, kHeight);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setGeometry(16, 16, 209, 17);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    move((screen.width() - kWidth) / 2, (screen.height() - kHeight) / 2);
}

void ProgressDialog::showOperation(const QString& name, const QString& cancelText) {
    setFixedSize(kWideWidth, kTallHeight);
    move((screen_.width() - kWideWidth) / 2, (screen_.height() - kTallHeight) / 2);
    progressBar_->setGeometry(16, 16, kWideWidth - 32, 17);
    name_ = name;
    nameLabel_ = new QLabel(name, this);
    nameLabel_->setObjectName(QStringLiteral("LabelOperation"));
    nameLabel_->setGeometry(16, 40, kWideWidth - 32 - 60, 16);
    elapsedLabel_ = new QLabel(this);
    elapsedLabel_->setObjectName(QStringLiteral("LabelElapsed"));
    elapsedLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    elapsedLabel_->setGeometry(kWideWidth - 16 - 60, 40, 60, 16);
    detailsLabel_ = new QLabel(this);
    detailsLabel_->setObjectName(QStringLiteral("LabelTransfer"));
    detailsLabel_->setGeometry(16, 58, kWideWidth - 32, 16);
    if (!cancelText.isEmpty()) {
        cancelButton_ = new QPushButton(cancelText, this);
        cancelButton_->setObjectName(QStringLiteral("ButtonCancel"));
        cancelButton_->setGeometry(kWideWidth - 16 - 75, 78, 75, 23);
        // Enter must not press it by accident: only a click does.
        cancelButton_->setAutoDefault(false);
        connect(cancelButton_, &QPushButton::clicked, this, [this] {
            cancelButton_->setEnabled(false);
            emit cancelClicked();
        });
    }
    for (QWidget* w : {static_cast<QWidget*>(nameLabel_), static_cast<QWidget*>(elapsedLabel_),
                       static_cast<QWidget*>(detailsLabel_)})
        w->show();
    if (cancelButton_) cancelButton_->show();
}

void ProgressDialog::setElapsed(const QString& text) {
    if (elapsedLabel_) elapsedLabel_->setText(text);
}

void ProgressDialog::setDetails(const QString& text) {
    if (detailsLabel_) detailsLabel_->setText(text);
}

void ProgressDialog::setBusy() {
    progressBar_->setRange(0, 0);
}

ProgressDialogSink::ProgressDialogSink(std::function<QSize()> screenSize)
    : screenSize_(std::move(screenSize)) {}

ProgressDialogSink::~ProgressDialogSink() = default;

void ProgressDialog::setPosition(int position) {
    if (progressBar_->maximum() == 0) progressBar_->setRange(0, 100);
    progressBar_->setValue(position);
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // The sink frees the window when the exchange ends; nothing else closes it.
    event->ignore();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would reject on Escape and accept on Enter: neither applies.
    event->accept();
}

QString clockText(qint64 seconds) {
    if (seconds < 0) seconds = 0;
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

namespace {
QString amount(double bytes) {
    if (bytes >= 1024.0 * 1024.0)
        return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
    if (bytes >= 1024.0) return QString::number(bytes / 1024.0, 'f', 1) + QStringLiteral(" KiB");
    return QString::number(static_cast<qint64>(bytes)) + QStringLiteral(" B");
}
}  // namespace

QString transferText(std::uint64_t done, std::uint64_t total, qint64 elapsedMs) {
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    QString text = amount(static_cast<double>(done)) + QStringLiteral(" / ") +
                   amount(static_cast<double>(total)) + QStringLiteral("  ") +
                   QString::number(percent) + QStringLiteral("%");
    if (elapsedMs >= 500 && done > 0) {
        const double rate = static_cast<double>(done) * 1000.0 / static_cast<double>(elapsedMs);
        const auto left = static_cast<qint64>(static_cast<double>(total - done) / rate + 0.5);
        text += QStringLiteral("  ") + amount(rate) + QStringLiteral("/s  ") + clockText(left);
    }
    return text;
}

void ProgressDialogSink::makeForm(const QString& caption) {
    // No parent: the main window is disabled while the window shows, and a
    // child of a disabled window would be disabled as well.
    form_ = std::make_unique<ProgressDialog>(screenSize_());
    form_->setWindowTitle(caption);
    if (inOperation_) {
        const int language = language_ ? language_() : 0;
        const QString name = ownTr(name_, language);
        QString cancel;
        if (cancellable_ && stop_) cancel = progressCancelText(language);
        form_->showOperation(name, cancel);
        QObject::connect(form_.get(), &ProgressDialog::cancelClicked, form_.get(), [this] {
            if (stop_) stop_->request();
        });
        shownSecond_ = -1;
        showElapsed();
    }
    form_->show();
    pumped_.invalidate();  // the next pump paints the new window at once
}

void ProgressDialogSink::open(const std::string& caption) {
    makeForm(caption.empty() ? kExchangeCaption : QString::fromStdString(caption));
}

void ProgressDialogSink::setPosition(int position) {
    if (form_) form_->setPosition(position);
}

void ProgressDialogSink::close() {
    form_.reset();
    pumped_.invalidate();
}

void ProgressDialogSink::showElapsed() {
    if (!form_ || !inOperation_) return;
    const qint64 second = started_.elapsed() / 1000;
    if (second == shownSecond_) return;
    shownSecond_ = second;
    form_->setElapsed(clockText(second));
}

void ProgressDialogSink::pump() {
    // A large file over the network reports every 512 bytes; processing the
    // events a hundred times a second keeps the windows painted and leaves
    // the time to the transfer.
    constexpr qint64 kPumpIntervalMs = 10;
    if (pumped_.isValid() && pumped_.elapsed() < kPumpIntervalMs) return;
    if (inOperation_ && !form_ && started_.elapsed() >= kPopUpMs) {
        makeForm(kExchangeCaption);
        form_->setBusy();
    }
    showElapsed();
    // Started first: a pump that the processed events lead to (a queued one
    // from the link's worker) does not process them again inside this one.
    pumped_.start();
    QCoreApplication::processEvents();
}

void ProgressDialogSink::transferred(std::uint64_t done, std::uint64_t total) {
    if (form_) form_->setDetails(transferText(done, total, started_.elapsed()));
}

void ProgressDialogSink::remaining(int ms) {
    if (form_) form_->setDetails(clockText((ms + 999) / 1000));
}

void ProgressDialogSink::operationStarted(std::string_view name, bool cancellable) {
    inOperation_ = true;
    cancellable_ = cancellable;
    name_ = std::string(name);
    started_.start();
}

void ProgressDialogSink::operationEnded() {
    inOperation_ = false;
    // A window the sink showed on its own goes with the operation.
    form_.reset();
    pumped_.invalidate();
}

}  // namespace m350::gui
