// SPDX-License-Identifier: MIT
#include "gui/dialogs/rs232_setup_dialog.h"

#include <QAbstractItemView>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "gui/language_apply.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace {

// The settings of the six lists, item by item.
constexpr std::array kBaudItems = {m350::BaudRate::k2400,   m350::BaudRate::k4800,
                                   m350::BaudRate::k9600,   m350::BaudRate::k19200,
                                   m350::BaudRate::k38400,  m350::BaudRate::k57600,
                                   m350::BaudRate::k115200, m350::BaudRate::kUnset};
constexpr std::array kDataBitsItems = {m350::DataBits::kSeven, m350::DataBits::kEight};
constexpr std::array kParityItems = {m350::Parity::kNone, m350::Parity::kOdd, m350::Parity::kEven};
constexpr std::array kStopBitsItems = {m350::StopBits::kOne, m350::StopBits::kOneAndAHalf,
                                       m350::StopBits::kTwo};
constexpr std::array kHandshakeItems = {m350::Handshake::kNone, m350::Handshake::kRts,
                                        m350::Handshake::kRtsCts};
constexpr std::array kXonXoffItems = {m350::XonXoff::kOff, m350::XonXoff::kOn};

// The item of a setting; -1 (nothing selected) for a value no item has.
template <class E, std::size_t N>
int itemOf(const std::array<E, N>& items, E value) {
    const auto found = std::find(items.begin(), items.end(), value);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

// The setting of a list's selected item; without one the setting stays.
template <class E, std::size_t N>
E settingOf(const std::array<E, N>& items, const QComboBox* list, E old) {
    const int i = list->currentIndex();
    return i >= 0 && i < static_cast<int>(N) ? items[static_cast<std::size_t>(i)] : old;
}

}  // namespace

int portItemIndex(const std::string& name, const char* prefix, int itemCount) {
    const std::size_t len = std::strlen(prefix);
    if (name.size() <= len || name.compare(0, len, prefix) != 0) return -1;
    int n = 0;
    const char* first = name.data() + len;
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last || n < 1 || n > itemCount) return -1;
    return n - 1;
}

Rs232SetupDialog::Rs232SetupDialog(m350::SerialSettings& record, int language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      language_(language) {
    setObjectName(QStringLiteral("TFormRs232Setup"));
    setWindowTitle(QStringLiteral("RS232 Setup"));
    setFixedSize(325, 215);

    QStringList ports;
    for (int i = 1; i <= 30; ++i) ports << QStringLiteral("COM%1").arg(i);
    // The eighth, empty baud item chooses no speed: the port opens at 9600.
    QStringList bauds;
    for (m350::BaudRate rate : kBaudItems)
        bauds << (rate == m350::BaudRate::kUnset ? QString()
                                                 : QString::number(m350::bitsPerSecond(rate)));

    constexpr int kListLeft = 170, kListWidth = 145, kRow = 25, kTop = 8;
    auto row = [&](int i) { return kTop + i * kRow; };
    comPortLabel_ = newLabel(this, "LabelComPort", "COM Port:", 8, row(0) + 4);
    comPortCombo_ = newCombo(this, "ComboBoxComPort", ports, kListLeft, row(0), kListWidth);
    baudRateLabel_ = newLabel(this, "LabelBaudRate", "Baud Rate:", 8, row(1) + 4);
    baudRateCombo_ = newCombo(this, "ComboBoxBaudRate", bauds, kListLeft, row(1), kListWidth);
    dataBitsLabel_ = newLabel(this, "LabelDataBits", "Data Bits:", 8, row(2) + 4);
    dataBitCombo_ = newCombo(this, "ComboBoxDataBit", {"7", "8"}, kListLeft, row(2), kListWidth);
    parityCheckLabel_ = newLabel(this, "LabelParityCheck", "Parity Check:", 8, row(3) + 4);
    parityCombo_ =
        newCombo(this, "ComboBoxParity", {"None", "Odd", "Even"}, kListLeft, row(3), kListWidth);
    stopBitsLabel_ = newLabel(this, "LabelStopBits", "Stop Bit(s):", 8, row(4) + 4);
    stopBitCombo_ =
        newCombo(this, "ComboBoxStopBit", {"1", "1.5", "2"}, kListLeft, row(4), kListWidth);
    hardwareHandshakeLabel_ =
        newLabel(this, "LabelHardwareS", "Hardware Handshaking:", 8, row(5) + 4);
    hardwareHandshakeCombo_ =
        newCombo(this, "ComboBoxHdShak", {"None", "RTS", "RTS/CTS"}, kListLeft, row(5), kListWidth);
    softwareHandshakeLabel_ =
        newLabel(this, "LabelSoftwareS", "Software Handshaking:", 8, row(6) + 4);
    softwareHandshakeCombo_ =
        newCombo(this, "ComboBoxSWShak", {"None", "Xon/Xoff"}, kListLeft, row(6), kListWidth);
    setButton_ = newButton(this, "ButtonSet", "Set", 8, 184);
    cancelButton_ = newButton(this, "ButtonCancel", "Cancel", 232, 184);
    setButton_->setDefault(true);

    // A setting no item has selects nothing, and Set stores it back as it
    // was; the link treats such values as their defaults.
    comPortCombo_->setCurrentIndex(portItemIndex(record_.portName, "COM", 30));
    baudRateCombo_->setCurrentIndex(itemOf(kBaudItems, record_.baud));
    dataBitCombo_->setCurrentIndex(itemOf(kDataBitsItems, record_.dataBits));
    parityCombo_->setCurrentIndex(itemOf(kParityItems, record_.parity));
    stopBitCombo_->setCurrentIndex(itemOf(kStopBitsItems, record_.stopBits));
    hardwareHandshakeCombo_->setCurrentIndex(itemOf(kHandshakeItems, record_.handshake));
    softwareHandshakeCombo_->setCurrentIndex(itemOf(kXonXoffItems, record_.xonXoff));

    connect(setButton_, &QPushButton::clicked, this, &Rs232SetupDialog::onSetClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &Rs232SetupDialog::onCancelClicked);
    applyDialogLanguage(this, "TFormRs232Setup", language_);
    fitToCaptions();
}

// Captions longer than the room left of the lists move the lists right and
// widen the dialog by as much; buttons grow to their captions.
void Rs232SetupDialog::fitToCaptions() {
    constexpr int kGap = 8;
    int labelsRight = 0;
    for (QLabel* l : {comPortLabel_, baudRateLabel_, dataBitsLabel_, parityCheckLabel_,
                      stopBitsLabel_, hardwareHandshakeLabel_, softwareHandshakeLabel_}) {
        l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
        labelsRight = std::max(labelsRight, l->x() + l->width());
    }
    const int shift = std::max(0, labelsRight + kGap - comPortCombo_->x());
    if (shift > 0) {
        setFixedSize(width() + shift, height());
        for (QWidget* w :
             {static_cast<QWidget*>(comPortCombo_), static_cast<QWidget*>(baudRateCombo_),
              static_cast<QWidget*>(dataBitCombo_), static_cast<QWidget*>(parityCombo_),
              static_cast<QWidget*>(stopBitCombo_), static_cast<QWidget*>(hardwareHandshakeCombo_),
              static_cast<QWidget*>(softwareHandshakeCombo_), static_cast<QWidget*>(cancelButton_)})
            w->move(w->x() + shift, w->y());
    }
    widenButtonToCaption(setButton_, false);
    widenButtonToCaption(cancelButton_, true);
}

void Rs232SetupDialog::offerDevices(std::string& devicePath,
                                    const std::vector<m350::SerialDevice>& devices) {
    devicePath_ = &devicePath;
    auto add = [&](const std::string& path, const std::string& description) {
        const QString p = QString::fromStdString(path);
        comPortCombo_->addItem(p, p);
        if (!description.empty())
            comPortCombo_->setItemData(comPortCombo_->count() - 1,
                                       QString::fromStdString(description), Qt::ToolTipRole);
    };
    bool named = devicePath.empty();
    for (const m350::SerialDevice& d : devices) {
        add(d.path, d.description);
        named = named || d.path == devicePath;
    }
    // A device remembered or given on the command line stays on offer even
    // while it is unplugged.
    if (!named) add(devicePath, {});
    if (!devicePath.empty())
        comPortCombo_->setCurrentIndex(comPortCombo_->findData(QString::fromStdString(devicePath)));
    int widest = comPortCombo_->width();
    for (int i = 0; i < comPortCombo_->count(); ++i)
        widest = std::max(
            widest,
            comPortCombo_->fontMetrics().horizontalAdvance(comPortCombo_->itemText(i)) + 32);
    comPortCombo_->view()->setMinimumWidth(widest);
}

void Rs232SetupDialog::onSetClicked() {
    // A name that matched no item keeps the record's name instead of "COM0".
    const int port = comPortCombo_->currentIndex();
    const QString device = port >= 0 ? comPortCombo_->itemData(port).toString() : QString();
    if (devicePath_ != nullptr && port >= 0) *devicePath_ = device.toStdString();
    if (port >= 0 && device.isEmpty()) record_.portName = "COM" + std::to_string(port + 1);
    record_.baud = settingOf(kBaudItems, baudRateCombo_, record_.baud);
    record_.dataBits = settingOf(kDataBitsItems, dataBitCombo_, record_.dataBits);
    record_.parity = settingOf(kParityItems, parityCombo_, record_.parity);
    record_.stopBits = settingOf(kStopBitsItems, stopBitCombo_, record_.stopBits);
    record_.handshake = settingOf(kHandshakeItems, hardwareHandshakeCombo_, record_.handshake);
    record_.xonXoff = settingOf(kXonXoffItems, softwareHandshakeCombo_, record_.xonXoff);
    accept();
}

void Rs232SetupDialog::onCancelClicked() {
    reject();
}

}  // namespace m350::gui
