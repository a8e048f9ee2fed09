// SPDX-License-Identifier: MIT
// The typing limit of the boxes: what the operator types and pastes stays
// within it, what the program shows stays whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include "gui/widgets/form_kit.h"

namespace {

struct Case {
    const char* name;
    int limit;
    const char* shown;  // set by the program
    int cursor;         // where the operator starts
    bool selectAll;     // typing replaces everything
    const char* typed;
    const char* result;
};

TEST(TypingLimit, TypingAndPastingStayWithinWhatTheProgramShowedWhole) {
    const Case cases[] = {
        // Empty box: typing stops at the limit.
        {"typing", 2, "", 0, false, "3.5", "3."},
        // A value longer than the limit shows whole.
        {"shown whole", 2, "3.29999995231628", 0, false, "", "3.29999995231628"},
        // ...and does not grow.
        {"no growing", 3, "-100", 4, false, "5", "-100"},
        // Shortening and replacing within the limit works.
        {"backspace", 3, "-100", 4, false, "\b", "-10"},
        {"replace all", 3, "-100", 0, true, "-65", "-65"},
        {"replace all past limit", 2, "3.29999995231628", 0, true, "2.5", "2."},
        {"32 characters", 32, "", 0, false, "abcdefghijklmnopqrstuvwxyz0123456789",
         "abcdefghijklmnopqrstuvwxyz012345"},
    };
    for (const Case& c : cases) {
        QLineEdit edit;
        m350::gui::limitTyping(&edit, c.limit);
        EXPECT_EQ(m350::gui::typingLimit(&edit), c.limit);
        edit.setText(QString::fromUtf8(c.shown));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown)) << c.name;
        edit.setCursorPosition(c.cursor);
        if (c.selectAll) edit.selectAll();
        for (char ch : std::string(c.typed)) {
            if (ch == '\b') {
                QTest::keyClick(&edit, Qt::Key_Backspace);
            } else {
                QTest::keyClicks(&edit, QString(QChar::fromLatin1(ch)));
            }
        }
        EXPECT_EQ(edit.text().toStdString(), c.result) << c.name;
        // A box the operator has typed in still takes a long value whole.
        edit.setText(QStringLiteral("a text longer than any limit here"));
        EXPECT_EQ(edit.text(), QStringLiteral("a text longer than any limit here")) << c.name;
    }

    // A paste keeps what fits, from its start.
    QLineEdit edit;
    m350::gui::limitTyping(&edit, 5);
    edit.setText(QStringLiteral("ab"));
    edit.setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("XYZW"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("aXYZb"));

    QLineEdit plain;
    EXPECT_EQ(m350::gui::typingLimit(&plain), 0);
}

}  // namespace
