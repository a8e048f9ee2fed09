// SPDX-License-Identifier: MIT
// "RTC Setup": the printer's clock in six boxes, year to second, which the
// operator edits or fills with the computer's local time.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "core/printer/clock.h"

namespace m350::gui {

class Prompter;

class ClockSetupDialog : public QDialog {
    Q_OBJECT
  public:
    // values: in, the clock as read; out, the six numbers once confirmed.
    // now: the computer's local time (null: the system clock).
    ClockSetupDialog(m350::ClockValues& values, Prompter& prompter, int language,
                     QWidget* parent = nullptr, std::function<QDateTime()> now = {});

    bool confirmed() const { return confirmed_; }

  public slots:
    void onGetSystemTimeClicked();
    void onSetClicked();
    void onCancelClicked();

  private:
    void showValues(const m350::ClockValues& values);

    QLabel* labels_[m350::kClockFields];
    QLineEdit* edits_[m350::kClockFields];
    QPushButton *systemTimeButton_, *setButton_, *cancelButton_;

    m350::ClockValues& values_;
    Prompter& prompter_;
    int language_;
    std::function<QDateTime()> now_;
    bool confirmed_ = false;
};

// The message for a box that holds no integer: the text and the box's caption.
QString notAnIntegerText(const QString& text, const QString& box);

}  // namespace m350::gui
