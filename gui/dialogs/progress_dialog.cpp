#include "gui/dialogs/progress_dialog.h"

#include <QCoreApplication>

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
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 16, 209, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    move((screen.width() - kWidth) / 2, (screen.height() - kHeight) / 2);
}

ProgressDialogSink::ProgressDialogSink(std::function<QSize()> screenSize)
    : screenSize_(std::move(screenSize)) {}

ProgressDialogSink::~ProgressDialogSink() = default;

void ProgressDialogSink::open(const std::string& caption) {
    // No parent: the main window is disabled while the window shows, and a
    // child of a disabled window would be disabled as well.
    form_ = std::make_unique<ProgressDialog>(screenSize_());
    form_->setWindowTitle(QString::fromStdString(caption));
    form_->show();
}

void ProgressDialogSink::setPosition(int position) {
    if (form_) form_->ProgressBar1->setValue(position);
}

void ProgressDialogSink::close() {
    form_.reset();
}

void ProgressDialogSink::pump() {
    QCoreApplication::processEvents();
}

}  // namespace m350::gui
