// SPDX-License-Identifier: MIT
// The File Manager page driven by its controls against the simulated printer:
// Browse and the name rule, Download and firmware on the wire, Get and the
// device view, Format with its confirmation.
#include "gui/pages/file_manager_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fstream>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/text_encoding.h"
#include "gui/main_window.h"
#include "support/diagnostic_wire.h"
#include "support/hostile_peer.h"
#include "support/sim_process.h"

using namespace m350::gui;
using m350test::controlNamed;
using m350test::kPasswordRead;
using m350test::SimProcess;

namespace {

class FileManagerWindow : public ::testing::Test {
  protected:
    MainWindow& start(std::vector<std::string> simArgs = {}) {
        sim = std::make_unique<SimProcess>(std::move(simArgs));
        EXPECT_TRUE(sim->ok()) << sim->error();
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                              m350test::testSeams(prompter, progress));
        settle();
        prompter.shown.clear();
        prompter.messages.clear();
        progress.calls.clear();
        return *window;
    }
    // The bytes of each connection since the last call, once all are closed.
    std::vector<std::string> settle() {
        sim->waitForQuiet();
        std::vector<std::string> out;
        auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    QString file(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }
    template <class W = QWidget>
    W* control(const char* name) {
        return controlNamed<W>(*window, name);
    }
    // Chooses a file type and a file with Browse.
    void browse(int type, const QString& path) {
        control<QComboBox>("ComboBoxFileType")->setCurrentIndex(type);
        prompter.files.push_back(path);
        control<QPushButton>("ButtonBrowse")->click();
    }

    QTemporaryDir dir;
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
};

TEST_F(FileManagerWindow, BrowseDerivesNameAndSizeAndFiltersIgnoreCase) {
    start();
    struct Case {
        const char* file;
        int type;
        const char* name;
        const char* filter;
    };
    const Case cases[] = {
        {"Company_Logo.bmp", 0, "Company_.BMP", "*.BMP (*.[Bb][Mm][Pp]);;*.* (*)"},
        {"ABCDEFGHIJ.PCX", 1, "ABCDEFGH.PCX", "*.PCX (*.[Pp][Cc][Xx]);;*.* (*)"},
        {"DejaVuSans.ttf", 2, "DejaVuSa.TTF", "*.TTF (*.[Tt][Tt][Ff])"},
        {"label_font.fnt", 3, "label_fo", ""},
        {"auto.Bas", 4, "auto.BAS", "*.BAS (*.[Bb][Aa][Ss]);;*.* (*)"},
        {"prices.csv", 5, "prices", "*.* (*)"},
        {"T10101.new", 6, "T10101", "*.NEW (*.[Nn][Ee][Ww]);;*.* (*)"},
        {"setup.TCF", 7, "setup", "*.TCF (*.[Tt][Cc][Ff]);;*.* (*)"},
    };
    for (const auto& c : cases) {
        prompter.fileRequests.clear();
        browse(c.type, file(c.file, std::string(777, 'b')));
        EXPECT_EQ(control<QLineEdit>("EditFileName")->text(), c.name) << c.file;
        EXPECT_EQ(control<QLineEdit>("EditFileSize")->text(), "777") << c.file;
        EXPECT_TRUE(control<QPushButton>("ButtonDownload")->isEnabled()) << c.file;
        ASSERT_EQ(prompter.fileRequests.size(), 1u);
        const auto& request = prompter.fileRequests[0];
        EXPECT_EQ(request.filter, c.filter) << c.file;
        if (c.type == 2) {
            EXPECT_EQ(request.places, FileManagerPage::fontFolders());
        } else {
            EXPECT_EQ(request.directory, QDir::currentPath()) << c.file;
        }
        // The file's own pattern takes every spelling of its extension.
        if (*c.filter && c.type != 5) {
            const QString pattern = request.filter.section('(', 1).section(')', 0, 0);
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
            const QString ext = request.filter.section(' ', 0, 0).mid(2);  // "*.BMP" -> BMP
            for (const QString& n : {"a." + ext.toLower(), "a." + ext.toUpper(),
                                     "a." + ext.left(1) + ext.mid(1).toLower()})
                EXPECT_TRUE(re.match(n).hasMatch()) << n.toStdString();
            EXPECT_FALSE(re.match("a.dat").hasMatch());
        }
    }
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_TRUE(settle().empty());  // browsing never talks to the printer

    // Cancelled, or a file that cannot be read: Download stays disabled.
    control<QPushButton>("ButtonBrowse")->click();
    EXPECT_FALSE(control<QPushButton>("ButtonDownload")->isEnabled());
    browse(0, dir.filePath("gone.bmp"));
    EXPECT_EQ(prompter.messages, QStringList{"Open File Error"});
    EXPECT_FALSE(control<QPushButton>("ButtonDownload")->isEnabled());
}

TEST_F(FileManagerWindow, DownloadSendsGateHeaderAndTheFileInPercentMode) {
    start();
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<char>(i * 13));
    browse(0, file("Company_Logo.bmp", bytes));
    control<QComboBox>("ComboBoxDevice")->setCurrentIndex(0);  // DRAM: no device letter
    control<QPushButton>("ButtonDownload")->click();
    const auto rx = settle();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kPasswordRead);
    EXPECT_EQ(rx[1], "DOWNLOAD \"Company_.BMP\",3000," + bytes);
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
    // The window in percent mode, the bar following the chunks to 100.
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ(progress.calls.front(), "open Communicating...");
    EXPECT_EQ(progress.calls.back(), "close");
    EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), "pos 17"),
              progress.calls.end());  // 512 of 3000 bytes
    EXPECT_GE(progress.pumps, 6);     // events processed between the chunks
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonDownload")->isEnabled());
}

TEST_F(FileManagerWindow, AFileTooLargeForTheHeaderShowsItsTrueSizeAndIsRefused) {
    start();
    const QString path = dir.filePath("huge.dat");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64{1} << 32));  // sparse: 4 GiB of nothing on disk
    }
    browse(5, path);
    EXPECT_EQ(control<QLineEdit>("EditFileSize")->text(), "4294967296");
    control<QPushButton>("ButtonDownload")->click();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].startsWith("File too large: 4294967296 bytes."))
        << prompter.messages[0].toStdString();
    EXPECT_TRUE(settle().empty());
}

TEST_F(FileManagerWindow, NameChecksComeBeforeThePrinter) {
    start();
    browse(5, file("data.bin", "xyz"));
    struct Case {
        QString name;
        const char* message;  // nullptr: sent
    };
    const Case cases[] = {
        {QString(31, 'N'),
         "File name too long\nFile Name: A printer file name has at most 30 characters."},
        {"", "File Name: A printer file name cannot be empty."},
        {"A\"B",
         "File Name: A printer file name cannot hold a double quote or a control character."},
        {"*.*", "File Name: A printer file name cannot hold the wildcards * and ?."},
        {"a/b\\c.BMP",
         "File Name: A printer file name cannot hold the path separators slash and backslash."},
        {"   ", "File Name: A printer file name cannot be blank or begin or end with a blank."},
        {QString(30, 'N'), nullptr},
    };
    for (const auto& c : cases) {
        prompter.messages.clear();
        control<QLineEdit>("EditFileName")->setText(c.name);
        control<QPushButton>("ButtonDownload")->click();
        const auto rx = settle();
        if (c.message) {
            EXPECT_EQ(prompter.messages, QStringList{c.message});
            EXPECT_TRUE(rx.empty());
        } else {
            EXPECT_TRUE(prompter.messages.isEmpty());
            ASSERT_EQ(rx.size(), 2u);
            EXPECT_EQ(rx[1], "DOWNLOAD F,\"" + c.name.toStdString() + "\",3,xyz");
        }
    }
}

// Printer file names are shown and sent in the printer text encoding, as
// the configuration pages' texts are; a name it cannot hold is refused.
TEST_F(FileManagerWindow, FileNamesAreInThePrinterTextEncoding) {
    start({"--file", "F:CAF\xc9.BMP=bm"}).setTextEncodingChoice("CP1252");
    control<QPushButton>("ButtonGet")->click();
    settle();
    auto* list = control<QListWidget>("ListBoxFileList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("CAFÉ.BMP"));
    browse(5, file("data.bin", "xyz"));
    struct Case {
        QString name;
        std::string sent;  // empty: refused
    } cases[] = {
        {QStringLiteral("NOÉ.DAT"), "DOWNLOAD F,\"NO\xc9.DAT\",3,xyz"},
        {QStringLiteral("中.DAT"), ""},
    };
    for (const auto& c : cases) {
        prompter.messages.clear();
        control<QLineEdit>("EditFileName")->setText(c.name);
        control<QPushButton>("ButtonDownload")->click();
        const auto rx = settle();
        if (c.sent.empty()) {
            EXPECT_EQ(prompter.messages,
                      QStringList{QStringLiteral("\"中.DAT\" cannot be written in the printer "
                                                 "text encoding CP1252. Nothing was sent.")});
            EXPECT_TRUE(rx.empty());
        } else {
            ASSERT_EQ(rx.size(), 2u);
            EXPECT_EQ(rx[1], c.sent);
        }
    }
}

TEST_F(FileManagerWindow, FirmwareGoesOutUnchangedAndAsksToWaitForTheLed) {
    start();
    std::string image(70000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 31 + 7);
    browse(6, file("T10101.NEW", image));
    prompter.confirms = {true};
    control<QPushButton>("ButtonDownload")->click();
    const auto rx = settle();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kPasswordRead);
    EXPECT_EQ(rx[1], image);
    EXPECT_EQ(prompter.messages, QStringList{"Please wait for the LED to change to Green."});
    EXPECT_TRUE(sim->waitForLog("firmware 70000 bytes"));
}

TEST_F(FileManagerWindow, GetReadsAllDevicesOnceAndTheDeviceChoiceOnlyShows) {
    start({"--file", "D:A.DAT=aaaa", "--file", "F:LOGO.BMP=bm", "--file", "F:AUTO.BAS=10", "--set",
           "CPHYSPACE=2048"});
    control<QPushButton>("ButtonGet")->click();
    ASSERT_EQ(settle().size(), 1u);
    struct Case {
        int device;
        const char* physical;
        const char* free;
        QStringList files;
    };
    const Case cases[] = {
        {1, "4194304", "4194302", {"LOGO.BMP", "AUTO.BAS"}},  // FLASH is shown first
        {0, "1048576", "1048575", {"A.DAT"}},
        {2, "2048", "", {}},  // the card's free space is never asked
        {1, "4194304", "4194302", {"LOGO.BMP", "AUTO.BAS"}},
    };
    for (const auto& c : cases) {
        if (c.device != 1 || &c != &cases[0])
            control<QRadioButton>(("RadioGroupDeviceItem" + std::to_string(c.device)).c_str())
                ->click();
        EXPECT_EQ(control<QLineEdit>("EditPhysicalSpace")->text(), c.physical) << c.device;
        EXPECT_EQ(control<QLineEdit>("EditFreeSpace")->text(), c.free) << c.device;
        auto* list = control<QListWidget>("ListBoxFileList");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
        EXPECT_EQ(shown, c.files) << c.device;
    }
    EXPECT_TRUE(settle().empty());  // switching devices sends nothing
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(FileManagerWindow, AFailedGetKeepsTheDisplayAndThePartialRecordShowsOnSwitch) {
    start({"--fault", "drop:FFREESPACE"});
    control<QLineEdit>("EditPhysicalSpace")->setText("before");
    control<QPushButton>("ButtonGet")->click();
    settle();
    EXPECT_EQ(prompter.messages, QStringList{"Data Receiving Error"});
    EXPECT_EQ(control<QLineEdit>("EditPhysicalSpace")->text(), "before");
    control<QRadioButton>("RadioGroupDeviceItem0")->click();
    EXPECT_EQ(control<QLineEdit>("EditPhysicalSpace")->text(), "1048576");
    EXPECT_EQ(control<QLineEdit>("EditFreeSpace")->text(), "1048576");
    control<QRadioButton>("RadioGroupDeviceItem1")->click();
    EXPECT_EQ(control<QLineEdit>("EditPhysicalSpace")->text(), "4194304");
    EXPECT_EQ(control<QLineEdit>("EditFreeSpace")->text(), "");
}

TEST_F(FileManagerWindow, FormatAsksFirstAndCancelSendsNothing) {
    start({"--file", "F:A.BAS=1"});
    prompter.confirms = {false};
    control<QPushButton>("ButtonFileFormat")->click();
    // No password read.
    EXPECT_EQ(prompter.shown,
              QStringList{"confirm: Format FLASH? Every file on FLASH is deleted."});
    EXPECT_TRUE(settle().empty());

    const std::pair<int, const char*> cases[] = {
        {1, "KILL F,\"*.*\"\r\n"}, {0, "KILL \"*.*\"\r\n"}, {2, "KILL E,\"*.*\"\r\n"}};
    for (const auto& [device, kill] : cases) {
        control<QRadioButton>(("RadioGroupFormatDeviceItem" + std::to_string(device)).c_str())
            ->click();
        prompter.confirms = {true};
        control<QPushButton>("ButtonFileFormat")->click();
        const auto rx = settle();
        ASSERT_EQ(rx.size(), 2u) << device;
        EXPECT_EQ(rx[0], kPasswordRead);
        EXPECT_EQ(rx[1], kill);
    }
    EXPECT_TRUE(sim->waitForLog("formatted F"));
    EXPECT_TRUE(prompter.messages.isEmpty());
}

// A list that is not the printer's answer to the last Get says so under it
// until a Get succeeds: the Get before's after a failed one, the part a
// cut-off Get read, an emptied list after Format. The window talks through a
// relay to a good printer or to one that hangs up in the FLASH file list.
TEST_F(FileManagerWindow, ListsThatAreNotCurrentSaySo) {
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--file", "F:LOGO.BMP=bm"});
    SimProcess cutting({"--fault", "drop:FFILELIST"});
    m350test::HostilePeer relay(sim->tcpPort());
    window = std::make_unique<MainWindow>(m350test::loopbackPrinter(relay.port()),
                                          m350test::testSeams(prompter, progress));
    prompter.confirms = {true};
    // G: Get, C: a cut-off Get, D0/D1: show DRAM/FLASH, F: Format FLASH.
    const std::tuple<const char*, const char*, QStringList> steps[] = {
        {"G", "", {"LOGO.BMP"}},       {"C", "Not current: ", {"LOGO.BMP"}},
        {"D1", "Partial: ", {}},       {"G", "", {"LOGO.BMP"}},
        {"F", "Formatted since", {}},  {"D0", "", {}},
        {"D1", "Formatted since", {}}, {"G", "", {}}};
    for (const auto& [step, note, files] : steps) {
        const std::string s = step;
        relay.setUpstream(s == "C" ? cutting.tcpPort() : sim->tcpPort());
        if (s[0] == 'D')
            control<QRadioButton>(("RadioGroupDeviceItem" + s.substr(1)).c_str())->click();
        if (s != "D0" && s != "D1")
            control<QPushButton>(s == "F" ? "ButtonFileFormat" : "ButtonGet")->click();
        settle();
        auto* label = control<QLabel>("LabelFileListState");
        const QString shown = label->isHidden() ? QString() : label->text();
        EXPECT_TRUE(*note ? shown.startsWith(note) &&
                                shown.endsWith("Press Get to read the printer again.")
                          : shown.isEmpty())
            << step << ": " << shown.toStdString();
        auto* list = control<QListWidget>("ListBoxFileList");
        QStringList listed;
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        EXPECT_EQ(listed, files) << step;
    }
}

}  // namespace
