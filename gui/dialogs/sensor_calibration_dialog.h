// SPDX-License-Identifier: MIT
// "Calibrate Sensor": automatic calibration (optionally with the label height
// and gap), intensity and threshold set by hand, or found by sampling the
// sensor over all its intensity levels with the liner (or mark) and then the
// label under it. The chosen values go to the caller's request; the caller
// sends them once the dialog has closed.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdint>

#include "core/input/input_checks.h"
#include "core/printer/sensor.h"

namespace m350::gui {

class AppContext;
class RadioGroup;

class SensorCalibrationDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kPollIntervalMs = 500;

    // request: in, the sensor settings read and the dots per unit; out, what
    // to apply (confirmed says whether). iface: where the sensor is read.
    SensorCalibrationDialog(m350::SensorRequest& request, int iface, AppContext& app,
                            QWidget* parent = nullptr);

    // The manual calibration's step: 0 before it, 1 with the liner (or mark)
    // under the sensor, 2 with the label.
    int step() const { return step_; }

  public slots:
    void onCalibrateClicked();  // automatic
    void onSetClicked();        // by hand
    void onCancelClicked();
    void onManualCalibrationClicked();
    // Timer1: the live reading at the chosen level, between steps 0 and 2.
    void onPollTimer();
    // The close box (and Escape): closes, keeping what the manual calibration
    // stored in the request; only Cancel takes it back.
    void reject() override;

  private:
    QString text(int key) const;
    void showReadingLabels(bool on);
    void fillLevels(std::size_t count);
    void chooseContinuous();
    void finishManualCalibration();
    // A whole number from a box, empty giving 0; a message naming the box
    // when the text is none.
    bool boxInteger(QLineEdit* edit, QLabel* caption, const m350::NumberRule& rule, int& out);
    bool boxLength(QLineEdit* edit, QLabel* caption, int& dots);

    QGroupBox* autoGroup_;
    QLabel *paperHeightLabel_, *gapLabel_, *unit1Label_, *unit2Label_;
    QLineEdit *heightEdit_, *gapEdit_;
    QPushButton* calibrateButton_;
    QGroupBox* manualGroup_;
    QLabel *intensityLabel_, *thresholdLabel_, *readLevelLabel_, *currentLabel_;
    QLineEdit *intensityEdit_, *thresholdEdit_, *currentReadingEdit_;
    QComboBox* levelCombo_;
    QLabel *labelReadingLabel_, *labelValueLabel_, *gapReadingLabel_, *gapValueLabel_;
    QLabel* messageLabel_;
    QPushButton *setButton_, *manualButton_;
    RadioGroup* mediaRadio_;
    QPushButton* cancelButton_;
    QTimer* pollTimer_;

    m350::SensorRequest& request_;
    int iface_;
    AppContext& app_;
    int language_;
    int step_ = 0;
    // The live reading the timer keeps, and what the manual steps saved.
    m350::SensorValues live_, liner_, label_;
    // A step-0 read or a poll is under way; the link pumps events meanwhile.
    bool reading_ = false;
    bool polling_ = false;
    // Counts the manual steps, so that a poll which was under way when the
    // step changed leaves its reading unused.
    std::uint32_t stepChanges_ = 0;
};

}  // namespace m350::gui
