// SPDX-License-Identifier: MIT
#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "core/files/local_file.h"
#include "core/i18n/language_table.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"
#include "core/link/link_trace.h"
#include "core/transport/usb_printer_list.h"
#include "core/transport/usb_survey.h"
#include "gui/dialogs/lpt_setup_dialog.h"
#include "gui/dialogs/net_setup_dialog.h"
#include "gui/dialogs/progress_dialog.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/dialogs/usb_setup_dialog.h"
#include "gui/language_apply.h"
#include "gui/log_categories.h"
#include "gui/pages/command_tool_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/file_manager_page.h"
#include "gui/pages/font_manager_page.h"
#include "gui/port_status_text.h"
#include "gui/remembered_settings.h"
#include "gui/standard_call.h"
#include "gui/status_clock.h"
#include "gui/usb_device_memory.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/input_guards.h"
#include "gui/widgets/radio_group.h"
#include "gui/worker_exchange.h"

// The resource file is compiled into the library; Q_INIT_RESOURCE must run
// from the global namespace.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace m350::gui {

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kScrollBarWidth = 17;
constexpr int kSmallScreenHeight = 768;
constexpr int kSmallScreenLift = 100;  // height given up on a small screen
constexpr int kNoScrollBarNarrowing = 20;
constexpr int kPanelWidths[4] = {80, 200, 250, 200};

QSize primaryScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

}  // namespace

MainWindow::MainWindow(const StartupOptions& options, MainWindowSeams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    // Before any list or number box exists: in this window and every dialog
    // it opens, the wheel turns only the box that has the focus.
    guardWheelOnUnfocusedInputs();
    // A double click on an action button runs its action once.
    guardDoubleClicksOnButtons();
    if (seams.prompter) {
        prompter_ = seams.prompter;
    } else {
        auto boxes = std::make_unique<QtPrompter>();
        boxes->setLanguage([this] { return language_; });
        ownPrompter_ = std::move(boxes);
        prompter_ = ownPrompter_.get();
    }
    screenSize_ = seams.screenSize ? seams.screenSize : primaryScreenSize;
    if (seams.progress) {
        link_.progress = seams.progress;
    } else {
        ownProgress_ = std::make_unique<ProgressDialogSink>(screenSize_);
        ownProgress_->setStopToken(&stop_);
        ownProgress_->setLanguage([this] { return language_; });
        link_.progress = ownProgress_.get();
    }
    link_.stop = &stop_;
    link_.makePort = seams.makePort;
    link_.sleep = seams.sleep;
    if (seams.timeouts) seams.timeouts(link_.timeouts);
    link_.usb = seams.usb;
    network_ = std::move(seams.network);
    docFolder_ = seams.docFolder;
    if (seams.settings) {
        store_ = seams.settings;
    } else {
        ownStore_ =
            std::make_unique<QSettings>(QStringLiteral("m350"), QStringLiteral("m350-utility"));
        store_ = ownStore_.get();
    }
    remembered_ = std::make_unique<RememberedSettings>(*store_);
    if (options.resetSettings) {
        qCInfo(lcSettings) << "forgetting the remembered settings in" << store_->fileName();
        remembered_->forget();
    }
    if (options.tracePath) openTrace(*options.tracePath);

    // The logo lives in the window library's resources.
    initResources();

    // 1. The window from its layout.
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    // 2. File dialogs start where the program started.
    startupDirectory_ = QDir::currentPath();
    buildTopLevel();
    // The unit before the pages that show lengths in it.
    if (auto unit = remembered_->unit()) unitRadio_->setItemIndex(*unit);
    buildPrinterPage();
    // After the configuration page's own handler, which may keep the unit
    // shown: what is remembered is the unit chosen in the end.
    connect(unitRadio_, &RadioGroup::itemIndexChanged, this,
            [this] { remembered_->rememberUnit(unitRadio_->itemIndex()); });
    connect(configPage_, &ConfigPage::textEncodingChosen, this,
            [this](const QString& name) { remembered_->rememberTextEncoding(name.toStdString()); });
    dataFolder_ = seams.dataFolder.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                      : seams.dataFolder;

    // 3, 4. Fit to the screen and centre on it.
    fitToScreen();
    centreOnScreen();
    // 5. The first page.
    pageTabs_->setCurrentIndex(0);
    // 6. Port settings: the defaults, then what the command line chose. The
    // link reads them at every open.
    applyStartupPorts(options);
    link_.settings = &settings_;
    // 7. The default configuration on the configuration pages.
    configPage_->showDefaults();
    // 8. Status bar; the clock once the language is known.
    refreshPortStatus();
    // 9. (The font manager and command tool take their start states when
    // their pages are built.)
    // 10. The interface language: --language, else the system's; every
    // caption of the window follows it.
    language_ = startMainWindowLanguage(
        this, options.language ? options.language : remembered_->language());
    onClockTick();
    // The printer text encoding the operator chose last time; the
    // configuration page shows the texts in it, or in the language's.
    if (auto encoding = remembered_->textEncoding()) textEncodingChoice_ = *encoding;
    configPage_->refreshTextEncoding();
    // The interface chosen on the command line, else the one chosen last
    // time, as if the operator had picked it, so the first contact uses it.
    if (auto iface =
            options.interfaceIndex ? options.interfaceIndex : remembered_->interfaceIndex()) {
        interfaceCombo_->setCurrentIndex(*iface);
        onInterfaceChanged(*iface);
    }
    // 11. First contact, silent; in m350-utility once the window shows.
    if (seams.contactAfterShow)
        QTimer::singleShot(0, this, &MainWindow::firstContact);
    else
        firstContact();
    // 12. First configuration sub-page; the FTP tab hidden, the access point
    // page taken out.
    configPage_->finishStartup();
    // The other pages when first shown.
    connect(pageTabs_, &QTabWidget::currentChanged, this, &MainWindow::buildPage);
    installShortcuts();
    if (seams.buildAllPages)
        for (int i = 1; i < pageTabs_->count(); ++i) buildPage(i);
}

void MainWindow::buildPage(int index) {
    QWidget* sheet = pageTabs_->widget(index);
    const bool built = (sheet == fileManagerSheet_ && fileManagerPage_) ||
                       (sheet == fontManagerSheet_ && fontManagerPage_) ||
                       (sheet == commandToolSheet_ && commandToolPage_);
    if (sheet == nullptr || sheet == printerSheet_ || built) return;
    // Controls made under a shown parent would stay hidden: the sheet is
    // hidden while its page is made and shown again with them.
    const bool shown = sheet->isVisible();
    if (shown) sheet->hide();
    if (sheet == fileManagerSheet_) {
        fileManagerPage_ = new FileManagerPage(*this, fileManagerSheet_, startupDirectory_);
    } else if (sheet == fontManagerSheet_) {
        fontManagerPage_ = new FontManagerPage(*this, fontManagerSheet_);
        fontManagerPage_->initialise();
    } else if (sheet == commandToolSheet_) {
        commandToolPage_ = new CommandToolPage(*this, commandToolSheet_, dataFolder_);
        commandToolPage_->initialise();
    }
    applyPageLanguage(sheet, language_);
    if (shown) sheet->show();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildTopLevel() {
    languageGroup_ = newGroup(this, "GroupBoxLanguage", "Language", 0, 0, 162, 41);
    static const char* const kLanguages[14] = {"English",
                                               "Traditional Chinese",
                                               "Simplified Chinese",
                                               "Japanese",
                                               "Spanish",
                                               "Portuguese",
                                               "German",
                                               "French",
                                               "Italian",
                                               "Russian",
                                               "Polish",
                                               "Lithuanian",
                                               "Czech",
                                               "Ukrainian"};
    QStringList languages;
    for (int i = 0; i < 14; ++i) languages << textOf(10 + i, 0, kLanguages[i]);
    languageCombo_ = newCombo(languageGroup_, "ComboBoxLanguage", languages, 8, 15, 146);
    languageCombo_->setMaxVisibleItems(14);
    connect(languageCombo_, &QComboBox::activated, this, &MainWindow::onLanguageChanged);

    unitRadio_ = new RadioGroup(this, "RadioGroupUnit", "Unit", 173, 0, 161, 41, {"inch", "mm"}, 2);
    unitRadio_->setItemIndex(0);

    interfaceGroup_ = newGroup(this, "GroupBoxInterFace", "Interface", 346, 0, 209, 41);
    interfaceCombo_ = newCombo(interfaceGroup_, "ComboBoxInterFace",
                               {"USB", "COM", "LPT", "ETHERNET"}, 8, 15, 100);
    interfaceCombo_->setCurrentIndex(m350::kUsb);
    // The list needs no more than "ETHERNET"; the button takes the rest, as
    // "Setup" is long in some languages.
    interfaceButton_ = newButton(interfaceGroup_, "ButtonInterFace", "Setup", 113, 14, 88, 23);
    // USB's Setup chooses among the devices that may be the printer.
    interfaceButton_->setEnabled(true);
    // Item indexes only: the operator's pick, not the program's own changes.
    connect(interfaceCombo_, &QComboBox::activated, this, &MainWindow::onInterfaceChanged);
    connect(interfaceCombo_, &QComboBox::activated, this,
            [this](int index) { remembered_->rememberInterface(index); });
    connect(interfaceButton_, &QPushButton::clicked, this, &MainWindow::onInterfaceSetupClicked);

    logo_ = place(new QLabel(this), "Image1", 568, 3, 142, 43);
    QPixmap logo(QStringLiteral(":/logo.png"));
    if (!logo.isNull())
        logo_->setPixmap(logo.scaled(142, 43, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    pageTabs_ = place(new QTabWidget(this), "PageControl1", 0, 47, 721, 537);
    auto addSheet = [this](const char* name, const QString& caption) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString::fromLatin1(name));
        pageTabs_->addTab(sheet, caption);
        return sheet;
    };
    printerSheet_ = addSheet("TabSheet1", QStringLiteral("Printer Configuration"));
    fileManagerSheet_ = addSheet("TabSheet2", QStringLiteral("File Manager"));
    fontManagerSheet_ = addSheet("TabSheet3", QStringLiteral("Bitmap Font Manager"));
    commandToolSheet_ = addSheet("TabSheet4", QStringLiteral("Command Tool"));

    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName(QStringLiteral("ScrollBar1"));
    scrollBar_->setRange(0, 100);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &MainWindow::onScrollBarChanged);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setFixedHeight(kStatusBarHeight);
    // On a small screen the page runs under the status bar, which must hide it.
    statusBar_->setAutoFillBackground(true);
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(statusBar_);
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels_[i]->setFixedWidth(kPanelWidths[i]);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar_->addWidget(panels_[i]);
    }

    clockTimer_ = new QTimer(this);
    clockTimer_->setObjectName(QStringLiteral("Timer1"));
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::onClockTick);
    clockTimer_->start();

    wlanAddressLabel_ = newLabel(this, "Label6", "WLAN IP Address:", 0, 0);
    wlanDhcpLabel_ = newLabel(this, "Label8", "WLAN DHCP", 0, 0);
    wlanAddressLabel_->hide();
    wlanDhcpLabel_->hide();
}

// Below 768 screen pixels the window gives up 100 pixels of height and the
// scroll bar moves the upper part; otherwise the bar goes and the window is
// 20 pixels narrower.
void MainWindow::fitToScreen() {
    int width = kClientWidth;
    int height = kClientHeight;
    if (screenSize().height() < kSmallScreenHeight) {
        height -= kSmallScreenLift;
    } else {
        scrollBar_->setEnabled(false);
        scrollBar_->hide();
        width -= kNoScrollBarNarrowing;
    }
    setFixedSize(width, height);
    // The page control ends at the window's edge, not under it.
    QRect pages = pageTabs_->geometry();
    pages.setWidth(std::min(pages.width(), width - pages.left()));
    pageTabs_->setGeometry(pages);
    statusBar_->setGeometry(0, height - kStatusBarHeight, width, kStatusBarHeight);
    scrollBar_->setGeometry(width - kScrollBarWidth, 0, kScrollBarWidth, height - kStatusBarHeight);
    statusBar_->raise();
    scrollBar_->raise();
}

void MainWindow::centreOnScreen() {
    const QSize screen = screenSize();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

QSize MainWindow::screenSize() const {
    return screenSize_();
}

void MainWindow::applyStartupPorts(const StartupOptions& options) {
    settings_ = m350::PortSettings{};
    remembered_->readPorts(settings_);
    if (options.comName) {
        settings_.serial.portName = *options.comName;
        settings_.comDevicePath.clear();
    }
    if (options.comDevicePath) settings_.comDevicePath = *options.comDevicePath;
    if (options.lptName) settings_.lptName = *options.lptName;
    if (options.address) settings_.net.address = *options.address;
    if (options.port) settings_.net.port = *options.port;
    settings_.usbDevice = startupUsbDevice(options.usbDevice, *store_);
}

void MainWindow::openTrace(const std::string& path) {
    std::string why;
    const int fd = m350::openLocalOutputFile(path, &why);
    if (fd < 0) {
        qCWarning(lcSettings) << "no trace:" << QString::fromStdString(why);
        prompter().message(QString::fromStdString(why));
        return;
    }
    qCInfo(lcSettings) << "tracing the link to" << QString::fromStdString(path);
    trace_ = std::make_unique<m350::LinkTrace>(fd);
    link_.trace = trace_.get();
}

int MainWindow::interfaceIndex() const {
    return interfaceCombo_->currentIndex();
}

QString MainWindow::panelText(int panel) const {
    if (panel < 0 || panel >= 4) return {};
    return panels_[panel]->text();
}

int MainWindow::exchange(const m350::BoundOperation& op, int iface) {
    if (running_) return kBusy;
    running_ = true;
    stop_.reset();
    // On a worker: the windows keep painting and Cancel stays clickable
    // while the printer takes its time.
    const int result = runOnWorker(link_, [&] { return m350::run(link_, iface, op); });
    running_ = false;
    return result;
}

void MainWindow::afterExchange() {
    if (closeWhenDone_ && !running_ && standardCalls_ == 0)
        QTimer::singleShot(0, this, &QWidget::close);
}

int MainWindow::runStandard(const m350::BoundOperation& op,
                            const std::function<void()>& onSuccess) {
    if (running_) return kBusy;
    const int iface = interfaceIndex();
    ++standardCalls_;
    const int result = runStandardCall(
        *this, prompter(), link_, iface, [&] { return exchange(op, iface); }, onSuccess, language_);
    --standardCalls_;
    afterExchange();
    return result;
}

int MainWindow::runQuiet(const m350::BoundOperation& op, int iface) {
    if (running_) return kBusy;
    // The window stays enabled (a modal dialog may be the caller, and a
    // child of a disabled window is disabled too), but every control of its
    // own is not: no page or button starts a second operation meanwhile.
    // Under a modal dialog (the sensor readings every half second) they take
    // no input anyway and are left alone.
    QList<QWidget*> disabled;
    if (QApplication::activeModalWidget() == nullptr)
        for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isWindow() || !w->isEnabled()) continue;
            w->setEnabled(false);
            disabled.append(w);
        }
    const int result = exchange(op, iface);
    for (QWidget* w : disabled) w->setEnabled(true);
    afterExchange();
    return result;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!running_ && standardCalls_ == 0) {
        // Unsent edits on the configuration tabs are named and asked about.
        if (configPage_ && !configPage_->confirmClosing()) {
            event->ignore();
            return;
        }
        event->accept();
        return;
    }
    // Never hidden while an operation goes on (the standard call would show
    // the window again at its end): the operator decides, and the window
    // closes when the operation is over.
    event->ignore();
    if (!running_) {
        closeWhenDone_ = true;
        return;
    }
    if (closeWhenDone_) return;
    if (prompter().question(
            ownTr("An operation is running. Cancel it and close the window?", language_))) {
        closeWhenDone_ = true;
        stop_.request();
    }
}

std::string MainWindow::textEncoding() const {
    return m350::chosenTextEncoding(textEncodingChoice_, language_);
}

QPoint MainWindow::dialogPlace() const {
    const QRect frame = frameGeometry();
    return {frame.left() + frame.width() / 3, frame.top() + frame.height() / 3};
}

void MainWindow::onLanguageChanged(int index) {
    // The pages that put their own texts on ask the window for its language
    // while the new one is applied.
    language_ = m350::validLanguage(index);
    // New captions and list texts are no change of a setting.
    configPage_->programChange([this, index] { changeLanguage(this, index); });
    configPage_->refreshUnsentMarks();
    // The clock speaks the new language at once, not a second later.
    onClockTick();
    remembered_->rememberLanguage(language_);
}

void MainWindow::onInterfaceChanged(int index) {
    // Reads are refused on the parallel port, so Get Status and Read go with it.
    const bool canRead = index != m350::kLpt;
    interfaceButton_->setEnabled(true);
    getStatusButton_->setEnabled(canRead);
    configPage_->setReadEnabled(canRead);
}

void MainWindow::onInterfaceSetupClicked() {
    bool accepted = false;
    switch (interfaceIndex()) {
        case m350::kCom: {
            Rs232SetupDialog dialog(settings_.serial, language_, this);
            dialog.offerDevices(settings_.comDevicePath, m350::listSerialDevices());
            accepted = prompter().runModal(dialog) == QDialog::Accepted;
            break;
        }
        case m350::kLpt: {
            LptSetupDialog dialog(settings_.lptName, language_, this);
            accepted = prompter().runModal(dialog) == QDialog::Accepted;
            break;
        }
        case m350::kEthernet: {
            NetSetupDialog dialog(settings_.net, language_, textEncoding(), prompter(), this,
                                  network_);
            accepted = prompter().runModal(dialog) == QDialog::Accepted;
            break;
        }
        case m350::kUsb: {
            std::shared_ptr<m350::UsbBackend> backend =
                link_.usb ? link_.usb : m350::systemUsbBackend();
            const m350::UsbSurvey survey =
                backend
                    ? m350::surveyUsbDevices(*backend, m350::namedUsbDevice(settings_.usbDevice),
                                             m350::loadUsbList({settings_.usbListSystemFile,
                                                                settings_.usbListUserFile}))
                    : m350::UsbSurvey{};
            UsbSetupDialog dialog(settings_.usbDevice, survey, language_, this);
            if (prompter().runModal(dialog) == QDialog::Accepted)
                rememberUsbDevice(settings_.usbDevice, *store_);
            break;
        }
        default:
            break;
    }
    // What the operator set up is what the next start offers.
    if (accepted) remembered_->rememberPorts(settings_);
    refreshPortStatus();
}

void MainWindow::refreshPortStatus() {
    panels_[0]->setText(QString::fromStdString(settings_.lptName));
    panels_[1]->setText(
        QString::fromStdString(serialStatusText(settings_.serial, settings_.comDevicePath)));
    panels_[2]->clear();
}

void MainWindow::onClockTick() {
    panels_[3]->setText(clockText(QDateTime::currentDateTime(), clockLocale(language_)));
}

void MainWindow::onScrollBarChanged(int position) {
    languageGroup_->move(languageGroup_->x(), -position);
    interfaceGroup_->move(interfaceGroup_->x(), -position);
    unitRadio_->move(unitRadio_->x(), -position);
    pageTabs_->move(pageTabs_->x(), 48 - position);
}

}  // namespace m350::gui
