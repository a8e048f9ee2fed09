// SPDX-License-Identifier: MIT
#include "gui/pages/ap_profile_page.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/app_context.h"
#include "gui/pages/config_page.h"
#include "gui/pages/config_page_kit.h"
#include "gui/prompter.h"

namespace m350::gui {

using configkit::combo;
using configkit::edit;
using configkit::label;

namespace {

QLineEdit* certificate(QWidget* parent, const char* name, const char* word) {
    QLineEdit* e = edit(parent, name);
    e->setReadOnly(true);
    e->setText(QString::fromLatin1(word));
    e->setToolTip(QStringLiteral("Double click to clear"));
    e->setEnabled(false);
    return e;
}

const char* const kEapControls[] = {"Label13",     "cbxEapType", "cbxInnerEap", "Label14",
                                    "edtUsername", "Label15",    "edtPassword"};
const char* const kCertificateControls[] = {"edtSrvCer",           "btnSrvCerBrowse",
                                            "edtClientCer",        "btnClientCerBrowse",
                                            "edtClientPrivacyKey", "btnClientKeyBrowse"};

}  // namespace

void buildApProfilePage(ConfigPage& page) {
    QWidget* sheet = page.control(QStringLiteral("TabSheet10"));
    if (!sheet || sheet->layout()) return;
    auto* outer = new QHBoxLayout(sheet);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* group = new QGroupBox(QStringLiteral("Access Point Profile"), sheet);
    group->setObjectName(QStringLiteral("gbApProfile"));
    auto* gl = new QVBoxLayout(group);
    auto* list = new QListWidget(group);
    list->setObjectName(QStringLiteral("lbxApProfile"));
    list->setToolTip(QStringLiteral("Double Click to Show Detail"));
    gl->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    for (auto [name, caption] : {std::pair{"btnUpAp", "&Up"}, std::pair{"btnDownAp", "&Down"},
                                 std::pair{"btnAddAp", "&Add"}, std::pair{"btnDelAp", "&Del"}})
        buttons->addWidget(configkit::button(group, name, QString::fromLatin1(caption)));
    gl->addLayout(buttons);
    outer->addWidget(group, 1);

    auto* detail = new QWidget(sheet);
    detail->setObjectName(QStringLiteral("pnlApDetail"));
    QGridLayout* grid = configkit::pageGrid(detail);
    configkit::Rows rows(grid);
    rows.add(label(detail, "Label11", "SSID:"), edit(detail, "edtSSID"));
    rows.add(
        label(detail, "Label12", "Security"),
        combo(detail, "cbxSecurity",
              {"", "Open", "Share", "WPA-PSK", "WPA-Enterprise", "WPA2-PSK", "WPA2-Enterprise"}));
    rows.add(label(detail, "Label17", "Key:"), edit(detail, "edtKey"));
    auto* separator = new QLabel(
        QStringLiteral("-------------------------- WPA-Enterprise ------------------------"),
        detail);
    separator->setObjectName(QStringLiteral("Label18"));
    separator->setAlignment(Qt::AlignCenter);
    separator->setEnabled(false);
    rows.span(separator);
    QComboBox* eap = combo(detail, "cbxEapType", {"", "EAP-TLS", "EAP-TTLS", "EAP-FAST", "PEAP"});
    rows.add(label(detail, "Label13", "EAP Type:"), eap);
    QComboBox* inner = combo(detail, "cbxInnerEap",
                             {"Secured password (EAP-MSCHAPv2)", "One time password (EAP-GTC)"});
    rows.add(nullptr, inner);
    rows.add(label(detail, "Label14", "Username:"), edit(detail, "edtUsername"));
    rows.add(label(detail, "Label15", "Password:"), edit(detail, "edtPassword"));
    auto addCertificate = [&](const char* labelName, const char* caption, const char* name,
                              const char* word, const char* browse) {
        QPushButton* b = configkit::button(detail, browse, QStringLiteral("Browse..."));
        b->setEnabled(false);
        rows.add(label(detail, labelName, QString::fromLatin1(caption)),
                 {certificate(detail, name, word), b});
    };
    addCertificate("lblSrvCer", "CA Certificate:", "edtSrvCer", "CA Certificate",
                   "btnSrvCerBrowse");
    addCertificate("lblClientCer", "User Certificate:", "edtClientCer", "User Certificate",
                   "btnClientCerBrowse");
    addCertificate("lblClientPrivacyKey", "Private Key:", "edtClientPrivacyKey", "Private Key",
                   "btnClientKeyBrowse");
    auto* how =
        new QLabel(QStringLiteral("How to Convert PKCS#12 (.pfx .p12) to DER && KEY"), detail);
    how->setObjectName(QStringLiteral("lblHowToConvert"));
    how->setTextFormat(Qt::PlainText);
    how->setStyleSheet(QStringLiteral("color: blue;"));
    how->setCursor(Qt::PointingHandCursor);
    rows.span(how);
    grid->setColumnStretch(1, 1);
    configkit::finishGrid(grid);
    outer->addWidget(detail, 2);
    for (const char* name : kEapControls)
        if (auto* w = detail->findChild<QWidget*>(QString::fromLatin1(name))) w->setEnabled(false);
}

ApProfileRules::ApProfileRules(AppContext& app, QWidget* sheet)
    : QObject(sheet), app_(app), sheet_(sheet) {
    setObjectName(QStringLiteral("ApProfileRules"));
    const std::pair<const char*, void (ApProfileRules::*)()> buttons[] = {
        {"btnAddAp", &ApProfileRules::onAddClicked},
        {"btnDelAp", &ApProfileRules::onDelClicked},
        {"btnUpAp", &ApProfileRules::onUpClicked},
        {"btnDownAp", &ApProfileRules::onDownClicked},
    };
    for (const auto& [name, handler] : buttons)
        if (auto* b = find<QPushButton>(name)) connect(b, &QPushButton::clicked, this, handler);
    if (auto* c = find<QComboBox>("cbxSecurity"))
        connect(c, &QComboBox::activated, this, &ApProfileRules::onSecurityChanged);
    if (auto* c = find<QComboBox>("cbxEapType"))
        connect(c, &QComboBox::activated, this, &ApProfileRules::onEapTypeChanged);
    if (auto* l = find<QLabel>("lblHowToConvert")) l->installEventFilter(this);
}

template <class W>
W* ApProfileRules::find(const char* name) const {
    return sheet_->findChild<W*>(QString::fromLatin1(name));
}

void ApProfileRules::enable(std::initializer_list<const char*> names, bool on) {
    for (const char* name : names)
        if (auto* w = find<QWidget>(name)) w->setEnabled(on);
}

void ApProfileRules::onAddClicked() {
    auto* list = find<QListWidget>("lbxApProfile");
    auto* ssid = find<QLineEdit>("edtSSID");
    if (!list || !ssid) return;
    if (list->count() >= kMaxApProfiles) {
        app_.prompter().message(QStringLiteral("The profiles are full!"));
        return;
    }
    if (ssid->text().isEmpty()) {
        app_.prompter().message(QStringLiteral("SSID is empty!"));
        return;
    }
    list->addItem(ssid->text());
}

void ApProfileRules::onDelClicked() {
    auto* list = find<QListWidget>("lbxApProfile");
    if (!list) return;
    const int row = list->currentRow();
    if (row < 0 || !list->item(row)->isSelected()) return;
    delete list->takeItem(row);
}

void ApProfileRules::move(int by) {
    auto* list = find<QListWidget>("lbxApProfile");
    if (!list) return;
    const int row = list->currentRow();
    const int to = row + by;
    if (row < 0 || !list->item(row)->isSelected() || to < 0 || to >= list->count()) return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(to, item);
    list->setCurrentRow(to);
}

void ApProfileRules::onUpClicked() {
    move(-1);
}

void ApProfileRules::onDownClicked() {
    move(1);
}

void ApProfileRules::onSecurityChanged() {
    auto* c = find<QComboBox>("cbxSecurity");
    const QString item = c ? c->currentText() : QString();
    const bool enterprise =
        item == QLatin1String("WPA-Enterprise") || item == QLatin1String("WPA2-Enterprise");
    enable({"Label17", "edtKey"}, !enterprise);
    for (const char* name : kEapControls) enable({name}, enterprise);
    enable({"Label18"}, false);
    for (const char* name : kCertificateControls) enable({name}, false);
}

void ApProfileRules::onEapTypeChanged() {
    auto* c = find<QComboBox>("cbxEapType");
    const QString item = c ? c->currentText() : QString();
    enable({"Label18"}, false);
    if (item == QLatin1String("EAP-TLS")) {
        for (const char* name : kCertificateControls) enable({name}, true);
        enable({"cbxInnerEap", "Label14", "edtUsername", "Label15", "edtPassword"}, false);
    } else if (item == QLatin1String("EAP-TTLS")) {
        enable({"Label14", "edtUsername", "Label15", "edtPassword", "edtSrvCer", "btnSrvCerBrowse"},
               true);
        enable({"cbxInnerEap", "edtClientCer", "btnClientCerBrowse", "edtClientPrivacyKey",
                "btnClientKeyBrowse"},
               false);
    } else if (item == QLatin1String("EAP-FAST") || item == QLatin1String("PEAP")) {
        enable({"cbxInnerEap", "Label14", "edtUsername", "Label15", "edtPassword"}, true);
        for (const char* name : kCertificateControls) enable({name}, false);
    }
}

QString howToConvertText() {
    return QStringLiteral(
        "1. Install OpenSSL from your distribution (the package openssl, for example\n"
        "   sudo apt install openssl or sudo dnf install openssl).\n"
        "2. $ openssl pkcs12 -in MYCERT.pfx -out MYCERT.pem -nodes\n"
        "3. $ openssl x509 -outform der -in MYCERT.pem -out MYCERT.der\n"
        "4. $ openssl rsa -inform PEM -outform DER -in MYCERT.pem -out MYCERT.key");
}

void ApProfileRules::onHowToConvertClicked() {
    app_.prompter().message(howToConvertText());
}

bool ApProfileRules::eventFilter(QObject* watched, QEvent* event) {
    auto* how = qobject_cast<QLabel*>(watched);
    if (how && how->objectName() == QLatin1String("lblHowToConvert")) {
        QFont font = how->font();
        switch (event->type()) {
            case QEvent::Enter:
            case QEvent::MouseMove:
                font.setUnderline(true);
                how->setFont(font);
                break;
            case QEvent::Leave:
                font.setUnderline(false);
                how->setFont(font);
                break;
            case QEvent::MouseButtonRelease:
                onHowToConvertClicked();
                return true;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

ApProfileRules* attachApProfileRules(AppContext& app, ConfigPage& page) {
    QWidget* sheet = page.control(QStringLiteral("TabSheet10"));
    return sheet ? new ApProfileRules(app, sheet) : nullptr;
}

}  // namespace m350::gui
