// Contents of the "Printer Configuration" group on the first page: the
// configuration buttons, the printer information box and PageControl2 with
// the configuration sub-pages.
#pragma once

#include <QObject>

class QGroupBox;
class QPushButton;
class QTabWidget;
class QWidget;
class TFormMain;

class ConfigPage : public QObject {
    Q_OBJECT
  public:
    ConfigPage(TFormMain& main, QGroupBox* GroupBoxPrintreConfig);

    QPushButton *ButtonRead, *ButtonClear, *ButtonConfigSet, *ButtonSave, *ButtonLoad;
    QGroupBox* GroupBoxPrinterInfo;
    QTabWidget* PageControl2;
    // Sub-pages by tab index: 0 Common, 1 Z, 2 D, 3 RS-232, 4 Wireless,
    // 5 Bluetooth, 6 FTP Update (tab hidden); WiFi AP is taken out at start.
    QWidget *TabSheet5, *TabSheet6, *TabSheet7, *TabSheet8, *TabSheet9, *TabSheet11, *tsFtpUpd,
        *TabSheet10;

    // Start-up: show the default configuration record.
    void ShowDefaults();
    // End of start-up: first sub-page selected, FTP tab hidden, WiFi AP page
    // out of the page control.
    void FinishStartup();
    // Read is possible on every interface but the parallel port.
    void SetReadEnabled(bool enabled);
    // After a printer reset: the wireless module's state is unknown.
    void MarkWirelessNotRead();

  private:
    TFormMain& main_;
};
