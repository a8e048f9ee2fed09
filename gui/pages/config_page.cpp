#include "gui/pages/config_page.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/config/config_file.h"
#include "core/config/config_read.h"
#include "core/link/link_operations.h"
#include "gui/app_context.h"
#include "gui/language_map.h"
#include "gui/pages/config_binding.h"
#include "gui/password_gate_prompt.h"
#include "gui/prompter.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

constexpr int kFtpTab = 6;
constexpr int kWirelessTab = m350::kPageWireless;

// Record texts are bytes; each byte is one character in the boxes.
QString fromBytes(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
std::string toBytes(const QString& s) {
    return s.toLatin1().toStdString();
}

QString fromText(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The boxes whose contents are secret, masked again after Read and Set.
constexpr const char* kSecretBoxes[] = {"edtFtpUser", "edtFtpPswd", "EditWiFiKey",
                                        "edtWiFiUsername", "edtWiFiPasswd"};

const FileDialogRequest kDcfDialog{QString(), QStringLiteral("*.dcf (*.dcf)"), QString(), QString(),
                                   QStringLiteral("dcf")};

}  // namespace

// The pages as the binding rules see them: controls found by object name.
class ConfigPage::View final : public ConfigFormView {
  public:
    explicit View(ConfigPage& page) : page_(page) {}

    std::string text(std::string_view control) const override {
        QWidget* w = find(control);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return toBytes(e->text());
        if (auto* l = qobject_cast<QLabel*>(w)) return toBytes(l->text());
        return {};
    }
    void setText(std::string_view control, std::string_view text) override {
        QWidget* w = find(control);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(fromBytes(text));
            e->setCursorPosition(0);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(fromBytes(text));
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
    QWidget* find(std::string_view control) const {
        return page_.control(
            QString::fromLatin1(control.data(), static_cast<qsizetype>(control.size())));
    }
    ConfigPage& page_;
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
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(8, 14, 8, 8);
    column->setSpacing(6);

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
    column->addLayout(buttons);

    configTabs_ = new QTabWidget(group);
    configTabs_->setObjectName(QStringLiteral("PageControl2"));
    column->addWidget(configTabs_, 1);
    auto addSheet = [this](const char* name, const char* caption) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString::fromLatin1(name));
        configTabs_->addTab(sheet, QString::fromLatin1(caption));
        return sheet;
    };
    tabSheet5_ = addSheet("TabSheet5", "Common");
    tabSheet6_ = addSheet("TabSheet6", "Z");
    tabSheet7_ = addSheet("TabSheet7", "D");
    tabSheet8_ = addSheet("TabSheet8", "RS-232");
    tabSheet9_ = addSheet("TabSheet9", "Wireless");
    tabSheet11_ = addSheet("TabSheet11", "Bluetooth");
    ftpUpdateTab_ = addSheet("tsFtpUpd", "FTP Update");
    tabSheet10_ = addSheet("TabSheet10", "WiFi AP");
    buildCommonPage();
    buildZPage();
    buildDPage();
    buildRs232Page();
    buildWirelessPage();
    buildBluetoothPage();
    buildFtpPage();

    connect(configTabs_, &QTabWidget::currentChanged, this, &ConfigPage::onConfigTabChanged);
    connect(&unit_, &RadioGroup::itemIndexChanged, this, &ConfigPage::onUnitClicked);
}

ConfigPage::~ConfigPage() = default;

bool ConfigPage::isPage(const QWidget* w) const {
    return w == group_ || w == tabSheet5_ || w == tabSheet6_ || w == tabSheet7_ ||
           w == tabSheet8_ || w == tabSheet9_ || w == tabSheet11_ || w == ftpUpdateTab_ ||
           w == tabSheet10_;
}

QWidget* ConfigPage::control(const QString& name) const {
    return group_->findChild<QWidget*>(name);
}

void ConfigPage::showDefaults() {
    record_.reset();
    showRecord(record_);
}

void ConfigPage::finishStartup() {
    // Taken out, not deleted: its controls stay children of PageControl2.
    configTabs_->removeTab(configTabs_->indexOf(tabSheet10_));
    tabSheet10_->hide();
    configTabs_->setCurrentIndex(0);
    configTabs_->setTabVisible(kFtpTab, false);
}

void ConfigPage::setReadEnabled(bool enabled) {
    readButton_->setEnabled(enabled);
}

void ConfigPage::markWirelessNotRead() {
    view_->setText("edtWiFiMac", kNoModuleMac);
    setMacNoModule(true);
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
}

void ConfigPage::showRecord(const m350::ConfigRecord& record) {
    gui::showRecord(record, inchChosen(), *view_);
    emit recordShown();
}

bool ConfigPage::inchChosen() const {
    return unit_.itemIndex() != 1;
}

QString ConfigPage::boxCaption(const QString& control) const {
    QWidget* box = this->control(control);
    for (QLabel* label : group_->findChildren<QLabel*>()) {
        if (box && label->buddy() == box) {
            QString caption = label->text().trimmed();
            while (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
            if (!caption.isEmpty()) return caption;
        }
    }
    return control;
}

bool ConfigPage::buildRecord(m350::ConfigRecord& record) {
    auto error = gui::buildRecord(*view_, inchChosen(), record);
    if (!error) return true;
    const QString control = fromText(error->control);
    app_.prompter().message(QStringLiteral("\"%1\" is not a valid number in \"%2\" (%3).")
                                .arg(fromBytes(error->text), boxCaption(control), control));
    if (QWidget* box = this->control(control); box && box->isVisible()) box->setFocus();
    return false;
}

void ConfigPage::maskSecrets() {
    for (const char* name : kSecretBoxes)
        if (auto* e = qobject_cast<QLineEdit*>(control(QString::fromLatin1(name))))
            e->setEchoMode(QLineEdit::Password);
}

void ConfigPage::onReadClicked() {
    readButton_->setEnabled(false);
    maskSecrets();
    m350::ConfigRecord scratch;
    scratch.reset();
    app_.runStandard(
        m350::kOpReadConfig, [&](m350::Link& l) { return m350::readConfig(l, scratch); },
        [&] { replaceRecord(scratch); }, true);
    readButton_->setEnabled(true);
}

void ConfigPage::onClearClicked() {
    record_.reset();
    showRecord(record_);
}

void ConfigPage::onConfigSetClicked() {
    m350::ConfigRecord working = record_;
    if (!passwordGate(app_)) return;
    if (wirelessRules.keyCheck && !wirelessRules.keyCheck()) return;
    if (!buildRecord(working)) return;
    const CertificateChoice chosen = certificatesFromForm(*view_);
    if (chosen.taken) certificates_ = {chosen.caCert, chosen.clientCert, chosen.privateKey};

    const int page = configTabs_->currentIndex();
    // The wireless page also sends its certificate files and takes their
    // names back into the working record; other pages send no files.
    const m350::CertificatePaths files =
        page == m350::kPageWireless ? certificates_ : m350::CertificatePaths{};
    app_.runStandard(m350::kOpWriteConfig,
                     [&](m350::Link& l) { return m350::writeConfig(l, working, page, files); });
    maskSecrets();
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
    record_ = built;

    m350::ConfigFileContents contents;
    contents.unit = inchChosen() ? 0 : 1;
    contents.record = record_;
    contents.statusFlags = statusFlags_;
    std::string why;
    const auto result = m350::saveConfigFile(path.toStdString(), contents, &why);
    if (result != m350::ConfigFileResult::kOk)
        app_.prompter().message(fromText(m350::configFileResultText(result)) +
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
        QString text = fromText(m350::configFileResultText(result));
        if (result == m350::ConfigFileResult::kDataError && !why.empty())
            text += QStringLiteral(": ") + QString::fromStdString(why);
        else if (result != m350::ConfigFileResult::kDataError)
            text += QStringLiteral("\n") + (why.empty() ? path : QString::fromStdString(why));
        app_.prompter().message(text);
        return;
    }
    unit_.setItemIndex(contents.unit == 1 ? 1 : 0);
    onUnitClicked();
    emit statusLoaded(contents.statusFlags);
    // The file's values live in the controls only; the form record (and its
    // resolution, which Set converts with) stays the last read's.
    showRecord(contents.record);
}

void ConfigPage::onUnitClicked() {
    const int index = unit_.itemIndex();
    const QString unit = unit_.itemText(index < 0 ? 0 : index);
    for (const char* name : kMainUnitLabels)
        if (auto* l = qobject_cast<QLabel*>(control(QString::fromLatin1(name)))) l->setText(unit);
}

void ConfigPage::onConfigTabChanged(int index) {
    if (wirelessRules.pageChange) wirelessRules.pageChange();
    index = configTabs_->currentIndex();
    configSetButton_->setEnabled(!(index == kWirelessTab && macNoModule_));
}

}  // namespace m350::gui
