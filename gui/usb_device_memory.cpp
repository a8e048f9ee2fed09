// SPDX-License-Identifier: MIT
#include "gui/usb_device_memory.h"

#include <QSettings>
#include <cstdlib>

#include "core/transport/usb_backend.h"

namespace m350::gui {

namespace {
const QString kKey = QStringLiteral("usb/device");
}

std::string startupUsbDevice(const std::optional<std::string>& option, QSettings& store) {
    if (option) {
        if (*option == m350::kUsbDeviceAuto)
            store.remove(kKey);
        else
            store.setValue(kKey, QString::fromStdString(*option));
        store.sync();
        return *option;
    }
    const char* env = std::getenv(m350::kUsbDeviceVariable);
    if (env && *env) return {};
    const std::string remembered = store.value(kKey).toString().toStdString();
    // A remembered text that no longer reads as a device (edited by hand) is
    // not used: nothing is opened on a guess.
    return m350::isUsbDeviceOption(remembered) ? remembered : std::string();
}

void rememberUsbDevice(const std::string& device, QSettings& store) {
    if (device.empty())
        store.remove(kKey);
    else
        store.setValue(kKey, QString::fromStdString(device));
    store.sync();
}

}  // namespace m350::gui
