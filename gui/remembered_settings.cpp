// SPDX-License-Identifier: MIT
#include "gui/remembered_settings.h"

#include <QRegularExpression>
#include <QSettings>

#include "core/i18n/language_table.h"
#include "core/i18n/text_encoding.h"

namespace m350::gui {

namespace {

// "COM1".."COM30", "LPT1".."LPT4", as the setup dialogs offer them.
bool isPortName(const QString& text, const char* prefix, int max) {
    const QRegularExpression form(QStringLiteral("^%1([1-9][0-9]?)$").arg(QLatin1String(prefix)));
    const auto m = form.match(text);
    return m.hasMatch() && m.captured(1).toInt() <= max;
}

bool isHost(const QString& text) {
    static const QRegularExpression kHost(QStringLiteral("^[A-Za-z0-9._:-]{1,63}$"));
    return kHost.match(text).hasMatch();
}

}  // namespace

void RememberedSettings::forget() {
    store_.clear();
    store_.sync();
}

std::optional<int> RememberedSettings::number(const char* key, int low, int high) const {
    const QVariant v = store_.value(QLatin1String(key));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int n = v.toString().toInt(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

void RememberedSettings::put(const char* key, const QVariant& value) {
    store_.setValue(QLatin1String(key), value);
    store_.sync();
}

std::optional<int> RememberedSettings::interfaceIndex() const {
    return number("link/interface", m350::kUsb, m350::kEthernet);
}

void RememberedSettings::readPorts(m350::PortSettings& ports) const {
    const QString com = store_.value(QStringLiteral("serial/port")).toString();
    if (isPortName(com, "COM", 30)) ports.serial.portName = com.toStdString();
    const QString device = store_.value(QStringLiteral("serial/device")).toString();
    if (device.startsWith('/')) ports.comDevicePath = device.toStdString();
    if (auto n = number("serial/baud", 0, 6)) ports.serial.baud = static_cast<m350::BaudRate>(*n);
    if (auto n = number("serial/dataBits", 0, 1))
        ports.serial.dataBits = static_cast<m350::DataBits>(*n);
    if (auto n = number("serial/parity", 0, 2)) ports.serial.parity = static_cast<m350::Parity>(*n);
    if (auto n = number("serial/stopBits", 0, 2))
        ports.serial.stopBits = static_cast<m350::StopBits>(*n);
    if (auto n = number("serial/handshake", 0, 2))
        ports.serial.handshake = static_cast<m350::Handshake>(*n);
    if (auto n = number("serial/xonXoff", 0, 1))
        ports.serial.xonXoff = static_cast<m350::XonXoff>(*n);
    const QString lpt = store_.value(QStringLiteral("parallel/port")).toString();
    if (isPortName(lpt, "LPT", 4)) ports.lptName = lpt.toStdString();
    const QString host = store_.value(QStringLiteral("network/address")).toString();
    if (isHost(host)) ports.net.address = host.toStdString();
    if (auto n = number("network/port", 1, 65535)) ports.net.port = *n;
}

std::optional<int> RememberedSettings::unit() const {
    return number("view/unit", 0, 1);
}

std::optional<int> RememberedSettings::language() const {
    return number("view/language", 0, m350::kLanguageCount - 1);
}

std::optional<std::string> RememberedSettings::textEncoding() const {
    const QVariant v = store_.value(QStringLiteral("printer/textEncoding"));
    if (!v.isValid()) return std::nullopt;
    const std::string name = v.toString().toStdString();
    if (!name.empty() && !m350::isTextEncoding(name)) return std::nullopt;
    return name;
}

void RememberedSettings::rememberInterface(int index) {
    put("link/interface", index);
}

void RememberedSettings::rememberPorts(const m350::PortSettings& ports) {
    const m350::SerialSettings& s = ports.serial;
    store_.setValue(QStringLiteral("serial/port"), QString::fromStdString(s.portName));
    if (ports.comDevicePath.empty())
        store_.remove(QStringLiteral("serial/device"));
    else
        store_.setValue(QStringLiteral("serial/device"),
                        QString::fromStdString(ports.comDevicePath));
    store_.setValue(QStringLiteral("serial/baud"), static_cast<int>(s.baud));
    store_.setValue(QStringLiteral("serial/dataBits"), static_cast<int>(s.dataBits));
    store_.setValue(QStringLiteral("serial/parity"), static_cast<int>(s.parity));
    store_.setValue(QStringLiteral("serial/stopBits"), static_cast<int>(s.stopBits));
    store_.setValue(QStringLiteral("serial/handshake"), static_cast<int>(s.handshake));
    store_.setValue(QStringLiteral("serial/xonXoff"), static_cast<int>(s.xonXoff));
    store_.setValue(QStringLiteral("parallel/port"), QString::fromStdString(ports.lptName));
    if (ports.net.address.empty())
        store_.remove(QStringLiteral("network/address"));
    else
        store_.setValue(QStringLiteral("network/address"),
                        QString::fromStdString(ports.net.address));
    put("network/port", ports.net.port);
}

void RememberedSettings::rememberUnit(int unit) {
    put("view/unit", unit);
}

void RememberedSettings::rememberLanguage(int language) {
    put("view/language", language);
}

void RememberedSettings::rememberTextEncoding(const std::string& name) {
    put("printer/textEncoding", QString::fromStdString(name));
}

}  // namespace m350::gui
