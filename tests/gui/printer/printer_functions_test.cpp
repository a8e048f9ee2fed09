// SPDX-License-Identifier: MIT
// Dump text, RTC setup, sensor calibration and the emulation dialog from the
// main window against the simulated printer: what reaches the printer, byte
// for byte, for each way the operator goes through the dialogs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "gui/dialogs/clock_setup_dialog.h"
#include "gui/dialogs/dump_text_dialog.h"
#include "gui/dialogs/sensor_calibration_dialog.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "support/diagnostic_wire.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350::gui;
using m350test::controlNamed;
using m350test::kAnnounce;
using m350test::kPasswordRead;
using m350test::ScriptedPrompter;
using m350test::SimProcess;

namespace {

const std::string kFetch = "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n";
const std::string kClockRead = kAnnounce +
                               "DIAGNOSTIC REPORT YEAR\r\nDIAGNOSTIC REPORT MONTH\r\n"
                               "DIAGNOSTIC REPORT DATE\r\nDIAGNOSTIC REPORT HOUR\r\n"
                               "DIAGNOSTIC REPORT MINUTE\r\nDIAGNOSTIC REPORT SECOND\r\n";
const std::string kSensorRead = kAnnounce +
                                "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT GAPINTEN\r\n"
                                "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT THRESHOLD\r\n";
const std::string kRef = "SET SENSOR_REF MANUAL\r\n";
const std::string kManualEnd = "\x10\x4A\x4C";
const std::string kGapSensor = "DIAGNOSTIC REPORT GAPSENSOR\r\n";

using Rx = std::vector<std::string>;

// A progress sink that lets the window handle its events whenever the link
// pumps, as the real one does.
class PumpingProgress final : public m350::ProgressSink {
  public:
    void open(const std::string&) override {}
    void setPosition(int) override {}
    void close() override {}
    void pump() override {
        ++pumps;
        QCoreApplication::processEvents();
    }
    int pumps = 0;
};

class PrinterFunctions : public ::testing::Test {
  protected:
    // Starts the printer and the window on ETHERNET; the start-up exchange is
    // over when this returns.
    MainWindow& start(std::vector<std::string> simArgs, m350::ProgressSink* sink = nullptr,
                      bool parallel = false) {
        seen = 0;
        SimProcess::Options o;
        o.args = std::move(simArgs);
        o.parallel = parallel;
        sim = std::make_unique<SimProcess>(o);
        EXPECT_TRUE(sim->ok()) << sim->error();
        MainWindowSeams seams = m350test::testSeams(prompter, progress, QSize(1024, 768));
        if (sink) seams.progress = sink;
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()), seams);
        window->move(30, 60);
        window->link().timeouts.netReadMs = 2000;
        settle();
        prompter.shown.clear();
        prompter.messages.clear();
        return *window;
    }
    // The bytes each connection since the last call received, once every
    // connection is closed.
    Rx settle() {
        Rx out;
        sim->waitForQuiet();
        auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    void click(const char* button) { controlNamed<QPushButton>(*window, button)->click(); }
    QString tempPath(const QString& name) { return dir.filePath(name); }

    std::unique_ptr<SimProcess> sim;
    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
    QTemporaryDir dir;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// ---------------------------------------------------------------------------
// Dump text

// Picks the mode, types the name (unless null), and presses the button.
std::function<int(QDialog&)> dumpScript(int mode, QString name = {},
                                        const char* button = "ButtonOK",
                                        bool* nameEnabled = nullptr) {
    return [=](QDialog& d) {
        d.open();
        controlNamed<RadioGroup>(d, "RadioGroupDumpMode")->button(mode)->click();
        auto* edit = controlNamed<QLineEdit>(d, "EditFileName");
        if (nameEnabled) *nameEnabled = edit->isEnabled();
        if (!name.isNull()) edit->setText(name);
        controlNamed<QPushButton>(d, button)->click();
        if (d.isVisible()) d.reject();
        return d.result();
    };
}

TEST_F(PrinterFunctions, DumpModesSendTheirCommandByteForByte) {
    struct Case {
        int mode;
        QString name;
        std::string bytes;
    };
    const Case cases[] = {
        {0, {}, "DUMP_TEXT PRINT,"},
        {1, "LOG1.TXT", "DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\","},
        {1, "A.TXT", "DUMP_TEXT SAVE 1000,E,\"A.TXT\","},
    };
    MainWindow& w = start({});
    for (const auto& c : cases) {
        prompter.dialogs["TFormDumpTextSetup"] = dumpScript(c.mode, c.name);
        click("ButtonDump");
        EXPECT_EQ(settle(), Rx{c.bytes}) << c.mode;
    }
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_TRUE(w.isEnabled());
    // Cancel sends nothing.
    prompter.dialogs["TFormDumpTextSetup"] = dumpScript(1, "X.TXT", "ButtonCancel");
    click("ButtonDump");
    EXPECT_EQ(settle(), Rx{});
}

TEST_F(PrinterFunctions, DumpDialogFileNameRuleAndRefusedNames) {
    start({});
    // The dialog opens on "Print Label" with the name box disabled, and picking
    // "Save to File" after it leaves the box disabled.
    bool atOpen = true, afterPick = true;
    prompter.dialogs["TFormDumpTextSetup"] = [&](QDialog& d) {
        d.open();
        auto* edit = controlNamed<QLineEdit>(d, "EditFileName");
        atOpen = edit->isEnabled();
        EXPECT_EQ(edit->text(), "Dump.txt");
        EXPECT_EQ(typingLimit(edit), 0);  // a longer name is refused by OK, never cut
        EXPECT_EQ(controlNamed<RadioGroup>(d, "RadioGroupDumpMode")->itemIndex(), 0);
        controlNamed<RadioGroup>(d, "RadioGroupDumpMode")->button(2)->click();
        afterPick = edit->isEnabled();
        d.reject();
        return d.result();
    };
    click("ButtonDump");
    EXPECT_FALSE(atOpen);
    EXPECT_FALSE(afterPick);
    EXPECT_EQ(settle(), Rx{});

    // A card name that would end the command's quotes stays in the dialog.
    for (const QString& bad : {QStringLiteral("A\"B"), QStringLiteral(""), QStringLiteral("Ω.TXT"),
                               QStringLiteral("LOG\r\nSELFTEST")}) {
        prompter.messages.clear();
        bool open = false;
        prompter.dialogs["TFormDumpTextSetup"] = [&](QDialog& d) {
            int r = dumpScript(1, bad, "ButtonOK")(d);
            open = r == QDialog::Rejected && prompter.messages.size() == 1;
            return r;
        };
        click("ButtonDump");
        EXPECT_TRUE(open) << bad.toStdString();
        EXPECT_EQ(prompter.messages,
                  QStringList{QString::fromLatin1(kDumpFileNameNotSendableText)});
        EXPECT_EQ(settle(), Rx{});
    }
}

TEST_F(PrinterFunctions, SaveToFileFetchesDumpTxtAndSavesItWhole) {
    const std::string text = "^XA^FO50,50^FDHello{|}^FS^XZ\r\n";
    MainWindow& w = start({"--dump-text", text});
    const QString path = tempPath("dump.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older and much longer file that is replaced whole");
    }
    prompter.dialogs["TFormDumpTextSetup"] = dumpScript(2, "IGNORED.TXT");
    prompter.confirms = {true};
    prompter.files = {path};
    click("ButtonDump");
    EXPECT_EQ(settle(), (Rx{"DUMP_TEXT SAVE 1000,\"Dump.txt\",", kFetch}));
    EXPECT_TRUE(prompter.shown.contains("confirm: Press OK to load file."));
    EXPECT_EQ(fileBytes(path), QByteArray::fromStdString(text));
    EXPECT_TRUE(prompter.messages.isEmpty());
    ASSERT_EQ(prompter.fileRequests.size(), 1u);
    EXPECT_EQ(prompter.fileRequests[0].filter, "*.* (*)");
    EXPECT_TRUE(prompter.fileRequests[0].defaultSuffix.isEmpty());
    // Nothing left beside it from the temporary name.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"dump.txt"});
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(PrinterFunctions, AnEmptyDumpGivesAnEmptyFileAndCancelsSaveNothing) {
    start({});
    const QString path = tempPath("empty.txt");
    prompter.dialogs["TFormDumpTextSetup"] = dumpScript(2);
    prompter.confirms = {true};
    prompter.files = {path};
    click("ButtonDump");
    EXPECT_EQ(settle(), (Rx{"DUMP_TEXT SAVE 1000,\"Dump.txt\",", kFetch}));
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 0);

    // Cancel at the question: no fetch. Cancel at the save dialog: no file.
    prompter.confirms = {false};
    click("ButtonDump");
    EXPECT_EQ(settle(), Rx{"DUMP_TEXT SAVE 1000,\"Dump.txt\","});
    prompter.confirms = {true};
    click("ButtonDump");
    EXPECT_EQ(settle(), (Rx{"DUMP_TEXT SAVE 1000,\"Dump.txt\",", kFetch}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"empty.txt"});
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(PrinterFunctions, FetchIsTriedThreeTimesOnlyWhileNothingArrives) {
    struct Case {
        const char* fault;
        std::size_t fetches;
        QString message;
    };
    const Case cases[] = {
        {"broken-frame:FILE", 3, "Data Receiving Error"},
        {"drop:FILE", 3, "Data Receiving Error"},
        {"empty:FILE", 1, ""},
    };
    for (const auto& c : cases) {
        start({"--fault", c.fault});
        window->link().timeouts.netReadMs = 200;
        const QString path = tempPath("retry.txt");
        QFile::remove(path);
        prompter.dialogs["TFormDumpTextSetup"] = dumpScript(2);
        prompter.confirms = {true};
        prompter.files = {path};
        click("ButtonDump");
        Rx want{"DUMP_TEXT SAVE 1000,\"Dump.txt\","};
        for (std::size_t i = 0; i < c.fetches; ++i) want.push_back(kFetch);
        EXPECT_EQ(settle(), want) << c.fault;
        EXPECT_EQ(prompter.messages, c.message.isEmpty() ? QStringList{} : QStringList{c.message})
            << c.fault;
        // A failed fetch asks for no file.
        EXPECT_EQ(prompter.shown.filter("save:").size(), c.message.isEmpty() ? 1 : 0);
        prompter.shown.clear();
        prompter.messages.clear();
        prompter.files.clear();
    }
}

TEST_F(PrinterFunctions, AFileThatCannotBeWrittenIsNamedWithTheReason) {
    start({"--dump-text", "new"});
    const QString target = tempPath("keep.txt");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    QDir(dir.path()).mkdir("ro");
    QFile::setPermissions(tempPath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // A folder that is not there, and a name that is a folder.
    for (const QString& path : {tempPath("no/such/folder/dump.txt"), dir.path()}) {
        prompter.messages.clear();
        prompter.dialogs["TFormDumpTextSetup"] = dumpScript(2);
        prompter.confirms = {true};
        prompter.files = {path};
        click("ButtonDump");
        settle();
        ASSERT_EQ(prompter.messages.size(), 1) << path.toStdString();
        const QString lead = "Cannot write " + path + ": ";
        EXPECT_TRUE(prompter.messages[0].startsWith(lead)) << prompter.messages[0].toStdString();
        EXPECT_GT(prompter.messages[0].size(), lead.size());
    }
    // Root writes anywhere; elsewhere a read-only folder refuses the file and
    // an existing file there is left as it was.
    if (::geteuid() != 0) {
        prompter.messages.clear();
        prompter.confirms = {true};
        prompter.files = {tempPath("ro/dump.txt")};
        click("ButtonDump");
        settle();
        EXPECT_EQ(prompter.messages.size(), 1);
    }
    EXPECT_EQ(fileBytes(target), "kept");
    QFile::setPermissions(tempPath("ro"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// ---------------------------------------------------------------------------
// RTC setup

std::function<int(QDialog&)> clockScript(std::vector<std::pair<const char*, QString>> boxes,
                                         const char* button, QStringList* shown = nullptr) {
    return [=](QDialog& d) {
        d.open();
        if (shown)
            for (const char* n :
                 {"EditYear", "EditMonth", "EditDate", "EditHour", "EditMinute", "EditSecond"})
                *shown << controlNamed<QLineEdit>(d, n)->text();
        for (const auto& [name, text] : boxes) controlNamed<QLineEdit>(d, name)->setText(text);
        controlNamed<QPushButton>(d, button)->click();
        if (d.isVisible()) d.reject();
        return d.result();
    };
}

TEST_F(PrinterFunctions, ClockShowsWhatWasReadAndSendsWhatWasTyped) {
    start({"--set", "YEAR=23", "--set", "MONTH=12", "--set", "DATE=31", "--set", "HOUR=23", "--set",
           "MINUTE=59", "--set", "SECOND=58"});
    QStringList shown;
    prompter.dialogs["TFormRTCSetup"] = clockScript(
        {{"EditYear", "2024"}, {"EditMonth", "12"}, {"EditDate", "1"}, {"EditHour", " 7 "}},
        "ButtonSet", &shown);
    click("ButtonRTCSetTime");
    EXPECT_EQ(shown, (QStringList{"23", "12", "31", "23", "59", "58"}));
    // Year modulo 100, the rest as typed, after the gate.
    EXPECT_EQ(settle(),
              (Rx{kClockRead, kPasswordRead,
                  "@YEAR = \"24\"\r\n@MONTH = \"12\"\r\n@DATE = \"1\"\r\n@HOUR = \"7\"\r\n"
                  "@MINUTE = \"59\"\r\n@SECOND = \"58\"\r\n"}));
    EXPECT_TRUE(prompter.messages.isEmpty());

    // Cancel after Get System Time sends nothing; the next click reads again.
    prompter.dialogs["TFormRTCSetup"] = [](QDialog& d) {
        d.open();
        controlNamed<QPushButton>(d, "ButtonSetSysTime")->click();
        const QString year = controlNamed<QLineEdit>(d, "EditYear")->text();
        EXPECT_EQ(year.size(), 4);
        EXPECT_NEAR(year.toInt(), QDate::currentDate().year(), 1);
        controlNamed<QPushButton>(d, "ButtonCancel")->click();
        return d.result();
    };
    click("ButtonRTCSetTime");
    EXPECT_EQ(settle(), Rx{kClockRead});
}

TEST_F(PrinterFunctions, ClockBoxThatIsNoIntegerKeepsTheDialogOpen) {
    start({});
    bool stayedOpen = false;
    prompter.dialogs["TFormRTCSetup"] = [&](QDialog& d) {
        d.open();
        controlNamed<QLineEdit>(d, "EditYear")->setText("2024");
        controlNamed<QLineEdit>(d, "EditMinute")->setText("5x");
        controlNamed<QPushButton>(d, "ButtonSet")->click();
        stayedOpen = d.isVisible();
        controlNamed<QLineEdit>(d, "EditMinute")->setText("5");
        controlNamed<QPushButton>(d, "ButtonSet")->click();
        return d.result();
    };
    click("ButtonRTCSetTime");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompter.messages, QStringList{"'5x' is not a valid integer value (Minute)."});
    const Rx rx = settle();
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_NE(rx[2].find("@YEAR = \"24\"\r\n"), std::string::npos);
    EXPECT_NE(rx[2].find("@MINUTE = \"5\"\r\n"), std::string::npos);
}

TEST_F(PrinterFunctions, ClockWithoutAnswerOpensWithZerosAndAWrongPasswordSendsNothing) {
    start({"--fault", "silent:YEAR", "--password", "Secret"});
    window->link().timeouts.netReadMs = 100;
    QStringList shown;
    // The zeros a silent printer leaves are no date: a valid one is typed.
    prompter.dialogs["TFormRTCSetup"] =
        clockScript({{"EditMonth", "1"}, {"EditDate", "1"}}, "ButtonSet", &shown);
    prompter.dialogs["TFormPassword"] = [](QDialog& d) {
        d.open();
        controlNamed<QLineEdit>(d, "EditPassword")->setText("wrong");
        controlNamed<QPushButton>(d, "ButtonOK")->click();
        if (d.isVisible()) d.reject();
        return d.result();
    };
    click("ButtonRTCSetTime");
    EXPECT_EQ(shown, (QStringList{"0", "0", "0", "0", "0", "0"}));
    const Rx rx = settle();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kAnnounce + "DIAGNOSTIC REPORT YEAR\r\n");
    EXPECT_EQ(rx[1], kPasswordRead);
    // The failed read says nothing; only the password dialog spoke.
    EXPECT_FALSE(prompter.messages.contains("Data Receiving Error"));
}

// ---------------------------------------------------------------------------
// Sensor calibration

// Sets the media, types into the boxes and presses the button.
std::function<int(QDialog&)> sensorScript(int media,
                                          std::vector<std::pair<const char*, QString>> boxes,
                                          const char* button) {
    return [=](QDialog& d) {
        d.open();
        controlNamed<RadioGroup>(d, "RadioGroupMediaType")->button(media)->click();
        for (const auto& [name, text] : boxes) controlNamed<QLineEdit>(d, name)->setText(text);
        controlNamed<QPushButton>(d, button)->click();
        if (d.isVisible()) d.reject();
        return d.result();
    };
}

TEST_F(PrinterFunctions, SensorCommandTableRowByRowOnTheWire) {
    struct Case {
        int media;
        std::vector<std::pair<const char*, QString>> boxes;
        const char* button;
        std::string bytes;
    };
    // The printer's media changes with each command, and the read before the
    // dialog with it; the gate and the command are what this is about.
    const Case cases[] = {
        // 1.5 x 203 = 304.5 and 0.12 x 203 = 24.36: fractions dropped.
        {0,
         {{"EditHeight", "1.5"}, {"EditGap", "0.12"}},
         "ButtonCalib",
         kRef + "GAPDETECT 304,24\r\n"},
        {1,
         {{"EditHeight", "1,5"}, {"EditGap", "0.12"}},
         "ButtonCalib",
         kRef + "BLINEDETECT 304,24\r\n"},
        {3,
         {{"EditHeight", "2"}, {"EditGap", "0.1"}},
         "ButtonCalib",
         kRef + "AUTODETECT 406,20\r\n"},
        {0, {{"EditHeight", ""}, {"EditGap", ""}}, "ButtonCalib", "GAPDETECT\r\n"},
        {1, {{"EditHeight", "1.5"}, {"EditGap", ""}}, "ButtonCalib", "BLINEDETECT\r\n"},
        {3, {}, "ButtonCalib", "AUTODETECT\r\n"},
        {2,
         {{"EditHeight", "1.5"}, {"EditGap", "0.12"}},
         "ButtonCalib",
         "GAP 0.12,0\r\nGAP 0,0\r\n"},
        // By hand.
        {0,
         {{"EditInten", "5"}, {"EditReference", "0"}},
         "ButtonSet",
         kRef + "GAP 0.08,0\r\nSET GAP 5\r\n" + kManualEnd},
        {1,
         {{"EditInten", "5"}, {"EditReference", "600"}},
         "ButtonSet",
         kRef + "BLINE 0.08,0\r\nSET GAP 5,600\r\n" + kManualEnd},
        {2,
         {{"EditInten", ""}, {"EditReference", "600"}},
         "ButtonSet",
         kRef + "GAP 0,0\r\n" + kManualEnd},
        {3,
         {{"EditInten", "2"}, {"EditReference", "77"}},
         "ButtonSet",
         kRef + "SET GAP 2,77\r\n" + kManualEnd},
    };
    start({});
    for (const auto& c : cases) {
        prompter.dialogs["TFormSensorCalibrate"] = sensorScript(c.media, c.boxes, c.button);
        click("ButtonSensorCalibrate");
        const Rx rx = settle();
        ASSERT_EQ(rx.size(), 3u) << c.bytes;
        EXPECT_EQ(rx[0].substr(0, kAnnounce.size() + 30),
                  kAnnounce + "DIAGNOSTIC REPORT SENSORMODE\r\n");
        EXPECT_EQ(rx[1], kPasswordRead);
        EXPECT_EQ(rx[2], c.bytes);
    }
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
}

TEST_F(PrinterFunctions, SensorLengthsFollowTheUnitAndTheResolution) {
    struct Case {
        const char* dpi;
        int unit;  // item of RadioGroupUnit
        QString height, gap;
        std::string bytes;
        QString unitLabel;
    };
    const Case cases[] = {
        {"203", 1, "40", "3", kRef + "GAPDETECT 320,24\r\n", "mm"},
        // 300 dpi is 11.8 dots per millimetre: 40 mm are 472 dots, not 440.
        {"300", 1, "40", "3", kRef + "GAPDETECT 472,35\r\n", "mm"},
        {"300", 0, "1.5", "0.12", kRef + "GAPDETECT 450,36\r\n", "inch"},
    };
    for (const auto& c : cases) {
        MainWindow& w = start({"--dpi", c.dpi});
        controlNamed<RadioGroup>(w, "RadioGroupUnit")->setItemIndex(c.unit);
        QString unitShown;
        prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& d) {
            unitShown = controlNamed<QLabel>(d, "LabelUnit1")->text();
            EXPECT_EQ(controlNamed<QLabel>(d, "LabelUnit2")->text(), unitShown);
            return sensorScript(0, {{"EditHeight", c.height}, {"EditGap", c.gap}},
                                "ButtonCalib")(d);
        };
        click("ButtonSensorCalibrate");
        EXPECT_EQ(settle(), (Rx{kSensorRead, kPasswordRead, c.bytes})) << c.dpi;
        EXPECT_EQ(unitShown, c.unitLabel);
    }
}

TEST_F(PrinterFunctions, SensorDialogOpensOnThePrinterSettings) {
    struct Case {
        std::vector<std::string> args;
        int media;
        QString intensity, threshold;
        std::string read;
    };
    const Case cases[] = {
        {{"--set", "SENSORMODE=1", "--set", "BLINEINTEN=9", "--set", "THRESHOLD=612"},
         1,
         "9",
         "612",
         kAnnounce + "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT BLINEINTEN\r\n"
                     "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT THRESHOLD\r\n"},
        // Edition 103 is not asked for a threshold; zero numbers stay empty.
        {{"--edition", "103", "--set", "SENSORMODE=2", "--set", "CONINTEN=0"},
         2,
         "",
         "",
         kAnnounce + "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT CONINTEN\r\n"
                     "DIAGNOSTIC REPORT EDITION\r\n"},
    };
    for (const auto& c : cases) {
        start(c.args);
        int media = -1;
        QString intensity, threshold, title;
        QPoint at;
        prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& d) {
            media = controlNamed<RadioGroup>(d, "RadioGroupMediaType")->itemIndex();
            intensity = controlNamed<QLineEdit>(d, "EditInten")->text();
            threshold = controlNamed<QLineEdit>(d, "EditReference")->text();
            title = d.windowTitle();
            at = d.pos();
            EXPECT_FALSE(controlNamed<QLabel>(d, "LabelMessage")->isVisible());
            EXPECT_EQ(controlNamed<QComboBox>(d, "ComboBoxSnesorInt")->count(), 16);
            EXPECT_EQ(controlNamed<QComboBox>(d, "ComboBoxSnesorInt")->currentText(), "3");
            EXPECT_TRUE(controlNamed<QLineEdit>(d, "EditCurrentReading")->isReadOnly());
            auto* timer = d.findChild<QTimer*>("Timer1");
            EXPECT_TRUE(timer && !timer->isActive() && timer->interval() == 500);
            return QDialog::Rejected;
        };
        click("ButtonSensorCalibrate");
        EXPECT_EQ(settle(), Rx{c.read});
        EXPECT_EQ(media, c.media);
        EXPECT_EQ(intensity, c.intensity);
        EXPECT_EQ(threshold, c.threshold);
        EXPECT_EQ(title, "Calibrate Sensor");
        EXPECT_EQ(at, window->dialogPlace());
    }
}

// Drives the three manual steps with the media file deciding what lies under
// the sensor; each poll of Timer1 runs at once instead of after 500 ms.
struct ManualRun {
    QString message0, message1, message2, button1, current1;
    QStringList levels;
    bool timerDuringSteps = false, timerAfter = true;
    bool setEnabled = false, manualEnabled = true;
    QString threshold, intensity, labelValue, gapValue;
};

std::function<int(QDialog&)> threeSteps(const std::string& mediaFile, ManualRun& run, int media = 0,
                                        bool closeBox = true) {
    return [&run, mediaFile, media, closeBox](QDialog& dialog) {
        auto& d = static_cast<SensorCalibrationDialog&>(dialog);
        d.open();
        auto put = [&](const char* what) { std::ofstream(mediaFile) << what << "\n"; };
        auto* timer = d.findChild<QTimer*>("Timer1");
        auto* button = controlNamed<QPushButton>(d, "ButtonManualCalibration");
        auto* message = controlNamed<QLabel>(d, "LabelMessage");
        controlNamed<RadioGroup>(d, "RadioGroupMediaType")->button(media)->click();
        put("liner");
        button->click();  // step 0: the sensor read
        run.message0 = message->isVisible() ? message->text() : QString();
        run.button1 = button->text();
        for (int i = 0; i < controlNamed<QComboBox>(d, "ComboBoxSnesorInt")->count(); ++i)
            run.levels << controlNamed<QComboBox>(d, "ComboBoxSnesorInt")->itemText(i);
        run.timerDuringSteps = timer->isActive();
        d.onPollTimer();
        run.current1 = controlNamed<QLineEdit>(d, "EditCurrentReading")->text();
        button->click();  // step 1: the liner saved
        run.message1 = message->text();
        put("label");
        d.onPollTimer();
        button->click();  // step 2: the label saved, the level chosen
        run.message2 = message->isVisible() ? message->text() : QString();
        run.timerAfter = timer->isActive();
        run.setEnabled = controlNamed<QPushButton>(d, "ButtonSet")->isEnabled();
        run.manualEnabled = button->isEnabled();
        run.threshold = controlNamed<QLineEdit>(d, "EditReference")->text();
        run.intensity = controlNamed<QLineEdit>(d, "EditInten")->text();
        run.labelValue = controlNamed<QLabel>(d, "LabelLabelValue")->text();
        run.gapValue = controlNamed<QLabel>(d, "LabelGapValue")->text();
        if (closeBox)
            d.close();
        else
            controlNamed<QPushButton>(d, "ButtonCancel")->click();
        return d.result();
    };
}

class MediaFile {
  public:
    MediaFile() {
        char path[] = "/tmp/m350-gui-media-XXXXXX";
        const int fd = ::mkstemp(path);
        if (fd >= 0) ::close(fd);
        path_ = path;
    }
    ~MediaFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

TEST_F(PrinterFunctions, ThreeStepCalibrationOfTheWorkedExample) {
    MediaFile media;
    start({"--gapsensor", "100,500,900/120,600,300", "--media-file", media.path()});
    ManualRun run;
    prompter.dialogs["TFormSensorCalibrate"] = threeSteps(media.path(), run);
    click("ButtonSensorCalibrate");
    EXPECT_EQ(run.message0, "Put linner please");
    EXPECT_EQ(run.button1, "Next");
    EXPECT_EQ(run.levels, (QStringList{"0", "1", "2"}));  // "3" was selected: the last
    EXPECT_TRUE(run.timerDuringSteps);
    EXPECT_EQ(run.current1, "900");
    EXPECT_EQ(run.message1, "Put label please");
    EXPECT_EQ(run.message2, "Calibration is complete");
    EXPECT_FALSE(run.timerAfter);
    // Level 2 differs by 600: intensity 2, threshold (300 + 900) / 2.
    EXPECT_EQ(run.intensity, "2");
    EXPECT_EQ(run.threshold, "600");
    EXPECT_EQ(run.labelValue, "300");
    EXPECT_EQ(run.gapValue, "900");
    EXPECT_TRUE(run.setEnabled);
    EXPECT_FALSE(run.manualEnabled);
    // Closed with the close box, the values found are applied.
    EXPECT_EQ(settle(), (Rx{kSensorRead, kGapSensor, kGapSensor, kGapSensor, kPasswordRead,
                            kRef + "GAP 0.08,0\r\nSET GAP 2,600\r\n" + kManualEnd}));
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(PrinterFunctions, ThreeStepCalibrationBelowTheDifferenceCannotCalibrate) {
    MediaFile media;
    start({"--gapsensor", "100,200,300/150,250,395", "--media-file", media.path()});
    ManualRun run;
    prompter.dialogs["TFormSensorCalibrate"] = threeSteps(media.path(), run, 0, false);
    click("ButtonSensorCalibrate");
    EXPECT_EQ(prompter.messages, QStringList{"Can't calibration"});
    EXPECT_EQ(run.message2, "");
    EXPECT_TRUE(run.setEnabled);
    EXPECT_TRUE(run.manualEnabled);
    EXPECT_EQ(run.threshold, "30");  // the printer's, untouched
    // Cancel: nothing applied.
    EXPECT_EQ(settle(), (Rx{kSensorRead, kGapSensor, kGapSensor, kGapSensor}));
}

TEST_F(PrinterFunctions, ManualCalibrationOnBlackMarkAndAutoSelection) {
    MediaFile media;
    start({"--blinesensor", "10,20,30/500,600,700", "--media-file", media.path()});
    ManualRun run;
    prompter.dialogs["TFormSensorCalibrate"] = threeSteps(media.path(), run, 1);
    click("ButtonSensorCalibrate");
    EXPECT_EQ(run.message0, "Put black mark please");
    const std::string bline = "DIAGNOSTIC REPORT BLINESENSOR\r\n";
    EXPECT_EQ(settle(), (Rx{kSensorRead, bline, bline, bline, kPasswordRead,
                            kRef + "BLINE 0.08,0\r\nSET GAP 2,365\r\n" + kManualEnd}));

    // Auto Selection cannot be calibrated by hand: nothing is read.
    prompter.dialogs["TFormSensorCalibrate"] = [](QDialog& d) {
        d.open();
        controlNamed<RadioGroup>(d, "RadioGroupMediaType")->button(3)->click();
        controlNamed<QPushButton>(d, "ButtonManualCalibration")->click();
        EXPECT_EQ(static_cast<SensorCalibrationDialog&>(d).step(), 0);
        d.close();
        return d.result();
    };
    click("ButtonSensorCalibrate");
    EXPECT_EQ(prompter.messages, QStringList{"Can't calibration"});
    // The printer is on black-mark media now.
    EXPECT_EQ(settle(),
              Rx{kAnnounce + "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT BLINEINTEN\r\n"
                             "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT THRESHOLD\r\n"});
}

TEST_F(PrinterFunctions, ContinuousMediaChoosesAtOnceAndTheCloseBoxApplies) {
    // A rising curve: from the top, the first level below 768 is level 2.
    start({"--gapsensor", "100,200,300,900,1000/1,1"});
    struct Case {
        bool closeBox;
        Rx after;
    };
    const Case cases[] = {
        {false, {}},
        {true, {kPasswordRead, kRef + "GAP 0,0\r\nSET GAP 1,278\r\n" + kManualEnd}},
    };
    for (const auto& c : cases) {
        bool setEnabled = true;
        QString intensity, threshold, reading;
        int step = -1;
        prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& d) {
            d.open();
            controlNamed<RadioGroup>(d, "RadioGroupMediaType")->button(2)->click();
            controlNamed<QPushButton>(d, "ButtonManualCalibration")->click();
            step = static_cast<SensorCalibrationDialog&>(d).step();
            setEnabled = controlNamed<QPushButton>(d, "ButtonSet")->isEnabled();
            intensity = controlNamed<QLineEdit>(d, "EditInten")->text();
            threshold = controlNamed<QLineEdit>(d, "EditReference")->text();
            reading = controlNamed<QLabel>(d, "LabelLabelValue")->text();
            if (c.closeBox)
                d.close();
            else
                controlNamed<QPushButton>(d, "ButtonCancel")->click();
            return d.result();
        };
        click("ButtonSensorCalibrate");
        EXPECT_EQ(step, 0);
        EXPECT_FALSE(setEnabled);
        EXPECT_EQ(intensity, "1");
        EXPECT_EQ(threshold, "278");  // (300 + 256) / 2
        EXPECT_EQ(reading, "300");
        Rx want{kSensorRead, kGapSensor};
        want.insert(want.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(settle(), want) << c.closeBox;
    }
}

TEST_F(PrinterFunctions, FailingSensorReadsAtStepZeroAndInTheTimer) {
    start({"--fault", "silent:GAPSENSOR"});
    window->link().timeouts.netReadMs = 100;
    int step = -1;
    QString current = "untouched";
    prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& dialog) {
        auto& d = static_cast<SensorCalibrationDialog&>(dialog);
        d.open();
        controlNamed<QPushButton>(d, "ButtonManualCalibration")->click();
        step = d.step();
        // A poll that fails says nothing.
        controlNamed<QLineEdit>(d, "EditCurrentReading")->setText("untouched");
        d.onPollTimer();
        current = controlNamed<QLineEdit>(d, "EditCurrentReading")->text();
        d.reject();
        return d.result();
    };
    click("ButtonSensorCalibrate");
    EXPECT_EQ(step, 0);
    EXPECT_EQ(current, "untouched");
    EXPECT_EQ(prompter.messages, QStringList{"Data Receiving Error"});
}

TEST_F(PrinterFunctions, SetWithTextThatIsNoIntegerStaysOpen) {
    start({});
    bool stayedOpen = false;
    prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& d) {
        d.open();
        controlNamed<QLineEdit>(d, "EditInten")->setText("5");
        controlNamed<QLineEdit>(d, "EditReference")->setText("1e2");
        controlNamed<QPushButton>(d, "ButtonSet")->click();
        stayedOpen = d.isVisible();
        controlNamed<QLineEdit>(d, "EditHeight")->setText("abc");
        controlNamed<QPushButton>(d, "ButtonCalib")->click();
        stayedOpen = stayedOpen && d.isVisible();
        d.reject();
        return d.result();
    };
    click("ButtonSensorCalibrate");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompter.messages,
              (QStringList{"'1e2' is not a valid integer value (Threshold Value).",
                           "'abc' is not a valid length (Paper Height)."}));
    EXPECT_EQ(settle(), Rx{kSensorRead});
}

// The timer's poll waits for the printer in slices and lets the window handle
// its events meanwhile: Next pressed while a slow reply is on its way moves the
// steps on, and the reply that then arrives is not taken for the label.
TEST_F(PrinterFunctions, WindowStaysResponsiveWhileTheTimerPolls) {
    MediaFile media;
    PumpingProgress pumping;
    start({"--gapsensor", "100,500,900/120,600,300", "--media-file", media.path(), "--fault",
           "slow:400:GAPSENSOR"},
          &pumping);
    int stepAfterPoll = -1;
    QString current = "before";
    int pumpsInPoll = 0;
    prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& dialog) {
        auto& d = static_cast<SensorCalibrationDialog&>(dialog);
        d.open();
        auto* button = controlNamed<QPushButton>(d, "ButtonManualCalibration");
        button->click();  // step 0 (slow too)
        EXPECT_EQ(d.step(), 1);
        controlNamed<QLineEdit>(d, "EditCurrentReading")->setText("before");
        QTimer::singleShot(100, button, [button] { button->click(); });
        const int before = pumping.pumps;
        d.onPollTimer();
        pumpsInPoll = pumping.pumps - before;
        stepAfterPoll = d.step();
        current = controlNamed<QLineEdit>(d, "EditCurrentReading")->text();
        d.findChild<QTimer*>("Timer1")->stop();
        d.reject();
        return d.result();
    };
    click("ButtonSensorCalibrate");
    EXPECT_EQ(stepAfterPoll, 2);
    EXPECT_EQ(current, "before");
    // 400 ms of waiting in slices of at most 50 ms.
    EXPECT_GE(pumpsInPoll, 4);
}

// ---------------------------------------------------------------------------
// Emulation

TEST_F(PrinterFunctions, EmulationDialogShowsTheActiveOneAndSwitches) {
    struct Case {
        const char* active;
        int shown;
        const char* button;  // null: the close box
        std::string sent;
    };
    const Case cases[] = {
        {"1", 1, "Button1", "\x1B\x59"},
        {"0", 0, "Button1", "\x1B\x5A"},
        // Neither emulation: the selection stays on the list's first.
        {"7", 0, "Button1", "\x1B\x5A"},
        {"-1", 0, "Button1", "\x1B\x5A"},
        {"1", 1, nullptr, ""},
    };
    for (const auto& c : cases) {
        // A printer that keeps its emulation through the start-up's exit line
        // mode (ESC Z CR LF), so that it reports what the case sets.
        MainWindow& w =
            start({"--esc-z-crlf-restores", "--set", std::string("ACT_EMULATION=") + c.active});
        auto* hidden = controlNamed<QPushButton>(w, "ButtonActEmulation");
        EXPECT_TRUE(hidden->isHidden());
        int shown = -1;
        QString title;
        prompter.dialogs["TActiveEmu"] = [&](QDialog& d) {
            d.open();
            shown = controlNamed<RadioGroup>(d, "RadioGroupActiveEmulation")->itemIndex();
            title = d.windowTitle();
            if (c.button)
                controlNamed<QPushButton>(d, c.button)->click();
            else
                d.close();
            return d.result();
        };
        hidden->click();
        EXPECT_EQ(shown, c.shown) << c.active;
        EXPECT_EQ(title, "Emulation Setup");
        Rx want{kAnnounce + "DIAGNOSTIC REPORT ACT_EMULATION\r\n"};
        if (!c.sent.empty()) want.push_back(c.sent);
        EXPECT_EQ(settle(), want) << c.active;
        EXPECT_TRUE(prompter.messages.isEmpty());
        EXPECT_TRUE(w.isEnabled());
    }
}

TEST_F(PrinterFunctions, EmulationOnTheParallelPortOpensOnZpl2AndStillSwitches) {
    MainWindow& w = start({"--set", "ACT_EMULATION=1"}, nullptr, true);
    setenv("M350_LPT1", sim->parallelPath().c_str(), 1);
    controlNamed<QComboBox>(w, "ComboBoxInterFace")->setCurrentIndex(2);
    w.onInterfaceChanged(2);
    int shown = -1;
    prompter.dialogs["TActiveEmu"] = [&](QDialog& d) {
        d.open();
        shown = controlNamed<RadioGroup>(d, "RadioGroupActiveEmulation")->itemIndex();
        controlNamed<QPushButton>(d, "Button1")->click();
        return d.result();
    };
    controlNamed<QPushButton>(w, "ButtonActEmulation")->click();
    unsetenv("M350_LPT1");
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(settle(), Rx{"\x1B\x5A"});
    EXPECT_TRUE(prompter.messages.isEmpty());
}

// ---------------------------------------------------------------------------
// Languages

TEST_F(PrinterFunctions, DialogsTakeTheCurrentLanguage) {
    MediaFile media;
    MainWindow& w = start({"--gapsensor", "100,500,900/120,600,300", "--media-file", media.path()});
    for (int lang : {m350::kLangTraditionalChinese, m350::kLangRussian}) {
        auto* languages = controlNamed<QComboBox>(w, "ComboBoxLanguage");
        languages->setCurrentIndex(lang);
        emit languages->activated(lang);
        QString title, next, message, unit, dumpItem, year;
        prompter.dialogs["TFormSensorCalibrate"] = [&](QDialog& d) {
            d.open();
            title = d.windowTitle();
            unit = controlNamed<QLabel>(d, "LabelUnit1")->text();
            controlNamed<QPushButton>(d, "ButtonManualCalibration")->click();
            next = controlNamed<QPushButton>(d, "ButtonManualCalibration")->text();
            message = controlNamed<QLabel>(d, "LabelMessage")->text();
            d.findChild<QTimer*>("Timer1")->stop();
            controlNamed<QPushButton>(d, "ButtonCancel")->click();
            return d.result();
        };
        click("ButtonSensorCalibrate");
        EXPECT_EQ(title, languageQText(35, lang));
        EXPECT_EQ(unit, languageQText(25, lang));
        EXPECT_EQ(next, languageQText(1, lang));
        EXPECT_EQ(message, languageQText(242, lang));
        prompter.dialogs["TFormDumpTextSetup"] = [&](QDialog& d) {
            dumpItem = controlNamed<RadioGroup>(d, "RadioGroupDumpMode")->itemText(2);
            return QDialog::Rejected;
        };
        click("ButtonDump");
        EXPECT_EQ(dumpItem, languageQText(257, lang));
        prompter.dialogs["TFormRTCSetup"] = [&](QDialog& d) {
            year = controlNamed<QLabel>(d, "LabelYear")->text();
            return QDialog::Rejected;
        };
        click("ButtonRTCSetTime");
        EXPECT_EQ(year, languageQText(247, lang));
        settle();
    }
}

}  // namespace
