#include "gui/dialogs/rs232_setup_dialog.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "gui/widgets/form_kit.h"
#include "gui/language_apply.h"

namespace m350::gui {


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
    // The eighth, empty baud item opens the port at 9600.
    const QStringList bauds = {"2400", "4800", "9600", "19200", "38400", "57600", "115200", ""};

    constexpr int kListLeft = 170, kListWidth = 145, kRow = 25, kTop = 8;
    auto row = [&](int i) { return kTop + i * kRow; };
    LabelComPort = newLabel(this, "LabelComPort", "COM Port:", 8, row(0) + 4);
    ComboBoxComPort = newCombo(this, "ComboBoxComPort", ports, kListLeft, row(0), kListWidth);
    LabelBaudRate = newLabel(this, "LabelBaudRate", "Baud Rate:", 8, row(1) + 4);
    ComboBoxBaudRate = newCombo(this, "ComboBoxBaudRate", bauds, kListLeft, row(1), kListWidth);
    LabelDataBits = newLabel(this, "LabelDataBits", "Data Bits:", 8, row(2) + 4);
    ComboBoxDataBit = newCombo(this, "ComboBoxDataBit", {"7", "8"}, kListLeft, row(2), kListWidth);
    LabelParityCheck = newLabel(this, "LabelParityCheck", "Parity Check:", 8, row(3) + 4);
    ComboBoxParity =
        newCombo(this, "ComboBoxParity", {"None", "Odd", "Even"}, kListLeft, row(3), kListWidth);
    LabelStopBits = newLabel(this, "LabelStopBits", "Stop Bit(s):", 8, row(4) + 4);
    ComboBoxStopBit =
        newCombo(this, "ComboBoxStopBit", {"1", "1.5", "2"}, kListLeft, row(4), kListWidth);
    LabelHardwareS = newLabel(this, "LabelHardwareS", "Hardware Handshaking:", 8, row(5) + 4);
    ComboBoxHdShak =
        newCombo(this, "ComboBoxHdShak", {"None", "RTS", "RTS/CTS"}, kListLeft, row(5), kListWidth);
    LabelSoftwareS = newLabel(this, "LabelSoftwareS", "Software Handshaking:", 8, row(6) + 4);
    ComboBoxSWShak =
        newCombo(this, "ComboBoxSWShak", {"None", "Xon/Xoff"}, kListLeft, row(6), kListWidth);
    ButtonSet = newButton(this, "ButtonSet", "Set", 8, 184);
    ButtonCancel = newButton(this, "ButtonCancel", "Cancel", 232, 184);
    ButtonSet->setDefault(true);

    // An index outside a list selects nothing, and Set stores it back as it
    // was; the link treats such indexes as their defaults.
    ComboBoxComPort->setCurrentIndex(portItemIndex(record_.portName, "COM", 30));
    ComboBoxBaudRate->setCurrentIndex(record_.baud);
    ComboBoxDataBit->setCurrentIndex(record_.dataBits);
    ComboBoxParity->setCurrentIndex(record_.parity);
    ComboBoxStopBit->setCurrentIndex(record_.stopBits);
    ComboBoxHdShak->setCurrentIndex(record_.handshake);
    ComboBoxSWShak->setCurrentIndex(record_.xonXoff);

    connect(ButtonSet, &QPushButton::clicked, this, &Rs232SetupDialog::ButtonSetClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &Rs232SetupDialog::ButtonCancelClick);
    m350::gui::applyDialogLanguage(this, "TFormRs232Setup", language_);
    fitToCaptions();
}

// Captions longer than the room left of the lists move the lists right and
// widen the dialog by as much; buttons grow to their captions.
void Rs232SetupDialog::fitToCaptions() {
    constexpr int kGap = 8;
    int labelsRight = 0;
    for (QLabel* l : {LabelComPort, LabelBaudRate, LabelDataBits, LabelParityCheck, LabelStopBits,
                      LabelHardwareS, LabelSoftwareS}) {
        l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
        labelsRight = std::max(labelsRight, l->x() + l->width());
    }
    const int shift = std::max(0, labelsRight + kGap - ComboBoxComPort->x());
    if (shift > 0) {
        setFixedSize(width() + shift, height());
        for (QWidget* w :
             {static_cast<QWidget*>(ComboBoxComPort), static_cast<QWidget*>(ComboBoxBaudRate),
              static_cast<QWidget*>(ComboBoxDataBit), static_cast<QWidget*>(ComboBoxParity),
              static_cast<QWidget*>(ComboBoxStopBit), static_cast<QWidget*>(ComboBoxHdShak),
              static_cast<QWidget*>(ComboBoxSWShak), static_cast<QWidget*>(ButtonCancel)})
            w->move(w->x() + shift, w->y());
    }
    m350::gui::widenButtonToCaption(ButtonSet, false);
    m350::gui::widenButtonToCaption(ButtonCancel, true);
}

void Rs232SetupDialog::ButtonSetClick() {
    // A name that matched no item keeps the record's name instead of "COM0".
    if (ComboBoxComPort->currentIndex() >= 0)
        record_.portName = "COM" + std::to_string(ComboBoxComPort->currentIndex() + 1);
    auto keep = [](QComboBox* list, int old) {
        return list->currentIndex() >= 0 ? list->currentIndex() : old;
    };
    record_.baud = keep(ComboBoxBaudRate, record_.baud);
    record_.dataBits = keep(ComboBoxDataBit, record_.dataBits);
    record_.parity = keep(ComboBoxParity, record_.parity);
    record_.stopBits = keep(ComboBoxStopBit, record_.stopBits);
    record_.handshake = keep(ComboBoxHdShak, record_.handshake);
    record_.xonXoff = keep(ComboBoxSWShak, record_.xonXoff);
    accept();
}

void Rs232SetupDialog::ButtonCancelClick() {
    reject();
}

}  // namespace m350::gui
