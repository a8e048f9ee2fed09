// SPDX-License-Identifier: MIT
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
#include "core/link/stop_token.h"

class QLabel;
class QPushButton;

namespace m350::gui {

// It cannot be closed by the operator: Escape, Enter and the window
// manager's close request (Alt+F4) are refused; only the link hides it, when
// the exchange is over. An operation that may be stopped gets a Cancel
// button, which asks the link to stop at its next chunk or wait slice.
class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // Created centred on a screen of the given size.
    explicit ProgressDialog(QSize screen, QWidget* parent = nullptr);
    void setPosition(int position);
    // Grows the window by a line for the operation's name and elapsed time,
    // a line for the transfer or countdown, and Cancel when cancelText is
    // not empty.
    void showOperation(const QString& name, const QString& cancelText);
    void setElapsed(const QString& text);
    void setDetails(const QString& text);
    // The bar runs to and fro: an exchange without steps or percentages.
    void setBusy();

    // Escape (QDialog rejects on it) and every other way of rejecting.
    void reject() override {}

  signals:
    void cancelClicked();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QSize screen_;
    QProgressBar* progressBar_;
    QLabel* nameLabel_ = nullptr;
    QLabel* elapsedLabel_ = nullptr;
    QLabel* detailsLabel_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QString name_;
};

// The caption of the Cancel button in a language: the language table's
// "Cancel".
QString progressCancelText(int language);

// Shows ProgressDialog for the link's progress calls and lets the application
// process pending events whenever the link pumps (on the GUI thread: the
// window's exchanges reach it queued from their worker, see worker_exchange.h). A link operation
// that runs longer than kPopUpMs without the link showing the window gets it all the same (a slow
// read, a silent printer), so it can be followed and cancelled.
class ProgressDialogSink final : public m350::ProgressSink {
  public:
    static constexpr int kPopUpMs = 400;

    explicit ProgressDialogSink(std::function<QSize()> screenSize);
    ~ProgressDialogSink() override;
    // Cancel asks this token to stop; without one no Cancel is offered.
    void setStopToken(m350::StopToken* stop) { stop_ = stop; }
    // The interface language of the names and the button.
    void setLanguage(std::function<int()> language) { language_ = std::move(language); }

    void open(const std::string& caption) override;
    void setPosition(int position) override;
    void close() override;
    void pump() override;
    void transferred(std::uint64_t done, std::uint64_t total) override;
    void operationStarted(std::string_view name, bool cancellable) override;
    void operationEnded() override;
    void remaining(int ms) override;
    ProgressDialog* form() const { return form_.get(); }

  private:
    void makeForm(const QString& caption);
    void showElapsed();

    std::function<QSize()> screenSize_;
    std::function<int()> language_;
    m350::StopToken* stop_ = nullptr;
    std::unique_ptr<ProgressDialog> form_;
    QElapsedTimer pumped_;  // since the events were last processed
    // The operation that runs, if any.
    bool inOperation_ = false;
    bool cancellable_ = false;
    std::string name_;
    QElapsedTimer started_;
    qint64 shownSecond_ = -1;
};

// "1:05" for 65 seconds; "1:01:05" past an hour.
QString clockText(qint64 seconds);
// A transfer's line: bytes done of the whole, percent, rate and time left
// ("52.4 / 104.9 MiB  50%  11.2 MiB/s  0:05"); the rate and time left once
// elapsedMs says anything.
QString transferText(std::uint64_t done, std::uint64_t total, qint64 elapsedMs);

}  // namespace m350::gui
