#include "gui/dialogs/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>

namespace m350::gui {

ProgressDialog::ProgressDialog(QSize screen, QWidget* parent)
    // No close box: the exchange cannot be cancelled from here.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TFormProcess"));
    setWindowTitle(QStringLiteral("Communicating..."));
    constexpr int kWidth = 241;
    constexpr int kHeight = 49;
    setFixedSize(kWidth, kHeight);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setGeometry(16, 16, 209, 17);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    move((screen.width() - kWidth) / 2, (screen.height() - kHeight) / 2);
}

ProgressDialogSink::ProgressDialogSink(std::function<QSize()> screenSize)
    : screenSize_(std::move(screenSize)) {}

ProgressDialogSink::~ProgressDialogSink() = default;

void ProgressDialog::setPosition(int position) {
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

void ProgressDialogSink::open(const std::string& caption) {
    // No parent: the main window is disabled while the window shows, and a
    // child of a disabled window would be disabled as well.
    form_ = std::make_unique<ProgressDialog>(screenSize_());
    form_->setWindowTitle(QString::fromStdString(caption));
    form_->show();
    pumped_.invalidate();  // the next pump paints the new window at once
}

void ProgressDialogSink::setPosition(int position) {
    if (form_) form_->setPosition(position);
}

void ProgressDialogSink::close() {
    form_.reset();
    pumped_.invalidate();
}

void ProgressDialogSink::pump() {
    // A large file over the network reports every 512 bytes; processing the
    // events a hundred times a second keeps the windows painted and leaves
    // the time to the transfer.
    constexpr qint64 kPumpIntervalMs = 10;
    if (pumped_.isValid() && pumped_.elapsed() < kPumpIntervalMs) return;
    QCoreApplication::processEvents();
    pumped_.start();
}

}  // namespace m350::gui
