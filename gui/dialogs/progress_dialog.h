// The small "Communicating..." window shown while a longer exchange runs, and
// the progress sink that drives it for the link.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSize>
#include <functional>
#include <memory>

#include "core/link/progress_sink.h"

namespace m350::gui {

// It cannot be closed by the operator: the exchange it stands for goes on
// whatever happens to the window, so Escape and the window manager's close
// request (Alt+F4) are refused; only the link hides it, when the exchange is
// over.
class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // Created centred on a screen of the given size.
    explicit ProgressDialog(QSize screen, QWidget* parent = nullptr);
    void setPosition(int position);

    // Escape (QDialog rejects on it) and every other way of rejecting.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QProgressBar* progressBar_;
};

// Shows ProgressDialog for the link's progress calls and lets the application
// process pending events whenever the link pumps.
class ProgressDialogSink final : public m350::ProgressSink {
  public:
    explicit ProgressDialogSink(std::function<QSize()> screenSize);
    ~ProgressDialogSink() override;
    void open(const std::string& caption) override;
    void setPosition(int position) override;
    void close() override;
    void pump() override;
    ProgressDialog* form() const { return form_.get(); }

  private:
    std::function<QSize()> screenSize_;
    std::unique_ptr<ProgressDialog> form_;
    QElapsedTimer pumped_;  // since the events were last processed
};

}  // namespace m350::gui
