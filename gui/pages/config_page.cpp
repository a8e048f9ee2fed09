// SPDX-License-Identifier: MIT
#include "gui/pages/config_page.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/config/config_diff.h"
#include "core/config/config_file.h"
#include "core/config/config_read.h"
#include "core/i18n/language_table.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"
#include "gui/app_context.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/language_map.h"
#include "gui/pages/config_binding.h"
#include "gui/pages/config_page_kit.h"
#include "gui/pages/unsent_edits.h"
#include "gui/password_gate_prompt.h"
#include "gui/prompter.h"
#include "gui/widgets/classic_style.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

constexpr int kFtpTab = 6;
constexpr int kWirelessTab = m350::kPageWireless;

// Printer bytes as the boxes show them, in the printer text encoding; a byte
// the encoding does not define shows as U+FFFD.
QString fromBytes(std::string_view s, std::string_view encoding) {
    return utf8Text(m350::decodeText(s, encoding));
}

// What Clear empties besides showing the reset record: every box that holds
// a key, a password, a user name or a PIN, so no secret of the last printer
// stays in the form for a Save to write.
constexpr const char* kClearedSecrets[] = {"EditWiFiKey",   "edtWiFiUsername", "edtWiFiPasswd",
                                           "EditBTPinCode", "edtFtpUser",      "edtFtpPswd",
                                           "edtExWiFiKey",  "edtExBTPinCode"};

// Local file paths, not printer texts: in the file system's encoding.
bool isLocalPath(const QString& control) {
    return control == QLatin1String("edtWiFiSrvCerPath") ||
           control == QLatin1String("edtWiFiClientCerPath") ||
           control == QLatin1String("edtWiFiPrivKeyPath");
}

// What the operator can change on a tab: boxes that take typing, the path
// boxes the browse buttons fill, lists and check boxes.
bool operatorBox(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) {
        const QWidget* owner = e->parentWidget();
        if (qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner))
            return false;
        return !e->isReadOnly() || isLocalPath(e->objectName());
    }
    if (qobject_cast<const QComboBox*>(w)) return true;
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->isCheckable();
    return false;
}

const FileDialogRequest kDcfDialog{QString(), QStringLiteral("*.dcf (*.dcf)"), QString(), QString(),
                                   QStringLiteral("dcf")};

}  // namespace

// The pages as the binding rules see them: controls found by object name.
// Each box remembers the printer bytes it was filled with and the text they
// showed as; while it still shows that text it gives back those bytes, so a
// box the operator leaves alone returns exactly what was read, whatever the
// encoding makes of it.
class ConfigPage::View final : public ConfigFormView {
  public:
    explicit View(ConfigPage& page) : page_(page) {}

    std::string text(std::string_view control) const override {
        const QString name = nameOf(control);
        const QString now = shownText(page_.control(name));
        if (auto it = filled_.find(name); it != filled_.end() && it->second.shown == now)
            return it->second.bytes;
        if (isLocalPath(name)) return QFile::encodeName(now).toStdString();
        const QByteArray utf8 = now.toUtf8();
        // A text the encoding cannot hold has been refused (unheldCharacter)
        // before anything is sent or saved.
        return m350::encodeText(std::string_view(utf8.constData(), utf8.size()),
                                page_.app_.textEncoding())
            .value_or(utf8.toStdString());
    }
    std::optional<std::string> unheldCharacter(std::string_view control) const override {
        const QString name = nameOf(control);
        const QString now = shownText(page_.control(name));
        if (isLocalPath(name)) return std::nullopt;
        if (auto it = filled_.find(name); it != filled_.end() && it->second.shown == now)
            return std::nullopt;
        const QByteArray utf8 = now.toUtf8();
        std::string unheld;
        if (m350::encodeText(std::string_view(utf8.constData(), utf8.size()),
                             page_.app_.textEncoding(), &unheld))
            return std::nullopt;
        return unheld.empty() ? std::string("?") : unheld;
    }
    bool changed(std::string_view control) const override {
        const QString name = nameOf(control);
        auto it = filled_.find(name);
        return it == filled_.end() || it->second.shown != shownText(page_.control(name));
    }
    void setText(std::string_view control, std::string_view text) override {
        const QString name = nameOf(control);
        QWidget* w = page_.control(name);
        if (!show(w, fromBytes(text, page_.app_.textEncoding()))) return;
        filled_[name] = {std::string(text), shownText(w)};
    }
    // The printer text encoding changed: boxes the operator has not changed
    // show their bytes anew; typed ones keep what was typed.
    void redecode() {
        const std::string encoding = page_.app_.textEncoding();
        for (auto& [name, filled] : filled_) {
            QWidget* w = page_.control(name);
            if (shownText(w) != filled.shown) continue;
            show(w, fromBytes(filled.bytes, encoding));
            filled.shown = shownText(w);
        }
    }
    int item(std::string_view control) const override {
        auto* c = qobject_cast<QComboBox*>(find(control));
        return c ? c->currentIndex() : -1;
    }
    void setItem(std::string_view control, int item) override {
        if (auto* c = qobject_cast<QComboBox*>(find(control)))
            c->setCurrentIndex(item >= 0 && item < c->count() ? item : -1);
    }
    // Shown on its page: the control and every group up to the page are not
    // hidden. Whether the page itself is on top does not count.
    bool visible(std::string_view control) const override {
        QWidget* w = find(control);
        if (!w) return false;
        for (; w && !page_.isPage(w); w = w->parentWidget())
            if (w->isHidden()) return false;
        return true;
    }
    void setVisible(std::string_view control, bool visible) override {
        if (QWidget* w = find(control)) w->setVisible(visible);
    }
    void setEnabled(std::string_view control, bool enabled) override {
        if (QWidget* w = find(control)) w->setEnabled(enabled);
    }
    void setMacNoModule(bool noModule) override { page_.setMacNoModule(noModule); }
    void encryptionChanged() override {
        if (page_.wirelessRules.encryptionChange) page_.wirelessRules.encryptionChange();
    }
    void eapTypeChanged() override {
        if (page_.wirelessRules.eapTypeChange) page_.wirelessRules.eapTypeChange();
    }

  private:
    struct Filled {
        std::string bytes;  // as the record holds them
        QString shown;      // what the box showed for them
    };

    static QString nameOf(std::string_view control) {
        return QString::fromLatin1(control.data(), static_cast<qsizetype>(control.size()));
    }
    static QString shownText(const QWidget* w) {
        if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
        if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
        return {};
    }
    // A long value shows from its start.
    static bool show(QWidget* w, const QString& text) {
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(text);
            e->setCursorPosition(0);
            return true;
        }
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
            return true;
        }
        return false;
    }
    QWidget* find(std::string_view control) const { return page_.control(nameOf(control)); }

    ConfigPage& page_;
    std::map<QString, Filled> filled_;
};

ConfigPage::ConfigPage(AppContext& app, QGroupBox* group, RadioGroup& unit,
                       const m350::StatusFlags& statusFlags, QString directory)
    : QObject(group),
      app_(app),
      unit_(unit),
      statusFlags_(statusFlags),
      directory_(std::move(directory)),
      group_(group),
      view_(std::make_unique<View>(*this)) {
    setObjectName(QStringLiteral("ConfigPage"));
    // Tight around the group's caption and between the parts: the
    // configuration tabs below take every pixel left of the group's height.
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(8, 0, 8, 6);
    column->setSpacing(4);
    new configkit::BelowCaption(group);

    printerInfoGroup_ = new QGroupBox(QStringLiteral("Printer Information"), group);
    printerInfoGroup_->setObjectName(QStringLiteral("GroupBoxPrinterInfo"));
    column->addWidget(printerInfoGroup_);
    buildInfoBox();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    auto button = [&](const char* name, const char* caption, void (ConfigPage::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), group);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(75);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    readButton_ = button("ButtonRead", "Read", &ConfigPage::onReadClicked);
    clearButton_ = button("ButtonClear", "Clear", &ConfigPage::onClearClicked);
    configSetButton_ = button("ButtonConfigSet", "Set", &ConfigPage::onConfigSetClicked);
    saveButton_ = button("ButtonSave", "Save", &ConfigPage::onSaveClicked);
    loadButton_ = button("ButtonLoad", "Load", &ConfigPage::onLoadClicked);
    buttons->addStretch(1);
    buttons->addWidget(buildTextEncodingButton());
    column->addLayout(buttons);
    // Set reads the page back and names the settings the printer did not
    // take. The box sits beside the page tabs, where it takes no width from
    // the buttons and no height from the pages.
    verifySetBox_ = new QCheckBox(QStringLiteral("Verify"), group);
    verifySetBox_->setObjectName(QStringLiteral("CheckBoxVerifySet"));
    verifySetBox_->setToolTip(
        QStringLiteral("After Set, read the settings back and report those the printer did "
                       "not take"));

    configTabs_ = new QTabWidget(group);
    configTabs_->setObjectName(QStringLiteral("PageControl2"));
    configTabs_->setCornerWidget(verifySetBox_, Qt::TopRightCorner);
    // Every tab stays in view beside the box in every language.
    auto* tabStyle = new SnugTabStyle;
    tabStyle->setParent(configTabs_);
    configTabs_->tabBar()->setStyle(tabStyle);
    column->addWidget(configTabs_, 1);
    auto addSheet = [this](const char* name, const char* caption) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString::fromLatin1(name));
        configTabs_->addTab(sheet, QString::fromLatin1(caption));
        return sheet;
    };
    commonTab_ = addSheet("TabSheet5", "Common");
    zTab_ = addSheet("TabSheet6", "Z");
    dTab_ = addSheet("TabSheet7", "D");
    rs232Tab_ = addSheet("TabSheet8", "RS-232");
    wirelessTab_ = addSheet("TabSheet9", "Wireless");
    bluetoothTab_ = addSheet("TabSheet11", "Bluetooth");
    ftpUpdateTab_ = addSheet("tsFtpUpd", "FTP Update");
    wifiApTab_ = addSheet("TabSheet10", "WiFi AP");
    buildCommonPage();
    buildZPage();
    buildDPage();
    buildRs232Page();
    buildWirelessPage();
    buildBluetoothPage();
    buildFtpPage();
    // Number boxes take what a number of their range can be typed with,
    // without a length limit that would cut it.
    for (QLineEdit* e : group_->findChildren<QLineEdit*>()) {
        const QByteArray name = e->objectName().toLatin1();
        if (auto rule = numberRuleOf(std::string_view(name.constData(), name.size()), true))
            numberTyping(e, rule->min < 0, rule->integer);
    }

    connect(configTabs_, &QTabWidget::currentChanged, this, &ConfigPage::onConfigTabChanged);
    connect(&unit_, &RadioGroup::itemIndexChanged, this, &ConfigPage::onUnitClicked);
    unsent_ = new UnsentEdits(configTabs_, operatorBox);
    refreshUnsentMarks();
}

ConfigPage::~ConfigPage() = default;

bool ConfigPage::isPage(const QWidget* w) const {
    return w == group_ || w == commonTab_ || w == zTab_ || w == dTab_ || w == rs232Tab_ ||
           w == wirelessTab_ || w == bluetoothTab_ || w == ftpUpdateTab_ || w == wifiApTab_;
}

QWidget* ConfigPage::control(const QString& name) const {
    return group_->findChild<QWidget*>(name);
}

void ConfigPage::showDefaults() {
    record_.reset();
    showRecord(record_);
    unsent_->markAllSent();
}

void ConfigPage::programChange(const std::function<void()>& change) {
    unsent_->programChange(change);
}

void ConfigPage::refreshUnsentMarks() {
    unsent_->setMarkTip(ownTr("Changes not sent to the printer", app_.language()));
}

bool ConfigPage::confirmUnsent(const QList<int>& tabs, const QString& question) {
    if (tabs.isEmpty()) return true;
    return app_.prompter().confirm(question.arg(unsent_->tabNames(tabs)));
}

bool ConfigPage::confirmClosing() {
    const int lang = app_.language();
    return confirmUnsent(unsent_->changedTabs(),
                         ownTr("Closing loses the unsent changes on: %1. Close anyway?", lang));
}

void ConfigPage::finishStartup() {
    // Taken out, not deleted: its controls stay children of PageControl2.
    configTabs_->removeTab(configTabs_->indexOf(wifiApTab_));
    wifiApTab_->hide();
    configTabs_->setCurrentIndex(0);
    configTabs_->setTabVisible(kFtpTab, false);
    // What start-up showed (the defaults or the printer's values, in the
    // interface language) is where the operator's changes start from.
    unsent_->markAllSent();
    refreshUnsentMarks();
}

void ConfigPage::setReadEnabled(bool enabled) {
    readButton_->setEnabled(enabled);
}

void ConfigPage::markWirelessNotRead() {
    view_->setText("edtWiFiMac", kNoModuleMac);
    setMacNoModule(true);
}

void ConfigPage::showWirelessNoModule() {
    setMacNoModule(true);
}

QToolButton* ConfigPage::buildTextEncodingButton() {
    // A small menu at the end of the button row: which encoding the printer
    // texts on these pages are read and typed in.
    textEncodingButton_ = new QToolButton(group_);
    textEncodingButton_->setObjectName(QStringLiteral("ToolButtonTextEncoding"));
    textEncodingButton_->setPopupMode(QToolButton::InstantPopup);
    textEncodingButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    textEncodingButton_->setToolTip(QStringLiteral("Printer text encoding"));
    auto* menu = new QMenu(textEncodingButton_);
    menu->setObjectName(QStringLiteral("MenuTextEncoding"));
    textEncodingChoices_ = new QActionGroup(menu);
    auto add = [&](const QString& name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QStringLiteral("ActionTextEncoding") +
                         (name.isEmpty() ? QStringLiteral("Language") : name));
        a->setData(name);
        a->setCheckable(true);
        textEncodingChoices_->addAction(a);
        connect(a, &QAction::triggered, this, [this, name] { chooseTextEncoding(name); });
        return a;
    };
    add(QString(), QString())->setChecked(true);
    menu->addSeparator();
    for (std::string_view name : m350::offeredTextEncodings()) add(utf8Text(name), utf8Text(name));
    textEncodingButton_->setMenu(menu);
    refreshTextEncoding();
    return textEncodingButton_;
}

void ConfigPage::chooseTextEncoding(const QString& name) {
    app_.setTextEncodingChoice(name.toStdString());
    refreshTextEncoding();
    emit textEncodingChosen(name);
}

void ConfigPage::refreshTextEncoding() {
    const QString current = utf8Text(app_.textEncoding());
    const QString choice = utf8Text(app_.textEncodingChoice());
    if (textEncodingButton_) {
        textEncodingButton_->setText(current);
        // The caption and the menu arrow beside it, whatever the name.
        textEncodingButton_->setMinimumWidth(
            textEncodingButton_->fontMetrics().horizontalAdvance(textEncodingButton_->text()) + 32);
        for (QAction* a : textEncodingChoices_->actions()) {
            const QString name = a->data().toString();
            if (name.isEmpty())
                a->setText(ownTr("Interface language (%1)", app_.language())
                               .arg(utf8Text(m350::defaultTextEncoding(app_.language()))));
            a->setChecked(name == choice);
        }
    }
    if (unsent_)
        unsent_->programChange([this] { view_->redecode(); });
    else
        view_->redecode();
}

std::string ConfigPage::boxBytes(const QString& name) const {
    return view_->text(std::string_view(name.toLatin1().constData()));
}

void ConfigPage::setMacNoModule(bool noModule) {
    macNoModule_ = noModule;
    if (auto* mac = qobject_cast<QLineEdit*>(control(QStringLiteral("edtWiFiMac")))) {
        if (noModule) {
            QPalette p = mac->palette();
            p.setColor(QPalette::Base, Qt::red);
            p.setColor(QPalette::Text, group_->palette().color(QPalette::Window));
            mac->setPalette(p);
        } else {
            mac->setPalette(QPalette());
        }
    }
    if (auto* b = control(QStringLiteral("btnWirlessFactoryDef"))) b->setEnabled(!noModule);
    if (!noModule) {
        configSetButton_->setEnabled(true);
    } else if (configTabs_->currentIndex() == kWirelessTab) {
        configSetButton_->setEnabled(false);
    }
}

void ConfigPage::replaceRecord(const m350::ConfigRecord& record) {
    record_ = record;
    showRecord(record_);
    unsent_->markAllSent();
}

void ConfigPage::showRecord(const m350::ConfigRecord& record) {
    shownInch_ = inchChosen();
    gui::showRecord(record, shownInch_, *view_, &lengths_);
    emit recordShown();
}

bool ConfigPage::inchChosen() const {
    return unit_.itemIndex() != 1;
}

QString ConfigPage::boxCaption(const QString& control) const {
    QWidget* box = this->control(control);
    if (!box) return control;
    // The caption of the row: the label whose buddy the box is, or the one
    // the row names for the boxes beside the first.
    QLabel* caption = nullptr;
    const QString named = box->property("m350CaptionLabel").toString();
    if (!named.isEmpty()) caption = group_->findChild<QLabel*>(named);
    for (QLabel* label : group_->findChildren<QLabel*>()) {
        if (caption) break;
        if (label->buddy() == box) caption = label;
    }
    const QString text = captionText(caption);
    return text.isEmpty() ? control : text;
}

namespace {

QString fieldMessage(const m350::gui::BuildError& error, const QString& caption,
                     const QString& shown, int language, const std::string& textEncoding) {
    const QString encoding = utf8Text(textEncoding);
    using Reason = m350::gui::BuildError::Reason;
    switch (error.reason) {
        case Reason::kNotANumber:
            return notANumberMessage(caption, shown, language);
        case Reason::kUnheldCharacter:
            return ownTr("\"%1\" holds \"%2\", which the printer text encoding %3 cannot hold.",
                         language)
                .arg(caption, utf8Text(error.detail), encoding);
        case Reason::kTooLong:
            return ownTr("\"%1\" is longer than the printer keeps: at most %2 bytes in %3.",
                         language)
                .arg(caption, utf8Text(error.detail), encoding);
        case Reason::kUnquotable:
            return unquotableMessage(caption, language);
        case Reason::kOutOfRange:
            return outOfRangeMessage(caption, error.low, error.high, shown, language);
        case Reason::kTooPrecise:
            return tooPreciseMessage(caption, std::stoi(error.detail), shown, language);
        case Reason::kEmpty:
            return emptyMessage(caption, language);
        case Reason::kNotAnAddress:
            return notAnAddressMessage(caption, shown, language);
    }
    return caption;
}

}  // namespace

bool ConfigPage::buildRecord(m350::ConfigRecord& record) {
    auto error = gui::buildRecord(*view_, inchChosen(), record, &lengths_);
    if (!error) return true;
    const QString control = utf8Text(error->control);
    const std::string encoding = app_.textEncoding();
    app_.prompter().message(fieldMessage(
        *error, boxCaption(control), fromBytes(error->text, encoding), app_.language(), encoding));
    if (QWidget* box = this->control(control); box && box->isVisible()) box->setFocus();
    return false;
}

void ConfigPage::maskSecrets() {
    for (const char* name : kSecretBoxes)
        if (auto* e = qobject_cast<QLineEdit*>(control(QString::fromLatin1(name))))
            e->setEchoMode(QLineEdit::Password);
}

void ConfigPage::onReadClicked() {
    const int lang = app_.language();
    if (!confirmUnsent(unsent_->changedTabs(),
                       ownTr("Reading replaces the unsent changes on: %1. Read anyway?", lang)))
        return;
    readButton_->setEnabled(false);
    maskSecrets();
    m350::ConfigRecord scratch;
    scratch.reset();
    app_.runStandard(ops::readConfigShown(scratch), [&] { replaceRecord(scratch); });
    readButton_->setEnabled(true);
}

void ConfigPage::onClearClicked() {
    record_.reset();
    showRecord(record_);
    for (const char* name : kClearedSecrets) view_->setText(name, "");
    // The key went with the last printer, and so does the security it was
    // for: the key check that guards every Set follows this choice.
    view_->setItem("ComboBoxWiFiEncryption", 0);
    view_->setItem("cbxWiFiEapType", 0);
    unsent_->markAllSent();
}

void ConfigPage::onConfigSetClicked() {
    // Only the tab on top is written: changes on the others stay unsent.
    const int page = configTabs_->currentIndex();
    QList<int> others = unsent_->changedTabs();
    others.removeAll(page);
    const int lang = app_.language();
    if (!confirmUnsent(
            others, ownTr("Only this tab is sent. Unsent changes stay on: %1. Send anyway?", lang)))
        return;
    m350::ConfigRecord working = record_;
    // What the boxes hold is checked before the password is asked for: a
    // value that cannot be sent is named at once and nothing goes out.
    if (wirelessRules.keyCheck && !wirelessRules.keyCheck()) return;
    if (!buildRecord(working)) return;
    if (!passwordGate(app_)) return;
    const CertificateChoice chosen = certificatesFromForm(*view_);
    if (chosen.taken) certificates_ = {chosen.caCert, chosen.clientCert, chosen.privateKey};

    // The wireless page also sends its certificate files and takes their
    // names back into the working record; other pages send no files.
    const m350::CertificatePaths files =
        page == m350::kPageWireless ? certificates_ : m350::CertificatePaths{};
    const int written = app_.runStandard(ops::writeConfig(working, page, files));
    if (written == m350::kOk) unsent_->markTabSent(page);
    if (written == m350::kOk && verifySetBox_->isChecked()) verifyWrittenPage(working, page);
    maskSecrets();
}

void ConfigPage::verifyWrittenPage(const m350::ConfigRecord& written, int page) {
    m350::ConfigRecord back;
    back.reset();
    if (app_.runStandard(ops::readConfig(back)) != m350::kOk) return;
    const bool inch = written.byte(m350::Field::inchUnits) != 0;
    const auto diffs = m350::diffConfig(written, back, m350::fieldsWrittenBy(written, page), inch);
    if (diffs.empty()) {
        app_.prompter().message(
            ownTr("The printer took every setting of this page.", app_.language()));
        return;
    }
    const int lang = app_.language();
    QString text =
        ownTr("The printer did not take %1 of the settings written:", lang).arg(diffs.size()) +
        QLatin1Char('\n');
    const std::string encoding = app_.textEncoding();
    for (const auto& d : diffs) {
        auto value = [lang, &encoding](const std::optional<std::string>& v) {
            return v ? QStringLiteral("\"%1\"").arg(fromBytes(*v, encoding))
                     : ownTr("unknown", lang);
        };
        text += QLatin1Char('\n') +
                ownTr("%1: written %2, the printer reports %3", lang)
                    .arg(utf8Text(m350::fieldInfoOf(d.field).name), value(d.left), value(d.right));
    }
    app_.prompter().message(text);
}

void ConfigPage::onSaveClicked() {
    FileDialogRequest request = kDcfDialog;
    request.title = QStringLiteral("Save");
    request.directory = directory_;
    QString path = app_.prompter().saveFile(request);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dcf");

    // The record is built before anything touches the file: a bad entry
    // leaves both the form record and an existing file as they were.
    m350::ConfigRecord built = record_;
    if (!buildRecord(built)) return;
    // Save writes only what Load takes back: a typed '"' or control byte in a
    // text is refused here by the field's name, before anything changes. What
    // a printer reports passes (code-page bytes, values past a keyword table).
    if (const auto bad = m350::findInvalidField(built)) {
        app_.prompter().message(
            utf8Text(m350::configFileResultText(m350::ConfigFileResult::kDataError)) +
            QStringLiteral(": ") + utf8Text(*bad));
        return;
    }
    record_ = built;

    m350::ConfigFileContents contents;
    contents.unit = inchChosen() ? 0 : 1;
    contents.record = record_;
    contents.statusFlags = statusFlags_;
    std::string why;
    const auto result = m350::saveConfigFile(path.toStdString(), contents, &why);
    if (result != m350::ConfigFileResult::kOk)
        app_.prompter().message(utf8Text(m350::configFileResultText(result)) +
                                QStringLiteral("\n") + QString::fromStdString(why));
}

void ConfigPage::onLoadClicked() {
    FileDialogRequest request = kDcfDialog;
    request.title = QStringLiteral("Load");
    request.directory = directory_;
    request.defaultSuffix.clear();
    const QString path = app_.prompter().openFile(request);
    if (path.isEmpty()) return;

    m350::ConfigFileContents contents;
    std::string why;
    const auto result = m350::loadConfigFile(path.toStdString(), contents, &why);
    if (result != m350::ConfigFileResult::kOk) {
        // "File Data Error" names the field that is wrong; other failures say why.
        QString text = utf8Text(m350::configFileResultText(result));
        if (result == m350::ConfigFileResult::kDataError && !why.empty())
            text += QStringLiteral(": ") + QString::fromStdString(why);
        else if (result != m350::ConfigFileResult::kDataError)
            text += QStringLiteral("\n") + (why.empty() ? path : QString::fromStdString(why));
        app_.prompter().message(text);
        return;
    }
    const int lang = app_.language();
    if (!confirmUnsent(unsent_->changedTabs(),
                       ownTr("Loading replaces the unsent changes on: %1. Load anyway?", lang)))
        return;
    unit_.setItemIndex(contents.unit == 1 ? 1 : 0);
    loading_ = true;
    onUnitClicked();
    loading_ = false;
    emit statusLoaded(contents.statusFlags);
    // The file's values live in the controls only; the form record (and its
    // resolution, which Set converts with) stays the last read's.
    showRecord(contents.record);
}

void ConfigPage::onUnitClicked() {
    // The lengths typed and not sent are rewritten in the new unit.
    if (!loading_ && inchChosen() != shownInch_) {
        QList<int> tabs;
        for (std::string_view length : kLengthControls) {
            const QString name = utf8Text(length);
            if (!unsent_->changed(name)) continue;
            for (QWidget* w = control(name); w; w = w->parentWidget())
                if (const int i = configTabs_->indexOf(w); i >= 0 && !tabs.contains(i)) tabs << i;
        }
        std::sort(tabs.begin(), tabs.end());
        const int lang = app_.language();
        if (!confirmUnsent(
                tabs,
                ownTr("The new unit converts the unsent lengths on: %1. Change the unit?", lang))) {
            unit_.setItemIndex(shownInch_ ? 0 : 1);
            return;
        }
    }
    const int index = unit_.itemIndex();
    const QString unit = unit_.itemText(index < 0 ? 0 : index);
    for (const char* name : kMainUnitLabels)
        if (auto* l = qobject_cast<QLabel*>(control(QString::fromLatin1(name)))) l->setText(unit);
    // The lengths stay the same lengths: converted with the form record's
    // resolution, as Set would build them, not relabelled.
    if (inchChosen() != shownInch_) {
        unsent_->programChange([this] {
            m350::gui::convertLengths(*view_, record_, shownInch_, inchChosen(), lengths_);
        });
        shownInch_ = inchChosen();
    }
}

void ConfigPage::onConfigTabChanged(int index) {
    if (wirelessRules.pageChange) wirelessRules.pageChange();
    index = configTabs_->currentIndex();
    configSetButton_->setEnabled(!(index == kWirelessTab && macNoModule_));
}

}  // namespace m350::gui
