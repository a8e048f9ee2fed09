// SPDX-License-Identifier: MIT
// Pieces of the shell outside the main window: command-line options, the
// serial status text, the progress window and the password gate's decision.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "control_named.h"
#include "core/access/password_gate.h"
#include "core/link/link_context.h"
#include "gui/dialogs/progress_dialog.h"
#include "gui/port_status_text.h"
#include "gui/startup_options.h"
#include "gui/usb_device_memory.h"

using namespace m350::gui;

using m350::gui::ParseOutcome;
using m350::gui::parseStartupOptions;
using m350::gui::StartupOptions;

namespace {

ParseOutcome Parse(QStringList args, StartupOptions& out) {
    QString message;
    args.prepend(QStringLiteral("m350-utility"));
    return parseStartupOptions(args, out, message);
}

TEST(StartupOptions, AcceptedForms) {
    StartupOptions o;
    ASSERT_EQ(Parse({"--interface", "ETHERNET", "--address", "127.0.0.1:9101", "--com", "com12",
                     "--lpt", "LPT4", "--language", "13"},
                    o),
              ParseOutcome::kRun);
    EXPECT_EQ(o.interfaceIndex, 3);
    EXPECT_EQ(o.address, "127.0.0.1");
    EXPECT_EQ(o.port, 9101);
    EXPECT_EQ(o.comName, "COM12");
    EXPECT_EQ(o.lptName, "LPT4");
    EXPECT_EQ(o.language, 13);

    StartupOptions host;
    ASSERT_EQ(Parse({"--address=printer-7", "--interface=lpt"}, host), ParseOutcome::kRun);
    EXPECT_EQ(host.address, "printer-7");
    EXPECT_FALSE(host.port.has_value());
    EXPECT_EQ(host.interfaceIndex, 2);

    StartupOptions none;
    ASSERT_EQ(Parse({}, none), ParseOutcome::kRun);
    EXPECT_FALSE(none.interfaceIndex || none.address || none.comName || none.lptName ||
                 none.language);
    EXPECT_EQ(Parse({"--help"}, none), ParseOutcome::kHelp);

    StartupOptions device;
    ASSERT_EQ(Parse({"--com", "/dev/ttyUSB0"}, device), ParseOutcome::kRun);
    EXPECT_EQ(device.comDevicePath, "/dev/ttyUSB0");
    EXPECT_FALSE(device.comName);
}

TEST(StartupOptions, QtOwnOptionsLeftToQt) {
    StartupOptions o;
    ASSERT_EQ(Parse({"-style", "fusion", "--platform=offscreen", "-reverse", "--language", "9",
                     "-qwindowtitle", "x"},
                    o),
              ParseOutcome::kRun);
    EXPECT_EQ(o.language, 9);
    QString message;
    EXPECT_EQ(parseStartupOptions({"m350-utility", "--help-all"}, o, message), ParseOutcome::kHelp);
    EXPECT_TRUE(message.contains("-platform")) << message.toStdString();
}

TEST(StartupOptions, RefusedForms) {
    const QStringList bad[] = {
        {"--interface", "wifi"}, {"--com", "COM31"},  {"--com", "COM0"},
        {"--com", "LPT1"},       {"--lpt", "LPT5"},   {"--language", "14"},
        {"--language", "-1"},    {"--language", "x"}, {"--address", "host:0"},
        {"--address", "host:x"}, {"--address", ""},   {"--address", QString(64, 'a')},
        {"--address", "a b"},    {"--bogus"},         {"stray"},
    };
    for (const QStringList& args : bad) {
        StartupOptions o;
        EXPECT_EQ(Parse(args, o), ParseOutcome::kError) << args.join(' ').toStdString();
    }
}

TEST(StartupOptions, UsbDeviceNames) {
    for (const char* name : {"1234:5678", "04B8:0e28:SN 7", "1-1.4", "auto"}) {
        StartupOptions o;
        ASSERT_EQ(Parse({"--usb-device", name}, o), ParseOutcome::kRun) << name;
        EXPECT_EQ(o.usbDevice, std::string(name));
    }
    for (const char* name : {"", "printer", "1234", "1234:5678:", "/dev/bus/usb/001/002", "1-"}) {
        StartupOptions o;
        EXPECT_EQ(Parse({"--usb-device", name}, o), ParseOutcome::kError) << name;
    }
    StartupOptions none;
    ASSERT_EQ(Parse({}, none), ParseOutcome::kRun);
    EXPECT_FALSE(none.usbDevice.has_value());
}

TEST(UsbDeviceMemory, TheNamedDeviceIsRememberedUntilAutoForgetsIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings store(dir.filePath(QStringLiteral("m350.ini")), QSettings::IniFormat);
    unsetenv("M350_USB");
    struct Step {
        const char* what;
        std::optional<std::string> option;
        const char* env;  // M350_USB, or null
        std::string result;
    };
    const Step steps[] = {
        {"nothing named yet", std::nullopt, nullptr, ""},
        {"named", std::string("1234:0002:SN"), nullptr, "1234:0002:SN"},
        {"remembered at the next start", std::nullopt, nullptr, "1234:0002:SN"},
        // For this run the environment decides (the link reads it at open).
        {"the environment names another", std::nullopt, "1-3", ""},
        {"an option beats the environment", std::string("1-2"), "1-3", "1-2"},
        {"the last named is remembered", std::nullopt, nullptr, "1-2"},
        {"auto forgets", std::string("auto"), nullptr, "auto"},
        {"forgotten", std::nullopt, nullptr, ""},
    };
    for (const Step& s : steps) {
        if (s.env)
            setenv("M350_USB", s.env, 1);
        else
            unsetenv("M350_USB");
        EXPECT_EQ(startupUsbDevice(s.option, store), s.result) << s.what;
    }
    unsetenv("M350_USB");
    // A remembered text edited into nonsense is not used.
    store.setValue(QStringLiteral("usb/device"), QStringLiteral("not a device"));
    EXPECT_EQ(startupUsbDevice(std::nullopt, store), "");
}

TEST(SerialStatusText, IndexesOutsideTheTablesShowWhatThePortOpensWith) {
    m350::SerialSettings s;
    EXPECT_EQ(m350::gui::serialStatusText(s), "COM1 9600,N,8,1 RTS ");
    s = {"COM30",
         m350::BaudRate::k115200,
         m350::DataBits::kSeven,
         m350::Parity::kOdd,
         m350::StopBits::kOneAndAHalf,
         m350::Handshake::kRtsCts,
         m350::XonXoff::kOn};
    EXPECT_EQ(m350::gui::serialStatusText(s), "COM30 115200,O,7,1.5 RTS/CTS Xon/Xoff");
    // The empty eighth baud item opens at 9600; other strays map as the port does.
    s = {"COM2",           m350::BaudRate::kUnset, m350::DataBits{5},
         m350::Parity{-1}, m350::StopBits{9},      m350::Handshake{3},
         m350::XonXoff{4}};
    EXPECT_EQ(m350::gui::serialStatusText(s), "COM2 9600,N,8,1 RTS/CTS ");
}

TEST(ProcessProgress, ShowsACentredWindowThatFollowsTheLink) {
    m350::gui::ProgressDialogSink sink([] { return QSize(1024, 768); });
    m350::PortSettings settings;
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.progress = &sink;
    ctx.sleep = [](int) {};

    m350::showProgress(ctx, m350::kStepMode, 3, 3);
    ProgressDialog* form = sink.form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Communicating...");
    EXPECT_EQ(form->size(), QSize(241, 49));
    EXPECT_EQ(form->pos(), QPoint((1024 - 241) / 2, (768 - 49) / 2));
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*form, "ProgressBar1")->geometry(),
              QRect(16, 16, 209, 17));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*form, "ProgressBar1")->value(), 3);
    m350::reportProgress(ctx, m350::kStepMode, 0);
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*form, "ProgressBar1")->value(), 6);
    m350::reportProgress(ctx, m350::kPercentMode, 50);  // other mode: ignored
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*form, "ProgressBar1")->value(), 6);
    m350::hideProgress(ctx);
    EXPECT_EQ(sink.form(), nullptr);

    m350::showProgress(ctx, m350::kPercentMode, 3, 3, "Making font...");
    EXPECT_EQ(sink.form()->windowTitle(), "Making font...");
    m350::reportProgress(ctx, m350::kPercentMode, 49);
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*sink.form(), "ProgressBar1")->value(), 49);
    m350::hideProgress(ctx);
}

TEST(ProcessProgress, TheOperatorCannotCloseTheWindow) {
    m350::gui::ProgressDialogSink sink([] { return QSize(1024, 768); });
    m350::PortSettings settings;
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.progress = &sink;
    ctx.sleep = [](int) {};
    m350::showProgress(ctx, m350::kStepMode, 3, 3);
    ProgressDialog* form = sink.form();
    ASSERT_NE(form, nullptr);
    form->activateWindow();

    // Escape, Enter, Alt+F4 as keys; the window manager's close request; a
    // reject from anywhere: the window stays while the exchange goes on.
    for (auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(form, key);
        EXPECT_TRUE(form->isVisible()) << key;
    }
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(form->isVisible());
    QCloseEvent close;
    QCoreApplication::sendEvent(form, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->close());
    form->reject();
    EXPECT_TRUE(form->isVisible());

    // The same arriving while the link waits and pumps events.
    QCoreApplication::postEvent(form,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(form, new QCloseEvent);
    m350::reportProgress(ctx, m350::kStepMode, 0);
    ctx.pump();
    ASSERT_EQ(sink.form(), form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(m350test::controlNamed<QProgressBar>(*form, "ProgressBar1")->value(), 6);

    // Only the link ends it.
    m350::hideProgress(ctx);
    EXPECT_EQ(sink.form(), nullptr);
}

TEST(PasswordGate, PassesOnlyAnEmptyPasswordOrAConfirmedOne) {
    int asked = 0;
    auto gate = [&](int readResult, std::string password, bool confirm) {
        m350::PasswordGateSteps steps;
        steps.readPassword = [=](std::string& out) {
            out = password;
            return readResult;
        };
        steps.askOperator = [&, confirm](const std::string&) {
            ++asked;
            return confirm;
        };
        return m350::passwordGate(steps);
    };
    EXPECT_TRUE(gate(0, "", false));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(gate(1, "", true));
    EXPECT_FALSE(gate(0, "pass", false));
    EXPECT_TRUE(gate(0, "secret", true));
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(m350::passwordGate({}));
}

}  // namespace
