// SPDX-License-Identifier: MIT
// Contents of the "Printer Configuration" group on the first page: the
// configuration buttons, the printer information box and PageControl2 with
// the configuration sub-pages.
//
// The page owns the window's configuration record (the form record). Show
// and Build go through the binding rules of gui/pages/config_binding.h;
// this class only builds the controls, adapts them to those rules and runs
// the buttons. The sub-pages are built in config_page_common.cpp
// (Common, Z, D, RS-232) and config_page_wireless.cpp (Wireless,
// Bluetooth, FTP Update).
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/config/config_record.h"
#include "core/config/config_write.h"
#include "core/printer/status.h"
#include "gui/pages/config_binding.h"

class QActionGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace m350::gui {

class AppContext;
class RadioGroup;
class UnsentEdits;

// The boxes whose contents are secret: their stored value is never shown
// (entering one empties it), and they are masked again after Read and Set.
inline constexpr const char* kSecretBoxes[] = {"EditWiFiKey", "edtWiFiUsername", "edtWiFiPasswd",
                                               "edtFtpUser", "edtFtpPswd"};

class ConfigPage : public QObject {
    Q_OBJECT
  public:
    // The page fills group; unit is the window's inch/mm choice, statusFlags
    // the window's last status (saved into configuration files), directory
    // where the file dialogs start.
    ConfigPage(AppContext& app, QGroupBox* group, RadioGroup& unit,
               const m350::StatusFlags& statusFlags, QString directory);
    ~ConfigPage() override;

    // Start-up: show the default configuration record.
    void showDefaults();
    // End of start-up: first sub-page selected, FTP tab hidden, WiFi AP page
    // out of the page control.
    void finishStartup();
    // Read is possible on every interface but the parallel port.
    void setReadEnabled(bool enabled);
    // After a printer reset: the wireless module's state is unknown; the MAC
    // box reads "00:00:00:00:00:00" in the no-module state.
    void markWirelessNotRead();
    // After the wireless factory default: the MAC box keeps its text and
    // takes the no-module colours, with Set and the factory default button
    // going with them.
    void showWirelessNoModule();

    // The form record: what the last Read, Clear or Save left.
    const m350::ConfigRecord& record() const { return record_; }
    // A successful read: the record replaces the form record and is shown.
    void replaceRecord(const m350::ConfigRecord& record);
    // Shows a record on the pages in the unit chosen, with its own resolution.
    void showRecord(const m350::ConfigRecord& record);
    // Builds the record from the controls (unit choice as chosen now); on a
    // box that holds no number, shows a message naming the box and returns
    // false with the record untouched.
    bool buildRecord(m350::ConfigRecord& record);
    // True for inch, false for mm.
    bool inchChosen() const;
    // The wireless MAC box shows the no-module state.
    bool macNoModule() const { return macNoModule_; }
    // Certificate files the wireless page's Set sends; kept while the program runs.
    const m350::CertificatePaths& certificatePaths() const { return certificates_; }

    // The wireless page's own rules attach here (see the top of
    // config_page_wireless.cpp). Unset hooks do nothing and pass.
    struct WirelessRules {
        std::function<void()> encryptionChange;  // onWifiEncryptionChanged
        std::function<void()> eapTypeChange;     // onWifiEapTypeChanged
        // Before Set builds the record; false stops Set (it shows its own message).
        std::function<bool()> keyCheck;
        // Start of onConfigTabChanged (module setup mode keeps the wireless page).
        std::function<void()> pageChange;
    };
    WirelessRules wirelessRules;

    // A control of the pages by object name; null when there is none.
    QWidget* control(const QString& name) const;
    // A box's text as printer bytes: what it was filled with while unchanged,
    // else what is typed in the printer text encoding.
    std::string boxBytes(const QString& name) const;

    // The printer text encoding changed (the choice on this page, or the
    // interface language it follows): unchanged boxes show their bytes anew.
    Q_INVOKABLE void refreshTextEncoding();

    // Tabs whose boxes hold changes not yet sent to the printer (see
    // gui/pages/unsent_edits.h).
    UnsentEdits& unsentEdits() const { return *unsent_; }
    // The program changes what boxes show without the operator (a new
    // language, a certificate box reset): it adds no unsent change.
    void programChange(const std::function<void()>& change);
    // The marks' tip in the interface language, after a language change.
    void refreshUnsentMarks();
    // The window is about to close: true when nothing unsent would be lost,
    // or the operator chose to lose it.
    bool confirmClosing();

  signals:
    // A configuration file was loaded: the window shows the status it holds.
    void statusLoaded(const m350::StatusFlags& flags);
    // After every Show record (Read, Clear, load, start-up).
    void recordShown();
    // The operator chose a printer text encoding in the menu (empty: follow
    // the interface language).
    void textEncodingChosen(const QString& name);

  public slots:
    void onReadClicked();
    void onClearClicked();
    void onConfigSetClicked();
    void onSaveClicked();
    void onLoadClicked();
    void onUnitClicked();
    void onConfigTabChanged(int index);
    // The printer text encoding chosen in the menu: an encoding name, or
    // empty to follow the interface language.
    void chooseTextEncoding(const QString& name);

  private:
    // After a successful Set with the Verify box ticked: reads back and
    // reports the fields of the page that differ from what was written.
    void verifyWrittenPage(const m350::ConfigRecord& written, int page);

    QPushButton *readButton_, *clearButton_, *configSetButton_, *saveButton_, *loadButton_;
    QCheckBox* verifySetBox_;
    QGroupBox* printerInfoGroup_;
    QTabWidget* configTabs_;
    // Sub-pages by tab index: 0 Common, 1 Z, 2 D, 3 RS-232, 4 Wireless,
    // 5 Bluetooth, 6 FTP Update (tab hidden); WiFi AP is taken out at start.
    QWidget *commonTab_, *zTab_, *dTab_, *rs232Tab_, *wirelessTab_, *bluetoothTab_, *ftpUpdateTab_,
        *wifiApTab_;

    class View;
    friend class View;

    void buildInfoBox();
    void buildCommonPage();
    void buildZPage();
    void buildDPage();
    void buildRs232Page();
    void buildWirelessPage();
    void buildBluetoothPage();
    void buildFtpPage();
    QToolButton* buildTextEncodingButton();
    void setMacNoModule(bool noModule);
    // The group itself or one of the sub-pages.
    bool isPage(const QWidget* w) const;
    // The password character back on the secret boxes.
    void maskSecrets();
    // When tabs hold unsent changes, asks the question (its %1 the tabs'
    // captions) whether to go on; true when there are none or the answer is OK.
    bool confirmUnsent(const QList<int>& tabs, const QString& question);
    // "Paper Width" for EditWidth: the caption of the label that names a box.
    QString boxCaption(const QString& control) const;

    AppContext& app_;
    RadioGroup& unit_;
    const m350::StatusFlags& statusFlags_;
    QString directory_;
    QGroupBox* group_;
    m350::ConfigRecord record_;
    m350::CertificatePaths certificates_;
    bool macNoModule_ = false;
    // The unit the length boxes show, and the dots they were filled from.
    bool shownInch_ = true;
    m350::gui::ShownLengths lengths_;
    QToolButton* textEncodingButton_ = nullptr;
    QActionGroup* textEncodingChoices_ = nullptr;
    std::unique_ptr<View> view_;
    UnsentEdits* unsent_ = nullptr;
    // Load switches the unit to the file's after asking about all tabs.
    bool loading_ = false;
};

}  // namespace m350::gui
