// SPDX-License-Identifier: MIT
// The real windows against their binding tables: every mapped name must be a
// control of the window, and switching languages at run time must keep every
// choice the operator made.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <memory>

#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "gui/dialogs/clock_setup_dialog.h"
#include "gui/dialogs/dump_text_dialog.h"
#include "gui/dialogs/lpt_setup_dialog.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/dialogs/sensor_calibration_dialog.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/mnemonics.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "support/scripted_port.h"

using namespace m350::gui;

namespace {

using m350::gui::languageQText;

class Windows : public ::testing::Test {
  protected:
    MainWindow& make(std::optional<int> language) {
        MainWindowSeams seams = m350test::testSeams(prompter, progress);
        m350test::withoutPrinter(seams);
        m350::gui::StartupOptions options;
        options.language = language;
        window = std::make_unique<MainWindow>(options, seams);
        return *window;
    }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> window;
};

TEST_F(Windows, EveryMappedControlOfTheMainWindowExists) {
    MainWindow& w = make(m350::kLangEnglish);
    const QStringList missing = m350::gui::applyMainWindowLanguage(&w, m350::kLangGerman);
    EXPECT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
}

// The lists of the file and font manager pages carry their items in the
// order whose indexes the download, memory and font requests use, with the
// form's defaults selected.
TEST_F(Windows, FileAndFontPagesListTheirItemsInOrder) {
    make(m350::kLangEnglish);
    auto items = [](QComboBox* c) {
        QStringList out;
        for (int i = 0; c != nullptr && i < c->count(); ++i) out << c->itemText(i);
        return out;
    };
    const QStringList devices{"DRAM", "FLASH", "CARD"};
    auto* fileType = find<QComboBox>("ComboBoxFileType");
    EXPECT_EQ(items(fileType),
              QStringList({"BMP", "PCX", "True Type Font", "Bitmap Font", "Printer BASIC File",
                           "Data File", "Firmware File", "TCF File"}));
    auto* device = find<QComboBox>("ComboBoxDevice");
    EXPECT_EQ(items(device), devices);
    EXPECT_EQ(device->currentText(), "FLASH");
    EXPECT_FALSE(find<QPushButton>("ButtonDownload")->isEnabled());
    for (const char* name : {"RadioGroupDevice", "RadioGroupFormatDevice"}) {
        auto* group = find<m350::gui::RadioGroup>(name);
        ASSERT_EQ(group->count(), 3) << name;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(group->itemText(i), devices[i]) << name;
        EXPECT_EQ(group->itemIndex(), 1) << name;
    }

    EXPECT_EQ(items(find<QComboBox>("ComboBoxFontEncode")),
              QStringList({"Standard Encode", "Asian Font Encode", "Encode by Table",
                           "Encode by Table (Asian)"}));
    auto* pitch = find<QComboBox>("ComboBoxFontPitch");
    EXPECT_EQ(items(pitch), QStringList({"Fixed Pitch", "Variable Pitch"}));
    EXPECT_EQ(pitch->currentIndex(), 1);
    EXPECT_EQ(find<QComboBox>("ComboBoxMemoryDevice")->currentText(), "FLASH");
    EXPECT_EQ(items(find<QComboBox>("ComboBoxSEncode")),
              QStringList({"Standard Mapping", "Full ASCII Mapping", "Customer Mapping"}));
    EXPECT_EQ(find<QLineEdit>("EditCharStart")->text(), "32");
    EXPECT_EQ(find<QLineEdit>("EditCharEnd")->text(), "127");
    EXPECT_EQ(m350::gui::typingLimit(find<QLineEdit>("EditCharEnd")), 3);
    EXPECT_EQ(find<QLineEdit>("EditPrinterFontName")->text(), "FONT001");

    // In German the translated items replace them in place, selection kept.
    auto* languages = find<QComboBox>("ComboBoxLanguage");
    find<QComboBox>("ComboBoxFontEncode")->setCurrentIndex(2);
    languages->setCurrentIndex(m350::kLangGerman);
    emit languages->activated(m350::kLangGerman);
    EXPECT_EQ(find<QComboBox>("ComboBoxFontEncode")->currentIndex(), 2);
    EXPECT_EQ(find<QComboBox>("ComboBoxFontEncode")->currentText(),
              languageQText(170, m350::kLangGerman));
    EXPECT_EQ(pitch->itemText(1), languageQText(175, m350::kLangGerman));
    EXPECT_EQ(pitch->currentIndex(), 1);
}

TEST_F(Windows, CommandLineLanguageTranslatesTheWindowAtStartUp) {
    MainWindow& w = make(m350::kLangRussian);
    EXPECT_EQ(w.language(), m350::kLangRussian);
    EXPECT_EQ(find<QComboBox>("ComboBoxLanguage")->currentIndex(), m350::kLangRussian);
    EXPECT_EQ(find<QComboBox>("ComboBoxLanguage")->currentText(), QStringLiteral("Русский"));
    EXPECT_EQ(find<QWidget>("GroupBoxLanguage")->property("title").toString(),
              QStringLiteral("Язык"));
    EXPECT_EQ(m350::gui::withoutMnemonic(find<QTabWidget>("PageControl1")->tabText(1)),
              QStringLiteral("Управление файлом"));
    EXPECT_EQ(m350::gui::withoutMnemonic(find<QPushButton>("ButtonGetStatus")->text()),
              languageQText(57, m350::kLangRussian));
    // Texts the table does not hold stay in English.
    EXPECT_EQ(find<QComboBox>("ComboBoxInterFace")->itemText(3), QStringLiteral("ETHERNET"));
}

TEST_F(Windows, OperatorSwitchesLanguageAndKeepsEveryChoice) {
    MainWindow& w = make(m350::kLangEnglish);
    auto* unit = find<m350::gui::RadioGroup>("RadioGroupUnit");
    auto* iface = find<QComboBox>("ComboBoxInterFace");
    auto* languages = find<QComboBox>("ComboBoxLanguage");
    auto* encode = find<m350::gui::RadioGroup>("RadioGroupAsiaFontEncode");
    unit->setItemIndex(1);
    iface->setCurrentIndex(m350::kEthernet);
    encode->setItemIndex(3);
    find<QLineEdit>("EditPrinterStatus")->setText(QStringLiteral("Ready"));

    languages->setCurrentIndex(m350::kLangJapanese);
    emit languages->activated(m350::kLangJapanese);

    EXPECT_EQ(w.language(), m350::kLangJapanese);
    EXPECT_EQ(languages->currentIndex(), m350::kLangJapanese);
    for (int i = 0; i < m350::kLanguageCount; ++i)
        EXPECT_EQ(languages->itemText(i), languageQText(10 + i, m350::kLangJapanese)) << i;
    EXPECT_EQ(unit->itemIndex(), 1);
    EXPECT_EQ(unit->itemText(0), QStringLiteral("インチ"));
    EXPECT_EQ(iface->currentIndex(), m350::kEthernet);
    EXPECT_EQ(encode->itemIndex(), 3);
    EXPECT_EQ(encode->itemText(3), languageQText(193, m350::kLangJapanese));
    EXPECT_TRUE(find<QLineEdit>("EditPrinterStatus")->text().isEmpty());
    EXPECT_EQ(m350::gui::withoutMnemonic(find<QPushButton>("ButtonSend")->text()),
              languageQText(199, m350::kLangJapanese));

    // Dialogs opened afterwards come up in the new language.
    m350::SerialSettings serial;
    Rs232SetupDialog rs232(serial, w.language(), &w);
    EXPECT_EQ(rs232.findChild<QLabel*>("LabelComPort")->text(), QStringLiteral("COMポート"));
    EXPECT_EQ(m350::gui::withoutMnemonic(rs232.findChild<QPushButton*>("ButtonCancel")->text()),
              QStringLiteral("キャンセル"));
}

// The dialogs that exist carry every control their tables name, in every
// language. (NetSetupDialog discovers printers when it opens, so it is left to
// tests that give it a loopback target.)
TEST_F(Windows, PostPrintActionKeepsItsItemInGerman) {
    make(m350::kLangEnglish);
    auto* printOut = find<QComboBox>("ComboBoxPrintOut");
    printOut->setCurrentIndex(3);
    EXPECT_EQ(printOut->currentText(), QStringLiteral("PEEL"));
    auto* languages = find<QComboBox>("ComboBoxLanguage");
    languages->setCurrentIndex(m350::kLangGerman);
    emit languages->activated(m350::kLangGerman);
    EXPECT_EQ(printOut->currentIndex(), 3);
    EXPECT_EQ(printOut->currentText(), QStringLiteral("ABZIEHEN"));
    EXPECT_EQ(find<QLabel>("LabelPrintOut")->text(), languageQText(74, m350::kLangGerman));
}

TEST_F(Windows, DialogsHaveEveryMappedControl) {
    MainWindow& w = make(m350::kLangEnglish);
    for (int lang = 0; lang < m350::kLanguageCount; ++lang) {
        m350::SerialSettings serial;
        Rs232SetupDialog rs232(serial, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&rs232, "TFormRs232Setup", lang).isEmpty());
        EXPECT_EQ(rs232.findChild<QLabel*>("LabelHardwareS")->text(), languageQText(201, lang));

        std::string lpt = "LPT1";
        LptSetupDialog lptDialog(lpt, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&lptDialog, "TFormLPTSetup", lang).isEmpty());
        EXPECT_EQ(
            m350::gui::withoutMnemonic(lptDialog.findChild<QPushButton*>("ButtonSet")->text()),
            languageQText(4, lang));

        PasswordDialog password("secret", prompter, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&password, "TFormPassword", lang).isEmpty());
        EXPECT_EQ(password.windowTitle(), languageQText(261, lang));

        std::string newPassword;
        PasswordSetupDialog setup(newPassword, prompter, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&setup, "TFormPasswordSetup", lang).isEmpty());
        EXPECT_EQ(setup.findChild<QLabel*>("LabelOldPassword")->text(), languageQText(259, lang));

        m350::DumpRequest dumpRequest;
        DumpTextDialog dump(dumpRequest, prompter, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&dump, "TFormDumpTextSetup", lang).isEmpty());
        EXPECT_EQ(dump.findChild<QLabel*>("LabelFileName")->text(), languageQText(154, lang));

        m350::ClockValues clock{};
        ClockSetupDialog rtc(clock, prompter, lang, &w);
        EXPECT_TRUE(m350::gui::applyDialogLanguage(&rtc, "TFormRTCSetup", lang).isEmpty());
        EXPECT_EQ(rtc.windowTitle(), languageQText(37, lang));

        w.setLanguage(lang);
        m350::SensorRequest sensorRequest;
        SensorCalibrationDialog sensor(sensorRequest, m350::kEthernet, w, &w);
        EXPECT_TRUE(
            m350::gui::applyDialogLanguage(&sensor, "TFormSensorCalibrate", lang).isEmpty());
        EXPECT_EQ(sensor.findChild<QLabel*>("LabelUnit1")->text(), languageQText(26, lang));
        w.setLanguage(m350::kLangEnglish);
    }
}

}  // namespace
