// Pieces of the shell outside the main window: command-line options, the
// serial status text, the progress window and the password gate's decision.
#include <gtest/gtest.h>

#include "control_named.h"
#include "core/access/password_gate.h"
#include "core/link/link_context.h"
#include "gui/dialogs/progress_dialog.h"
#include "gui/port_status_text.h"
#include "gui/startup_options.h"

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

TEST(SerialStatusText, IndexesOutsideTheTablesShowWhatThePortOpensWith) {
    m350::SerialSettings s;
    EXPECT_EQ(m350::gui::serialStatusText(s), "COM1 9600,N,8,1 RTS ");
    s = {"COM30", 6, 0, 1, 1, 2, 1};
    EXPECT_EQ(m350::gui::serialStatusText(s), "COM30 115200,O,7,1.5 RTS/CTS Xon/Xoff");
    // The empty eighth baud item opens at 9600; other strays map as the port does.
    s = {"COM2", 7, 5, -1, 9, 3, 4};
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
