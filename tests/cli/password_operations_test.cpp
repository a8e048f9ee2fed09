// SPDX-License-Identifier: MIT
// Link operations 2 and 3 (printer password read and set) on a scripted port.
#include <gtest/gtest.h>

#include "core/access/password.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

namespace m350test {
namespace {

const std::string kAnnounceCom = "\r\nDIAGNOSTIC INTERFACE COM\r\n";

TEST(PasswordRead, EditionDecidesWhetherThePasswordIsAsked) {
    ScriptedLink newer({"{3|COM}", "{3|108}", "{6|S3cr t}"});
    std::string pw = "stale";
    EXPECT_EQ(m350::runOperation(newer.ctx(), m350::kOpReadPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              m350::kOk);
    EXPECT_EQ(pw, "S3cr t");
    EXPECT_EQ(newer.written(),
              kAnnounceCom + "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT PASSWORD\r\n");

    ScriptedLink old({"{3|COM}", "{4| 100}"});
    pw = "stale";
    EXPECT_EQ(m350::runOperation(old.ctx(), m350::kOpReadPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              m350::kOk);
    EXPECT_EQ(pw, "");
    EXPECT_EQ(old.written(), kAnnounceCom + "DIAGNOSTIC REPORT EDITION\r\n");
}

TEST(PasswordRead, FailuresGiveTheLastQuerysCodeAndAnEmptyText) {
    ScriptedLink silent({});
    std::string pw = "stale";
    EXPECT_EQ(m350::runOperation(silent.ctx(), m350::kOpReadPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              m350::kReceiveError);
    EXPECT_EQ(pw, "");
    EXPECT_EQ(silent.written(), kAnnounceCom);  // nothing after a failed announcement

    ScriptedLink noPassword({"{3|COM}", "{3|108}", "{x|}"});
    EXPECT_EQ(m350::runOperation(noPassword.ctx(), m350::kOpReadPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              m350::kReceiveError);
    EXPECT_EQ(pw, "");

    ScriptedLink closed({});
    closed.port().failOpen = true;
    EXPECT_EQ(m350::runOperation(closed.ctx(), m350::kOpReadPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              m350::kPortOpenError);

    // On the parallel port the printer counts as having none; nothing is opened.
    ScriptedLink lpt({});
    const int opens = lpt.port().opens;
    pw.clear();
    bool called = false;
    EXPECT_EQ(m350::runOperation(lpt.ctx(), m350::kOpReadPassword, m350::kLpt,
                                 [&](m350::Link& l) {
                                     called = true;
                                     return m350::readPassword(l, pw);
                                 }),
              m350::kOk);
    EXPECT_FALSE(called);
    EXPECT_EQ(pw, "");
    EXPECT_EQ(lpt.port().opens, opens);
}

TEST(PasswordSet, SendsTheQuotedLineAndWantsAFrame) {
    ScriptedLink ok({"{0|}"});
    std::string pw = "new one";
    EXPECT_EQ(m350::runOperation(ok.ctx(), m350::kOpSetPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::setPassword(l, pw); }),
              m350::kOk);
    EXPECT_EQ(ok.written(), "DIAGNOSTIC PASSWORD \"new one\"\r\n");

    ScriptedLink silent({});
    EXPECT_EQ(m350::runOperation(silent.ctx(), m350::kOpSetPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::setPassword(l, pw); }),
              m350::kReceiveError);

    ScriptedLink failing({"{0|}"});
    failing.port().failWrites = true;
    EXPECT_EQ(m350::runOperation(failing.ctx(), m350::kOpSetPassword, m350::kCom,
                                 [&](m350::Link& l) { return m350::setPassword(l, pw); }),
              m350::kTransmitError);
}

TEST(PasswordSet, TextThatWouldBreakTheLineIsNeverSent) {
    for (const std::string& bad :
         {std::string("a\"b"), std::string("a\r\nINITIALPRINTER"), std::string("tab\t"),
          std::string("\xC3\xA9"), std::string(m350::kMaxPasswordLength + 1, 'x')}) {
        ScriptedLink link({"{0|}"});
        const int opens = link.port().opens;
        std::string pw = bad;
        EXPECT_EQ(m350::runOperation(link.ctx(), m350::kOpSetPassword, m350::kCom,
                                     [&](m350::Link& l) { return m350::setPassword(l, pw); }),
                  m350::kTransmitError);
        EXPECT_EQ(link.written(), "");
        EXPECT_EQ(link.port().opens, opens);
    }
    EXPECT_TRUE(m350::passwordTextSendable(""));
    EXPECT_TRUE(m350::passwordTextSendable(std::string(m350::kMaxPasswordLength, '~')));
}

}  // namespace
}  // namespace m350test
