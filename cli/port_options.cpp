// SPDX-License-Identifier: MIT
#include "cli/port_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <map>

#include "core/transport/usb_backend.h"

namespace m350::cli {

namespace {

constexpr std::size_t kMaxHostLength = 63;

bool hostCharsValid(std::string_view host, bool bracketed) {
    if (host.empty() || host.size() > kMaxHostLength) return false;
    for (char c : host) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (alnum) continue;
        if (bracketed ? (c == ':' || c == '.' || c == '%') : (c == '.' || c == '-' || c == '_'))
            continue;
        return false;
    }
    return true;
}

std::optional<int> parsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    int port = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// Value maps: what the operator types -> the setting.
std::map<std::string, m350::BaudRate> baudRates() {
    std::map<std::string, m350::BaudRate> rates;
    for (std::size_t i = 0; i < m350::kBaudRates.size(); ++i)
        rates.emplace(std::to_string(m350::kBaudRates[i]), static_cast<m350::BaudRate>(i));
    return rates;
}
const std::map<std::string, m350::DataBits> kDataBits = {{"7", m350::DataBits::kSeven},
                                                         {"8", m350::DataBits::kEight}};
const std::map<std::string, m350::Parity> kParities = {
    {"none", m350::Parity::kNone}, {"odd", m350::Parity::kOdd}, {"even", m350::Parity::kEven}};
const std::map<std::string, m350::StopBits> kStopBits = {{"1", m350::StopBits::kOne},
                                                         {"1.5", m350::StopBits::kOneAndAHalf},
                                                         {"2", m350::StopBits::kTwo}};
const std::map<std::string, m350::Handshake> kHandshakes = {{"none", m350::Handshake::kNone},
                                                            {"rts", m350::Handshake::kRts},
                                                            {"rts-cts", m350::Handshake::kRtsCts}};
const std::map<std::string, m350::XonXoff> kOnOff = {{"off", m350::XonXoff::kOff},
                                                     {"on", m350::XonXoff::kOn}};

}  // namespace

std::optional<std::string> normalizePortName(std::string_view text, std::string_view prefix,
                                             int maxNumber) {
    if (text.size() <= prefix.size()) return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return std::nullopt;
    }
    std::string_view digits = text.substr(prefix.size());
    if (digits.size() > 2) return std::nullopt;
    int n = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size() || n < 1 || n > maxNumber)
        return std::nullopt;
    return std::string(prefix) + std::to_string(n);
}

std::optional<std::string> portNameOrPath(std::string_view text, std::string_view prefix,
                                          int maxNumber) {
    if (!text.empty() && text.front() == '/') {
        // A path names one device: no control bytes, no empty components.
        if (text.size() < 2 || text.size() > 4095 || text.back() == '/') return std::nullopt;
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
        return std::string(text);
    }
    return normalizePortName(text, prefix, maxNumber);
}

std::optional<m350::NetAddress> parseNetAddress(std::string_view text) {
    m350::NetAddress out;
    std::string_view host = text;
    std::string_view port;
    bool bracketed = false;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
        bracketed = true;
    } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (!hostCharsValid(host, bracketed)) return std::nullopt;
    if (!port.empty()) {
        auto p = parsePort(port);
        if (!p) return std::nullopt;
        out.port = *p;
    }
    out.address = std::string(host);
    return out;
}

void PortOptions::addTo(CLI::App& app) {
    const char* group = "Connection";
    auto* usb = app.add_flag("--usb", usb_, "USB (the default)")->group(group);
    auto* com =
        app.add_option("--com", com_,
                       "serial port COM1..COM30 (device: M350_COM<n>, "
                       "else /dev/ttyS<n-1>) or a device path (/dev/ttyUSB0, see `serial list`)")
            ->type_name("COMn|PATH")
            ->group(group)
            ->check([](const std::string& v) {
                return portNameOrPath(v, "COM", 30) ? std::string()
                                                    : "expected COM1..COM30 or a device path";
            });
    auto* lpt = app.add_option("--lpt", lpt_,
                               "parallel port LPT1..LPT4 (device: M350_LPT<n>, "
                               "else /dev/lp<n-1>) or a device path (/dev/usb/lp0); write-only")
                    ->type_name("LPTn|PATH")
                    ->group(group)
                    ->check([](const std::string& v) {
                        return portNameOrPath(v, "LPT", 4) ? std::string()
                                                           : "expected LPT1..LPT4 or a device path";
                    });
    auto* net =
        app.add_option("--net", net_, "network printer, TCP port 9100 unless given")
            ->type_name("HOST[:PORT]")
            ->group(group)
            ->check([](const std::string& v) {
                return parseNetAddress(v) ? std::string() : "expected HOST[:PORT] (port 1..65535)";
            });
    auto* usbDevice =
        app.add_option("--usb-device", usbDevice_,
                       "USB, the device named: vendor and product identifier (and serial "
                       "number) or bus path, see `usb list`; auto: by vendor identifier. "
                       "Default: M350_USB, else by vendor identifier")
            ->type_name("VID:PID[:SERIAL]|BUS-PATH|auto")
            ->group(group)
            ->check([](const std::string& v) {
                return m350::isUsbDeviceOption(v)
                           ? std::string()
                           : "expected VID:PID, VID:PID:SERIAL (hexadecimal identifiers), a "
                             "bus path such as 1-1.4, or auto";
            });
    usb->excludes(com)->excludes(lpt)->excludes(net);
    usbDevice->excludes(com)->excludes(lpt)->excludes(net);
    com->excludes(lpt)->excludes(net);
    lpt->excludes(net);

    const char* serial = "Serial line (with --com)";
    app.add_option(
           "--baud", serial_.baud,
           "bits per second: 2400, 4800, 9600, 19200, 38400, 57600 or 115200 (default 9600)")
        ->transform(CLI::CheckedTransformer(baudRates()).description(""))
        ->type_name("RATE")
        ->group(serial)
        ->needs(com);
    app.add_option("--data-bits", serial_.dataBits, "data bits (default 8)")
        ->transform(CLI::CheckedTransformer(kDataBits).description(""))
        ->type_name("7|8")
        ->group(serial)
        ->needs(com);
    app.add_option("--parity", serial_.parity, "parity (default none)")
        ->transform(CLI::CheckedTransformer(kParities, CLI::ignore_case).description(""))
        ->type_name("none|odd|even")
        ->group(serial)
        ->needs(com);
    app.add_option("--stop-bits", serial_.stopBits, "stop bits (default 1)")
        ->transform(CLI::CheckedTransformer(kStopBits).description(""))
        ->type_name("1|1.5|2")
        ->group(serial)
        ->needs(com);
    app.add_option("--handshake", serial_.handshake, "hardware handshake (default rts)")
        ->transform(CLI::CheckedTransformer(kHandshakes, CLI::ignore_case).description(""))
        ->type_name("none|rts|rts-cts")
        ->group(serial)
        ->needs(com);
    app.add_option("--xon-xoff", serial_.xonXoff, "software handshake (default off)")
        ->transform(CLI::CheckedTransformer(kOnOff, CLI::ignore_case).description(""))
        ->type_name("on|off")
        ->group(serial)
        ->needs(com);
}

PortChoice PortOptions::result() const {
    PortChoice c;
    if (!com_.empty()) {
        c.iface = m350::kCom;
        const std::string name = *portNameOrPath(com_, "COM", 30);
        (name.front() == '/' ? c.settings.comDevicePath : c.settings.serial.portName) = name;
    } else if (!lpt_.empty()) {
        c.iface = m350::kLpt;
        const std::string name = *portNameOrPath(lpt_, "LPT", 4);
        (name.front() == '/' ? c.settings.lptDevicePath : c.settings.lptName) = name;
    } else if (!net_.empty()) {
        c.iface = m350::kEthernet;
        c.settings.net = *parseNetAddress(net_);
    }
    c.settings.usbDevice = usbDevice_;
    c.settings.serial.baud = serial_.baud;
    c.settings.serial.dataBits = serial_.dataBits;
    c.settings.serial.parity = serial_.parity;
    c.settings.serial.stopBits = serial_.stopBits;
    c.settings.serial.handshake = serial_.handshake;
    c.settings.serial.xonXoff = serial_.xonXoff;
    return c;
}

}  // namespace m350::cli
