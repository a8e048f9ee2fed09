// SPDX-License-Identifier: MIT
// The main window: language, unit and interface selectors, the four pages,
// the status bar with its clock, and the first contact with the printer.
//
// The window owns the current port settings, the link context every
// operation runs with, the last status flags and the current language. Each
// page's contents live in their own class and file (MainWindow*Page.cpp); the
// window creates them on their TabSheets and calls their start-up steps.
#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/link/link_context.h"
#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/printer/clock.h"
#include "core/printer/status.h"
#include "gui/app_context.h"
#include "gui/network_seams.h"
#include "gui/prompter.h"
#include "gui/startup_options.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSettings;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace m350 {
class LinkTrace;
class Port;
class UsbBackend;
}  // namespace m350

namespace m350::gui {

// What the window takes from its surroundings; tests replace each part.
class RadioGroup;
class ProgressDialogSink;
class ConfigPage;
class FileManagerPage;
class FontManagerPage;
class CommandToolPage;
class RememberedSettings;

struct MainWindowSeams {
    Prompter* prompter = nullptr;            // null: the desktop's boxes and dialogs
    std::function<QSize()> screenSize;       // null: the primary screen's size
    m350::ProgressSink* progress = nullptr;  // null: ProgressDialog
    // The silent start-up contact runs once the window shows (after the
    // event loop starts) instead of inside the constructor; m350-utility
    // sets it, so the window appears at once even before a silent printer.
    bool contactAfterShow = false;
    // Null: the real ports.
    std::function<std::unique_ptr<m350::Port>(m350::LinkContext&, int iface)> makePort;
    std::function<void(int ms)> sleep;  // null: real pauses that keep painting
    // Shortens the link's time limits (tests of long waits); null: the defaults.
    std::function<void(m350::LinkTimeouts&)> timeouts;
    std::shared_ptr<m350::UsbBackend> usb;  // null: the system's USB bus
    // Where the window keeps what it remembers between runs (interface,
    // ports, unit, language, text encoding, the USB device named); null: the
    // user's settings of m350-utility.
    QSettings* settings = nullptr;
    // Where the command tool keeps its buffers and history between runs;
    // empty: the user's data folder of m350-utility.
    QString dataFolder;
    // Network utilities: UDP targets and the web page opener.
    NetworkSeams network;
    // The File Manager, Bitmap Font Manager and Command Tool pages are built
    // when first shown, so the window comes up sooner; true builds them at
    // the end of start-up (tests that reach their controls at once).
    bool buildAllPages = false;
    // The folder holding the installed manual (README.md); empty: the
    // package's documents folder beside the program (../share/doc/m350-utility).
    QString docFolder;
};

class MainWindow : public QWidget, public AppContext {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 739;
    static constexpr int kClientHeight = 603;

    explicit MainWindow(const StartupOptions& options = {}, MainWindowSeams seams = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the pages and dialogs see of the window.
    int runStandard(const m350::BoundOperation& op,
                    const std::function<void()>& onSuccess = {}) override;
    Prompter& prompter() override { return *prompter_; }
    int language() const override { return language_; }
    std::string textEncoding() const override;
    const std::string& textEncodingChoice() const override { return textEncodingChoice_; }
    void setTextEncodingChoice(std::string name) override { textEncodingChoice_ = std::move(name); }
    QPoint dialogPlace() const override;
    QWidget* dialogParent() override { return this; }
    int runQuiet(const m350::BoundOperation& op, int iface) override;

    // The records the window owns.
    m350::PortSettings& portSettings() { return settings_; }
    m350::LinkContext& link() override { return link_; }
    m350::StatusFlags& statusFlags() { return statusFlags_; }
    m350::NetSettings& netSettings() { return netSettings_; }
    int interfaceIndex() const override;
    void setLanguage(int language) { language_ = language; }
    const QString& startupDirectory() const { return startupDirectory_; }
    QSize screenSize() const;
    QString panelText(int panel) const;
    ConfigPage* configPage() const { return configPage_; }

  public slots:
    void onLanguageChanged(int index);
    void onInterfaceChanged(int index);
    void onInterfaceSetupClicked();
    void onClockTick();
    void onScrollBarChanged(int position);
    void refreshPortStatus();

    void onGetStatusClicked();
    void showPrinterStatus(const m350::StatusFlags& flags);

    void onFactoryDefaultClicked();
    void onDumpClicked();
    void onSelfTestClicked();
    void onClockSetupClicked();
    void onCalibrateSensorClicked();
    void onResetPrinterClicked();
    void onTestPageClicked();
    void onIgnoreAutoClicked();
    void onEthernetClicked();
    void onPasswordClicked();
    void onExitLineModeClicked();
    void onActiveEmulationClicked();

    // The keyboard's window-wide keys: Ctrl+Q closes the window as its close
    // button does, F5 reads on the shown page (Read, Get), F1 opens the
    // manual.
    void onRefreshKey();
    void openManual();
    void showAbout();

    // True while an exchange with the printer runs.
    bool operationRunning() const { return running_; }

  protected:
    // The silent start-up exchange: connection test, exit line mode, then
    // the configuration read into a scratch record.
    void firstContact();
    // Closing while an operation runs asks whether to cancel it; the window
    // closes when the cancelled operation has ended. Unsent changes on the
    // configuration tabs are lost only when the operator says so.
    void closeEvent(QCloseEvent* event) override;

  private:
    // Top level.
    QGroupBox* languageGroup_;
    QComboBox* languageCombo_;
    RadioGroup* unitRadio_;
    QGroupBox* interfaceGroup_;
    QComboBox* interfaceCombo_;
    QPushButton* interfaceButton_;
    QLabel* logo_;
    QTabWidget* pageTabs_;
    QWidget *printerSheet_, *fileManagerSheet_, *fontManagerSheet_, *commandToolSheet_;
    QScrollBar* scrollBar_;
    QStatusBar* statusBar_;
    QTimer* clockTimer_;
    QLabel *wlanAddressLabel_, *wlanDhcpLabel_;

    // "Printer Configuration" page: status, configuration frame, functions.
    QGroupBox* printerStatusGroup_;
    QLineEdit* printerStatusEdit_;
    QPushButton* getStatusButton_;
    QGroupBox* printerConfigGroup_;
    QGroupBox* printerFunctionGroup_;
    QPushButton *factoryDefaultButton_, *dumpButton_, *selfTestButton_, *clockSetupButton_,
        *sensorCalibrateButton_, *resetPrinterButton_, *testPageButton_, *ignoreAutoButton_,
        *ethernetButton_, *passwordButton_, *exitLineModeButton_, *activeEmulationButton_;

    // Page contents, each in its own file.
    ConfigPage* configPage_ = nullptr;            // GroupBoxPrintreConfig, PageControl2
    FileManagerPage* fileManagerPage_ = nullptr;  // TabSheet2
    FontManagerPage* fontManagerPage_ = nullptr;  // TabSheet3
    CommandToolPage* commandToolPage_ = nullptr;  // TabSheet4

    QString dataFolder_;  // the command tool's buffers and history

    QString docFolder_;

    void buildTopLevel();
    void installShortcuts();
    void buildPrinterPage();
    // The page of the tab at index, its start state and the window's
    // language, unless it was built before.
    void buildPage(int index);
    void buildFunctionGroup();
    void fitToScreen();
    void centreOnScreen();
    void applyStartupPorts(const StartupOptions& options);
    // --trace FILE: the link writes every byte there; a file that cannot be
    // written is said in a message box and the window runs without a trace.
    void openTrace(const std::string& path);
    // Runs one exchange unless one is running already (kBusy); the stop
    // token is cleared first. Every operation of the window passes here and
    // runs on a worker thread while this thread shows its progress
    // (runOnWorker).
    int exchange(const m350::BoundOperation& op, int iface);
    // After an exchange: a close asked for meanwhile is carried out.
    void afterExchange();

    m350::PortSettings settings_;
    m350::LinkContext link_;
    // Cancel (the progress window, closing the window) stops the operation
    // that runs through this token.
    m350::StopToken stop_;
    bool running_ = false;
    bool closeWhenDone_ = false;
    int standardCalls_ = 0;  // runStandard calls under way (their messages included)
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;
    std::unique_ptr<ProgressDialogSink> ownProgress_;
    std::function<QSize()> screenSize_;
    m350::StatusFlags statusFlags_{};
    m350::ClockValues clockRecord_{};  // the clock as last read or set
    // The Ethernet setup's record, kept between uses of its button.
    m350::NetSettings netSettings_;
    NetworkSeams network_;
    // The interface language and the printer text encoding chosen (empty:
    // the language's); nothing else in the program holds them.
    int language_ = 0;
    std::string textEncodingChoice_;
    QString startupDirectory_;
    QLabel* panels_[4] = {};
    std::unique_ptr<QSettings> ownStore_;
    QSettings* store_ = nullptr;
    std::unique_ptr<RememberedSettings> remembered_;
    std::unique_ptr<m350::LinkTrace> trace_;
};

}  // namespace m350::gui
