// SPDX-License-Identifier: MIT
// The window's remembered settings file, hand-edited into any bytes: every
// value is read back as valid or ignored, never half used, and the ports it
// fills keep within their fields.
#include <unistd.h>

#include <QCoreApplication>
#include <QSettings>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/transport/port_settings.h"
#include "gui/remembered_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        char name[] = "/tmp/m350-settings-fuzz-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    QSettings store(QString::fromStdString(path), QSettings::IniFormat);
    const m350::gui::RememberedSettings remembered(store);
    m350::PortSettings ports;
    remembered.readPorts(ports);
    if (const auto i = remembered.interfaceIndex(); i && (*i < 0 || *i > 3)) std::abort();
    if (const auto u = remembered.unit(); u && *u != 0 && *u != 1) std::abort();
    if (const auto l = remembered.language(); l && (*l < 0 || *l > 13)) std::abort();
    (void)remembered.textEncoding();
    if (ports.net.port < 0 || ports.net.port > 65535) std::abort();
    const int baud = static_cast<int>(ports.serial.baud);
    const int parity = static_cast<int>(ports.serial.parity);
    if (baud < 0 || baud > 6 || parity < 0 || parity > 2) std::abort();
    return 0;
}
