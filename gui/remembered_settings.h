// SPDX-License-Identifier: MIT
// What the window remembers between runs: the interface, the serial,
// parallel and network settings, the unit, the language chosen in the
// selector and the printer text encoding. Nothing is stored until the
// operator chooses something in the window, so the first start is the plain
// default; what the command line names wins over what is remembered and is
// not stored. A stored value that does not read back as valid (a hand-edited
// file) is ignored, never half used.
#pragma once

#include <QVariant>
#include <optional>
#include <string>

#include "core/transport/port_settings.h"

class QSettings;

namespace m350::gui {

class RememberedSettings {
  public:
    explicit RememberedSettings(QSettings& store) : store_(store) {}

    // --reset-settings: everything forgotten, the USB device named included.
    void forget();

    std::optional<int> interfaceIndex() const;
    // Fills what is remembered of the serial, parallel and network settings
    // into ports; the rest keeps what it holds.
    void readPorts(m350::PortSettings& ports) const;
    std::optional<int> unit() const;  // 0 inch, 1 mm
    std::optional<int> language() const;
    // Empty: follow the interface language (a choice too).
    std::optional<std::string> textEncoding() const;

    void rememberInterface(int index);
    void rememberPorts(const m350::PortSettings& ports);
    void rememberUnit(int unit);
    void rememberLanguage(int language);
    void rememberTextEncoding(const std::string& name);

  private:
    std::optional<int> number(const char* key, int low, int high) const;
    void put(const char* key, const QVariant& value);

    QSettings& store_;
};

}  // namespace m350::gui
