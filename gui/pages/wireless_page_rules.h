// SPDX-License-Identifier: MIT
// The behaviour of the "Wireless" and "FTP Update" configuration sub-pages:
// the encryption, EAP type and DHCP enable rules, the secret boxes that empty
// themselves when entered, the FTP path slashes, the certificate browse with
// the printer's 8.3 name limit, the wireless factory default (link operation
// 33) and the wireless key check before a configuration Set.
//
// The controls are the configuration page's, found by object name. The page
// calls the rules through ConfigPage::wirelessRules, which
// attachWirelessRules fills in:
//  - encryptionChange / eapTypeChange where Show record runs those handlers;
//  - keyCheck from onConfigSetClicked after the password gate: false ends
//    the Set before anything is built or sent (the check has shown its
//    message, or refused a WPA-Personal key silently).
// The operator's own choices reach the rules through the combo boxes'
// activated(int) signals, so a record being shown never runs them unasked.
#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace m350::gui {

class ConfigPage;
class AppContext;

class WirelessPageRules : public QObject {
    Q_OBJECT
  public:
    WirelessPageRules(AppContext& app, ConfigPage& page);

    // The wireless key check on EditWiFiKey for the encryption chosen; true
    // when the configuration may be written.
    bool wirelessKeyCheck();

  public slots:
    void onWifiEncryptionChanged();
    void onWifiEapTypeChanged();
    void onWifiDhcpChanged();
    void onServerCertificateBrowseClicked();
    void onClientCertificateBrowseClicked();
    void onClientKeyBrowseClicked();
    void onWirelessFactoryDefaultClicked();

  protected:
    // Secret boxes empty themselves and show what is typed when entered; the
    // FTP path takes "/" for every "\" when left.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* control(const char* name) const;
    template <class W>
    W* find(const char* name) const;
    // The open dialog of a role (odSrvCerBrowse, odClientCerBrowse,
    // odClientKeyBrowse); the chosen path goes into this page's path edit.
    void browse(const char* title, const QString& filter, const char* pathEdit);

    AppContext& app_;
    ConfigPage& page_;
};

// Creates the rules for the main window's configuration page and hooks them
// into ConfigPage::wirelessRules. Called once, after the pages are built.
WirelessPageRules* attachWirelessRules(AppContext& app, ConfigPage& page);

// The key check as the Set button runs it: true when the configuration may
// be written. Passes when the rules are not attached.
bool wirelessKeyCheck(ConfigPage& page);

}  // namespace m350::gui
