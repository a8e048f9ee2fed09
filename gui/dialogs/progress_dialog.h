// The small "Communicating..." window shown while a longer exchange runs, and
// the progress sink that drives it for the link.
#pragma once

#include <QDialog>
#include <QProgressBar>
#include <QSize>
#include <functional>
#include <memory>

#include "core/link/progress_sink.h"

class TFormProcess : public QDialog {
    Q_OBJECT
  public:
    // Created centred on a screen of the given size.
    explicit TFormProcess(QSize screen, QWidget* parent = nullptr);
    QProgressBar* ProgressBar1;
};

namespace m350ui {

// Shows TFormProcess for the link's progress calls and lets the application
// process pending events whenever the link pumps.
class ProcessProgress final : public m350::ProgressSink {
  public:
    explicit ProcessProgress(std::function<QSize()> screenSize);
    ~ProcessProgress() override;
    void open(const std::string& caption) override;
    void setPosition(int position) override;
    void close() override;
    void pump() override;
    TFormProcess* form() const { return form_.get(); }

  private:
    std::function<QSize()> screenSize_;
    std::unique_ptr<TFormProcess> form_;
};

}  // namespace m350ui
