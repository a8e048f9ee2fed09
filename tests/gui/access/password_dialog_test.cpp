// SPDX-License-Identifier: MIT
// The two password dialogs on their own: the exact comparison, the verdict
// that only OK with the right text gives, and the setup dialog's record.
#include "gui/dialogs/password_dialog.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/language_apply.h"
#include "gui/mnemonics.h"

using namespace m350::gui;

using m350test::ScriptedPrompter;

namespace {

void PressEscape(QDialog& dialog) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &press);
}

// How an operator can leave a dialog without OK.
enum class WayOut { kCancel, kEscape, kWindowClose };

void Leave(QDialog& dialog, QPushButton* cancel, WayOut way) {
    dialog.open();
    switch (way) {
        case WayOut::kCancel:
            cancel->click();
            break;
        case WayOut::kEscape:
            PressEscape(dialog);
            break;
        case WayOut::kWindowClose:
            dialog.close();
            break;
    }
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(PasswordDialog, ShapeAndTexts) {
    ScriptedPrompter prompter;
    const std::string password = "abc";
    PasswordDialog english(password, prompter, 0);
    EXPECT_EQ(english.objectName(), "TFormPassword");
    EXPECT_EQ(m350::gui::withoutMnemonic(
                  m350test::controlNamed<QPushButton>(english, "ButtonOK")->text()),
              "OK");
    EXPECT_EQ(m350::gui::withoutMnemonic(
                  m350test::controlNamed<QPushButton>(english, "ButtonCancel")->text()),
              "Cancel");
    // Typed in clear, and the field starts empty: the printer's password is
    // not offered to whoever stands at the desk.
    EXPECT_EQ(m350test::controlNamed<QLineEdit>(english, "EditPassword")->echoMode(),
              QLineEdit::Normal);
    EXPECT_TRUE(m350test::controlNamed<QLineEdit>(english, "EditPassword")->text().isEmpty());
    EXPECT_FALSE(english.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(english.windowFlags() & Qt::WindowSystemMenuHint);

    std::string buffer;
    PasswordSetupDialog french(buffer, prompter, 7);
    EXPECT_EQ(french.windowTitle(), m350::gui::languageQText(258, 7));
    EXPECT_EQ(m350test::controlNamed<QLabel>(french, "LabelOldPassword")->text(),
              m350::gui::languageQText(259, 7));
    EXPECT_EQ(m350test::controlNamed<QLabel>(french, "LabelNewPassword")->text(),
              m350::gui::languageQText(260, 7));
    EXPECT_EQ(m350::gui::withoutMnemonic(
                  m350test::controlNamed<QPushButton>(french, "ButtonCancel")->text()),
              m350::gui::languageQText(2, 7));
    EXPECT_EQ(m350test::controlNamed<QLineEdit>(french, "EditOldPassword")->echoMode(),
              QLineEdit::Normal);
    EXPECT_EQ(m350test::controlNamed<QLineEdit>(french, "EditNewPassword")->echoMode(),
              QLineEdit::Normal);
    french.open();
    EXPECT_EQ(french.minimumSize(), french.maximumSize());
    french.reject();
}

TEST(PasswordDialog, OkComparesExactlyAndKeepsTheDialogOpenUntilRight) {
    ScriptedPrompter prompter;
    const std::string password = "Secret 1";
    PasswordDialog d(password, prompter, 0);
    d.open();
    for (const char* wrong : {"secret 1", "Secret 1 ", "Secret", ""}) {
        m350test::controlNamed<QLineEdit>(d, "EditPassword")->setText(QString::fromLatin1(wrong));
        m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
        EXPECT_TRUE(d.isVisible()) << wrong;
        EXPECT_FALSE(d.passed()) << wrong;
    }
    EXPECT_EQ(prompter.messages, QStringList(4, "Incorrect"));
    m350test::controlNamed<QLineEdit>(d, "EditPassword")->setText("Secret 1");
    m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
    EXPECT_TRUE(d.passed());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(password, "Secret 1");
}

// The printer's password may be any text, the old verdict words included:
// leaving the dialog without OK never passes, and the text is never touched.
TEST(PasswordDialog, NoWayOutButOkPasses) {
    for (const char* password : {"pass", "fail", "x"}) {
        for (WayOut way : {WayOut::kCancel, WayOut::kEscape, WayOut::kWindowClose}) {
            ScriptedPrompter prompter;
            const std::string text = password;
            PasswordDialog d(text, prompter, 0);
            m350test::controlNamed<QLineEdit>(d, "EditPassword")
                ->setText(QString::fromLatin1(password));
            Leave(d, m350test::controlNamed<QPushButton>(d, "ButtonCancel"), way);
            EXPECT_FALSE(d.passed()) << password << " way " << static_cast<int>(way);
            EXPECT_EQ(text, password);
            EXPECT_TRUE(prompter.messages.isEmpty());
        }
    }
}

TEST(PasswordSetupDialog, OldPasswordMustMatchBeforeTheNewOneIsTaken) {
    ScriptedPrompter prompter;
    std::string buffer = "Old";
    PasswordSetupDialog d(buffer, prompter, 0);
    EXPECT_TRUE(m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->text().isEmpty());
    d.open();
    m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("old");
    m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("New");
    m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
    EXPECT_EQ(prompter.messages, QStringList{"Incorrect"});
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(buffer, "Old");
    EXPECT_FALSE(d.confirmed());

    m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("Old");
    m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
    EXPECT_TRUE(d.confirmed());
    EXPECT_EQ(buffer, "New");
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(PasswordSetupDialog, EmptyCurrentPasswordNeedsAnEmptyOldEntry) {
    ScriptedPrompter prompter;
    std::string buffer;
    PasswordSetupDialog d(buffer, prompter, 0);
    d.open();
    m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("anything");
    m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("abc");
    m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
    EXPECT_EQ(prompter.messages, QStringList{"Incorrect"});
    m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->clear();
    m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
    EXPECT_EQ(buffer, "abc");
}

// A quote, a line break or a character outside printable ASCII would break
// the printer's command line; the dialog stays open and nothing changes.
TEST(PasswordSetupDialog, NewPasswordThatCannotBeSentIsRefused) {
    for (const QString& bad :
         {QStringLiteral("a\"b"), QStringLiteral("a\rINITIALPRINTER"), QStringLiteral("caf\u00e9"),
          QStringLiteral("\u5bc6\u78bc"), QString(1023, QChar('x'))}) {
        ScriptedPrompter prompter;
        std::string buffer = "old";
        PasswordSetupDialog d(buffer, prompter, 0);
        d.open();
        m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("old");
        m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText(bad);
        m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
        EXPECT_EQ(prompter.messages, QStringList{QString::fromLatin1(kPasswordNotSendableText)});
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.confirmed());
        EXPECT_EQ(buffer, "old");
        d.reject();
    }
}

TEST(PasswordSetupDialog, LeavingWithoutOkKeepsTheRecord) {
    for (WayOut way : {WayOut::kCancel, WayOut::kEscape, WayOut::kWindowClose}) {
        ScriptedPrompter prompter;
        std::string buffer = "keep";
        PasswordSetupDialog d(buffer, prompter, 0);
        m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("keep");
        m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("other");
        Leave(d, m350test::controlNamed<QPushButton>(d, "ButtonCancel"), way);
        EXPECT_FALSE(d.confirmed());
        EXPECT_EQ(buffer, "keep");
    }
}

}  // namespace
