#include "gui/dialogs/progress_dialog.h"

#include <QCoreApplication>

TFormProcess::TFormProcess(QSize screen, QWidget* parent)
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

namespace m350ui {

ProcessProgress::ProcessProgress(std::function<QSize()> screenSize)
    : screenSize_(std::move(screenSize)) {}

ProcessProgress::~ProcessProgress() = default;

void ProcessProgress::open(const std::string& caption) {
    // No parent: the main window is disabled while the window shows, and a
    // child of a disabled window would be disabled as well.
    form_ = std::make_unique<TFormProcess>(screenSize_());
    form_->setWindowTitle(QString::fromStdString(caption));
    form_->show();
}

void ProcessProgress::setPosition(int position) {
    if (form_) form_->ProgressBar1->setValue(position);
}

void ProcessProgress::close() {
    form_.reset();
}

void ProcessProgress::pump() {
    QCoreApplication::processEvents();
}

}  // namespace m350ui
