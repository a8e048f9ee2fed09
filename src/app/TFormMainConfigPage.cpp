#include "app/TFormMainConfigPage.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>

#include "app/FormKit.h"
#include "app/TFormMain.h"

using m350ui::NewButton;

namespace {
constexpr int kFtpTab = 6;
}

ConfigPage::ConfigPage(TFormMain& main, QGroupBox* group) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("ConfigPage"));
    GroupBoxPrinterInfo =
        m350ui::NewGroup(group, "GroupBoxPrinterInfo", "Printer Information", 8, 16, 546, 70);
    ButtonRead = NewButton(group, "ButtonRead", "Read", 8, 92);
    ButtonClear = NewButton(group, "ButtonClear", "Clear", 88, 92);
    ButtonConfigSet = NewButton(group, "ButtonConfigSet", "Set", 168, 92);
    ButtonSave = NewButton(group, "ButtonSave", "Save", 248, 92);
    ButtonLoad = NewButton(group, "ButtonLoad", "Load", 328, 92);

    PageControl2 = m350ui::Place(new QTabWidget(group), "PageControl2", 8, 122, 546, 372);
    auto addSheet = [this](const char* name, const char* caption) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString::fromLatin1(name));
        PageControl2->addTab(sheet, QString::fromLatin1(caption));
        return sheet;
    };
    TabSheet5 = addSheet("TabSheet5", "Common");
    TabSheet6 = addSheet("TabSheet6", "Z");
    TabSheet7 = addSheet("TabSheet7", "D");
    TabSheet8 = addSheet("TabSheet8", "RS-232");
    TabSheet9 = addSheet("TabSheet9", "Wireless");
    TabSheet11 = addSheet("TabSheet11", "Bluetooth");
    tsFtpUpd = addSheet("tsFtpUpd", "FTP Update");
    TabSheet10 = addSheet("TabSheet10", "WiFi AP");
}

void ConfigPage::ShowDefaults() {}

void ConfigPage::FinishStartup() {
    // Taken out, not deleted: its controls stay children of PageControl2.
    PageControl2->removeTab(PageControl2->indexOf(TabSheet10));
    TabSheet10->hide();
    PageControl2->setCurrentIndex(0);
    PageControl2->setTabVisible(kFtpTab, false);
}

void ConfigPage::SetReadEnabled(bool enabled) {
    ButtonRead->setEnabled(enabled);
}

void ConfigPage::MarkWirelessNotRead() {
    if (auto* mac = TabSheet9->findChild<QLineEdit*>(QStringLiteral("edtWiFiMac"))) {
        mac->setText(QStringLiteral("00:00:00:00:00:00"));
        QPalette p = mac->palette();
        p.setColor(QPalette::Text, main_.palette().color(QPalette::Window));
        p.setColor(QPalette::Base, Qt::red);
        mac->setPalette(p);
    }
    if (auto* b = TabSheet9->findChild<QPushButton*>(QStringLiteral("btnWirlessFactoryDef")))
        b->setEnabled(false);
    if (PageControl2->currentWidget() == TabSheet9) ButtonConfigSet->setEnabled(false);
}
