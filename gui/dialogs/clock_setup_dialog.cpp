// SPDX-License-Identifier: MIT
#include "gui/dialogs/clock_setup_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/input/input_checks.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace {

struct Box {
    const char* label;
    const char* caption;
    const char* edit;
    m350::NumberRule rule;
};

constexpr Box kBoxes[m350::kClockFields] = {
    {"LabelYear", "Year:", "EditYear", m350::ranges::kYear},
    {"LabelMonth", "Month:", "EditMonth", m350::ranges::kMonth},
    {"LabelDate", "Date:", "EditDate", m350::ranges::kDate},
    {"LabelHour", "Hour:", "EditHour", m350::ranges::kHour},
    {"LabelMinute", "Minute:", "EditMinute", m350::ranges::kMinute},
    {"LabelSecond", "Second:", "EditSecond", m350::ranges::kSecond},
};

}  // namespace

QString notAnIntegerText(const QString& text, const QString& box) {
    QString name = box.trimmed();
    if (name.endsWith(QLatin1Char(':'))) name.chop(1);
    return QStringLiteral("'%1' is not a valid integer value (%2).").arg(text, name);
}

ClockSetupDialog::ClockSetupDialog(m350::ClockValues& values, Prompter& prompter, int language,
                                   QWidget* parent, std::function<QDateTime()> now)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      values_(values),
      prompter_(prompter),
      language_(language),
      now_(now ? std::move(now) : [] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("TFormRTCSetup"));
    setWindowTitle(QStringLiteral("RTC Setup"));

    auto* fields = new QGridLayout;
    for (int f = 0; f < m350::kClockFields; ++f) {
        labels_[f] = new QLabel(QString::fromLatin1(kBoxes[f].caption), this);
        labels_[f]->setObjectName(QString::fromLatin1(kBoxes[f].label));
        edits_[f] = new QLineEdit(this);
        edits_[f]->setObjectName(QString::fromLatin1(kBoxes[f].edit));
        edits_[f]->setMinimumWidth(80);
        numberTyping(edits_[f], false, true);
        labels_[f]->setBuddy(edits_[f]);
        fields->addWidget(labels_[f], f, 0);
        fields->addWidget(edits_[f], f, 1);
    }
    systemTimeButton_ = new QPushButton(QStringLiteral("Get System Time"), this);
    systemTimeButton_->setObjectName(QStringLiteral("ButtonSetSysTime"));
    setButton_ = new QPushButton(QStringLiteral("Set"), this);
    setButton_->setObjectName(QStringLiteral("ButtonSet"));
    setButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("ButtonCancel"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(systemTimeButton_);
    buttons->addStretch();
    buttons->addWidget(setButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(286, 156);

    connect(systemTimeButton_, &QPushButton::clicked, this,
            &ClockSetupDialog::onGetSystemTimeClicked);
    connect(setButton_, &QPushButton::clicked, this, &ClockSetupDialog::onSetClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &ClockSetupDialog::onCancelClicked);

    showValues(values_);
    applyDialogLanguage(this, "TFormRTCSetup", language);
    keepTitleWhole(*this);
}

void ClockSetupDialog::showValues(const m350::ClockValues& values) {
    for (int f = 0; f < m350::kClockFields; ++f)
        edits_[f]->setText(QString::number(values[static_cast<std::size_t>(f)]));
}

void ClockSetupDialog::onGetSystemTimeClicked() {
    const QDateTime t = now_();
    const QDate d = t.date();
    const QTime h = t.time();
    values_ = {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()};
    showValues(values_);
}

void ClockSetupDialog::onSetClicked() {
    // Every box is taken first: one that holds no integer names itself and
    // leaves the clock record as it was.
    m350::ClockValues typed{};
    for (int f = 0; f < m350::kClockFields; ++f) {
        const QString text = edits_[f]->text();
        const QByteArray bytes = text.toUtf8();
        const m350::NumberVerdict v =
            m350::checkNumber(std::string_view(bytes.constData(), bytes.size()), kBoxes[f].rule);
        if (v.fault != m350::NumberFault::kNone) {
            // A month, hour or second the clock cannot hold is named with its
            // range, never sent.
            prompter_.message(v.fault == m350::NumberFault::kOutOfRange
                                  ? outOfRangeMessage(captionText(labels_[f]), kBoxes[f].rule.min,
                                                      kBoxes[f].rule.max, text, language_)
                                  : notAnIntegerText(text, labels_[f]->text()));
            edits_[f]->setFocus();
            return;
        }
        typed[static_cast<std::size_t>(f)] = static_cast<std::int32_t>(v.value);
    }
    values_ = typed;
    confirmed_ = true;
    accept();
}

void ClockSetupDialog::onCancelClicked() {
    confirmed_ = false;
    reject();
}

}  // namespace m350::gui
