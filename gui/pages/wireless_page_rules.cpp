// SPDX-License-Identifier: MIT
#include "gui/pages/wireless_page_rules.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/link/link_operations.h"
#include "core/wireless/wireless_rules.h"
#include "gui/app_context.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/pages/config_page.h"
#include "gui/pages/wireless_enable_rules.h"
#include "gui/password_gate_prompt.h"
#include "gui/prompter.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

const QString kCertificateFilter =
    QStringLiteral("Certificate files (*.der *.cer *.pem);;All files (*)");
const QString kKeyFilter =
    QStringLiteral("Certificate files (*.der *.cer *.pem *.key);;All files (*)");

}  // namespace

WirelessPageRules::WirelessPageRules(AppContext& app, ConfigPage& page)
    : QObject(&page), app_(app), page_(page) {
    setObjectName(QStringLiteral("WirelessPageRules"));

    if (auto* c = find<QComboBox>("ComboBoxWiFiEncryption"))
        connect(c, &QComboBox::activated, this, &WirelessPageRules::onWifiEncryptionChanged);
    if (auto* c = find<QComboBox>("cbxWiFiEapType"))
        connect(c, &QComboBox::activated, this, &WirelessPageRules::onWifiEapTypeChanged);
    if (auto* c = find<QComboBox>("ComboBoxWiFiDHCP"))
        connect(c, &QComboBox::activated, this, &WirelessPageRules::onWifiDhcpChanged);

    // Each role's handler serves the browse buttons of that role on this
    // page, on the external module group and on the access point page alike.
    const std::pair<const char*, void (WirelessPageRules::*)()> browsers[] = {
        {"btnWiFiSrvCerBrowse", &WirelessPageRules::onServerCertificateBrowseClicked},
        {"btnExWiFiSrvCerBrowse", &WirelessPageRules::onServerCertificateBrowseClicked},
        {"btnSrvCerBrowse", &WirelessPageRules::onServerCertificateBrowseClicked},
        {"btnWiFiClientCerBrowse", &WirelessPageRules::onClientCertificateBrowseClicked},
        {"btnClientCerBrowse", &WirelessPageRules::onClientCertificateBrowseClicked},
        {"btnWiFiPrivKeyBrowse", &WirelessPageRules::onClientKeyBrowseClicked},
        {"btnClientKeyBrowse", &WirelessPageRules::onClientKeyBrowseClicked},
    };
    for (const auto& [name, handler] : browsers)
        if (auto* b = find<QPushButton>(name)) connect(b, &QPushButton::clicked, this, handler);
    if (auto* b = find<QPushButton>("btnWirlessFactoryDef"))
        connect(b, &QPushButton::clicked, this,
                &WirelessPageRules::onWirelessFactoryDefaultClicked);

    for (const char* name : kSecretBoxes)
        if (auto* e = find<QLineEdit>(name)) e->installEventFilter(this);
    if (auto* e = find<QLineEdit>("edtFtpPath")) e->installEventFilter(this);
}

QWidget* WirelessPageRules::control(const char* name) const {
    return page_.control(QString::fromLatin1(name));
}

template <class W>
W* WirelessPageRules::find(const char* name) const {
    return qobject_cast<W*>(control(name));
}

bool WirelessPageRules::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    // Coming back to the window (after a message box, say) is no new entry:
    // what the operator has just typed stays.
    if (event->type() == QEvent::FocusIn && edit->objectName() != QLatin1String("edtFtpPath") &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        edit->clear();
        edit->setEchoMode(QLineEdit::Normal);
    } else if (event->type() == QEvent::FocusOut &&
               edit->objectName() == QLatin1String("edtFtpPath")) {
        const QString text = edit->text();
        if (text.contains(QLatin1Char('\\')))
            edit->setText(QString(text).replace(QLatin1Char('\\'), QLatin1Char('/')));
    }
    return false;
}

namespace {

void applyChanges(ConfigPage& page, const std::vector<ControlChange>& changes) {
    for (const auto& c : changes) {
        QWidget* w = page.control(utf8Text(c.control));
        if (!w) continue;
        switch (c.kind) {
            case ControlChange::kEnable:
                w->setEnabled(true);
                break;
            case ControlChange::kDisable:
                w->setEnabled(false);
                break;
            case ControlChange::kClear:
                if (auto* e = qobject_cast<QLineEdit*>(w)) e->clear();
                break;
            case ControlChange::kSelectFirst:
                // Set as the program's own choice: the EAP handler does not run.
                if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(0);
                break;
        }
    }
}

int indexOf(QComboBox* combo) {
    return combo ? combo->currentIndex() : -1;
}

// The encryption of an item of ComboBoxWiFiEncryption, whose items follow the
// encryptions' order; no selection is none.
m350::WirelessEncryption encryptionOfItem(int item) {
    return item >= 0 && item <= kEncryptionWpaEnterprise
               ? static_cast<m350::WirelessEncryption>(item)
               : m350::WirelessEncryption::kNone;
}

}  // namespace

void WirelessPageRules::onWifiEncryptionChanged() {
    applyChanges(page_, encryptionChangeRule(indexOf(find<QComboBox>("ComboBoxWiFiEncryption"))));
}

void WirelessPageRules::onWifiEapTypeChanged() {
    applyChanges(page_, eapTypeChangeRule(indexOf(find<QComboBox>("cbxWiFiEapType"))));
}

void WirelessPageRules::onWifiDhcpChanged() {
    applyChanges(page_, dhcpChangeRule(indexOf(find<QComboBox>("ComboBoxWiFiDHCP"))));
}

void WirelessPageRules::browse(const char* title, const QString& filter, const char* pathEdit) {
    FileDialogRequest request;
    request.title = QString::fromLatin1(title);
    request.filter = filter;
    const QString path = app_.prompter().openFile(request);
    if (path.isEmpty()) return;
    const QByteArray utf8 = path.toUtf8();
    if (!m350::certificateNameFits(std::string_view(utf8.constData(), utf8.size()))) {
        app_.prompter().message(utf8Text(m350::kCertificateNameTooLongText));
        return;
    }
    if (auto* e = find<QLineEdit>(pathEdit)) e->setText(path);
}

void WirelessPageRules::onServerCertificateBrowseClicked() {
    browse("CA Certificate", kCertificateFilter, "edtWiFiSrvCerPath");
}

void WirelessPageRules::onClientCertificateBrowseClicked() {
    browse("User Certificate", kCertificateFilter, "edtWiFiClientCerPath");
}

void WirelessPageRules::onClientKeyBrowseClicked() {
    browse("Private Key", kKeyFilter, "edtWiFiPrivKeyPath");
}

void WirelessPageRules::onWirelessFactoryDefaultClicked() {
    // The module loses its network settings: asked first, then, as for any
    // lasting change, a printer with a password asks for it.
    const int lang = app_.language();
    const QString question =
        ownTr("Restore the wireless factory settings? The SSID and key are lost.", lang);
    if (!app_.prompter().confirm(question)) return;
    if (!passwordGate(app_)) return;
    app_.runStandard(ops::wirelessFactoryDefault());
    // Whatever the result, the module's state is unknown until read again:
    // the MAC box says so by its colours and keeps the address it showed.
    page_.showWirelessNoModule();
    if (auto* set = find<QPushButton>("ButtonConfigSet")) set->setEnabled(false);
    if (auto* b = find<QPushButton>("btnWirlessFactoryDef")) b->setEnabled(false);
    const std::pair<const char*, std::string_view> words[] = {
        {"edtWiFiSrvCerPath", m350::kCaCertificateWord},
        {"edtWiFiClientCerPath", m350::kUserCertificateWord},
        {"edtWiFiPrivKeyPath", m350::kPrivateKeyWord}};
    // The words in the path boxes are no certificate the operator chose.
    page_.programChange([&] {
        for (const auto& [name, word] : words)
            if (auto* e = find<QLineEdit>(name)) e->setText(utf8Text(word));
    });
}

bool WirelessPageRules::wirelessKeyCheck() {
    auto* key = find<QLineEdit>("EditWiFiKey");
    // The key as the printer would get it: its bytes in the printer text
    // encoding.
    const std::string text = key ? page_.boxBytes(QStringLiteral("EditWiFiKey")) : std::string();
    const m350::WirelessKeyVerdict verdict = m350::checkWirelessKey(
        encryptionOfItem(indexOf(find<QComboBox>("ComboBoxWiFiEncryption"))), text);
    if (verdict == m350::WirelessKeyVerdict::kPass) return true;
    const std::string_view known = m350::wirelessKeyMessage(verdict);
    // A key the printer would refuse is named, whatever the verdict: a Set
    // that sends nothing says why.
    // clang-format off
    const QString wpa = ownTr("\"%1\": a WPA-Personal key has 8 to 63 characters, or 64 hexadecimal digits.", app_.language());
    // clang-format on
    const QString message =
        !known.empty() ? utf8Text(known) : wpa.arg(captionText(find<QLabel>("LabelWiFiKey")));
    app_.prompter().message(message);
    if (key) {
        // The focus goes to the key as if the operator entered it: the
        // wrong key is emptied and shown as it is typed again. Done here,
        // not left to the focus event, which arrives only when the window
        // is active again and then counts as a return to the window.
        key->clear();
        key->setEchoMode(QLineEdit::Normal);
        key->setFocus(Qt::OtherFocusReason);
    }
    return false;
}

WirelessPageRules* attachWirelessRules(AppContext& app, ConfigPage& page) {
    auto* rules = new WirelessPageRules(app, page);
    page.wirelessRules.encryptionChange = [rules] { rules->onWifiEncryptionChanged(); };
    page.wirelessRules.eapTypeChange = [rules] { rules->onWifiEapTypeChanged(); };
    page.wirelessRules.keyCheck = [rules] { return rules->wirelessKeyCheck(); };
    return rules;
}

bool wirelessKeyCheck(ConfigPage& page) {
    auto* rules = page.findChild<WirelessPageRules*>(QStringLiteral("WirelessPageRules"),
                                                     Qt::FindDirectChildrenOnly);
    return rules ? rules->wirelessKeyCheck() : true;
}

}  // namespace m350::gui
