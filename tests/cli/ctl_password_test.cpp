// SPDX-License-Identifier: MIT
// The password gate and the password change without a window.
#include <gtest/gtest.h>

#include "ctl_test_support.h"

namespace m350test {
namespace {

TEST(CtlPasswordGate, RefusesWithoutOrWithWrongPasswordAndSendsNothing) {
    START_SIM(sim, "--password", "Secret");
    // Standard input is a file, not a terminal: no prompt, a clear refusal.
    CtlRun none = runCtl(overNet(sim, {"factory-default"}));
    EXPECT_EQ(none.exitCode, 77);
    EXPECT_NE(none.err.find("--password"), std::string::npos) << none.err;
    // Case matters.
    CtlRun wrong = runCtl(overNet(sim, {"factory-default", "--password", "secret"}));
    EXPECT_EQ(wrong.exitCode, 77);
    EXPECT_NE(wrong.err.find("Incorrect"), std::string::npos) << wrong.err;
    // A password that merely reads like the window's old verdict text.
    CtlRun verdict = runCtl(overNet(sim, {"--password", "pass", "factory-default"}));
    EXPECT_EQ(verdict.exitCode, 77);

    auto rx = received(sim, 3);
    ASSERT_EQ(rx.size(), 3u);
    for (const auto& r : rx) EXPECT_EQ(r, kGateQueries);
}

TEST(CtlPasswordGate, PasswordFromOptionOrFileLetsTheCommandThrough) {
    START_SIM(sim, "--password", "Secret");
    TempDir dir;
    writeFile(dir.file("pw"), "Secret\r\n");
    CtlRun given = runCtl(overNet(sim, {"--password", "Secret", "factory-default"}));
    EXPECT_EQ(given.exitCode, 0) << given.err;
    CtlRun file = runCtl(overNet(sim, {"factory-default", "--password-file", dir.file("pw")}));
    EXPECT_EQ(file.exitCode, 0) << file.err;
    CtlRun missing = runCtl(overNet(sim, {"factory-default", "--password-file", dir.file("no")}));
    EXPECT_EQ(missing.exitCode, 66);

    auto rx = received(sim, 4);
    ASSERT_EQ(rx.size(), 4u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], "INITIALPRINTER\r\n");
    EXPECT_EQ(rx[2], kGateQueries);
    EXPECT_EQ(rx[3], "INITIALPRINTER\r\n");
}

TEST(CtlPasswordGate, OldEditionHasNoPasswordToAsk) {
    START_SIM(sim, "--edition", "100", "--password", "Secret");
    CtlRun run = runCtl(overNet(sim, {"factory-default"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT EDITION\r\n");
    EXPECT_EQ(rx[1], "INITIALPRINTER\r\n");
}

TEST(CtlPasswordSet, ChangesAfterTheOldOneAndThenGuardsWithTheNewOne) {
    START_SIM(sim, "--password", "old");
    CtlRun refused = runCtl(overNet(sim, {"password", "set", "--new", "fresh"}));
    EXPECT_EQ(refused.exitCode, 77);
    CtlRun set = runCtl(overNet(sim, {"--password", "old", "password", "set", "--new", "fresh"}));
    EXPECT_EQ(set.exitCode, 0) << set.err;
    CtlRun oldNow = runCtl(overNet(sim, {"--password", "old", "factory-default"}));
    EXPECT_EQ(oldNow.exitCode, 77);
    auto rx = received(sim, 4);
    ASSERT_EQ(rx.size(), 4u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], kGateQueries);
    EXPECT_EQ(rx[2], "DIAGNOSTIC PASSWORD \"fresh\"\r\n");
    EXPECT_EQ(rx[3], kGateQueries);
}

TEST(CtlPasswordSet, UnchangedOrUnsendablePasswordsSendNothing) {
    START_SIM(sim);
    // No password yet: the empty old password needs no answer.
    CtlRun same = runCtl(overNet(sim, {"password", "set", "--new", ""}));
    EXPECT_EQ(same.exitCode, 0) << same.err;
    // A quote or a line break would end the command line early.
    CtlRun quote = runCtl(overNet(sim, {"password", "set", "--new", "a\"\r\nINITIALPRINTER"}));
    EXPECT_EQ(quote.exitCode, 64);
    // Without a terminal the new password must be given.
    CtlRun ask = runCtl(overNet(sim, {"password", "set"}));
    EXPECT_EQ(ask.exitCode, 64);
    auto rx = received(sim, 3);
    ASSERT_EQ(rx.size(), 3u);
    for (const auto& r : rx) EXPECT_EQ(r, kGateQueries);
}

}  // namespace
}  // namespace m350test

namespace m350test {
namespace {

TEST(CtlPasswordPrompt, AskedOnTheTerminalWithoutEcho) {
    START_SIM(sim, "--password", "Secret");
    CtlRun ok = runCtlOnTerminal(overNet(sim, {"factory-default"}), {{"Password: ", "Secret"}});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.err.find("Secret"), std::string::npos) << ok.err;

    // Three wrong answers refuse; each shows "Incorrect".
    CtlRun wrong =
        runCtlOnTerminal(overNet(sim, {"factory-default"}),
                         {{"Password: ", "a"}, {"Password: ", "b"}, {"Password: ", "c"}});
    EXPECT_EQ(wrong.exitCode, 77);
    EXPECT_NE(wrong.err.find("Incorrect"), std::string::npos);

    CtlRun change =
        runCtlOnTerminal(overNet(sim, {"password", "set"}), {{"Old password: ", "Secret"},
                                                             {"New password: ", "Other"},
                                                             {"Repeat new password: ", "Other"}});
    EXPECT_EQ(change.exitCode, 0) << change.err;
    EXPECT_EQ(change.err.find("Other"), std::string::npos) << change.err;

    auto rx = received(sim, 5);
    ASSERT_EQ(rx.size(), 5u);
    EXPECT_EQ(rx[1], "INITIALPRINTER\r\n");
    EXPECT_EQ(rx[2], kGateQueries);  // the refused one sent nothing more
    EXPECT_EQ(rx[3], kGateQueries);
    EXPECT_EQ(rx[4], "DIAGNOSTIC PASSWORD \"Other\"\r\n");
}

}  // namespace
}  // namespace m350test
