// SPDX-License-Identifier: MIT
#include "gui/dialogs/sensor_calibration_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSizePolicy>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/input/input_checks.h"
#include "core/link/link_operations.h"
#include "gui/app_context.h"
#include "gui/dialogs/clock_setup_dialog.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/input_guards.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

enum TextKey : int {
    kKeyNext = 1,
    kKeyInch = 25,
    kKeyMm = 26,
    kKeyCalibrate = 236,
    kKeyPutLiner = 242,
    kKeyPutBlackMark = 243,
    kKeyPutLabel = 244,
    kKeyComplete = 245,
    kKeyCannotCalibrate = 246,
};

constexpr int kLevels = 16;
constexpr int kFirstLevelShown = 3;
// Above this many dots per unit the unit is the inch.
constexpr int kInchAbove = 100;

QLabel* newLabel(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* newEdit(QWidget* parent, const char* name, int typingLimit = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMinimumWidth(60);
    if (typingLimit > 0) limitTyping(e, typingLimit);
    return e;
}

QPushButton* newButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// Hidden at times without the dialog changing its size.
void keepRoomWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

}  // namespace

SensorCalibrationDialog::SensorCalibrationDialog(m350::SensorRequest& request, int iface,
                                                 AppContext& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      request_(request),
      iface_(iface),
      app_(app),
      language_(app.language()) {
    setObjectName(QStringLiteral("TFormSensorCalibrate"));
    setWindowTitle(QStringLiteral("Sensor Calibration"));

    // "Auto Calibration".
    autoGroup_ = new QGroupBox(QStringLiteral("Auto Calibration"), this);
    autoGroup_->setObjectName(QStringLiteral("GroupBoxAutoCali"));
    paperHeightLabel_ = newLabel(autoGroup_, "LabelPaperHeight", "Paper Height");
    heightEdit_ = newEdit(autoGroup_, "EditHeight");
    unit1Label_ = newLabel(autoGroup_, "LabelUnit1", "");
    gapLabel_ = newLabel(autoGroup_, "LabelGap", "Gap");
    gapEdit_ = newEdit(autoGroup_, "EditGap");
    unit2Label_ = newLabel(autoGroup_, "LabelUnit2", "");
    calibrateButton_ = newButton(autoGroup_, "ButtonCalib", "Calibrate");
    auto* autoGrid = new QGridLayout(autoGroup_);
    autoGrid->addWidget(paperHeightLabel_, 0, 0);
    autoGrid->addWidget(heightEdit_, 0, 1);
    autoGrid->addWidget(unit1Label_, 0, 2);
    autoGrid->addWidget(gapLabel_, 1, 0);
    autoGrid->addWidget(gapEdit_, 1, 1);
    autoGrid->addWidget(unit2Label_, 1, 2);
    autoGrid->setRowStretch(2, 1);
    autoGrid->addWidget(calibrateButton_, 3, 1, 1, 2);

    // "Manual Setup".
    manualGroup_ = new QGroupBox(QStringLiteral("Manual Setup"), this);
    manualGroup_->setObjectName(QStringLiteral("GroupBoxManualCalib"));
    intensityLabel_ = newLabel(manualGroup_, "LabelInten", "Sensor Intensity");
    intensityEdit_ = newEdit(manualGroup_, "EditInten");
    numberTyping(intensityEdit_, false, true);
    thresholdLabel_ = newLabel(manualGroup_, "LabelThresholdValue", "Threshold Value");
    thresholdEdit_ = newEdit(manualGroup_, "EditReference");
    numberTyping(thresholdEdit_, false, true);
    readLevelLabel_ = newLabel(manualGroup_, "LabelReadIntension", "Reading Intensity");
    levelCombo_ = new QComboBox(manualGroup_);
    levelCombo_->setObjectName(QStringLiteral("ComboBoxSnesorInt"));
    fillLevels(kLevels);
    levelCombo_->setCurrentIndex(kFirstLevelShown);
    currentLabel_ = newLabel(manualGroup_, "LabelCurrent", "Current Reading");
    currentReadingEdit_ = newEdit(manualGroup_, "EditCurrentReading");
    currentReadingEdit_->setReadOnly(true);
    labelReadingLabel_ = newLabel(manualGroup_, "LabelPaperReading", "Label Reading");
    labelValueLabel_ = newLabel(manualGroup_, "LabelLabelValue", "0");
    gapReadingLabel_ = newLabel(manualGroup_, "LabelGapReading", "Gap Reading");
    gapValueLabel_ = newLabel(manualGroup_, "LabelGapValue", "0");
    messageLabel_ = newLabel(manualGroup_, "LabelMessage", "");
    setButton_ = newButton(manualGroup_, "ButtonSet", "Set");
    manualButton_ = newButton(manualGroup_, "ButtonManualCalibration", "Calibrate");
    for (QWidget* w :
         {static_cast<QWidget*>(labelReadingLabel_), static_cast<QWidget*>(labelValueLabel_),
          static_cast<QWidget*>(gapReadingLabel_), static_cast<QWidget*>(gapValueLabel_),
          static_cast<QWidget*>(messageLabel_)}) {
        keepRoomWhenHidden(w);
        w->hide();
    }
    // One caption and its value a row, so that long captions of a language
    // make the dialog taller rather than too wide for a small screen.
    auto* manualGrid = new QGridLayout(manualGroup_);
    int row = 0;
    for (auto [caption, value] : {std::pair<QWidget*, QWidget*>{intensityLabel_, intensityEdit_},
                                  {thresholdLabel_, thresholdEdit_},
                                  {readLevelLabel_, levelCombo_},
                                  {currentLabel_, currentReadingEdit_},
                                  {labelReadingLabel_, labelValueLabel_},
                                  {gapReadingLabel_, gapValueLabel_}}) {
        manualGrid->addWidget(caption, row, 0);
        manualGrid->addWidget(value, row++, 1);
    }
    messageLabel_->setWordWrap(true);
    manualGrid->addWidget(messageLabel_, row++, 0, 1, 2);
    auto* manualButtons = new QHBoxLayout;
    manualButtons->addStretch();
    manualButtons->addWidget(setButton_);
    manualButtons->addWidget(manualButton_);
    manualGrid->addLayout(manualButtons, row, 0, 1, 2);

    // The media and Cancel on the right.
    mediaRadio_ =
        new RadioGroup(this, "RadioGroupMediaType", QStringLiteral("Media Type"), 0, 0, 120, 105,
                       {QStringLiteral("GAP"), QStringLiteral("Black Mark"),
                        QStringLiteral("Continuous"), QStringLiteral("Auto Selection")});
    cancelButton_ = newButton(this, "ButtonCancel", "Cancel");
    auto* right = new QVBoxLayout;
    right->addWidget(mediaRadio_);
    right->addStretch();
    right->addWidget(cancelButton_);

    auto* left = new QVBoxLayout;
    left->addWidget(autoGroup_);
    left->addWidget(manualGroup_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(529, 207);

    pollTimer_ = new QTimer(this);
    pollTimer_->setObjectName(QStringLiteral("Timer1"));
    pollTimer_->setInterval(kPollIntervalMs);

    connect(calibrateButton_, &QPushButton::clicked, this,
            &SensorCalibrationDialog::onCalibrateClicked);
    connect(setButton_, &QPushButton::clicked, this, &SensorCalibrationDialog::onSetClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &SensorCalibrationDialog::onCancelClicked);
    connect(manualButton_, &QPushButton::clicked, this,
            &SensorCalibrationDialog::onManualCalibrationClicked);
    connect(pollTimer_, &QTimer::timeout, this, &SensorCalibrationDialog::onPollTimer);
    // Enter in the paper height or gap runs the automatic calibration; in
    // the intensity or threshold it sets those; elsewhere it does nothing.
    routeEnter(this, {{{heightEdit_, gapEdit_}, calibrateButton_},
                      {{intensityEdit_, thresholdEdit_}, setButton_}});

    // Entry: nothing confirmed yet, the printer's media selected, its numbers
    // shown where it gave them.
    request_.confirmed = false;
    step_ = 0;
    mediaRadio_->setItemIndex(request_.mediaType);
    if (request_.threshold != 0) thresholdEdit_->setText(QString::number(request_.threshold));
    if (request_.intensity != 0) intensityEdit_->setText(QString::number(request_.intensity));
    applyDialogLanguage(this, "TFormSensorCalibrate", language_);
    keepTitleWhole(*this);
    const QString unit = text(request_.dotsPerUnit > kInchAbove ? kKeyInch : kKeyMm);
    unit1Label_->setText(unit);
    unit2Label_->setText(unit);
}

QString SensorCalibrationDialog::text(int key) const {
    return languageQText(key, language_);
}

void SensorCalibrationDialog::showReadingLabels(bool on) {
    for (QLabel* l : {labelReadingLabel_, labelValueLabel_, gapReadingLabel_, gapValueLabel_})
        l->setVisible(on);
}

void SensorCalibrationDialog::fillLevels(std::size_t count) {
    const int selected = levelCombo_->currentIndex();
    levelCombo_->clear();
    for (std::size_t i = 0; i < count; ++i) levelCombo_->addItem(QString::number(i));
    if (count == 0) return;
    levelCombo_->setCurrentIndex(std::clamp(selected, 0, static_cast<int>(count) - 1));
}

bool SensorCalibrationDialog::boxInteger(QLineEdit* edit, QLabel* caption,
                                         const m350::NumberRule& rule, int& out) {
    const QString t = edit->text().trimmed();
    if (t.isEmpty()) {
        out = 0;
        return true;
    }
    const QByteArray bytes = t.toUtf8();
    const m350::NumberVerdict v =
        m350::checkNumber(std::string_view(bytes.constData(), bytes.size()), rule);
    if (v.fault == m350::NumberFault::kNone) {
        out = static_cast<int>(v.value);
        return true;
    }
    // A level or threshold the sensor does not have is named with its range.
    app_.prompter().message(v.fault == m350::NumberFault::kOutOfRange
                                ? outOfRangeMessage(captionText(caption), rule.min, rule.max,
                                                    edit->text(), app_.language())
                                : notAnIntegerText(edit->text(), caption->text()));
    edit->setFocus();
    return false;
}

bool SensorCalibrationDialog::boxLength(QLineEdit* edit, QLabel* caption, int& dots) {
    QString t = edit->text().trimmed();
    if (t.isEmpty()) {
        dots = 0;
        return true;
    }
    // Either decimal mark, whatever the desktop's locale.
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    std::optional<std::int32_t> d;
    if (ok && value < 0) {
        app_.prompter().message(outOfRangeMessage(captionText(caption), 0,
                                                  m350::lengthDotsPerUnit(request_) > kInchAbove
                                                      ? m350::ranges::kLengthInch.max
                                                      : m350::ranges::kLengthMm.max,
                                                  edit->text(), app_.language()));
        edit->setFocus();
        return false;
    }
    if (ok) d = m350::lengthInDots(value, m350::lengthDotsPerUnit(request_));
    if (!d) {
        app_.prompter().message(
            QStringLiteral("'%1' is not a valid length (%2).").arg(edit->text(), caption->text()));
        edit->setFocus();
        return false;
    }
    dots = *d;
    return true;
}

void SensorCalibrationDialog::onCalibrateClicked() {
    if (reading_) return;
    int height = 0, gap = 0;
    if (!boxLength(heightEdit_, paperHeightLabel_, height) || !boxLength(gapEdit_, gapLabel_, gap))
        return;
    request_.confirmed = true;
    request_.mediaType = mediaRadio_->itemIndex();
    request_.paperHeight = height;
    request_.gap = gap;
    request_.manual = 0;
    pollTimer_->stop();
    ++stepChanges_;
    accept();
}

void SensorCalibrationDialog::onSetClicked() {
    if (reading_) return;
    int threshold = 0, intensity = 0;
    if (!boxInteger(thresholdEdit_, thresholdLabel_, m350::ranges::kSensorThreshold, threshold) ||
        !boxInteger(intensityEdit_, intensityLabel_, m350::ranges::kSensorIntensity, intensity))
        return;
    request_.confirmed = true;
    request_.mediaType = mediaRadio_->itemIndex();
    request_.threshold = threshold;
    request_.intensity = intensity;
    request_.manual = 1;
    pollTimer_->stop();
    ++stepChanges_;
    accept();
}

void SensorCalibrationDialog::onCancelClicked() {
    if (reading_) return;
    request_.confirmed = false;
    reject();
}

void SensorCalibrationDialog::reject() {
    pollTimer_->stop();
    ++stepChanges_;
    QDialog::reject();
}

void SensorCalibrationDialog::onManualCalibrationClicked() {
    if (reading_) return;
    const int media = mediaRadio_->itemIndex();
    if (media == m350::kMediaAutoSelect || media < 0) {
        app_.prompter().message(text(kKeyCannotCalibrate));
        return;
    }
    switch (step_) {
        case 0: {
            showReadingLabels(false);
            setButton_->setEnabled(false);
            liner_.mode = media;
            // The link pumps events while it waits; clicks meanwhile are
            // ignored rather than starting a second exchange.
            reading_ = true;
            const int r = app_.runQuiet(ops::readSensorValues(liner_), iface_);
            reading_ = false;
            if (r != m350::kOk) {
                app_.prompter().message(QStringLiteral("Data Receiving Error"));
                return;
            }
            if (media == m350::kMediaContinuous) {
                chooseContinuous();
                return;
            }
            fillLevels(liner_.readings.size());
            messageLabel_->setText(
                text(media == m350::kMediaBlackMark ? kKeyPutBlackMark : kKeyPutLiner));
            messageLabel_->show();
            live_.mode = media;
            manualButton_->setText(text(kKeyNext));
            ++stepChanges_;
            pollTimer_->start();
            step_ = 1;
            return;
        }
        case 1:
            pollTimer_->stop();
            ++stepChanges_;
            liner_ = live_;
            messageLabel_->setText(text(kKeyPutLabel));
            pollTimer_->start();
            step_ = 2;
            return;
        default:
            pollTimer_->stop();
            ++stepChanges_;
            label_ = live_;
            manualButton_->setText(text(kKeyCalibrate));
            finishManualCalibration();
            setButton_->setEnabled(true);
            step_ = 0;
            return;
    }
}

void SensorCalibrationDialog::finishManualCalibration() {
    const m350::CalibrationChoice choice = m350::chooseLevel(liner_.readings, label_.readings);
    if (!choice.found) {
        messageLabel_->hide();
        app_.prompter().message(text(kKeyCannotCalibrate));
        return;
    }
    thresholdEdit_->setText(QString::number(choice.threshold));
    intensityEdit_->setText(QString::number(choice.level));
    messageLabel_->setText(text(kKeyComplete));
    labelValueLabel_->setText(QString::number(choice.labelReading));
    gapValueLabel_->setText(QString::number(choice.linerReading));
    showReadingLabels(true);
    request_.confirmed = true;
    request_.mediaType = mediaRadio_->itemIndex();
    request_.threshold = choice.threshold;
    request_.intensity = choice.level;
    request_.manual = 1;
    manualButton_->setEnabled(false);
}

void SensorCalibrationDialog::chooseContinuous() {
    const auto choice = m350::chooseContinuous(liner_.readings);
    if (!choice) return;
    intensityEdit_->setText(QString::number(choice->intensity));
    thresholdEdit_->setText(QString::number(choice->threshold));
    labelValueLabel_->setText(QString::number(choice->reading));
    labelReadingLabel_->show();
    labelValueLabel_->show();
    // Set stays disabled: the close box applies these values, Cancel drops them.
    request_.confirmed = true;
    request_.mediaType = m350::kMediaContinuous;
    request_.threshold = choice->threshold;
    request_.intensity = choice->intensity;
    request_.manual = 1;
}

void SensorCalibrationDialog::onPollTimer() {
    if (polling_ || reading_) return;
    polling_ = true;
    const std::uint32_t started = stepChanges_;
    m350::SensorValues scratch;
    scratch.mode = live_.mode;
    const int r = app_.runQuiet(ops::readSensorValues(scratch), iface_);
    polling_ = false;
    // A failed poll is silent; one overtaken by a step (the operator pressed
    // Next while it waited) belongs to the media that was there before.
    if (r != m350::kOk || started != stepChanges_ || !pollTimer_->isActive()) return;
    live_ = std::move(scratch);
    const int level = levelCombo_->currentIndex();
    if (level >= 0 && static_cast<std::size_t>(level) < live_.readings.size())
        currentReadingEdit_->setText(
            QString::number(live_.readings[static_cast<std::size_t>(level)]));
}

}  // namespace m350::gui
