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

#include "gui/prompter.h"
#include "gui/startup_options.h"
#include "core/link/link_context.h"
#include "core/link/link_operations.h"
#include "core/printer/status.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace m350 {
class Port;
}

namespace m350::gui {

// What the window takes from its surroundings; tests replace each part.
class RadioGroup;
class ProgressDialogSink;
class ConfigPage;
class FileManagerPage;
class FontManagerPage;
class CommandToolPage;

struct MainWindowSeams {
    m350::gui::Prompter* prompter = nullptr;    // null: the desktop's boxes and dialogs
    std::function<QSize()> screenSize;       // null: the primary screen's size
    m350::ProgressSink* progress = nullptr;  // null: ProgressDialog
    // Null: the real ports.
    std::function<std::unique_ptr<m350::Port>(m350::LinkContext&, int iface)> makePort;
    std::function<void(int ms)> sleep;  // null: real pauses that keep painting
};

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 739;
    static constexpr int kClientHeight = 603;

    explicit MainWindow(const m350::gui::StartupOptions& options = {}, MainWindowSeams seams = {},
                       QWidget* parent = nullptr);
    ~MainWindow() override;

    // Top level.
    QGroupBox* GroupBoxLanguage;
    QComboBox* ComboBoxLanguage;
    m350::gui::RadioGroup* RadioGroupUnit;
    QGroupBox* GroupBoxInterFace;
    QComboBox* ComboBoxInterFace;
    QPushButton* ButtonInterFace;
    QLabel* Image1;
    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3, *TabSheet4;
    QScrollBar* ScrollBar1;
    QStatusBar* StatusBar1;
    QTimer* Timer1;
    QLabel *Label6, *Label8;

    // "Printer Configuration" page: status, configuration frame, functions.
    QGroupBox* GroupBoxPrinterStatus;
    QLineEdit* EditPrinterStatus;
    QPushButton* ButtonGetStatus;
    QGroupBox* GroupBoxPrintreConfig;
    QGroupBox* GroupBoxPrinterFunction;
    QPushButton *ButtonInitial, *ButtonDump, *ButtonSelfTest, *ButtonRTCSetTime,
        *ButtonSensorCalibrate, *ButtonRestPrinter, *ButtonTestPatern, *ButtonIgnoreAuto,
        *ButtonEthernet, *ButtonPassword, *ButtonLineModeOut, *ButtonActEmulation;

    // Page contents, each in its own file.
    ConfigPage* configPage = nullptr;            // GroupBoxPrintreConfig, PageControl2
    FileManagerPage* fileManagerPage = nullptr;  // TabSheet2
    FontManagerPage* fontManagerPage = nullptr;  // TabSheet3
    CommandToolPage* commandToolPage = nullptr;  // TabSheet4

    // Records and services for the pages and dialogs.
    m350::PortSettings& portSettings() { return settings_; }
    m350::LinkContext& link() { return link_; }
    m350::gui::Prompter& prompter() { return *prompter_; }
    m350::StatusFlags& statusFlags() { return statusFlags_; }
    int interfaceIndex() const;
    int currentLanguage() const { return language_; }
    void setCurrentLanguage(int language) { language_ = language; }
    const QString& startupDirectory() const { return startupDirectory_; }
    QSize screenSize() const;
    QString panelText(int panel) const;

    // Runs a link operation on the selected interface with the standard call
    // pattern; onSuccess runs before the window is enabled again.
    int runStandard(std::uint32_t op, const m350::OperationCall& call,
                    const std::function<void()>& onSuccess = {}, bool withProgress = false);
    // Where the dialogs of the function buttons open: a third of the window's
    // width and height from its top-left corner.
    QPoint dialogPlace() const;

  public slots:
    void ComboBoxLanguageChange(int index);
    void ComboBoxInterFaceChange(int index);
    void ButtonInterFaceClick();
    void Timer1Timer();
    void ScrollBar1Change(int position);
    void refreshPortStatus();

    void ButtonGetStatusClick();
    void showPrinterStatus(const m350::StatusFlags& flags);

    void ButtonInitialClick();
    void ButtonDumpClick();
    void ButtonSelfTestClick();
    void ButtonRTCSetTimeClick();
    void ButtonSensorCalibrateClick();
    void ButtonRestPrinterClick();
    void ButtonTestPaternClick();
    void ButtonIgnoreAutoClick();
    void ButtonEthernetClick();
    void ButtonPasswordClick();
    void ButtonLineModeOutClick();
    void ButtonActEmulationClick();

  protected:
    // The silent start-up exchange: connection test, exit line mode, then
    // the configuration read into a scratch record.
    void firstContact();

  private:
    void buildTopLevel();
    void buildPrinterPage();
    void buildFunctionGroup();
    void fitToScreen();
    void centreOnScreen();
    void applyStartupPorts(const m350::gui::StartupOptions& options);

    m350::PortSettings settings_;
    m350::LinkContext link_;
    std::unique_ptr<m350::gui::Prompter> ownPrompter_;
    m350::gui::Prompter* prompter_ = nullptr;
    std::unique_ptr<m350::gui::ProgressDialogSink> ownProgress_;
    std::function<QSize()> screenSize_;
    m350::StatusFlags statusFlags_{};
    int language_ = 0;
    QString startupDirectory_;
    QLabel* panels_[4] = {};
};

}  // namespace m350::gui
