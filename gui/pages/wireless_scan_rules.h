// SPDX-License-Identifier: MIT
// What the wireless and Bluetooth sub-pages do with the printer beyond the
// configuration record: the access-point scans into ListView2 (built-in
// module, Button1) and ListView1 (external module, ButtonScanAP) with their
// list clicks, the external module's setup mode (btnEnableExtSetup,
// btnSetToModule) with the page lock while it lasts, the module group's DHCP
// and encryption rules, and the Bluetooth page's device scan (ScanBT,
// ListView3) and master connection (BlueToothMaster).
//
// The scan buttons, their lists and the external module group are not shown
// in the window's layout; everything here works when they are.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace m350::gui {

class AppContext;
class ConfigPage;

class WirelessScanRules : public QObject {
    Q_OBJECT
  public:
    WirelessScanRules(AppContext& app, ConfigPage& page);

    // 1 while the operator sets up the external module.
    bool moduleSetupMode() const { return moduleMode_; }

  public slots:
    void onScanAccessPointsClicked();          // Button1 -> ListView2
    void onScanAccessPointsExternalClicked();  // ButtonScanAP -> ListView1
    void onAccessPointListClicked();           // ListView2
    void onExternalAccessPointListClicked();   // ListView1
    void onEnableExtSetupClicked();
    void onSetToModuleClicked();
    void onExternalDhcpChanged();
    void onExternalEncryptionChanged();
    void onScanBluetoothClicked();
    void onBluetoothListClicked();
    void onBluetoothMasterClicked();
    // While the module is being set up the Wireless page stays chosen.
    void keepWirelessPage();
    // ... and the focus does not leave it: Setup takes it back.
    void keepFocusOnPage(QWidget* now);

  private:
    template <class W>
    W* find(const char* name) const;
    void scanInto(QTreeWidget* list);
    void takeAccessPoint(QTreeWidget* list, const char* ssidEdit, const char* encryptionCombo);
    QString text(int key) const;
    // The module controls back to their state outside the setup mode.
    void leaveModuleMode();

    AppContext& app_;
    ConfigPage& page_;
    bool moduleMode_ = false;
    // What the detection found when the setup mode was entered: the write
    // sends the name and PIN only to a module that answered.
    bool modulePresent_ = false;
    // The module's name and PIN as it gave them (printer bytes).
    std::string moduleName_, modulePin_;
};

// Creates the rules for the configuration page and hooks the page lock into
// ConfigPage::wirelessRules. Called once, after the pages are built.
WirelessScanRules* attachWirelessScanRules(AppContext& app, ConfigPage& page);

}  // namespace m350::gui
