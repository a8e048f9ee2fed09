// SPDX-License-Identifier: MIT
// The pieces every window test starts the main window with: scripted boxes,
// recorded progress, instant pauses, a given screen, and either no printer or
// the simulated one over loopback TCP.
#pragma once

#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <memory>

#include "gui/main_window.h"
#include "scripted_prompter.h"
#include "support/scripted_port.h"

namespace m350test {

// UDP aimed at a loopback port where nobody answers, short waits, and no
// browser: tests never broadcast from the machine's own network.
inline m350::gui::NetworkSeams quietNetwork(int port = 1) {
    m350::gui::NetworkSeams n;
    n.udp.broadcast = n.udp.multicast = "127.0.0.1";
    n.udp.port = static_cast<std::uint16_t>(port);
    n.udp.idleMs = 50;
    n.udp.replyWaitMs = 50;
    n.openUrl = [](const QUrl&) {};
    return n;
}

// What windows remember, in a file of the test run's own, emptied for each
// window so that no test sees what another one chose.
inline QSettings& freshSettings() {
    static QTemporaryDir dir;
    static QSettings store(dir.filePath(QStringLiteral("m350-utility.ini")), QSettings::IniFormat);
    store.clear();
    store.sync();
    return store;
}

inline m350::gui::MainWindowSeams testSeams(ScriptedPrompter& prompter, RecordingProgress& progress,
                                            QSize screen = {1280, 1024}) {
    m350::gui::MainWindowSeams seams;
    seams.prompter = &prompter;
    seams.screenSize = [screen] { return screen; };
    seams.progress = &progress;
    seams.sleep = [](int) {};
    seams.network = quietNetwork();
    seams.settings = &freshSettings();
    seams.buildAllPages = true;
    return seams;
}

// No printer on any interface: the start-up contact stops at the first open.
inline void withoutPrinter(m350::gui::MainWindowSeams& seams) {
    auto state = std::make_shared<ScriptedPortState>();
    state->failOpen = true;
    seams.makePort = [state](m350::LinkContext&, int) {
        return std::make_unique<ScriptedPort>(state);
    };
}

// The Wireless page's place among the settings pages (PageControl2).
inline constexpr int kWirelessTab = 4;

// ETHERNET to a printer on 127.0.0.1:port, texts in English.
inline m350::gui::StartupOptions loopbackPrinter(int port) {
    m350::gui::StartupOptions options;
    options.interfaceIndex = m350::kEthernet;
    options.address = "127.0.0.1";
    options.port = port;
    options.language = 0;
    return options;
}

}  // namespace m350test
